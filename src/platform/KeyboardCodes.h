#pragma once

#include <QtGlobal>

// The key codes and modifier values that shortcut text, hot keys and posted key presses are written in. They are
// the virtual key codes of the ANSI keyboard layout and the two modifier encodings that go with them: the hot-key
// modifier mask (shortcuts) and the event flags (posted key presses). Only the X11 layer translates them into
// key symbols and X modifier masks; everything above it keeps these values.

namespace VirtualKey {
constexpr quint16 a = 0;
constexpr quint16 v = 9;
constexpr quint16 returnKey = 36;
constexpr quint16 tab = 48;
constexpr quint16 space = 49;
constexpr quint16 deleteKey = 51;
constexpr quint16 escape = 53;
constexpr quint16 left = 123;
constexpr quint16 right = 124;
constexpr quint16 down = 125;
constexpr quint16 up = 126;
} // namespace VirtualKey

// Modifier bits of a hot-key registration and of parsed shortcut text.
namespace HotKeyModifier {
constexpr quint32 command = 0x100; // "cmd": Ctrl on this platform
constexpr quint32 shift = 0x200; // Shift
constexpr quint32 option = 0x800; // "option": Alt
constexpr quint32 control = 0x1000; // "control": Super
} // namespace HotKeyModifier

// Modifier flags of a posted key press and of a menu key equivalent.
namespace KeyEventFlag {
constexpr quint64 command = 0x100000; // Ctrl on this platform
constexpr quint64 shift = 0x20000;
constexpr quint64 option = 0x80000; // Alt
constexpr quint64 control = 0x40000; // Super
} // namespace KeyEventFlag
