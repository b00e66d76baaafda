#include "ItemPreviewActionsMenu.h"

#include <QCoreApplication>
#include <QMenu>
#include <QTimer>

ItemPreviewActionsMenu::ItemPreviewActionsMenu(
    ItemEntries itemEntries, ItemCommandMenu::Run run, std::function<void()> dismissPreview)
    : m_itemEntries(std::move(itemEntries)), m_run(std::move(run)), m_dismissPreview(std::move(dismissPreview))
{ }

ItemCommandMenu::Run ItemPreviewActionsMenu::forwardingAfterDismissing(
    const ItemCommandMenu::Run &run, const std::function<void()> &dismissPreview)
{
    return [run, dismissPreview](const ItemCommandEntry &entry) {
        if (ItemCommandRegistry::runsWithPreviewOpen(entry.id)) {
            // A transform or a tag changes the item in place: the preview stays open and shows the result.
            if (run)
                run(entry);
            return;
        }
        if (dismissPreview)
            dismissPreview();
        // After the preview has gone; the application object, not the menu or the preview, carries the call.
        if (run)
            QTimer::singleShot(0, QCoreApplication::instance(), [run, entry] { run(entry); });
    };
}

QMenu *ItemPreviewActionsMenu::makeMenu(const ClipboardItem &item) const
{
    if (!m_itemEntries)
        return nullptr;
    const ItemCommandMenuContent content = m_itemEntries(item);
    if (content.entries.isEmpty())
        return nullptr;
    auto *menu = new QMenu;
    ItemCommandMenu::fill(*menu, ItemCommandRegistry::previewActions(content.entries), content.images,
        forwardingAfterDismissing(m_run, m_dismissPreview));
    return menu;
}
