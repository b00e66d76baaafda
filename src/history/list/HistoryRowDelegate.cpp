#include "HistoryRowDelegate.h"

#include "History.h"
#include "HistoryItemRowPainter.h"
#include "RoundedSelectionRowPainter.h"

#include <QHelpEvent>
#include <QPainter>

#include <cmath>

HistoryRowDelegate::HistoryRowDelegate(History &history) : QStyledItemDelegate(&history), m_history(history) { }

QSize HistoryRowDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    return QSize(1, int(std::ceil(m_history.layoutRowHeight(index.row()))));
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
    } else if (const ClipboardItem *item = m_history.itemAtRow(row)) {
        const HistoryItemRowConfiguration configuration = m_history.itemRowConfiguration(row);
        const HistoryListSelection &selection = m_history.selection();
        const HistoryRowSelectionLook look = selection.rowSelectionLook(row);
        selection.rowWasPainted(row, look);
        // Behind the content: the focus fill, the selection joined to its selected neighbours, the divider.
        const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 0;
        RoundedSelectionRowPainter::paint(*painter, rect, look.flags, look.isSelected, option.palette, scale);
        HistoryItemRowPainter::forReuseIdentifier(historyItemRowReuseIdentifier(*item))
            .paint(*painter, rect, *item, configuration, option.palette);
        m_history.askForLinkPreviewIfNeeded(row);
    }
    painter->restore();
}

bool HistoryRowDelegate::helpEvent(
    QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option, const QModelIndex &index)
{
    const ClipboardItem *item = m_history.itemAtRow(index.row());
    if (event && view && item && event->type() == QEvent::ToolTip)
        return showHistoryItemRowToolTip(
            *event, *view, option.rect, *item, m_history.itemRowConfiguration(index.row()));
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}
