#include "LinkPreviewDetails.h"

#include "Coding.h"

#include <QHashFunctions>

namespace {

void insertIfPresent(QJsonObject &object, const QString &key, const std::optional<QString> &value)
{
    if (value)
        object.insert(key, *value);
}

} // namespace

QJsonObject LinkPreviewDetails::toJson() const
{
    QJsonObject object {
        {QStringLiteral("url"), url},
        {QStringLiteral("fetchedAt"), Coding::iso8601String(fetchedAt)},
    };
    insertIfPresent(object, QStringLiteral("title"), title);
    insertIfPresent(object, QStringLiteral("description"), description);
    insertIfPresent(object, QStringLiteral("imagePath"), imagePath);
    insertIfPresent(object, QStringLiteral("faviconPath"), faviconPath);
    return object;
}

std::optional<LinkPreviewDetails> LinkPreviewDetails::fromJson(const QJsonObject &object)
{
    using namespace Coding;
    const auto url = readString(object, QLatin1StringView("url"));
    const auto fetchedAt = readDate(object, QLatin1StringView("fetchedAt"));
    const auto title = readString(object, QLatin1StringView("title"));
    const auto description = readString(object, QLatin1StringView("description"));
    const auto imagePath = readString(object, QLatin1StringView("imagePath"));
    const auto faviconPath = readString(object, QLatin1StringView("faviconPath"));
    if (!url.isPresent() || !fetchedAt.isPresent())
        return std::nullopt;
    if (title.isWrongType() || description.isWrongType() || imagePath.isWrongType() || faviconPath.isWrongType())
        return std::nullopt;
    LinkPreviewDetails details;
    details.url = url.value;
    details.title = title.optional();
    details.description = description.optional();
    details.imagePath = imagePath.optional();
    details.faviconPath = faviconPath.optional();
    details.fetchedAt = fetchedAt.value;
    return details;
}

namespace {

template<typename T> size_t hashOptional(const std::optional<T> &value, size_t seed)
{
    return value ? qHashMulti(seed, true, *value) : qHash(false, seed);
}

} // namespace

size_t qHash(const LinkPreviewDetails &details, size_t seed)
{
    seed = qHash(details.url, seed);
    seed = hashOptional(details.title, seed);
    seed = hashOptional(details.description, seed);
    seed = hashOptional(details.imagePath, seed);
    seed = hashOptional(details.faviconPath, seed);
    return qHash(details.fetchedAt, seed);
}
