#include "ImageHistoryItemRowPainter.h"

#include "HistoryRowPictures.h"
#include "Localization.h"
#include "PreviewImage.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

QString ImageHistoryItemRowPainter::captionText(std::optional<QSize> pixelSize, qint64 byteSize)
{
    const QString dimensions = pixelSize
        ? QString::number(pixelSize->width()) + QLatin1Char('x') + QString::number(pixelSize->height())
        : localized(QStringLiteral("Unknown dimensions"));
    return dimensions + QStringLiteral(" \u00B7 ") + formattedByteCount(byteSize);
}

ImageHistoryItemRowPainter::Boxes ImageHistoryItemRowPainter::boxes(const HistoryItemRowPaintContext &context) const
{
    const QRectF &body = context.layout.body;
    const ClipboardItem &item = context.item;
    std::optional<QSize> pixels;
    if (item.assetPath)
        pixels = HistoryRowPictures::shared().imagePixelSize(*item.assetPath);
    // The same size the row's height was computed from: the pixel size, else the file's size in points.
    std::optional<QSizeF> size = pixels ? std::optional(QSizeF(*pixels)) : std::nullopt;
    if (!size && item.assetPath)
        size = m_metrics.cachedImageSize(*item.assetPath);
    const QSizeF thumbnail = size ? HistoryRowMetrics::thumbnailSize(context.tableWidth(), *size) : QSizeF(100, 100);
    Boxes boxes;
    boxes.picture = QRectF(body.left(), body.top(), qMin(thumbnail.width(), body.width()), thumbnail.height());
    boxes.caption
        = QRectF(body.left(), boxes.picture.bottom() + captionSpacing, body.width(), m_metrics.captionLineHeight());
    return boxes;
}

void ImageHistoryItemRowPainter::paintContent(QPainter &painter, const HistoryItemRowPaintContext &context) const
{
    const ClipboardItem &item = context.item;
    const Boxes box = boxes(context);
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;

    HistoryRowPictures::Picture picture {HistoryRowPictures::State::failed, {}};
    if (item.assetPath) {
        const QSize pixels = (box.picture.size() * ratio).toSize().expandedTo(QSize(1, 1));
        picture = HistoryRowPictures::shared().picture(*item.assetPath, pixels, false, context.repaintTarget);
    }
    if (picture.state == HistoryRowPictures::State::ready) {
        QImage image = picture.image;
        image.setDevicePixelRatio(ratio);
        PreviewImage(std::move(image)).paint(painter, box.picture);
    } else {
        // While it decodes, a quiet tile of its size; when it cannot be read, the kind symbol on a square one.
        const QRectF tileRect = picture.state == HistoryRowPictures::State::pending
            ? box.picture
            : QRectF(box.picture.topLeft(), QSizeF(box.picture.height(), box.picture.height()));
        QPainterPath tile;
        tile.addRoundedRect(tileRect, PreviewImage::cornerRadius, PreviewImage::cornerRadius);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(tile, HistoryRowColors::fileTileBackground());
        painter.restore();
        if (picture.state == HistoryRowPictures::State::failed)
            paintKindSymbol(painter,
                tileRect.adjusted(
                    tileRect.width() / 4, tileRect.height() / 4, -tileRect.width() / 4, -tileRect.height() / 4),
                item, context.palette);
    }

    std::optional<QSize> pixels;
    if (item.assetPath)
        pixels = HistoryRowPictures::shared().imagePixelSize(*item.assetPath);
    context
        .label(captionText(pixels, item.byteSize), m_metrics.captionFont(),
            HistoryRowColors::secondaryLabel(context.palette))
        .paint(painter, box.caption);
}
