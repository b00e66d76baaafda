#include "PasteKeystroke.h"

#include <gtest/gtest.h>

// The window classes (WM_CLASS instance and class) that terminal emulators and other programs set.
TEST(PasteKeystrokeTable, TheWindowClassChoosesThePasteKeys)
{
    struct Case
    {
        const char *instance;
        const char *className;
        PasteKeystroke expected;
    };
    const Case cases[] = {
        // xterm and the rxvt family paste only the primary selection from the keyboard.
        {"xterm", "XTerm", PasteKeystroke::shiftInsertFromPrimarySelection},
        {"uxterm", "UXTerm", PasteKeystroke::shiftInsertFromPrimarySelection},
        {"urxvt", "URxvt", PasteKeystroke::shiftInsertFromPrimarySelection},
        {"rxvt", "Rxvt", PasteKeystroke::shiftInsertFromPrimarySelection},
        {"custom-name", "XTerm", PasteKeystroke::shiftInsertFromPrimarySelection}, // xterm -name custom-name
        // Terminals with a clipboard paste key.
        {"gnome-terminal-server", "Gnome-terminal", PasteKeystroke::controlShiftV},
        {"konsole", "konsole", PasteKeystroke::controlShiftV},
        {"xfce4-terminal", "Xfce4-terminal", PasteKeystroke::controlShiftV},
        {"Alacritty", "Alacritty", PasteKeystroke::controlShiftV},
        {"kitty", "kitty", PasteKeystroke::controlShiftV},
        {"tilix", "Tilix", PasteKeystroke::controlShiftV},
        {"terminator", "Terminator", PasteKeystroke::controlShiftV},
        {"st-256color", "st-256color", PasteKeystroke::controlShiftV},
        // Every other window keeps Ctrl+V, also one whose name merely contains a terminal's.
        {"gedit", "Gedit", PasteKeystroke::controlV},
        {"Navigator", "firefox-esr", PasteKeystroke::controlV},
        {"xtermcontrol-gui", "Xtermcontrol-gui", PasteKeystroke::controlV},
        {"", "", PasteKeystroke::controlV},
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.className);
        EXPECT_EQ(
            pasteKeystrokeForWindowClass(QString::fromUtf8(testCase.instance), QString::fromUtf8(testCase.className)),
            testCase.expected);
    }
}
