#include "TagCommands.h"
#include "CoordinatorTestSupport.h"

#include <QColor>

TEST(TagCommands, ColourTextIsSrgbHexWithoutAlpha)
{
    const struct
    {
        QColor color;
        const char *hex;
    } cases[] = {
        {QColor::fromRgbF(0.5f, 0.0f, 1.0f), "#8000FF"}, {QColor::fromRgb(0x3B, 0x85, 0xED, 0x10), "#3B85ED"},
        {QColor::fromHsv(0, 255, 255), "#FF0000"}, {QColor::fromCmykF(0.0f, 1.0f, 1.0f, 0.0f), "#FF0000"},
        {QColor(QColor::fromRgbF(1.2f, -0.1f, 0.5f)), "#FF0080"}, // extended range is clamped
    };
    for (const auto &c : cases)
        EXPECT_EQ(TagCommands::tagColorHex(c.color), QLatin1String(c.hex)) << c.hex;
}

// A name that exists (in any letter case) gives the existing tag with its own colour; a new one is appended.
TEST(TagCommands, CreateReusesATagOfTheSameName)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.coordinator->start();
    const auto work = h.coordinator->createTag(QStringLiteral("Work"), QColor(0x11, 0x22, 0x33));
    ASSERT_TRUE(work);
    EXPECT_EQ(work->color, QStringLiteral("#112233"));
    const auto again = h.coordinator->createTag(QStringLiteral("work"), Qt::red);
    EXPECT_EQ(again, work);
    const auto home = h.coordinator->createTag(QStringLiteral("Home"), Qt::blue);
    EXPECT_EQ(h.model.tags(), QList<Tag>({*work, *home}));

    h.faults.failOn(FaultInjectingStore::Operation::ensureTag);
    EXPECT_EQ(h.coordinator->createTag(QStringLiteral("Later"), Qt::green), std::nullopt);
    EXPECT_EQ(h.model.tags().size(), 2);
    EXPECT_EQ(h.model.lastError(), FaultInjectingStore::error().description());
}

// Tags on an item are kept in name order; toggling twice takes a tag off again, every copy of it.
TEST(TagCommands, ToggleAndAssignKeepTheItemsTagsInNameOrder)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    ClipboardItem doubled = testItem(2);
    doubled.tags = {1, 1};
    h.storeItems({testItem(1), doubled});
    h.coordinator->start();
    const qint64 beta = h.coordinator->createTag(QStringLiteral("beta"), Qt::red)->id;
    const qint64 alpha = h.coordinator->createTag(QStringLiteral("Alpha"), Qt::red)->id;
    const qint64 gamma = h.coordinator->createTag(QStringLiteral("gamma"), Qt::red)->id;

    const auto item = [&](int n) { return *h.storedItem(testId(n)); };
    for (const qint64 tag : {beta, alpha, gamma})
        h.coordinator->assignTag(item(1), tag);
    h.coordinator->assignTag(item(1), alpha);
    EXPECT_EQ(item(1).tags, QList<qint64>({alpha, beta, gamma}));
    EXPECT_TRUE(item(1).searchText.contains(QStringLiteral("Alpha beta gamma")));
    EXPECT_EQ(h.model.items().last(), item(1));

    h.coordinator->toggleTag(item(1), beta);
    EXPECT_EQ(item(1).tags, QList<qint64>({alpha, gamma}));
    h.coordinator->toggleTag(item(1), beta);
    h.coordinator->toggleTag(item(1), beta);
    EXPECT_EQ(item(1).tags, QList<qint64>({alpha, gamma}));
    h.coordinator->toggleTag(item(2), 1);
    EXPECT_TRUE(item(2).tags.isEmpty());
}

// Renaming and deleting reach every stored item that carries the tag, also those the list does not hold; a deleted
// tag also leaves the tag filter.
TEST(TagCommands, RenameAndDeleteReachEveryStoredItem)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences([](AppPreferences &p) { p.maxHistoryItems = 1; });
    ASSERT_TRUE(h.store.ensureTag(QStringLiteral("draft"), QStringLiteral("#000000")));
    ClipboardItem older = testItem(1);
    older.tags = {1};
    ClipboardItem newer = testItem(2);
    newer.tags = {1};
    h.storeItems(
        {older.refreshingSearchText({QStringLiteral("draft")}), newer.refreshingSearchText({QStringLiteral("draft")})});
    h.coordinator->start();
    ASSERT_EQ(h.model.items().size(), 1);

    h.coordinator->updateTag(1, QStringLiteral("final"), QColor(0xAB, 0xCD, 0xEF));
    EXPECT_EQ(h.model.tags(), QList<Tag>({Tag {1, QStringLiteral("final"), QStringLiteral("#ABCDEF")}}));
    EXPECT_TRUE(h.model.items().first().searchText.contains(QStringLiteral("final")));
    EXPECT_TRUE(h.storedItem(testId(1))->searchText.contains(QStringLiteral("final")));
    h.model.setSearchQuery(QStringLiteral("final"));
    EXPECT_EQ(h.model.filteredItems().size(), 1);

    h.model.setSelectedHistoryFilterTagIDs({1});
    h.coordinator->deleteTag(1);
    EXPECT_TRUE(h.model.tags().isEmpty());
    EXPECT_TRUE(h.model.selectedHistoryFilterTagIDs().isEmpty());
    EXPECT_TRUE(h.model.items().first().tags.isEmpty());
    EXPECT_FALSE(h.model.items().first().searchText.contains(QStringLiteral("final")));
    EXPECT_TRUE(h.storedItem(testId(1))->tags.isEmpty());
    EXPECT_FALSE(h.model.lastError());

    h.faults.failOn(FaultInjectingStore::Operation::deleteTag);
    ASSERT_TRUE(h.coordinator->createTag(QStringLiteral("kept"), Qt::red));
    h.coordinator->deleteTag(h.model.tags().first().id);
    EXPECT_EQ(h.model.tags().size(), 1);
    EXPECT_EQ(h.model.lastError(), FaultInjectingStore::error().description());
}
