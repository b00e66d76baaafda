// The history window's controller answering its toolbar: the debounced search, the filters both ways, the sort and
// the copy of the selection.

#include "CoordinatorTestSupport.h"

#include "History.h"
#include "HistoryContentViewController.h"
#include "HistoryItemCommands.h"
#include "HistoryToolbarView.h"
#include "HistoryWindowCommands.h"
#include "WindowProbe.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

struct ControllerHarness
{
    ControllerHarness()
    {
        h.storeOnboardedPreferences();
        ClipboardItem image = testItem(3);
        image.kind = ClipboardKind::image;
        image.text.reset();
        h.storeItems({testItem(1, u"apple pie"_qs), testItem(2, u"banana bread"_qs), image});
        h.coordinator->start();
        controller.setSearchScheduler(h.scheduler);
        controller.setHistoryToolbar(&toolbar);
        toolbar.setScheduler(h.scheduler);
        settle();
    }
    ~ControllerHarness() { controller.setHistoryToolbar(nullptr); }
    // The model's published changes reach the controller on later turns.
    void settle()
    {
        for (int turn = 0; turn < 4; ++turn)
            QCoreApplication::processEvents();
    }
    HistoryToolbarDelegate &requests() { return controller.toolbarDelegate(); }
    void select(const QList<int> &numbers)
    {
        QList<QUuid> ids;
        for (const int n : numbers)
            ids.append(testId(n));
        h.model.setSelectedItemID(ids.value(0));
        h.model.setSelectedItemIDs(QSet<QUuid>(ids.cbegin(), ids.cend()));
        h.model.setSelectedItemIDsInSelectionOrder(ids);
    }

    CoordinatorHarness h;
    HistoryItemCommands commands {h.model, *h.coordinator, {}};
    HistoryContentViewController controller {h.model, *h.coordinator, commands};
    HistoryToolbarView toolbar;
};

} // namespace

TEST(HistoryToolbarRequests, TypedSearchReachesTheModelHalfASecondAfterTheLastKeystroke)
{
    ControllerHarness s;
    QSignalSpy queries(&s.h.model, &AppModel::searchQueryChanged);
    s.requests().searchQueryDidChange(u"a"_qs);
    s.h.scheduler.advance(200ms);
    s.requests().searchQueryDidChange(u"ab"_qs); // replaces the first, which would find itself stale
    s.h.scheduler.advance(499ms);
    EXPECT_TRUE(s.h.model.searchQuery().isEmpty());
    EXPECT_EQ(WindowProbe::pendingSearchQuery(s.controller), u"ab"_qs);
    s.h.scheduler.advance(1ms);
    EXPECT_EQ(s.h.model.searchQuery(), u"ab"_qs);
    EXPECT_EQ(queries.size(), 1);
    EXPECT_FALSE(WindowProbe::pendingSearchQuery(s.controller));

    // Clearing applies at once; the selected item, still listed, stays selected.
    s.settle();
    s.select({1});
    s.requests().searchQueryDidChange(QString());
    EXPECT_TRUE(s.h.model.searchQuery().isEmpty());
    EXPECT_EQ(s.h.model.selectedItemID(), testId(1));

    // Blanks are stored as typed, at once, and cancel a queued search.
    s.requests().searchQueryDidChange(u"pie"_qs);
    s.requests().searchQueryDidChange(u"   "_qs);
    EXPECT_EQ(s.h.model.searchQuery(), u"   "_qs);
    s.h.scheduler.advance(1s);
    EXPECT_EQ(s.h.model.searchQuery(), u"   "_qs);
    EXPECT_EQ(s.h.scheduler.pendingCount(), 0);
}

TEST(HistoryToolbarRequests, ReturnTypedBeforeTheSearchAppliedPastesWhatItFinds)
{
    ControllerHarness s;
    s.settle();
    ASSERT_EQ(s.h.model.selectedItemID(), testId(3));
    s.requests().searchQueryDidChange(u"apple"_qs);
    EXPECT_TRUE(
        s.controller.handleKeyDown(HistoryKeyEvent::fromShortcutText(u"return"_qs), HistoryKeyFocus::searchField));
    EXPECT_EQ(s.h.model.searchQuery(), u"apple"_qs);
    const auto data = s.h.pasteboard.content().data(PasteboardType::plainText());
    EXPECT_EQ(data.value_or(QByteArray()), QByteArray("apple pie"));
}

TEST(HistoryToolbarRequests, ResetSearchActsOnlyOnASearch)
{
    ControllerHarness s;
    QSignalSpy queries(&s.h.model, &AppModel::searchQueryChanged);
    s.controller.resetSearch();
    EXPECT_EQ(queries.size(), 0);
    s.requests().searchQueryDidChange(u"bread"_qs);
    s.h.scheduler.advance(500ms);
    s.settle();
    EXPECT_EQ(s.toolbar.searchText(), u"bread"_qs);
    s.controller.resetSearch();
    EXPECT_TRUE(s.h.model.searchQuery().isEmpty());
    s.settle();
    EXPECT_TRUE(s.toolbar.searchText().isEmpty());
    EXPECT_EQ(s.h.model.selectedItemID(), testId(3));

    // A pending search is dropped too.
    s.requests().searchQueryDidChange(u"pie"_qs);
    s.controller.resetSearch();
    s.h.scheduler.advance(1s);
    EXPECT_TRUE(s.h.model.searchQuery().isEmpty());
}

TEST(HistoryToolbarRequests, FiltersChangeOnlyWhenTheyDifferAndShowAsTokens)
{
    ControllerHarness s;
    s.h.model.setTags({Tag {7, u"Work"_qs, u"#3B85ED"_qs}});
    s.settle();
    s.select({1});
    QSignalSpy types(&s.h.model, &AppModel::selectedHistoryFilterContentTypesChanged);
    QSignalSpy tagIDs(&s.h.model, &AppModel::selectedHistoryFilterTagIDsChanged);
    s.requests().setContentTypeFilter(HistoryFilterContentType::all, true);
    s.requests().setTagFilter(7, false);
    s.requests().clearTagFilter();
    s.requests().clearFilters();
    EXPECT_EQ(types.size() + tagIDs.size(), 0);
    EXPECT_EQ(s.h.model.selectedItemID(), testId(1));

    // From the toolbar to the model: a chosen type narrows the list and selects its first item.
    s.requests().setContentTypeFilter(HistoryFilterContentType::images, true);
    EXPECT_EQ(s.h.model.selectedHistoryFilterContentTypes(),
        QSet<HistoryFilterContentType>({HistoryFilterContentType::images}));
    EXPECT_EQ(s.h.model.selectedItemID(), testId(3));
    s.requests().setTagFilter(7, true);
    EXPECT_EQ(s.h.model.selectedHistoryFilterTagIDs(), QSet<qint64>({7}));

    // From the model to the toolbar: the selection shows as tokens.
    s.settle();
    QStringList titles;
    for (const SearchToken &token : s.toolbar.searchField().tokens())
        titles.append(token.title);
    EXPECT_EQ(titles, QStringList({u"Image"_qs, u"Work"_qs}));

    // Removing the tokens' filters one by one, then all at once.
    s.requests().setContentTypeFilter(HistoryFilterContentType::all, false);
    EXPECT_TRUE(s.h.model.selectedHistoryFilterContentTypes().isEmpty());
    s.requests().clearFilters();
    EXPECT_FALSE(s.h.model.hasActiveHistoryFilters());
    s.settle();
    EXPECT_TRUE(s.toolbar.searchField().tokens().isEmpty());
}

TEST(HistoryToolbarRequests, SortChoicesAreStoredByTheirEnglishTitles)
{
    ControllerHarness s;
    setCurrentInterfaceLanguage(u"de"_qs);
    s.requests().selectSortOption(HistorySortOption::numberOfCopies);
    EXPECT_EQ(s.h.model.historySortOption(), HistorySortOption::numberOfCopies);
    EXPECT_EQ(s.h.preferencesStore.load().historySortOption, u"Number of Copies"_qs);
    s.requests().toggleSortOrder();
    EXPECT_TRUE(s.h.preferencesStore.load().isHistorySortReversed);
    s.requests().toggleSortOrder();
    EXPECT_FALSE(s.h.model.isHistorySortReversed());
    EXPECT_FALSE(s.h.preferencesStore.load().isHistorySortReversed);
}

TEST(HistoryToolbarRequests, CopyingTheSelectionShowsTheCheckMarkOnlyWhenItCopied)
{
    ControllerHarness s;
    const auto clipboard = [&] {
        const auto data = s.h.pasteboard.content().data(PasteboardType::plainText());
        return data ? QString::fromUtf8(*data) : QString();
    };
    s.select({1, 2, 3}); // an image cannot be merged: nothing is copied
    s.requests().copySelectedItems();
    EXPECT_TRUE(clipboard().isEmpty());
    EXPECT_FALSE(WindowProbe::isShowingCopySuccess(s.toolbar));

    s.select({2, 1});
    s.requests().copySelectedItems();
    EXPECT_EQ(clipboard(), u"banana bread\napple pie"_qs);
    EXPECT_TRUE(WindowProbe::isShowingCopySuccess(s.toolbar));

    // Copy-sequence mode is a preference that takes effect at once.
    s.requests().toggleCopySequenceMode();
    EXPECT_TRUE(s.h.model.preferences().copySequenceModeEnabled);
    EXPECT_TRUE(s.h.preferencesStore.load().copySequenceModeEnabled);
}

TEST(HistoryToolbarRequests, ASingleClickPastesOnlyWhenAskedTo)
{
    ControllerHarness s;
    s.settle();
    History &list = s.controller.list();
    int row = -1;
    for (int r = 0; r < list.tableRows().size() && row < 0; ++r) {
        if (const ClipboardItem *item = list.itemAtRow(r); item && item->id == testId(2))
            row = r;
    }
    ASSERT_GE(row, 0);
    const auto pasted = [&] {
        const auto data = s.h.pasteboard.content().data(PasteboardType::plainText());
        return data.value_or(QByteArray());
    };
    list.handleItemClick(row, Qt::NoModifier, 1);
    EXPECT_TRUE(pasted().isEmpty());
    s.h.changePreferences([](AppPreferences &p) { p.pasteOnClick = true; });
    list.handleItemClick(row, Qt::NoModifier, 1);
    EXPECT_EQ(pasted(), QByteArray("banana bread"));
}
