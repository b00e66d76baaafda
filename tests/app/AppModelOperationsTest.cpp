#include "AppModelTestSupport.h"

namespace {

QList<QUuid> ids(std::initializer_list<int> numbers)
{
    QList<QUuid> result;
    for (const int n : numbers)
        result.append(testId(n));
    return result;
}

QSet<QUuid> idSet(std::initializer_list<int> numbers)
{
    const QList<QUuid> list = ids(numbers);
    return QSet<QUuid>(list.cbegin(), list.cend());
}

} // namespace

// Five visible rows 5, 4, 3, 2, 1 (row 1 is item 5). After a removal the focus moves to the next row that stays,
// else to the nearest one above.
TEST(ModelOperations, RemovingTheFocusedItemFocusesItsNeighbour)
{
    const struct
    {
        int focused;
        QList<int> removed;
        std::optional<int> focus;
        QList<int> remaining;
    } cases[] = {
        {3, {3}, 2, {5, 4, 2, 1}}, // the third of five rows: the fourth
        {1, {1}, 2, {5, 4, 3, 2}}, // the last row: the one before it
        {4, {4, 3}, 2, {5, 2, 1}}, // rows 2 and 3 with row 2 focused: row 4
        {2, {2, 1}, 3, {5, 4, 3}}, // the last two: the row above them
        {3, {5, 4, 3, 2, 1}, std::nullopt, {}},
    };
    for (const auto &c : cases) {
        AppModel model;
        model.setItems(testItems(5));
        model.setSelectedItemID(testId(c.focused));
        model.setSelectedItemIDs(idSet({1, 5}) + QSet<QUuid> {testId(c.focused)});
        model.setSelectedItemIDsInSelectionOrder(ids({5, 1}) + QList<QUuid> {testId(c.focused)});
        QSet<QUuid> removed;
        for (const int n : c.removed)
            removed.insert(testId(n));
        model.removeItems(removed);
        EXPECT_EQ(numbersOf(model.items()), c.remaining);
        const std::optional<QUuid> focus = c.focus ? std::optional<QUuid>(testId(*c.focus)) : std::nullopt;
        EXPECT_EQ(model.selectedItemID(), focus) << c.focused;
        // The rest of the multi-selection goes with the focus.
        EXPECT_EQ(model.selectedItemIDs(), focus ? QSet<QUuid> {*focus} : QSet<QUuid>());
        EXPECT_EQ(model.selectedItemIDsInSelectionOrder(), focus ? QList<QUuid> {*focus} : QList<QUuid>());
    }
}

TEST(ModelOperations, RemovingAHiddenFocusedItemFocusesTheFirstRowLeft)
{
    AppModel model;
    model.setItems(testItems(5));
    model.setSearchQuery(QStringLiteral("item 2"));
    model.setSelectedItemID(testId(4)); // hidden by the search
    model.removeItems(idSet({4, 2}));
    EXPECT_FALSE(model.selectedItemID());
    model.setSearchQuery(QString());
    model.setSelectedItemID(testId(3));
    model.setSearchQuery(QStringLiteral("item 1"));
    model.removeItems(idSet({3}));
    EXPECT_EQ(model.selectedItemID(), testId(1));
}

TEST(ModelOperations, RemovingAnUnfocusedItemKeepsTheSelection)
{
    AppModel model;
    model.setItems(testItems(5));
    model.setSelectedItemID(testId(2));
    model.setSelectedItemIDs(idSet({2, 3, 4}));
    model.setSelectedItemIDsInSelectionOrder(ids({4, 2, 3}));
    SignalLog log(model);

    model.removeItems({});
    EXPECT_EQ(log.take(), u"");
    model.removeItems(idSet({77}));
    EXPECT_EQ(log.take(), u"items, selectedItemIDs, selectionOrder");
    EXPECT_EQ(model.items().size(), 5);

    model.removeItems(idSet({3}));
    EXPECT_EQ(log.take(), u"items, selectedItemIDs, selectionOrder");
    EXPECT_EQ(model.selectedItemID(), testId(2));
    EXPECT_EQ(model.selectedItemIDs(), idSet({2, 4}));
    EXPECT_EQ(numbersOf(model.selectedItemIDsInSelectionOrder()), (QList<int> {4, 2}));

    model.removeItems(idSet({2}));
    EXPECT_EQ(log.take(), u"items, selectedItemIDs, selectionOrder, selectedItemID, selectedItemIDs, selectionOrder");
    EXPECT_EQ(model.selectedItemID(), testId(1));
}

TEST(ModelOperations, UpsertReplacesTheSameContentAndSelectsIt)
{
    AppModel model;
    model.setItems({testItem(3, QStringLiteral("alpha")), testItem(2, QStringLiteral("beta")),
        testItem(1, QStringLiteral("alpha"))});
    model.setSelectedItemIDs(idSet({2, 3}));
    SignalLog log(model);

    // The same kind and content under a new id replaces both older copies.
    model.upsertItem(testItem(4, QStringLiteral("alpha")));
    EXPECT_EQ(log.take(), u"items, items, selectedItemID, selectedItemIDs, selectionOrder");
    EXPECT_EQ(numbersOf(model.items()), (QList<int> {4, 2}));
    EXPECT_EQ(model.selectedItemID(), testId(4));
    EXPECT_EQ(model.selectedItemIDs(), idSet({4}));
    EXPECT_EQ(numbersOf(model.selectedItemIDsInSelectionOrder()), (QList<int> {4}));

    // The same content of another kind is another item.
    ClipboardItem link = testItem(5, QStringLiteral("beta"));
    link.kind = ClipboardKind::link;
    model.upsertItem(link);
    EXPECT_EQ(numbersOf(model.items()), (QList<int> {5, 4, 2}));

    // The same id moves to the front with its new content.
    model.upsertItem(testItem(2, QStringLiteral("gamma")));
    EXPECT_EQ(numbersOf(model.items()), (QList<int> {2, 5, 4}));
    EXPECT_EQ(model.items().first().text, u"gamma"_qs);

    // Links are the same content when their addresses are.
    ClipboardItem first = testItem(6, QStringLiteral("https://Example.org/page#top")),
                  second = testItem(7, QStringLiteral("https://example.org/page"));
    first.kind = second.kind = ClipboardKind::link;
    model.upsertItem(first.refreshingSearchText({}));
    model.upsertItem(second.refreshingSearchText({}));
    EXPECT_EQ(numbersOf(model.items()), (QList<int> {7, 2, 5, 4}));
}

TEST(ModelOperations, UpdateKeepsThePlaceOrActsAsUpsert)
{
    AppModel model;
    model.setItems(testItems(4)); // 4, 3, 2, 1
    model.setSelectedItemID(testId(1));
    SignalLog log(model);

    ClipboardItem changed = testItem(3, QStringLiteral("changed"));
    model.updateItem(changed);
    EXPECT_EQ(log.take(), u"items, items");
    EXPECT_EQ(numbersOf(model.items()), (QList<int> {4, 3, 2, 1}));
    EXPECT_EQ(model.items().at(1).text, u"changed"_qs);
    EXPECT_EQ(model.selectedItemID(), testId(1));

    // An id that is loaded twice is left once, where it was first.
    model.setItems({testItem(1), testItem(2), testItem(1, QStringLiteral("again"))});
    model.updateItem(testItem(1, QStringLiteral("once")));
    EXPECT_EQ(numbersOf(model.items()), (QList<int> {1, 2}));
    EXPECT_EQ(model.items().at(0).text, u"once"_qs);
    log.take();

    model.updateItem(testItem(9));
    EXPECT_EQ(log.take(), u"items, items, selectedItemID, selectedItemIDs, selectionOrder");
    EXPECT_EQ(numbersOf(model.items()), (QList<int> {9, 1, 2}));
    EXPECT_EQ(model.selectedItemID(), testId(9));
}

TEST(ModelOperations, TrimKeepsTheFront)
{
    AppModel model;
    model.setItems(testItems(5));
    model.setSelectedItemID(testId(1));
    SignalLog log(model);
    model.trimItems(5);
    model.trimItems(9);
    EXPECT_EQ(log.take(), u"");
    model.trimItems(3);
    EXPECT_EQ(log.take(), u"items");
    EXPECT_EQ(numbersOf(model.items()), (QList<int> {5, 4, 3}));
    EXPECT_EQ(model.selectedItemID(), testId(1)); // not repaired

    // A limit of 0 or less keeps the default number rather than nothing.
    model.setItems(testItems(5001));
    model.trimItems(0);
    EXPECT_EQ(model.items().size(), 5000);
    model.setItems(testItems(5001));
    model.trimItems(-3);
    EXPECT_EQ(model.items().size(), 5000);
    EXPECT_EQ(testNumber(model.items().first().id), 5001);
}

TEST(ModelOperations, BatchedUpdates)
{
    AppModel model;
    model.setItems(testItems(3)); // 3, 2, 1
    SignalLog log(model);
    model.applyItemUpdates({});
    EXPECT_EQ(log.take(), u"");

    model.applyItemUpdates({testItem(2, QStringLiteral("first")), testItem(8, QStringLiteral("gone")),
        testItem(2, QStringLiteral("second")), testItem(9), testItem(8, QStringLiteral("twice"))});
    EXPECT_EQ(log.take(), u"items");
    // Updates of items no longer loaded come back at the front, in their order, repeats included.
    EXPECT_EQ(numbersOf(model.items()), (QList<int> {8, 9, 8, 3, 2, 1}));
    EXPECT_EQ(model.items().at(4).text, u"second"_qs);
}

TEST(ModelOperations, SourceApplicationTokensFollowTheItems)
{
    ClipboardItem fromEditor = testItem(1), fromTerminal = testItem(2), fromTerminalToo = testItem(3);
    fromEditor.sourceAppName = QStringLiteral("Editor");
    fromTerminal.sourceAppName = QStringLiteral("Terminal");
    fromTerminalToo.sourceAppName = QStringLiteral("terminal ");
    AppModel model;
    model.setItems({fromTerminalToo, fromTerminal, fromEditor});
    model.setSelectedHistoryFilterSourceApplicationIDs({u"name:editor"_qs, u"name:terminal"_qs});
    SignalLog log(model);

    model.removeItems(idSet({2}));
    EXPECT_EQ(log.take(), u"items, selectedItemIDs, selectionOrder");
    model.removeItems(idSet({1}));
    EXPECT_EQ(log.take(), u"items, sourceApplicationIDs, selectedItemIDs, selectionOrder");
    EXPECT_EQ(model.selectedHistoryFilterSourceApplicationIDs(), QSet<QString> {u"name:terminal"_qs});

    ClipboardItem renamed = fromTerminalToo;
    renamed.sourceAppName = QStringLiteral("Shell");
    model.updateItem(renamed);
    EXPECT_EQ(log.take(), u"items, items, sourceApplicationIDs");
    EXPECT_TRUE(model.selectedHistoryFilterSourceApplicationIDs().isEmpty());
    EXPECT_FALSE(model.hasActiveHistoryFilters());
}

// Callers may hand the model its own members.
TEST(ModelOperations, OwnMembersAsArguments)
{
    AppModel model;
    model.setItems(testItems(4)); // 4, 3, 2, 1
    model.setItems(model.items());
    EXPECT_EQ(numbersOf(model.items()), (QList<int> {4, 3, 2, 1}));

    model.upsertItem(model.items().last());
    EXPECT_EQ(numbersOf(model.items()), (QList<int> {1, 4, 3, 2}));
    EXPECT_EQ(model.items().first().text, u"item 1"_qs);

    model.updateItem(model.items().at(2));
    EXPECT_EQ(numbersOf(model.items()), (QList<int> {1, 4, 3, 2}));
    EXPECT_EQ(model.items().at(2).text, u"item 3"_qs);

    model.applyItemUpdates(model.items());
    EXPECT_EQ(numbersOf(model.items()), (QList<int> {1, 4, 3, 2}));

    model.setSelectedItemIDs(idSet({4, 3}));
    model.setSelectedItemID(testId(4));
    model.removeItems(model.selectedItemIDs());
    EXPECT_EQ(numbersOf(model.items()), (QList<int> {1, 2}));
    EXPECT_EQ(model.selectedItemID(), testId(2));
}
