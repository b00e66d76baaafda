#include "ItemPreviewActionsMenu.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QTimer>

#include <algorithm>

ItemPreviewActionsMenu::ItemPreviewActionsMenu(ItemMenuBuilder makeItemMenu, std::function<void()> dismissPreview)
    : m_makeItemMenu(std::move(makeItemMenu)), m_dismissPreview(std::move(dismissPreview))
{ }

bool ItemPreviewActionsMenu::isRemovedEntry(HistoryMenuAction action)
{
    switch (action) {
    case HistoryMenuAction::edit:
    case HistoryMenuAction::favorite:
    case HistoryMenuAction::preview:
    case HistoryMenuAction::paste:
    case HistoryMenuAction::pastePlainText:
    case HistoryMenuAction::pasteFilePath:
    case HistoryMenuAction::copy:
    case HistoryMenuAction::copyPlainText:
    case HistoryMenuAction::copyFilePath:
    case HistoryMenuAction::copyTextFromImage:
    case HistoryMenuAction::copyTextFromQRCode:
        return true;
    default:
        return false;
    }
}

bool ItemPreviewActionsMenu::isTagsMenuEntry(const QAction &action)
{
    const QMenu *submenu = action.menu();
    if (!submenu)
        return false;
    const QList<QAction *> entries = submenu->actions();
    return std::any_of(entries.cbegin(), entries.cend(), [](const QAction *entry) {
        const std::optional<HistoryMenuAction> id = historyMenuAction(*entry);
        return id == HistoryMenuAction::toggleTag || id == HistoryMenuAction::newTag;
    });
}

void ItemPreviewActionsMenu::tidySeparators(QMenu &menu)
{
    QAction *previous = nullptr; // the last entry kept
    for (QAction *action : menu.actions()) {
        if (action->isSeparator() && (!previous || previous->isSeparator())) {
            menu.removeAction(action);
            continue;
        }
        previous = action;
    }
    if (previous && previous->isSeparator())
        menu.removeAction(previous);
}

void ItemPreviewActionsMenu::forwardAfterDismissing(QAction &action, const std::function<void()> &dismissPreview)
{
    const std::function<void()> work = historyMenuRun(action);
    replaceHistoryMenuRun(action, [dismissPreview, work] {
        if (dismissPreview)
            dismissPreview();
        // After the preview has gone; the application object, not the menu or the preview, carries the call.
        if (work)
            QTimer::singleShot(0, QCoreApplication::instance(), work);
    });
}

void ItemPreviewActionsMenu::forwardEntries(QMenu &menu) const
{
    for (QAction *action : menu.actions()) {
        if (QMenu *submenu = action->menu()) {
            forwardEntries(*submenu);
            continue;
        }
        const std::optional<HistoryMenuAction> id = historyMenuAction(*action);
        // A transform changes the item in place: the preview stays open and shows the result.
        if (!id || *id == HistoryMenuAction::applyTransform)
            continue;
        forwardAfterDismissing(*action, m_dismissPreview);
    }
}

QMenu *ItemPreviewActionsMenu::makeMenu(const ClipboardItem &item) const
{
    QMenu *menu = m_makeItemMenu ? m_makeItemMenu(item) : nullptr;
    if (!menu)
        return nullptr;
    for (QAction *action : menu->actions()) {
        const std::optional<HistoryMenuAction> id = historyMenuAction(*action);
        if ((id && isRemovedEntry(*id)) || isTagsMenuEntry(*action))
            menu->removeAction(action);
    }
    tidySeparators(*menu);
    forwardEntries(*menu);
    return menu;
}
