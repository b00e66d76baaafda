#include "HistoryTableView.h"

#include "KeyboardCodes.h"
#include "TextUtilities.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QResizeEvent>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr quint64 modifierMask
    = KeyEventFlag::shift | KeyEventFlag::control | KeyEventFlag::option | KeyEventFlag::command;
// Chords with Ctrl or Super are commands, never typing.
constexpr quint64 commandModifiers = KeyEventFlag::command | KeyEventFlag::control;

} // namespace

HistoryTableModel::HistoryTableModel(IsSelectableRow isSelectableRow, QObject *parent)
    : QAbstractListModel(parent), m_isSelectableRow(std::move(isSelectableRow))
{ }

int HistoryTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

QModelIndex HistoryTableModel::index(int row, int column, const QModelIndex &parent) const
{
    // Asked for every row on each layout: bounded here without the general check's virtual calls.
    if (parent.isValid() || column != 0 || row < 0 || row >= m_rowCount)
        return QModelIndex();
    return createIndex(row, column);
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

void HistoryTableModel::removeRowRange(int first, int last, const std::function<void()> &takeOut)
{
    beginRemoveRows(QModelIndex(), first, last);
    if (takeOut)
        takeOut();
    m_rowCount -= last - first + 1;
    endRemoveRows();
}

void HistoryTableModel::insertRowRange(int first, int last, const std::function<void()> &putIn)
{
    beginInsertRows(QModelIndex(), first, last);
    if (putIn)
        putIn();
    m_rowCount += last - first + 1;
    endInsertRows();
}

void HistoryTableModel::rowsChanged(int first, int last)
{
    Q_EMIT dataChanged(index(first), index(last));
}

HistoryTableView::HistoryTableView(QWidget *parent) : QListView(parent)
{
    setFocusPolicy(Qt::StrongFocus);
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

void HistoryTableView::setModel(QAbstractItemModel *newModel)
{
    QListView::setModel(newModel);
    selectionDidChange();
    if (!newModel)
        return;
    // The selection model shifts or drops its ranges with the rows; the kept list is read again afterwards.
    connect(newModel, &QAbstractItemModel::rowsRemoved, this, [this] { selectionDidChange(); });
    connect(newModel, &QAbstractItemModel::modelReset, this, [this] { selectionDidChange(); });
    connect(newModel, &QAbstractItemModel::layoutChanged, this, [this] { selectionDidChange(); });
}

const QList<int> &HistoryTableView::selectedRows() const
{
    if (m_selectedRowsAreCurrent)
        return m_selectedRows;
    m_selectedRows.clear();
    m_selectedRowsAreCurrent = true;
    if (!selectionModel() || !model())
        return m_selectedRows;
    // From the ranges, not from one index per selected row: a selection of 100,000 rows is a handful of ranges.
    QList<std::pair<int, int>> ranges;
    for (const QItemSelectionRange &range : selectionModel()->selection())
        ranges.append({range.top(), range.bottom()});
    std::sort(ranges.begin(), ranges.end());
    const auto *tableModel = qobject_cast<const HistoryTableModel *>(model());
    int next = 0; // ranges may overlap: each row once
    for (const auto &[top, bottom] : std::as_const(ranges)) {
        for (int row = qMax(top, next); row <= bottom; ++row) {
            const bool selectable = tableModel ? tableModel->isSelectableRow(row)
                                               : bool(model()->flags(model()->index(row, 0)) & Qt::ItemIsSelectable);
            if (selectable)
                m_selectedRows.append(row);
        }
        next = qMax(next, bottom + 1);
    }
    return m_selectedRows;
}

bool HistoryTableView::isRowSelected(int row) const
{
    const QList<int> &rows = selectedRows();
    return std::binary_search(rows.cbegin(), rows.cend(), row);
}

void HistoryTableView::selectRows(const QList<int> &rows)
{
    if (!selectionModel() || !model())
        return;
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
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
}

void HistoryTableView::setCurrentRow(int row)
{
    if (!selectionModel() || !model() || row < 0 || row >= model()->rowCount())
        return;
    selectionModel()->setCurrentIndex(model()->index(row, 0), QItemSelectionModel::NoUpdate);
}

void HistoryTableView::takeFocus()
{
    if (focusPolicy() != Qt::NoFocus && !hasFocus())
        setFocus(Qt::OtherFocusReason);
}

HistoryTableKeyRoute HistoryTableView::routeKey(const HistoryKeyEvent &event, bool isKeyboardMultipleSelectionMode)
{
    const quint64 modifiers = event.flags & modifierMask;
    if (modifiers == KeyEventFlag::shift && event.keyCode == VirtualKey::down)
        return HistoryTableKeyRoute::extendSelectionDown;
    if (modifiers == KeyEventFlag::shift && event.keyCode == VirtualKey::up)
        return HistoryTableKeyRoute::extendSelectionUp;
    if (modifiers == 0) {
        if (event.keyCode == VirtualKey::right)
            return HistoryTableKeyRoute::addCurrent;
        if (event.keyCode == VirtualKey::left)
            return HistoryTableKeyRoute::removeCurrent;
        if (isKeyboardMultipleSelectionMode && event.keyCode == VirtualKey::down)
            return HistoryTableKeyRoute::moveFocusDown;
        if (isKeyboardMultipleSelectionMode && event.keyCode == VirtualKey::up)
            return HistoryTableKeyRoute::moveFocusUp;
    }
    return startsSearch(event) ? HistoryTableKeyRoute::search : HistoryTableKeyRoute::list;
}

bool HistoryTableView::startsSearch(const HistoryKeyEvent &event)
{
    if ((event.modifiers() & commandModifiers) != 0 || event.characters.isEmpty())
        return false;
    // Never a control character (Escape, Return, Tab and Backspace type them) or a function key. Format characters
    // are typing inside an emoji sequence (the zero-width joiner of a family), not alone (a zero-width space).
    bool typesSomething = false;
    for (const char32_t c : event.characters.toUcs4()) {
        if (QChar::category(c) == QChar::Other_Control || (c >= 0xF700 && c <= 0xF8FF))
            return false;
        typesSomething = typesSomething || QChar::category(c) != QChar::Other_Format;
    }
    return typesSomething;
}

bool HistoryTableView::handleKeyDown(const HistoryKeyEvent &event)
{
    switch (routeKey(event, isKeyboardMultipleSelectionMode())) {
    case HistoryTableKeyRoute::extendSelectionUp:
        if (onExtendSelectionKeyDown)
            onExtendSelectionKeyDown(HistorySelectionDirection::up);
        return true;
    case HistoryTableKeyRoute::extendSelectionDown:
        if (onExtendSelectionKeyDown)
            onExtendSelectionKeyDown(HistorySelectionDirection::down);
        return true;
    case HistoryTableKeyRoute::addCurrent:
        if (onKeyboardMultipleSelectionKeyDown)
            onKeyboardMultipleSelectionKeyDown(HistoryKeyboardMultipleSelectionCommand::addCurrent);
        return true;
    case HistoryTableKeyRoute::removeCurrent:
        if (onKeyboardMultipleSelectionKeyDown)
            onKeyboardMultipleSelectionKeyDown(HistoryKeyboardMultipleSelectionCommand::removeCurrent);
        return true;
    case HistoryTableKeyRoute::moveFocusUp:
        if (onKeyboardMultipleSelectionMoveKeyDown)
            onKeyboardMultipleSelectionMoveKeyDown(HistorySelectionDirection::up);
        return true;
    case HistoryTableKeyRoute::moveFocusDown:
        if (onKeyboardMultipleSelectionMoveKeyDown)
            onKeyboardMultipleSelectionMoveKeyDown(HistorySelectionDirection::down);
        return true;
    case HistoryTableKeyRoute::search:
        if (onSearchKeyDown)
            onSearchKeyDown(event);
        return true;
    case HistoryTableKeyRoute::list:
        return false;
    }
    return false;
}

void HistoryTableView::keyPressEvent(QKeyEvent *event)
{
    if (handleKeyDown(HistoryKeyEvent::fromQKeyEvent(*event))) {
        event->accept();
        return;
    }
    const QModelIndex before = currentIndex();
    QListView::keyPressEvent(event);
    // The list scrolls by none of its own keys, as auto-scrolling (which would also follow drags) is off: a row the
    // keys moved to is brought into view by the owner.
    const QModelIndex current = currentIndex();
    if (current.isValid() && current != before && onKeyMove)
        onKeyMove(current.row());
}

QModelIndex HistoryTableView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex index = QListView::moveCursor(action, modifiers);
    const auto *tableModel = qobject_cast<const HistoryTableModel *>(model());
    if (!tableModel || !index.isValid() || tableModel->isSelectableRow(index.row()))
        return index;
    // A header: on to the next item row the same way (Home goes down from the top, End up from the bottom), else the
    // nearest one the other way (Page Up onto the first header stops at the first item).
    const bool upwards
        = action == MoveUp || action == MovePageUp || action == MovePrevious || action == MoveLeft || action == MoveEnd;
    for (const int step : {upwards ? -1 : 1, upwards ? 1 : -1}) {
        for (int row = index.row() + step; row >= 0 && row < tableModel->rowCount(); row += step) {
            if (tableModel->isSelectableRow(row))
                return tableModel->index(row);
        }
    }
    return currentIndex();
}

void HistoryTableView::mousePressEvent(QMouseEvent *event)
{
    if (m_inOwnDoubleClickHandling) {
        // The view's double-click handling presses again when the first press was not its own.
        QListView::mousePressEvent(event);
        return;
    }
    if (event->button() != Qt::LeftButton) {
        // A right click opens the context menu, which chooses its rows itself; no other button selects.
        event->accept();
        return;
    }
    mouseDown(event, 1);
}

void HistoryTableView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    mouseDown(event, 2);
}

void HistoryTableView::mouseDown(QMouseEvent *event, int clickCount)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    const int row = index.isValid() ? index.row() : -1;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    lastMouseDownRow = row;
    const QPointer<HistoryTableView> self(this);
    // A header is never selectable, also not by a click: a press on it leaves the selection as it is, with or
    // without modifiers, instead of reaching the view's own handling (which would clear it or select a range).
    const bool isHeader = index.isValid() && !(index.flags() & Qt::ItemIsSelectable);
    if ((onMouseDownSelection && onMouseDownSelection(row, modifiers)) || isHeader) {
        if (!self)
            return;
        // The selection is set, or stays: the view neither changes it nor starts a drag selection.
        m_pressHandledByOwner = true;
        takeFocus();
        event->accept();
    } else {
        if (!self)
            return;
        m_pressHandledByOwner = false;
        if (clickCount == 2) {
            m_inOwnDoubleClickHandling = true;
            QListView::mouseDoubleClickEvent(event);
            m_inOwnDoubleClickHandling = false;
        } else {
            QListView::mousePressEvent(event);
        }
    }
    if (self && onItemClick)
        onItemClick(row, modifiers, clickCount);
}

void HistoryTableView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressHandledByOwner && (event->buttons() & Qt::LeftButton)) {
        event->accept();
        return;
    }
    QListView::mouseMoveEvent(event);
}

void HistoryTableView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    if (m_pressHandledByOwner) {
        m_pressHandledByOwner = false;
        event->accept();
        return;
    }
    QListView::mouseReleaseEvent(event);
}

QRegion HistoryTableView::visualRegionForSelection(const QItemSelection &selection) const
{
    QRegion region;
    const QList<int> visible = rowsInVisibleRect();
    if (visible.isEmpty() || !model())
        return region;
    for (const QItemSelectionRange &range : selection) {
        for (int row = qMax(range.top(), visible.first()); row <= qMin(range.bottom(), visible.last()); ++row)
            region += visualRect(model()->index(row, 0));
    }
    return region;
}

void HistoryTableView::keyboardSearch(const QString &)
{
    // Typed text belongs to the search field, never to a jump within the list.
}

void HistoryTableView::reset()
{
    QListView::reset();
    m_selectedRow = -1;
    selectionDidChange();
}

void HistoryTableView::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    if (m_selectedRow >= start && m_selectedRow <= end)
        m_selectedRow = -1;
    else if (m_selectedRow > end)
        m_selectedRow -= end - start + 1;
    selectionDidChange();
    QListView::rowsAboutToBeRemoved(parent, start, end);
}

void HistoryTableView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    // The selection model moves its ranges down with the rows, without telling: the kept rows are read again.
    if (m_selectedRow >= start)
        m_selectedRow += end - start + 1;
    selectionDidChange();
    QListView::rowsInserted(parent, start, end);
}

void HistoryTableView::doItemsLayout()
{
    if (onLayout)
        onLayout();
    QListView::doItemsLayout();
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
    selectionDidChange();
    QListView::selectionChanged(selected, deselected);
    if (!selected.isEmpty() && isRowSelected(selected.last().bottom())) {
        m_selectedRow = selected.last().bottom();
    } else if (!isRowSelected(m_selectedRow)) {
        const QList<int> &rows = selectedRows();
        m_selectedRow = rows.isEmpty() ? -1 : rows.last();
    }
}
