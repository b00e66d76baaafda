// The selection of the history list: the table's selected rows plus the anchor, the lead, the order in which
// items were selected and keyboard multiple-selection mode, and every operation that changes them.

#include "History.h"

#include "HistoryTableView.h"

#include <QItemSelectionModel>

#include <algorithm>
#include <vector>

namespace {

// The modifiers that decide what a click does.
constexpr Qt::KeyboardModifiers clickModifiers
    = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

} // namespace

std::optional<int> History::nearestItemRow(int row, HistorySelectionDirection direction) const
{
    if (direction == HistorySelectionDirection::up) {
        for (int candidate = qMin(row, int(m_tableRows.size())) - 1; candidate >= 0; --candidate) {
            if (m_tableRows.at(candidate).isItem())
                return candidate;
        }
    } else {
        for (int candidate = qMax(row + 1, 0); candidate < m_tableRows.size(); ++candidate) {
            if (m_tableRows.at(candidate).isItem())
                return candidate;
        }
    }
    return std::nullopt;
}

int History::currentRowForMoving() const
{
    return m_selectionLeadRow ? *m_selectionLeadRow : m_tableView->selectedRow();
}

int History::currentRowForExtending() const
{
    const int row = currentRowForMoving();
    if (row >= 0)
        return row;
    return m_firstItemRow >= 0 ? m_firstItemRow : 0;
}

std::optional<int> History::currentRowForKeyboardMultipleSelection() const
{
    if (m_selectionLeadRow && isSelectableRow(*m_selectionLeadRow))
        return m_selectionLeadRow;
    if (isSelectableRow(m_tableView->selectedRow()))
        return m_tableView->selectedRow();
    if (m_firstItemRow >= 0)
        return m_firstItemRow;
    return std::nullopt;
}

void History::setKeyboardMultipleSelectionMode(bool on)
{
    m_isKeyboardMultipleSelectionMode = on;
    m_tableView->isKeyboardMultipleSelectionMode = on;
}

void History::selectSingleRow(int row)
{
    setKeyboardMultipleSelectionMode(false);
    m_isSyncingSelection = true;
    m_tableView->selectRows({row});
    m_isSyncingSelection = false;
    m_selectionAnchorRow = row;
    m_selectionLeadRow = row;
    setSelectionOrder(computeSelectionOrderRows({row}, row));
    syncSelectionFromTable(row);
    scrollRowIntoView(row);
}

bool History::moveSelection(HistorySelectionDirection direction)
{
    if (m_items.isEmpty())
        return false;
    const int current = currentRowForMoving();
    std::optional<int> target;
    if (direction == HistorySelectionDirection::up) {
        if (current < 0)
            target = m_lastItemRow >= 0 ? std::optional<int>(m_lastItemRow) : std::nullopt;
        else if (current == 0)
            return false;
        else
            target = nearestItemRow(current, direction);
    } else {
        target = current < 0 ? (m_firstItemRow >= 0 ? std::optional<int>(m_firstItemRow) : std::nullopt)
                             : nearestItemRow(current, direction);
    }
    if (!target || !isSelectableRow(*target))
        return false;
    m_tableView->takeFocus();
    selectSingleRow(*target);
    return true;
}

void History::extendSelection(HistorySelectionDirection direction)
{
    if (m_items.isEmpty())
        return;
    m_tableView->takeFocus();
    const bool wasKeyboardMultipleSelectionMode = m_isKeyboardMultipleSelectionMode;
    setKeyboardMultipleSelectionMode(false);
    const int current = currentRowForExtending();
    const int anchor = m_selectionAnchorRow.value_or(current);
    std::optional<int> lead;
    if (direction == HistorySelectionDirection::up)
        lead = current == 0 ? std::nullopt : nearestItemRow(current, direction);
    else
        lead = nearestItemRow(current, direction);
    if (!lead) {
        if (wasKeyboardMultipleSelectionMode)
            updateVisibleRowSelectionStyles();
        return;
    }

    QList<int> rows;
    for (int row = qMin(anchor, *lead); row <= qMax(anchor, *lead); ++row) {
        if (isSelectableRow(row))
            rows.append(row);
    }
    m_isSyncingSelection = true;
    m_tableView->selectRows(rows);
    m_isSyncingSelection = false;
    m_selectionAnchorRow = anchor;
    m_selectionLeadRow = lead;
    syncSelectionFromTable(lead);
    scrollRowIntoView(*lead);
}

void History::applyKeyboardMultipleSelectionCommand(HistoryKeyboardMultipleSelectionCommand command)
{
    if (m_items.isEmpty())
        return;
    m_tableView->takeFocus();
    const std::optional<int> current = currentRowForKeyboardMultipleSelection();
    if (!current || !isSelectableRow(*current))
        return;
    const int row = *current;
    const bool wasOn = m_isKeyboardMultipleSelectionMode;
    setKeyboardMultipleSelectionMode(true);

    QList<int> selected = m_tableView->selectedRows();
    const auto position = std::lower_bound(selected.begin(), selected.end(), row);
    const bool isSelected = position != selected.end() && *position == row;
    int sound = 2;
    if (command == HistoryKeyboardMultipleSelectionCommand::addCurrent) {
        if (!isSelected) {
            selected.insert(position, row);
            sound = 0;
        } else {
            sound = wasOn ? 2 : 0;
        }
    } else if (isSelected) {
        const qsizetype before = selected.size();
        selected.erase(position);
        sound = wasOn ? 1 : (before < 2 ? 2 : 1);
    }

    if (!selected.isEmpty()) {
        m_selectionAnchorRow = row;
        m_selectionLeadRow = row;
        m_isSyncingSelection = true;
        m_tableView->selectRows(selected);
        m_isSyncingSelection = false;
        syncSelectionFromTable(row);
        scrollRowIntoView(row);
    } else {
        selectSingleRow(row);
    }
    playSelectionSound(sound);
}

void History::playSelectionSound(int code)
{
    if (!m_delegate || code == 2)
        return;
    m_delegate->historyPlaySound(code == 0 ? SoundEffect::selectionAdd : SoundEffect::selectionRemove);
}

void History::moveKeyboardSelectionFocus(HistorySelectionDirection direction)
{
    if (!m_isKeyboardMultipleSelectionMode || m_items.isEmpty())
        return;
    m_tableView->takeFocus();
    const std::optional<int> current = currentRowForKeyboardMultipleSelection();
    if (!current)
        return;
    if (direction == HistorySelectionDirection::up && *current < 1)
        return;
    const std::optional<int> target = nearestItemRow(*current, direction);
    if (!target)
        return;
    m_selectionAnchorRow = target;
    m_selectionLeadRow = target;
    syncSelectionFromTable(target);
    scrollRowIntoView(*target);
}

bool History::handleMouseDownSelection(int row, Qt::KeyboardModifiers modifiers)
{
    if (m_isKeyboardMultipleSelectionMode) {
        setKeyboardMultipleSelectionMode(false);
        // The focused row's fill goes also when the click then changes nothing.
        updateVisibleRowSelectionStyles();
    }
    if (!isSelectableRow(row))
        return false;
    const Qt::KeyboardModifiers held = modifiers & clickModifiers;
    const QList<int> selected = m_tableView->selectedRows();
    QList<int> chosen;
    QList<int> order;
    if (held == Qt::ControlModifier) {
        chosen = selected;
        const auto position = std::lower_bound(chosen.begin(), chosen.end(), row);
        if (position != chosen.end() && *position == row)
            chosen.erase(position);
        else
            chosen.insert(position, row);
    } else if (held == Qt::ShiftModifier) {
        const int anchor = m_selectionAnchorRow ? *m_selectionAnchorRow : (selected.isEmpty() ? row : selected.first());
        for (int candidate = qMin(row, anchor); candidate <= qMax(row, anchor); ++candidate) {
            if (isSelectableRow(candidate))
                chosen.append(candidate);
        }
        order = chosen;
        if (row < anchor)
            std::reverse(order.begin(), order.end());
    } else if (held == Qt::NoModifier) {
        if (std::binary_search(selected.cbegin(), selected.cend(), row))
            return false;
        chosen = {row};
    } else {
        return false;
    }
    if (chosen == selected)
        return false;
    if (held == Qt::ShiftModifier)
        setSelectionOrder(rangeSelectionOrderRows(order));
    // Not as our own change: the table's notification reaches handleTableSelectionChange like a user's.
    m_tableView->selectRows(chosen);
    return true;
}

void History::handleItemClick(int row, Qt::KeyboardModifiers modifiers, int clickCount)
{
    if ((modifiers & clickModifiers) != Qt::NoModifier || !m_delegate)
        return;
    const ClipboardItem *item = itemAtRow(row);
    if (!item)
        return;
    if (clickCount == 2)
        m_delegate->historyDidDoubleClickItem(*item);
    else if (clickCount == 1)
        m_delegate->historyDidClickItem(*item);
}

QList<QUuid> History::rangeSelectionOrder(const QList<int> &rows) const
{
    QList<QUuid> ids;
    for (int row : rangeSelectionOrderRows(rows))
        ids.append(itemAtRow(row)->id);
    return ids;
}

QList<int> History::rangeSelectionOrderRows(const QList<int> &rows) const
{
    // Rows stand for their items here: ids are unique within the list.
    std::vector<bool> inRange(m_tableRows.size());
    for (int row : rows) {
        if (isSelectableRow(row))
            inRange[row] = true;
    }
    std::vector<bool> taken(m_tableRows.size());
    QList<int> order;
    order.reserve(rows.size());
    for (int row : selectionOrderRows()) {
        if (row >= 0 && inRange[row] && !taken[row]) {
            order.append(row);
            taken[row] = true;
        }
    }
    for (int row : rows) {
        if (isSelectableRow(row) && !taken[row]) {
            order.append(row);
            taken[row] = true;
        }
    }
    return order;
}

void History::setSelectionOrder(const QList<int> &rows)
{
    m_selectionOrderIDs.clear();
    m_selectionOrderIDs.reserve(rows.size());
    for (int row : rows)
        m_selectionOrderIDs.append(itemAtRow(row)->id);
    m_selectionOrderRows = rows;
    m_selectionOrderRowsGeneration = m_rowsGeneration;
    m_selectionOrderPositionsAreCurrent = false;
}

void History::clearSelectionOrder()
{
    setSelectionOrder({});
}

QList<int> History::selectionOrderRows() const
{
    if (m_selectionOrderRowsGeneration == m_rowsGeneration && m_selectionOrderRows.size() == m_selectionOrderIDs.size())
        return m_selectionOrderRows;
    // The rows changed since the order was made: its items are found again by id.
    QList<int> rows;
    rows.reserve(m_selectionOrderIDs.size());
    for (const QUuid &id : m_selectionOrderIDs)
        rows.append(rowIndexOfItem(id).value_or(-1));
    return rows;
}

int History::selectionOrderPosition(int row) const
{
    if (!m_selectionOrderPositionsAreCurrent) {
        m_selectionOrderPositionOfRow.assign(m_tableRows.size(), 0);
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

void History::leaveKeyboardMultipleSelectionMode()
{
    if (!m_isKeyboardMultipleSelectionMode)
        return;
    setKeyboardMultipleSelectionMode(false);
    updateVisibleRowSelectionStyles();
    updateSelectionOrderNumbers();
}

void History::updateVisibleRowSelectionStyles()
{
    updateRowsWhoseSelectionLookChanged();
}

void History::updateSelectionOrderNumbers()
{
    updateRowsWhoseSelectionLookChanged();
}

History::RowSelectionLook History::rowSelectionLook(int row) const
{
    RowSelectionLook look;
    if (!isSelectableRow(row))
        return look;
    look.flags = rowSelectionFlags(row);
    look.isSelected = m_tableView->isRowSelected(row);
    if (m_isKeyboardMultipleSelectionMode || m_tableView->selectedRowCount() > 1) {
        if (const int position = selectionOrderPosition(row); position > 0)
            look.selectionOrderNumber = position;
        look.showsSelectionOrderPlaceholder = true;
    }
    return look;
}

void History::updateRowsWhoseSelectionLookChanged()
{
    // A change of one row's selection changes its neighbours' shapes and everyone's order numbers: every visible
    // row is looked at, and those that show something else now are drawn again.
    for (const int row : m_tableView->rowsInVisibleRect()) {
        if (!isSelectableRow(row))
            continue;
        const auto painted = m_paintedRowLooks.constFind(row);
        if (painted == m_paintedRowLooks.cend() || *painted != rowSelectionLook(row))
            m_tableView->viewport()->update(m_tableView->visualRect(m_tableModel->index(row)));
    }
}

void History::selectItems(const std::optional<QUuid> &selectedItemID, const QSet<QUuid> &selectedItemIDs,
    const std::function<void(const ClipboardItem &)> &fallbackSelection)
{
    if (m_isSyncingSelection)
        return;
    QSet<QUuid> wanted = selectedItemIDs;
    if (wanted.isEmpty() && selectedItemID)
        wanted.insert(*selectedItemID);
    const QList<int> rows = rowIndexesOfItems(wanted);

    if (rows.isEmpty() && !m_items.isEmpty()) {
        // The owner makes the first item its selection, which comes back here.
        if (fallbackSelection)
            fallbackSelection(m_items.constFirst());
    } else if (rows.isEmpty()) {
        m_isSyncingSelection = true;
        m_selectionAnchorRow.reset();
        m_selectionLeadRow.reset();
        clearSelectionOrder();
        m_tableView->clearSelection();
        m_isSyncingSelection = false;
    } else {
        std::optional<int> lead = selectedItemID ? rowIndexOfItem(*selectedItemID) : std::nullopt;
        if (!lead)
            lead = rows.first();
        if (m_tableView->selectedRows() != rows) {
            m_isSyncingSelection = true;
            m_tableView->selectRows(rows);
            m_isSyncingSelection = false;
            m_selectionAnchorRow = lead;
            m_selectionLeadRow = lead;
            setSelectionOrder(computeSelectionOrderRows(rows, lead));
            scheduleScrollRowIntoView(*lead);
        } else if (*lead == m_firstItemRow || m_selectionLeadRow != lead) {
            // An unchanged selection keeps the scroll position, also on the first item: the list scrolls to the
            // top only for a new first item (see update()).
            m_selectionAnchorRow = lead;
            m_selectionLeadRow = lead;
        }
        // The list's own arrow keys go on from the lead, also after a reload took its current row.
        if (m_selectionLeadRow)
            m_tableView->setCurrentRow(*m_selectionLeadRow);
    }
    updateVisibleRowSelectionStyles();
    updateSelectionOrderNumbers();
}

QList<QUuid> History::computeSelectionOrder(const QList<int> &selectedRows, std::optional<int> leadRow) const
{
    QList<QUuid> ids;
    for (int row : computeSelectionOrderRows(selectedRows, leadRow))
        ids.append(itemAtRow(row)->id);
    return ids;
}

QList<int> History::computeSelectionOrderRows(const QList<int> &selectedRows, std::optional<int> leadRow) const
{
    std::vector<bool> selected(m_tableRows.size());
    qsizetype count = 0;
    for (int row : selectedRows) {
        if (isSelectableRow(row) && !selected[row]) {
            selected[row] = true;
            ++count;
        }
    }
    std::vector<bool> taken(m_tableRows.size());
    QList<int> order;
    order.reserve(count);
    // The items still selected keep their places; the lead's item comes next, then the others top to bottom.
    for (int row : selectionOrderRows()) {
        if (row >= 0 && selected[row] && !taken[row]) {
            order.append(row);
            taken[row] = true;
        }
    }
    if (leadRow && isSelectableRow(*leadRow) && selected[*leadRow] && !taken[*leadRow]) {
        order.append(*leadRow);
        taken[*leadRow] = true;
    }
    for (int row = 0; row < int(selected.size()) && order.size() < count; ++row) {
        if (selected[row] && !taken[row])
            order.append(row);
    }
    return order;
}

QList<ClipboardItem> History::selectedItemsInRowOrder() const
{
    QList<ClipboardItem> selected;
    for (int row : m_tableView->selectedRows()) {
        if (const ClipboardItem *item = itemAtRow(row))
            selected.append(*item);
    }
    return selected;
}

void History::handleTableSelectionChange(std::optional<int> clickedRow)
{
    if (m_isSyncingSelection)
        return;
    setKeyboardMultipleSelectionMode(false);
    const QList<int> &selected = m_tableView->selectedRows();
    std::optional<int> lead;
    if (clickedRow && m_tableView->isRowSelected(*clickedRow))
        lead = clickedRow;
    else if (!selected.isEmpty())
        lead = selected.first();
    m_selectionAnchorRow = lead;
    m_selectionLeadRow = lead;
    syncSelectionFromTable(lead);
}

void History::syncSelectionFromTable(std::optional<int> leadRow)
{
    updateVisibleRowSelectionStyles();
    const QList<int> orderRows = computeSelectionOrderRows(m_tableView->selectedRows(), leadRow);
    setSelectionOrder(orderRows);
    updateSelectionOrderNumbers();
    // The arrow keys of the list's own handling go on from the lead.
    if (leadRow)
        m_tableView->setCurrentRow(*leadRow);

    // Every row of the order is selected now.
    std::optional<QUuid> primary;
    if (leadRow && itemAtRow(*leadRow))
        primary = itemAtRow(*leadRow)->id;
    else if (!m_selectionOrderIDs.isEmpty())
        primary = m_selectionOrderIDs.first();
    if (m_delegate)
        m_delegate->historySelectionDidChange(m_selectionOrderIDs, primary);
}
