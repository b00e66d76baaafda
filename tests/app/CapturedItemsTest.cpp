#include "CoordinatorTestSupport.h"

namespace {

PasteboardContent plainText(const QString &text)
{
    PasteboardContent content;
    content.setString(PasteboardType::plainText(), text);
    return content;
}

} // namespace

// The whole road: a copy on the pasteboard is stored by the monitor and reaches the front of the model as the
// selection, with the paste-next position reset and the copy sound played.
TEST(CapturedItems, ACopyReachesTheFrontOfTheModel)
{
    CoordinatorHarness h;
    // The stored items are older than the default retention; keep them out of the prune that follows the copy.
    h.storeOnboardedPreferences([](AppPreferences &p) { p.textRetentionDays = -1; });
    h.storeItems(testItems(2));
    h.coordinator->start();

    h.pasteboard.setContent(plainText(QStringLiteral("fresh copy")));
    h.monitor.checkPasteboard();
    ASSERT_TRUE(waitUntil([&] { return h.model.items().size() == 3; }));
    const ClipboardItem &front = h.model.items().first();
    EXPECT_EQ(front.text, QStringLiteral("fresh copy"));
    EXPECT_EQ(h.model.selectedItemID(), front.id);
    EXPECT_EQ(h.probe().pasteNextItemID(), front.id);
    EXPECT_EQ(h.storedItems().size(), 3);
    EXPECT_TRUE(h.sounds.isLoaded(SoundEffect::copy));
}

TEST(CapturedItems, TheCaptureReplacesItsEarlierEntriesAndTheModelKeepsItsLimit)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences([](AppPreferences &p) { p.maxHistoryItems = 3; });
    h.storeItems(testItems(3));
    h.coordinator->start();

    // A copy merged into item 2 comes back with item 2's id: it moves to the front, the list does not grow.
    ClipboardItem merged = testItem(2);
    merged.copyCount = 2;
    h.coordinator->pasteboardMonitorDidCapture(merged, {});
    EXPECT_EQ(numbersOf(h.model.items()), QList<int>({2, 3, 1}));
    EXPECT_EQ(h.model.items().first().copyCount, 2);

    // The same kind and content under another id replaces the older entry too.
    ClipboardItem sameContent = testItem(7, QStringLiteral("item 3"));
    h.coordinator->pasteboardMonitorDidCapture(sameContent, {});
    EXPECT_EQ(numbersOf(h.model.items()), QList<int>({7, 2, 1}));

    // A new capture enters at the front; the last item leaves the model, not the store.
    h.coordinator->pasteboardMonitorDidCapture(testItem(8), {});
    EXPECT_EQ(numbersOf(h.model.items()), QList<int>({8, 7, 2}));
    EXPECT_EQ(h.model.selectedItemIDs(), QSet<QUuid>({testId(8)}));
    EXPECT_TRUE(h.storedItem(testId(1)));
}

TEST(CapturedItems, ResavedItemsAreReplacedBeforeTheCaptureIsInserted)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems(testItems(2));
    h.coordinator->start();

    ClipboardItem resaved = testItem(1);
    resaved.copySequenceID = testTime(1);
    resaved.copySequenceOrder = 0;
    ClipboardItem captured = testItem(3);
    captured.copySequenceID = testTime(1);
    captured.copySequenceOrder = 1;
    h.coordinator->pasteboardMonitorDidCapture(captured, {resaved});
    EXPECT_EQ(numbersOf(h.model.items()), QList<int>({3, 2, 1}));
    EXPECT_EQ(h.model.items().last().copySequenceOrder, 0);
}

TEST(CapturedItems, WithoutTheCopySoundTheModelIsStillUpdated)
{
    for (const bool masterSwitch : {false, true}) {
        CoordinatorHarness h;
        h.storeOnboardedPreferences([&](AppPreferences &p) {
            p.soundEffectsEnabled = masterSwitch;
            p.playSoundOnCopy = !masterSwitch;
        });
        h.coordinator->start();
        h.coordinator->pasteboardMonitorDidCapture(testItem(1), {});
        EXPECT_EQ(numbersOf(h.model.items()), QList<int>({1}));
        EXPECT_EQ(h.probe().pasteNextItemID(), testId(1));
        EXPECT_FALSE(h.sounds.isLoaded(SoundEffect::copy));
    }
}

TEST(CapturedItems, WhatPruningRemovedLeavesTheModel)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems(testItems(3));
    h.coordinator->start();
    h.coordinator->pasteboardMonitorDidPrune({{testId(1), testId(2), testId(9)}, {}});
    EXPECT_EQ(numbersOf(h.model.items()), QList<int>({3}));
}

TEST(CapturedItems, RecognisedTextUpdatesOnlyItemsStillInTheModel)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems(testItems(2));
    h.coordinator->start();

    ClipboardItem recognised = testItem(1);
    recognised.text = QStringLiteral("text found in the image");
    h.coordinator->pasteboardMonitorDidUpdate(recognised);
    EXPECT_EQ(h.model.items().last().text, QStringLiteral("text found in the image"));

    h.coordinator->pasteboardMonitorDidUpdate(testItem(5)); // deleted meanwhile
    EXPECT_EQ(numbersOf(h.model.items()), QList<int>({2, 1}));
}

// A copy too large to keep is published on the model (for the history window's notice line) until a later copy is
// kept or the user dismisses the notice; its text follows the interface language.
TEST(CapturedItems, ACopyTooLargeToKeepIsPublishedUntilALaterOneIsKeptOrTheNoticeIsDismissed)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.coordinator->start();
    int changes = 0;
    QObject::connect(&h.model, &AppModel::refusedCopyLimitChanged, [&] { ++changes; });
    const OversizedContent image {QStringLiteral("image/png"), 75 * 1024 * 1024, 64 * 1024 * 1024};
    const auto refuseACopy = [&] {
        h.pasteboard.setContent(PasteboardContent(), image); // all of it left out for its size
        h.monitor.checkPasteboard();
        return waitUntil([&] { return h.model.refusedCopyLimit().has_value(); });
    };

    ASSERT_TRUE(refuseACopy());
    EXPECT_EQ(h.model.refusedCopyLimit(), std::optional<qint64>(64 * 1024 * 1024));
    EXPECT_EQ(h.model.refusedCopyNotice(),
        std::optional(
            QStringLiteral("The copy was not kept: copies larger than 64 MB are not taken into the history.")));
    EXPECT_GE(changes, 1);
    EXPECT_TRUE(h.model.items().isEmpty());
    h.changePreferences([](AppPreferences &p) { p.language = QStringLiteral("de"); });
    h.coordinator->applyPreferences();
    EXPECT_EQ(h.model.refusedCopyNotice(),
        std::optional(
            QStringLiteral("Die Kopie wurde nicht übernommen: Kopien über 64 MB nimmt der Verlauf nicht auf.")));

    // A later copy that is kept clears it.
    h.pasteboard.setContent(plainText(QStringLiteral("a small copy")));
    h.monitor.checkPasteboard();
    ASSERT_TRUE(waitUntil([&] { return h.model.items().size() == 1; }));
    EXPECT_EQ(h.model.refusedCopyLimit(), std::nullopt);
    EXPECT_EQ(h.model.refusedCopyNotice(), std::nullopt);

    // Refused again, then dismissed.
    ASSERT_TRUE(refuseACopy());
    h.coordinator->dismissCaptureNotice();
    EXPECT_EQ(h.model.refusedCopyLimit(), std::nullopt);
    EXPECT_EQ(h.coordinator->captureNotice(), std::nullopt);
}
