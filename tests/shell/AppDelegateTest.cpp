#include "AppDelegate.h"
#include "CoordinatorTestSupport.h"
#include "CrashLog.h"
#include "ServicesProbe.h"

#include <QStandardPaths>
#include <QSystemTrayIcon>

// The whole object graph on the in-memory desktop: it is built on the support directory, starts, and prepares for
// termination once.
TEST(AppDelegate, BuildsTheGraphStartsAndTerminatesOnce)
{
    QTemporaryDir root;
    const AppDelegate::Locations locations {
        root.path() + QStringLiteral("/Varnisto2"), root.path() + QStringLiteral("/Varnisto.conf")};
    QDir().mkpath(locations.supportDirectory);
    auto alerts = std::make_unique<ScriptedAlerts>();
    AppDelegate delegate(locations, PlatformServices::inMemory(), std::move(alerts));
    EXPECT_TRUE(QFile::exists(locations.supportDirectory + QStringLiteral("/History.sqlite")));
    EXPECT_EQ(delegate.clipboardMonitor().delegate(), nullptr); // nothing runs before launch

    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(delegate.clipboardMonitor().delegate(), &delegate.coordinator());
    EXPECT_TRUE(delegate.clipboardMonitor().isRunning());
    EXPECT_NE(AppCoordinatorProbe(delegate.coordinator()).onboardingWindow(), nullptr); // a first start
    // The tray icon follows a moment later.
    ASSERT_TRUE(waitUntil([&] { return delegate.statusItems().statusItem() != nullptr; }, 30000));
    EXPECT_FALSE(delegate.statusItems().applicationMenu().actions().isEmpty());

    delegate.applicationWillTerminate();
    EXPECT_FALSE(delegate.clipboardMonitor().isRunning());
    EXPECT_TRUE(PreferencesStore(locations.settingsFilePath).load() == delegate.model().preferences());
    delegate.clipboardMonitor().start(delegate.model().preferences());
    delegate.applicationWillTerminate(); // only once
    EXPECT_TRUE(delegate.clipboardMonitor().isRunning());
    delegate.clipboardMonitor().stop();
}

TEST(AppDelegate, TheSupportDirectoryIsVarnisto2InTheDataFolder)
{
    // The test runs with its own XDG folders.
    const QString expected
        = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Varnisto2");
    QDir(expected).removeRecursively();
    EXPECT_EQ(AppDelegate::makeSupportDirectory(), expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());
    EXPECT_EQ(AppDelegate::makeSupportDirectory(), expected); // a later start finds it
}

namespace {

struct LaunchedDelegate
{
    LaunchedDelegate()
    {
        QDir().mkpath(locations.supportDirectory);
        AppPreferences preferences;
        preferences.hasCompletedOnboarding = true;
        preferences.showMainWindowAtStartup = false;
        PreferencesStore(locations.settingsFilePath).save(preferences);
        auto scripted = std::make_unique<ScriptedAlerts>();
        alerts = scripted.get();
        delegate = std::make_unique<AppDelegate>(locations, PlatformServices::inMemory(), std::move(scripted));
    }
    ~LaunchedDelegate()
    {
        delegate->applicationWillTerminate();
        delegate.reset();
        setCurrentInterfaceLanguage(QStringLiteral("en"));
    }
    bool historyShown() const
    {
        return delegate->coordinator().historyWindow() && delegate->coordinator().historyWindow()->isVisible();
    }

    QTemporaryDir root;
    const AppDelegate::Locations locations {
        root.path() + QStringLiteral("/Varnisto2"), root.path() + QStringLiteral("/Varnisto.conf")};
    ScriptedAlerts *alerts = nullptr;
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace

// Another start of the program asks for the history window; one that asks while this copy is still starting gets
// it once start-up is done.
TEST(AppDelegate, ShowsTheHistoryWindowWhenAnotherStartAsks)
{
    LaunchedDelegate early;
    early.delegate->showHistoryWindowOnRequest();
    EXPECT_EQ(early.delegate->coordinator().historyWindow(), nullptr);
    early.delegate->applicationDidFinishLaunching();
    EXPECT_TRUE(early.historyShown());

    LaunchedDelegate running;
    running.delegate->applicationDidFinishLaunching();
    EXPECT_FALSE(running.historyShown());
    running.delegate->showHistoryWindowOnRequest();
    EXPECT_TRUE(running.historyShown());
}

// A start after a crash names its log to the user once, in the user's language; the start after it says nothing.
TEST(AppDelegate, TheStartAfterACrashSaysWhereItsLogIs)
{
    const auto crashLog = [](const QString &supportDirectory) {
        QFile file(CrashLog::filePath(supportDirectory));
        return file.open(QIODevice::WriteOnly) && file.write("Varnisto 2.0 ended on signal 11 (SIGSEGV)\n") > 0;
    };
    {
        LaunchedDelegate first;
        ASSERT_TRUE(crashLog(first.locations.supportDirectory));
        first.delegate->applicationDidFinishLaunching();
        setCurrentInterfaceLanguage(QStringLiteral("de")); // as the start leaves it for a German user
        ASSERT_TRUE(waitUntil([&] { return !first.alerts->shown.isEmpty(); }));
        EXPECT_EQ(first.alerts->shown,
            QStringList {
                QStringLiteral("Varnisto wurde beim letzten Mal unerwartet beendet.|Ein Bericht über den Vorfall wurde "
                               "in %1 gespeichert. Du kannst ihn mitschicken, wenn du das Problem meldest.")
                    .arg(CrashLog::filePath(first.locations.supportDirectory))});

        // The same history started again.
        first.delegate->applicationWillTerminate();
        first.delegate.reset();
        auto alerts = std::make_unique<ScriptedAlerts>();
        first.alerts = alerts.get();
        first.delegate
            = std::make_unique<AppDelegate>(first.locations, PlatformServices::inMemory(), std::move(alerts));
        first.delegate->applicationDidFinishLaunching();
        // A turn queued after the start's own has run once the notice would have been asked.
        bool turned = false;
        QTimer::singleShot(0, [&] { turned = true; });
        ASSERT_TRUE(waitUntil([&] { return turned; }));
        EXPECT_TRUE(first.alerts->shown.isEmpty()) << first.alerts->shown.join(u'\n').toStdString();
    }
}

// The automatic checks follow the switch from the start on; of their answers, only a new version is shown, while
// every answer to the user's own check is.
TEST(AppDelegate, AutomaticUpdateChecksFollowTheSwitchAndSpeakOnlyOfNews)
{
    LaunchedDelegate d;
    AppcastUpdateService &updates = d.delegate->updateService();
    EXPECT_FALSE(ServicesProbe::automaticChecksEnabled(updates)); // nothing before launch
    d.delegate->applicationDidFinishLaunching();
    EXPECT_TRUE(ServicesProbe::automaticChecksEnabled(updates));
    AppPreferences preferences = d.delegate->model().preferences();
    preferences.checkForUpdatesAutomatically = false;
    d.delegate->model().setPreferences(preferences);
    EXPECT_FALSE(ServicesProbe::automaticChecksEnabled(updates));

    using Status = UpdateCheckResult::Status;
    struct Case
    {
        Status status;
        bool userInitiated;
        bool shown;
    };
    const Case cases[] = {
        {Status::upToDate, false, false},
        {Status::feedUnreachable, false, false},
        {Status::feedInvalid, false, false},
        {Status::updateAvailable, false, true},
        {Status::upToDate, true, true},
        {Status::feedUnreachable, true, true},
    };
    for (const Case &c : cases) {
        d.alerts->shown.clear();
        const UpdateCheckResult result {c.status, c.userInitiated, QStringLiteral("2.0.0"),
            AppcastItem {QStringLiteral("Varnisto 2.1"), QStringLiteral("2.1.0"),
                QUrl(QStringLiteral("https://example.org/varnisto-2.1.0.tar.gz"))}};
        Q_EMIT updates.updateCheckFinished(result);
        EXPECT_EQ(d.alerts->shown.size(), c.shown ? 1 : 0) << int(c.status) << " " << c.userInitiated;
    }
}
