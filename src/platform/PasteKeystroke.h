#pragma once

#include <QString>

// The keys that paste the clipboard into a window, chosen by the window's class (X11 WM_CLASS).
//
// Most applications paste with Ctrl+V. Terminal emulators pass Ctrl+V on to the program running in them as the
// control character ^V, so they paste the clipboard with Ctrl+Shift+V instead; xterm and the rxvt family have no
// clipboard paste key at all and paste the primary selection with Shift+Insert.
enum class PasteKeystroke {
    controlV,
    controlShiftV,
    shiftInsertFromPrimarySelection,
};

// By the instance or the class name of WM_CLASS, compared without regard to case.
PasteKeystroke pasteKeystrokeForWindowClass(const QString &instanceName, const QString &className);
