#include "AppPreferences.h"
#include "GlobalShortcutService.h"
#include "x11/X11HotKeyBackend.h"

#include "KeyboardTestSupport.h"
#include "ServicesProbe.h"
#include "TestSupport.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

constexpr quint16 controlMask = 1 << 2;
constexpr quint16 mod1Mask = 1 << 3;
constexpr quint16 mod2Mask = 1 << 4; // NumLock on this display

} // namespace

TEST(GlobalHotKeys, KeysPressedAnywhereReachTheirHandlersWithAndWithoutNumLock)
{
    X11HotKeyBackend grabs;
    GlobalShortcutService shortcuts(grabs);
    QObject owner;
    int runs[4] = {};
    // The default shortcuts: Ctrl+Alt+V, Ctrl+Alt+P, Super+V, Super+Shift+V here.
    const AppPreferences defaults;
    const QStringList texts {defaults.showHistoryShortcut, defaults.pauseShortcut, defaults.pasteNextShortcut,
        defaults.pasteNextRichShortcut};
    for (quint8 action = 0; action < 4; ++action)
        shortcuts.registerShortcut(action, texts.at(action), &owner, [&runs, action] { ++runs[action]; });
    ASSERT_EQ(ServicesProbe::hotKeyCount(shortcuts), 4);

    const QStringList presses {QStringLiteral("ctrl+alt+v"), QStringLiteral("ctrl+alt+p"), QStringLiteral("super+v"),
        QStringLiteral("super+shift+v")};
    ForeignClient display;
    for (const bool numLock : {false, true}) {
        SCOPED_TRACE(numLock ? "NumLock on" : "NumLock off");
        if (numLock) {
            ASSERT_EQ(xdotool({QStringLiteral("key"), QStringLiteral("Num_Lock")}), 0);
            ASSERT_TRUE(display.modifierState() & mod2Mask);
        }
        for (int action = 0; action < 4; ++action) {
            ASSERT_EQ(xdotool({QStringLiteral("key"), presses.at(action)}), 0);
            EXPECT_TRUE(waitUntil([&] { return runs[action] == (numLock ? 2 : 1); })) << qPrintable(presses.at(action));
        }
    }
    xdotool({QStringLiteral("key"), QStringLiteral("Num_Lock")});
    QCoreApplication::processEvents();
    EXPECT_EQ((std::vector<int>(runs, runs + 4)), (std::vector<int> {2, 2, 2, 2}));
}

TEST(GlobalHotKeys, AKeyThatAnotherProgramHoldsFailsAndIsLogged)
{
    ForeignClient otherProgram;
    ASSERT_EQ(otherProgram.grabKey('k', controlMask | mod1Mask), 0);

    X11HotKeyBackend grabs;
    GlobalShortcutService shortcuts(grabs);
    QObject owner;
    {
        WarningLog log;
        shortcuts.registerShortcut(1, QStringLiteral("cmd+Option+k"), &owner, [] {});
        EXPECT_EQ(
            log.lines(), QStringList {QStringLiteral("Varnisto failed to register global shortcut cmd+Option+k: 10")});
    }
    EXPECT_EQ(ServicesProbe::hotKeyCount(shortcuts), 0);
    // Nothing of the failed grab stays behind, not even in another lock state.
    EXPECT_EQ(otherProgram.grabKey('k', controlMask | mod1Mask | 2 /* CapsLock */), 0);

    // Unregistering gives the key back to the display.
    shortcuts.registerShortcut(0, QStringLiteral("cmd+option+j"), &owner, [] {});
    ASSERT_EQ(ServicesProbe::hotKeyCount(shortcuts), 1);
    EXPECT_EQ(otherProgram.grabKey('j', controlMask | mod1Mask), 10);
    shortcuts.unregisterAll();
    EXPECT_EQ(otherProgram.grabKey('j', controlMask | mod1Mask), 0);
}
