#include "X11Keyboard.h"

#include "KeyboardCodes.h"
#include "XcbSupport.h"

#include <array>

namespace {

struct KeyEntry
{
    quint32 keyCode;
    quint32 keysym;
};

constexpr quint32 keysymBackSpace = 0xff08;
constexpr quint32 keysymTab = 0xff09;
constexpr quint32 keysymReturn = 0xff0d;
constexpr quint32 keysymEscape = 0xff1b;
constexpr quint32 keysymLeft = 0xff51;
constexpr quint32 keysymUp = 0xff52;
constexpr quint32 keysymRight = 0xff53;
constexpr quint32 keysymDown = 0xff54;

// The virtual key codes of the shortcut key table and the symbols they type. The key that shortcut text calls
// "delete" is BackSpace.
constexpr std::array<KeyEntry, 55> keyEntries {{
    {0, 'a'},
    {1, 's'},
    {2, 'd'},
    {3, 'f'},
    {4, 'h'},
    {5, 'g'},
    {6, 'z'},
    {7, 'x'},
    {8, 'c'},
    {9, 'v'},
    {11, 'b'},
    {12, 'q'},
    {13, 'w'},
    {14, 'e'},
    {15, 'r'},
    {16, 'y'},
    {17, 't'},
    {18, '1'},
    {19, '2'},
    {20, '3'},
    {21, '4'},
    {22, '6'},
    {23, '5'},
    {24, '='},
    {25, '9'},
    {26, '7'},
    {27, '-'},
    {28, '8'},
    {29, '0'},
    {30, ']'},
    {31, 'o'},
    {32, 'u'},
    {33, '['},
    {34, 'i'},
    {35, 'p'},
    {37, 'l'},
    {38, 'j'},
    {39, '\''},
    {40, 'k'},
    {41, ';'},
    {42, '\\'},
    {43, ','},
    {44, '/'},
    {45, 'n'},
    {46, 'm'},
    {47, '.'},
    {49, ' '},
    {36, keysymReturn},
    {48, keysymTab},
    {53, keysymEscape},
    {51, keysymBackSpace},
    {123, keysymLeft},
    {124, keysymRight},
    {125, keysymDown},
    {126, keysymUp},
}};

} // namespace

std::optional<quint32> X11Keys::keysymForVirtualKey(quint32 keyCode)
{
    for (const KeyEntry &entry : keyEntries) {
        if (entry.keyCode == keyCode)
            return entry.keysym;
    }
    return std::nullopt;
}

quint16 X11Keys::modifiersForHotKeyMask(quint32 mask)
{
    quint16 result = 0;
    if (mask & HotKeyModifier::command)
        result |= controlMask;
    if (mask & HotKeyModifier::shift)
        result |= shiftMask;
    if (mask & HotKeyModifier::option)
        result |= mod1Mask;
    if (mask & HotKeyModifier::control)
        result |= mod4Mask;
    return result;
}

quint16 X11Keys::modifiersForEventFlags(quint64 flags)
{
    quint16 result = 0;
    if (flags & KeyEventFlag::command)
        result |= controlMask;
    if (flags & KeyEventFlag::shift)
        result |= shiftMask;
    if (flags & KeyEventFlag::option)
        result |= mod1Mask;
    if (flags & KeyEventFlag::control)
        result |= mod4Mask;
    return result;
}

X11KeyboardMap::X11KeyboardMap(xcb_connection_t *connection)
{
    if (!connection)
        return;
    const xcb_setup_t *setup = xcb_get_setup(connection);
    m_minKeycode = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto mappingCookie = xcb_get_keyboard_mapping(connection, setup->min_keycode, count);
    auto modifierCookie = xcb_get_modifier_mapping(connection);

    if (auto mapping = xcbReply(xcb_get_keyboard_mapping_reply(connection, mappingCookie, nullptr))) {
        m_keysymsPerKeycode = mapping->keysyms_per_keycode;
        const xcb_keysym_t *keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
        const int length = xcb_get_keyboard_mapping_keysyms_length(mapping.get());
        m_keysyms.reserve(length);
        for (int i = 0; i < length; ++i)
            m_keysyms.append(keysyms[i]);
    }
    if (auto modifiers = xcbReply(xcb_get_modifier_mapping_reply(connection, modifierCookie, nullptr))) {
        const xcb_keycode_t *keycodes = xcb_get_modifier_mapping_keycodes(modifiers.get());
        const int perModifier = modifiers->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8; ++modifier) {
            for (int i = 0; i < perModifier; ++i) {
                if (const xcb_keycode_t keycode = keycodes[modifier * perModifier + i])
                    m_modifierKeycodes[modifier].append(keycode);
            }
        }
    }
    const QList<quint8> numLockKeys = keycodes(X11Keys::keysymNumLock);
    for (int modifier = 0; modifier < 8 && !m_numLockMask; ++modifier) {
        for (const quint8 keycode : numLockKeys) {
            if (m_modifierKeycodes[modifier].contains(keycode))
                m_numLockMask = quint16(1 << modifier);
        }
    }
}

X11KeyboardMap::~X11KeyboardMap() = default;

QList<quint8> X11KeyboardMap::keycodes(quint32 keysym) const
{
    QList<quint8> result;
    if (m_keysymsPerKeycode <= 0)
        return result;
    const int keys = int(m_keysyms.size()) / m_keysymsPerKeycode;
    for (int column = 0; column < m_keysymsPerKeycode; ++column) {
        for (int key = 0; key < keys; ++key) {
            if (m_keysyms.at(key * m_keysymsPerKeycode + column) != keysym)
                continue;
            const quint8 keycode = quint8(m_minKeycode + key);
            if (!result.contains(keycode))
                result.append(keycode);
        }
    }
    return result;
}

std::optional<quint8> X11KeyboardMap::keycode(quint32 keysym) const
{
    const QList<quint8> all = keycodes(keysym);
    if (all.isEmpty())
        return std::nullopt;
    return all.first();
}

bool X11KeyboardMap::isModifierKey(quint8 keycode) const
{
    for (const auto &keys : m_modifierKeycodes) {
        if (keys.contains(keycode))
            return true;
    }
    return false;
}
