#include "HistoryFilterContentType.h"

#include "EnumKeys.h"
#include "Localization.h"

#include <QHashFunctions>

QString HistoryFilterContentType::rawValue() const
{
    return enumKey(m_value);
}

QString HistoryFilterContentType::englishTitle() const
{
    switch (m_value) {
    case all:
        return QStringLiteral("All Types");
    case favorites:
        return QStringLiteral("Favorites");
    case text:
        return QStringLiteral("Text");
    case images:
        return QStringLiteral("Images");
    case files:
        return QStringLiteral("Files");
    case links:
        return QStringLiteral("Links");
    case emails:
        return QStringLiteral("Emails");
    case colors:
        return QStringLiteral("Colors");
    }
    return QStringLiteral("All Types");
}

QString HistoryFilterContentType::title() const
{
    return localized(englishTitle());
}

std::optional<HistoryFilterContentType> HistoryFilterContentType::fromRawValue(QStringView raw)
{
    if (const auto value = enumFromKey<Value>(raw))
        return HistoryFilterContentType(*value);
    return std::nullopt;
}

size_t qHash(HistoryFilterContentType type, size_t seed)
{
    return ::qHash(int(HistoryFilterContentType::Value(type)), seed);
}
