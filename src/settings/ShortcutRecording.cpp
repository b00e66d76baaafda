#include "ShortcutRecording.h"

#include "KeyboardCodes.h"
#include "Localization.h"
#include "ShortcutText.h"

#include <QHash>
#include <QKeyEvent>

namespace {

struct KeyPosition
{
    quint32 keycode; // X key code of a standard PC keyboard (evdev code + 8)
    const char16_t *name;
    Qt::Key qtKey;
};

const KeyPosition keyPositions[] = {
    {38, u"a", Qt::Key_A},
    {39, u"s", Qt::Key_S},
    {40, u"d", Qt::Key_D},
    {41, u"f", Qt::Key_F},
    {42, u"g", Qt::Key_G},
    {43, u"h", Qt::Key_H},
    {44, u"j", Qt::Key_J},
    {45, u"k", Qt::Key_K},
    {46, u"l", Qt::Key_L},
    {47, u";", Qt::Key_Semicolon},
    {48, u"'", Qt::Key_Apostrophe},
    {24, u"q", Qt::Key_Q},
    {25, u"w", Qt::Key_W},
    {26, u"e", Qt::Key_E},
    {27, u"r", Qt::Key_R},
    {28, u"t", Qt::Key_T},
    {29, u"y", Qt::Key_Y},
    {30, u"u", Qt::Key_U},
    {31, u"i", Qt::Key_I},
    {32, u"o", Qt::Key_O},
    {33, u"p", Qt::Key_P},
    {34, u"[", Qt::Key_BracketLeft},
    {35, u"]", Qt::Key_BracketRight},
    {52, u"z", Qt::Key_Z},
    {53, u"x", Qt::Key_X},
    {54, u"c", Qt::Key_C},
    {55, u"v", Qt::Key_V},
    {56, u"b", Qt::Key_B},
    {57, u"n", Qt::Key_N},
    {58, u"m", Qt::Key_M},
    {59, u",", Qt::Key_Comma},
    {60, u".", Qt::Key_Period},
    {61, u"/", Qt::Key_Slash},
    {51, u"\\", Qt::Key_Backslash},
    {10, u"1", Qt::Key_1},
    {11, u"2", Qt::Key_2},
    {12, u"3", Qt::Key_3},
    {13, u"4", Qt::Key_4},
    {14, u"5", Qt::Key_5},
    {15, u"6", Qt::Key_6},
    {16, u"7", Qt::Key_7},
    {17, u"8", Qt::Key_8},
    {18, u"9", Qt::Key_9},
    {19, u"0", Qt::Key_0},
    {20, u"-", Qt::Key_Minus},
    {21, u"=", Qt::Key_Equal},
    {36, u"return", Qt::Key_Return},
    {23, u"tab", Qt::Key_Tab},
    {65, u"space", Qt::Key_Space},
    {22, u"delete", Qt::Key_Backspace},
    {9, u"escape", Qt::Key_Escape},
    {113, u"left", Qt::Key_Left},
    {114, u"right", Qt::Key_Right},
    {111, u"up", Qt::Key_Up},
    {116, u"down", Qt::Key_Down},
};
static_assert(std::size(keyPositions) == 55);

const KeyPosition *findByKeycode(quint32 keycode)
{
    for (const KeyPosition &key : keyPositions) {
        if (key.keycode == keycode)
            return &key;
    }
    return nullptr;
}

const KeyPosition *findByQtKey(int qtKey)
{
    for (const KeyPosition &key : keyPositions) {
        if (key.qtKey == qtKey)
            return &key;
    }
    return nullptr;
}

// Qt's order of writing modifiers: Super, Ctrl, Alt, Shift.
const ShortcutModifier displayOrder[]
    = {ShortcutModifier::control, ShortcutModifier::command, ShortcutModifier::option, ShortcutModifier::shift};

QString modifierDisplayName(ShortcutModifier modifier)
{
    return *ShortcutText::modifierDisplayName(ShortcutModifiers::writtenName(modifier));
}

} // namespace

QList<ShortcutModifier> ShortcutModifiers::fromQt(Qt::KeyboardModifiers modifiers)
{
    QList<ShortcutModifier> result;
    if (modifiers & Qt::ControlModifier)
        result.append(ShortcutModifier::command);
    if (modifiers & Qt::ShiftModifier)
        result.append(ShortcutModifier::shift);
    if (modifiers & Qt::AltModifier)
        result.append(ShortcutModifier::option);
    if (modifiers & Qt::MetaModifier)
        result.append(ShortcutModifier::control);
    return result;
}

QString ShortcutModifiers::writtenName(ShortcutModifier modifier)
{
    switch (modifier) {
    case ShortcutModifier::command:
        return QStringLiteral("cmd");
    case ShortcutModifier::shift:
        return QStringLiteral("shift");
    case ShortcutModifier::option:
        return QStringLiteral("option");
    case ShortcutModifier::control:
        return QStringLiteral("control");
    }
    return {};
}

QString ShortcutDraft::displayText() const
{
    QStringList names;
    for (ShortcutModifier modifier : displayOrder) {
        if (modifiers.contains(modifier))
            names.append(modifierDisplayName(modifier));
    }
    if (key)
        names.append(ShortcutText::keyDisplayName(*key).value_or(key->toUpper()));
    return names.join(QLatin1Char('+'));
}

std::optional<QString> shortcutKeyNameForKeycode(quint32 x11Keycode)
{
    if (const KeyPosition *key = findByKeycode(x11Keycode))
        return QString::fromUtf16(key->name);
    return std::nullopt;
}

std::optional<QString> shortcutKeyName(const QKeyEvent &event)
{
    if (event.nativeScanCode() != 0)
        return shortcutKeyNameForKeycode(event.nativeScanCode());
    // Without a key code (a platform other than X11), the key itself; Shift does not change which key it is.
    int key = event.key();
    if (key == Qt::Key_Backtab)
        key = Qt::Key_Tab;
    if (key == Qt::Key_Enter)
        key = Qt::Key_Return;
    if (const KeyPosition *position = findByQtKey(key))
        return QString::fromUtf16(position->name);
    return std::nullopt;
}

QString shortcutText(const QList<ShortcutModifier> &modifiers, const std::optional<QString> &key)
{
    QStringList parts;
    for (ShortcutModifier modifier : modifiers)
        parts.append(ShortcutModifiers::writtenName(modifier));
    if (key)
        parts.append(*key);
    return parts.join(QLatin1Char('+'));
}

QString shortcutDisplayText(const QString &text)
{
    const QStringList parts = ShortcutText::parts(text);
    if (parts.isEmpty())
        return localized(QStringLiteral("Not set"));
    if (const QString display = ShortcutText::displayText(text); !display.isEmpty())
        return display;
    QStringList names;
    for (qsizetype n = 0; n + 1 < parts.size(); ++n) {
        if (const auto name = ShortcutText::modifierDisplayName(parts.at(n)))
            names.append(*name);
    }
    names.append(parts.last().toUpper());
    return names.join(QLatin1Char('+'));
}

bool hasGlobalModifier(const QString &text)
{
    const auto parsed = ShortcutText::parse(text);
    return parsed
        && (parsed->modifiers & (HotKeyModifier::command | HotKeyModifier::option | HotKeyModifier::control)) != 0;
}

Qt::KeyboardModifiers heldModifiers(const QKeyEvent &event)
{
    Qt::KeyboardModifiers held = event.modifiers();
    Qt::KeyboardModifier own = Qt::NoModifier;
    switch (event.key()) {
    case Qt::Key_Control:
        own = Qt::ControlModifier;
        break;
    case Qt::Key_Shift:
        own = Qt::ShiftModifier;
        break;
    case Qt::Key_Alt:
        own = Qt::AltModifier;
        break;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        own = Qt::MetaModifier;
        break;
    default:
        return held;
    }
    held.setFlag(own, event.type() == QEvent::KeyPress);
    return held;
}

std::optional<ShortcutDraft> recordedDraft(const QKeyEvent &event)
{
    if (event.isAutoRepeat())
        return std::nullopt;
    const auto key = shortcutKeyName(event);
    if (!key)
        return std::nullopt;
    return ShortcutDraft {ShortcutModifiers::fromQt(event.modifiers()), key};
}
