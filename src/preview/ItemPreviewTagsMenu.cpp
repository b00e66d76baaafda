#include "ItemPreviewTagsMenu.h"

#include "ItemPreviewActionsMenu.h"

#include <QMenu>

ItemPreviewTagsMenu::ItemPreviewTagsMenu(
    ItemEntries itemEntries, ItemCommandMenu::Run run, std::function<void()> dismissPreview)
    : m_itemEntries(std::move(itemEntries)), m_run(std::move(run)), m_dismissPreview(std::move(dismissPreview))
{ }

QMenu *ItemPreviewTagsMenu::menu(const ClipboardItem &item) const
{
    auto *result = new QMenu;
    if (!m_itemEntries)
        return result;
    const ItemCommandMenuContent content = m_itemEntries(item);
    ItemCommandMenu::fill(*result, ItemCommandRegistry::previewTags(content.entries), content.images,
        ItemPreviewActionsMenu::forwardingAfterDismissing(m_run, m_dismissPreview));
    return result;
}
