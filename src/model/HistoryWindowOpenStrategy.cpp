#include "HistoryWindowOpenStrategy.h"

#include "Localization.h"

#include <QHashFunctions>

QString HistoryWindowOpenStrategy::rawValue() const
{
    switch (m_value) {
    case lastLocation:
        return QStringLiteral("lastLocation");
    case activeScreenCenter:
        return QStringLiteral("activeScreenCenter");
    case activeWindowCenter:
        return QStringLiteral("activeWindowCenter");
    case screenWithCursor:
        return QStringLiteral("screenWithCursor");
    case mouseCursor:
        return QStringLiteral("mouseCursor");
    case inputCursor:
        return QStringLiteral("inputCursor");
    }
    return QStringLiteral("activeScreenCenter");
}

QString HistoryWindowOpenStrategy::englishTitle() const
{
    switch (m_value) {
    case lastLocation:
        return QStringLiteral("Last location");
    case activeScreenCenter:
        return QStringLiteral("Active screen center");
    case activeWindowCenter:
        return QStringLiteral("Active window center");
    case screenWithCursor:
        return QStringLiteral("Screen with cursor");
    case mouseCursor:
        return QStringLiteral("Mouse cursor");
    case inputCursor:
        return QStringLiteral("Input cursor");
    }
    return QStringLiteral("Active screen center");
}

QString HistoryWindowOpenStrategy::title() const
{
    return localized(englishTitle());
}

std::optional<HistoryWindowOpenStrategy> HistoryWindowOpenStrategy::fromRawValue(QStringView raw)
{
    for (const Value strategy : allCases) {
        if (HistoryWindowOpenStrategy(strategy).rawValue() == raw)
            return HistoryWindowOpenStrategy(strategy);
    }
    return std::nullopt;
}

HistoryWindowOpenStrategy HistoryWindowOpenStrategy::fromStoredString(QStringView stored)
{
    for (const Value value : allCases) {
        const HistoryWindowOpenStrategy strategy(value);
        if (strategy.rawValue() == stored || strategy.englishTitle() == stored)
            return strategy;
    }
    return activeScreenCenter;
}

size_t qHash(HistoryWindowOpenStrategy strategy, size_t seed)
{
    return ::qHash(int(HistoryWindowOpenStrategy::Value(strategy)), seed);
}
