#include "QuickPasteLabel.h"

#include "HistoryColors.h"
#include "HistoryRowMetrics.h"
#include "HistoryRowParts.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeySequence>
#include <QPainter>

namespace QuickPasteLabel {

QFont font()
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(HistoryRowMetrics::systemFontSize);
    font.setWeight(QFont::Normal);
    return font;
}

QString shortcutText(int number)
{
    // The window pastes the nth row with Ctrl and the digit.
    return QKeySequence(QKeyCombination(Qt::ControlModifier, Qt::Key(Qt::Key_0 + number)))
        .toString(QKeySequence::NativeText);
}

QString text(int number, const QFont &font, qreal availableWidth)
{
    const QString shortcut = shortcutText(number);
    if (QFontMetricsF(font).horizontalAdvance(shortcut) <= availableWidth)
        return shortcut;
    return QString::number(number);
}

QColor color(const QPalette &palette, bool emphasized)
{
    if (emphasized && !HistoryColors::isDark(palette))
        return HistoryRowColors::darkGray();
    return HistoryRowColors::tertiaryLabel(palette);
}

void paint(QPainter &painter, const QRectF &rect, int number, const QPalette &palette, bool emphasized)
{
    static const QFont labelFont = font();
    painter.save();
    painter.setFont(labelFont);
    painter.setPen(color(palette, emphasized));
    painter.drawText(rect, Qt::AlignCenter, text(number, labelFont, rect.width()));
    painter.restore();
}

} // namespace QuickPasteLabel
