// The settings window of the real program on this display: opened with the application menu's Ctrl+, from the
// window of a first start, moved through its sections with the keyboard, and a system-wide shortcut recorded in the
// Shortcuts pane that works at once while the old one no longer does. Screenshots of the panes in light and dark go
// into the build folder's screenshots/.

#include "AppAppearance.h"
#include "PreferencesStore.h"

#include "DesktopQueries.h"
#include "KeyboardTestSupport.h"
#include "RunningVarnisto.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

QString settingsFile()
{
    return QSettings(
        QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Varnisto"), QStringLiteral("Varnisto"))
        .fileName();
}

// A first start (its welcome window carries the program's menu) with sounds off and the appearance given.
void storePreferences(AppAppearance appearance)
{
    AppPreferences preferences;
    preferences.hasCompletedOnboarding = false;
    preferences.soundEffectsEnabled = false;
    preferences.appearance = appearance;
    PreferencesStore(settingsFile()).save(preferences);
}

std::optional<QString> waitForWindow(const QString &title, int timeoutMs = 10000)
{
    std::optional<QString> window;
    waitUntil([&] { return (window = visibleWindowNamed(title)).has_value(); }, timeoutMs);
    return window;
}

bool key(const QString &keys)
{
    return xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), keys}) == 0;
}

// Saves a picture of the window; true when the file was written.
bool screenshot(const QString &window, const QString &name)
{
    const QString directory = QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY);
    QDir().mkpath(directory);
    const QString path = directory + QLatin1Char('/') + name;
    QFile::remove(path);
    return runProgram(QStringLiteral("import"), {QStringLiteral("-window"), window, path}) == 0
        && QFileInfo(path).size() > 0;
}

// Starts the program at its welcome window and opens the settings from there: they open at General.
std::optional<QString> openSettings(RunningVarnisto &varnisto)
{
    if (!varnisto.waitForStarted() || !varnisto.waitForLog(QStringLiteral("started with 0 items")))
        return std::nullopt;
    // The welcome window has the keyboard focus; the program's menu is in its menu bar.
    const auto welcome = waitForWindow(QStringLiteral("Varnisto"));
    if (!welcome || !waitUntil([&] { return activeWindow() == welcome; }))
        return std::nullopt;
    if (!key(QStringLiteral("ctrl+comma")))
        return std::nullopt;
    const auto settings = waitForWindow(QStringLiteral("General"));
    if (!settings || !waitUntil([&] { return activeWindow() == settings; }))
        return std::nullopt;
    return settings;
}

// From the sidebar, which holds the focus: Down moves to the next section, End to the last.
void takePictures(const QString &appearance)
{
    RunningVarnisto varnisto;
    const auto settings = openSettings(varnisto);
    ASSERT_TRUE(settings);
    ASSERT_TRUE(key(QStringLiteral("Down")));
    ASSERT_TRUE(waitForWindow(QStringLiteral("History")));
    EXPECT_TRUE(screenshot(*settings, QStringLiteral("settings-history-%1.png").arg(appearance)));
    ASSERT_TRUE(key(QStringLiteral("Down")));
    ASSERT_TRUE(waitForWindow(QStringLiteral("Sound Effects")));
    EXPECT_TRUE(screenshot(*settings, QStringLiteral("settings-sounds-%1.png").arg(appearance)));
    for (int n = 0; n < 3; ++n)
        ASSERT_TRUE(key(QStringLiteral("Down")));
    ASSERT_TRUE(waitForWindow(QStringLiteral("Shortcuts")));
    EXPECT_TRUE(screenshot(*settings, QStringLiteral("settings-shortcuts-%1.png").arg(appearance)));
    ASSERT_TRUE(key(QStringLiteral("End")));
    ASSERT_TRUE(waitForWindow(QStringLiteral("About")));
    EXPECT_TRUE(screenshot(*settings, QStringLiteral("settings-about-%1.png").arg(appearance)));
    varnisto.terminate();
    EXPECT_TRUE(varnisto.waitForFinished());
}

} // namespace

TEST(SettingsWindow, ARecordedGlobalShortcutWorksAtOnceAndTheOldOneNoLonger)
{
    storePreferences(AppAppearance::light);
    RunningVarnisto varnisto;
    const auto settings = openSettings(varnisto);
    ASSERT_TRUE(settings);

    // Down moves through the sections: History, Sounds, Tags, Storage, Shortcuts.
    const QStringList sections = {QStringLiteral("History"), QStringLiteral("Sound Effects"), QStringLiteral("Tags"),
        QStringLiteral("Storage"), QStringLiteral("Shortcuts")};
    for (const QString &section : sections) {
        ASSERT_TRUE(key(QStringLiteral("Down")));
        ASSERT_TRUE(waitForWindow(section)) << qPrintable(section);
    }

    // Tab reaches the first row, "Show clipboard history"; Space starts recording and the next chord is recorded.
    ASSERT_TRUE(key(QStringLiteral("Tab")));
    ASSERT_TRUE(key(QStringLiteral("space")));
    ASSERT_TRUE(key(QStringLiteral("ctrl+alt+h")));
    // The pane applies the change at once: it is saved, and the new hot key is grabbed.
    ASSERT_TRUE(waitUntil(
        [] { return PreferencesStore(settingsFile()).load().showHistoryShortcut == QStringLiteral("cmd+option+h"); }));

    ASSERT_TRUE(key(QStringLiteral("ctrl+alt+h")));
    const auto history = waitForWindow(QStringLiteral("Clipboard History"));
    ASSERT_TRUE(history);
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == history; }));
    ASSERT_TRUE(key(QStringLiteral("Escape")));
    ASSERT_TRUE(waitUntil([] { return !visibleWindowNamed(QStringLiteral("Clipboard History")); }));

    // The old chord is nobody's any more.
    ASSERT_TRUE(key(QStringLiteral("ctrl+shift+v")));
    EXPECT_FALSE(waitUntil([] { return visibleWindowNamed(QStringLiteral("Clipboard History")).has_value(); }, 1500));

    varnisto.terminate();
    ASSERT_TRUE(varnisto.waitForFinished());
    EXPECT_EQ(PreferencesStore(settingsFile()).load().showHistoryShortcut, QStringLiteral("cmd+option+h"));
}

TEST(SettingsWindow, ScreenshotsOfThePanes)
{
    storePreferences(AppAppearance::light);
    takePictures(QStringLiteral("light"));
    storePreferences(AppAppearance::dark);
    takePictures(QStringLiteral("dark"));
}
