#include "HistoryKeyEvent.h"

#include "KeyboardCodes.h"
#include "ShortcutText.h"

#include <QHash>
#include <QKeyEvent>

namespace {

// The Qt key of each key name of the shortcut table, read from the table itself.
const QHash<int, quint16> &keyCodesByQtKey()
{
    static const QHash<int, quint16> table = [] {
        QHash<int, quint16> result;
        for (auto it = ShortcutText::keyTable().cbegin(); it != ShortcutText::keyTable().cend(); ++it) {
            if (const auto sequence = ShortcutText::keySequence(it.key()); sequence && !sequence->isEmpty())
                result.insert(int((*sequence)[0].key()), quint16(it.value()));
        }
        result.insert(Qt::Key_Enter, VirtualKey::returnKey);
        result.insert(Qt::Key_Delete, 117); // forward delete, outside the shortcut table
        // Shifted symbols of the US layout name their keys.
        const std::pair<Qt::Key, Qt::Key> shifted[] = {{Qt::Key_Exclam, Qt::Key_1}, {Qt::Key_At, Qt::Key_2},
            {Qt::Key_NumberSign, Qt::Key_3}, {Qt::Key_Dollar, Qt::Key_4}, {Qt::Key_Percent, Qt::Key_5},
            {Qt::Key_AsciiCircum, Qt::Key_6}, {Qt::Key_Ampersand, Qt::Key_7}, {Qt::Key_Asterisk, Qt::Key_8},
            {Qt::Key_ParenLeft, Qt::Key_9}, {Qt::Key_ParenRight, Qt::Key_0}, {Qt::Key_Underscore, Qt::Key_Minus},
            {Qt::Key_Plus, Qt::Key_Equal}, {Qt::Key_BraceLeft, Qt::Key_BracketLeft},
            {Qt::Key_BraceRight, Qt::Key_BracketRight}, {Qt::Key_Colon, Qt::Key_Semicolon},
            {Qt::Key_QuoteDbl, Qt::Key_Apostrophe}, {Qt::Key_Bar, Qt::Key_Backslash}, {Qt::Key_Less, Qt::Key_Comma},
            {Qt::Key_Greater, Qt::Key_Period}, {Qt::Key_Question, Qt::Key_Slash}, {Qt::Key_Backtab, Qt::Key_Tab}};
        for (const auto &[symbol, key] : shifted) {
            // Copy the code out first: the insert may grow the hash and free the node `found` points into.
            if (const auto found = result.constFind(int(key)); found != result.cend()) {
                const quint16 keyCode = *found;
                result.insert(int(symbol), keyCode);
            }
        }
        return result;
    }();
    return table;
}

// The text a key types without modifiers: its key name when that is one character ("a", "2", ","), else nothing
// for named keys; Escape, Return, Tab and Backspace type their control characters.
QString unmodifiedText(quint16 keyCode)
{
    switch (keyCode) {
    case VirtualKey::escape:
        return QString(QChar(0x1B));
    case VirtualKey::returnKey:
        return QString(QChar(0x0D));
    case VirtualKey::tab:
        return QString(QChar(0x09));
    case VirtualKey::deleteKey:
        return QString(QChar(0x7F));
    case VirtualKey::space:
        return QStringLiteral(" ");
    case VirtualKey::left:
        return QString(QChar(0xF702));
    case VirtualKey::right:
        return QString(QChar(0xF703));
    case VirtualKey::down:
        return QString(QChar(0xF701));
    case VirtualKey::up:
        return QString(QChar(0xF700));
    default:
        break;
    }
    for (auto it = ShortcutText::keyTable().cbegin(); it != ShortcutText::keyTable().cend(); ++it) {
        if (it.value() == keyCode && it.key().size() == 1)
            return it.key();
    }
    return QString();
}

} // namespace

quint32 HistoryKeyEvent::shortcutModifierMask() const
{
    quint32 mask = 0;
    if (flags & KeyEventFlag::command)
        mask |= HotKeyModifier::command;
    if (flags & KeyEventFlag::shift)
        mask |= HotKeyModifier::shift;
    if (flags & KeyEventFlag::option)
        mask |= HotKeyModifier::option;
    if (flags & KeyEventFlag::control)
        mask |= HotKeyModifier::control;
    return mask;
}

HistoryKeyEvent HistoryKeyEvent::fromQKeyEvent(const QKeyEvent &event)
{
    HistoryKeyEvent record;
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers & Qt::ControlModifier)
        record.flags |= KeyEventFlag::command;
    if (modifiers & Qt::ShiftModifier)
        record.flags |= KeyEventFlag::shift;
    if (modifiers & Qt::AltModifier)
        record.flags |= KeyEventFlag::option;
    if (modifiers & Qt::MetaModifier)
        record.flags |= KeyEventFlag::control;
    const auto found = keyCodesByQtKey().constFind(event.key());
    if (found != keyCodesByQtKey().cend())
        record.keyCode = *found;
    record.characters = event.text();
    // Control characters that a Ctrl chord types (Ctrl+C is U+0003) are not what the key shows.
    if (record.keyCode != noKeyCode)
        record.charactersIgnoringModifiers = unmodifiedText(record.keyCode);
    else
        record.charactersIgnoringModifiers = event.text().toLower();
    if (record.keyCode != noKeyCode && (modifiers & Qt::ControlModifier) && !record.characters.isEmpty()
        && record.characters.at(0).unicode() < 0x20)
        record.characters = record.charactersIgnoringModifiers;
    return record;
}

HistoryKeyEvent HistoryKeyEvent::fromShortcutText(const QString &text, const QString &characters)
{
    HistoryKeyEvent record;
    const auto parsed = ShortcutText::parse(text);
    if (!parsed)
        return record;
    record.keyCode = quint16(parsed->keyCode);
    if (parsed->modifiers & HotKeyModifier::command)
        record.flags |= KeyEventFlag::command;
    if (parsed->modifiers & HotKeyModifier::shift)
        record.flags |= KeyEventFlag::shift;
    if (parsed->modifiers & HotKeyModifier::option)
        record.flags |= KeyEventFlag::option;
    if (parsed->modifiers & HotKeyModifier::control)
        record.flags |= KeyEventFlag::control;
    record.charactersIgnoringModifiers = unmodifiedText(record.keyCode);
    record.characters = characters.isNull() ? record.charactersIgnoringModifiers : characters;
    return record;
}
