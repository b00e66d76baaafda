#include "HistorySortOption.h"

#include "Localization.h"

#include <QHashFunctions>

QString HistorySortOption::rawValue() const
{
    switch (m_value) {
    case lastCopyTime:
        return QStringLiteral("Last Copy Time");
    case firstCopyTime:
        return QStringLiteral("First Copy Time");
    case numberOfCopies:
        return QStringLiteral("Number of Copies");
    case size:
        return QStringLiteral("Size");
    }
    return QStringLiteral("Last Copy Time");
}

QString HistorySortOption::title() const
{
    return localized(rawValue());
}

std::optional<HistorySortOption> HistorySortOption::fromRawValue(QStringView raw)
{
    for (const Value option : allCases) {
        if (HistorySortOption(option).rawValue() == raw)
            return HistorySortOption(option);
    }
    return std::nullopt;
}

size_t qHash(HistorySortOption option, size_t seed)
{
    return ::qHash(int(HistorySortOption::Value(option)), seed);
}
