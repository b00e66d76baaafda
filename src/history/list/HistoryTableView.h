#pragma once

#include "HistoryDelegate.h"
#include "HistoryKeyEvent.h"

#include <QAbstractListModel>
#include <QListView>

#include <functional>
#include <optional>

// The rows of the history table as Qt's views see them: only how many there are and which can be selected. What a
// row shows is the history view's; the delegate paints it from there.
class HistoryTableModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    using IsSelectableRow = std::function<bool(int row)>;

    explicit HistoryTableModel(IsSelectableRow isSelectableRow, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex index(int row, int column = 0, const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    bool isSelectableRow(int row) const { return row >= 0 && row < m_rowCount && m_isSelectableRow(row); }

    // The table takes a new list of this many rows.
    void reset(int rowCount);
    // Takes out the rows first to last (inclusive) of the current ones; takeOut removes them from what the rows
    // read, between the announcement and the report of the removal.
    void removeRowRange(int first, int last, const std::function<void()> &takeOut = {});
    // Puts in the rows first to last (inclusive) of the new ones; putIn makes the rows read the new ones, between the
    // announcement and the report of the insertion.
    void insertRowRange(int first, int last, const std::function<void()> &putIn);
    // The rows' contents changed; their number did not.
    void rowsChanged(int first, int last);

    // The text that reads the row to assistive technology.
    std::function<QString(int row)> accessibleText;

private:
    IsSelectableRow m_isSelectableRow;
    int m_rowCount = 0;
};

// What a key press on the list does, decided from the key alone (see HistoryTableView::routeKey).
enum class HistoryTableKeyRoute {
    extendSelectionUp, // Shift+Up
    extendSelectionDown, // Shift+Down
    addCurrent, // Right
    removeCurrent, // Left
    moveFocusUp, // Up in keyboard multiple-selection mode
    moveFocusDown, // Down in keyboard multiple-selection mode
    search, // a typed character, for the search field
    list, // everything else: the list view's own handling (plain arrows, Return, Ctrl+A, ...)
};

// The list view of the history table: rows of their own heights, scrolled by pixel, with no search of its own
// and no focus rectangle. It turns mouse and key input into calls of the callbacks its owner installs, remembers
// the rows under the last mouse-down and the last context-menu request, and tells when its width changed.
class HistoryTableView final : public QListView
{
    Q_OBJECT

public:
    explicit HistoryTableView(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;

    // The width the rows are laid out at.
    qreal tableWidth() const { return viewport()->width(); }
    // The rows inside the visible part of the list, top to bottom; empty when none.
    QList<int> rowsInVisibleRect() const;
    // The rectangle of the row in the list's content (not the viewport), empty for no row.
    QRect rectOfRow(int row) const;
    // The row selected last and still selected; -1 when none is.
    int selectedRow() const { return m_selectedRow; }
    // The selected selectable rows in ascending order, kept between selection changes.
    const QList<int> &selectedRows() const;
    bool isRowSelected(int row) const;
    int selectedRowCount() const { return int(selectedRows().size()); }
    // Selects exactly these rows, one range per run of consecutive rows.
    void selectRows(const QList<int> &rows);
    // The row the view's own arrow keys start from, without changing the selection or scrolling.
    void setCurrentRow(int row);
    // Makes the list the focus widget of its window, unless its owner keeps the focus elsewhere (no focus policy).
    void takeFocus();

    std::optional<int> lastMouseDownRow;
    std::optional<int> contextualMenuRow;
    // Reads the owner's keyboard multiple-selection mode, which decides what plain Up and Down do; off when not set.
    std::function<bool()> keyboardMultipleSelectionMode;
    bool isKeyboardMultipleSelectionMode() const
    {
        return keyboardMultipleSelectionMode && keyboardMultipleSelectionMode();
    }

    // A left mouse-down on the row (-1 for none) with the modifiers held: true when it set the selection itself, in
    // which case the view's own press handling (and drag selection) is skipped. That handling is skipped as well for
    // a press on a row that cannot be selected (a header), which changes no selection.
    std::function<bool(int row, Qt::KeyboardModifiers modifiers)> onMouseDownSelection;
    // Every left mouse-down after its selection handling; clickCount 2 for the second press of a double click.
    std::function<void(int row, Qt::KeyboardModifiers modifiers, int clickCount)> onItemClick;
    // A typed character, for the search field.
    std::function<void(const HistoryKeyEvent &event)> onSearchKeyDown;
    std::function<void(HistorySelectionDirection direction)> onExtendSelectionKeyDown;
    std::function<void(HistoryKeyboardMultipleSelectionCommand command)> onKeyboardMultipleSelectionKeyDown;
    std::function<void(HistorySelectionDirection direction)> onKeyboardMultipleSelectionMoveKeyDown;
    // Called when the width changed by more than half a pixel and there are rows.
    std::function<void()> onWidthChange;
    // The list's own keys (plain arrows, pages, Home and End) made the row the current one.
    std::function<void(int row)> onKeyMove;
    // Called before every layout of the rows, which then asks each row's height.
    std::function<void()> onLayout;
    // Fills the context menu for the row under the pointer (-1 for none).
    std::function<void(QMenu &menu)> onPrepareContextMenu;

    // Where a key goes. The first matching rule decides: Shift alone with Up or Down extends; Right and Left without
    // modifiers add and remove; Up and Down without modifiers move the focus in keyboard multiple-selection mode;
    // text that startsSearch takes goes to the search; anything else to the list.
    static HistoryTableKeyRoute routeKey(const HistoryKeyEvent &event, bool isKeyboardMultipleSelectionMode);
    // Whether a key press types into the search, wherever in the history window it arrives: no Ctrl or Super held,
    // some text, none of it a control character or a function key (U+F700 to U+F8FF), and not only format characters
    // (a zero-width space). Every other character, full-width letters, ligatures and emoji included, is typing.
    static bool startsSearch(const HistoryKeyEvent &event);
    // Acts on a key press; false when it is left to the list view's own handling. A routed key is consumed even
    // when its callback is not set.
    bool handleKeyDown(const HistoryKeyEvent &event);

    // Lays out the rows now rather than before the next paint.
    void layOutRowsNow() { executeDelayedItemsLayout(); }
    // Asks every row's height again before the next paint.
    void relayOutRows() { scheduleDelayedItemsLayout(); }

    void keyboardSearch(const QString &search) override;
    void reset() override;
    void doItemsLayout() override;

protected:
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;
    // The visible rows of the selection only: asking for every selected row's rectangle would cost as much as the
    // rows selected.
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void keyPressEvent(QKeyEvent *event) override;
    // The list's own arrow, page and Home/End moves pass over the headers, which cannot be selected.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void mouseDown(QMouseEvent *event, int clickCount);
    void selectionDidChange() { m_selectedRowsAreCurrent = false; }

    int m_lastWidth = 0;
    int m_selectedRow = -1;
    mutable QList<int> m_selectedRows;
    mutable bool m_selectedRowsAreCurrent = false;
    bool m_pressHandledByOwner = false; // the current left press set the selection itself
    bool m_inOwnDoubleClickHandling = false;
};
