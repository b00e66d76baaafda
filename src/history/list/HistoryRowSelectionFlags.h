#pragma once

#include <functional>
#include <optional>

// How a row of the history table draws its part of the selection: whether it shows a divider at its top, whether
// its selection shape joins the selected rows above and below (square corners there), whether it belongs to a
// multiple selection, and keyboard multiple-selection mode with its focused row.
struct HistoryRowSelectionFlags
{
    bool showsDivider = false;
    bool joinsSelectedRowAbove = false;
    bool joinsSelectedRowBelow = false;
    bool isPartOfMultipleSelection = false;
    bool isKeyboardMultipleSelectionMode = false;
    bool isKeyboardSelectionFocusedRow = false;

    bool operator==(const HistoryRowSelectionFlags &) const = default;
};

// The selection as the rows' flags are computed from it.
struct HistoryRowSelectionState
{
    int rowCount = 0;
    std::function<bool(int row)> isItemRow; // an item row, not a section header
    std::function<bool(int row)> isSelected;
    int selectedRowCount = 0;
    std::optional<int> leadRow; // the focused row of keyboard multiple selection
    bool isKeyboardMultipleSelectionMode = false;
};

namespace HistoryRowSelection {

// A hairline above the row: both the row and the one above are item rows, neither is selected, and in keyboard
// multiple-selection mode neither is the focused row. Never above the first row or next to a header.
bool showsDivider(const HistoryRowSelectionState &state, int row);

// The row's flags. A selected item row next to the row joins it; a focused row that is not selected in keyboard
// multiple-selection mode joins nothing, so that its focus shape stands alone.
HistoryRowSelectionFlags flags(const HistoryRowSelectionState &state, int row);

} // namespace HistoryRowSelection
