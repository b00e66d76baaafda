#pragma once

#include "AppPreferences.h"
#include "AssociatedApplication.h"
#include "ClipboardItem.h"
#include "HistoryMenuEntry.h"
#include "Tag.h"
#include "Workspace.h"

#include <QIcon>
#include <QList>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class HistoryMenuActions;
class QAction;
class QMenu;
class QWidget;

// What the item menus ask of the desktop: the application a paste goes to, and the application that opens a file
// or an address by default (with its icon). Either may be unset: then there is none.
struct HistoryItemMenuDesktop
{
    std::function<std::optional<RunningApplication>()> pasteTarget;
    std::function<std::optional<AssociatedApplication>(const QUrl &)> applicationForURL;
};

// The right-click menu of one history item: everything that can be done with it, built afresh for each click from
// the item, the tags and the preferences of that moment. Each entry is marked with its HistoryMenuAction and runs
// its action on the item's id through the actions object, which reads the item again when the user picks it; once
// that object is gone the entries do nothing. GUI thread only.
class HistoryItemContextMenu
{
public:
    // The nine entry lists, by the kind and the files of the item.
    enum class Variant { text, link, email, color, image, missingFile, multipleFiles, imageFile, file };

    HistoryItemContextMenu(HistoryMenuActions *actions, QList<Tag> availableTags, AppPreferences preferences,
        HistoryItemMenuDesktop desktop);

    static Variant variant(const ClipboardItem &item);

    // A new menu for the item, owned by the caller.
    QMenu *makeMenu(const ClipboardItem &item, QWidget *parent = nullptr) const;
    // Adds the item's entries to the menu.
    void fill(QMenu &menu, const ClipboardItem &item) const;

    // The key as a menu shows it beside an entry for the shortcut text: "space" as Space; any other shortcut only
    // when its key is one character or Return, Escape, Backspace or Tab. Nothing for a text that does not parse.
    static std::optional<QString> menuKeyText(const QString &shortcut);
    // The icon of the application a paste goes to; a generic application icon when there is none.
    static QIcon pasteTargetIcon(const std::optional<RunningApplication> &application);

private:
    QAction *addEntry(QMenu &menu, const QString &title, HistoryMenuAction id, const QIcon &icon,
        const std::optional<QString> &shortcut, std::function<void(HistoryMenuActions &)> run,
        bool destructive = false) const;
    void addTransformMenu(QMenu &menu, const ClipboardItem &item) const;
    void addTagsMenu(QMenu &menu, const QString &title, const ClipboardItem &item) const;
    void addOpenInApplication(QMenu &menu, const ClipboardItem &item) const;

    QPointer<HistoryMenuActions> m_actions;
    QList<Tag> m_availableTags;
    AppPreferences m_preferences;
    HistoryItemMenuDesktop m_desktop;
};

// Moves every entry of `from` (with its submenu and the way it is drawn) to the end of `into`; `from` is left empty.
void takeMenuEntries(QMenu &into, QMenu &from);
