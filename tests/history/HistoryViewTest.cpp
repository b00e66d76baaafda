#include "AppModel.h"
#include "EmptyHistory.h"
#include "History.h"
#include "HistoryContentViewController.h"
#include "HistoryDelegate.h"
#include "HistoryItemRowPainter.h"
#include "HistoryRowHeights.h"
#include "HistoryTableView.h"
#include "PreviewImage.h"

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QTimeZone zone(3600);
const QDate today(2025, 3, 14);

ClipboardItem textItem(int n, const QString &text, const QDateTime &copiedAt)
{
    ClipboardItem item;
    item.id = QUuid::createUuidV5(QUuid(), QString::number(n));
    item.kind = ClipboardKind::text;
    item.text = text;
    item.copiedAt = copiedAt;
    item.firstCopiedAt = copiedAt;
    return item.refreshingSearchText({});
}

QDateTime at(int daysAgo, int hour)
{
    return QDateTime(today.addDays(-daysAgo), QTime(hour, 0), zone).toUTC();
}

// The list's rows as text: "# title" for a header, the item's text for an item row.
QStringList describe(const History &list)
{
    QStringList lines;
    for (int row = 0; row < list.tableRows().size(); ++row) {
        if (const auto *header = list.tableRows().at(row).asSectionHeader())
            lines.append(QStringLiteral("# ") + header->title);
        else
            lines.append(list.itemAtRow(row)->text.value_or(QString()));
    }
    return lines;
}

QList<HistoryTableRow> rows(const QStringList &description)
{
    QList<HistoryTableRow> made;
    int index = 0;
    for (const QString &line : description) {
        if (line.startsWith(QStringLiteral("# ")))
            made.append(HistoryTableRow::sectionHeader(line.mid(2)));
        else
            made.append(HistoryTableRow::item(textItem(line.at(0).unicode(), line, at(0, 9)).id, index++));
    }
    return made;
}

struct RecordingDelegate final : HistoryDelegate
{
    void historySelectionDidChange(const QList<QUuid> &ids, const std::optional<QUuid> &primary) override
    {
        QStringList texts;
        for (const QUuid &id : ids)
            texts.append(textOf(id));
        selections.append(texts.join(u',') + QStringLiteral(" / ") + (primary ? textOf(*primary) : QString()));
    }
    // The text of the list's item of the id.
    QString textOf(const QUuid &id) const
    {
        const std::optional<int> row = list ? list->rowIndexOfItem(id) : std::nullopt;
        return row ? *list->itemAtRow(*row)->text : QString();
    }

    void historyDidClickItem(const ClipboardItem &) override { }
    void historyDidDoubleClickItem(const ClipboardItem &) override { }
    void historyContextMenu(
        QMenu &menu, const QList<ClipboardItem> &items, const std::optional<ClipboardItem> &clicked) override
    {
        QStringList texts;
        for (const ClipboardItem &item : items)
            texts.append(*item.text);
        menus.append(texts.join(u',') + QStringLiteral(" / ") + (clicked ? *clicked->text : QString()));
        menu.addAction(QStringLiteral("Paste"));
    }
    void historyNeedsLinkPreview(const ClipboardItem &item) override { linkPreviews.append(*item.text); }
    void historyPlaySound(SoundEffect) override { }
    void historyForwardSearchKeyDown(const QKeyEvent &) override { }

    QStringList selections;
    QStringList menus;
    QStringList linkPreviews;
    const History *list = nullptr;
};

// A history list fed from a real model the way its window feeds it: the model's visible items in place, the ids
// whose items changed, the model's selection, and a fallback that selects the first item in the model.
struct ListHarness
{
    ListHarness()
    {
        list.resize(420, 300);
        list.setDelegate(&delegate);
        delegate.list = &list;
        AppPreferences preferences = model.preferences();
        preferences.pinFavoritesToTop = true;
        model.setPreferences(preferences);
        QObject::connect(
            &model, &AppModel::itemsChangedByID, &list, [this](const QSet<QUuid> &ids) { changedItemIDs.unite(ids); });
    }

    void update()
    {
        HistoryUpdate update;
        update.modelItems = historyItemsOf(model);
        update.changedItemIDs = std::exchange(changedItemIDs, {});
        update.availableTags = model.tags();
        update.searchQuery = model.searchQuery();
        update.pinFavoritesToTop = model.preferences().pinFavoritesToTop;
        update.sectionDate = historySectionDate(HistorySortOption::lastCopyTime, false);
        update.selectedItemID = model.selectedItemID();
        update.selectedItemIDs = model.selectedItemIDs();
        update.fallbackSelection = [this](const ClipboardItem &item) {
            model.setSelectedItemID(item.id);
            model.setSelectedItemIDs({item.id});
            fallbacks.append(*item.text);
        };
        update.calendar = HistoryCalendar {zone, today};
        list.update(std::move(update));
    }
    QStringList selectedTexts() const
    {
        QStringList texts;
        for (int row : list.tableView().selectedRows())
            texts.append(*list.itemAtRow(row)->text);
        return texts;
    }

    AppModel model;
    History list;
    RecordingDelegate delegate;
    QStringList fallbacks;
    QSet<QUuid> changedItemIDs; // since the last update
};

} // namespace

TEST(History, RemovedRowIndexesFindPureRemovalsOnly)
{
    struct Case
    {
        QStringList oldRows;
        QStringList newRows;
        std::optional<QList<int>> removed;
    };
    const QList<Case> cases = {
        {{u"# Today"_qs, u"A"_qs, u"B"_qs}, {u"# Today"_qs, u"B"_qs}, QList<int> {1}},
        // The header goes with its last item.
        {{u"# Today"_qs, u"A"_qs, u"# Yesterday"_qs, u"B"_qs}, {u"# Today"_qs, u"A"_qs}, QList<int> {2, 3}},
        {{u"A"_qs, u"B"_qs, u"C"_qs, u"D"_qs}, {u"B"_qs, u"D"_qs}, QList<int> {0, 2}},
        // Not a removal: same rows, more rows, a replaced row, a moved header.
        {{u"A"_qs, u"B"_qs}, {u"A"_qs, u"B"_qs}, std::nullopt},
        {{u"A"_qs}, {u"A"_qs, u"B"_qs}, std::nullopt},
        {{u"A"_qs, u"B"_qs, u"C"_qs}, {u"A"_qs, u"X"_qs}, std::nullopt},
        {{u"# Today"_qs, u"A"_qs}, {u"# Yesterday"_qs, u"A"_qs}, std::nullopt},
        {{u"A"_qs, u"B"_qs, u"C"_qs}, {u"C"_qs, u"A"_qs}, std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(History::removedRowIndexes(rows(c.oldRows), rows(c.newRows)), c.removed)
            << c.oldRows.join(u' ').toStdString() << " -> " << c.newRows.join(u' ').toStdString();
}

TEST(History, InsertedRowRangeFindsOneRunOfNewRowsOnly)
{
    struct Case
    {
        QStringList oldRows;
        QStringList newRows;
        std::optional<std::pair<int, int>> inserted;
    };
    const QList<Case> cases = {
        // A capture under today's header, and one that opens today's section.
        {{u"# Today"_qs, u"A"_qs}, {u"# Today"_qs, u"N"_qs, u"A"_qs}, std::pair(1, 1)},
        {{u"# Yesterday"_qs, u"A"_qs}, {u"# Today"_qs, u"N"_qs, u"# Yesterday"_qs, u"A"_qs}, std::pair(0, 1)},
        {{u"A"_qs, u"B"_qs}, {u"A"_qs, u"B"_qs, u"C"_qs}, std::pair(2, 2)},
        // Not one insertion: the same rows, fewer rows, two runs, a moved row.
        {{u"A"_qs, u"B"_qs}, {u"A"_qs, u"B"_qs}, std::nullopt},
        {{u"A"_qs, u"B"_qs}, {u"A"_qs}, std::nullopt},
        {{u"A"_qs, u"B"_qs}, {u"X"_qs, u"A"_qs, u"Y"_qs, u"B"_qs}, std::nullopt},
        {{u"A"_qs, u"B"_qs}, {u"N"_qs, u"B"_qs, u"A"_qs}, std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(History::insertedRowRange(rows(c.oldRows), rows(c.newRows)), c.inserted)
            << c.oldRows.join(u' ').toStdString() << " -> " << c.newRows.join(u' ').toStdString();
}

namespace {

// What Qt's model tester found wrong with the model it watches, while it lives.
struct ModelChecks
{
    explicit ModelChecks(QAbstractItemModel *model)
    {
        failures().clear();
        previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &context, const QString &message) {
            if (context.category && QByteArray(context.category).startsWith("qt.modeltest"))
                failures().append(message + u" (line "_qs + QString::number(context.line) + u")"_qs);
        });
        tester = std::make_unique<QAbstractItemModelTester>(
            model, QAbstractItemModelTester::FailureReportingMode::Warning);
    }
    ~ModelChecks()
    {
        tester.reset();
        qInstallMessageHandler(previous);
    }
    static QStringList &failures()
    {
        static QStringList found;
        return found;
    }
    QtMessageHandler previous = nullptr;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

} // namespace

TEST(History, FollowsTheModelThroughCapturesDeletesTrimsAndFavourites)
{
    ListHarness h;
    // Every change below also keeps the rows' model sound in Qt's terms.
    const ModelChecks checks(h.list.tableView().model());
    h.model.setItems({textItem(1, u"one"_qs, at(0, 9)), textItem(2, u"two"_qs, at(1, 9)),
        textItem(3, u"three"_qs, at(1, 8)), textItem(4, u"four"_qs, at(3, 8))});
    h.update();
    EXPECT_EQ(describe(h.list),
        QStringList({u"# Today"_qs, u"one"_qs, u"# Yesterday"_qs, u"two"_qs, u"three"_qs, u"# Mar 11"_qs, u"four"_qs}));
    // Nothing was selected: the first item became the model's selection, and the next update shows it.
    EXPECT_EQ(h.fallbacks, QStringList({u"one"_qs}));
    h.update();
    EXPECT_EQ(h.selectedTexts(), QStringList({u"one"_qs}));
    EXPECT_TRUE(h.delegate.selections.isEmpty()); // the model's own selection is not reported back

    QSignalSpy removals(h.list.tableView().model(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy insertions(h.list.tableView().model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy reloads(h.list.tableView().model(), &QAbstractItemModel::modelReset);
    QSignalSpy changes(h.list.tableView().model(), &QAbstractItemModel::dataChanged);

    // A capture: a new first item, put in as one row; the rows that now carry other quick-paste numbers are
    // refreshed.
    h.model.upsertItem(textItem(5, u"five"_qs, at(0, 10)));
    h.update();
    EXPECT_EQ(describe(h.list).mid(0, 3), QStringList({u"# Today"_qs, u"five"_qs, u"one"_qs}));
    EXPECT_EQ(h.selectedTexts(), QStringList({u"five"_qs}));
    EXPECT_EQ(reloads.size(), 0);
    ASSERT_EQ(insertions.size(), 1);
    EXPECT_EQ(insertions.at(0).at(1).toInt(), 1);
    EXPECT_EQ(insertions.at(0).at(2).toInt(), 1);
    ASSERT_FALSE(changes.isEmpty());
    EXPECT_EQ(changes.last().at(1).toModelIndex().row(), 7); // every item row: there are fewer than ten

    // Deleting the only item of yesterday's second row and then yesterday's last: rows go in place, and only the
    // numbered rows are refreshed.
    h.model.removeItems({textItem(3, {}, {}).id});
    h.update();
    h.model.removeItems({textItem(2, {}, {}).id});
    h.update();
    EXPECT_EQ(describe(h.list), QStringList({u"# Today"_qs, u"five"_qs, u"one"_qs, u"# Mar 11"_qs, u"four"_qs}));
    EXPECT_EQ(reloads.size(), 0);
    ASSERT_EQ(removals.size(), 2);
    EXPECT_EQ(removals.at(1).at(1).toInt(), 3); // the "Yesterday" header and "two", as one range
    EXPECT_EQ(removals.at(1).at(2).toInt(), 4);
    ASSERT_FALSE(changes.isEmpty());
    EXPECT_EQ(changes.last().at(0).toModelIndex().row(), 1);
    EXPECT_EQ(changes.last().at(1).toModelIndex().row(), 4);

    // A trim takes rows out from the end.
    h.model.trimItems(2);
    h.update();
    EXPECT_EQ(describe(h.list), QStringList({u"# Today"_qs, u"five"_qs, u"one"_qs}));
    EXPECT_EQ(removals.size(), 3);

    // A favourite moves to the top under its own header: a reload.
    ClipboardItem favourite = *h.model.item(textItem(1, {}, {}).id);
    favourite.isFavorite = true;
    h.model.updateItem(favourite);
    h.update();
    EXPECT_EQ(describe(h.list), QStringList({u"# Favorites"_qs, u"one"_qs, u"# Today"_qs, u"five"_qs}));
    EXPECT_EQ(reloads.size(), 1);
    EXPECT_EQ(h.selectedTexts(), QStringList({u"five"_qs}));

    // A link preview arrives for an item.
    ClipboardItem previewed = *h.model.item(textItem(5, {}, {}).id);
    previewed.linkPreviewDetails = LinkPreviewDetails {.url = u"https://example.org"_qs, .title = u"A page"_qs};
    h.model.updateItem(previewed);
    h.update();

    // A search and its end.
    h.model.setSearchQuery(u"fi"_qs);
    h.update();
    h.model.setSearchQuery(QString());
    h.update();
    EXPECT_TRUE(ModelChecks::failures().isEmpty()) << ModelChecks::failures().join(u'\n').toStdString();
}

// Rows of different heights put in above the selection and taken out below it: while the view is told, it lays out
// the rows of that moment (its selection moves with them), and afterwards each row is as tall as its own item.
TEST(History, EveryRowKeepsItsOwnHeightThroughInsertionsAndRemovals)
{
    ListHarness h;
    h.list.show();
    const QString tall = u"a text long enough to wrap onto a second line of the row and then onto a third one too"_qs;
    h.model.setItems(
        {textItem(1, u"one"_qs, at(0, 9)), textItem(2, tall, at(0, 8)), textItem(3, u"three"_qs, at(0, 7))});
    h.update();
    h.update(); // with the first item selected
    const auto faults = [&] {
        HistoryTableView &table = h.list.tableView();
        table.layOutRowsNow();
        HistoryRowHeights measure;
        QStringList found;
        int top = 0;
        for (int row = 0; row < h.list.tableRows().size(); ++row) {
            qreal height = row == 0 ? HistoryRowHeights::firstHeaderHeight : HistoryRowHeights::defaultRowHeight;
            if (const ClipboardItem *item = h.list.itemAtRow(row))
                height = measure.heightAt(
                    measure.inputs(*item, h.list.tableRows().at(row).asItem()->itemIndex, {}), table.tableWidth());
            const QRect rect = table.rectOfRow(row);
            if (rect.top() != top || rect.height() != int(std::ceil(height)))
                found.append(describe(h.list).at(row));
            top = rect.bottom() + 1;
        }
        return found.join(u'|').toStdString();
    };
    ASSERT_EQ(faults(), "");
    for (int n = 4; n < 8; ++n) {
        h.model.upsertItem(textItem(n, n % 2 ? tall : QStringLiteral("short %1").arg(n), at(0, 9 + n)));
        h.update();
        EXPECT_EQ(faults(), "") << n;
    }
    h.model.removeItems({textItem(2, {}, {}).id, textItem(5, {}, {}).id});
    h.update();
    EXPECT_EQ(faults(), "");
}

// Each capture selects the new item, which is put in above the one selected before: the view's own selection
// follows, so that Down goes on to the item below it (it found that row selected already and reported nothing).
TEST(History, TheArrowKeysGoOnFromACapturedItem)
{
    ListHarness h;
    HistoryTableView &view = h.list.tableView();
    const auto selectedRows = [&] {
        QList<int> rows;
        for (const QModelIndex &index : view.selectionModel()->selectedRows())
            rows.append(index.row());
        return rows;
    };
    h.model.setItems({textItem(1, u"one"_qs, at(0, 9))});
    h.update();
    h.update();
    view.setFocus();
    for (int n = 2; n <= 3; ++n) {
        h.model.upsertItem(textItem(n, QStringLiteral("copy %1").arg(n), at(0, 9 + n)));
        h.update();
        EXPECT_EQ(h.selectedTexts(), QStringList({QStringLiteral("copy %1").arg(n)})) << n;
        EXPECT_EQ(selectedRows(), QList<int>({1})) << n;
        h.delegate.selections.clear();
        QTest::keyClick(&view, Qt::Key_Down);
        const QString below = n == 2 ? u"one"_qs : u"copy 2"_qs;
        EXPECT_EQ(h.selectedTexts(), QStringList({below})) << n;
        EXPECT_EQ(h.delegate.selections, QStringList({below + u" / "_qs + below})) << n;
    }
}

// The list reads the model's own items: a row is measured again when the model says its item changed, and rows of
// items the model let go of before the list was told show nothing rather than read freed memory.
TEST(History, FollowsTheModelsItemsWithoutCopies)
{
    ListHarness h;
    h.model.setItems({textItem(1, u"one"_qs, at(0, 9)), textItem(2, u"two"_qs, at(0, 8))});
    h.update();
    const QUuid one = textItem(1, {}, {}).id;
    const int row = *h.list.rowIndexOfItem(one);
    const qreal oneLine = h.list.rowHeight(row);

    ClipboardItem longer = *h.model.item(one);
    longer.text = u"one\nof\nthree lines"_qs;
    h.model.updateItem(longer.refreshingSearchText({}));
    h.update();
    EXPECT_GT(h.list.rowHeight(row), oneLine);
    EXPECT_EQ(*h.list.itemAtRow(row)->text, u"one\nof\nthree lines"_qs);

    // Removed from the model, not yet from the list.
    h.model.removeItems({textItem(2, {}, {}).id});
    const int gone = row + 1;
    EXPECT_EQ(h.list.itemAtRow(gone), nullptr);
    EXPECT_GT(h.list.rowHeight(gone), 0);
    h.list.tableView().viewport()->repaint();
    h.update();
    EXPECT_EQ(describe(h.list), QStringList({u"# Today"_qs, u"one\nof\nthree lines"_qs}));
}

TEST(History, ADeletedSelectionFallsBackToTheFirstItem)
{
    ListHarness h;
    h.model.setItems({textItem(1, u"one"_qs, at(0, 9)), textItem(2, u"two"_qs, at(0, 8))});
    h.model.setSelectedItemID(textItem(2, {}, {}).id);
    h.update();
    EXPECT_EQ(h.selectedTexts(), QStringList({u"two"_qs}));
    // The view removes the row, then finds the wanted item gone.
    h.list.update(HistoryUpdate {.items = {textItem(1, u"one"_qs, at(0, 9))},
        .selectedItemID = textItem(2, {}, {}).id,
        .fallbackSelection = [&](const ClipboardItem &item) { h.fallbacks.append(*item.text); },
        .calendar = HistoryCalendar {zone, today}});
    EXPECT_EQ(h.fallbacks, QStringList({u"one"_qs}));
}

TEST(History, KeepsItsScrollPositionUnlessTheSelectionOrTheFirstItemChanges)
{
    ListHarness h;
    QList<ClipboardItem> items;
    for (int n = 0; n < 60; ++n)
        items.append(textItem(n, QStringLiteral("item %1").arg(n), at(0, 12).addSecs(-n * 60)));
    h.model.setItems(items);
    h.model.setSelectedItemID(items.first().id);
    h.list.show();
    h.update();
    // Scrolls come two turns of the event loop after an update.
    const auto settle = [] {
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
    };
    settle();
    QScrollBar &scrollBar = *h.list.tableView().verticalScrollBar();
    ASSERT_GT(scrollBar.maximum(), 200);
    scrollBar.setValue(200);

    // Another item changes (a link preview, a rename): the list stays where the user scrolled it.
    ClipboardItem renamed = items.at(30);
    renamed.title = u"renamed"_qs;
    h.model.updateItem(renamed);
    h.update();
    settle();
    EXPECT_EQ(scrollBar.value(), 200);

    // Selecting the last item scrolls to the bottom, showing the item whole.
    h.model.setSelectedItemID(items.last().id);
    h.model.setSelectedItemIDs({items.last().id});
    h.update();
    settle();
    EXPECT_EQ(scrollBar.value(), scrollBar.maximum());

    // Selecting the first item brings its "Today" header into view.
    h.model.setSelectedItemID(items.first().id);
    h.model.setSelectedItemIDs({items.first().id});
    h.update();
    settle();
    EXPECT_EQ(scrollBar.value(), 0);

    // A search finds an item far down; emptied with that item still selected, the list widens around it.
    h.model.setSearchQuery(u"item 45"_qs);
    h.model.setSelectedItemID(items.at(45).id);
    h.model.setSelectedItemIDs({items.at(45).id});
    h.update();
    settle();
    h.model.setSearchQuery(QString());
    h.update();
    settle();
    const QRect found = h.list.tableView().visualRect(
        h.list.tableView().model()->index(h.list.rowIndexOfItem(items.at(45).id).value_or(0), 0));
    EXPECT_TRUE(h.list.tableView().viewport()->rect().contains(found)) << scrollBar.value();
}

TEST(History, ShowsTheRightPlaceholder)
{
    struct Case
    {
        bool hasItems;
        QString search;
        bool emptyList;
        bool emptySearch;
    };
    const QList<Case> cases = {
        {false, QString(), true, false},
        {false, u" \n\t"_qs, true, false},
        {false, u"x"_qs, false, true},
        {true, u"x"_qs, false, false},
        {true, QString(), false, false},
    };
    History list;
    EXPECT_FALSE(list.emptyListView().isHidden()); // before the first update
    EXPECT_TRUE(list.emptySearchResultsView().isHidden());
    for (const Case &c : cases) {
        HistoryUpdate update;
        if (c.hasItems)
            update.items = {textItem(1, u"one"_qs, at(0, 9))};
        update.searchQuery = c.search;
        list.update(std::move(update));
        EXPECT_EQ(!list.emptyListView().isHidden(), c.emptyList) << c.search.toStdString();
        EXPECT_EQ(!list.emptySearchResultsView().isHidden(), c.emptySearch) << c.search.toStdString();
    }
    EXPECT_EQ(list.emptyListView().title(), u"No clipboard items"_qs);
    EXPECT_EQ(list.emptyListView().arrangedLabels().size(), 3);
    EXPECT_EQ(list.emptySearchResultsView().arrangedLabels().size(), 2);
    EXPECT_FALSE(list.emptyListView().arrangedLabels().first()->pixmap().isNull());
}

TEST(History, MeasuresATextAgainOnlyWhenItsContentChanged)
{
    History list;
    ClipboardItem item = textItem(1, u"short"_qs, at(0, 9));
    const auto first = list.textPreviewLineMetrics(item);
    ASSERT_TRUE(first);
    item.text = u"a much longer text than before"_qs;
    item = item.refreshingSearchText({});
    const auto second = list.textPreviewLineMetrics(item);
    ASSERT_TRUE(second);
    EXPECT_GT(second->lineWidths.first(), first->lineWidths.first());
    EXPECT_EQ(list.textPreviewLineMetrics(item), second);

    ClipboardItem image;
    image.kind = ClipboardKind::image;
    EXPECT_FALSE(list.textPreviewLineMetrics(image));
}

TEST(History, AWidthChangeAsksEveryHeightAgain)
{
    ListHarness h;
    QList<ClipboardItem> items;
    for (int n = 0; n < 5; ++n)
        items.append(textItem(n, QString(40 * (n + 1), u'w'), at(0, 12).addSecs(-n * 60)));
    h.model.setItems(items);
    h.list.show();
    h.update();
    QCoreApplication::processEvents();
    const qreal wide = h.list.rowHeight(1);
    h.list.resize(160, 300);
    QCoreApplication::processEvents();
    // A long text wraps to more lines in a narrower list.
    EXPECT_GT(h.list.rowHeight(1), wide);
    EXPECT_EQ(h.list.tableView().visualRect(h.list.tableView().model()->index(5, 0)).height(),
        int(std::ceil(h.list.rowHeight(5))));
}

TEST(History, ALongListMeasuresTheRowsItShows)
{
    // Rows of wide letters are guessed lower than they are, so a row laid out at its guess shows cut.
    ListHarness h;
    QList<ClipboardItem> items;
    for (int n = 0; n < 3 * History::wholeMeasuredRowCount; ++n)
        items.append(textItem(n, QString(40, u'W'), at(0, 12).addSecs(-n)));
    h.model.setItems(items);
    h.list.show();
    h.update();
    // The list scrolls to its new first item two turns of the event loop later.
    for (int turn = 0; turn < 3; ++turn)
        QCoreApplication::processEvents();
    HistoryTableView &view = h.list.tableView();
    const auto expectVisibleRowsMeasured = [&](const char *where) {
        const QList<int> rows = view.rowsInVisibleRect();
        ASSERT_FALSE(rows.isEmpty()) << where;
        for (int row : rows)
            EXPECT_EQ(view.rectOfRow(row).height(), int(std::ceil(h.list.rowHeight(row)))) << where << ", row " << row;
    };
    expectVisibleRowsMeasured("at the top");

    // Scrolled to the middle: the row at the top stays where it was while the rows around it are measured.
    QScrollBar &scrollBar = *view.verticalScrollBar();
    const int middle = scrollBar.maximum() / 2;
    int topRow = 0;
    while (view.rectOfRow(topRow + 1).top() <= middle)
        ++topRow;
    const int offset = middle - view.rectOfRow(topRow).top();
    scrollBar.setValue(middle);
    QCoreApplication::processEvents();
    EXPECT_EQ(scrollBar.value() - view.rectOfRow(topRow).top(), offset);
    expectVisibleRowsMeasured("in the middle");

    // The last row, brought into view, shows whole.
    const int last = view.model()->rowCount() - 1;
    h.list.scrollRowIntoView(last);
    QCoreApplication::processEvents();
    expectVisibleRowsMeasured("at the end");
    EXPECT_EQ(view.rectOfRow(last).bottom() + 1 - scrollBar.value(), view.viewport()->height());

    // The list's own keys move the current row and scroll to it (they did not scroll at all), here into rows never
    // measured, which show whole.
    h.list.selectSingleRow(1);
    view.setFocus();
    for (int page = 0; page < 3; ++page) {
        QTest::keyClick(&view, Qt::Key_PageDown);
        QCoreApplication::processEvents();
        const QRect current = view.rectOfRow(view.currentIndex().row());
        EXPECT_GE(current.top(), scrollBar.value()) << "page " << page;
        EXPECT_LE(current.bottom() + 1, scrollBar.value() + view.viewport()->height()) << "page " << page;
        expectVisibleRowsMeasured("after a page down");
    }
}

TEST(History, TheContextMenuIsForTheClickedRowOrTheSelection)
{
    ListHarness h;
    h.model.setItems(
        {textItem(1, u"one"_qs, at(0, 9)), textItem(2, u"two"_qs, at(0, 8)), textItem(3, u"three"_qs, at(0, 7))});
    h.model.setSelectedItemID(textItem(1, {}, {}).id);
    h.model.setSelectedItemIDs({textItem(1, {}, {}).id, textItem(2, {}, {}).id});
    h.list.show();
    h.update();
    HistoryTableView &table = h.list.tableView();
    const auto menuAt = [&](int row) {
        table.contextualMenuRow = row;
        QMenu menu;
        table.onPrepareContextMenu(menu);
        table.contextualMenuRow.reset();
        return menu.actions().size();
    };

    EXPECT_EQ(menuAt(2), 1); // one of the two selected rows: the menu is for both, this one clicked
    EXPECT_EQ(h.delegate.menus.last(), u"one,two / two"_qs);
    EXPECT_EQ(menuAt(3), 1); // an unselected row becomes the only selection
    EXPECT_EQ(h.delegate.menus.last(), u"three / three"_qs);
    EXPECT_EQ(h.selectedTexts(), QStringList({u"three"_qs}));
    EXPECT_EQ(h.delegate.selections.last(), u"three / three"_qs);
    EXPECT_EQ(menuAt(0), 0); // a header
    EXPECT_EQ(menuAt(-1), 1); // below the rows: the selection
    EXPECT_EQ(h.delegate.menus.last(), u"three / three"_qs);
}

// A tagged item's row paints a chip of each of its tags in that tag's colour, in the item's order; an untagged row
// paints none.
TEST(History, ATaggedRowPaintsItsChipsInTheTagsColours)
{
    ListHarness h;
    const Tag work {1, u"Work"_qs, u"#3B85ED"_qs};
    const Tag urgent {2, u"Urgent"_qs, u"#ED2626"_qs};
    h.model.setTags({work, urgent});
    ClipboardItem tagged = textItem(1, u"tagged"_qs, at(0, 9));
    tagged.tags = {work.id, urgent.id};
    h.model.setItems({tagged, textItem(2, u"plain"_qs, at(0, 8))});
    h.list.show();
    h.update();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&h.list));
    HistoryTableView &table = h.list.tableView();
    const QImage drawn = table.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    struct Found
    {
        int count = 0;
        qint64 xs = 0;
    };
    const auto find = [&](const QRect &row, const QColor &colour) {
        Found found;
        for (int y = row.top(); y <= row.bottom(); ++y) {
            for (int x = row.left(); x <= row.right(); ++x) {
                if (drawn.pixel(x, y) == colour.rgb()) {
                    ++found.count;
                    found.xs += x;
                }
            }
        }
        return found;
    };
    const QRect taggedRow = table.rectOfRow(*h.list.rowIndexOfItem(tagged.id));
    const QRect plainRow = table.rectOfRow(*h.list.rowIndexOfItem(textItem(2, {}, {}).id));
    const Found blue = find(taggedRow, QColor(0x3B, 0x85, 0xED));
    const Found red = find(taggedRow, QColor(0xED, 0x26, 0x26));
    // A 12-pixel dot is some eighty pixels of its colour inside its smoothed edge.
    EXPECT_GT(blue.count, 40);
    EXPECT_GT(red.count, 40);
    if (blue.count && red.count)
        EXPECT_LT(blue.xs / blue.count, red.xs / red.count) << "the item's order";
    EXPECT_EQ(find(plainRow, QColor(0x3B, 0x85, 0xED)).count, 0);
    EXPECT_EQ(find(plainRow, QColor(0xED, 0x26, 0x26)).count, 0);
}

TEST(History, AsksForALinkPreviewOncePerReloadOfAShownRow)
{
    ListHarness h;
    ClipboardItem link = textItem(1, u"https://example.com"_qs, at(0, 9));
    link.kind = ClipboardKind::link;
    h.model.setItems({link});
    h.list.show();
    h.update();
    QTest::qWait(20);
    h.list.tableView().viewport()->repaint();
    EXPECT_EQ(h.delegate.linkPreviews, QStringList({u"https://example.com"_qs}));

    AppPreferences preferences = h.model.preferences();
    preferences.showPreviewForLinks = false;
    h.model.setPreferences(preferences);
    HistoryUpdate update {.items = h.model.filteredItems(), .showPreviewForLinks = false};
    h.list.update(std::move(update));
    h.list.tableView().viewport()->repaint();
    EXPECT_EQ(h.delegate.linkPreviews.size(), 1);
}

TEST(History, RowKindsAndFirstItemRows)
{
    ClipboardItem file;
    file.kind = ClipboardKind::file;
    file.filePaths = {u"/tmp/a"_qs};
    EXPECT_EQ(historyItemRowReuseIdentifier(file), u"FileHistoryItemRow"_qs);
    file.filePaths.append(u"/tmp/b"_qs);
    EXPECT_EQ(historyItemRowReuseIdentifier(file), u"FilesHistoryItemRow"_qs);

    History list;
    list.update(HistoryUpdate {.items = {textItem(1, u"one"_qs, at(0, 9)), textItem(2, u"two"_qs, at(1, 9))},
        .sectionDate = historySectionDate(HistorySortOption::lastCopyTime, false),
        .calendar = HistoryCalendar {zone, today}});
    EXPECT_EQ(list.firstItemRowIndexes(0), QList<int>());
    EXPECT_EQ(list.firstItemRowIndexes(9), QList<int>({1, 3}));
    EXPECT_EQ(list.itemRowConfiguration(3).quickPasteIndex, 2);
    EXPECT_FALSE(list.isSelectableRow(0));
    EXPECT_FALSE(list.isSelectableRow(4));
}

TEST(PreviewImage, FitsTheImageAtTheLeftWithoutEnlargingIt)
{
    struct Case
    {
        QSizeF image;
        QRectF box;
        QRectF expected;
    };
    const QList<Case> cases = {
        {{400, 200}, {0, 0, 300, 100}, {0, 0, 200, 100}}, {{400, 200}, {0, 0, 100, 100}, {0, 25, 100, 50}},
        {{40, 20}, {10, 10, 300, 100}, {10, 50, 40, 20}}, // never larger than the image
        {{0, 50}, {0, 0, 100, 100}, {0, 0, 2, 100}}, // a side of no length counts as 1
    };
    for (const Case &c : cases) {
        const QRectF fitted = PreviewImage::fittedRect(c.box, PreviewImage::aspectRatioOf(c.image), c.image);
        EXPECT_EQ(fitted, c.expected) << c.image.width() << "x" << c.image.height();
    }
    PreviewImage preview;
    EXPECT_EQ(preview.aspectRatio(), 1.0);
    preview.setImage(QImage(300, 100, QImage::Format_RGB32));
    EXPECT_EQ(preview.aspectRatio(), 3.0);
}
