#pragma once

#include "HistoryItemRowPainter.h"

// Colour rows: the colour the item's text names as a round swatch in place of the kind symbol (with the item's
// title as its tool tip), and the text on one line. A text that names no colour keeps the kind symbol.
class ColorHistoryItemRowPainter final : public HistoryItemRowPainter
{
public:
    using HistoryItemRowPainter::HistoryItemRowPainter;

protected:
    void configureTypeIcon(HistoryItemTypeIcon &icon, const ClipboardItem &item,
        const HistoryItemRowConfiguration &configuration, QWidget *repaintTarget) const override;
    void paintContent(QPainter &painter, const HistoryItemRowPaintContext &context) const override;
};
