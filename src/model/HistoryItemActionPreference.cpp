#include "HistoryItemActionPreference.h"

#include "Localization.h"

#include <QHashFunctions>

QString HistoryItemActionPreference::rawValue() const
{
    return m_value == copy ? QStringLiteral("copy") : QStringLiteral("paste");
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
    for (const Value action : allCases) {
        if (HistoryItemActionPreference(action).rawValue() == raw)
            return HistoryItemActionPreference(action);
    }
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
