#include "HistoryRowDelegate.h"

#include "History.h"
#include "HistoryColors.h"
#include "HistoryItemRowPainter.h"

#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

HistoryRowDelegate::HistoryRowDelegate(History &history) : QStyledItemDelegate(&history), m_history(history) { }

QSize HistoryRowDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    return QSize(1, int(std::ceil(m_history.rowHeight(index.row()))));
}

void HistoryRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int row = index.row();
    if (row < 0 || row >= m_history.tableRows().size())
        return;
    const HistoryTableRow &tableRow = m_history.tableRows().at(row);
    const QRectF rect = option.rect;
    painter->save();
    if (const HistoryTableRow::SectionHeader *header = tableRow.asSectionHeader()) {
        HistorySectionHeaderCell::paint(*painter, rect, header->title, row == 0, option.palette);
    } else if (const HistoryTableRow::Item *itemRow = tableRow.asItem()) {
        const HistoryItemRowConfiguration configuration = m_history.itemRowConfiguration(row);
        if (configuration.isSelected) {
            // The selected row: a rounded grey shape inside the row.
            painter->setRenderHint(QPainter::Antialiasing);
            const QRectF shape = rect.adjusted(9, 0, -9, 0);
            const qreal radius = qMax(0.0, std::min({12.0, shape.height() / 2, shape.width() / 2}));
            QColor fill = HistoryColors::label(option.palette);
            fill.setAlphaF(0.12f);
            QPainterPath path;
            path.addRoundedRect(shape, radius, radius);
            painter->fillPath(path, fill);
        }
        HistoryItemRowPainter::forReuseIdentifier(historyItemRowReuseIdentifier(itemRow->item))
            .paint(*painter, rect, itemRow->item, configuration, option.palette);
        m_history.askForLinkPreviewIfNeeded(row);
    }
    painter->restore();
}

bool HistoryRowDelegate::helpEvent(
    QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option, const QModelIndex &index)
{
    const HistoryTableRow::Item *item
        = index.row() < m_history.tableRows().size() ? m_history.tableRows().at(index.row()).asItem() : nullptr;
    if (event && view && item && event->type() == QEvent::ToolTip)
        return showHistoryItemRowToolTip(
            *event, *view, option.rect, item->item, m_history.itemRowConfiguration(index.row()));
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}
