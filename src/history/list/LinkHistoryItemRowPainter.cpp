#include "LinkHistoryItemRowPainter.h"

#include "HistoryRowPictures.h"
#include "Localization.h"
#include "TextUtilities.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <QUrl>

#include <cmath>

namespace {

// Word-wrapped lines of a text, at most the given number, the last one cut with an ellipsis when text is left.
void paintWrappedText(QPainter &painter, const QRectF &rect, const QString &text, const QFont &font,
    const QColor &color, int maximumLines, qreal lineHeight, const QList<std::pair<HistoryTextRange, QColor>> &ranges)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QList<QTextLine> lines;
    while (lines.size() < maximumLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(rect.width());
        lines.append(line);
    }
    layout.endLayout();
    const QFontMetricsF metrics(font);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QTextLine &line = lines.at(i);
        const qsizetype start = line.textStart();
        const bool runsOn = i == lines.size() - 1 && start + line.textLength() < text.size();
        const QString shown = runsOn ? metrics.elidedText(text.mid(start, qMin<qsizetype>(text.size() - start, 600)),
                                  Qt::ElideRight, rect.width())
                                     : text.mid(start, line.textLength());
        const qsizetype shownLength = runsOn ? shown.size() - 1 : shown.size();
        QList<std::pair<HistoryTextRange, QColor>> lineRanges;
        for (const auto &[range, rangeColor] : ranges) {
            const qsizetype from = qMax(range.start, start) - start;
            const qsizetype to = qMin(range.start + range.length, start + shownLength) - start;
            if (to > from)
                lineRanges.append({{from, to - from}, rangeColor});
        }
        paintTextWithRanges(painter, QPointF(rect.left(), rect.top() + i * lineHeight), shown, font, color, lineRanges);
    }
}

} // namespace

QString LinkHistoryItemRowPainter::faviconToolTip(const ClipboardItem &item)
{
    if (item.linkPreviewDetails) {
        const QString host = QUrl(item.linkPreviewDetails->url).host();
        if (!host.isEmpty())
            return host;
    }
    return item.kind.title();
}

void LinkHistoryItemRowPainter::configureTypeIcon(HistoryItemTypeIcon &icon, const ClipboardItem &item,
    const HistoryItemRowConfiguration &configuration, QWidget *repaintTarget) const
{
    if (!configuration.showsLinkPreview || !item.linkPreviewDetails || !item.linkPreviewDetails->faviconPath)
        return;
    const qreal side = typeIconRect.width() - 2 * faviconInset;
    const qreal ratio = repaintTarget ? repaintTarget->devicePixelRatioF() : 1.0;
    const HistoryRowPictures::Picture favicon = HistoryRowPictures::shared().picture(
        *item.linkPreviewDetails->faviconPath, QSize(qRound(side * ratio), qRound(side * ratio)), false, repaintTarget);
    if (favicon.state == HistoryRowPictures::State::ready)
        icon.configureImage(favicon.image, faviconToolTip(item), faviconInset);
}

std::optional<HistoryLabel> LinkHistoryItemRowPainter::titleLabel(const HistoryItemRowPaintContext &context) const
{
    std::optional<HistoryLabel> title = HistoryItemRowPainter::titleLabel(context);
    if (title)
        title->color = HistoryRowColors::label(context.palette);
    return title;
}

LinkHistoryItemRowPainter::CardLayout LinkHistoryItemRowPainter::cardLayout(
    const HistoryItemRowPaintContext &context) const
{
    CardLayout card;
    const QRectF &body = context.layout.body;
    const std::optional<LinkPreviewDetails> &details = context.item.linkPreviewDetails;
    const qreal inset = context.layout.accessoryControlsWidth > 0 ? context.layout.accessoryControlsWidth + 10 : 0;
    qreal columnRight = body.right() - inset;
    if (details && details->imagePath) {
        card.picture = QRectF(QPointF(columnRight - pictureSize.width(), body.top()), pictureSize);
        columnRight = card.picture.left() - 10;
    }
    const qreal width = qMax(0.0, columnRight - body.left());
    card.headline = QRectF(body.left(), body.top(), width, m_metrics.roundedTextLineHeight());
    qreal y = card.headline.bottom();
    if (details && details->title) {
        card.title = QRectF(body.left(), y + 4, width, m_metrics.titleFontLineHeight());
        y = card.title.bottom();
    }
    if (details && details->description)
        card.description = QRectF(body.left(), y + 4, width, m_metrics.twoCaptionLinesHeight());
    return card;
}

void LinkHistoryItemRowPainter::paintContent(QPainter &painter, const HistoryItemRowPaintContext &context) const
{
    if (!context.configuration.showsLinkPreview) {
        paintTextLine(painter, context, false);
        return;
    }
    const ClipboardItem &item = context.item;
    const CardLayout card = cardLayout(context);
    const QColor label = HistoryRowColors::label(context.palette);
    context.label(item.defaultTitle(), m_metrics.textFont(), label).paint(painter, card.headline);
    const std::optional<LinkPreviewDetails> &details = item.linkPreviewDetails;
    if (!details)
        return;
    if (!card.title.isEmpty()) {
        QFont font = m_metrics.titleFont();
        font.setWeight(QFont::Normal);
        context.label(TextUtilities::firstLine(*details->title).toString(), font, label).paint(painter, card.title);
    }
    if (!card.description.isEmpty()) {
        QList<std::pair<HistoryTextRange, QColor>> ranges;
        const QString description = details->description->left(1000);
        for (const HistoryTextRange &match : historySearchMatches(description, context.configuration.searchQuery))
            ranges.append({match, HistoryRowColors::searchMatch(context.palette)});
        painter.save();
        painter.setClipRect(card.description.adjusted(0, 0, 0, 2), Qt::IntersectClip);
        paintWrappedText(painter, card.description, description, m_metrics.captionFont(),
            HistoryRowColors::secondaryLabel(context.palette), 2, m_metrics.captionLineHeight(), ranges);
        painter.restore();
    }
    if (!card.picture.isEmpty()) {
        const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
        const HistoryRowPictures::Picture picture = HistoryRowPictures::shared().picture(
            *details->imagePath, (card.picture.size() * ratio).toSize(), true, context.repaintTarget, 8 * ratio);
        if (picture.state == HistoryRowPictures::State::ready) {
            QImage image = picture.image;
            image.setDevicePixelRatio(ratio);
            painter.drawImage(card.picture.topLeft(), image);
        } else if (picture.state == HistoryRowPictures::State::pending) {
            QPainterPath tile;
            tile.addRoundedRect(card.picture, 8, 8);
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing);
            painter.fillPath(tile, HistoryRowColors::fileTileBackground());
            painter.restore();
        }
    }
}
