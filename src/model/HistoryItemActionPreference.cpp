#include "HistoryItemActionPreference.h"

#include "EnumKeys.h"
#include "Localization.h"

#include <QHashFunctions>

QString HistoryItemActionPreference::rawValue() const
{
    return enumKey(m_value);
}

QString HistoryItemActionPreference::englishTitle() const
{
    return m_value == copy ? QStringLiteral("Copy") : QStringLiteral("Paste");
}

QString HistoryItemActionPreference::title() const
{
    return localized(englishTitle());
}

std::optional<HistoryItemActionPreference> HistoryItemActionPreference::fromRawValue(QStringView raw)
{
    if (const auto value = enumFromKey<Value>(raw))
        return HistoryItemActionPreference(*value);
    return std::nullopt;
}

HistoryItemActionPreference HistoryItemActionPreference::resolved(QStringView stored)
{
    for (const Value value : allCases) {
        const HistoryItemActionPreference action(value);
        if (action.rawValue() == stored || action.englishTitle() == stored)
            return action;
    }
    return paste;
}

size_t qHash(HistoryItemActionPreference action, size_t seed)
{
    return ::qHash(int(HistoryItemActionPreference::Value(action)), seed);
}
