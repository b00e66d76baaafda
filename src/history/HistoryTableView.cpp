#include "HistoryTableView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QResizeEvent>
#include <QScrollBar>

#include <algorithm>

HistoryTableModel::HistoryTableModel(IsSelectableRow isSelectableRow, QObject *parent)
    : QAbstractListModel(parent), m_isSelectableRow(std::move(isSelectableRow))
{ }

int HistoryTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

QVariant HistoryTableModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::AccessibleTextRole || role == Qt::DisplayRole) {
        if (accessibleText && index.isValid())
            return accessibleText(index.row());
    }
    return QVariant();
}

Qt::ItemFlags HistoryTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return m_isSelectableRow(index.row()) ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::ItemIsEnabled;
}

void HistoryTableModel::reset(int rowCount)
{
    beginResetModel();
    m_rowCount = rowCount;
    endResetModel();
}

void HistoryTableModel::removeRowRange(int first, int last)
{
    beginRemoveRows(QModelIndex(), first, last);
    m_rowCount -= last - first + 1;
    endRemoveRows();
}

void HistoryTableModel::rowsChanged(int first, int last)
{
    Q_EMIT dataChanged(index(first), index(last));
}

HistoryTableView::HistoryTableView(QWidget *parent) : QListView(parent)
{
    setUniformItemSizes(false);
    setVerticalScrollMode(ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(ExtendedSelection);
    setEditTriggers(NoEditTriggers);
    setAutoScroll(false);
    setFrameShape(QFrame::NoFrame);
    setMouseTracking(true);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    verticalScrollBar()->setSingleStep(12);
}

QList<int> HistoryTableView::rowsInVisibleRect() const
{
    QList<int> rows;
    const QRect visible = viewport()->rect();
    if (!model() || visible.isEmpty())
        return rows;
    const QModelIndex top = indexAt(QPoint(0, visible.top()));
    if (!top.isValid())
        return rows;
    const int count = model()->rowCount();
    for (int row = top.row(); row < count; ++row) {
        const QRect rect = visualRect(model()->index(row, 0));
        if (rect.top() > visible.bottom())
            break;
        rows.append(row);
    }
    return rows;
}

QRect HistoryTableView::rectOfRow(int row) const
{
    if (!model() || row < 0 || row >= model()->rowCount())
        return QRect();
    return visualRect(model()->index(row, 0)).translated(0, verticalScrollBar()->value());
}

QList<int> HistoryTableView::selectedRows() const
{
    QList<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex &index : selectionModel()->selectedIndexes())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void HistoryTableView::selectRows(const QList<int> &rows)
{
    if (!selectionModel() || !model())
        return;
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    QItemSelection selection;
    // One range per run of consecutive rows, not one per row.
    for (qsizetype i = 0; i < sorted.size();) {
        qsizetype j = i;
        while (j + 1 < sorted.size() && sorted.at(j + 1) == sorted.at(j) + 1)
            ++j;
        selection.select(model()->index(sorted.at(i), 0), model()->index(sorted.at(j), 0));
        i = j + 1;
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!sorted.isEmpty())
        selectionModel()->setCurrentIndex(model()->index(sorted.last(), 0), QItemSelectionModel::NoUpdate);
}

void HistoryTableView::keyboardSearch(const QString &)
{
    // Typed text belongs to the search field, never to a jump within the list.
}

void HistoryTableView::reset()
{
    QListView::reset();
    m_selectedRow = -1;
}

void HistoryTableView::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    if (m_selectedRow >= start && m_selectedRow <= end)
        m_selectedRow = -1;
    else if (m_selectedRow > end)
        m_selectedRow -= end - start + 1;
    QListView::rowsAboutToBeRemoved(parent, start, end);
}

void HistoryTableView::resizeEvent(QResizeEvent *event)
{
    QListView::resizeEvent(event);
    const int width = viewport()->width();
    if (std::abs(width - m_lastWidth) > 0) {
        m_lastWidth = width;
        if (model() && model()->rowCount() > 0 && onWidthChange)
            onWidthChange();
        // Rows take the new width: their heights are asked again.
        scheduleDelayedItemsLayout();
    }
}

void HistoryTableView::contextMenuEvent(QContextMenuEvent *event)
{
    const QModelIndex index = indexAt(event->pos());
    contextualMenuRow = index.isValid() ? index.row() : -1;
    QMenu menu(this);
    if (onPrepareContextMenu)
        onPrepareContextMenu(menu);
    if (!menu.isEmpty())
        menu.exec(event->globalPos());
    contextualMenuRow.reset();
}

void HistoryTableView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QListView::selectionChanged(selected, deselected);
    if (!selected.isEmpty()) {
        m_selectedRow = selected.last().bottom();
    } else if (m_selectedRow >= 0 && selectionModel()
        && !selectionModel()->isRowSelected(m_selectedRow, QModelIndex())) {
        const QList<int> rows = selectedRows();
        m_selectedRow = rows.isEmpty() ? -1 : rows.last();
    }
}
