#include "ItemCommandRunner.h"

#include "AppCoordinator.h"
#include "AppModel.h"
#include "Localization.h"
#include "TagOrder.h"

#include <QLocale>

#include <algorithm>

using ID = ItemCommandID;

ItemCommandRunner::ItemCommandRunner(
    AppModel &model, AppCoordinator &coordinator, ItemCommandHost &host, QObject *parent)
    : QObject(parent), m_model(model), m_coordinator(coordinator), m_host(host)
{ }

std::optional<ClipboardItem> ItemCommandRunner::item(const QUuid &id) const
{
    if (const ClipboardItem *found = m_model.item(id))
        return *found;
    return std::nullopt;
}

QList<ClipboardItem> ItemCommandRunner::items(const QList<QUuid> &ids) const
{
    QList<ClipboardItem> found;
    found.reserve(ids.size());
    for (const QUuid &id : ids) {
        if (const ClipboardItem *loaded = m_model.item(id))
            found.append(*loaded);
    }
    return found;
}

void ItemCommandRunner::run(const ItemCommandRequest &request)
{
    const std::optional<ClipboardItem> first = request.itemIDs.isEmpty() ? std::nullopt : item(request.itemIDs.first());
    const auto copied = [this](bool done) {
        if (done)
            m_host.showCopySuccess();
    };

    switch (request.id) {
    // Commands on no item: nothing to read.
    case ID::filterByType:
        m_host.filterHistoryByType();
        return;
    case ID::settings:
        m_coordinator.openSettings(SettingsSection::general);
        return;
    case ID::deleteAll:
        if (m_coordinator.confirmClearHistory())
            m_coordinator.clearHistory();
        return;
    case ID::editTags:
        m_coordinator.openSettings(SettingsSection::tags);
        return;
    case ID::newTag:
        if (!request.itemIDs.isEmpty())
            m_host.presentNewTagSheet(request.itemIDs);
        return;
    case ID::pasteItemsWithSeparator:
        m_host.showSeparatorPicker(request.itemIDs);
        return;
    case ID::applyTag:
        if (request.tagID)
            applyTag(request.itemIDs, *request.tagID);
        return;
    // The recognised texts of the palette act on the item selected when they run.
    case ID::copyTextFromImage:
    case ID::copyTextFromQRCode: {
        const std::optional<ClipboardItem> target = request.itemIDs.isEmpty() ? m_model.visibleSelectedItem() : first;
        if (!target)
            return;
        if (request.id == ID::copyTextFromImage)
            m_host.copyTextFromImage(*target);
        else
            m_host.copyTextFromQRCode(*target);
        return;
    }
    // Commands on several items.
    case ID::pasteItems: {
        const QList<ClipboardItem> found = items(request.itemIDs);
        if (found.isEmpty())
            return;
        // The variants follow the preferences of this moment.
        QHash<QUuid, PasteVariant> variants;
        const bool plain = m_model.preferences().preferPastingAsPlainText;
        for (const ClipboardItem &each : found)
            variants.insert(each.id, PasteVariant::defaultFor(each.kind, plain));
        m_coordinator.pasteItems(found, variants, request.separator);
        return;
    }
    case ID::copyItems: {
        const QList<ClipboardItem> found = items(request.itemIDs);
        if (found.size() >= 2)
            copied(m_coordinator.copyMergedItems(found));
        return;
    }
    case ID::mergeItems: {
        const QList<ClipboardItem> found = items(request.itemIDs);
        if (found.size() >= 2)
            m_coordinator.mergeSelectedItems(found);
        return;
    }
    case ID::favoriteItems:
    case ID::unfavoriteItems: {
        const QList<ClipboardItem> found = items(request.itemIDs);
        if (!found.isEmpty())
            m_coordinator.setFavorite(request.id == ID::favoriteItems, found);
        return;
    }
    case ID::deleteItems:
    case ID::deleteItem: {
        const QList<ClipboardItem> found = items(request.itemIDs);
        if (!found.isEmpty())
            m_coordinator.deleteItems(found);
        return;
    }
    default:
        break;
    }

    // Commands on one item, which must still be there.
    if (!first)
        return;
    const ClipboardItem &it = *first;
    switch (request.id) {
    case ID::paste:
        m_coordinator.paste(it, PasteVariant::standard);
        break;
    case ID::pastePlainText:
        m_coordinator.paste(it, PasteVariant::plainText);
        break;
    case ID::pastePath:
        m_coordinator.paste(it, PasteVariant::filePath);
        break;
    case ID::copy:
        copied(m_coordinator.copyItem(it, PasteVariant::standard));
        break;
    case ID::copyPlainText:
        copied(m_coordinator.copyItemAsPlainText(it));
        break;
    case ID::copyPath:
        copied(m_coordinator.copyItem(it, PasteVariant::filePath));
        break;
    case ID::favorite:
        m_coordinator.toggleFavorite(it);
        break;
    case ID::rename:
        m_host.renameItem(it);
        break;
    case ID::transform:
        m_host.transformItem(it);
        break;
    case ID::applyTransform:
        if (request.transform)
            m_coordinator.transformItem(it, *request.transform);
        break;
    case ID::split:
        m_coordinator.splitItem(it);
        break;
    case ID::edit:
        m_host.editItem(it);
        break;
    case ID::preview:
        m_host.presentPreview(it, false);
        break;
    case ID::saveAsFile:
        m_host.saveImageAsFile(it);
        break;
    case ID::openInDefaultApplication:
        m_coordinator.openInAssociatedApplication(it);
        break;
    case ID::openWith:
        m_host.openWith(it);
        break;
    case ID::openWithApplication:
        if (!request.applicationURL.isEmpty())
            m_coordinator.openWithApplication(it, request.applicationURL);
        break;
    case ID::showInFileManager:
        m_coordinator.showInFinder(it);
        break;
    case ID::openInBrowser:
        m_host.openInBrowser(it);
        break;
    case ID::updateLinkPreview:
        // Fetched again, also when the item has a preview.
        m_coordinator.refreshLinkPreview(it, true);
        break;
    case ID::toggleTag:
        if (request.tagID)
            m_coordinator.toggleTag(it, *request.tagID);
        break;
    default:
        // The submenus' parents (Transform, Tags) do nothing themselves.
        break;
    }
}

void ItemCommandRunner::applyTag(const QList<QUuid> &itemIDs, qint64 tagID)
{
    const QList<ClipboardItem> found = items(itemIDs);
    if (found.isEmpty())
        return;
    const bool everyItemHasIt = std::all_of(
        found.cbegin(), found.cend(), [&](const ClipboardItem &each) { return each.tags.contains(tagID); });
    for (const ClipboardItem &each : found) {
        // Each afresh: the one before may have changed the model.
        const ClipboardItem *current = m_model.item(each.id);
        if (!current)
            continue;
        if (everyItemHasIt)
            m_coordinator.toggleTag(*current, tagID);
        else if (!current->tags.contains(tagID))
            m_coordinator.assignTag(*current, tagID);
    }
}

std::optional<Tag> ItemCommandRunner::tagNamed(const QString &name) const
{
    for (const Tag &tag : TagOrder::sortedByName(m_model.tags())) {
        if (TagOrder::isSameName(tag.name, name))
            return tag;
    }
    return std::nullopt;
}

std::optional<QString> ItemCommandRunner::applyNewTag(const QString &name, const QColor &color, const QList<QUuid> &ids)
{
    // A name another tag has already, in any letter case, is refused in the dialog as in the settings; that tag is
    // one click away in the Tags menu.
    if (tagNamed(name))
        return localized(QStringLiteral("A tag with this name already exists."));
    const QList<ClipboardItem> found = items(ids);
    if (found.isEmpty())
        return std::nullopt;
    m_model.setLastError(std::nullopt);
    const std::optional<Tag> created = m_coordinator.createTag(name, color);
    if (!created) {
        // The dialog stays open and says why.
        return m_model.lastError().value_or(localized(QStringLiteral("The tag could not be created.")));
    }
    m_coordinator.assignTag(found.first(), created->id);
    if (const auto named = tagNamed(name)) {
        for (const QUuid &id : ids.mid(1)) {
            if (const auto current = item(id))
                m_coordinator.assignTag(*current, named->id);
        }
    }
    return std::nullopt;
}
