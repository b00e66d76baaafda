#include "HistoryWindowOpenStrategy.h"

#include "EnumKeys.h"
#include "Localization.h"

#include <QHashFunctions>

QString HistoryWindowOpenStrategy::rawValue() const
{
    return enumKey(m_value);
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
    if (const auto value = enumFromKey<Value>(raw))
        return HistoryWindowOpenStrategy(*value);
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
