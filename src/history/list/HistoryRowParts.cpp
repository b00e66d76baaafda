#include "HistoryRowParts.h"

#include "ColorText.h"
#include "HistoryColors.h"
#include "Localization.h"
#include "TextUtilities.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include <cmath>

namespace {

// The text folded for matching (accents dropped, case folded), with the index in the original text that each
// folded unit came from.
struct FoldedText
{
    QString text;
    QList<qsizetype> origins;
};

FoldedText folded(QStringView text, bool keepOrigins)
{
    FoldedText result;
    result.text.reserve(text.size());
    if (keepOrigins)
        result.origins.reserve(text.size());
    qsizetype index = 0;
    while (index < text.size()) {
        const qsizetype start = index;
        const char32_t scalar = QChar::isHighSurrogate(text.at(index).unicode()) && index + 1 < text.size()
                && QChar::isLowSurrogate(text.at(index + 1).unicode())
            ? QChar::surrogateToUcs4(text.at(index), text.at(index + 1))
            : text.at(index).unicode();
        index += QChar::requiresSurrogates(scalar) ? 2 : 1;
        QString piece;
        if (scalar < 0x80) {
            piece = QChar(char16_t(scalar)).toCaseFolded();
        } else {
            // Folded fully, as the search folds: the sharp s is "ss".
            const QString decomposed = TextUtilities::fullCaseFolded(
                QString::fromUcs4(&scalar, 1).normalized(QString::NormalizationForm_KD));
            for (const QChar c : decomposed) {
                if (c.category() != QChar::Mark_NonSpacing)
                    piece.append(c);
            }
        }
        result.text.append(piece);
        if (keepOrigins) {
            for (qsizetype i = 0; i < piece.size(); ++i)
                result.origins.append(start);
        }
    }
    if (keepOrigins)
        result.origins.append(text.size());
    return result;
}

} // namespace

QList<HistoryTextRange> historySearchMatches(QStringView text, QStringView query)
{
    QList<HistoryTextRange> matches;
    const QString trimmed = TextUtilities::trimmedWhitespaceAndNewlines(query);
    if (trimmed.isEmpty() || text.isEmpty())
        return matches;
    const QString needle = folded(trimmed, false).text;
    if (needle.isEmpty())
        return matches;
    const FoldedText haystack = folded(text, true);
    qsizetype from = 0;
    while (true) {
        const qsizetype found = haystack.text.indexOf(needle, from);
        if (found < 0)
            break;
        const qsizetype end = found + needle.size();
        const qsizetype start = haystack.origins.at(found);
        // The match ends after the original character its last folded unit came from.
        qsizetype next = end;
        while (next < haystack.origins.size() - 1 && haystack.origins.at(next) == haystack.origins.at(end - 1))
            ++next;
        const qsizetype originalEnd = haystack.origins.at(next);
        matches.append({start, originalEnd - start});
        from = end;
    }
    return matches;
}

bool containsControlOrFunctionKeyScalar(QStringView text)
{
    for (const char32_t scalar : text.toUcs4()) {
        if (TextUtilities::isControl(scalar) || (scalar >= 0xF700 && scalar <= 0xF8FF))
            return true;
    }
    return false;
}

QString formattedByteCount(qint64 bytes)
{
    if (bytes == 0)
        return localized(QStringLiteral("Zero KB"));
    const QLocale locale(currentInterfaceLanguage());
    const qint64 magnitude = bytes < 0 ? -bytes : bytes;
    if (magnitude < 1000) {
        return magnitude == 1 ? localized(QStringLiteral("%@ byte"), {locale.toString(bytes)})
                              : localized(QStringLiteral("%@ bytes"), {locale.toString(bytes)});
    }
    static const char *const units[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    double value = double(bytes) / 1000.0;
    int unit = 0;
    // A value that would round up to 1000 moves on to the next unit.
    const auto decimalsOf = [](int u) { return u == 0 ? 0 : u == 1 ? 1 : 2; };
    while (unit < 5) {
        const double factor = std::pow(10.0, decimalsOf(unit));
        if (std::round(std::abs(value) * factor) / factor < 1000.0)
            break;
        value /= 1000.0;
        ++unit;
    }
    QString number = locale.toString(value, 'f', decimalsOf(unit));
    if (decimalsOf(unit) > 0) {
        const QString point = locale.decimalPoint();
        while (number.endsWith(QLatin1Char('0')))
            number.chop(1);
        if (number.endsWith(point))
            number.chop(point.size());
    }
    return number + QLatin1Char(' ') + QLatin1String(units[unit]);
}

namespace HistoryRowColors {

namespace {

QColor either(const QPalette &palette, QColor light, QColor dark)
{
    return HistoryColors::isDark(palette) ? dark : light;
}

} // namespace

QColor label(const QPalette &palette, bool emphasized)
{
    if (emphasized)
        return HistoryColors::isDark(palette) ? QColor(Qt::white) : QColor(Qt::black);
    return HistoryColors::label(palette);
}

QColor secondaryLabel(const QPalette &palette)
{
    return HistoryColors::secondaryLabel(palette);
}

QColor tertiaryLabel(const QPalette &palette)
{
    return either(palette, QColor(0, 0, 0, 66), QColor(255, 255, 255, 64));
}

QColor separator(const QPalette &palette)
{
    return either(palette, QColor(0, 0, 0, 26), QColor(255, 255, 255, 26));
}

QColor searchMatch(const QPalette &palette)
{
    return either(palette, QColor(0, 122, 255), QColor(10, 132, 255));
}

QColor lightGray()
{
    return QColor(170, 170, 170);
}

QColor darkGray()
{
    return QColor(85, 85, 85);
}

QColor fileTileBackground()
{
    return QColor(142, 142, 147, 26);
}

QColor accent(const QPalette &palette)
{
    return palette.color(QPalette::Active, QPalette::Highlight);
}

QColor rowTint(ClipboardKind kind, const QPalette &palette)
{
    switch (kind) {
    case ClipboardKind::text:
    case ClipboardKind::richText:
        return either(palette, QColor(88, 86, 214), QColor(94, 92, 230));
    case ClipboardKind::link:
        return searchMatch(palette);
    case ClipboardKind::email:
        return either(palette, QColor(48, 176, 199), QColor(64, 200, 224));
    case ClipboardKind::color:
        return either(palette, QColor(255, 45, 85), QColor(255, 55, 95));
    case ClipboardKind::image:
        return either(palette, QColor(175, 82, 222), QColor(191, 90, 242));
    case ClipboardKind::file:
        return either(palette, QColor(255, 149, 0), QColor(255, 159, 10));
    }
    return label(palette);
}

QColor typeSymbol(const QPalette &palette)
{
    return either(palette, QColor(126, 127, 130), QColor(126, 127, 129));
}

} // namespace HistoryRowColors

void HistoryLabel::paint(QPainter &painter, const QRectF &rect) const
{
    if (rect.width() <= 0 || text.isEmpty())
        return;
    const QFontMetricsF metrics(font);
    // Only what can be shown is measured: a title may run to thousands of characters.
    const qsizetype cap = qMax<qsizetype>(16, qsizetype(rect.width() / qMax(1.0, metrics.averageCharWidth())) * 3);
    const QString candidate = elide == Qt::ElideRight && text.size() > cap ? text.left(cap) + QChar(0x2026) : text;
    const QString shown = metrics.elidedText(candidate, elide, rect.width());
    qreal x = rect.left();
    if (alignment & Qt::AlignHCenter)
        x += (rect.width() - metrics.horizontalAdvance(shown)) / 2;
    const QPointF topLeft(x, rect.top() + (rect.height() - metrics.height()) / 2);
    QList<std::pair<HistoryTextRange, QColor>> ranges;
    if (matchColor.isValid()) {
        for (const HistoryTextRange &match : historySearchMatches(shown, searchQuery))
            ranges.append({match, matchColor});
    }
    painter.save();
    painter.setClipRect(rect.adjusted(0, -2, 0, 2), Qt::IntersectClip);
    paintTextWithRanges(painter, topLeft, shown, font, color, ranges);
    painter.restore();
}

void paintTextWithRanges(QPainter &painter, const QPointF &topLeft, const QString &text, const QFont &font,
    const QColor &color, const QList<std::pair<HistoryTextRange, QColor>> &ranges)
{
    if (ranges.isEmpty()) {
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(QPointF(topLeft.x(), topLeft.y() + QFontMetricsF(font).ascent()), text);
        return;
    }
    QTextLayout layout(text, font);
    QList<QTextLayout::FormatRange> formats;
    for (const auto &[range, rangeColor] : ranges) {
        if (range.start >= text.size() || range.length <= 0)
            continue;
        QTextLayout::FormatRange format;
        format.start = int(range.start);
        format.length = int(qMin(range.length, text.size() - range.start));
        format.format.setForeground(rangeColor);
        formats.append(format);
    }
    layout.setFormats(formats);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setPosition(QPointF(0, 0));
    layout.endLayout();
    painter.setPen(color);
    layout.draw(&painter, topLeft);
}

namespace TagChip {

void paint(QPainter &painter, const QRectF &rect, const QString &colorHex, const QPalette &palette)
{
    const std::optional<QColor> parsed = colorFromHexString(colorHex);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(parsed ? *parsed : HistoryRowColors::label(palette));
    // The filled circle of the symbol leaves a little room at its edge.
    painter.drawEllipse(rect.adjusted(1, 1, -1, -1));
    painter.restore();
}

} // namespace TagChip

QRectF aspectFillSourceRect(QSizeF imageSize, QSizeF boxSize)
{
    if (imageSize.width() <= 0 || imageSize.height() <= 0 || boxSize.width() <= 0 || boxSize.height() <= 0)
        return QRectF(QPointF(0, 0), imageSize);
    const qreal scale = qMax(boxSize.width() / imageSize.width(), boxSize.height() / imageSize.height());
    const QSizeF shown(boxSize.width() / scale, boxSize.height() / scale);
    return QRectF(QPointF((imageSize.width() - shown.width()) / 2, (imageSize.height() - shown.height()) / 2), shown);
}
