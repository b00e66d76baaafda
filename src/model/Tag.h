#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// A user-named, coloured label that items carry by id.
struct Tag
{
    qint64 id = 0; // assigned by the history store
    QString name; // unique among tags without regard to letter case
    QString color; // "#" and six upper-case hexadecimal digits, such as "#3B85ED"

    bool operator==(const Tag &) const = default;

    QJsonObject toJson() const;
    // All three members are required, with their types; other members are ignored.
    static std::optional<Tag> fromJson(const QJsonObject &object);
};

size_t qHash(const Tag &tag, size_t seed = 0);
