#include "AppModelTestSupport.h"

#include "TestSupport.h"

#include <functional>

TEST(AppModel, StartsEmptyWithDefaults)
{
    AppModel model;
    EXPECT_FALSE(model.selectedItem());
    EXPECT_TRUE(model.selectedItems().isEmpty());
    EXPECT_FALSE(model.hasActiveHistoryFilters());
    EXPECT_TRUE(model.searchQuery().isEmpty());
    EXPECT_EQ(model.historySortOption(), HistorySortOption::lastCopyTime);
    EXPECT_FALSE(model.isHistorySortReversed());
    EXPECT_EQ(model.preferences(), AppPreferences());
    EXPECT_FALSE(model.isPaused());
    EXPECT_FALSE(model.lastError());
    EXPECT_FALSE(model.localizationRevision().isNull());
    EXPECT_NE(model.localizationRevision(), AppModel().localizationRevision());
    EXPECT_TRUE(model.filteredItems().isEmpty());
}

// Subscribers rebuild on every assignment, so an unchanged value is published all the same, and the member
// already holds the new value when its signal arrives.
TEST(AppModel, EveryAssignmentPublishes)
{
    AppModel model;
    SignalLog log(model);
    const struct
    {
        const char *signal;
        std::function<void()> assign;
    } cases[] = {
        {"items", [&] { model.setItems(model.items()); }},
        {"tags", [&] { model.setTags(model.tags()); }},
        {"selectedItemID", [&] { model.setSelectedItemID(model.selectedItemID()); }},
        {"selectedItemIDs", [&] { model.setSelectedItemIDs(model.selectedItemIDs()); }},
        {"selectionOrder", [&] { model.setSelectedItemIDsInSelectionOrder(model.selectedItemIDsInSelectionOrder()); }},
        {"searchQuery", [&] { model.setSearchQuery(model.searchQuery()); }},
        {"preferences", [&] { model.setPreferences(model.preferences()); }},
        {"historySortOption", [&] { model.setHistorySortOption(model.historySortOption()); }},
        {"isHistorySortReversed", [&] { model.setHistorySortReversed(model.isHistorySortReversed()); }},
        {"contentTypes",
            [&] { model.setSelectedHistoryFilterContentTypes(model.selectedHistoryFilterContentTypes()); }},
        {"tagIDs", [&] { model.setSelectedHistoryFilterTagIDs(model.selectedHistoryFilterTagIDs()); }},
        {"sourceApplicationIDs",
            [&] {
                model.setSelectedHistoryFilterSourceApplicationIDs(model.selectedHistoryFilterSourceApplicationIDs());
            }},
        {"isPaused", [&] { model.setPaused(model.isPaused()); }},
        {"lastError", [&] { model.setLastError(model.lastError()); }},
        {"localizationRevision", [&] { model.setLocalizationRevision(model.localizationRevision()); }},
    };
    for (const auto &c : cases) {
        c.assign();
        c.assign();
        EXPECT_EQ(log.take(), QStringLiteral("%1, %1").arg(QLatin1String(c.signal)));
    }

    model.clearHistoryFilters();
    EXPECT_EQ(log.take(), u"contentTypes, tagIDs, sourceApplicationIDs");

    QString seen;
    QObject::connect(&model, &AppModel::searchQueryChanged, &model,
        [&](const QString &query) { seen = query + u'|' + model.searchQuery(); });
    model.setSearchQuery(QStringLiteral("abc"));
    EXPECT_EQ(seen, u"abc|abc");
}

// The windows take the model's values on the main loop, through queued connections: every published type must
// travel through one.
TEST(AppModel, ValuesTravelThroughQueuedConnections)
{
    AppModel model;
    QObject receiver;
    QList<ClipboardItem> items;
    std::optional<QUuid> selected;
    QSet<HistoryFilterContentType> types;
    AppPreferences preferences;
    std::optional<QString> error;
    QObject::connect(
        &model, &AppModel::itemsChanged, &receiver, [&](const QList<ClipboardItem> &value) { items = value; },
        Qt::QueuedConnection);
    QObject::connect(
        &model, &AppModel::selectedItemIDChanged, &receiver,
        [&](const std::optional<QUuid> &value) { selected = value; }, Qt::QueuedConnection);
    QObject::connect(
        &model, &AppModel::selectedHistoryFilterContentTypesChanged, &receiver,
        [&](const QSet<HistoryFilterContentType> &value) { types = value; }, Qt::QueuedConnection);
    QObject::connect(
        &model, &AppModel::preferencesChanged, &receiver, [&](const AppPreferences &value) { preferences = value; },
        Qt::QueuedConnection);
    QObject::connect(
        &model, &AppModel::lastErrorChanged, &receiver, [&](const std::optional<QString> &value) { error = value; },
        Qt::QueuedConnection);

    AppPreferences changed;
    changed.maxHistoryItems = 12;
    model.setItems(testItems(2));
    model.setSelectedItemID(testId(2));
    model.setSelectedHistoryFilterContentTypes({HistoryFilterContentType::links});
    model.setPreferences(changed);
    model.setLastError(QStringLiteral("Disk full"));
    EXPECT_TRUE(items.isEmpty()); // not before the main loop runs
    EXPECT_TRUE(waitUntil([&] { return error.has_value(); }));
    EXPECT_EQ(numbersOf(items), (QList<int> {2, 1}));
    EXPECT_EQ(selected, testId(2));
    EXPECT_EQ(types, (QSet<HistoryFilterContentType> {HistoryFilterContentType::links}));
    EXPECT_EQ(preferences.maxHistoryItems, 12);
    EXPECT_EQ(error, u"Disk full"_qs);

    // The members are real properties too.
    EXPECT_EQ(model.property("selectedItemID").value<std::optional<QUuid>>(), testId(2));
    EXPECT_TRUE(model.setProperty("isPaused", true));
    EXPECT_TRUE(model.isPaused());
}

TEST(AppModel, SelectedItemAndItems)
{
    AppModel model;
    model.setItems(testItems(5)); // 5, 4, 3, 2, 1

    // Nothing selected: the first row of the list.
    EXPECT_EQ(model.selectedItem()->id, testId(5));
    EXPECT_EQ(numbersOf(model.selectedItems()), (QList<int> {5}));
    model.setHistorySortReversed(true);
    EXPECT_EQ(model.selectedItem()->id, testId(1));
    model.setSearchQuery(QStringLiteral("no such text"));
    EXPECT_FALSE(model.selectedItem());
    EXPECT_TRUE(model.selectedItems().isEmpty());
    model.setSearchQuery(QString());
    model.setHistorySortReversed(false);

    // A focus on an item that is gone gives nothing, not the first row.
    model.setSelectedItemID(testId(42));
    EXPECT_FALSE(model.selectedItem());
    EXPECT_TRUE(model.selectedItems().isEmpty());
    model.setSelectedItemID(testId(3));
    EXPECT_EQ(model.selectedItem()->id, testId(3));

    // The multi-selection in the order of selection, hidden items included.
    model.setSelectedItemIDs({testId(1), testId(4), testId(2)});
    model.setSelectedItemIDsInSelectionOrder({testId(2), testId(42), testId(5), testId(1), testId(4)});
    model.setSearchQuery(QStringLiteral("item 4"));
    EXPECT_EQ(numbersOf(model.selectedItems()), (QList<int> {2, 1, 4}));

    // Ids missing from the order list: the selected visible items in list order.
    model.setSearchQuery(QString());
    model.setSelectedItemIDsInSelectionOrder({testId(5)});
    EXPECT_EQ(numbersOf(model.selectedItems()), (QList<int> {4, 2, 1}));
    model.setSelectedItemIDs({testId(42)});
    EXPECT_TRUE(model.selectedItems().isEmpty());
}

TEST(AppModel, ActiveFiltersAreTheTokensOnly)
{
    AppModel model;
    model.setSearchQuery(QStringLiteral("needle"));
    EXPECT_FALSE(model.hasActiveHistoryFilters());
    model.setSelectedHistoryFilterTagIDs({3});
    EXPECT_TRUE(model.hasActiveHistoryFilters());
    model.clearHistoryFilters();
    model.setSelectedHistoryFilterContentTypes({HistoryFilterContentType::all});
    EXPECT_TRUE(model.hasActiveHistoryFilters());
    model.clearHistoryFilters();
    model.setSelectedHistoryFilterSourceApplicationIDs({QStringLiteral("name:editor")});
    EXPECT_TRUE(model.hasActiveHistoryFilters());
    model.clearHistoryFilters();
    EXPECT_FALSE(model.hasActiveHistoryFilters());
    EXPECT_EQ(model.searchQuery(), u"needle");
}

TEST(AppModel, TagNamesFollowTheGivenIds)
{
    AppModel model;
    model.setTags({{3, QStringLiteral("Work"), QStringLiteral("#3B85ED")}, {7, QStringLiteral("Home"), {}}});
    EXPECT_EQ(model.tagNames({3, 99, 3}), (QStringList {u"Work"_qs, u"Work"_qs}));
    EXPECT_EQ(model.tagNames({7, 3}), (QStringList {u"Home"_qs, u"Work"_qs}));
    EXPECT_TRUE(model.tagNames({}).isEmpty());
}
