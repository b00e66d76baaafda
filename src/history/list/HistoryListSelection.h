#pragma once

#include "HistoryRowSelectionFlags.h"
#include "HistoryTableRow.h"

#include <QHash>
#include <QList>
#include <QUuid>

#include <optional>
#include <vector>

// The history list as its selection reads it: the rows, and the rows the table shows selected.
class HistoryListSelectionRows
{
public:
    // The rows now. Read once for each computation; the rows of a long list are not asked for one by one.
    virtual const QList<HistoryTableRow> &rows() const = 0;
    // The row of the item; nothing when no row has it.
    virtual std::optional<int> rowOfItem(const QUuid &id) const = 0;
    // The selected item rows in ascending order.
    virtual const QList<int> &selectedRows() const = 0;
    virtual bool isRowSelected(int row) const = 0;

protected:
    ~HistoryListSelectionRows() = default;
};

// Everything about a row that the selection decides: its flags, whether it is selected, and its order number or
// placeholder.
struct HistoryRowSelectionLook
{
    HistoryRowSelectionFlags flags;
    bool isSelected = false;
    std::optional<int> selectionOrderNumber;
    bool showsSelectionOrderPlaceholder = false;

    bool operator==(const HistoryRowSelectionLook &) const = default;
};

// The history list's selection besides the selected rows themselves (those are the table's): the fixed and the
// moving end of a range, the selected items in the order they were selected, keyboard multiple-selection mode, and
// what each row draws of it all. It reads the rows through HistoryListSelectionRows and changes only when told; the
// list decides what an input does, and tells the table, its delegate and the painter.
class HistoryListSelection final
{
public:
    explicit HistoryListSelection(const HistoryListSelectionRows &rows) : m_rows(rows) { }

    // The fixed and the moving end of a range. The lead is also the focused row in keyboard multiple-selection mode.
    std::optional<int> anchorRow() const { return m_anchorRow; }
    std::optional<int> leadRow() const { return m_leadRow; }
    void setAnchorAndLead(std::optional<int> anchor, std::optional<int> lead)
    {
        m_anchorRow = anchor;
        m_leadRow = lead;
    }

    // Decides what plain Up and Down do and how the rows draw the focused one. Setting it draws nothing.
    bool isKeyboardMultipleSelectionMode() const { return m_isKeyboardMultipleSelectionMode; }
    void setKeyboardMultipleSelectionMode(bool on) { m_isKeyboardMultipleSelectionMode = on; }

    // The ids of the selected items in the order they were selected.
    const QList<QUuid> &selectionOrderIDs() const { return m_selectionOrderIDs; }
    // The order of selection as item rows: the ids are taken from the rows' items.
    void setSelectionOrder(const QList<int> &rows);
    // No anchor, no lead, no order; the mode stays as it is.
    void clear();
    // The rows of the current order (-1 for an id no row has).
    QList<int> selectionOrderRows() const;
    // The order of selection of the selected item rows: those in the order already keep their places, the lead's
    // row comes next, then the others top to bottom.
    QList<int> computeSelectionOrderRows(const QList<int> &selectedRows, std::optional<int> leadRow) const;
    // The item rows of a range in the given order, those already in the order of selection first in their order.
    QList<int> rangeSelectionOrderRows(const QList<int> &rows) const;
    // The row's 1-based place in the order of selection; 0 when it has none.
    int selectionOrderPosition(int row) const;

    // The list has a new set of rows: the order's rows are found again by id, and no row is taken to show any look.
    void rowsDidChange();

    // How the row draws its part of the selection now, and whether it shows the divider at its top.
    HistoryRowSelectionFlags rowSelectionFlags(int row) const;
    bool showsDivider(int row) const;
    HistoryRowSelectionLook rowSelectionLook(int row) const;
    // What the row shows now. Every change of a row's look asks for the whole row to be drawn again, so a row is
    // never left showing an older look in part.
    void rowWasPainted(int row, const HistoryRowSelectionLook &look) const { m_paintedRowLooks.insert(row, look); }
    // The item rows among these that show another look than their own now, or were not painted since the rows
    // changed.
    QList<int> rowsShowingAnotherLook(const QList<int> &rows) const;

private:
    HistoryRowSelectionState rowSelectionState() const;
    bool isItemRow(int row) const;

    const HistoryListSelectionRows &m_rows;
    std::optional<int> m_anchorRow;
    std::optional<int> m_leadRow;
    bool m_isKeyboardMultipleSelectionMode = false;
    QList<QUuid> m_selectionOrderIDs;
    quint64 m_rowsGeneration = 0; // changes with every new set of rows
    // The rows of selectionOrderIDs while the rows are those of m_selectionOrderRowsGeneration, so that a large
    // selection is not looked up by id again at each change; and each row's 1-based place in the order, made when
    // a row is painted after a change (0 for none).
    QList<int> m_selectionOrderRows;
    quint64 m_selectionOrderRowsGeneration = 0;
    mutable std::vector<int> m_selectionOrderPositionOfRow;
    mutable bool m_selectionOrderPositionsAreCurrent = false;
    // What each row showed when it was painted last, by row; emptied with every new set of rows.
    mutable QHash<int, HistoryRowSelectionLook> m_paintedRowLooks;
};
