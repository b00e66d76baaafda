#pragma once

#include "Expected.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

// The records of a history archive: "manifest.json" holds one manifest, "tags.json" an array of tags and
// "history.json" an array of items. Paths inside them are relative to the archive folder ("assets/images/...",
// "assets/link-previews/..."). Dates are ISO 8601 in whole seconds with "Z"; an optional member that is
// absent is left out. Reading is strict: a missing required member or a wrong type refuses the record, and
// the error names the member.

struct VarnistoArchiveManifest
{
    qint64 formatVersion = 1;
    QString appName;
    std::optional<QString> appVersion;
    QDateTime exportedAt;

    QJsonObject toJson() const;
    static Expected<VarnistoArchiveManifest, QString> fromJson(const QJsonObject &object);
};

struct VarnistoArchiveTag
{
    QString id; // the tag's id as decimal text
    QString name;
    QString color;

    QJsonObject toJson() const;
    static Expected<VarnistoArchiveTag, QString> fromJson(const QJsonObject &object);
};

struct VarnistoArchiveLinkPreviewDetails
{
    QString url;
    std::optional<QString> title;
    std::optional<QString> description;
    std::optional<QString> imagePath; // archive-relative
    std::optional<QString> faviconPath; // archive-relative
    QDateTime fetchedAt;

    QJsonObject toJson() const;
    static Expected<VarnistoArchiveLinkPreviewDetails, QString> fromJson(const QJsonObject &object);
};

struct VarnistoArchiveItem
{
    QUuid id;
    QString kind; // the raw value as written; an unknown one is read as text
    std::optional<QString> title;
    std::optional<QString> text;
    std::optional<QString> qrCodeText;
    std::optional<QString> rtfBase64;
    std::optional<QString> html;
    std::optional<QString> assetPath; // archive-relative
    QStringList filePaths;
    std::optional<QString> sourceAppName;
    std::optional<QString> sourceBundleIdentifier;
    QDateTime copiedAt;
    QDateTime firstCopiedAt;
    qint64 byteSize = 0;
    bool isFavorite = false;
    QStringList tagIDs; // decimal texts
    QStringList tagNames; // informative only; import reads the ids
    qint64 copyCount = 0;
    std::optional<VarnistoArchiveLinkPreviewDetails> linkPreviewDetails;
    std::optional<QDateTime> copySequenceID;
    std::optional<qint64> copySequenceOrder;

    QJsonObject toJson() const;
    static Expected<VarnistoArchiveItem, QString> fromJson(const QJsonObject &object);
};
