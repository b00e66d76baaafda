#include "TextHistoryItemRowPainter.h"

#include "HistoryColors.h"
#include "HistoryPreviewText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace {

size_t fingerprintOf(const ClipboardItem &item)
{
    size_t seed = qHash(int(ClipboardKind::Value(item.kind)));
    if (item.text)
        seed = qHash(*item.text, seed);
    else if (item.html)
        seed = qHash(*item.html, seed + 1);
    else if (item.rtfData)
        seed = qHash(*item.rtfData, seed + 2);
    return qHash(item.title.value_or(QString()), seed);
}

} // namespace

const TextHistoryItemRowPainter::Preview &TextHistoryItemRowPainter::preview(const ClipboardItem &item) const
{
    const size_t fingerprint = fingerprintOf(item);
    if (const Preview *found = m_previews.object(item.id); found && found->fingerprint == fingerprint)
        return *found;
    auto *made = new Preview;
    made->fingerprint = fingerprint;
    made->text = historyPreviewText(item.primaryText(), historyPreviewTextLimit);
    m_previews.insert(item.id, made, qMax<qsizetype>(1, made->text.size() / 512));
    return *made;
}

QList<std::pair<HistoryTextRange, QColor>> TextHistoryItemRowPainter::previewRanges(
    const QString &preview, const QString &query, const QPalette &palette)
{
    QList<std::pair<HistoryTextRange, QColor>> ranges;
    const QColor match = HistoryRowColors::searchMatch(palette);
    for (const HistoryTextRange &found : historySearchMatches(preview, query))
        ranges.append({found, match});
    const QColor mark = HistoryColors::isDark(palette) ? HistoryRowColors::darkGray() : HistoryRowColors::lightGray();
    for (const QString &symbol : {QStringLiteral(" \u23CE "), QStringLiteral("\u2192"), QStringLiteral("\u00B7")}) {
        qsizetype from = 0;
        while ((from = preview.indexOf(symbol, from)) >= 0) {
            ranges.append({{from, symbol.size()}, mark});
            from += symbol.size();
        }
    }
    return ranges;
}

void TextHistoryItemRowPainter::paintContent(QPainter &painter, const HistoryItemRowPaintContext &context) const
{
    const Preview &shown = preview(context.item);
    const QRectF &body = context.layout.body;
    const qreal width = HistoryRowMetrics::textPreviewWidth(context.item, context.configuration.quickPasteIndex,
        int(context.configuration.tags.size()), context.tableWidth());
    // As many lines as the height was computed for: the body holds exactly that many.
    const int lines = qBound(
        1, int(std::floor((body.height() + 0.5) / m_metrics.textLineHeight())), HistoryRowMetrics::maximumPreviewLines);

    const QFont &font = m_metrics.textFont();
    const QColor color = HistoryRowColors::label(context.palette, context.emphasized());
    // Three lines never hold more characters than this: the rest of a long preview is not laid out.
    const qsizetype reach = qMin<qsizetype>(shown.text.size(), qsizetype(width) + 64);
    const QString laidOutText = shown.text.left(reach);
    const QList<std::pair<HistoryTextRange, QColor>> ranges
        = previewRanges(laidOutText, context.configuration.searchQuery, context.palette);

    QTextLayout layout(laidOutText, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QList<QTextLayout::FormatRange> formats;
    for (const auto &[range, rangeColor] : ranges) {
        QTextLayout::FormatRange format;
        format.start = int(range.start);
        format.length = int(range.length);
        format.format.setForeground(rangeColor);
        formats.append(format);
    }
    layout.setFormats(formats);
    layout.beginLayout();
    QList<QTextLine> laidOut;
    while (laidOut.size() < lines) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        line.setPosition(QPointF(0, laidOut.size() * m_metrics.textLineHeight()));
        laidOut.append(line);
    }
    layout.endLayout();

    painter.setClipRect(QRectF(body.left(), body.top(), width, body.height()), Qt::IntersectClip);
    painter.setPen(color);
    const QFontMetricsF metrics(font);
    for (qsizetype i = 0; i < laidOut.size(); ++i) {
        const QTextLine &line = laidOut.at(i);
        const bool isLast = i == laidOut.size() - 1;
        const qsizetype start = line.textStart();
        const bool hasMore = start + line.textLength() < shown.text.size();
        if (!(isLast && hasMore)) {
            line.draw(&painter, body.topLeft());
            continue;
        }
        // The last line runs on: it is cut with an ellipsis, keeping its colours.
        // No glyph of the font is narrower than two pixels: what is past this never shows.
        const QString rest
            = shown.text.mid(start, qMin<qsizetype>(shown.text.size() - start, qsizetype(width / 2) + 16));
        const QString elided = metrics.elidedText(rest, Qt::ElideRight, width);
        QList<std::pair<HistoryTextRange, QColor>> lineRanges;
        for (const auto &[range, rangeColor] : ranges) {
            const qsizetype from = qMax(range.start, start) - start;
            const qsizetype to = qMin(range.start + range.length, start + elided.size() - 1) - start;
            if (to > from)
                lineRanges.append({{from, to - from}, rangeColor});
        }
        paintTextWithRanges(painter, QPointF(body.left(), body.top() + line.y()), elided, font, color, lineRanges);
    }
}

void EmailHistoryItemRowPainter::paintContent(QPainter &painter, const HistoryItemRowPaintContext &context) const
{
    paintTextLine(painter, context, true);
}
