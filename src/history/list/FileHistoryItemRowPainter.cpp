#include "FileHistoryItemRowPainter.h"

#include "FilePreviewCache.h"
#include "HistoryRowPictures.h"
#include "IconProvider.h"
#include "Localization.h"
#include "PreviewImage.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

// The picture of a file at the size: the preview cache's when there is one, else the image itself when it is
// one, else the desktop's icon of the file.
QImage filePicture(const QString &path, QSizeF size, const HistoryItemRowPaintContext &context, qreal ratio)
{
    if (FilePreviewCache *cache = context.configuration.filePreviewCache)
        return HistoryRowPictures::shared().filePreview(*cache, path, size, context.repaintTarget);
    if (HistoryRowPictures::shared().fileFacts(path).isImage) {
        const HistoryRowPictures::Picture picture = HistoryRowPictures::shared().picture(
            path, (size * ratio).toSize().expandedTo(QSize(1, 1)), false, context.repaintTarget);
        if (picture.state == HistoryRowPictures::State::ready)
            return picture.image;
        if (picture.state == HistoryRowPictures::State::pending)
            return QImage();
    }
    static const DesktopIconProvider icons;
    return icons.fileIcon(path, qRound(qMax(size.width(), size.height()) * ratio));
}

void paintPicture(QPainter &painter, const QRectF &box, QImage image, qreal opacity, bool centred)
{
    if (image.isNull() || box.isEmpty())
        return;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    if (image.devicePixelRatio() == 1.0 && ratio != 1.0)
        image.setDevicePixelRatio(ratio);
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    if (centred) {
        // Scaled up or down to fit the box, in its middle.
        QSizeF size = QSizeF(image.size()) / image.devicePixelRatio();
        size.scale(box.size(), Qt::KeepAspectRatio);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(box.center() - QPointF(size.width() / 2, size.height() / 2), size), image);
    } else {
        PreviewImage(std::move(image)).paint(painter, box);
    }
    painter.restore();
}

} // namespace

bool FileHistoryItemRowPainter::isFirstFileMissing(const ClipboardItem &item)
{
    return !item.filePaths.isEmpty() && !HistoryRowPictures::shared().fileFacts(item.filePaths.first()).exists;
}

bool FileHistoryItemRowPainter::showsImageLayout(const ClipboardItem &item)
{
    return !item.filePaths.isEmpty() && HistoryRowPictures::shared().fileFacts(item.filePaths.first()).isImage;
}

QString FileHistoryItemRowPainter::folderPath(const ClipboardItem &item)
{
    if (item.filePaths.isEmpty())
        return item.primaryText();
    return QFileInfo(item.filePaths.first()).path();
}

QString FileHistoryItemRowPainter::sizeDescription(const ClipboardItem &item)
{
    const QString size = formattedByteCount(item.byteSize);
    if (!item.filePaths.isEmpty() && HistoryRowPictures::shared().fileFacts(item.filePaths.first()).isImage) {
        if (const auto pixels = HistoryRowPictures::shared().imagePixelSize(item.filePaths.first())) {
            return QString::number(pixels->width()) + QLatin1Char('x') + QString::number(pixels->height())
                + QStringLiteral(" \u00B7 ") + size;
        }
    }
    return size;
}

std::optional<HistoryLabel> FileHistoryItemRowPainter::titleLabel(const HistoryItemRowPaintContext &context) const
{
    std::optional<HistoryLabel> title = HistoryItemRowPainter::titleLabel(context);
    if (title && isFirstFileMissing(context.item)) {
        title->color = HistoryRowColors::lightGray();
        title->searchQuery.clear();
    }
    return title;
}

void FileHistoryItemRowPainter::paintContent(QPainter &painter, const HistoryItemRowPaintContext &context) const
{
    const bool missing = isFirstFileMissing(context.item);
    if (showsImageLayout(context.item))
        paintImageFileContent(painter, context, missing);
    else
        paintDocumentContent(painter, context, missing);
}

void FileHistoryItemRowPainter::paintTextLines(QPainter &painter, const HistoryItemRowPaintContext &context,
    const QRectF &column, qreal spacing, bool missing) const
{
    const ClipboardItem &item = context.item;
    const QColor gray = HistoryRowColors::lightGray();
    const auto label = [&](const QString &text, const QFont &font, const QColor &color, Qt::TextElideMode elide) {
        HistoryLabel made = context.label(text, font, missing ? gray : color, elide);
        if (missing)
            made.searchQuery.clear();
        return made;
    };
    const QColor registered = HistoryRowColors::label(context.palette, context.emphasized());
    qreal y = column.top();
    const qreal headline = m_metrics.headlineLabelHeight();
    const qreal caption = m_metrics.captionLabelHeight();
    label(item.defaultTitle(), m_metrics.titleFont(), registered, Qt::ElideRight)
        .paint(
            painter, QRectF(column.left(), y, qMax(0.0, column.width() - context.layout.accessoryReserve()), headline));
    y += headline + spacing;
    label(folderPath(item), m_metrics.captionFont(), registered, Qt::ElideMiddle)
        .paint(painter, QRectF(column.left(), y, column.width(), caption));
    y += caption + spacing;
    label(sizeDescription(item), m_metrics.captionFont(), HistoryRowColors::secondaryLabel(context.palette),
        Qt::ElideRight)
        .paint(painter, QRectF(column.left(), y, column.width(), caption));
}

void FileHistoryItemRowPainter::paintImageFileContent(
    QPainter &painter, const HistoryItemRowPaintContext &context, bool missing) const
{
    const QRectF &body = context.layout.body;
    paintTextLines(painter, context, body, 4, missing);
    const QSizeF size = HistoryRowPictures::shared().filePreviewSize(
        m_metrics, context.item, context.tableWidth(), context.configuration.filePreviewCache);
    const qreal top = body.top() + m_metrics.headlineLabelHeight() + 2 * m_metrics.captionLabelHeight() + 12;
    const QRectF holder(body.left(), top, qMin(size.width(), body.width()), size.height());
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QImage image = filePicture(context.item.filePaths.first(),
        QSizeF(qMax(iconSize, size.width()), qMax(iconSize, size.height())), context, ratio);
    paintPicture(painter, holder, image, missing ? 0.5 : 1.0, false);
}

void FileHistoryItemRowPainter::paintDocumentContent(
    QPainter &painter, const HistoryItemRowPaintContext &context, bool missing) const
{
    const QRectF &body = context.layout.body;
    const qreal height = m_metrics.fileRowContentHeight();
    const QRectF holder(body.left(), body.top(), height, height);
    const QRectF icon(holder.center() - QPointF(iconSize / 2, iconSize / 2), QSizeF(iconSize, iconSize));
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    if (context.item.filePaths.isEmpty())
        paintKindSymbol(painter, icon, context.item, context.palette);
    else
        paintPicture(painter, icon, filePicture(context.item.filePaths.first(), icon.size(), context, ratio),
            missing ? 0.5 : 1.0, true);

    const qreal columnHeight = m_metrics.headlineLabelHeight() + 2 * m_metrics.captionLabelHeight() + 4;
    const qreal left = holder.right() + 12;
    const QRectF column(left, body.top() + (height - columnHeight) / 2, qMax(0.0, body.right() - left), columnHeight);
    paintTextLines(painter, context, column, 2, missing);
}

QString FilesHistoryItemRowPainter::symbolName(const ClipboardItem &) const
{
    return QStringLiteral("document.on.document");
}

QString FilesHistoryItemRowPainter::summaryText(const QStringList &paths)
{
    int files = 0;
    int folders = 0;
    for (const QString &path : paths) {
        const HistoryRowPictures::FileFacts facts = HistoryRowPictures::shared().fileFacts(path);
        if (facts.exists && facts.isDirectory)
            ++folders;
        else
            ++files;
    }
    QStringList parts;
    if (files > 0)
        parts.append(files == 1 ? localized(QStringLiteral("%d file"), {files})
                                : localized(QStringLiteral("%d files"), {files}));
    if (folders > 0)
        parts.append(folders == 1 ? localized(QStringLiteral("%d folder"), {folders})
                                  : localized(QStringLiteral("%d folders"), {folders}));
    return parts.join(QStringLiteral(", "));
}

int FilesHistoryItemRowPainter::visibleThumbnailCount(qsizetype pathCount, qreal tableWidth)
{
    if (pathCount <= 0)
        return 0;
    const qreal available = qMax(0.0, tableWidth - contentLeading - contentTrailing);
    const int count = int(std::floor((available + tileSpacing) / (tileWidth + tileSpacing)));
    return qMax(0, int(qMin<qsizetype>(count, pathCount)));
}

QList<QRectF> FilesHistoryItemRowPainter::tileRects(const HistoryItemRowPaintContext &context) const
{
    QList<QRectF> tiles;
    const QRectF &body = context.layout.body;
    const int count = visibleThumbnailCount(context.item.filePaths.size(), context.tableWidth());
    const qreal top = body.top() + m_metrics.headlineLabelHeight() + 4;
    const qreal height = tileInset + thumbnailHeight + 4 + m_metrics.captionLabelHeight() + tileInset;
    for (int i = 0; i < count; ++i)
        tiles.append(QRectF(body.left() + i * (tileWidth + tileSpacing), top, tileWidth, height));
    return tiles;
}

void FilesHistoryItemRowPainter::paintContent(QPainter &painter, const HistoryItemRowPaintContext &context) const
{
    const ClipboardItem &item = context.item;
    const QRectF &body = context.layout.body;

    // The header: the count and the summary on one baseline.
    const QString count = localized(QStringLiteral("%d items"), {item.filePaths.size()});
    const QFontMetricsF countMetrics(m_metrics.titleFont());
    const QFontMetricsF summaryMetrics(m_metrics.captionFont());
    const qreal headerWidth = qMax(0.0, body.width() - context.layout.accessoryReserve(12));
    const qreal countWidth = qMin(headerWidth, std::ceil(countMetrics.horizontalAdvance(count)));
    const QRectF countRect(body.left(), body.top(), countWidth, m_metrics.headlineLabelHeight());
    context.label(count, m_metrics.titleFont(), HistoryRowColors::label(context.palette, context.emphasized()))
        .paint(painter, countRect);
    const qreal baseline = countRect.top() + (countRect.height() - countMetrics.height()) / 2 + countMetrics.ascent();
    const qreal summaryTop = baseline - summaryMetrics.ascent();
    const QRectF summaryRect(
        countRect.right() + 12, summaryTop, qMax(0.0, headerWidth - countWidth - 12), summaryMetrics.height());
    context
        .label(summaryText(item.filePaths), m_metrics.captionFont(), HistoryRowColors::secondaryLabel(context.palette))
        .paint(painter, summaryRect);

    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QList<QRectF> tiles = tileRects(context);
    for (qsizetype i = 0; i < tiles.size(); ++i) {
        const QRectF &tile = tiles.at(i);
        const QString &path = item.filePaths.at(i);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(tile, 8, 8);
        painter.fillPath(shape, HistoryRowColors::fileTileBackground());
        painter.setRenderHint(QPainter::Antialiasing, false);
        const QRectF thumbnail(
            tile.left() + tileInset, tile.top() + tileInset, tile.width() - 2 * tileInset, thumbnailHeight);
        paintPicture(
            painter, thumbnail, filePicture(path, QSizeF(thumbnailHeight, thumbnailHeight), context, ratio), 1.0, true);
        HistoryLabel name;
        name.text = QFileInfo(path).fileName();
        name.font = m_metrics.captionFont();
        name.color = HistoryRowColors::secondaryLabel(context.palette);
        name.elide = Qt::ElideMiddle;
        name.alignment = Qt::AlignHCenter;
        name.paint(painter,
            QRectF(thumbnail.left(), thumbnail.bottom() + 4, thumbnail.width(), m_metrics.captionLabelHeight()));
        painter.restore();
    }
}
