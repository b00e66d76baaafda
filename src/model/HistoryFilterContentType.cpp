#include "HistoryFilterContentType.h"

#include "Localization.h"

#include <QHashFunctions>

QString HistoryFilterContentType::rawValue() const
{
    switch (m_value) {
    case all:
        return QStringLiteral("all");
    case favorites:
        return QStringLiteral("favorites");
    case text:
        return QStringLiteral("text");
    case images:
        return QStringLiteral("images");
    case files:
        return QStringLiteral("files");
    case links:
        return QStringLiteral("links");
    case emails:
        return QStringLiteral("emails");
    case colors:
        return QStringLiteral("colors");
    }
    return QStringLiteral("all");
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
    for (const Value type : allCases) {
        if (HistoryFilterContentType(type).rawValue() == raw)
            return HistoryFilterContentType(type);
    }
    return std::nullopt;
}

size_t qHash(HistoryFilterContentType type, size_t seed)
{
    return ::qHash(int(HistoryFilterContentType::Value(type)), seed);
}
