#pragma once

#include "HistoryRowSelectionFlags.h"

#include <QColor>
#include <QPainterPath>
#include <QPalette>
#include <QRectF>

class QPainter;

// What the history table draws behind an item row's content: a gray shape inset from the row's sides whose
// corners are rounded except where it meets a selected neighbour, so that a run of selected rows reads as one
// rounded block; the focused row of keyboard multiple selection in a stronger gray; and a hairline divider at the
// top of a row between two unselected rows. Pure geometry and colours, painted for the screen's scale.
namespace RoundedSelectionRowPainter {

inline constexpr qreal horizontalInset = 9;
inline constexpr qreal maximumCornerRadius = 12;
inline constexpr qreal dividerLeading = 48;
inline constexpr qreal dividerTrailing = 10;

// The shape's rectangle: the row less 9 pixels on each side, full height, never narrower than nothing.
QRectF shapeRect(const QRectF &rowRect);
// The smallest of 12, half the shape's height and half its width; never below zero.
qreal cornerRadius(const QRectF &shapeRect);
// The shape with rounded corners, square at the top when joining the row above and at the bottom when joining the
// row below.
QPainterPath selectionPath(const QRectF &rowRect, bool joinsSelectedRowAbove, bool joinsSelectedRowBelow);

// One device pixel: 1 / the screen's scale, or half a pixel when the scale is unknown.
qreal dividerThickness(qreal devicePixelRatio);
// The divider along the row's top edge, from 48 pixels in to 10 pixels before the right end (width at least 0).
QRectF dividerRect(const QRectF &rowRect, qreal devicePixelRatio);

// The gray of a single selection and of the focused row (alpha 0.2), of a row in a multiple selection (0.16 in
// dark, 0.12 in light) and of the divider.
QColor focusFillColor(const QPalette &palette);
QColor groupSelectionFillColor(const QPalette &palette);
QColor separatorColor(const QPalette &palette);

enum class Fill { none, focus, group };
// Behind an unselected row: the focus gray for the focused row in keyboard multiple-selection mode, else nothing.
Fill backgroundFill(const HistoryRowSelectionFlags &flags, bool isSelected);
// A selected row: the focus gray for a single selection or the focused row in the mode, else the group gray.
Fill selectionFill(const HistoryRowSelectionFlags &flags, bool isSelected);

// Draws the background, the selection and the divider of one item row, in that order.
void paint(QPainter &painter, const QRectF &rowRect, const HistoryRowSelectionFlags &flags, bool isSelected,
    const QPalette &palette, qreal devicePixelRatio);

} // namespace RoundedSelectionRowPainter
