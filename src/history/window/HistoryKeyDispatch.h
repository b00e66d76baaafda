#pragma once

#include "HistoryKeyEvent.h"

#include <QList>
#include <QPair>
#include <QString>

struct AppPreferences;

// The history window's own actions, each bound to shortcut text in the preferences, in this order.
enum class HistoryShortcutAction {
    closeHistory,
    selectNextItem,
    selectPreviousItem,
    pasteSelected,
    pasteSelectedSecondary,
    copySelected,
    copySelectedSecondary,
    deleteItem,
    toggleFavorite,
    showInFinder,
    openInBrowser,
    editItem,
    renameItem,
    transformItem,
    focusSearchField,
    filterHistoryByType,
    openSettings,
    showCommandPalette,
};

// Where the keyboard focus of the history window is.
enum class HistoryKeyFocus { list, searchField, other };

// What the window is like when a key arrives.
struct HistoryKeyDispatchState
{
    bool isCommandPaletteOpen = false;
    // Any overlay on the window: the palette, a rename or new-tag field, the preview. Keys go to it.
    bool isOverlayOpen = false;
    HistoryKeyFocus focus = HistoryKeyFocus::other;
    // The search text in effect: the one typed and not yet given to the model, else the model's.
    QString searchQuery;
    // The search field's own text and whether part of it is selected.
    bool searchFieldHasText = false;
    bool searchFieldHasSelectedText = false;
    bool isKeyboardMultipleSelectionMode = false;
};

// What a key press does in the history window.
struct HistoryKeyDecision
{
    enum class Kind {
        notHandled, // the key goes on to the focused widget (or the open overlay)
        closeCommandPalette,
        showPreview, // Space: the selected item's preview (also handled when nothing is selected)
        numberKey, // Ctrl+1 to Ctrl+9: paste or copy the n-th visible item
        removeCurrentFromSelection, // Left in the list
        addCurrentToSelection, // Right in the list
        moveKeyboardFocusDown,
        moveKeyboardFocusUp,
        extendSelectionDown,
        extendSelectionUp,
        closeHistoryOrClearSearch, // Escape bound to closeHistory
        shortcut, // one of the window shortcuts
    };

    Kind kind = Kind::notHandled;
    int number = 0;
    HistoryShortcutAction action = HistoryShortcutAction::closeHistory;

    bool operator==(const HistoryKeyDecision &) const = default;
    bool isHandled() const { return kind != Kind::notHandled; }
};

namespace HistoryKeyDispatch {

// The shortcut text of each action from the preferences, in lookup order: every action in its order except that
// the command palette comes before the settings. The first match wins.
QList<QPair<QString, HistoryShortcutAction>> windowShortcutTable(const AppPreferences &preferences);
// The preference field's text of one action.
QString shortcutText(const AppPreferences &preferences, HistoryShortcutAction action);
// One character or "space" alone, without a modifier: such a shortcut types into a text field instead.
bool isBareKeyShortcut(const QString &text);

// The open palette's or overlay's share of a key: Escape closes the palette; with an overlay open every other key
// is left to it. Nothing is handled when no overlay is open.
HistoryKeyDecision decideOverlayKey(const HistoryKeyEvent &event, const HistoryKeyDispatchState &state);
// The window's own rules in their order, once no overlay took the key and the toolbar declined it: Space, the
// number keys, the list's keys without and with Shift, then the window shortcuts with the bare-key rule. While the
// search field has text, Ctrl+Backspace and (with selected text) Ctrl+C are the field's.
HistoryKeyDecision decideWindowKey(
    const HistoryKeyEvent &event, const HistoryKeyDispatchState &state, const AppPreferences &preferences);

} // namespace HistoryKeyDispatch
