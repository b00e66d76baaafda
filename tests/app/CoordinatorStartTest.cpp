#include "CoordinatorTestSupport.h"

#include "RebootCheck.h"

#include <QApplication>
#include <QPalette>

namespace {

const QStringList defaultHotKeys = {
    CoordinatorHarness::registrationOf(1, QStringLiteral("cmd+option+v")),
    CoordinatorHarness::registrationOf(2, QStringLiteral("cmd+option+p")),
    CoordinatorHarness::registrationOf(3, QStringLiteral("control+v")),
    CoordinatorHarness::registrationOf(4, QStringLiteral("shift+control+v")),
};

} // namespace

// A first launch: defaults, the steps in their order, and onboarding in front of a hidden history window.
TEST(CoordinatorStart, AFirstLaunchRunsTheStepsInOrderAndShowsOnboarding)
{
    CoordinatorHarness h;
    h.storeItems({testItem(1)});
    QStringList seen;
    h.log.observer = [&](const QString &event) {
        // What the earlier steps had done when the window steps ran.
        seen.append(QStringLiteral("%1: items %2, boot %3, hot keys %4, monitor %5")
                        .arg(event)
                        .arg(h.model.items().size())
                        .arg(yesNo(QSettings(h.settingsFile, QSettings::IniFormat).contains(RebootCheck::bootTimeKey)))
                        .arg(h.hotKeys.registrations().size())
                        .arg(yesNo(h.monitor.isRunning() && h.monitor.delegate() == h.coordinator.get())));
    };

    h.coordinator->start();
    // The history window is made on a later turn of the event loop, once captures run.
    EXPECT_TRUE(waitUntil([&] { return h.factory.history != nullptr; }));
    h.log.observer = nullptr;

    EXPECT_EQ(seen,
        QStringList({
            QStringLiteral("onboarding created: items 1, boot true, hot keys 4, monitor true"),
            QStringLiteral("onboarding centred: items 1, boot true, hot keys 4, monitor true"),
            QStringLiteral("onboarding shown: items 1, boot true, hot keys 4, monitor true"),
            QStringLiteral("history created: items 1, boot true, hot keys 4, monitor true"),
        }));
    EXPECT_EQ(h.registeredShortcuts(), defaultHotKeys);
    EXPECT_EQ(h.model.preferences(), AppPreferences());
    EXPECT_FALSE(h.factory.history->isVisible());
    // Nothing to migrate in the defaults: nothing saved.
    EXPECT_TRUE(h.storedPreferenceDocument().isEmpty());
    EXPECT_EQ(h.model.selectedItemID(), testId(1));
}

TEST(CoordinatorStart, AfterOnboardingTheHistoryWindowOpensAtStartOnlyWhenAsked)
{
    for (const bool showAtStartup : {false, true}) {
        CoordinatorHarness h;
        h.storeOnboardedPreferences([&](AppPreferences &p) { p.showMainWindowAtStartup = showAtStartup; });
        h.coordinator->start();
        // Shown at start, the window is made at once; otherwise on a later turn of the event loop.
        EXPECT_EQ(h.log.events,
            showAtStartup ? QStringList({QStringLiteral("history created"), QStringLiteral("history shown")})
                          : QStringList());
        EXPECT_TRUE(waitUntil([&] { return h.factory.history != nullptr; }));
        const QStringList expected = showAtStartup
            ? QStringList({QStringLiteral("history created"), QStringLiteral("history shown")})
            : QStringList({QStringLiteral("history created")});
        EXPECT_EQ(h.log.events, expected);
        EXPECT_EQ(h.keyPoster.rememberedTargetCount(), showAtStartup ? 1 : 0);
    }
}

TEST(CoordinatorStart, CompletingOnboardingSavesItAndOpensTheHistory)
{
    CoordinatorHarness h;
    h.startWithHistoryWindow();
    h.log.events.clear();

    h.coordinator->completeOnboarding();
    EXPECT_EQ(h.probe().onboardingWindow(), nullptr);
    EXPECT_TRUE(h.preferencesStore.load().hasCompletedOnboarding);
    EXPECT_EQ(h.log.events,
        QStringList({QStringLiteral("onboarding closed"), QStringLiteral("history shown after activation")}));
    // The window goes once the button that completed onboarding has returned.
    EXPECT_TRUE(waitUntil([&] { return h.log.events.contains(QStringLiteral("onboarding gone")); }));
}

TEST(CoordinatorStart, ClosingOnboardingByHandLeavesItIncomplete)
{
    CoordinatorHarness h;
    h.coordinator->start();
    h.coordinator->onboardingWindowDidClose(h.probe().onboardingWindow());
    EXPECT_EQ(h.probe().onboardingWindow(), nullptr);
    EXPECT_FALSE(h.model.preferences().hasCompletedOnboarding);
    EXPECT_FALSE(h.preferencesStore.load().hasCompletedOnboarding);
    EXPECT_FALSE(h.log.events.contains(QStringLiteral("history shown")));
}

TEST(CoordinatorStart, RestoresTheSortOptionFromItsStoredTitle)
{
    const struct
    {
        QString stored;
        bool reversed;
        HistorySortOption expected;
    } cases[] = {
        {QStringLiteral("Number of Copies"), true, HistorySortOption::numberOfCopies},
        {QStringLiteral("First Copy Time"), false, HistorySortOption::firstCopyTime},
        {QStringLiteral("number of copies"), false, HistorySortOption::lastCopyTime},
        {QStringLiteral("Copy Sequence"), true, HistorySortOption::lastCopyTime},
    };
    for (const auto &c : cases) {
        CoordinatorHarness h;
        h.storeOnboardedPreferences([&](AppPreferences &p) {
            p.historySortOption = c.stored;
            p.isHistorySortReversed = c.reversed;
        });
        h.coordinator->start();
        EXPECT_EQ(h.model.historySortOption(), c.expected) << qPrintable(c.stored);
        EXPECT_EQ(h.model.isHistorySortReversed(), c.reversed);
    }
}

TEST(CoordinatorStart, AppliesTheInterfaceLanguage)
{
    {
        // An unsupported language falls back to English, in the model too, but is not saved for that.
        CoordinatorHarness h;
        h.storeOnboardedPreferences([](AppPreferences &p) { p.language = QStringLiteral("fr"); });
        const QByteArray stored = h.storedPreferenceDocument();
        const QUuid revision = h.model.localizationRevision();
        h.coordinator->start();
        EXPECT_EQ(currentInterfaceLanguage(), QStringLiteral("en"));
        EXPECT_EQ(h.model.preferences().language, QStringLiteral("en"));
        EXPECT_EQ(h.storedPreferenceDocument(), stored);
        EXPECT_EQ(h.model.localizationRevision(), revision); // English before, English now
    }
    {
        CoordinatorHarness h;
        h.storeOnboardedPreferences([](AppPreferences &p) { p.language = QStringLiteral("de"); });
        const QUuid revision = h.model.localizationRevision();
        h.coordinator->start();
        EXPECT_EQ(currentInterfaceLanguage(), QStringLiteral("de"));
        EXPECT_NE(h.model.localizationRevision(), revision);
        EXPECT_EQ(localized(QStringLiteral("Quit")), QStringLiteral("Beenden"));
    }
}

TEST(CoordinatorStart, MigratesTheOlderShortcutDefaultsAndSavesOnlyThen)
{
    const struct
    {
        QString deleteItem;
        QString toggleFavorite;
        QString migratedDelete;
        QString migratedFavorite;
    } cases[] = {
        {QStringLiteral("delete"), QStringLiteral("f"), QStringLiteral("cmd+delete"), QStringLiteral("cmd+s")},
        {QStringLiteral("delete"), QStringLiteral("cmd+f"), QStringLiteral("cmd+delete"), QStringLiteral("cmd+f")},
        {QStringLiteral("Delete"), QStringLiteral("cmd+f"), QStringLiteral("Delete"), QStringLiteral("cmd+f")},
        {QStringLiteral("shift+delete"), QStringLiteral("F"), QStringLiteral("shift+delete"), QStringLiteral("F")},
    };
    for (const auto &c : cases) {
        CoordinatorHarness h;
        // A stored document with only these keys: a save writes every key.
        QSettings(h.settingsFile, QSettings::IniFormat)
            .setValue(PreferencesStore::key,
                QStringLiteral(
                    R"({"hasCompletedOnboarding":true,"deleteItemShortcut":"%1","toggleFavoriteShortcut":"%2"})")
                    .arg(c.deleteItem, c.toggleFavorite)
                    .toUtf8());
        const QByteArray before = h.storedPreferenceDocument();
        h.coordinator->start();
        EXPECT_EQ(h.model.preferences().deleteItemShortcut, c.migratedDelete);
        EXPECT_EQ(h.model.preferences().toggleFavoriteShortcut, c.migratedFavorite);
        const bool migrated = c.deleteItem != c.migratedDelete || c.toggleFavorite != c.migratedFavorite;
        EXPECT_EQ(h.storedPreferenceDocument() != before, migrated) << qPrintable(c.deleteItem + c.toggleFavorite);
        EXPECT_EQ(h.preferencesStore.load().deleteItemShortcut, c.migratedDelete);
    }
}

TEST(CoordinatorStart, LoadsTheNewestItemsUpToTheLimitAndTheTags)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences([](AppPreferences &p) { p.maxHistoryItems = 3; });
    h.storeItems(testItems(5));
    ASSERT_TRUE(h.store.ensureTag(QStringLiteral("work"), QStringLiteral("#3B85ED")));
    ASSERT_TRUE(h.store.ensureTag(QStringLiteral("Home"), QStringLiteral("#FF0000")));

    h.coordinator->start();
    EXPECT_EQ(numbersOf(h.model.items()), QList<int>({5, 4, 3}));
    ASSERT_EQ(h.model.tags().size(), 2);
    EXPECT_EQ(h.model.tags().first().name, QStringLiteral("Home"));
    EXPECT_EQ(h.model.selectedItemID(), testId(5));
    EXPECT_EQ(h.model.selectedItemIDsInSelectionOrder(), QList<QUuid>({testId(5)}));
    EXPECT_EQ(h.probe().pasteNextItemID(), std::nullopt); // set when the window opens or after a capture
    EXPECT_FALSE(h.model.lastError());
}

// Image files that no stored item refers to are removed; those of items beyond the loaded ones stay.
TEST(CoordinatorStart, RemovesImageFilesThatNoStoredItemRefersTo)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences([](AppPreferences &p) { p.maxHistoryItems = 1; });
    const QString images = h.supportDirectory + QStringLiteral("/Images/");
    ClipboardItem loaded = testItem(2);
    loaded.kind = ClipboardKind::image;
    loaded.assetPath = images + QStringLiteral("loaded.png");
    ClipboardItem older = testItem(1);
    older.kind = ClipboardKind::image;
    older.assetPath = QStringLiteral("/a/folder/that/moved/Images/older.png"); // the name still tells
    h.storeItems({loaded, older});
    for (const char *name : {"loaded.png", "older.png", "orphan.png", "orphan-too.png"})
        writeFile(images + QLatin1String(name));

    h.coordinator->start();
    EXPECT_EQ(
        QDir(images).entryList(QDir::Files), QStringList({QStringLiteral("loaded.png"), QStringLiteral("older.png")}));
}

// A history that cannot be opened is reported; start-up goes on, and no image is taken for an orphan.
TEST(CoordinatorStart, AHistoryThatCannotBeReadIsReportedAndStartGoesOn)
{
    QTemporaryDir root;
    const QString support = root.path() + QStringLiteral("/Varnisto2");
    QDir().mkpath(support + QStringLiteral("/History.sqlite")); // a folder where the database should be
    writeFile(support + QStringLiteral("/Images/kept.png"));

    CoordinatorHarness h;
    SQLiteHistoryStore brokenStore(support);
    auto coordinator = std::make_unique<AppCoordinator>(h.dependencies(brokenStore, support, h.factory));
    h.storeOnboardedPreferences();
    coordinator->start();

    EXPECT_TRUE(h.model.lastError());
    EXPECT_TRUE(h.model.items().isEmpty());
    EXPECT_TRUE(QFile::exists(support + QStringLiteral("/Images/kept.png")));
    EXPECT_EQ(h.hotKeys.registrations().size(), 4);
    EXPECT_TRUE(h.monitor.isRunning());
}

// A damaged history: what can be read is shown, the user is told (last error and an alert after start-up), and
// the image files stay, since items that could not be read may still refer to them.
TEST(CoordinatorStart, ADamagedHistoryIsShownAsFarAsItCanBeReadAndTheUserIsTold)
{
    QTemporaryDir root;
    const QString support = root.path() + QStringLiteral("/Varnisto2");
    QDir().mkpath(support);
    {
        SQLiteHistoryStore store(support);
        QList<ClipboardItem> items;
        for (int i = 1; i <= 300; ++i)
            items.append(testItem(i));
        ASSERT_TRUE(store.upsertItems(items).hasValue());
    }
    {
        QFile file(support + QStringLiteral("/History.sqlite"));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.seek(2 * 4096); // pages 3 to 6: the indexes
        file.write(QByteArray(4 * 4096, '\xa5'));
    }
    writeFile(support + QStringLiteral("/Images/kept.png"));

    CoordinatorHarness h;
    SQLiteHistoryStore damagedStore(support);
    auto coordinator = std::make_unique<AppCoordinator>(h.dependencies(damagedStore, support, h.factory));
    h.storeOnboardedPreferences();
    coordinator->start();

    EXPECT_EQ(h.model.items().size(), 300);
    ASSERT_TRUE(h.model.lastError());
    EXPECT_TRUE(h.model.lastError()->startsWith(QStringLiteral("The history file ")))
        << qPrintable(*h.model.lastError());
    EXPECT_TRUE(QFile::exists(support + QStringLiteral("/Images/kept.png")));
    ASSERT_TRUE(waitUntil([&] { return !h.alerts.shown.isEmpty(); }));
    EXPECT_EQ(h.alerts.shown, QStringList({*h.model.lastError() + QLatin1Char('|')}));
    EXPECT_TRUE(h.monitor.isRunning());
}

TEST(CoordinatorStart, AppliesTheAppearance)
{
    const QColor systemWindow = QApplication::palette().color(QPalette::Window);
    for (const auto appearance : {AppAppearance::dark, AppAppearance::light, AppAppearance::system}) {
        CoordinatorHarness h;
        h.storeOnboardedPreferences([&](AppPreferences &p) { p.appearance = appearance; });
        h.coordinator->start();
        const QColor window = QApplication::palette().color(QPalette::Window);
        if (appearance == AppAppearance::dark)
            EXPECT_LT(window.lightness(), 128);
        else if (appearance == AppAppearance::light)
            EXPECT_GT(window.lightness(), 128);
        else
            EXPECT_EQ(window, systemWindow);
    }
}
