#pragma once

#include "AppPreferences.h"
#include "AssociatedApplication.h"
#include "ClipboardItem.h"
#include "ItemCommandMenu.h"
#include "Tag.h"
#include "Workspace.h"

#include <QIcon>
#include <QList>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class ItemCommandRunner;
class QMenu;
class QWidget;

// What the item menus ask of the desktop: the application a paste goes to, and the application that opens a file
// or an address by default (with its icon). Either may be unset: then there is none.
struct HistoryItemMenuDesktop
{
    std::function<std::optional<RunningApplication>()> pasteTarget;
    std::function<std::optional<AssociatedApplication>(const QUrl &)> applicationForURL;
};

// The right-click menu of one history item, as the command registry lists it for the item, built afresh for each
// click from the item, the tags and the preferences of that moment, with the desktop's pictures. Each entry runs
// through the runner, which reads the item again when the user picks it; once the runner is gone the entries do
// nothing. GUI thread only.
class HistoryItemContextMenu
{
public:
    HistoryItemContextMenu(ItemCommandRunner *runner, QList<Tag> availableTags, AppPreferences preferences,
        HistoryItemMenuDesktop desktop);

    // The item's entries and the pictures they show.
    ItemCommandMenuContent content(const ClipboardItem &item) const;
    // A new menu for the item, owned by the caller.
    QMenu *makeMenu(const ClipboardItem &item, QWidget *parent = nullptr) const;
    // Adds the item's entries to the menu.
    void fill(QMenu &menu, const ClipboardItem &item) const;
    // Runs an entry through the runner; nothing once it is gone.
    ItemCommandMenu::Run runner() const;

    // The icon of the application a paste goes to; a generic application icon when there is none.
    static QIcon pasteTargetIcon(const std::optional<RunningApplication> &application);

private:
    QPointer<ItemCommandRunner> m_runner;
    QList<Tag> m_availableTags;
    AppPreferences m_preferences;
    HistoryItemMenuDesktop m_desktop;
};
