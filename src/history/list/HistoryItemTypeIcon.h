#pragma once

#include "ClipboardKind.h"

#include <QColor>
#include <QImage>
#include <QPalette>
#include <QRectF>
#include <QString>

#include <optional>

class QPainter;

// The 22-pixel square at the top left of an item row: the kind's symbol, or a colour swatch (colour rows), or a
// page's icon (link rows); over it, in a multiple selection, the row's place in the selection order as a badge, or
// an empty ring for a row that is not selected. A value configured afresh for every painted row.
class HistoryItemTypeIcon
{
public:
    // The symbol of the kind (or the given symbol name) with the kind's title as its tool tip.
    void configure(ClipboardKind kind, const QString &symbolName);
    // A round swatch of the colour instead of the symbol.
    void configureSwatch(const QColor &color, const QString &toolTip);
    // A picture instead of the symbol, inset by the given amount (4 when none is given).
    void configureImage(const QImage &image, const QString &toolTip, std::optional<qreal> inset = std::nullopt);
    // The badge: a number wins over the placeholder, which is kept only without a number. False when neither
    // changed, so there is nothing to redraw.
    bool setSelectionOrder(std::optional<int> number, bool showsPlaceholder);

    std::optional<ClipboardKind> kind() const { return m_kind; }
    const QString &symbolName() const { return m_symbolName; }
    std::optional<QColor> swatchColor() const { return m_swatchColor; }
    const QImage &image() const { return m_image; }
    std::optional<int> selectionOrderNumber() const { return m_selectionOrderNumber; }
    bool showsSelectionOrderPlaceholder() const { return m_showsSelectionOrderPlaceholder; }
    qreal imageInset() const { return m_imageInset; }
    const QString &toolTip() const { return m_toolTip; }
    // The symbol or picture is hidden while a number, a placeholder or a swatch is shown.
    bool isImageHidden() const;
    // The badge's digits: 11 pixels below 100, 8 from 100 on.
    static int badgeFontPixelSize(int number) { return number < 100 ? 11 : 8; }

    void paint(QPainter &painter, const QRectF &rect, const QPalette &palette) const;

private:
    std::optional<ClipboardKind> m_kind;
    QString m_symbolName;
    std::optional<QColor> m_swatchColor;
    QImage m_image;
    std::optional<int> m_selectionOrderNumber;
    bool m_showsSelectionOrderPlaceholder = false;
    qreal m_imageInset = 3;
    QString m_toolTip;
};
