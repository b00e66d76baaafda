#pragma once

#include "ClipboardItem.h"
#include "ClipboardKind.h"
#include "Expected.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

// The payload written by older versions of the application, whose items named their tags by text. It is
// only ever read, by the store's migration, and converted into a current item.
struct LegacyClipboardItem
{
    QUuid id;
    ClipboardKind kind;
    std::optional<QString> title;
    std::optional<QString> text;
    std::optional<QByteArray> rtfData;
    std::optional<QString> html;
    std::optional<QString> assetPath;
    QStringList filePaths;
    std::optional<QString> sourceAppName;
    std::optional<QString> sourceBundleIdentifier;
    QDateTime copiedAt;
    qint64 byteSize = 0;
    bool isFavorite = false;
    QStringList tags; // tag names
    qint64 copyCount = 0;

    // Every member the record requires, with its type; a "tags" array that holds anything but texts (the ids
    // of a current payload) does not decode.
    static Expected<LegacyClipboardItem, QString> fromJson(const QJsonObject &object);

    // The current item: the tags become the given ids, the first copy time is the copy time, and the search
    // text is built with the given tag names.
    ClipboardItem makeClipboardItem(const QList<qint64> &tagIDs, const QStringList &tagNames) const;
};
