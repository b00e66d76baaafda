#include "AppDelegate.h"
#include "CoordinatorTestSupport.h"

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
    EXPECT_NE(delegate.coordinator().onboardingWindow(), nullptr); // a first start
    ASSERT_NE(delegate.statusItems().statusItem(), nullptr);
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
