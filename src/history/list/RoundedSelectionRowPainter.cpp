#include "RoundedSelectionRowPainter.h"

#include "HistoryColors.h"

#include <QPainter>

#include <algorithm>

namespace RoundedSelectionRowPainter {

namespace {

// The desktop's neutral gray, a little lighter in dark.
QColor systemGray(const QPalette &palette, qreal alpha)
{
    QColor gray = HistoryColors::isDark(palette) ? QColor(152, 152, 157) : QColor(142, 142, 147);
    gray.setAlphaF(float(alpha));
    return gray;
}

} // namespace

QRectF shapeRect(const QRectF &rowRect)
{
    return QRectF(rowRect.x() + horizontalInset, rowRect.y(), qMax(rowRect.width() - 2 * horizontalInset, 0.0),
        qMax(rowRect.height(), 0.0));
}

qreal cornerRadius(const QRectF &shape)
{
    return qMax(0.0, std::min({maximumCornerRadius, shape.height() / 2, shape.width() / 2}));
}

QPainterPath selectionPath(const QRectF &rowRect, bool joinsSelectedRowAbove, bool joinsSelectedRowBelow)
{
    const QRectF shape = shapeRect(rowRect);
    const qreal radius = cornerRadius(shape);
    const qreal top = joinsSelectedRowAbove ? 0 : radius;
    const qreal bottom = joinsSelectedRowBelow ? 0 : radius;
    const qreal left = shape.left();
    const qreal right = shape.right();
    const qreal upper = shape.top();
    const qreal lower = shape.bottom();

    // Clockwise from the top edge, each corner a quarter circle of its radius or a square corner.
    QPainterPath path;
    path.moveTo(left + top, upper);
    path.lineTo(right - top, upper);
    if (top > 0)
        path.arcTo(QRectF(right - 2 * top, upper, 2 * top, 2 * top), 90, -90);
    path.lineTo(right, lower - bottom);
    if (bottom > 0)
        path.arcTo(QRectF(right - 2 * bottom, lower - 2 * bottom, 2 * bottom, 2 * bottom), 0, -90);
    path.lineTo(left + bottom, lower);
    if (bottom > 0)
        path.arcTo(QRectF(left, lower - 2 * bottom, 2 * bottom, 2 * bottom), 270, -90);
    path.lineTo(left, upper + top);
    if (top > 0)
        path.arcTo(QRectF(left, upper, 2 * top, 2 * top), 180, -90);
    path.closeSubpath();
    return path;
}

qreal dividerThickness(qreal devicePixelRatio)
{
    return devicePixelRatio > 0 ? 1 / devicePixelRatio : 0.5;
}

QRectF dividerRect(const QRectF &rowRect, qreal devicePixelRatio)
{
    return QRectF(rowRect.x() + dividerLeading, rowRect.y(),
        qMax(rowRect.width() - dividerLeading - dividerTrailing, 0.0), dividerThickness(devicePixelRatio));
}

QColor focusFillColor(const QPalette &palette)
{
    return systemGray(palette, 0.2);
}

QColor groupSelectionFillColor(const QPalette &palette)
{
    return systemGray(palette, HistoryColors::isDark(palette) ? 0.16 : 0.12);
}

QColor separatorColor(const QPalette &palette)
{
    return HistoryColors::isDark(palette) ? QColor(47, 47, 47) : QColor(229, 229, 229);
}

Fill backgroundFill(const HistoryRowSelectionFlags &flags, bool isSelected)
{
    return flags.isKeyboardMultipleSelectionMode && flags.isKeyboardSelectionFocusedRow && !isSelected ? Fill::focus
                                                                                                       : Fill::none;
}

Fill selectionFill(const HistoryRowSelectionFlags &flags, bool isSelected)
{
    if (!isSelected)
        return Fill::none;
    if (flags.isKeyboardMultipleSelectionMode)
        return flags.isKeyboardSelectionFocusedRow ? Fill::focus : Fill::group;
    return flags.isPartOfMultipleSelection ? Fill::group : Fill::focus;
}

void paint(QPainter &painter, const QRectF &rowRect, const HistoryRowSelectionFlags &flags, bool isSelected,
    const QPalette &palette, qreal devicePixelRatio)
{
    const auto fillShape = [&](Fill fill, bool joinsAbove, bool joinsBelow) {
        if (fill == Fill::none)
            return;
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(selectionPath(rowRect, joinsAbove, joinsBelow),
            fill == Fill::focus ? focusFillColor(palette) : groupSelectionFillColor(palette));
        painter.restore();
    };
    // The focused row's shape stands alone; a selection joins its selected neighbours.
    fillShape(backgroundFill(flags, isSelected), false, false);
    fillShape(selectionFill(flags, isSelected), flags.joinsSelectedRowAbove, flags.joinsSelectedRowBelow);
    if (flags.showsDivider) {
        const QRectF divider = dividerRect(rowRect, devicePixelRatio);
        if (!divider.isEmpty())
            painter.fillRect(divider, separatorColor(palette));
    }
}

} // namespace RoundedSelectionRowPainter
