// The real program on this display: it starts with temporary XDG folders, captures what xclip copies, shows its
// history window on the global hot key, pastes the newest item into another application's window on Return, and
// saves and ends cleanly on SIGTERM.

#include "PreferencesStore.h"
#include "SQLiteHistoryStore.h"

#include "DesktopQueries.h"
#include "KeyboardTestSupport.h"
#include "RunningVarnisto.h"
#include "Xclip.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

QStringList storedTexts(const QString &supportDirectory)
{
    SQLiteHistoryStore store(supportDirectory);
    QStringList texts;
    if (const auto items = store.loadRecentItems(100)) {
        for (const ClipboardItem &item : *items)
            texts.append(item.text.value_or(QString()) + QStringLiteral(" x%1").arg(item.copyCount));
    }
    return texts;
}

// The hot key brings up the history window with the keyboard focus: the window's id, once it has it.
std::optional<QString> showHistoryByHotKey()
{
    if (xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+v")}) != 0)
        return std::nullopt;
    std::optional<QString> historyWindow;
    if (!waitUntil(
            [&] { return (historyWindow = visibleWindowNamed(QStringLiteral("Clipboard History"))).has_value(); })
        || !waitUntil([&] { return activeWindow() == historyWindow; }))
        return std::nullopt;
    return historyWindow;
}

QString settingsFilePath()
{
    return QSettings(
        QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Varnisto"), QStringLiteral("Varnisto"))
        .fileName();
}

} // namespace

TEST(ApplicationEndToEnd, CapturesShowsPastesAndEndsCleanly)
{
    // The program and this test share the temporary XDG folders of the run.
    const QString supportDirectory
        = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Varnisto2");
    const QString settingsFile = settingsFilePath();
    AppPreferences preferences;
    preferences.hasCompletedOnboarding = true;
    preferences.soundEffectsEnabled = false;
    PreferencesStore(settingsFile).save(preferences);

    // The application the user works in.
    QLineEdit receiver;
    receiver.setWindowTitle(QStringLiteral("Receiver"));
    receiver.setGeometry(60, 60, 420, 40);
    ASSERT_TRUE(bringToFront(receiver));

    RunningVarnisto varnisto;
    ASSERT_TRUE(varnisto.waitForStarted());
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with 0 items")));
    EXPECT_TRUE(QFileInfo(supportDirectory + QStringLiteral("/History.sqlite")).isFile());

    // Three copies, each captured before the next.
    const QStringList copies
        = {QStringLiteral("first copy"), QStringLiteral("second copy"), QStringLiteral("third copy")};
    std::vector<std::unique_ptr<XclipCopy>> owners;
    for (int n = 0; n < copies.size(); ++n) {
        owners.push_back(std::make_unique<XclipCopy>(copies.at(n).toUtf8()));
        ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured text item"), n + 1)) << n;
    }
    // Nothing is being written now: the store can be read beside the program.
    EXPECT_EQ(storedTexts(supportDirectory),
        QStringList(
            {QStringLiteral("third copy x0"), QStringLiteral("second copy x0"), QStringLiteral("first copy x0")}));

    // The hot key brings up the history window with the keyboard focus.
    const std::optional<QString> historyWindow = showHistoryByHotKey();
    ASSERT_TRUE(historyWindow);
    const QString screenshot
        = QStringLiteral(VARNISTO_TEST_OUTPUT_DIRECTORY) + QStringLiteral("/ApplicationEndToEnd-history-window.png");
    QFile::remove(screenshot);
    EXPECT_EQ(runProgram(QStringLiteral("import"), {QStringLiteral("-window"), *historyWindow, screenshot}), 0);
    EXPECT_GT(QFileInfo(screenshot).size(), 0);

    // Return pastes the newest item into the receiver, which had the focus before the window came up.
    ASSERT_EQ(xdotool({QStringLiteral("key"), QStringLiteral("Return")}), 0);
    EXPECT_TRUE(waitUntil([&] { return receiver.text() == QStringLiteral("third copy"); }, 10000))
        << qPrintable(receiver.text());
    EXPECT_FALSE(visibleWindowNamed(QStringLiteral("Clipboard History")));

    // SIGTERM: the program saves and ends normally.
    varnisto.terminate();
    ASSERT_TRUE(varnisto.waitForFinished());
    EXPECT_EQ(varnisto.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(varnisto.process().exitCode(), 0);
    EXPECT_TRUE(varnisto.log().contains(QStringLiteral("preparing for termination")));
    const AppPreferences saved = PreferencesStore(settingsFile).load();
    EXPECT_TRUE(saved.historyWindowWidth.has_value()); // the window frame, saved on the way out
    EXPECT_EQ(storedTexts(supportDirectory),
        QStringList(
            {QStringLiteral("third copy x1"), QStringLiteral("second copy x0"), QStringLiteral("first copy x0")}));
}

// The first paste after a start arrives, every time: each round starts the program afresh, with the preferences a
// new user has (the paste sound too), and pastes with the first Return in the history window. When the focus hand-
// back failed only now and then, a few rounds catch it.
TEST(ApplicationEndToEnd, TheFirstPasteAfterEachStartArrives)
{
    const QString settingsFile = settingsFilePath();
    AppPreferences preferences;
    preferences.hasCompletedOnboarding = true;
    PreferencesStore(settingsFile).save(preferences);

    QLineEdit receiver;
    receiver.setWindowTitle(QStringLiteral("Receiver"));
    receiver.setGeometry(60, 60, 420, 40);

    constexpr int rounds = 6;
    for (int round = 1; round <= rounds; ++round) {
        SCOPED_TRACE(round);
        receiver.clear();
        ASSERT_TRUE(bringToFront(receiver));
        RunningVarnisto varnisto;
        ASSERT_TRUE(varnisto.waitForStarted());
        ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with")));
        const QString copied = QStringLiteral("copy of round %1").arg(round);
        XclipCopy owner(copied.toUtf8());
        ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured text item")));

        ASSERT_TRUE(showHistoryByHotKey());
        ASSERT_EQ(xdotool({QStringLiteral("key"), QStringLiteral("Return")}), 0);
        EXPECT_TRUE(waitUntil([&] { return receiver.text() == copied; })) << qPrintable(receiver.text());

        varnisto.terminate();
        ASSERT_TRUE(varnisto.waitForFinished());
    }
}

// A request to end is carried out whatever windows are open: the preview, which keeps itself open against a close
// of its window (the user closes it with its own keys), and the history window behind it never hold the program up.
// Which window a quit asks first varies from run to run, so a few rounds meet each order.
TEST(ApplicationEndToEnd, ATerminationRequestEndsTheProgramWithThePreviewOpen)
{
    const QString settingsFile = settingsFilePath();
    AppPreferences preferences;
    preferences.hasCompletedOnboarding = true;
    preferences.soundEffectsEnabled = false;
    PreferencesStore(settingsFile).save(preferences);

    QLineEdit receiver;
    receiver.setWindowTitle(QStringLiteral("Receiver"));
    receiver.setGeometry(60, 60, 420, 40);

    constexpr int rounds = 6;
    for (int round = 1; round <= rounds; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(bringToFront(receiver));
        RunningVarnisto varnisto;
        ASSERT_TRUE(varnisto.waitForStarted());
        ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with")));
        XclipCopy owner(QStringLiteral("a text to preview in round %1").arg(round).toUtf8());
        ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured text item")));

        ASSERT_TRUE(showHistoryByHotKey());
        ASSERT_EQ(xdotool({QStringLiteral("key"), QStringLiteral("space")}), 0);
        ASSERT_TRUE(waitUntil([] { return visibleWindowNamed(QStringLiteral("Text")).has_value(); }));

        varnisto.terminate();
        ASSERT_TRUE(varnisto.waitForFinished()) << "still running after a termination request";
        EXPECT_EQ(varnisto.process().exitCode(), 0);
        EXPECT_TRUE(varnisto.log().contains(QStringLiteral("preparing for termination")));
    }
}
