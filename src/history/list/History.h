#pragma once

#include "ClipboardItem.h"
#include "HistoryDelegate.h"
#include "HistoryItemRowPainter.h"
#include "HistoryItems.h"
#include "HistoryKeyEvent.h"
#include "HistoryListSelection.h"
#include "HistoryRowHeights.h"
#include "HistoryRowSelectionFlags.h"
#include "HistoryTableRow.h"
#include "Tag.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>
#include <QWidget>

#include <functional>
#include <optional>

class EmptyHistory;
class FilePreviewCache;
class HistoryDelegate;
class HistoryTableModel;
class HistoryTableView;
class QMenu;
class QStyledItemDelegate;

// What the history list shows, handed over whole by its owner whenever any of it changes.
struct HistoryUpdate
{
    QList<ClipboardItem> items; // the visible items in display order, as copies
    // Or the model's own items in display order (HistoryItems::ofModel), which the list reads in place and copies
    // none of. `changedItemIDs` names those whose value changed since the last update; the others keep their rows'
    // heights.
    HistoryItems modelItems;
    QSet<QUuid> changedItemIDs;
    QList<Tag> availableTags;
    QString searchQuery;
    bool showCommandNumberShortcut = true;
    bool showPreviewForLinks = true;
    bool pinFavoritesToTop = false;
    HistorySectionDate sectionDate = nullptr;
    std::optional<QUuid> selectedItemID;
    QSet<QUuid> selectedItemIDs;
    // Makes the item the only selection, when the wanted selection names no row of the list.
    std::function<void(const ClipboardItem &)> fallbackSelection;
    // The calendar of the day sections; the system's when not given.
    std::optional<HistoryCalendar> calendar;
};

// The history list: the visible items in day sections, each row as tall as its content needs, with a placeholder
// when there is nothing to show. It is given everything it shows through update() and reports what the user does
// to its delegate. An update that only takes rows out removes them in place and refreshes no more than the first
// nine item rows, and one that puts one run of rows in inserts them in place; anything else reloads the list. The list
// keeps its scroll position unless the selection changed or a new first item came in.
class History final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int quickPasteRowCount = 9;
    static constexpr int bottomContentInset = 4;

    explicit History(QWidget *parent = nullptr);
    ~History() override;

    // Not owned. The delegate must outlive the list or be cleared first.
    void setDelegate(HistoryDelegate *delegate) { m_delegate = delegate; }
    void setFilePreviewCache(FilePreviewCache *cache);

    using QWidget::update;
    void update(HistoryUpdate update);
    // The texts of the empty states again, in the interface language now.
    void relabel();

    // The rows of the table now.
    const QList<HistoryTableRow> &tableRows() const { return m_tableRows; }
    // The item of an item row; nothing for a header or a row out of range.
    const ClipboardItem *itemAtRow(int row) const;
    const QString &searchQuery() const { return m_searchQuery; }

    // Which rows an update took out when the new rows are exactly the old ones with some removed, order kept
    // (greedy, by identity); nothing when the update did anything else.
    static std::optional<QList<int>> removedRowIndexes(
        const QList<HistoryTableRow> &oldRows, const QList<HistoryTableRow> &newRows);
    // The rows an update put in when the new rows are exactly the old ones with one run of rows inserted, order
    // kept (by identity), as the first and last new row; nothing when the update did anything else.
    static std::optional<std::pair<int, int>> insertedRowRange(
        const QList<HistoryTableRow> &oldRows, const QList<HistoryTableRow> &newRows);
    // The first n item rows, headers skipped.
    QList<int> firstItemRowIndexes(int n) const;

    // The measured lines of a text or rich-text item's preview, kept per item while its content stays the same;
    // nothing for other kinds.
    std::optional<HistoryTextPreviewLineMetrics> textPreviewLineMetrics(const ClipboardItem &item);
    // The height of a row at the table's width.
    qreal rowHeight(int row);
    // The height the view lays the row out at: rowHeight, or a guess for a row far from the visible part of a long
    // list that was never measured. Rows are measured as they come near the visible part.
    qreal layoutRowHeight(int row);
    // Lists of up to this many rows are measured whole; longer ones near the visible part.
    static constexpr int wholeMeasuredRowCount = 500;
    bool isSelectableRow(int row) const;
    // What an item row shows besides its item, now.
    HistoryItemRowConfiguration itemRowConfiguration(int row) const;
    // How the row draws its part of the selection now.
    HistoryRowSelectionFlags rowSelectionFlags(int row) const { return m_selection.rowSelectionFlags(row); }

    // The table's width changed: every height is asked again, and visible rows of several files are refreshed.
    void tableWidthDidChange();
    // Refreshes the visible file rows with their heights (their files may have changed while hidden).
    void reloadVisibleFileRows();

    // Rows of the items, ascending.
    QList<int> rowIndexesOfItems(const QSet<QUuid> &ids) const;
    std::optional<int> rowIndexOfItem(const QUuid &id) const;

    // Pushes the model's selection into the list; falls back to the first item when it names no row.
    void selectItems(const std::optional<QUuid> &selectedItemID, const QSet<QUuid> &selectedItemIDs,
        const std::function<void(const ClipboardItem &)> &fallbackSelection);

    // Scrolling: the first item row brings the header above it into view, the last item row is shown whole above
    // the bottom inset, other rows are scrolled just into view.
    void scrollRowIntoView(int row);
    void revealRow(int row, bool preferTop);
    void scrollToTopIfFirstItemSelected();
    // Scrolls the row into view two turns of the event loop later, once the list has laid out its rows.
    void scheduleScrollRowIntoView(int row);

    // --- Selection -------------------------------------------------------------------------------------------
    // The operations that change the selection from the keyboard and the mouse. Each reports an accepted change
    // to the delegate (historySelectionDidChange), except selectItems, whose selection comes from the model.

    // Up or Down to the nearest item row, collapsing any multiple selection; false when there is no such row.
    bool moveSelection(HistorySelectionDirection direction);
    // Shift+Up or Shift+Down: the range from the anchor to the next item row in that direction.
    void extendSelection(HistorySelectionDirection direction);
    // Right and Left: add or remove the focused row, entering keyboard multiple-selection mode.
    void applyKeyboardMultipleSelectionCommand(HistoryKeyboardMultipleSelectionCommand command);
    // Up and Down in keyboard multiple-selection mode: move the focused row without changing the selection.
    void moveKeyboardSelectionFocus(HistorySelectionDirection direction);
    // A mouse press on the row before the view's own handling: true when it set the selection itself
    // (Ctrl-click toggles, Shift-click selects the range from the anchor, a plain click on an unselected row).
    bool handleMouseDownSelection(int row, Qt::KeyboardModifiers modifiers);
    // A click (count 1) or double click (count 2) on an item row without modifiers, told to the delegate.
    void handleItemClick(int row, Qt::KeyboardModifiers modifiers, int clickCount);
    // A typed character that reached the list: handed to the delegate for the search field.
    void forwardSearchKeyDown(const HistoryKeyEvent &event);
    // Selects exactly the row, ending keyboard multiple-selection mode.
    void selectSingleRow(int row);
    void leaveKeyboardMultipleSelectionMode();
    // Redraws the visible rows whose selection look (joined shapes, focus, order number) differs from what they show;
    // a row that already shows its look is not drawn again.
    void updateVisibleRowSelectionStyles();
    void updateSelectionOrderNumbers();

    // The selection bookkeeping besides the selected rows (the table's): the fixed and the moving end of a range,
    // the selected ids in the order they were selected, keyboard multiple-selection mode, and each row's look.
    const HistoryListSelection &selection() const { return m_selection; }
    std::optional<int> selectionAnchorRow() const { return m_selection.anchorRow(); }
    std::optional<int> selectionLeadRow() const { return m_selection.leadRow(); }
    const QList<QUuid> &selectionOrderIDs() const { return m_selection.selectionOrderIDs(); }
    bool isKeyboardMultipleSelectionMode() const { return m_selection.isKeyboardMultipleSelectionMode(); }
    bool isSyncingSelection() const { return m_isSyncingSelection; }
    QList<ClipboardItem> selectedItemsInRowOrder() const;

    HistoryTableView &tableView() const { return *m_tableView; }
    EmptyHistory &emptyListView() const { return *m_emptyListView; }
    EmptyHistory &emptySearchResultsView() const { return *m_emptySearchResultsView; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void setUpViews();
    void handleTableSelectionChange(std::optional<int> clickedRow);
    // The row the keyboard operations start from.
    int currentRowForMoving() const;
    int currentRowForExtending() const;
    std::optional<int> currentRowForKeyboardMultipleSelection() const;
    std::optional<int> nearestItemRow(int row, HistorySelectionDirection direction) const;
    void playSelectionSound(int code);
    void syncSelectionFromTable(std::optional<int> leadRow);
    void prepareContextMenu(QMenu &menu);
    void rebuildRowIndex();
    // The index of the rows by id, when it is worth building; none while a pass over the rows costs less.
    const QHash<QUuid, int> *rowIndex() const;
    // What each row knows of its height: the height at the table's width (-1 until asked), and what it depends on.
    struct RowHeight
    {
        HistoryRowHeightInputs inputs;
        float atTableWidth = -1; // exact, as the inputs' figures are
        bool isGuess = false; // the inputs are guessed; the row was not measured
    };
    // Measures what the heights of a row depends on, unless it is guessed: true when the height changed.
    bool measureRow(int row);
    // Before each layout: every row's height at the table's width, measured for the rows near the part of the list
    // that will be visible, guessed for those far from it, with the rows' tops.
    void prepareRowHeights();
    // Measures the guessed rows in the rows' range, and lays the list out again when a height changed, keeping the
    // first visible row where it is.
    void measureRows(int first, int last);
    // The rows within a screenful of the visible part.
    void measureRowsNearScreen();
    // The row at the height in the list's content, by the tops of the last layout.
    int rowAtListY(int y) const;
    bool knowsTextPreviewLineMetrics(const ClipboardItem &item) const;
    QList<RowHeight> carriedRowHeights(
        const QList<HistoryTableRow> &newRows, const HistoryItems &newItems, const QSet<QUuid> &changedIDs) const;
    void updatePlaceholders();
    int firstItemRow() const;
    std::optional<QUuid> firstItemID() const;
    int lastItemRow() const;
    void askForLinkPreviewIfNeeded(int row);
    void updateRowsWhoseSelectionLookChanged();

    HistoryDelegate *m_delegate = nullptr;
    FilePreviewCache *m_filePreviewCache = nullptr;

    HistoryItems m_items;
    QList<Tag> m_availableTags;
    QHash<qint64, Tag> m_availableTagsByID;
    QString m_searchQuery;
    bool m_showCommandNumberShortcut = true;
    bool m_showPreviewForLinks = true;
    QList<HistoryTableRow> m_tableRows;
    // Rows by id, built when asked for often enough after a change (rowIndex()).
    mutable QHash<QUuid, int> m_rowOfItem;
    mutable bool m_rowOfItemIsCurrent = false;
    mutable int m_rowLookupsSinceChange = 0;
    int m_firstItemRow = -1;
    int m_lastItemRow = -1;

    HistoryRowHeights m_rowHeightMeasure;
    // The most items the list has shown: the caches keep that many, so that narrowing the list by a search and
    // widening it again measures no row twice.
    qsizetype m_largestItemCount = 0;
    QList<RowHeight> m_rowHeights; // per row of the table
    std::vector<int> m_rowTops; // of the last layout, and the bottom of the last row
    bool m_rowTopsAreCurrent = false; // m_rowTops are of the rows now
    bool m_hasGuessedRows = false;
    // The view is being told of rows taken out or put in, and reads the rows of that moment.
    bool m_isReportingRowChange = false;
    // Where the visible part of the list will start after the layout of an update.
    std::optional<int> m_layoutScrollPosition;
    HistoryRowHeightContext m_heightContext;
    struct MeasuredLines
    {
        QString contentKey;
        HistoryTextPreviewLineMetrics metrics;
    };
    QHash<QUuid, MeasuredLines> m_textPreviewLineMetricsCache;
    QSet<QUuid> m_linkPreviewsAskedFor; // since the last update

    // The rows and the table's selected rows, as the selection reads them.
    struct SelectionRows final : HistoryListSelectionRows
    {
        explicit SelectionRows(const History &list) : list(list) { }
        const QList<HistoryTableRow> &rows() const override { return list.m_tableRows; }
        std::optional<int> rowOfItem(const QUuid &id) const override;
        const QList<int> &selectedRows() const override;
        bool isRowSelected(int row) const override;

        const History &list;
    };
    SelectionRows m_selectionRows {*this};
    HistoryListSelection m_selection {m_selectionRows};
    bool m_isSyncingSelection = false;

    HistoryTableModel *m_tableModel = nullptr;
    HistoryTableView *m_tableView = nullptr;
    QStyledItemDelegate *m_rowDelegate = nullptr;
    EmptyHistory *m_emptyListView = nullptr;
    EmptyHistory *m_emptySearchResultsView = nullptr;

    friend class HistoryRowDelegate;
};
