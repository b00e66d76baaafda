#include "CoordinatorTestSupport.h"

namespace {

ClipboardItem favourite(int n)
{
    ClipboardItem item = testItem(n);
    item.isFavorite = true;
    return item;
}

} // namespace

TEST(CoordinatorWindows, TogglingOpensAHiddenWindowAndHidesAVisibleOne)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems(testItems(3));
    h.startWithHistoryWindow();
    h.log.events.clear();

    h.coordinator->toggleHistoryWindow();
    EXPECT_EQ(h.log.events, QStringList({QStringLiteral("history shown")}));
    EXPECT_EQ(h.monitor.lastCopySequencePasteTime(), h.clock.now());
    EXPECT_EQ(h.probe().pasteNextItemID(), testId(3));
    EXPECT_EQ(h.keyPoster.rememberedTargetCount(), 1);

    // A pinned window stays up while paste-next moves on; hiding it leaves the position where it is.
    h.changePreferences([](AppPreferences &p) { p.hideOnFocusLoss = false; });
    ASSERT_TRUE(h.pressHotKey(h.model.preferences().pasteNextShortcut));
    ASSERT_EQ(h.probe().pasteNextItemID(), testId(2));
    h.log.events.clear();
    h.clock.advance(1000);
    const QDateTime opened = h.monitor.lastCopySequencePasteTime();
    h.coordinator->toggleHistoryWindow();
    EXPECT_EQ(h.log.events, QStringList({QStringLiteral("history frame saved"), QStringLiteral("history hidden")}));
    EXPECT_EQ(h.probe().pasteNextItemID(), testId(2));
    EXPECT_EQ(h.monitor.lastCopySequencePasteTime(), opened);
}

TEST(CoordinatorWindows, TheShowHotKeyShowsAVisibleWindowAgainWithoutTogglingIt)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.coordinator->start();
    ASSERT_TRUE(h.pressHotKey(h.model.preferences().showHistoryShortcut));
    ASSERT_TRUE(h.pressHotKey(h.model.preferences().showHistoryShortcut));
    EXPECT_EQ(h.log.events,
        QStringList(
            {QStringLiteral("history created"), QStringLiteral("history shown"), QStringLiteral("history shown")}));
    EXPECT_TRUE(h.factory.history->isVisible());
    // The paste target was taken before our window came up, not from our window.
    EXPECT_EQ(h.keyPoster.rememberedTargetCount(), 1);
}

TEST(CoordinatorWindows, NothingOpensWhileAnArchiveOperationRuns)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.startWithHistoryWindow();
    h.log.events.clear();
    h.probe().setHistoryArchiveOperationRunning(true);
    h.coordinator->showHistoryWindow(false, false);
    h.coordinator->toggleHistoryWindow();
    ASSERT_TRUE(h.pressHotKey(h.model.preferences().showHistoryShortcut));
    EXPECT_TRUE(h.log.events.isEmpty());
    h.probe().setHistoryArchiveOperationRunning(false);
    h.coordinator->showHistoryWindow(false, false);
    EXPECT_EQ(h.log.events, QStringList({QStringLiteral("history shown")}));
}

// Paste-next starts at the first item it may paste: favourites pinned to the top are not among them.
TEST(CoordinatorWindows, OpeningResetsPasteNextToTheFirstItemItMayPaste)
{
    const struct
    {
        QList<ClipboardItem> items;
        bool pinFavorites;
        std::optional<int> expected;
    } cases[] = {
        {{favourite(3), testItem(2), testItem(1)}, true, 2},
        {{favourite(3), testItem(2), testItem(1)}, false, 3},
        {{favourite(2), favourite(1)}, true, std::nullopt},
        {{}, false, std::nullopt},
    };
    for (const auto &c : cases) {
        CoordinatorHarness h;
        h.storeOnboardedPreferences([&](AppPreferences &p) { p.pinFavoritesToTop = c.pinFavorites; });
        h.storeItems(c.items);
        h.coordinator->start();
        h.coordinator->showHistoryWindow(false, false);
        EXPECT_EQ(h.probe().pasteNextItemID(),
            c.expected ? std::optional<QUuid>(testId(*c.expected)) : std::optional<QUuid>());
    }
}

TEST(CoordinatorWindows, PinningFlipsHideOnFocusLossAndSavesIt)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.coordinator->start();
    h.coordinator->togglePin();
    EXPECT_FALSE(h.model.preferences().hideOnFocusLoss);
    EXPECT_FALSE(h.preferencesStore.load().hideOnFocusLoss);
    h.coordinator->togglePin();
    EXPECT_TRUE(h.preferencesStore.load().hideOnFocusLoss);
}

TEST(CoordinatorWindows, OpensTheSettingsAtTheAskedSection)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.coordinator->start();
    h.log.events.clear();

    h.coordinator->openSettings(SettingsSection::about);
    EXPECT_EQ(h.coordinator->settingsSection(), SettingsSection::about);
    h.coordinator->openSettings(SettingsSection::general);
    EXPECT_EQ(h.coordinator->settingsSection(), SettingsSection::general);
    const QStringList opening = {QStringLiteral("settings frame restored"), QStringLiteral("settings centred"),
        QStringLiteral("settings shown")};
    EXPECT_EQ(h.log.events, QStringList({QStringLiteral("settings created")}) + opening + opening);

    // Closing the window applies (and saves) the preferences.
    h.changePreferences([](AppPreferences &p) { p.playSoundOnCopy = false; });
    h.coordinator->settingsWindowDidClose();
    EXPECT_FALSE(h.preferencesStore.load().playSoundOnCopy);
}

TEST(CoordinatorWindows, ThePauseHotKeyPausesTheModelAndTheMonitor)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.coordinator->start();
    ASSERT_TRUE(h.pressHotKey(QStringLiteral("cmd+option+p")));
    EXPECT_TRUE(h.model.isPaused());
    EXPECT_TRUE(h.monitor.isPaused());
    ASSERT_TRUE(h.pressHotKey(QStringLiteral("cmd+option+p")));
    EXPECT_FALSE(h.model.isPaused());
    EXPECT_FALSE(h.monitor.isPaused());
}
