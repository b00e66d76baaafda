// The real program pasting into a real xterm, which pastes the primary selection: whatever another program held in
// the clipboard and the primary selection before, the terminal receives exactly the item chosen in the history.

#include "PreferencesStore.h"

#include "DesktopQueries.h"
#include "KeyboardTestSupport.h"
#include "RunningVarnisto.h"
#include "Xclip.h"
#include "Xterm.h"

#include <QSettings>

#include <gtest/gtest.h>

namespace {

// The hot key brings up the history window; Return pastes the selected (newest) item. On a busy display the window
// manager may take a while to hand the focus on, and a key pressed meanwhile can go astray: the hot key is pressed
// again, as the other suites of the real program do.
bool pasteNewestItem()
{
    std::optional<QString> historyWindow;
    for (int attempt = 0; attempt < 3 && !historyWindow; ++attempt) {
        if (xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+v")}) != 0)
            return false;
        waitUntil([&] { return (historyWindow = visibleWindowNamed(QStringLiteral("Clipboard History"))).has_value(); },
            3000);
    }
    if (!historyWindow || !waitUntil([&] { return activeWindow() == historyWindow; }))
        return false;
    return xdotool({QStringLiteral("key"), QStringLiteral("Return")}) == 0;
}

} // namespace

TEST(TerminalPasteEndToEnd, XtermReceivesTheChosenItemWhateverOtherProgramsHeld)
{
    const QString settingsFile = QSettings(
        QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Varnisto"), QStringLiteral("Varnisto"))
                                     .fileName();
    AppPreferences preferences;
    preferences.hasCompletedOnboarding = true;
    preferences.soundEffectsEnabled = false;
    preferences.showHistoryShortcut = QStringLiteral("cmd+option+v");
    PreferencesStore(settingsFile).save(preferences);

    Xterm xterm;
    ASSERT_TRUE(xterm.activate());
    RunningVarnisto varnisto;
    ASSERT_TRUE(varnisto.waitForStarted());
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with 0 items")));

    // A first copy and paste: the program then holds both selections.
    auto copied = std::make_unique<XclipCopy>("first item");
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured text item"), 1));
    ASSERT_TRUE(pasteNewestItem());
    ASSERT_TRUE(waitUntil([&] { return xterm.received() == "first item"; }, 10000)) << xterm.received().toStdString();

    // Another program takes the clipboard with a new copy, and the primary selection with other text.
    copied = std::make_unique<XclipCopy>("second item");
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured text item"), 2));
    XclipSelection otherSelection(QStringLiteral("primary"), "the selection of another program");
    ASSERT_TRUE(waitUntil([] { return xclipPrimary() == QByteArray("the selection of another program"); }));
    ASSERT_TRUE(pasteNewestItem());
    EXPECT_TRUE(waitUntil([&] { return xterm.received() == "first itemsecond item"; }, 10000))
        << xterm.received().toStdString();
    // Pasted from the clipboard elsewhere, it is the same.
    EXPECT_EQ(xclipPaste(), QByteArray("second item"));

    varnisto.terminate();
    ASSERT_TRUE(varnisto.waitForFinished());
}
