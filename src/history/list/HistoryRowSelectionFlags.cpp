#include "HistoryRowSelectionFlags.h"

namespace HistoryRowSelection {

namespace {

bool isItemRow(const HistoryRowSelectionState &state, int row)
{
    return row >= 0 && row < state.rowCount && state.isItemRow(row);
}

bool isSelectedItemRow(const HistoryRowSelectionState &state, int row)
{
    return isItemRow(state, row) && state.isSelected(row);
}

} // namespace

bool showsDivider(const HistoryRowSelectionState &state, int row)
{
    if (row < 1 || !isItemRow(state, row) || !isItemRow(state, row - 1))
        return false;
    if (state.isKeyboardMultipleSelectionMode && state.leadRow && (*state.leadRow == row || *state.leadRow == row - 1))
        return false;
    return !state.isSelected(row) && !state.isSelected(row - 1);
}

HistoryRowSelectionFlags flags(const HistoryRowSelectionState &state, int row)
{
    HistoryRowSelectionFlags flags;
    flags.showsDivider = showsDivider(state, row);
    const bool isFocusedButNotSelected = state.isKeyboardMultipleSelectionMode && state.leadRow == row
        && !(row >= 0 && row < state.rowCount && state.isSelected(row));
    if (!isFocusedButNotSelected) {
        flags.joinsSelectedRowAbove = isSelectedItemRow(state, row - 1);
        flags.joinsSelectedRowBelow = isSelectedItemRow(state, row + 1);
    }
    flags.isPartOfMultipleSelection = state.selectedRowCount > 1;
    flags.isKeyboardMultipleSelectionMode = state.isKeyboardMultipleSelectionMode;
    flags.isKeyboardSelectionFocusedRow = state.leadRow == row;
    return flags;
}

} // namespace HistoryRowSelection
