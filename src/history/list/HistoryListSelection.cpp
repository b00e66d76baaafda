#include "HistoryListSelection.h"

namespace {

bool isItemRow(const QList<HistoryTableRow> &rows, int row)
{
    return row >= 0 && row < rows.size() && rows.at(row).isItem();
}

} // namespace

bool HistoryListSelection::isItemRow(int row) const
{
    return ::isItemRow(m_rows.rows(), row);
}

void HistoryListSelection::setSelectionOrder(const QList<int> &rows)
{
    const QList<HistoryTableRow> &tableRows = m_rows.rows();
    m_selectionOrderIDs.clear();
    m_selectionOrderIDs.reserve(rows.size());
    for (int row : rows)
        m_selectionOrderIDs.append(tableRows.at(row).asItem()->id);
    m_selectionOrderRows = rows;
    m_selectionOrderRowsGeneration = m_rowsGeneration;
    m_selectionOrderPositionsAreCurrent = false;
}

void HistoryListSelection::clear()
{
    m_anchorRow.reset();
    m_leadRow.reset();
    setSelectionOrder({});
}

QList<int> HistoryListSelection::selectionOrderRows() const
{
    if (m_selectionOrderRowsGeneration == m_rowsGeneration && m_selectionOrderRows.size() == m_selectionOrderIDs.size())
        return m_selectionOrderRows;
    // The rows changed since the order was made: its items are found again by id.
    QList<int> rows;
    rows.reserve(m_selectionOrderIDs.size());
    for (const QUuid &id : m_selectionOrderIDs)
        rows.append(m_rows.rowOfItem(id).value_or(-1));
    return rows;
}

QList<int> HistoryListSelection::computeSelectionOrderRows(
    const QList<int> &selectedRows, std::optional<int> leadRow) const
{
    const QList<HistoryTableRow> &tableRows = m_rows.rows();
    std::vector<bool> selected(tableRows.size());
    qsizetype count = 0;
    for (int row : selectedRows) {
        if (::isItemRow(tableRows, row) && !selected[row]) {
            selected[row] = true;
            ++count;
        }
    }
    std::vector<bool> taken(tableRows.size());
    QList<int> order;
    order.reserve(count);
    // The items still selected keep their places; the lead's item comes next, then the others top to bottom.
    for (int row : selectionOrderRows()) {
        if (row >= 0 && selected[row] && !taken[row]) {
            order.append(row);
            taken[row] = true;
        }
    }
    if (leadRow && ::isItemRow(tableRows, *leadRow) && selected[*leadRow] && !taken[*leadRow]) {
        order.append(*leadRow);
        taken[*leadRow] = true;
    }
    for (int row = 0; row < int(selected.size()) && order.size() < count; ++row) {
        if (selected[row] && !taken[row])
            order.append(row);
    }
    return order;
}

QList<int> HistoryListSelection::rangeSelectionOrderRows(const QList<int> &rows) const
{
    // Rows stand for their items here: ids are unique within the list.
    const QList<HistoryTableRow> &tableRows = m_rows.rows();
    std::vector<bool> inRange(tableRows.size());
    for (int row : rows) {
        if (::isItemRow(tableRows, row))
            inRange[row] = true;
    }
    std::vector<bool> taken(tableRows.size());
    QList<int> order;
    order.reserve(rows.size());
    for (int row : selectionOrderRows()) {
        if (row >= 0 && inRange[row] && !taken[row]) {
            order.append(row);
            taken[row] = true;
        }
    }
    for (int row : rows) {
        if (::isItemRow(tableRows, row) && !taken[row]) {
            order.append(row);
            taken[row] = true;
        }
    }
    return order;
}

int HistoryListSelection::selectionOrderPosition(int row) const
{
    if (!m_selectionOrderPositionsAreCurrent) {
        m_selectionOrderPositionOfRow.assign(m_rows.rows().size(), 0);
        const QList<int> rows = selectionOrderRows();
        for (qsizetype position = 0; position < rows.size(); ++position) {
            const int orderRow = rows.at(position);
            if (orderRow >= 0 && m_selectionOrderPositionOfRow[orderRow] == 0)
                m_selectionOrderPositionOfRow[orderRow] = int(position) + 1;
        }
        m_selectionOrderPositionsAreCurrent = true;
    }
    return row >= 0 && row < int(m_selectionOrderPositionOfRow.size()) ? m_selectionOrderPositionOfRow[row] : 0;
}

void HistoryListSelection::rowsDidChange()
{
    ++m_rowsGeneration;
    m_paintedRowLooks.clear();
    m_selectionOrderPositionsAreCurrent = false;
}

HistoryRowSelectionState HistoryListSelection::rowSelectionState() const
{
    HistoryRowSelectionState state;
    const QList<HistoryTableRow> &rows = m_rows.rows();
    state.rowCount = int(rows.size());
    state.isItemRow = [&rows](int row) { return rows.at(row).isItem(); };
    state.isSelected = [this](int row) { return m_rows.isRowSelected(row); };
    state.selectedRowCount = int(m_rows.selectedRows().size());
    state.leadRow = m_leadRow;
    state.isKeyboardMultipleSelectionMode = m_isKeyboardMultipleSelectionMode;
    return state;
}

HistoryRowSelectionFlags HistoryListSelection::rowSelectionFlags(int row) const
{
    return HistoryRowSelection::flags(rowSelectionState(), row);
}

bool HistoryListSelection::showsDivider(int row) const
{
    return HistoryRowSelection::showsDivider(rowSelectionState(), row);
}

HistoryRowSelectionLook HistoryListSelection::rowSelectionLook(int row) const
{
    HistoryRowSelectionLook look;
    if (!isItemRow(row))
        return look;
    look.flags = rowSelectionFlags(row);
    look.isSelected = m_rows.isRowSelected(row);
    if (m_isKeyboardMultipleSelectionMode || m_rows.selectedRows().size() > 1) {
        if (const int position = selectionOrderPosition(row); position > 0)
            look.selectionOrderNumber = position;
        look.showsSelectionOrderPlaceholder = true;
    }
    return look;
}

QList<int> HistoryListSelection::rowsShowingAnotherLook(const QList<int> &rows) const
{
    // A change of one row's selection changes its neighbours' shapes and everyone's order numbers: every row asked
    // about is looked at.
    QList<int> changed;
    for (const int row : rows) {
        if (!isItemRow(row))
            continue;
        const auto painted = m_paintedRowLooks.constFind(row);
        if (painted == m_paintedRowLooks.cend() || *painted != rowSelectionLook(row))
            changed.append(row);
    }
    return changed;
}
