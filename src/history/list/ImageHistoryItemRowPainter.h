#pragma once

#include "HistoryItemRowPainter.h"

#include <QSize>

#include <optional>

// Image rows: the picture at the height the table width gives it (at most 100), decoded at that size off the GUI
// thread, and under it the caption "1920x1080 · 2.1 MB". A picture that cannot be read shows the kind symbol in a
// 100-pixel square and "Unknown dimensions".
class ImageHistoryItemRowPainter final : public HistoryItemRowPainter
{
public:
    static constexpr qreal captionSpacing = 6;

    using HistoryItemRowPainter::HistoryItemRowPainter;

    // "W" "x" "H" of the pixel size, or "Unknown dimensions"; " · "; the byte count.
    static QString captionText(std::optional<QSize> pixelSize, qint64 byteSize);
    // The picture's box and the caption's line in the row's body.
    struct Boxes
    {
        QRectF picture;
        QRectF caption;
    };
    Boxes boxes(const HistoryItemRowPaintContext &context) const;

protected:
    void paintContent(QPainter &painter, const HistoryItemRowPaintContext &context) const override;
};
