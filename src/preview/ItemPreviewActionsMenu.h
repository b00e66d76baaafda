#pragma once

#include "ClipboardItem.h"
#include "ItemCommandMenu.h"

#include <functional>

class QMenu;

// The preview's More Actions menu: the command registry's list for the item without what the preview offers itself
// (edit, favourite, preview, the paste and copy commands, the text and QR-code copies, the Tags submenu). Choosing
// an entry closes the preview first and runs the entry on the next turn of the event loop, so that it works on the
// history window; a transform runs at once and the preview stays to show its result.
class ItemPreviewActionsMenu final
{
public:
    // The item's list (the one-item menu's) as the history window gives it, with its pictures.
    using ItemEntries = std::function<ItemCommandMenuContent(const ClipboardItem &)>;

    ItemPreviewActionsMenu(ItemEntries itemEntries, ItemCommandMenu::Run run, std::function<void()> dismissPreview);

    // The menu for the item, built afresh; the caller owns it. None without a list.
    QMenu *makeMenu(const ClipboardItem &item) const;

    // Runs the entries through `run`: the preview closes first and the entry runs on the next turn of the event
    // loop, unless the entry is one that works with the preview open.
    static ItemCommandMenu::Run forwardingAfterDismissing(
        const ItemCommandMenu::Run &run, const std::function<void()> &dismissPreview);

private:
    ItemEntries m_itemEntries;
    ItemCommandMenu::Run m_run;
    std::function<void()> m_dismissPreview;
};
