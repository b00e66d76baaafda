#pragma once

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
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The table takes a new list of this many rows.
    void reset(int rowCount);
    // Takes out the rows first to last (inclusive) of the current ones.
    void removeRowRange(int first, int last);
    // The rows' contents changed; their number did not.
    void rowsChanged(int first, int last);

    // The text that reads the row to assistive technology.
    std::function<QString(int row)> accessibleText;

private:
    IsSelectableRow m_isSelectableRow;
    int m_rowCount = 0;
};

// The list view of the history table: rows of their own heights, scrolled by pixel, with no search of its own
// and no focus rectangle. It tells the history view when its width changed and where a context menu was asked.
class HistoryTableView final : public QListView
{
    Q_OBJECT

public:
    explicit HistoryTableView(QWidget *parent = nullptr);

    // The width the rows are laid out at.
    qreal tableWidth() const { return viewport()->width(); }
    // The rows inside the visible part of the list, top to bottom; empty when none.
    QList<int> rowsInVisibleRect() const;
    // The rectangle of the row in the list's content (not the viewport), empty for no row.
    QRect rectOfRow(int row) const;
    // The row selected last and still selected; -1 when none is.
    int selectedRow() const { return m_selectedRow; }
    QList<int> selectedRows() const;
    void selectRows(const QList<int> &rows);

    std::optional<int> lastMouseDownRow;
    std::optional<int> contextualMenuRow;

    // Called when the width changed by more than half a pixel and there are rows.
    std::function<void()> onWidthChange;
    // Fills the context menu for the row under the pointer (-1 for none).
    std::function<void(QMenu &menu)> onPrepareContextMenu;

    // Lays out the rows now rather than before the next paint.
    void layOutRowsNow() { executeDelayedItemsLayout(); }
    // Asks every row's height again before the next paint.
    void relayOutRows() { scheduleDelayedItemsLayout(); }

    void keyboardSearch(const QString &search) override;
    void reset() override;

protected:
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

private:
    int m_lastWidth = 0;
    int m_selectedRow = -1;
};
