// The settings window of the real program on this display: opened with the application menu's Ctrl+, from the
// window of a first start, moved through its sections with the keyboard, and a system-wide shortcut recorded in the
// Shortcuts pane that works at once while the old one no longer does. Screenshots of the panes in light and dark go
// into the build folder's screenshots/.

#include "AppAppearance.h"
#include "PreferencesStore.h"

#include "DesktopQueries.h"
#include "KeyboardTestSupport.h"
#include "RunningVarnisto.h"
#include "Xclip.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

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

// The hot key brings up the history window. The program grabs a changed hot key once the settings have applied
// it, a moment after the file is written: a press it could not see yet is pressed again.
std::optional<QString> pressForHistoryWindow(const QString &keys)
{
    std::optional<QString> window;
    for (int attempt = 0; attempt < 3 && !window; ++attempt) {
        if (!key(keys))
            return std::nullopt;
        window = waitForWindow(QStringLiteral("Clipboard History"), 3000);
    }
    return window;
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
    if (!welcome)
        return std::nullopt;
    if (activeWindow() != welcome)
        xdotool({QStringLiteral("windowactivate"), *welcome});
    if (!waitUntil([&] { return activeWindow() == welcome; }))
        return std::nullopt;
    if (!key(QStringLiteral("ctrl+comma")))
        return std::nullopt;
    const auto settings = waitForWindow(QStringLiteral("General"));
    if (!settings || !waitUntil([&] { return activeWindow() == settings; }))
        return std::nullopt;
    return settings;
}

// From the settings at General: the Privacy pane, and there the add button of the ignored applications (past the
// two switches), which opens the dialog to choose them; the dialog once it has the keyboard.
std::optional<QString> openApplicationChooser()
{
    for (int n = 0; n < 6; ++n) {
        if (!key(QStringLiteral("Down")))
            return std::nullopt;
    }
    if (!waitForWindow(QStringLiteral("Privacy")))
        return std::nullopt;
    for (int n = 0; n < 3; ++n) {
        if (!key(QStringLiteral("Tab")))
            return std::nullopt;
    }
    if (!key(QStringLiteral("space")))
        return std::nullopt;
    const auto dialog = waitForWindow(QStringLiteral("Choose Applications"));
    if (!dialog || !waitUntil([&] { return activeWindow() == dialog; }))
        return std::nullopt;
    return dialog;
}

// What a picture of the settings window shows: the sidebar's highlighted row and the pane beside it.
struct PanePicture
{
    QSize size;
    int meanLightness = 0; // of the pane, 0 to 255
    int highlightCentre = -1; // the y of the sidebar's highlighted row; -1 without one
    int titlePixels = 0; // drawn pixels in the title's place at the pane's top
    int contentPixels = 0; // drawn pixels below it
    QImage pane;
};

// The sidebar is 170 pixels wide; the pane's title stands at its top left, in the band 25 to 55 pixels from the top.
PanePicture readPanePicture(const QString &name)
{
    PanePicture picture;
    const QImage image = QImage(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY) + QLatin1Char('/') + name)
                             .convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return picture;
    picture.size = image.size();
    constexpr int sidebar = 170;
    // The sidebar's selection is the accent blue.
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const QColor pixel = image.pixelColor(sidebar / 2, y);
        if (pixel.blue() > 200 && pixel.red() < 60 && pixel.green() > 90 && pixel.green() < 160) {
            top = top < 0 ? y : top;
            bottom = y;
        }
    }
    picture.highlightCentre = top < 0 ? -1 : (top + bottom) / 2;
    const int background = image.pixelColor(image.width() - 100, 20).lightness();
    qint64 sum = 0;
    qint64 count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = sidebar + 5; x < image.width() - 20; ++x) {
            const int lightness = image.pixelColor(x, y).lightness();
            sum += lightness;
            ++count;
            if (std::abs(lightness - background) < 25)
                continue;
            if (y >= 25 && y < 55 && x < sidebar + 300)
                ++picture.titlePixels;
            else if (y >= 60)
                ++picture.contentPixels;
        }
    }
    picture.meanLightness = count ? int(sum / count) : 0;
    picture.pane = image.copy(sidebar + 5, 0, image.width() - sidebar - 5, image.height());
    return picture;
}

// Every pane, from the sidebar, which holds the focus: Down moves to the next section. Each picture shows that
// pane in the appearance: its row highlighted below the previous pane's, its title drawn at the top, content
// below it, and a picture unlike the previous pane's.
void takePictures(AppAppearance appearance)
{
    const QString suffix = appearance == AppAppearance::dark ? QStringLiteral("dark") : QStringLiteral("light");
    RunningVarnisto varnisto;
    const auto settings = openSettings(varnisto);
    ASSERT_TRUE(settings);
    const std::pair<const char *, const char *> sections[] = {{"General", "general"}, {"History", "history"},
        {"Sound Effects", "sounds"}, {"Tags", "tags"}, {"Storage", "storage"}, {"Shortcuts", "shortcuts"},
        {"Privacy", "privacy"}, {"Import", "import-export"}, {"About", "about"}};
    PanePicture previous;
    for (const auto &[title, name] : sections) {
        SCOPED_TRACE(name);
        if (QString::fromLatin1(name) != u"general") {
            ASSERT_TRUE(key(QStringLiteral("Down")));
        }
        ASSERT_TRUE(waitForWindow(QString::fromLatin1(title))) << title;
        // The pane is taken once it is drawn: its title, and the sidebar's selection moved onto its row (a slow
        // machine, or a sanitized build, paints later).
        const QString file = QStringLiteral("settings-%1-%2.png").arg(QString::fromLatin1(name), suffix);
        PanePicture picture;
        waitUntil(
            [&] {
                if (!screenshot(*settings, file))
                    return false;
                picture = readPanePicture(file);
                return picture.titlePixels > 100 && picture.highlightCentre >= 0
                    && picture.highlightCentre > previous.highlightCentre + 15 && !(picture.pane == previous.pane);
            },
            15000);
        EXPECT_EQ(picture.size, windowGeometry(*settings).value_or(QRect()).size());
        if (appearance == AppAppearance::dark)
            EXPECT_LT(picture.meanLightness, 100);
        else
            EXPECT_GT(picture.meanLightness, 160);
        EXPECT_GT(picture.titlePixels, 100) << "the pane's title";
        EXPECT_GT(picture.contentPixels, 1000) << "the pane's content";
        ASSERT_GE(picture.highlightCentre, 0) << "the sidebar's selection";
        if (previous.highlightCentre >= 0) {
            EXPECT_GT(picture.highlightCentre, previous.highlightCentre + 15) << "the next row highlighted";
            EXPECT_FALSE(picture.pane == previous.pane) << "another pane shown";
        }
        previous = picture;
    }
    varnisto.terminate();
    EXPECT_TRUE(varnisto.waitForFinished());
}

// The mean lightness of a window's picture, 0 to 255.
std::optional<int> lightness(const QString &window, const QString &name)
{
    if (!screenshot(window, name))
        return std::nullopt;
    const QImage image(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY) + QLatin1Char('/') + name);
    if (image.isNull())
        return std::nullopt;
    qint64 sum = 0;
    qint64 count = 0;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4) {
            sum += QColor(image.pixel(x, y)).lightness();
            ++count;
        }
    }
    return count ? std::optional(int(sum / count)) : std::nullopt;
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

    const auto history = pressForHistoryWindow(QStringLiteral("ctrl+alt+h"));
    ASSERT_TRUE(history);
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == history; }));
    ASSERT_TRUE(key(QStringLiteral("Escape")));
    ASSERT_TRUE(waitUntil([] { return !visibleWindowNamed(QStringLiteral("Clipboard History")); }));

    // The old chord is nobody's any more.
    ASSERT_TRUE(key(QStringLiteral("ctrl+alt+v")));
    EXPECT_FALSE(waitUntil([] { return visibleWindowNamed(QStringLiteral("Clipboard History")).has_value(); }, 1500));

    // The pause shortcut is taken: recording it for the history is refused, and the message says by whom.
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == settings; }));
    ASSERT_TRUE(key(QStringLiteral("space")));
    ASSERT_TRUE(key(QStringLiteral("ctrl+alt+p")));
    EXPECT_TRUE(screenshot(QStringLiteral("root"), QStringLiteral("settings-shortcut-conflict.png")));

    varnisto.terminate();
    ASSERT_TRUE(varnisto.waitForFinished());
    EXPECT_EQ(PreferencesStore(settingsFile()).load().showHistoryShortcut, QStringLiteral("cmd+option+h"));
}

TEST(SettingsWindow, ScreenshotsOfThePanes)
{
    storePreferences(AppAppearance::light);
    takePictures(AppAppearance::light);
    storePreferences(AppAppearance::dark);
    takePictures(AppAppearance::dark);
}

// The Dark tile of the General pane switches the whole program at once: the history window opens dark.
TEST(SettingsWindow, TheDarkThemeReachesTheHistoryWindowAtOnce)
{
    storePreferences(AppAppearance::light);
    RunningVarnisto varnisto;
    const auto settings = openSettings(varnisto);
    ASSERT_TRUE(settings);
    auto history = pressForHistoryWindow(QStringLiteral("ctrl+alt+v"));
    ASSERT_TRUE(history);
    const auto light = lightness(*history, QStringLiteral("settings-theme-history-window-light.png"));
    ASSERT_TRUE(light);
    ASSERT_TRUE(key(QStringLiteral("Escape")));
    ASSERT_TRUE(waitUntil([] { return !visibleWindowNamed(QStringLiteral("Clipboard History")); }));
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == settings; }));

    // From the sidebar, Tab goes through the two switches that can be used to the three tiles.
    for (int n = 0; n < 5; ++n)
        ASSERT_TRUE(key(QStringLiteral("Tab")));
    ASSERT_TRUE(key(QStringLiteral("space")));
    ASSERT_TRUE(waitUntil([] { return PreferencesStore(settingsFile()).load().appearance == AppAppearance::dark; }));

    history = pressForHistoryWindow(QStringLiteral("ctrl+alt+v"));
    ASSERT_TRUE(history);
    const auto dark = lightness(*history, QStringLiteral("settings-theme-history-window-dark.png"));
    ASSERT_TRUE(dark);
    EXPECT_LT(*dark + 60, *light) << *dark << " " << *light;
    varnisto.terminate();
    EXPECT_TRUE(varnisto.waitForFinished());
}

// The dialog of the Privacy pane's add button lists the installed applications by name and icon, the one already
// ignored greyed out; pictures of it in light and dark, with two applications chosen.
// It runs before any copy is recorded: the settings open from the welcome of an empty history.
TEST(SettingsWindow, ScreenshotsOfTheApplicationChooser)
{
    const QString applications
        = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/applications");
    QDir().mkpath(applications);
    const std::pair<const char *, const char *> entries[] = {{"org.example.Mail", "Name=Mail\nIcon=mail-send"},
        {"org.example.Browser", "Name=Web Browser\nIcon=web-browser"},
        {"org.example.Editor", "Name=Text Editor\nIcon=accessories-text-editor"},
        {"org.example.Passwords", "Name=Passwords\nIcon=dialog-password"},
        {"org.example.Calculator", "Name=Calculator\nIcon=accessories-calculator"}};
    for (const auto &[id, lines] : entries) {
        QFile file(applications + u'/' + QString::fromLatin1(id) + QStringLiteral(".desktop"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("[Desktop Entry]\nType=Application\nExec=true\n") + lines + "\n");
    }
    for (const auto appearance : {AppAppearance::light, AppAppearance::dark}) {
        const QString name = appearance == AppAppearance::light ? QStringLiteral("light") : QStringLiteral("dark");
        storePreferences(appearance);
        AppPreferences preferences = PreferencesStore(settingsFile()).load();
        preferences.ignoredAppsText = applications + QStringLiteral("/org.example.Passwords.desktop");
        PreferencesStore(settingsFile()).save(preferences);

        RunningVarnisto varnisto;
        const auto window = openSettings(varnisto);
        ASSERT_TRUE(window);
        const auto dialog = openApplicationChooser();
        ASSERT_TRUE(dialog);
        // Two chosen: the first match of a filter, kept when the filter is cleared, and the next one with Shift+Down.
        ASSERT_EQ(
            xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), QStringLiteral("Calc")}),
            0);
        ASSERT_TRUE(key(QStringLiteral("ctrl+a")));
        ASSERT_TRUE(key(QStringLiteral("BackSpace")));
        ASSERT_TRUE(key(QStringLiteral("shift+Down")));
        QTest::qWait(300);
        EXPECT_TRUE(screenshot(*dialog, QStringLiteral("settings-choose-applications-%1.png").arg(name)));
        ASSERT_TRUE(key(QStringLiteral("Return")));
        ASSERT_TRUE(waitUntil([] { return !visibleWindowNamed(QStringLiteral("Choose Applications")); }));
        ASSERT_TRUE(
            waitUntil([] { return PreferencesStore(settingsFile()).load().ignoredAppsText.count(u'\n') == 2; }));
        EXPECT_TRUE(
            PreferencesStore(settingsFile()).load().ignoredAppsText.contains(u"org.example.Calculator.desktop"));
        EXPECT_TRUE(screenshot(*window, QStringLiteral("settings-privacy-two-applications-%1.png").arg(name)));
        varnisto.terminate();
        EXPECT_TRUE(varnisto.waitForFinished());
    }
}

// An application added to the ignored list of the Privacy pane (chosen by name in its dialog) is not recorded while
// it is in front; the pane saves and applies the list at once.
TEST(SettingsWindow, CopiesInAnIgnoredApplicationAreNotCaptured)
{
    // This test's own window is the application: a desktop entry names it by its window class.
    const QString applications
        = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/applications");
    QDir().mkpath(applications);
    const QString entry = applications + QStringLiteral("/secret-keeper.desktop");
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Desktop Entry]\nType=Application\nName=Secret Keeper\nExec=secret-keeper\nStartupWMClass="
        + QCoreApplication::applicationName().toUtf8() + "\n");
    file.close();
    QLineEdit application;
    application.setWindowTitle(QStringLiteral("Secret Keeper"));
    application.setGeometry(60, 60, 420, 40);

    storePreferences(AppAppearance::light);
    RunningVarnisto varnisto;
    ASSERT_TRUE(varnisto.waitForStarted());
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with 0 items")));
    // Before: a copy in the application is recorded.
    ASSERT_TRUE(bringToFront(application));
    auto first = std::make_unique<XclipCopy>("first copy");
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured text item"), 1));
    const auto settings = openSettings(varnisto);
    ASSERT_TRUE(settings);
    const auto dialog = openApplicationChooser();
    ASSERT_TRUE(dialog);
    // The field narrows the list to the application, which Return adds.
    ASSERT_EQ(xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"),
                  QStringLiteral("Secret Keeper")}),
        0);
    ASSERT_TRUE(key(QStringLiteral("Return")));
    ASSERT_TRUE(waitUntil([] { return !visibleWindowNamed(QStringLiteral("Choose Applications")); }));
    EXPECT_TRUE(screenshot(*settings, QStringLiteral("settings-privacy-with-application.png")));
    ASSERT_TRUE(waitUntil([&] { return PreferencesStore(settingsFile()).load().ignoredAppsText == entry; }));
    ASSERT_TRUE(key(QStringLiteral("alt+F4")));

    // After: nothing the application copies is recorded.
    ASSERT_TRUE(bringToFront(application));
    first.reset();
    XclipCopy secret("the password");
    EXPECT_FALSE(varnisto.waitForLog(QStringLiteral("captured text item"), 2, 2000));
    varnisto.terminate();
    EXPECT_TRUE(varnisto.waitForFinished());
}

namespace {

// Opens the window's "Varnisto" menu with a click on its title at the top left, photographs the window with the
// open menu, closes the menu again and quits the program with Ctrl+Q in the window.
void quitFromTheMenu(RunningVarnisto &varnisto, const QString &window, const QString &name)
{
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == window; }));
    xdotool(
        {QStringLiteral("mousemove"), QStringLiteral("--window"), window, QStringLiteral("30"), QStringLiteral("11")});
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    QTest::qWait(700);
    const auto frame = windowGeometry(window);
    ASSERT_TRUE(frame);
    ASSERT_TRUE(screenshot(QStringLiteral("root"), name));
    const QString path = QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY) + QLatin1Char('/') + name;
    const QImage desktop(path);
    ASSERT_FALSE(desktop.isNull());
    // The window with the menu that hangs from its top left.
    desktop.copy(frame->adjusted(0, -30, 0, -20)).save(path);
    ASSERT_TRUE(key(QStringLiteral("Escape")));
    QTest::qWait(300);
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == window; }));
    ASSERT_TRUE(key(QStringLiteral("ctrl+q")));
    EXPECT_TRUE(varnisto.waitForFinished());
    EXPECT_TRUE(varnisto.exitedWith(0)) << varnisto.process().exitCode();
}

} // namespace

// Without a tray (openbox has none) the program still ends from its windows: the "Varnisto" menu of the welcome
// window and of the settings window has "Quit Varnisto", and Ctrl+Q in either quits.
TEST(SettingsWindow, CtrlQInTheWelcomeAndTheSettingsWindowQuitsTheProgram)
{
    for (const auto &[appearance, look] : {std::pair(AppAppearance::light, QStringLiteral("light")),
             std::pair(AppAppearance::dark, QStringLiteral("dark"))}) {
        SCOPED_TRACE(look.toStdString());
        storePreferences(appearance);
        // An empty history, whatever the tests before left.
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Varnisto2"))
            .removeRecursively();
        {
            RunningVarnisto varnisto;
            ASSERT_TRUE(varnisto.waitForStarted());
            ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with 0 items")));
            const auto welcome = waitForWindow(QStringLiteral("Varnisto"));
            ASSERT_TRUE(welcome);
            if (activeWindow() != welcome)
                xdotool({QStringLiteral("windowactivate"), *welcome});
            quitFromTheMenu(varnisto, *welcome, QStringLiteral("welcome-quit-menu-%1.png").arg(look));
        }
        RunningVarnisto varnisto;
        const auto settings = openSettings(varnisto);
        ASSERT_TRUE(settings);
        quitFromTheMenu(varnisto, *settings, QStringLiteral("settings-quit-menu-%1.png").arg(look));
    }
}

// The login switch of the General pane writes the autostart entry the moment it is turned on, and removes it when
// it is turned off, while the settings window stays open.
TEST(SettingsWindow, LaunchAtLoginWritesAndRemovesTheAutostartEntryAtOnce)
{
    storePreferences(AppAppearance::light);
    QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Varnisto2"))
        .removeRecursively();
    const QString entry = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/autostart/varnisto.desktop");
    QFile::remove(entry);
    RunningVarnisto varnisto;
    const auto settings = openSettings(varnisto);
    ASSERT_TRUE(settings);

    // From the sidebar, Tab reaches the first switch, "Launch at login".
    ASSERT_TRUE(key(QStringLiteral("Tab")));
    ASSERT_TRUE(key(QStringLiteral("space")));
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(entry); })) << qPrintable(entry);
    QFile written(entry);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().contains("\nExec="));
    EXPECT_EQ(visibleWindowNamed(QStringLiteral("General")), settings);

    ASSERT_TRUE(key(QStringLiteral("space")));
    EXPECT_TRUE(waitUntil([&] { return !QFile::exists(entry); }));
    EXPECT_EQ(visibleWindowNamed(QStringLiteral("General")), settings);
    EXPECT_FALSE(PreferencesStore(settingsFile()).load().launchAtLogin);

    varnisto.terminate();
    EXPECT_TRUE(varnisto.waitForFinished());
}

// Down held on the sidebar walks every pane without waiting for one to be built, to About and back up with Up, and
// again: the program lives through it and ends on the pane the last key chose.
TEST(SettingsWindow, TheSidebarWalkedQuicklyWithTheArrows)
{
    storePreferences(AppAppearance::light);
    RunningVarnisto varnisto;
    const auto settings = openSettings(varnisto);
    ASSERT_TRUE(settings);
    for (int walk = 0; walk < 3; ++walk) {
        QStringList keys = {QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("15")};
        for (int n = 0; n < 10; ++n)
            keys.append(QStringLiteral("Down"));
        ASSERT_EQ(xdotool(keys), 0);
        ASSERT_TRUE(waitForWindow(QStringLiteral("About"))) << walk;
        keys.replaceInStrings(QStringLiteral("Down"), QStringLiteral("Up"));
        ASSERT_EQ(xdotool(keys), 0);
        ASSERT_TRUE(waitForWindow(QStringLiteral("General"))) << walk;
    }
    varnisto.terminate();
    ASSERT_TRUE(varnisto.waitForFinished());
    EXPECT_TRUE(varnisto.exitedWith(0)) << varnisto.log().right(2000).toStdString();
}
