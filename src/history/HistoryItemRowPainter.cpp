#include "HistoryItemRowPainter.h"

#include "EmptyHistory.h"
#include "HistoryColors.h"
#include "HistoryPreviewText.h"
#include "HistorySymbols.h"
#include "PreviewImage.h"
#include "TextUtilities.h"

#include <QCache>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace {

// Pictures decoded at the size they are shown, a few dozen kept: a row repainted does not read its file again.
QImage thumbnail(const QString &path, QSize size)
{
    static QCache<QString, QImage> decoded(64);
    const QString key = QStringLiteral("%1|%2x%3").arg(path).arg(size.width()).arg(size.height());
    if (const QImage *found = decoded.object(key))
        return *found;
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize full = reader.size();
    if (full.isValid() && size.isValid() && (full.width() > size.width() || full.height() > size.height()))
        reader.setScaledSize(full.scaled(size, Qt::KeepAspectRatio));
    QImage image = reader.read();
    decoded.insert(key, new QImage(image));
    return image;
}

} // namespace

QString historyItemRowReuseIdentifier(const ClipboardItem &item)
{
    switch (item.kind) {
    case ClipboardKind::text:
        return QStringLiteral("TextHistoryItemRow");
    case ClipboardKind::richText:
        return QStringLiteral("RichTextHistoryItemRow");
    case ClipboardKind::link:
        return QStringLiteral("LinkHistoryItemRow");
    case ClipboardKind::email:
        return QStringLiteral("EmailHistoryItemRow");
    case ClipboardKind::color:
        return QStringLiteral("ColorHistoryItemRow");
    case ClipboardKind::image:
        return QStringLiteral("ImageHistoryItemRow");
    case ClipboardKind::file:
        return item.filePaths.size() >= 2 ? QStringLiteral("FilesHistoryItemRow")
                                          : QStringLiteral("FileHistoryItemRow");
    }
    return QStringLiteral("TextHistoryItemRow");
}

HistoryItemRowPainter::HistoryItemRowPainter(const HistoryRowMetrics &metrics) : m_metrics(metrics) { }

const HistoryItemRowPainter &HistoryItemRowPainter::forReuseIdentifier(const QString &identifier)
{
    // Until each kind has its own painter, they share the plain one.
    Q_UNUSED(identifier);
    static const HistoryItemRowPainter plain;
    return plain;
}

QString HistoryItemRowPainter::symbolName(const ClipboardItem &item) const
{
    switch (item.kind) {
    case ClipboardKind::text:
        return QStringLiteral("text.page");
    case ClipboardKind::richText:
        return QStringLiteral("richtext.page");
    case ClipboardKind::link:
        return QStringLiteral("link");
    case ClipboardKind::email:
        return QStringLiteral("envelope");
    case ClipboardKind::color:
        return QStringLiteral("paintpalette");
    case ClipboardKind::image:
        return QStringLiteral("photo");
    case ClipboardKind::file:
        return item.filePaths.size() >= 2 ? QStringLiteral("document.on.document") : QStringLiteral("document");
    }
    return QStringLiteral("text.page");
}

void HistoryItemRowPainter::paint(QPainter &painter, const QRectF &rowRect, const ClipboardItem &item,
    const HistoryItemRowConfiguration &configuration, const QPalette &palette) const
{
    const QColor secondary = HistoryColors::secondaryLabel(palette);
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QRectF iconRect = typeIconRect.translated(rowRect.topLeft());
    painter.drawPixmap(iconRect.adjusted(3, 3, -3, -3).topLeft(),
        HistorySymbols::tintedPixmap(symbolName(item), 16, secondary, ratio));

    QRectF content = rowRect.adjusted(contentLeading, contentTop, -contentTrailing, -contentBottom);

    // The accessories at the trailing end: the room of the quick-paste number (the number itself comes with the
    // rows' accessory strip), then the favourite star.
    qreal accessoriesRight = content.right();
    const qreal accessoryTop = rowRect.top() + 9;
    if (configuration.quickPasteIndex)
        accessoriesRight -= 24 + 4;
    if (item.isFavorite) {
        accessoriesRight -= FavoriteStar::size;
        FavoriteStar::paint(
            painter, QPointF(accessoriesRight, accessoryTop), HistoryColors::label(palette), item.isFavorite);
        accessoriesRight -= 4;
    }

    if (const auto title = item.customTitle()) {
        painter.setFont(m_metrics.titleFont());
        painter.setPen(HistoryColors::label(palette));
        const QRectF titleRect(
            content.left(), content.top(), accessoriesRight - content.left(), m_metrics.titleFontLineHeight());
        const QString line = TextUtilities::firstLine(*title).toString();
        painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetricsF(m_metrics.titleFont()).elidedText(line, Qt::ElideRight, titleRect.width()));
        content.setTop(content.top() + m_metrics.titleHeight(item));
    }
    content.setRight(qMax(content.left(), accessoriesRight));
    paintContent(painter, content, item, configuration, palette);
}

void HistoryItemRowPainter::paintContent(QPainter &painter, const QRectF &contentRect, const ClipboardItem &item,
    const HistoryItemRowConfiguration &configuration, const QPalette &palette) const
{
    painter.setFont(m_metrics.textFont());
    painter.setPen(HistoryColors::label(palette));
    const QFontMetricsF metrics(m_metrics.textFont());

    if (item.kind == ClipboardKind::image && item.assetPath) {
        // The picture at the height the row was sized for.
        const qreal height = m_metrics.imagePreviewHeight(item, configuration.tableWidth);
        const QRectF box(contentRect.left(), contentRect.top(), contentRect.width(), height);
        const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
        QImage picture = thumbnail(*item.assetPath, (box.size() * ratio).toSize());
        picture.setDevicePixelRatio(ratio);
        PreviewImage(std::move(picture)).paint(painter, box);
        return;
    }
    if (!item.kind.isTextLike() || item.kind == ClipboardKind::email || item.kind == ClipboardKind::color
        || item.kind == ClipboardKind::link) {
        const QString line = TextUtilities::firstLine(item.defaultTitle()).toString();
        painter.drawText(QRectF(contentRect.left(), contentRect.top(), contentRect.width(), m_metrics.textLineHeight()),
            Qt::AlignLeft | Qt::AlignVCenter, metrics.elidedText(line, Qt::ElideRight, contentRect.width()));
        return;
    }

    // Text: the preview wrapped to as many lines as the row's height was computed for, the last one cut.
    const QString preview = historyPreviewText(item.primaryText(), historyPreviewTextLimit);
    const qreal width = HistoryRowMetrics::textPreviewWidth(
        item, configuration.quickPasteIndex, int(configuration.tags.size()), configuration.tableWidth);
    const int lineCount = qMax(1, int(std::floor((contentRect.height() + 0.5) / m_metrics.textLineHeight())));
    const int lines = qMin(lineCount, HistoryRowMetrics::lineCount(m_metrics.measureLines(preview), width));

    QTextLayout layout(preview, m_metrics.textFont());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    QList<QTextLine> laidOut;
    while (laidOut.size() < lines) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(contentRect.width());
        line.setPosition(QPointF(0, y));
        y += m_metrics.textLineHeight();
        laidOut.append(line);
    }
    layout.endLayout();
    for (qsizetype i = 0; i < laidOut.size(); ++i) {
        const QTextLine &line = laidOut.at(i);
        const bool isLast = i == laidOut.size() - 1;
        const bool hasMore = line.textStart() + line.textLength() < preview.size();
        if (isLast && hasMore) {
            const QString rest = preview.mid(line.textStart(), qMin<qsizetype>(preview.size() - line.textStart(), 500));
            painter.drawText(QPointF(contentRect.left(), contentRect.top() + line.y() + metrics.ascent()),
                metrics.elidedText(rest, Qt::ElideRight, contentRect.width()));
        } else {
            line.draw(&painter, contentRect.topLeft());
        }
    }
}

namespace HistorySectionHeaderCell {

void paint(QPainter &painter, const QRectF &rowRect, const QString &title, bool isFirstRow, const QPalette &palette)
{
    QFont font = painter.font();
    font.setPixelSize(fontSize);
    font.setWeight(QFont::Normal);
    const QFontMetricsF metrics(font);
    const qreal top = rowRect.top() + (isFirstRow ? firstTitleTop : titleTop);
    const QRectF titleRect(rowRect.left() + leading, top, qMax(0.0, rowRect.width() - 2 * leading), metrics.height());
    painter.setFont(font);
    painter.setPen(HistoryColors::sectionHeaderText(palette));
    painter.drawText(
        titleRect, Qt::AlignLeft | Qt::AlignTop, metrics.elidedText(title, Qt::ElideRight, titleRect.width()));
}

} // namespace HistorySectionHeaderCell
