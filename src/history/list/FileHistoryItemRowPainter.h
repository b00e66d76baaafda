#pragma once

#include "HistoryItemRowPainter.h"

#include <QStringList>

// Rows of one file (or none). An image file shows its name, folder and size ("640x480 · 12 KB") above its
// thumbnail at the height the table width gives it; any other file its 48-pixel icon beside the three lines. A file
// that no longer exists is shown in light grey whatever the selection, its picture at half opacity. Thumbnails come
// from the file preview cache, rendered off the GUI thread.
class FileHistoryItemRowPainter final : public HistoryItemRowPainter
{
public:
    static constexpr qreal iconSize = 48;

    using HistoryItemRowPainter::HistoryItemRowPainter;

    // The item has a file path and nothing exists at the first one.
    static bool isFirstFileMissing(const ClipboardItem &item);
    // Whether the row shows the image layout.
    static bool showsImageLayout(const ClipboardItem &item);
    // The byte count; for an image file its pixel size before it.
    static QString sizeDescription(const ClipboardItem &item);
    // The folder of the first file.
    static QString folderPath(const ClipboardItem &item);

protected:
    std::optional<HistoryLabel> titleLabel(const HistoryItemRowPaintContext &context) const override;
    void paintContent(QPainter &painter, const HistoryItemRowPaintContext &context) const override;

private:
    void paintImageFileContent(QPainter &painter, const HistoryItemRowPaintContext &context, bool missing) const;
    void paintDocumentContent(QPainter &painter, const HistoryItemRowPaintContext &context, bool missing) const;
    // Headline, folder line and size line, from the top of the rectangle, the headline short of the strip.
    void paintTextLines(QPainter &painter, const HistoryItemRowPaintContext &context, const QRectF &column,
        qreal spacing, bool missing) const;
};

// Rows of two or more files: "3 items", what they are ("2 files, 1 folder"), and a tile with a thumbnail and the
// name for as many of the files as fit the table width.
class FilesHistoryItemRowPainter final : public HistoryItemRowPainter
{
public:
    static constexpr qreal tileWidth = 90;
    static constexpr qreal tileSpacing = 8;
    static constexpr qreal tileInset = 8;
    static constexpr qreal thumbnailHeight = 55;

    using HistoryItemRowPainter::HistoryItemRowPainter;

    QString symbolName(const ClipboardItem &item) const override;

    // "2 files, 1 folder": existing folders count as folders, everything else (missing paths too) as files.
    static QString summaryText(const QStringList &paths);
    // How many tiles fit the table width, at most one per path.
    static int visibleThumbnailCount(qsizetype pathCount, qreal tableWidth);
    // The tiles of the row's body.
    QList<QRectF> tileRects(const HistoryItemRowPaintContext &context) const;

protected:
    void paintContent(QPainter &painter, const HistoryItemRowPaintContext &context) const override;
};
