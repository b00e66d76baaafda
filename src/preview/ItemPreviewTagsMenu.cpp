#include "ItemPreviewTagsMenu.h"

#include "HistoryMenuEntry.h"
#include "ItemPreviewActionsMenu.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

namespace {

bool isWithin(const QObject *object, const QObject *ancestor)
{
    for (; object; object = object->parent()) {
        if (object == ancestor)
            return true;
    }
    return false;
}

} // namespace

ItemPreviewTagsMenu::ItemPreviewTagsMenu(ItemMenuBuilder makeItemMenu, std::function<void()> dismissPreview)
    : m_makeItemMenu(std::move(makeItemMenu)), m_dismissPreview(std::move(dismissPreview))
{ }

QMenu *ItemPreviewTagsMenu::menu(const ClipboardItem &item) const
{
    auto *result = new QMenu;
    QMenu *itemMenu = m_makeItemMenu ? m_makeItemMenu(item) : nullptr;
    if (!itemMenu)
        return result;
    const QList<QAction *> entries = itemMenu->actions();
    const auto tags = std::find_if(entries.cbegin(), entries.cend(),
        [](const QAction *entry) { return ItemPreviewActionsMenu::isTagsMenuEntry(*entry); });
    if (tags != entries.cend()) {
        QMenu *submenu = (*tags)->menu();
        for (QAction *entry : submenu->actions()) {
            submenu->removeAction(entry);
            // The entry outlives the item menu it came from.
            if (isWithin(entry, itemMenu))
                entry->setParent(result);
            if (QMenu *nested = entry->menu(); nested && isWithin(nested, itemMenu))
                nested->setParent(result, nested->windowFlags());
            result->addAction(entry);
            const std::optional<HistoryMenuAction> id = historyMenuAction(*entry);
            if (id && *id != HistoryMenuAction::toggleTag)
                ItemPreviewActionsMenu::forwardAfterDismissing(*entry, m_dismissPreview);
        }
    }
    delete itemMenu;
    return result;
}
