#pragma once

#include "ClipboardItem.h"

#include <functional>

class QMenu;

// The preview's Tags menu: the entries of the Tags submenu of the history window's menu for the item. A tag's
// toggle works in place and the preview stays open; any other entry (New Tag..., Edit Tags...) closes the preview
// first and runs on the next turn of the event loop, on the history window.
class ItemPreviewTagsMenu final
{
public:
    using ItemMenuBuilder = std::function<QMenu *(const ClipboardItem &)>;

    ItemPreviewTagsMenu(ItemMenuBuilder makeItemMenu, std::function<void()> dismissPreview);

    // A new menu holding the Tags submenu's entries in their order; empty when the item menu has no Tags submenu.
    // The caller owns it.
    QMenu *menu(const ClipboardItem &item) const;

private:
    ItemMenuBuilder m_makeItemMenu;
    std::function<void()> m_dismissPreview;
};
