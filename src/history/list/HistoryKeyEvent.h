#pragma once

#include <QString>
#include <QtGlobal>

class QKeyEvent;

// A key press as the history window's key dispatch reads it, independent of Qt and the display: the virtual key
// code (VirtualKey, the codes shortcut text is written in), the modifier flags held (KeyEventFlag: Ctrl is
// "command", Alt "option", Super "control"), the text the key typed and the same key's text without modifiers.
struct HistoryKeyEvent
{
    static constexpr quint16 noKeyCode = 0xFFFF; // a key outside the shortcut key table
    static constexpr quint64 modifierMask = 0x1E0000; // the four modifier flags; other bits never count

    quint16 keyCode = noKeyCode;
    quint64 flags = 0;
    QString characters;
    QString charactersIgnoringModifiers;

    bool operator==(const HistoryKeyEvent &) const = default;

    quint64 modifiers() const { return flags & modifierMask; }
    // The modifiers as the hot-key mask of parsed shortcut text (HotKeyModifier).
    quint32 shortcutModifierMask() const;

    // The record of a Qt key press. Shifted symbols of the US layout ("!" on Shift+1) count as their key, so that
    // shortcut text names the key, not the symbol; keypad keys count as the main keys.
    static HistoryKeyEvent fromQKeyEvent(const QKeyEvent &event);
    // A record written as shortcut text ("cmd+2", "shift+return", "a"), for tests and for replaying a shortcut.
    static HistoryKeyEvent fromShortcutText(const QString &text, const QString &characters = QString());
};
