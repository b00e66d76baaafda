#include "CoordinatorTestSupport.h"

#include "KeyboardCodes.h"

namespace {

const MemoryKeyPoster::Press ctrlV {VirtualKey::v, KeyEventFlag::command};

std::optional<QString> pastedText(const MemoryPasteboard &pasteboard)
{
    const auto data = pasteboard.content().data(PasteboardType::plainText());
    return data ? std::optional<QString>(QString::fromUtf8(*data)) : std::nullopt;
}

} // namespace

TEST(Paste, WritesTheItemPostsCtrlVAndCountsTheCopy)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems(testItems(2));
    h.coordinator->start();
    h.coordinator->showHistoryWindow(false, false);
    h.clock.advance(5000);

    h.coordinator->paste(h.model.items().last(), PasteVariant::plainText);
    EXPECT_EQ(pastedText(h.pasteboard), QStringLiteral("item 1"));
    EXPECT_TRUE(h.pasteboard.content().hasType(PasteboardType::varnistoMarker()));
    EXPECT_EQ(h.keyPoster.presses(), QList<MemoryKeyPoster::Press>({ctrlV}));
    EXPECT_EQ(h.log.events.last(), QStringLiteral("history hidden for paste"));
    EXPECT_EQ(h.monitor.lastCopySequencePasteTime(), h.clock.now());
    // The copy is counted in the store and in the model, and the item counts as copied now.
    const auto stored = h.storedItem(testId(1));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->copyCount, 2);
    EXPECT_EQ(stored->copiedAt, h.clock.now());
    EXPECT_EQ(h.model.items().last().copyCount, 2);
    EXPECT_TRUE(h.sounds.isLoaded(SoundEffect::paste));
    EXPECT_FALSE(h.model.lastError());
}

// With the history following actions off, or in copy-sequence mode, a paste counts but keeps the copy time.
TEST(Paste, TheCopyTimeMovesOnlyWhenTheHistoryFollowsActions)
{
    const struct
    {
        bool follow;
        bool sequence;
        bool moves;
    } cases[] = {{true, false, true}, {false, false, false}, {true, true, false}};
    for (const auto &c : cases) {
        CoordinatorHarness h;
        h.storeOnboardedPreferences([&](AppPreferences &p) {
            p.updateHistoryAfterAction = c.follow;
            p.copySequenceModeEnabled = c.sequence;
        });
        h.storeItems(testItems(1));
        h.coordinator->start();
        h.coordinator->paste(h.model.items().first(), PasteVariant::standard);
        const auto stored = h.storedItem(testId(1));
        ASSERT_TRUE(stored);
        EXPECT_EQ(stored->copyCount, 2);
        EXPECT_EQ(stored->copiedAt, c.moves ? h.clock.now() : testTime(1));
    }
}

TEST(Paste, WithoutSyntheticKeyInputNothingIsWrittenAndTheUserIsTold)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences([](AppPreferences &p) { p.hideOnFocusLoss = false; });
    h.storeItems(testItems(1));
    h.coordinator->start();
    h.keyPoster.setTrusted(false);
    h.coordinator->showHistoryWindow(false, false);

    h.coordinator->paste(h.model.items().first(), PasteVariant::standard);
    EXPECT_EQ(h.pasteboard.writeCount(), 0);
    EXPECT_TRUE(h.keyPoster.presses().isEmpty());
    EXPECT_EQ(
        h.model.lastError(), PasteServiceError(PasteServiceError::accessibilityPermissionRequired).errorDescription());
    ASSERT_EQ(h.alerts.shown.size(), 1);
    EXPECT_TRUE(h.alerts.shown.first().contains(QStringLiteral("XTEST")));
    EXPECT_TRUE(h.factory.history->isVisible()); // pinned: it stays
    EXPECT_EQ(h.storedItem(testId(1))->copyCount, 1);
}

TEST(Paste, AnItemThatCannotBeWrittenIsReportedWithoutAnAlert)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.coordinator->start();
    ClipboardItem image = testItem(1);
    image.kind = ClipboardKind::image;
    image.assetPath = h.supportDirectory + QStringLiteral("/Images/missing.png");
    h.coordinator->paste(image, PasteVariant::standard);
    EXPECT_EQ(h.model.lastError(), PasteServiceError(PasteServiceError::unsupportedItem).errorDescription());
    EXPECT_TRUE(h.alerts.shown.isEmpty());
    EXPECT_TRUE(h.keyPoster.presses().isEmpty());
}

// Paste-next walks the list as it was when its position was reset, wrapping at the end, and selects the next item
// each time; a pasted item moving to the top does not change the walk.
TEST(Paste, PasteNextWalksTheListAndWraps)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems(testItems(3));
    h.coordinator->start();
    h.probe().resetPasteNextItem();

    QStringList pasted;
    for (int press = 0; press < 4; ++press) {
        h.clock.advance(1000);
        ASSERT_TRUE(h.pressHotKey(h.model.preferences().pasteNextShortcut));
        pasted.append(*pastedText(h.pasteboard));
        EXPECT_EQ(h.model.selectedItemIDs(), QSet<QUuid>({*h.probe().pasteNextItemID()}));
    }
    EXPECT_EQ(pasted,
        QStringList(
            {QStringLiteral("item 3"), QStringLiteral("item 2"), QStringLiteral("item 1"), QStringLiteral("item 3")}));
}

TEST(Paste, PasteNextLeavesFavouritesOutWhileTheyArePinned)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    ClipboardItem pinned = testItem(2);
    pinned.isFavorite = true;
    h.storeItems({pinned, testItem(1)});
    h.coordinator->start();
    h.probe().resetPasteNextItem();
    ASSERT_TRUE(h.pressHotKey(h.model.preferences().pasteNextShortcut));
    ASSERT_TRUE(h.pressHotKey(h.model.preferences().pasteNextShortcut));
    EXPECT_EQ(h.keyPoster.presses().size(), 2);
    EXPECT_EQ(pastedText(h.pasteboard), QStringLiteral("item 1"));
    EXPECT_EQ(h.storedItem(testId(2))->copyCount, 1);
}

namespace {

// Items 1 to 4: 1 plain with an image and a link preview, 2 a favourite, 3 tagged, 4 plain.
void storeClearingFixture(CoordinatorHarness &h)
{
    const QString support = h.supportDirectory;
    ClipboardItem image = testItem(1);
    image.kind = ClipboardKind::image;
    image.assetPath = support + QStringLiteral("/Images/one.png");
    writeFile(*image.assetPath);
    ClipboardItem favourite = testItem(2);
    favourite.isFavorite = true;
    favourite.kind = ClipboardKind::link;
    favourite.text = QStringLiteral("https://example.com/kept");
    LinkPreviewDetails keptPreview;
    keptPreview.url = *favourite.text;
    keptPreview.imagePath = support + QStringLiteral("/LinkPreviews/kept-preview.png");
    keptPreview.fetchedAt = testTime(2);
    favourite.linkPreviewDetails = keptPreview;
    writeFile(*keptPreview.imagePath);
    ClipboardItem tagged = testItem(3);
    tagged.tags = {1};
    ClipboardItem link = testItem(4);
    link.kind = ClipboardKind::link;
    link.text = QStringLiteral("https://example.com/gone");
    LinkPreviewDetails gonePreview;
    gonePreview.url = *link.text;
    gonePreview.imagePath = support + QStringLiteral("/LinkPreviews/gone-preview.png");
    gonePreview.faviconPath = support + QStringLiteral("/LinkPreviews/gone-favicon.png");
    gonePreview.fetchedAt = testTime(4);
    link.linkPreviewDetails = gonePreview;
    writeFile(*gonePreview.imagePath);
    writeFile(*gonePreview.faviconPath);
    h.storeItems({image, favourite, tagged, link});
}

} // namespace

TEST(ClearHistory, KeepsFavouritesAndTaggedItemsWhenAskedAndRemovesTheFilesOfTheRest)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences([](AppPreferences &p) { p.keepFavoritesOnClearHistory = true; });
    storeClearingFixture(h);
    h.coordinator->start();

    h.coordinator->clearHistory();
    EXPECT_EQ(numbersOf(h.model.items()), QList<int>({3, 2}));
    EXPECT_EQ(h.storedItems().size(), 2);
    EXPECT_FALSE(QFile::exists(h.supportDirectory + QStringLiteral("/Images/one.png")));
    EXPECT_EQ(QDir(h.supportDirectory + QStringLiteral("/LinkPreviews")).entryList(QDir::Files),
        QStringList({QStringLiteral("kept-preview.png")}));
    EXPECT_TRUE(h.alerts.shown.isEmpty());
}

TEST(ClearHistory, ClearsEverythingOtherwise)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences([](AppPreferences &p) { p.keepFavoritesOnClearHistory = false; });
    storeClearingFixture(h);
    h.coordinator->start();

    h.coordinator->clearHistory();
    EXPECT_TRUE(h.model.items().isEmpty());
    EXPECT_TRUE(h.storedItems().isEmpty());
    EXPECT_FALSE(QFile::exists(h.supportDirectory + QStringLiteral("/LinkPreviews")));
    EXPECT_TRUE(QDir(h.supportDirectory + QStringLiteral("/Images")).isEmpty());
    EXPECT_EQ(h.model.selectedItemID(), std::nullopt);
}

// The model follows the clear's rule, not only the rows the store reported: an item whose row went behind the model's
// back leaves the list too, and with favourites kept exactly the favourites and tagged items stay.
TEST(ClearHistory, TheModelKeepsExactlyWhatTheRuleKeeps)
{
    for (const bool keep : {true, false}) {
        SCOPED_TRACE(keep ? "keeping favourites" : "clearing everything");
        CoordinatorHarness h;
        h.storeOnboardedPreferences([&](AppPreferences &p) { p.keepFavoritesOnClearHistory = keep; });
        storeClearingFixture(h);
        h.storeItems({testItem(5)});
        h.coordinator->start();
        ASSERT_TRUE(h.store.deleteItem(testId(5)));

        h.coordinator->clearHistory();
        EXPECT_EQ(numbersOf(h.model.items()), keep ? QList<int>({3, 2}) : QList<int>());
        EXPECT_EQ(h.storedItems().size(), keep ? 2 : 0);
        EXPECT_FALSE(h.model.lastError());
    }
}

// A clear by hand asks first while warnOnClearHistory is on; the text says what stays.
TEST(ClearHistory, TheConfirmationAsksOnlyWhenWarningIsOn)
{
    const struct
    {
        bool warn;
        bool keep;
        bool answer;
        bool asked;
        bool confirmed;
        const char *says;
    } cases[] = {
        {false, true, false, false, true, ""},
        {true, true, false, true, false, "except favorites"},
        {true, false, true, true, true, "including favorites"},
    };
    for (const auto &c : cases) {
        CoordinatorHarness h;
        h.storeOnboardedPreferences([&](AppPreferences &p) {
            p.warnOnClearHistory = c.warn;
            p.keepFavoritesOnClearHistory = c.keep;
        });
        h.coordinator->start();
        h.alerts.answer = c.answer;
        EXPECT_EQ(h.coordinator->confirmClearHistory(), c.confirmed);
        ASSERT_EQ(h.alerts.shown.size(), c.asked ? 1 : 0);
        if (c.asked) {
            EXPECT_TRUE(h.alerts.shown.first().contains(QLatin1String(c.says)));
            EXPECT_TRUE(h.alerts.shown.first().endsWith(QStringLiteral("|Delete All|Cancel")));
        }
    }
}
