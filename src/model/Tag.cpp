#include "Tag.h"

#include "Coding.h"

#include <QHashFunctions>

QJsonObject Tag::toJson() const
{
    return QJsonObject {
        {QStringLiteral("id"), Coding::int64Value(id)},
        {QStringLiteral("name"), name},
        {QStringLiteral("color"), color},
    };
}

std::optional<Tag> Tag::fromJson(const QJsonObject &object)
{
    const auto id = Coding::readInt64(object, QLatin1StringView("id"));
    const auto name = Coding::readString(object, QLatin1StringView("name"));
    const auto color = Coding::readString(object, QLatin1StringView("color"));
    if (!id.isPresent() || !name.isPresent() || !color.isPresent())
        return std::nullopt;
    return Tag {id.value, name.value, color.value};
}

size_t qHash(const Tag &tag, size_t seed)
{
    return qHashMulti(seed, tag.id, tag.name, tag.color);
}
