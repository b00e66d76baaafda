#pragma once

#include "ClipboardKind.h"
#include "Expected.h"
#include "LinkPreviewDetails.h"
#include "SharedOptional.h"
#include "Url.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUuid>

#include <optional>

// One entry of the clipboard history, passed by value everywhere. Stored as its JSON form.
struct ClipboardItem
{
    // What the list reads of every item on every change comes first, in one cache line with the id.
    QUuid id; // kept when a repeated copy merges into the entry
    ClipboardKind kind;
    bool isFavorite = false;
    QDateTime copiedAt; // latest copy
    QDateTime firstCopiedAt; // first copy
    std::optional<QString> title; // given by the user (rename)
    std::optional<QString> text; // plain text; colour text; text recognised in an image
    std::optional<QString> qrCodeText; // payload of QR codes found in an image
    std::optional<QByteArray> rtfData; // RTF of rich text
    std::optional<QString> html; // HTML of rich text
    std::optional<QString> assetPath; // absolute path of the item's image file
    QStringList filePaths; // absolute paths of copied files
    std::optional<QString> sourceAppName; // application in front when the content was copied
    std::optional<QString> sourceBundleIdentifier;
    qint64 byteSize = 0; // size of the copied content in bytes
    QList<qint64> tags; // tag ids, in the order assigned
    QString searchText; // rebuilt by refreshingSearchText
    qint64 copyCount = 0;
    SharedOptional<LinkPreviewDetails> linkPreviewDetails; // shared by the item's copies: most items have none
    std::optional<QDateTime> copySequenceID; // copy time of the sequence's first item
    std::optional<qint64> copySequenceOrder; // position within the sequence, from 0

    bool operator==(const ClipboardItem &) const = default;

    // --- Display and plain-text rendering -------------------------------------------------------------

    // The plain-text rendering: the text; else the text of the HTML or RTF (never the markup itself);
    // else the file paths, one a line; else the title; else the kind's title.
    QString primaryText() const;
    // The text that the item shows of its content: the text when it is not empty, else the text of the HTML,
    // else of the RTF; nothing when none of them has any.
    std::optional<QString> visibleText() const;
    // A title is shown on one line, and no window is wide enough to show more characters than this: the titles below
    // are cut to it rather than built from a whole first line that may run to megabytes.
    static constexpr qsizetype titleLengthLimit = 2000;

    // The user's title trimmed; nothing when absent or blank.
    std::optional<QString> customTitle() const;
    // By kind: the colour text, the first file's name, the image's pixel size, else the first line of the
    // plain-text rendering; at most titleLengthLimit characters.
    QString defaultTitle() const;
    // The custom title, else the default title; at most titleLengthLimit characters.
    QString displayTitle() const;
    // The item's image file, else its first file, as a file URL.
    std::optional<QUrl> contentFileURL() const;
    // Pixel size of an image item's asset, read from the file's header once and again only when the file changes.
    std::optional<QSize> imagePixelSize() const;
    bool hasImageText() const;
    bool hasQRCodeText() const;

    // --- Keys and search text ------------------------------------------------------------------------

    // The address of a text that is a link (scheme and host, no white space or controls), else nothing.
    static std::optional<Url> linkURL(const QString &text);
    // The duplicate key: the same kind and key make two captures the same content.
    QString contentKey() const;
    // Scheme and host lower-cased, fragment dropped, nothing else touched.
    static QString normalizedURLKey(const Url &url);
    // Each path standardised ("." and ".." resolved, links not followed), joined with "\n", order kept.
    static QString filePathsKey(const QStringList &paths);
    // A copy with searchText rebuilt from the title, text, QR text, preview title and description,
    // file paths, the given tag names and the source application name. Where the text is absent or empty, the
    // text of the HTML or RTF stands in its place, so that rich text copied without a plain string is found by
    // what it shows.
    ClipboardItem refreshingSearchText(const QStringList &tagNames) const;
    // Makes the text a part of the search text's buffer when the search text holds it where the rule above puts
    // it, so that the two are one buffer in memory. Loading and refreshingSearchText do this.
    void shareTextWithSearchText();

    // --- JSON --------------------------------------------------------------------------------------------

    QJsonObject toJson() const;
    // Fails (with a description of the first fault) on a missing required member, a wrong type or an
    // unknown kind; a "tags" member that is not an array of integers gives an empty tag list. A search text given
    // here is the item's own, and the object then needs no "searchText" member (the history store keeps it apart).
    static Expected<ClipboardItem, QString> fromJson(
        const QJsonObject &object, const std::optional<QString> &searchText = std::nullopt);
};

size_t qHash(const ClipboardItem &item, size_t seed = 0);
