#include "HistoryKeyDispatch.h"

#include "AppPreferences.h"
#include "KeyboardCodes.h"
#include "ShortcutText.h"

namespace {

constexpr QChar escapeCharacter(0x1B);

bool isEscape(const HistoryKeyEvent &event)
{
    return event.charactersIgnoringModifiers == QString(escapeCharacter);
}

HistoryKeyDecision decision(HistoryKeyDecision::Kind kind)
{
    HistoryKeyDecision result;
    result.kind = kind;
    return result;
}

// The chords that edit the search field's text while it has some: they never act on the history items then.
bool belongsToSearchField(const HistoryKeyEvent &event, const HistoryKeyDispatchState &state)
{
    if (!state.searchFieldHasText || event.modifiers() != KeyEventFlag::command)
        return false;
    if (event.keyCode == VirtualKey::deleteKey)
        return true;
    constexpr quint16 keyC = 8;
    return event.keyCode == keyC && state.searchFieldHasSelectedText;
}

} // namespace

QString HistoryKeyDispatch::shortcutText(const AppPreferences &p, HistoryShortcutAction action)
{
    switch (action) {
    case HistoryShortcutAction::closeHistory:
        return p.closeHistoryShortcut;
    case HistoryShortcutAction::selectNextItem:
        return p.selectNextItemShortcut;
    case HistoryShortcutAction::selectPreviousItem:
        return p.selectPreviousItemShortcut;
    case HistoryShortcutAction::pasteSelected:
        return p.pasteSelectedShortcut;
    case HistoryShortcutAction::pasteSelectedSecondary:
        return p.pasteSelectedSecondaryShortcut;
    case HistoryShortcutAction::copySelected:
        return p.copySelectedShortcut;
    case HistoryShortcutAction::copySelectedSecondary:
        return p.copySelectedSecondaryShortcut;
    case HistoryShortcutAction::deleteItem:
        return p.deleteItemShortcut;
    case HistoryShortcutAction::toggleFavorite:
        return p.toggleFavoriteShortcut;
    case HistoryShortcutAction::showInFinder:
        return p.showInFinderShortcut;
    case HistoryShortcutAction::openInBrowser:
        return p.openInBrowserShortcut;
    case HistoryShortcutAction::editItem:
        return p.editItemShortcut;
    case HistoryShortcutAction::renameItem:
        return p.renameItemShortcut;
    case HistoryShortcutAction::transformItem:
        return p.transformItemShortcut;
    case HistoryShortcutAction::focusSearchField:
        return p.focusSearchFieldShortcut;
    case HistoryShortcutAction::filterHistoryByType:
        return p.filterHistoryByTypeShortcut;
    case HistoryShortcutAction::openSettings:
        return p.openSettingsShortcut;
    case HistoryShortcutAction::showCommandPalette:
        return p.showCommandPaletteShortcut;
    }
    return QString();
}

QList<QPair<QString, HistoryShortcutAction>> HistoryKeyDispatch::windowShortcutTable(const AppPreferences &preferences)
{
    QList<QPair<QString, HistoryShortcutAction>> table;
    for (int n = int(HistoryShortcutAction::closeHistory); n <= int(HistoryShortcutAction::filterHistoryByType); ++n)
        table.append({shortcutText(preferences, HistoryShortcutAction(n)), HistoryShortcutAction(n)});
    for (HistoryShortcutAction action :
        {HistoryShortcutAction::showCommandPalette, HistoryShortcutAction::openSettings})
        table.append({shortcutText(preferences, action), action});
    return table;
}

bool HistoryKeyDispatch::isBareKeyShortcut(const QString &text)
{
    const QStringList parts = ShortcutText::parts(text);
    return parts.size() == 1 && (parts.first().size() == 1 || parts.first() == u"space");
}

HistoryKeyDecision HistoryKeyDispatch::decideOverlayKey(
    const HistoryKeyEvent &event, const HistoryKeyDispatchState &state)
{
    if (state.isCommandPaletteOpen && isEscape(event))
        return decision(HistoryKeyDecision::Kind::closeCommandPalette);
    return decision(HistoryKeyDecision::Kind::notHandled);
}

HistoryKeyDecision HistoryKeyDispatch::decideWindowKey(
    const HistoryKeyEvent &event, const HistoryKeyDispatchState &state, const AppPreferences &preferences)
{
    using Kind = HistoryKeyDecision::Kind;
    const quint64 modifiers = event.modifiers();

    // Space previews the selected item, unless it types into a search that has text.
    if (modifiers == 0 && event.keyCode == VirtualKey::space) {
        if (state.focus == HistoryKeyFocus::searchField && !state.searchQuery.isEmpty())
            return decision(Kind::notHandled);
        return decision(Kind::showPreview);
    }

    // Ctrl+1 to Ctrl+9, also beyond the visible items.
    if (modifiers == KeyEventFlag::command && !event.charactersIgnoringModifiers.isEmpty()) {
        const int digit = event.charactersIgnoringModifiers.at(0).digitValue();
        if (digit >= 1 && digit <= 9) {
            HistoryKeyDecision result = decision(Kind::numberKey);
            result.number = digit;
            return result;
        }
    }

    if (state.focus == HistoryKeyFocus::list && modifiers == 0) {
        switch (event.keyCode) {
        case VirtualKey::left:
            return decision(Kind::removeCurrentFromSelection);
        case VirtualKey::right:
            return decision(Kind::addCurrentToSelection);
        case VirtualKey::down:
            if (state.isKeyboardMultipleSelectionMode)
                return decision(Kind::moveKeyboardFocusDown);
            break;
        case VirtualKey::up:
            if (state.isKeyboardMultipleSelectionMode)
                return decision(Kind::moveKeyboardFocusUp);
            break;
        default:
            break;
        }
    }
    if (state.focus == HistoryKeyFocus::list && modifiers == KeyEventFlag::shift) {
        if (event.keyCode == VirtualKey::down)
            return decision(Kind::extendSelectionDown);
        if (event.keyCode == VirtualKey::up)
            return decision(Kind::extendSelectionUp);
    }

    if (belongsToSearchField(event, state))
        return decision(Kind::notHandled);

    const quint32 eventMask = event.shortcutModifierMask();
    for (const auto &[text, action] : windowShortcutTable(preferences)) {
        const auto parsed = ShortcutText::parse(text);
        if (!parsed || parsed->keyCode != event.keyCode || parsed->modifiers != eventMask)
            continue;
        if (isBareKeyShortcut(text) && state.focus == HistoryKeyFocus::searchField)
            return decision(Kind::notHandled);
        if (action == HistoryShortcutAction::closeHistory && isEscape(event))
            return decision(Kind::closeHistoryOrClearSearch);
        HistoryKeyDecision result = decision(Kind::shortcut);
        result.action = action;
        return result;
    }
    return decision(Kind::notHandled);
}
