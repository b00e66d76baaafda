#pragma once

#include "ItemCommandRegistry.h"

#include <QIcon>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QMenu;

// The pictures of a menu's entries that are not symbols, looked up by whoever shows the menu. A null icon falls
// back to the entry's symbol.
struct ItemCommandMenuImages
{
    QIcon pasteTarget;
    QIcon defaultApplication;
    QIcon fileManager;
    // The dot of a tag's colour text.
    std::function<QIcon(const QString &color)> tagDot;
};

// A list of the registry with what its menu shows besides.
struct ItemCommandMenuContent
{
    QList<ItemCommandEntry> entries;
    ItemCommandMenuImages images;
};

// Menus made from the registry's entries: every menu that offers item commands (the one-item menu, the menu of
// several rows, the preview's menus) is built here, so that titles, pictures, keys, check marks and the red of a
// destructive entry look the same everywhere. Each action is marked with its command's id and runs its entry
// through the function given. GUI thread only.
namespace ItemCommandMenu {

using Run = std::function<void(const ItemCommandEntry &)>;

// Adds the entries (with their submenus) to the menu.
void fill(QMenu &menu, const QList<ItemCommandEntry> &entries, const ItemCommandMenuImages &images, const Run &run);

// The key a menu shows beside an entry for the shortcut text: "space" as Space; any other shortcut when its key is
// one character as a menu writes it, Return, Escape, Backspace and Tab included ("down" and "f5" are left out).
// Nothing for a text that does not parse.
std::optional<QString> keyText(const QString &shortcut);

// The command an action stands for; nothing for separators, submenus' parents and actions that are no entry.
std::optional<ItemCommandID> commandOf(const QAction &action);

// Moves every entry of `from` (with its submenu and the way it is drawn) to the end of `into`; `from` is left empty.
void takeEntries(QMenu &into, QMenu &from);

} // namespace ItemCommandMenu
