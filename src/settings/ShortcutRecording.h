#pragma once

#include <QList>
#include <QString>
#include <Qt>

#include <optional>

class QKeyEvent;

// Recording a shortcut from the keyboard: which key a key event is, which modifiers are held, the shortcut text that
// is stored for them, and the text the settings show for a stored shortcut. Keys are known by their position on the
// keyboard (the X key code of a standard PC keyboard), so a shortcut means the same key whatever the layout.

// The modifiers in the order they are written: "cmd" (Ctrl here), "shift", "option" (Alt), "control" (Super).
enum class ShortcutModifier { command, shift, option, control };

namespace ShortcutModifiers {
// The held modifiers of Qt's flags, in writing order.
QList<ShortcutModifier> fromQt(Qt::KeyboardModifiers modifiers);
QString writtenName(ShortcutModifier modifier);
} // namespace ShortcutModifiers

// What the user holds down while recording: the modifiers, and the key once one is pressed.
struct ShortcutDraft
{
    QList<ShortcutModifier> modifiers;
    std::optional<QString> key;

    // The held keys as the settings show them, "Ctrl+Shift" while only modifiers are held, "Ctrl+Shift+V" with a key.
    QString displayText() const;

    bool operator==(const ShortcutDraft &) const = default;
};

// The key name (one of the 55 of shortcut text) of an X key code; nothing for a key that cannot be recorded.
std::optional<QString> shortcutKeyNameForKeycode(quint32 x11Keycode);
// The key name of a key event: by its X key code, or by its Qt key where the platform gives no key code.
std::optional<QString> shortcutKeyName(const QKeyEvent &event);

// The modifier words in writing order, then the key: "cmd+shift+v", "return".
QString shortcutText(const QList<ShortcutModifier> &modifiers, const std::optional<QString> &key);

// A stored shortcut as the settings show it: "Ctrl+Shift+V", "Super+V", "Esc"; "Not set" for no shortcut. Text that
// does not parse shows its known modifiers and its last part upper-cased.
QString shortcutDisplayText(const QString &text);

// Whether the shortcut is held with Ctrl, Alt or Super: what a system-wide shortcut needs.
bool hasGlobalModifier(const QString &text);

// What a key press means while recording: nothing for an auto-repeat and for a key outside the table, else the
// draft with its key.
std::optional<ShortcutDraft> recordedDraft(const QKeyEvent &event);
// The modifiers held after a press or release of a key (a modifier key's own bit counts while it is down).
Qt::KeyboardModifiers heldModifiers(const QKeyEvent &event);
