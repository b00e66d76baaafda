#include "AppModelTestSupport.h"

#include <algorithm>
#include <functional>

namespace {

// The item changes a view hears of: "items" for itemsChanged, "changed(n, ...)" for itemsChangedByID.
class ChangeLog
{
public:
    explicit ChangeLog(AppModel &model)
    {
        QObject::connect(
            &model, &AppModel::itemsChanged, &model, [this] { m_entries.append(QStringLiteral("items")); });
        QObject::connect(&model, &AppModel::itemsChangedByID, &model, [this](const QSet<QUuid> &ids) {
            QList<int> numbers;
            for (const QUuid &id : ids)
                numbers.append(testNumber(id));
            std::sort(numbers.begin(), numbers.end());
            QStringList texts;
            for (const int n : numbers)
                texts.append(QString::number(n));
            m_entries.append(QStringLiteral("changed(%1)").arg(texts.join(QLatin1String(", "))));
        });
    }
    QString take() { return std::exchange(m_entries, {}).join(QLatin1String(", ")); }

private:
    QStringList m_entries;
};

ClipboardItem withPreview(ClipboardItem item)
{
    item.linkPreviewDetails = LinkPreviewDetails {QStringLiteral("https://example.com"), QStringLiteral("Example"),
        std::nullopt, std::nullopt, std::nullopt, testTime(100)};
    return item;
}

} // namespace

// Each operation on the items 5, 4, 3, 2, 1: what it reports by id, where, and what the list then shows.
TEST(ModelChangesByID, EachOperationReportsTheItemsItChangedInPlace)
{
    const struct
    {
        const char *operation;
        std::function<void(AppModel &)> run;
        QString reports;
        QList<int> visible;
    } cases[] = {
        {"insert", [](AppModel &m) { m.upsertItem(testItem(6)); }, QStringLiteral("items, items"), {6, 5, 4, 3, 2, 1}},
        {"update", [](AppModel &m) { m.updateItem(testItem(3, QStringLiteral("edited"))); },
            QStringLiteral("items, changed(3), items"), {5, 4, 3, 2, 1}},
        {"update to the same value", [](AppModel &m) { m.updateItem(m.items().at(2)); }, QStringLiteral("items, items"),
            {5, 4, 3, 2, 1}},
        {"update of an item not loaded", [](AppModel &m) { m.updateItem(testItem(9)); }, QStringLiteral("items, items"),
            {9, 5, 4, 3, 2, 1}},
        {"repeated capture of a loaded item",
            [](AppModel &m) {
                ClipboardItem again = testItem(2);
                again.copiedAt = testTime(10);
                again.copyCount = 2;
                m.upsertItem(again);
            },
            QStringLiteral("items, items, changed(2)"), {2, 5, 4, 3, 1}},
        {"capture replacing the same content under another id",
            [](AppModel &m) { m.upsertItem(testItem(7, QStringLiteral("item 3"))); }, QStringLiteral("items, items"),
            {7, 5, 4, 2, 1}},
        {"list replaced as a whole",
            [](AppModel &m) {
                m.setItems(
                    {testItem(8), testItem(5), testItem(4, QStringLiteral("renamed")), testItem(3), testItem(2)});
            },
            QStringLiteral("items, changed(4)"), {8, 5, 4, 3, 2}},
        {"same list again", [](AppModel &m) { m.setItems(m.items()); }, QStringLiteral("items"), {5, 4, 3, 2, 1}},
        {"remove",
            [](AppModel &m) {
                m.removeItems({testId(2), testId(4)});
            },
            QStringLiteral("items"), {5, 3, 1}},
        {"trim", [](AppModel &m) { m.trimItems(2); }, QStringLiteral("items"), {5, 4}},
        {"batched link previews",
            [](AppModel &m) {
                m.applyItemUpdates(
                    {withPreview(testItem(1)), withPreview(testItem(3)), testItem(5), withPreview(testItem(9))});
            },
            QStringLiteral("items, changed(1, 3)"), {9, 5, 4, 3, 2, 1}},
    };
    for (const auto &c : cases) {
        AppModel model;
        model.setItems(testItems(5));
        ChangeLog log(model);
        c.run(model);
        EXPECT_EQ(log.take(), c.reports) << c.operation;
        EXPECT_EQ(numbersOf(model.visibleItemIDs()), c.visible) << c.operation;
    }
}

// The ids are what filteredItems() lists, and each looks up the loaded item of that id (the first of two), also
// after the list has grown, shrunk and been reordered. The visible items in place are the same, and the revision
// that keeps them valid moves with every change of the items and with nothing else.
TEST(ModelChangesByID, VisibleIDsAndLookupFollowTheList)
{
    AppModel model;
    model.setItems(testItems(6));
    quint64 revision = model.itemsRevision();
    const auto check = [&](const char *step, bool itemsChanged = true) {
        QList<QUuid> filtered;
        for (const ClipboardItem &item : model.filteredItems())
            filtered.append(item.id);
        EXPECT_EQ(model.visibleItemIDs(), filtered) << step;
        QList<QUuid> inPlace;
        for (const ClipboardItem *item : model.visibleItems()) {
            const ClipboardItem *loaded = model.items().constData();
            EXPECT_TRUE(item >= loaded && item < loaded + model.items().size()) << step;
            inPlace.append(item->id);
        }
        EXPECT_EQ(inPlace, filtered) << step;
        EXPECT_EQ(model.itemsRevision() != revision, itemsChanged) << step;
        revision = model.itemsRevision();
        for (int n = 1; n <= 12; ++n) {
            const auto first = std::find_if(model.items().cbegin(), model.items().cend(),
                [&](const ClipboardItem &item) { return item.id == testId(n); });
            const ClipboardItem *found = model.item(testId(n));
            if (first == model.items().cend())
                EXPECT_EQ(found, nullptr) << step << " " << n;
            else
                EXPECT_EQ(found, &*first) << step << " " << n;
        }
    };
    check("loaded", false);
    model.setSearchQuery(QStringLiteral("item 1"));
    model.setHistorySortOption(HistorySortOption::firstCopyTime);
    model.setHistorySortReversed(true);
    check("searched, sorted", false);
    model.upsertItem(testItem(10));
    check("inserted");
    model.removeItems({testId(3), testId(6)});
    check("removed");
    model.updateItem(testItem(2, QStringLiteral("item 12")));
    check("updated");
    // Two updates for an item that is not loaded both come back, the first in front.
    model.applyItemUpdates({testItem(11, QStringLiteral("first")), testItem(11, QStringLiteral("second"))});
    check("batch");
    EXPECT_EQ(model.item(testId(11))->text, QStringLiteral("first"));
    model.trimItems(3);
    check("trimmed");
    model.setSearchQuery(QString());
    check("search cleared", false);
}

// The visible order kept through captures, updates, removals and trims is the one sorting the items afresh gives,
// under each sort, direction, pinning of favourites, search and favourites token.
TEST(ModelChangesByID, TheKeptVisibleOrderIsTheSortedOne)
{
    struct Setting
    {
        HistorySortOption sort;
        bool reversed;
        bool pinned;
        QString search;
        bool favoritesOnly;
    };
    const QList<Setting> settings = {
        {HistorySortOption::lastCopyTime, false, true, QString(), false},
        {HistorySortOption::lastCopyTime, true, false, QStringLiteral("item 1"), false},
        {HistorySortOption::firstCopyTime, false, true, QStringLiteral("item"), false},
        {HistorySortOption::numberOfCopies, true, true, QString(), false},
        {HistorySortOption::size, false, false, QString(), true},
    };
    const auto apply = [](AppModel &model, const Setting &setting) {
        AppPreferences preferences = model.preferences();
        preferences.pinFavoritesToTop = setting.pinned;
        model.setPreferences(preferences);
        model.setHistorySortOption(setting.sort);
        model.setHistorySortReversed(setting.reversed);
        model.setSearchQuery(setting.search);
        model.setSelectedHistoryFilterContentTypes(setting.favoritesOnly
                ? QSet<HistoryFilterContentType> {HistoryFilterContentType::favorites}
                : QSet<HistoryFilterContentType>());
    };
    const QList<std::pair<const char *, std::function<void(AppModel &)>>> steps = {
        {"capture", [](AppModel &m) { m.upsertItem(testItem(20)); }},
        {"capture of a text the search misses", [](AppModel &m) { m.upsertItem(testItem(21, u"other"_qs)); }},
        {"repeated capture",
            [](AppModel &m) {
                ClipboardItem again = testItem(4);
                again.copiedAt = testTime(30);
                again.copyCount = 3;
                m.upsertItem(again);
            }},
        {"favourite",
            [](AppModel &m) {
                ClipboardItem favourite = *m.item(testId(7));
                favourite.isFavorite = true;
                m.updateItem(favourite);
            }},
        {"edited out of the search", [](AppModel &m) { m.updateItem(testItem(10, u"nothing alike"_qs)); }},
        {"edited into the search, larger", [](AppModel &m) { m.updateItem(testItem(21, u"item 21 grown"_qs)); }},
        {"remove",
            [](AppModel &m) {
                m.removeItems({testId(2), testId(11), testId(20)});
            }},
        {"trim", [](AppModel &m) { m.trimItems(9); }},
    };
    for (const Setting &setting : settings) {
        AppModel model;
        QList<ClipboardItem> items = testItems(12);
        items[3].isFavorite = true;
        items[5].copyCount = 4;
        model.setItems(items);
        apply(model, setting);
        (void)model.visibleItemIDs(); // the order is kept from here on
        for (const auto &[step, run] : steps) {
            run(model);
            AppModel fresh;
            fresh.setItems(model.items());
            apply(fresh, setting);
            EXPECT_EQ(numbersOf(model.visibleItemIDs()), numbersOf(fresh.visibleItemIDs()))
                << step << " under " << setting.sort.rawValue().toStdString() << (setting.reversed ? " reversed" : "")
                << " '" << setting.search.toStdString() << "'";
        }
    }
}

// A search typed over the list shown without one narrows that list's order, which stays the sorted one when an
// item, the sort or a token changes while the user types, and when the search is cleared again.
TEST(ModelChangesByID, ASearchNarrowsTheOrderShownWithoutIt)
{
    struct Setting
    {
        HistorySortOption sort;
        bool reversed;
        bool pinned;
    };
    const Setting settings[] = {
        {HistorySortOption::lastCopyTime, false, true},
        {HistorySortOption::firstCopyTime, true, false},
        {HistorySortOption::numberOfCopies, false, true},
    };
    const QList<std::pair<const char *, std::function<void(AppModel &)>>> steps = {
        {"typed", [](AppModel &m) { m.setSearchQuery(u"item"_qs); }},
        {"typed on", [](AppModel &m) { m.setSearchQuery(u"item 1"_qs); }},
        {"captured while searching", [](AppModel &m) { m.upsertItem(testItem(13)); }},
        {"typed after the capture", [](AppModel &m) { m.setSearchQuery(u"item"_qs); }},
        {"cleared", [](AppModel &m) { m.setSearchQuery(QString()); }},
        {"typed again", [](AppModel &m) { m.setSearchQuery(u"item 1"_qs); }},
        {"sorted by size while searching", [](AppModel &m) { m.setHistorySortOption(HistorySortOption::size); }},
        {"typed after the sort", [](AppModel &m) { m.setSearchQuery(u"item"_qs); }},
        {"cleared after the sort", [](AppModel &m) { m.setSearchQuery(u" "_qs); }},
        {"favourites only",
            [](AppModel &m) { m.setSelectedHistoryFilterContentTypes({HistoryFilterContentType::favorites}); }},
        {"typed among the favourites", [](AppModel &m) { m.setSearchQuery(u"item 1"_qs); }},
    };
    for (const Setting &setting : settings) {
        AppModel model;
        QList<ClipboardItem> items = testItems(12);
        items[3].isFavorite = true;
        items[8].isFavorite = true;
        items[5].copyCount = 4;
        items[10].copyCount = 2;
        model.setItems(items);
        AppPreferences preferences = model.preferences();
        preferences.pinFavoritesToTop = setting.pinned;
        model.setPreferences(preferences);
        model.setHistorySortOption(setting.sort);
        model.setHistorySortReversed(setting.reversed);
        (void)model.visibleItemIDs(); // the list shown before the user types
        for (const auto &[step, run] : steps) {
            run(model);
            AppModel fresh;
            fresh.setItems(model.items());
            fresh.setPreferences(model.preferences());
            fresh.setHistorySortOption(model.historySortOption());
            fresh.setHistorySortReversed(model.isHistorySortReversed());
            fresh.setSelectedHistoryFilterContentTypes(model.selectedHistoryFilterContentTypes());
            fresh.setSearchQuery(model.searchQuery());
            EXPECT_EQ(numbersOf(model.visibleItemIDs()), numbersOf(fresh.visibleItemIDs()))
                << step << " under " << setting.sort.rawValue().toStdString() << (setting.reversed ? " reversed" : "");
        }
    }
}
