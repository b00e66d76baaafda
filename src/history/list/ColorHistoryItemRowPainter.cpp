#include "ColorHistoryItemRowPainter.h"

#include "ColorText.h"

void ColorHistoryItemRowPainter::configureTypeIcon(
    HistoryItemTypeIcon &icon, const ClipboardItem &item, const HistoryItemRowConfiguration &, QWidget *) const
{
    if (const std::optional<QColor> color = colorFromColorString(item.primaryText()))
        icon.configureSwatch(*color, item.displayTitle());
}

void ColorHistoryItemRowPainter::paintContent(QPainter &painter, const HistoryItemRowPaintContext &context) const
{
    paintTextLine(painter, context, true);
}
