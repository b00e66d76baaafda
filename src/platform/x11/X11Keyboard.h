#pragma once

#include <QList>
#include <QtGlobal>

#include <memory>
#include <optional>

struct xcb_connection_t;

// Translation of our key codes and modifiers into X11 terms, and the keyboard map of a display.
namespace X11Keys {
// X modifier bits.
constexpr quint16 shiftMask = 1 << 0;
constexpr quint16 lockMask = 1 << 1;
constexpr quint16 controlMask = 1 << 2;
constexpr quint16 mod1Mask = 1 << 3; // Alt
constexpr quint16 mod4Mask = 1 << 6; // Super
// The eight modifier bits of a key event's state (the bits above them carry the keyboard group and buttons).
constexpr quint16 modifierBits = 0xff;

constexpr quint32 keysymControlL = 0xffe3;
constexpr quint32 keysymShiftL = 0xffe1;
constexpr quint32 keysymAltL = 0xffe9;
constexpr quint32 keysymSuperL = 0xffeb;
constexpr quint32 keysymNumLock = 0xff7f;
constexpr quint32 keysymInsert = 0xff63;

// The key symbol that a virtual key code stands for; nothing for a code outside the shortcut key table.
std::optional<quint32> keysymForVirtualKey(quint32 keyCode);
// "cmd" is Control, "shift" Shift, "option" Alt (Mod1), "control" Super (Mod4).
quint16 modifiersForHotKeyMask(quint32 mask);
quint16 modifiersForEventFlags(quint64 flags);
} // namespace X11Keys

// The keyboard map of a display, read once: which key codes type a key symbol and which keys are modifiers.
class X11KeyboardMap
{
public:
    explicit X11KeyboardMap(xcb_connection_t *connection);
    ~X11KeyboardMap();

    // Key codes that type the symbol, those that type it without Shift first; empty when no key does.
    QList<quint8> keycodes(quint32 keysym) const;
    std::optional<quint8> keycode(quint32 keysym) const;
    // The modifier bit that NumLock sets, 0 when the map has none.
    quint16 numLockMask() const { return m_numLockMask; }
    bool isModifierKey(quint8 keycode) const;

private:
    quint8 m_minKeycode = 0;
    int m_keysymsPerKeycode = 0;
    QList<quint32> m_keysyms; // m_keysymsPerKeycode entries for each key code from m_minKeycode
    QList<quint8> m_modifierKeycodes[8];
    quint16 m_numLockMask = 0;
};
