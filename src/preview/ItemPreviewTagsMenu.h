#pragma once

#include "ClipboardItem.h"
#include "ItemCommandMenu.h"

#include <functional>

class QMenu;

// The preview's Tags menu: the entries of the Tags submenu of the command registry's list for the item. A tag's
// toggle works in place and the preview stays open; any other entry (New Tag..., Edit Tags...) closes the preview
// first and runs on the next turn of the event loop, on the history window.
class ItemPreviewTagsMenu final
{
public:
    using ItemEntries = std::function<ItemCommandMenuContent(const ClipboardItem &)>;

    ItemPreviewTagsMenu(ItemEntries itemEntries, ItemCommandMenu::Run run, std::function<void()> dismissPreview);

    // A new menu holding the Tags submenu's entries in their order; empty when the list has no Tags submenu. The
    // caller owns it.
    QMenu *menu(const ClipboardItem &item) const;

private:
    ItemEntries m_itemEntries;
    ItemCommandMenu::Run m_run;
    std::function<void()> m_dismissPreview;
};
