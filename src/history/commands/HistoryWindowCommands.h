#pragma once

#include "ClipboardItem.h"
#include "ItemCommandRunner.h"

#include <QList>
#include <QUuid>

#include <optional>

class HistoryCommandPalettes;
class QMenu;
class QWidget;

// The history window's commands that its overlays and item commands carry out: the command palette, the preview,
// the rename and new-tag fields, and the item commands that need them (ItemCommandHost). Key dispatch and the list
// reach them through this interface.
class HistoryWindowCommands : public ItemCommandHost
{
public:
    virtual ~HistoryWindowCommands() = default;

    // The palettes the commands open; not owned, set once by the window before any command runs.
    virtual void setCommandPalettes(HistoryCommandPalettes *palettes) = 0;

    // Overlays on the window: while one is open, keys go to it and losing the focus does not hide the window.
    virtual bool isCommandPaletteOpen() const = 0;
    virtual bool isOverlayOpen() const = 0;
    virtual bool isModalSheetPresentationPending() const = 0;
    // An overlay closed a moment ago and gave the focus back to the window; the window manager may not have settled
    // it yet.
    virtual bool hasJustClosedOverlay() const { return false; }
    virtual void closeCommandPalette() = 0;
    virtual void presentCommandPalette() = 0;
    // The open preview follows the list's selection (nothing when there is none), and a changed or removed item.
    virtual void retargetPreview(const std::optional<ClipboardItem> &item) = 0;
    virtual void refreshPreviewSheetItem() = 0;
    // The open overlay that is a window of its own over the history window (the preview), or none. It takes the
    // keys that reach the history window, and the history window takes no clicks while it is open.
    virtual QWidget *attachedWindow() const { return nullptr; }

    // Item commands on the selection or the selected item. Copying answers whether the clipboard was written.
    virtual void pasteSelectedSecondary() = 0;
    virtual bool copySelected() = 0;
    virtual bool copySelectedSecondary() = 0;

    // The right-click menu of one item; the caller owns it (parented to parent when given).
    virtual QMenu *makeItemContextMenu(const ClipboardItem &item, QWidget *parent) = 0;
    // Fills the list's right-click menu for the selected items: the item's menu for one, the menu of the selection's
    // commands for two or more, nothing for none.
    virtual void fillContextMenu(QMenu &menu, const QList<ClipboardItem> &items) = 0;
};
