#include "History.h"

#include "EmptyHistory.h"
#include "HistoryColors.h"
#include "HistoryDelegate.h"
#include "HistoryPreviewText.h"
#include "HistoryRowDelegate.h"
#include "HistoryTableView.h"
#include "KeyboardCodes.h"
#include "Localization.h"
#include "TextUtilities.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

QString emptyListTitle()
{
    return localized(QStringLiteral("No clipboard items"));
}

QString emptyListMessage()
{
    return localized(QStringLiteral("Copy text, images, files, links, emails, or colors to build your history."));
}

QString emptySearchResultsTitle()
{
    return localized(QStringLiteral("No results"));
}

// Each range of removed rows is reported on its own and costs the views a pass over the rows, so a removal of more
// runs than this (a search narrowing the list) reloads the list instead.
constexpr qsizetype maxRemovedRangeCount = 16;

qsizetype rangeCount(const QList<int> &rows)
{
    qsizetype count = 0;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (i == 0 || rows.at(i - 1) != rows.at(i) - 1)
            ++count;
    }
    return count;
}

} // namespace

History::History(QWidget *parent) : QWidget(parent)
{
    m_heightContext.textPreviewLineMetrics = [this](const ClipboardItem &item) { return textPreviewLineMetrics(item); };
    m_emptyListView = new EmptyHistory(emptyListTitle(), emptyListMessage(), QStringLiteral("clipboard"), this);
    m_emptySearchResultsView
        = new EmptyHistory(emptySearchResultsTitle(), std::nullopt, QStringLiteral("magnifyingglass"), this);
    setUpViews();
}

void History::relabel()
{
    m_emptyListView->setTexts(emptyListTitle(), emptyListMessage());
    m_emptySearchResultsView->setTexts(emptySearchResultsTitle(), std::nullopt);
}

History::~History()
{
    // The table's notifications during destruction are nobody's selection.
    m_isSyncingSelection = true;
    m_delegate = nullptr;
}

void History::setUpViews()
{
    m_tableModel = new HistoryTableModel([this](int row) { return isSelectableRow(row); }, this);
    m_tableModel->accessibleText = [this](int row) -> QString {
        if (const ClipboardItem *item = itemAtRow(row))
            return TextUtilities::firstLine(item->displayTitle()).toString();
        if (row >= 0 && row < m_tableRows.size())
            if (const auto *header = m_tableRows.at(row).asSectionHeader())
                return header->title;
        return QString();
    };

    m_tableView = new HistoryTableView(this);
    m_tableView->setObjectName(QStringLiteral("HistoryItemColumn"));
    m_tableView->setModel(m_tableModel);
    m_rowDelegate = new HistoryRowDelegate(*this);
    m_tableView->setItemDelegate(m_rowDelegate);
    // The strip below the table shows the list's background.
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);

    QPointer<History> self(this);
    m_tableView->onWidthChange = [self] {
        if (self)
            self->tableWidthDidChange();
    };
    m_tableView->onKeyMove = [self](int row) {
        if (self)
            self->scrollRowIntoView(row);
    };
    m_tableView->onLayout = [self] {
        if (self)
            self->prepareRowHeights();
    };
    connect(m_tableView->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { measureRowsNearScreen(); });
    m_tableView->onPrepareContextMenu = [self](QMenu &menu) {
        if (self)
            self->prepareContextMenu(menu);
    };
    m_tableView->onMouseDownSelection = [self](int row, Qt::KeyboardModifiers modifiers) {
        return self ? self->handleMouseDownSelection(row, modifiers) : false;
    };
    m_tableView->onItemClick = [self](int row, Qt::KeyboardModifiers modifiers, int clickCount) {
        if (self)
            self->handleItemClick(row, modifiers, clickCount);
    };
    m_tableView->onExtendSelectionKeyDown = [self](HistorySelectionDirection direction) {
        if (self)
            self->extendSelection(direction);
    };
    m_tableView->onKeyboardMultipleSelectionKeyDown = [self](HistoryKeyboardMultipleSelectionCommand command) {
        if (self)
            self->applyKeyboardMultipleSelectionCommand(command);
    };
    m_tableView->onKeyboardMultipleSelectionMoveKeyDown = [self](HistorySelectionDirection direction) {
        if (self)
            self->moveKeyboardSelectionFocus(direction);
    };
    m_tableView->onSearchKeyDown = [self](const HistoryKeyEvent &event) {
        if (self)
            self->forwardSearchKeyDown(event);
    };
    m_tableView->keyboardMultipleSelectionMode
        = [self] { return self && self->m_selection.isKeyboardMultipleSelectionMode(); };
    connect(m_tableView->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        std::optional<int> clicked = m_tableView->lastMouseDownRow;
        m_tableView->lastMouseDownRow.reset();
        handleTableSelectionChange(clicked);
    });

    m_emptySearchResultsView->hide();
    m_emptyListView->show();
    m_tableView->lower();
}

void History::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The table reaches to 4 pixels above the bottom; the placeholders cover everything.
    m_tableView->setGeometry(0, 0, width(), qMax(0, height() - bottomContentInset));
    m_emptyListView->setGeometry(rect());
    m_emptySearchResultsView->setGeometry(rect());
    measureRowsNearScreen();
}

void History::setFilePreviewCache(FilePreviewCache *cache)
{
    m_filePreviewCache = cache;
    m_heightContext.filePreviewCache = cache;
}

void History::update(HistoryUpdate update)
{
    HistoryItems items
        = update.modelItems.isOfModel() ? std::move(update.modelItems) : HistoryItems(std::move(update.items));
    QList<HistoryTableRow> newRows = buildTableRows(
        items, update.pinFavoritesToTop, update.sectionDate, update.calendar.value_or(HistoryCalendar::current()));
    std::optional<QList<int>> removed = removedRowIndexes(m_tableRows, newRows);
    if (removed && rangeCount(*removed) > maxRemovedRangeCount)
        removed.reset();
    const std::optional<std::pair<int, int>> inserted = removed ? std::nullopt : insertedRowRange(m_tableRows, newRows);
    const std::optional<QUuid> oldFirstItemID = firstItemID();

    const QSet<qint64> availableTagIDs = [&] {
        QSet<qint64> tagIDs;
        for (const Tag &tag : std::as_const(update.availableTags))
            tagIDs.insert(tag.id);
        return tagIDs;
    }();
    const bool sameHeightContext = m_heightContext.showCommandNumberShortcut == update.showCommandNumberShortcut
        && m_heightContext.showPreviewForLinks == update.showPreviewForLinks
        && m_heightContext.availableTagIDs == availableTagIDs;
    QList<RowHeight> heights = sameHeightContext ? carriedRowHeights(newRows, items, update.changedItemIDs)
                                                 : QList<RowHeight>(newRows.size());

    // The rows name their items by index: while the removed rows are reported, the rows left are the old ones and
    // read the old items.
    HistoryItems itemsBefore = std::exchange(m_items, std::move(items));
    m_availableTags = std::move(update.availableTags);
    m_availableTagsByID.clear();
    for (const Tag &tag : std::as_const(m_availableTags))
        m_availableTagsByID.insert(tag.id, tag);
    m_searchQuery = std::move(update.searchQuery);
    m_showCommandNumberShortcut = update.showCommandNumberShortcut;
    m_showPreviewForLinks = update.showPreviewForLinks;
    // A removal is reported range by range, and the rows read between the reports are those of that moment.
    QList<HistoryTableRow> rowsBefore = removed || inserted ? std::move(m_tableRows) : QList<HistoryTableRow>();
    // And so are their heights: a height always belongs to the row it stands beside, whichever rows are read.
    QList<RowHeight> heightsBefore = removed || inserted ? std::move(m_rowHeights) : QList<RowHeight>();
    heightsBefore.resize(rowsBefore.size());
    m_tableRows = std::move(newRows);
    m_rowHeights = std::move(heights);
    rebuildRowIndex();

    m_heightContext.showCommandNumberShortcut = m_showCommandNumberShortcut;
    m_heightContext.showPreviewForLinks = m_showPreviewForLinks;
    m_heightContext.availableTagIDs = availableTagIDs;

    // Heights and measured lines of items that are gone are of no more use. They are dropped once the caches
    // hold noticeably more than the most items the list has shown (the whole history, when a search or a filter
    // hides some for a while), which bounds them as well without a pass over them on every change.
    m_largestItemCount = qMax(m_largestItemCount, m_items.size());
    const qsizetype bound = m_largestItemCount + m_largestItemCount / 8 + 256;
    if (m_textPreviewLineMetricsCache.size() > bound) {
        QSet<QUuid> ids;
        ids.reserve(m_items.size());
        for (qsizetype index = 0; index < m_items.size(); ++index) {
            if (const ClipboardItem *item = m_items.at(index))
                ids.insert(item->id);
        }
        m_textPreviewLineMetricsCache.removeIf([&](const auto &entry) { return !ids.contains(entry.key()); });
    }
    m_linkPreviewsAskedFor.clear();

    // A new first item scrolls the list to it; anything else keeps the scroll position.
    const std::optional<QUuid> newFirstItemID = firstItemID();
    const int scrollPosition = m_tableView->verticalScrollBar()->value();

    m_isSyncingSelection = true;
    // While the view is told of the change, it may lay out the rows it has then (its selection moving with the
    // rows asks for their rectangles): those rows are read with their own items and heights, and what is measured
    // of them then is not kept.
    m_isReportingRowChange = removed || inserted;
    if (removed) {
        // Highest range first, so that the rows below keep their numbers until they are taken out.
        const QList<int> &rows = *removed;
        QList<HistoryTableRow> rowsAfterRemoval = std::exchange(m_tableRows, std::move(rowsBefore));
        QList<RowHeight> heightsAfterRemoval = std::exchange(m_rowHeights, std::move(heightsBefore));
        HistoryItems itemsAfterRemoval = std::exchange(m_items, std::move(itemsBefore));
        for (qsizetype end = rows.size() - 1; end >= 0;) {
            qsizetype start = end;
            while (start > 0 && rows.at(start - 1) == rows.at(start) - 1)
                --start;
            const int first = rows.at(start);
            const int last = rows.at(end);
            m_tableModel->removeRowRange(first, last, [&] {
                m_tableRows.remove(first, last - first + 1);
                m_rowHeights.remove(first, last - first + 1);
            });
            end = start - 1;
        }
        // The rows left are the new ones by identity; their items, numbers and heights are the new ones from here
        // on.
        m_tableRows = std::move(rowsAfterRemoval);
        m_rowHeights = std::move(heightsAfterRemoval);
        m_items = std::move(itemsAfterRemoval);
        // The first nine item rows carry the quick-paste numbers, which follow the item index.
        const QList<int> numbered = firstItemRowIndexes(quickPasteRowCount);
        if (!numbered.isEmpty())
            m_tableModel->rowsChanged(numbered.first(), numbered.last());
    } else if (inserted) {
        // The rows read are the old ones until the report puts the new ones in. The rows below keep their selection,
        // moved down with them.
        QList<HistoryTableRow> rowsAfterInsertion = std::exchange(m_tableRows, std::move(rowsBefore));
        QList<RowHeight> heightsAfterInsertion = std::exchange(m_rowHeights, std::move(heightsBefore));
        HistoryItems itemsAfterInsertion = std::exchange(m_items, std::move(itemsBefore));
        m_tableModel->insertRowRange(inserted->first, inserted->second, [&] {
            m_tableRows = std::move(rowsAfterInsertion);
            m_rowHeights = std::move(heightsAfterInsertion);
            m_items = std::move(itemsAfterInsertion);
        });
        const QList<int> numbered = firstItemRowIndexes(quickPasteRowCount + 1);
        if (!numbered.isEmpty())
            m_tableModel->rowsChanged(numbered.first(), numbered.last());
    } else {
        const QList<int> selected = m_tableView->selectedRows();
        m_tableModel->reset(int(m_tableRows.size()));
        // A reload keeps the selected rows, as far as they still exist, until the wanted selection is applied.
        QList<int> kept;
        for (int row : selected) {
            if (isSelectableRow(row))
                kept.append(row);
        }
        m_tableView->selectRows(kept);
    }
    m_isReportingRowChange = false;
    m_layoutScrollPosition = newFirstItemID == oldFirstItemID ? scrollPosition : 0;
    m_tableView->layOutRowsNow();
    m_layoutScrollPosition.reset();
    if (newFirstItemID == oldFirstItemID)
        m_tableView->verticalScrollBar()->setValue(scrollPosition);
    m_isSyncingSelection = false;

    updatePlaceholders();
    selectItems(update.selectedItemID, update.selectedItemIDs, update.fallbackSelection);
    // A new first item scrolls the list to the top, unless the selection is another item (the list a search
    // narrowed widens again around the item found): then to that one.
    if (newFirstItemID != oldFirstItemID && m_firstItemRow >= 0) {
        const std::optional<int> lead = m_selection.leadRow();
        scheduleScrollRowIntoView(lead && isSelectableRow(*lead) ? *lead : m_firstItemRow);
    }
}

void History::updatePlaceholders()
{
    const bool searchIsBlank = TextUtilities::isBlank(m_searchQuery);
    m_emptyListView->setVisible(m_items.isEmpty() && searchIsBlank);
    m_emptySearchResultsView->setVisible(m_items.isEmpty() && !searchIsBlank);
}

void History::rebuildRowIndex()
{
    m_selection.rowsDidChange();
    m_rowTopsAreCurrent = false;
    // The index by id is built again once the rows are asked for by id more than a few times.
    m_rowOfItemIsCurrent = false;
    m_rowLookupsSinceChange = 0;
    m_firstItemRow = -1;
    m_lastItemRow = -1;
    for (int row = 0; row < m_tableRows.size(); ++row) {
        if (m_tableRows.at(row).isItem()) {
            m_firstItemRow = row;
            break;
        }
    }
    for (int row = int(m_tableRows.size()) - 1; row >= 0; --row) {
        if (m_tableRows.at(row).isItem()) {
            m_lastItemRow = row;
            break;
        }
    }
}

const QHash<QUuid, int> *History::rowIndex() const
{
    // An update asks for a few rows by id (the selection's, an item not where it was); each is a pass over the rows,
    // which costs less than indexing them all. More lookups (a large selection, a list the search narrowed) index
    // them.
    if (!m_rowOfItemIsCurrent && ++m_rowLookupsSinceChange > 8) {
        m_rowOfItem.clear();
        m_rowOfItem.reserve(m_tableRows.size());
        for (int row = 0; row < m_tableRows.size(); ++row) {
            if (const HistoryTableRow::Item *itemRow = m_tableRows.at(row).asItem())
                m_rowOfItem.insert(itemRow->id, row);
        }
        m_rowOfItemIsCurrent = true;
    }
    return m_rowOfItemIsCurrent ? &m_rowOfItem : nullptr;
}

std::optional<QList<int>> History::removedRowIndexes(
    const QList<HistoryTableRow> &oldRows, const QList<HistoryTableRow> &newRows)
{
    if (newRows.size() >= oldRows.size())
        return std::nullopt;
    QList<int> removed;
    qsizetype j = 0;
    for (qsizetype i = 0; i < oldRows.size(); ++i) {
        if (j < newRows.size() && oldRows.at(i).hasSameIdentity(newRows.at(j)))
            ++j;
        else
            removed.append(int(i));
    }
    if (j == newRows.size() && oldRows.size() - removed.size() == newRows.size() && !removed.isEmpty())
        return removed;
    return std::nullopt;
}

std::optional<std::pair<int, int>> History::insertedRowRange(
    const QList<HistoryTableRow> &oldRows, const QList<HistoryTableRow> &newRows)
{
    const qsizetype added = newRows.size() - oldRows.size();
    if (added <= 0)
        return std::nullopt;
    qsizetype first = 0;
    while (first < oldRows.size() && oldRows.at(first).hasSameIdentity(newRows.at(first)))
        ++first;
    for (qsizetype row = first; row < oldRows.size(); ++row) {
        if (!oldRows.at(row).hasSameIdentity(newRows.at(row + added)))
            return std::nullopt;
    }
    return std::pair<int, int>(int(first), int(first + added - 1));
}

QList<int> History::firstItemRowIndexes(int n) const
{
    QList<int> rows;
    if (n < 1)
        return rows;
    for (int row = 0; row < m_tableRows.size() && rows.size() < n; ++row) {
        if (m_tableRows.at(row).isItem())
            rows.append(row);
    }
    return rows;
}

std::optional<HistoryTextPreviewLineMetrics> History::textPreviewLineMetrics(const ClipboardItem &item)
{
    if (item.kind != ClipboardKind::text && item.kind != ClipboardKind::richText)
        return std::nullopt;
    const QString contentKey = item.contentKey();
    const auto cached = m_textPreviewLineMetricsCache.constFind(item.id);
    if (cached != m_textPreviewLineMetricsCache.constEnd() && cached->contentKey == contentKey)
        return cached->metrics;
    HistoryTextPreviewLineMetrics metrics
        = m_rowHeightMeasure.metrics().measureLines(historyPreviewText(item.primaryText(), historyPreviewTextLimit));
    m_textPreviewLineMetricsCache.insert(item.id, MeasuredLines {contentKey, metrics});
    return metrics;
}

qreal History::rowHeight(int row)
{
    if (row < 0 || row >= m_tableRows.size())
        return HistoryRowHeights::defaultRowHeight;
    const HistoryTableRow::Item *itemRow = m_tableRows.at(row).asItem();
    if (!itemRow) // headers after the first keep 8 more above them to set the sections apart
        return row == 0 ? HistoryRowHeights::firstHeaderHeight : HistoryRowHeights::defaultRowHeight;
    const ClipboardItem *item = m_items.at(itemRow->itemIndex, itemRow->id);
    if (!item)
        return HistoryRowHeights::defaultRowHeight;
    if (row >= m_rowHeights.size()) // not laid out yet
        return m_rowHeightMeasure.heightAt(
            m_rowHeightMeasure.inputs(*item, itemRow->itemIndex, m_heightContext), m_tableView->tableWidth());
    measureRow(row);
    return m_rowHeights.at(row).atTableWidth;
}

qreal History::layoutRowHeight(int row)
{
    if (row >= 0 && row < m_rowHeights.size() && m_rowHeights.at(row).atTableWidth >= 0)
        return m_rowHeights.at(row).atTableWidth;
    return rowHeight(row);
}

bool History::measureRow(int row)
{
    // Each row remembers its height until its item or the width changes, and what the height depends on at any
    // width until its item changes: only a row never measured reads its item.
    RowHeight &height = m_rowHeights[row];
    if (height.atTableWidth >= 0 && !height.isGuess)
        return false;
    const HistoryTableRow::Item *itemRow = m_tableRows.at(row).asItem();
    const ClipboardItem *item = itemRow ? m_items.at(itemRow->itemIndex, itemRow->id) : nullptr;
    if (!item)
        return false;
    const qreal before = height.atTableWidth;
    if (!height.inputs.isMeasured() || height.isGuess)
        height.inputs = m_rowHeightMeasure.inputs(*item, itemRow->itemIndex, m_heightContext);
    height.isGuess = false;
    height.atTableWidth = float(m_rowHeightMeasure.heightAt(height.inputs, m_tableView->tableWidth()));
    return std::ceil(before) != std::ceil(height.atTableWidth);
}

void History::prepareRowHeights()
{
    const qsizetype count = m_tableRows.size();
    // While a change is reported the layout after it prepares.
    if (m_isReportingRowChange || m_rowHeights.size() != count)
        return;
    // A row is measured when it lies within a screenful of the part of the list that will be visible, when it is as
    // cheap to measure as to guess, or when the list is short. The others are guessed, at the positions the guesses
    // give, and measured when they come near the visible part.
    const int visibleTop = m_layoutScrollPosition.value_or(m_tableView->verticalScrollBar()->value());
    const int screen = qMax(m_tableView->viewport()->height(), 1);
    const qreal nearTop = visibleTop - screen;
    const qreal nearBottom = visibleTop + 2.0 * screen;
    const bool measuresAll = count <= wholeMeasuredRowCount;
    const qreal width = m_tableView->tableWidth();
    m_rowTops.resize(count + 1);
    m_hasGuessedRows = false;
    const bool itemsAreCurrent = m_items.areCurrent();
    int y = 0;
    for (qsizetype row = 0; row < count; ++row) {
        m_rowTops[row] = y;
        RowHeight &height = m_rowHeights[row];
        const HistoryTableRow::Item *itemRow = m_tableRows.at(row).asItem();
        const ClipboardItem *item = !itemRow ? nullptr
            : itemsAreCurrent                ? m_items.currentAt(itemRow->itemIndex)
                                             : m_items.at(itemRow->itemIndex, itemRow->id);
        if (!item) {
            y += int(std::ceil(rowHeight(int(row))));
            continue;
        }
        const auto isNear = [&] { return y < nearBottom && y + std::ceil(height.atTableWidth) > nearTop; };
        if (height.isGuess) {
            if (height.atTableWidth < 0)
                height.atTableWidth = float(m_rowHeightMeasure.heightAt(height.inputs, width));
            if (isNear())
                measureRow(int(row));
        } else if (height.atTableWidth < 0) {
            if (height.inputs.isMeasured() || measuresAll || !HistoryRowHeights::isCostlyToMeasure(*item)
                || knowsTextPreviewLineMetrics(*item)) {
                measureRow(int(row));
            } else {
                height.inputs = m_rowHeightMeasure.guessedInputs(*item, itemRow->itemIndex, m_heightContext);
                height.isGuess = true;
                height.atTableWidth = float(m_rowHeightMeasure.heightAt(height.inputs, width));
                if (isNear())
                    measureRow(int(row));
            }
        }
        m_hasGuessedRows = m_hasGuessedRows || height.isGuess;
        y += int(std::ceil(height.atTableWidth));
    }
    m_rowTops[count] = y;
    m_rowTopsAreCurrent = true;
}

void History::measureRows(int first, int last)
{
    if (m_isReportingRowChange || !m_hasGuessedRows || !m_rowTopsAreCurrent
        || m_rowHeights.size() != m_tableRows.size())
        return;
    first = qMax(first, 0);
    last = qMin(last, int(m_tableRows.size()) - 1);
    bool changed = false;
    for (int row = first; row <= last; ++row) {
        if (m_rowHeights.at(row).isGuess)
            changed = measureRow(row) || changed;
    }
    if (!changed)
        return;
    // The first visible row stays where it is on the screen while the rows above it change their heights.
    QScrollBar &scrollBar = *m_tableView->verticalScrollBar();
    const int top = scrollBar.value();
    const int anchor = rowAtListY(top);
    const int offset = top - m_rowTops.at(anchor);
    m_tableView->relayOutRows();
    m_tableView->layOutRowsNow();
    if (anchor < int(m_rowTops.size()))
        scrollBar.setValue(m_rowTops.at(anchor) + offset);
}

int History::rowAtListY(int y) const
{
    if (m_rowTops.size() < 2)
        return 0;
    const auto found = std::upper_bound(m_rowTops.begin(), m_rowTops.end() - 1, y);
    return int(qMax<qsizetype>(found - m_rowTops.begin() - 1, 0));
}

void History::measureRowsNearScreen()
{
    if (!m_hasGuessedRows || !m_rowTopsAreCurrent)
        return;
    const int top = m_tableView->verticalScrollBar()->value();
    const int screen = qMax(m_tableView->viewport()->height(), 1);
    measureRows(rowAtListY(top - screen), rowAtListY(top + 2 * screen));
}

bool History::knowsTextPreviewLineMetrics(const ClipboardItem &item) const
{
    if (item.kind != ClipboardKind::text && item.kind != ClipboardKind::richText)
        return false;
    const auto cached = m_textPreviewLineMetricsCache.constFind(item.id);
    return cached != m_textPreviewLineMetricsCache.constEnd() && cached->contentKey == item.contentKey();
}

namespace {

bool sameText(const QString &a, const QString &b)
{
    return a.constData() == b.constData() ? a.size() == b.size() : a == b;
}

bool sameText(const std::optional<QString> &a, const std::optional<QString> &b)
{
    return a.has_value() == b.has_value() && (!a || sameText(*a, *b));
}

// Whether a row of the item is as high as a row of the other: the same item with the same content. Items handed
// over again without a change share their texts, so this compares pointers, not texts, as a rule.
bool sameRowContent(const ClipboardItem &a, const ClipboardItem &b)
{
    return a.id == b.id && a.kind == b.kind && a.isFavorite == b.isFavorite && a.tags == b.tags
        && sameText(a.title, b.title) && sameText(a.text, b.text) && sameText(a.html, b.html)
        && sameText(a.searchText, b.searchText) && sameText(a.assetPath, b.assetPath)
        && (a.filePaths.constData() == b.filePaths.constData() ? a.filePaths.size() == b.filePaths.size()
                                                               : a.filePaths == b.filePaths)
        && a.linkPreviewDetails == b.linkPreviewDetails && a.rtfData.has_value() == b.rtfData.has_value()
        && (!a.rtfData || a.rtfData->constData() == b.rtfData->constData() || *a.rtfData == *b.rtfData)
        && sameText(a.sourceAppName, b.sourceAppName) && sameText(a.sourceBundleIdentifier, b.sourceBundleIdentifier);
}

} // namespace

QList<History::RowHeight> History::carriedRowHeights(
    const QList<HistoryTableRow> &newRows, const HistoryItems &newItems, const QSet<QUuid> &changedIDs) const
{
    // A row keeps the height its item had when the item and its quick-paste number did not change. Items of the
    // model are the same ones before and after: the model says which changed. Copies are compared.
    const bool fromModel = newItems.isOfModel() && m_items.isOfModel();
    QList<RowHeight> heights(newRows.size());
    // An update changes few items as a rule, which are compared rather than looked up for every row.
    const QList<QUuid> fewChangedIDs = changedIDs.size() <= 8 ? changedIDs.values() : QList<QUuid>();
    const auto isChanged = [&](const QUuid &id) {
        return fewChangedIDs.isEmpty() ? changedIDs.contains(id) : fewChangedIDs.contains(id);
    };
    // Most rows keep their order across an update: the item after the last one found is looked for in the old
    // row after that one's first, and by id only when it is not there.
    qsizetype nextOldRow = 0;
    const auto oldRowOf = [&](const QUuid &id) -> std::optional<qsizetype> {
        for (qsizetype row = nextOldRow; row < m_tableRows.size() && row <= nextOldRow + 1; ++row) {
            const HistoryTableRow::Item *old = m_tableRows.at(row).asItem();
            if (old && old->id == id)
                return row;
        }
        const std::optional<int> found = rowIndexOfItem(id);
        return found ? std::optional<qsizetype>(*found) : std::nullopt;
    };
    for (qsizetype row = 0; row < newRows.size(); ++row) {
        const HistoryTableRow::Item *itemRow = newRows.at(row).asItem();
        if (!itemRow)
            continue;
        const std::optional<qsizetype> oldRow = oldRowOf(itemRow->id);
        if (!oldRow)
            continue;
        nextOldRow = *oldRow + 1;
        if (*oldRow >= m_rowHeights.size() || !m_rowHeights.at(*oldRow).inputs.isMeasured())
            continue;
        const HistoryTableRow::Item *old = m_tableRows.at(*oldRow).asItem();
        const bool numbered = itemRow->itemIndex < quickPasteRowCount;
        const bool wasNumbered = old->itemIndex < quickPasteRowCount;
        if ((numbered || wasNumbered) && (itemRow->itemIndex != old->itemIndex))
            continue;
        if (fromModel) {
            if (!isChanged(itemRow->id))
                heights[row] = m_rowHeights.at(*oldRow);
            continue;
        }
        const ClipboardItem *before = m_items.at(old->itemIndex, old->id);
        const ClipboardItem *after = newItems.at(itemRow->itemIndex, itemRow->id);
        if (before && after && sameRowContent(*before, *after))
            heights[row] = m_rowHeights.at(*oldRow);
    }
    return heights;
}

bool History::isSelectableRow(int row) const
{
    return row >= 0 && row < m_tableRows.size() && m_tableRows.at(row).isItem();
}

std::optional<QUuid> History::firstItemID() const
{
    // From the row: the model may have let go of the item itself already.
    if (m_firstItemRow < 0)
        return std::nullopt;
    return m_tableRows.at(m_firstItemRow).asItem()->id;
}

const ClipboardItem *History::itemAtRow(int row) const
{
    if (row < 0 || row >= m_tableRows.size())
        return nullptr;
    const HistoryTableRow::Item *itemRow = m_tableRows.at(row).asItem();
    return itemRow ? m_items.at(itemRow->itemIndex, itemRow->id) : nullptr;
}

HistoryItemRowConfiguration History::itemRowConfiguration(int row) const
{
    HistoryItemRowConfiguration configuration;
    if (row < 0 || row >= m_tableRows.size())
        return configuration;
    const HistoryTableRow::Item *itemRow = m_tableRows.at(row).asItem();
    if (!itemRow)
        return configuration;
    if (m_showCommandNumberShortcut && itemRow->itemIndex < quickPasteRowCount)
        configuration.quickPasteIndex = itemRow->itemIndex + 1;
    if (const ClipboardItem *item = m_items.at(itemRow->itemIndex, itemRow->id)) {
        for (const qint64 tagID : item->tags) {
            const auto tag = m_availableTagsByID.constFind(tagID);
            if (tag != m_availableTagsByID.constEnd())
                configuration.tags.append(*tag);
        }
    }
    configuration.tableWidth = m_tableView->tableWidth();
    configuration.searchQuery = m_searchQuery;
    configuration.showsLinkPreview = m_showPreviewForLinks;
    configuration.filePreviewCache = m_filePreviewCache;
    const HistoryRowSelectionLook look = m_selection.rowSelectionLook(row);
    configuration.isSelected = look.isSelected;
    configuration.selectionOrderNumber = look.selectionOrderNumber;
    configuration.showsSelectionOrderPlaceholder = look.showsSelectionOrderPlaceholder;
    return configuration;
}

void History::forwardSearchKeyDown(const HistoryKeyEvent &event)
{
    if (!m_delegate)
        return;
    // The search field takes it as the key press it was: its text, with the modifiers held.
    Qt::KeyboardModifiers modifiers;
    if (event.flags & KeyEventFlag::command)
        modifiers |= Qt::ControlModifier;
    if (event.flags & KeyEventFlag::shift)
        modifiers |= Qt::ShiftModifier;
    if (event.flags & KeyEventFlag::option)
        modifiers |= Qt::AltModifier;
    if (event.flags & KeyEventFlag::control)
        modifiers |= Qt::MetaModifier;
    const QString &text = event.characters;
    const int key = text.size() == 1 ? int(text.at(0).toUpper().unicode()) : int(Qt::Key_unknown);
    const QKeyEvent keyEvent(QEvent::KeyPress, key, modifiers, text);
    m_delegate->historyForwardSearchKeyDown(keyEvent);
}

void History::askForLinkPreviewIfNeeded(int row)
{
    const ClipboardItem *item = itemAtRow(row);
    if (!item || !m_showPreviewForLinks || item->kind != ClipboardKind::link || item->linkPreviewDetails || !m_delegate)
        return;
    // Asked once each time the list is reloaded, not on every repaint.
    if (m_linkPreviewsAskedFor.contains(item->id))
        return;
    m_linkPreviewsAskedFor.insert(item->id);
    m_delegate->historyNeedsLinkPreview(*item);
}

void History::tableWidthDidChange()
{
    // What the heights depend on stays; only the arithmetic is done again.
    for (RowHeight &height : m_rowHeights)
        height.atTableWidth = -1;
    QList<int> multiFileRows;
    for (int row : m_tableView->rowsInVisibleRect()) {
        const ClipboardItem *item = itemAtRow(row);
        if (item && item->kind == ClipboardKind::file && item->filePaths.size() >= 2)
            multiFileRows.append(row);
    }
    for (int row : std::as_const(multiFileRows))
        m_tableModel->rowsChanged(row, row);
}

void History::reloadVisibleFileRows()
{
    QList<int> rows;
    for (int row : m_tableView->rowsInVisibleRect()) {
        const ClipboardItem *item = itemAtRow(row);
        if (item && item->kind == ClipboardKind::file)
            rows.append(row);
    }
    if (rows.isEmpty())
        return;
    for (int row : std::as_const(rows)) {
        m_rowHeights[row] = RowHeight();
        m_tableModel->rowsChanged(row, row);
    }
    m_tableView->relayOutRows();
}

QList<int> History::rowIndexesOfItems(const QSet<QUuid> &ids) const
{
    QList<int> rows;
    if (ids.isEmpty())
        return rows;
    rows.reserve(ids.size());
    if (const QHash<QUuid, int> *index = rowIndex()) {
        for (const QUuid &id : ids) {
            const auto found = index->constFind(id);
            if (found != index->constEnd())
                rows.append(*found);
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    // One id, as a rule (the selection of an update): compared, not looked up in the set.
    const QUuid *only = ids.size() == 1 ? &*ids.cbegin() : nullptr;
    for (int row = 0; row < m_tableRows.size(); ++row) {
        const HistoryTableRow::Item *itemRow = m_tableRows.at(row).asItem();
        if (itemRow && (only ? itemRow->id == *only : ids.contains(itemRow->id)))
            rows.append(row);
    }
    return rows;
}

std::optional<int> History::rowIndexOfItem(const QUuid &id) const
{
    if (const QHash<QUuid, int> *index = rowIndex()) {
        const auto found = index->constFind(id);
        return found == index->constEnd() ? std::nullopt : std::optional<int>(*found);
    }
    // The last row of the id, as the index has it.
    for (int row = int(m_tableRows.size()) - 1; row >= 0; --row) {
        if (const HistoryTableRow::Item *itemRow = m_tableRows.at(row).asItem(); itemRow && itemRow->id == id)
            return row;
    }
    return std::nullopt;
}

int History::firstItemRow() const
{
    return m_firstItemRow;
}

int History::lastItemRow() const
{
    return m_lastItemRow;
}

void History::prepareContextMenu(QMenu &menu)
{
    menu.clear();
    int row = m_tableView->contextualMenuRow.value_or(-1);
    if (row < 0)
        row = m_tableView->selectedRow();
    if (!isSelectableRow(row))
        return;
    if (!m_tableView->isRowSelected(row)) {
        // The table reports this one as the user's selection.
        m_tableView->selectRows({row});
    }
    if (!m_delegate)
        return;
    const QList<ClipboardItem> items = selectedItemsInRowOrder();
    std::optional<ClipboardItem> clicked;
    const ClipboardItem *rowItem = itemAtRow(row);
    if (!rowItem)
        return;
    const QUuid rowID = rowItem->id;
    for (const ClipboardItem &item : items) {
        if (item.id == rowID) {
            clicked = item;
            break;
        }
    }
    if (!clicked && !items.isEmpty())
        clicked = items.first();
    m_delegate->historyContextMenu(menu, items, clicked);
}

void History::scrollRowIntoView(int row)
{
    if (row < 0 || row >= m_tableRows.size())
        return;
    // A row far down a long list may have been guessed, and the rows around it with it.
    constexpr int nearbyRowCount = 30;
    measureRows(row - nearbyRowCount, row + nearbyRowCount);
    if (row == m_firstItemRow) {
        for (int header = 0; header < m_tableRows.size(); ++header) {
            if (m_tableRows.at(header).isSectionHeader()) {
                revealRow(header, true);
                return;
            }
        }
    }
    if (row == m_lastItemRow) {
        revealRow(row, false);
        return;
    }
    m_tableView->scrollTo(m_tableModel->index(row), QAbstractItemView::EnsureVisible);
}

void History::revealRow(int row, bool preferTop)
{
    m_tableView->layOutRowsNow();
    const QRect rect = m_tableView->rectOfRow(row);
    if (rect.isEmpty()) {
        if (row >= 0 && row < m_tableModel->rowCount())
            m_tableView->scrollTo(m_tableModel->index(row), QAbstractItemView::EnsureVisible);
        return;
    }
    // The viewport stops above the bottom inset already, so the band is the whole viewport.
    QScrollBar &scrollBar = *m_tableView->verticalScrollBar();
    const int visibleHeight = qMax(m_tableView->viewport()->height(), 0);
    const int bandTop = scrollBar.value();
    const int bandBottom = bandTop + visibleHeight;
    const int lowest = 0;
    const int highest = qMax(scrollBar.maximum(), lowest);
    const int rowTop = rect.top();
    const int rowBottom = rect.top() + rect.height();
    if (preferTop) {
        if (rowTop < bandTop || rowBottom > bandBottom)
            scrollBar.setValue(qMin(highest, qMax(rowTop, lowest)));
    } else if (rowBottom > bandBottom) {
        scrollBar.setValue(qMin(highest, qMax(rowBottom - visibleHeight, lowest)));
    } else if (rowTop < bandTop) {
        scrollBar.setValue(qMin(highest, qMax(rowTop, lowest)));
    }
}

void History::scrollToTopIfFirstItemSelected()
{
    int row = -1;
    if (m_selection.isKeyboardMultipleSelectionMode()) {
        if (const std::optional<int> lead = m_selection.leadRow(); lead && isSelectableRow(*lead))
            row = *lead;
        else if (isSelectableRow(m_tableView->selectedRow()))
            row = m_tableView->selectedRow();
        else
            row = m_firstItemRow >= 0 ? m_firstItemRow : 0;
    } else {
        row = m_tableView->selectedRow();
        if (row < 0)
            return;
    }
    if (row == m_firstItemRow)
        scrollRowIntoView(row);
}

void History::scheduleScrollRowIntoView(int row)
{
    // Two turns later: the first lets the list finish its own layout, the second scrolls.
    QPointer<History> self(this);
    QTimer::singleShot(0, this, [self, row] {
        QTimer::singleShot(0, self, [self, row] {
            if (self && row < self->m_tableRows.size())
                self->scrollRowIntoView(row);
        });
    });
}
