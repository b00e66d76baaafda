// The operations that change the history list's selection: the table's selected rows and the list's selection
// bookkeeping (the anchor, the lead, the order in which items were selected and keyboard multiple-selection mode).

#include "History.h"

#include "HistoryTableView.h"

#include <QItemSelectionModel>

#include <algorithm>

namespace {

// The modifiers that decide what a click does.
constexpr Qt::KeyboardModifiers clickModifiers
    = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

} // namespace

std::optional<int> History::SelectionRows::rowOfItem(const QUuid &id) const
{
    return list.rowIndexOfItem(id);
}

const QList<int> &History::SelectionRows::selectedRows() const
{
    return list.m_tableView->selectedRows();
}

bool History::SelectionRows::isRowSelected(int row) const
{
    return list.m_tableView->isRowSelected(row);
}

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
    const std::optional<int> lead = m_selection.leadRow();
    return lead ? *lead : m_tableView->selectedRow();
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
    if (const std::optional<int> lead = m_selection.leadRow(); lead && isSelectableRow(*lead))
        return lead;
    if (isSelectableRow(m_tableView->selectedRow()))
        return m_tableView->selectedRow();
    if (m_firstItemRow >= 0)
        return m_firstItemRow;
    return std::nullopt;
}

void History::selectSingleRow(int row)
{
    m_selection.setKeyboardMultipleSelectionMode(false);
    m_isSyncingSelection = true;
    m_tableView->selectRows({row});
    m_isSyncingSelection = false;
    m_selection.setAnchorAndLead(row, row);
    m_selection.setSelectionOrder(m_selection.computeSelectionOrderRows({row}, row));
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
    const bool wasKeyboardMultipleSelectionMode = m_selection.isKeyboardMultipleSelectionMode();
    m_selection.setKeyboardMultipleSelectionMode(false);
    const int current = currentRowForExtending();
    const int anchor = m_selection.anchorRow().value_or(current);
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
    m_selection.setAnchorAndLead(anchor, lead);
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
    const bool wasOn = m_selection.isKeyboardMultipleSelectionMode();
    m_selection.setKeyboardMultipleSelectionMode(true);

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
        m_selection.setAnchorAndLead(row, row);
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
    if (!m_selection.isKeyboardMultipleSelectionMode() || m_items.isEmpty())
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
    m_selection.setAnchorAndLead(target, target);
    syncSelectionFromTable(target);
    scrollRowIntoView(*target);
}

bool History::handleMouseDownSelection(int row, Qt::KeyboardModifiers modifiers)
{
    if (m_selection.isKeyboardMultipleSelectionMode()) {
        m_selection.setKeyboardMultipleSelectionMode(false);
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
        const std::optional<int> anchorRow = m_selection.anchorRow();
        const int anchor = anchorRow ? *anchorRow : (selected.isEmpty() ? row : selected.first());
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
        m_selection.setSelectionOrder(m_selection.rangeSelectionOrderRows(order));
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

void History::leaveKeyboardMultipleSelectionMode()
{
    if (!m_selection.isKeyboardMultipleSelectionMode())
        return;
    m_selection.setKeyboardMultipleSelectionMode(false);
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

void History::updateRowsWhoseSelectionLookChanged()
{
    // Every visible row whose look changed is drawn again, and no other.
    for (const int row : m_selection.rowsShowingAnotherLook(m_tableView->rowsInVisibleRect()))
        m_tableView->viewport()->update(m_tableView->visualRect(m_tableModel->index(row)));
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
        if (const ClipboardItem *first = itemAtRow(m_firstItemRow); first && fallbackSelection)
            fallbackSelection(*first);
    } else if (rows.isEmpty()) {
        m_isSyncingSelection = true;
        m_selection.clear();
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
            m_selection.setAnchorAndLead(lead, lead);
            m_selection.setSelectionOrder(m_selection.computeSelectionOrderRows(rows, lead));
            scheduleScrollRowIntoView(*lead);
        } else if (*lead == m_firstItemRow || m_selection.leadRow() != lead) {
            // An unchanged selection keeps the scroll position, also on the first item: the list scrolls to the
            // top only for a new first item (see update()).
            m_selection.setAnchorAndLead(lead, lead);
        }
        // The list's own arrow keys go on from the lead, also after a reload took its current row.
        if (const std::optional<int> leadRow = m_selection.leadRow())
            m_tableView->setCurrentRow(*leadRow);
    }
    updateVisibleRowSelectionStyles();
    updateSelectionOrderNumbers();
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
    m_selection.setKeyboardMultipleSelectionMode(false);
    const QList<int> &selected = m_tableView->selectedRows();
    std::optional<int> lead;
    if (clickedRow && m_tableView->isRowSelected(*clickedRow))
        lead = clickedRow;
    else if (!selected.isEmpty())
        lead = selected.first();
    m_selection.setAnchorAndLead(lead, lead);
    syncSelectionFromTable(lead);
}

void History::syncSelectionFromTable(std::optional<int> leadRow)
{
    updateVisibleRowSelectionStyles();
    m_selection.setSelectionOrder(m_selection.computeSelectionOrderRows(m_tableView->selectedRows(), leadRow));
    updateSelectionOrderNumbers();
    // The arrow keys of the list's own handling go on from the lead.
    if (leadRow)
        m_tableView->setCurrentRow(*leadRow);

    // Every row of the order is selected now.
    std::optional<QUuid> primary;
    if (leadRow && itemAtRow(*leadRow))
        primary = itemAtRow(*leadRow)->id;
    else if (!m_selection.selectionOrderIDs().isEmpty())
        primary = m_selection.selectionOrderIDs().first();
    if (m_delegate)
        m_delegate->historySelectionDidChange(m_selection.selectionOrderIDs(), primary);
}
