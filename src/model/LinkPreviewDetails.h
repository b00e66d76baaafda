#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

// The stored form of a link item's preview.
struct LinkPreviewDetails
{
    QString url; // address of the previewed page
    std::optional<QString> title; // page title
    std::optional<QString> description; // page description
    std::optional<QString> imagePath; // absolute path of the downloaded preview image
    std::optional<QString> faviconPath; // absolute path of the downloaded page icon
    QDateTime fetchedAt; // when the preview was fetched

    bool operator==(const LinkPreviewDetails &) const = default;

    // "url" and "fetchedAt" always; the others only when present.
    QJsonObject toJson() const;
    // "url" and "fetchedAt" are required; a present member of the wrong type fails the whole record.
    static std::optional<LinkPreviewDetails> fromJson(const QJsonObject &object);
};

size_t qHash(const LinkPreviewDetails &details, size_t seed = 0);
