#pragma once

#include "ClipboardItem.h"
#include "HistoryMenuEntry.h"

#include <functional>

class QAction;
class QMenu;

// The preview's More Actions menu: the history window's menu for the item without what the preview offers itself
// (edit, favourite, preview, the paste and copy commands, the text and QR-code copies, the Tags submenu). Choosing
// an entry closes the preview first and runs the entry's work on the next turn of the event loop, so that it
// works on the history window; a transform runs at once and the preview stays to show its result.
class ItemPreviewActionsMenu final
{
public:
    using ItemMenuBuilder = std::function<QMenu *(const ClipboardItem &)>;

    ItemPreviewActionsMenu(ItemMenuBuilder makeItemMenu, std::function<void()> dismissPreview);

    // The menu for the item, built afresh from the history window's menu; the caller owns it.
    QMenu *makeMenu(const ClipboardItem &item) const;

    // The entries that leave the menu, by what they do.
    static bool isRemovedEntry(HistoryMenuAction action);
    // An entry whose submenu holds a tag's toggle or "New Tag...": the Tags submenu.
    static bool isTagsMenuEntry(const QAction &action);
    // No separator first, last or next to another one.
    static void tidySeparators(QMenu &menu);
    // Makes the entry close the preview first and run its own work on the next turn of the event loop.
    static void forwardAfterDismissing(QAction &action, const std::function<void()> &dismissPreview);

private:
    void forwardEntries(QMenu &menu) const;

    ItemMenuBuilder m_makeItemMenu;
    std::function<void()> m_dismissPreview;
};
