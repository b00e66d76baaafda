#pragma once

#include "ClipboardItem.h"

#include <QColor>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// What the item preview shows for an item, chosen from the item alone. Choosing reads no more than file headers:
// an image is decoded later, at the size it is shown.
struct PreviewContent
{
    enum class Kind { image, fileQuickLook, fileList, color, webPage, text };

    Kind kind = Kind::text;
    QString imagePath; // image: the file to read
    QSizeF imageSize; // image: its size in points (its orientation applied)
    QUrl url; // fileQuickLook: the file; webPage: the page
    QStringList paths; // fileList
    QColor color; // color
    QString colorText; // color: the text it was read from, trimmed
    QString text; // text: the plain text, the text read from the RTF, or the text of the HTML
    QString html; // text: an HTML document shown with its formatting; empty for plain text
    bool monospaced = true; // text: the plain-text style (13-pixel monospaced) rather than the rich text's own

    bool operator==(const PreviewContent &) const = default;

    // The content for an item; every failure falls back to a plainer content.
    static PreviewContent make(const ClipboardItem &item);
    // The size the content asks for within the largest content size, with the details panel `detailsHeight` high.
    QSizeF size(const ClipboardItem &item, const QSizeF &maximum, double detailsHeight) const;
};

// Whether two items show the same content: the same id, kind, text, HTML, RTF, image file and file paths.
bool hasSamePreviewContent(const ClipboardItem &a, const ClipboardItem &b);

// The size of an image file in points (pixels at 72 dots per inch when the file states its density), its
// orientation applied; nothing when the file cannot be read as an image.
std::optional<QSizeF> imageFileDisplaySize(const QString &path);
