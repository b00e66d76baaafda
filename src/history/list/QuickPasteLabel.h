#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRectF>
#include <QString>

#include <optional>

class QPainter;

// The quick-paste number of one of the first nine rows, in the 24-pixel slot of the row's accessory strip: the
// shortcut as the desktop writes it ("Ctrl+1") when that fits the slot, else the digit alone, with the whole
// shortcut as its tool tip. Tertiary label colour; dark grey on a selected row in the light appearance.
namespace QuickPasteLabel {

inline constexpr qreal width = 24;

QFont font();
// The shortcut the number stands for, as the desktop writes it ("Ctrl+1", "Strg+1").
QString shortcutText(int number);
// What the slot shows for the number in the font and width: the shortcut when it fits, else the digit.
QString text(int number, const QFont &font = QuickPasteLabel::font(), qreal availableWidth = width);
QColor color(const QPalette &palette, bool emphasized);
void paint(QPainter &painter, const QRectF &rect, int number, const QPalette &palette, bool emphasized);

} // namespace QuickPasteLabel
