#pragma once

#include <QHash>
#include <QKeySequence>
#include <QString>
#include <QStringList>

#include <optional>

// A shortcut read from its text: a virtual key code (VirtualKey) and a hot-key modifier mask (HotKeyModifier).
struct ParsedShortcut
{
    quint32 keyCode = 0;
    quint32 modifiers = 0;

    bool operator==(const ParsedShortcut &) const = default;
};

// What a menu item shows and answers to: the key as a string and the modifier flags (KeyEventFlag).
struct MenuKeyEquivalent
{
    QString key;
    quint64 modifierFlags = 0;

    bool operator==(const MenuKeyEquivalent &) const = default;
};

// Shortcut text: lower-case parts joined by "+", modifier words and one key name last, such as "shift+cmd+v"; the
// empty text is no shortcut. Reading is tolerant: the text is lower-cased and empty parts are dropped, the last
// part must be one of the 55 key names, other parts that are no modifier word are ignored. Nothing is trimmed.
// Pure functions, safe on any thread.
namespace ShortcutText {

// The 55 key names and their virtual key codes (ANSI positions).
const QHash<QString, quint32> &keyTable();
// The modifier bit of a modifier word: "cmd"/"command", "shift", "option"/"alt", "control"/"ctrl"; else 0.
quint32 modifierForWord(const QString &word);
// The text lower-cased and split at "+", empty parts dropped.
QStringList parts(const QString &text);

// Key code and modifier mask; nothing when the last part is not a key name (or there is no part).
std::optional<ParsedShortcut> parse(const QString &text);
// The key string and modifier flags for a menu item: "return", "escape", "delete", "tab" and "space" become
// U+000D, U+001B, U+007F, U+0009 and " "; every other key name stays as it is ("down" is the text "down").
std::optional<MenuKeyEquivalent> menuKeyEquivalent(const QString &text);

// The shortcut as a Qt key sequence for window-local actions: "cmd" is Ctrl, "shift" Shift, "option" Alt,
// "control" Meta (the Super key); "delete" is Backspace. Nothing when the text does not parse.
std::optional<QKeySequence> keySequence(const QString &text);
// The shortcut as the user reads it, with this platform's key names in Qt's order, for example "Ctrl+Shift+V",
// "Super+V" or "Ctrl+Backspace"; empty when the text does not parse. Words are in the interface language.
// Every surface that shows a key (menus, badges, key caps, tool tips, settings) writes it through here; Qt's own key
// texts say the same once KeyNameTranslator is installed.
QString displayText(const QString &text);
// The names that displayText joins with "+", one per key cap: modifiers in Qt's order, then the key; empty when the
// text does not parse.
QStringList displayNames(const QString &text);
// The name shown for a modifier word ("Ctrl", "Shift", "Alt", "Super"); nothing for another word.
std::optional<QString> modifierDisplayName(const QString &word);
// The name shown for a key name: letters upper-cased, "delete" as "Backspace", "return" as "Enter", "escape" as
// "Esc", "space", "tab" and the arrows by their names; nothing outside the key table.
std::optional<QString> keyDisplayName(const QString &keyName);

} // namespace ShortcutText
