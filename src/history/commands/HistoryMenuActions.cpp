#include "HistoryMenuActions.h"

#include "AppCoordinator.h"
#include "AppModel.h"
#include "HistoryToolbar.h"
#include "HistoryWindowCommands.h"
#include "Localization.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

HistoryMenuActions::HistoryMenuActions(AppModel &model, AppCoordinator &coordinator, HistoryWindowCommands &commands,
    std::function<HistoryToolbar *()> toolbar, QObject *parent)
    : QObject(parent), m_model(model), m_coordinator(coordinator), m_commands(commands), m_toolbar(std::move(toolbar))
{ }

std::optional<ClipboardItem> HistoryMenuActions::item(const QUuid &id) const
{
    if (const ClipboardItem *found = m_model.item(id))
        return *found;
    return std::nullopt;
}

QList<ClipboardItem> HistoryMenuActions::items(const QList<QUuid> &ids) const
{
    QList<ClipboardItem> found;
    found.reserve(ids.size());
    for (const QUuid &id : ids) {
        if (const ClipboardItem *loaded = m_model.item(id))
            found.append(*loaded);
    }
    return found;
}

void HistoryMenuActions::showCopySuccess()
{
    if (HistoryToolbar *toolbar = m_toolbar ? m_toolbar() : nullptr)
        toolbar->showCopySuccess();
}

void HistoryMenuActions::paste(const QUuid &id, PasteVariant variant)
{
    if (const auto found = item(id))
        m_coordinator.paste(*found, variant);
}

void HistoryMenuActions::copy(const QUuid &id, PasteVariant variant)
{
    if (const auto found = item(id); found && m_coordinator.copyItem(*found, variant))
        showCopySuccess();
}

void HistoryMenuActions::copyPlainText(const QUuid &id)
{
    if (const auto found = item(id); found && m_coordinator.copyItemAsPlainText(*found))
        showCopySuccess();
}

void HistoryMenuActions::toggleFavorite(const QUuid &id)
{
    if (const auto found = item(id))
        m_coordinator.toggleFavorite(*found);
}

void HistoryMenuActions::applyTransform(const QUuid &id, ClipboardTextTransform transform)
{
    if (const auto found = item(id))
        m_coordinator.transformItem(*found, transform);
}

void HistoryMenuActions::split(const QUuid &id)
{
    if (const auto found = item(id))
        m_coordinator.splitItem(*found);
}

void HistoryMenuActions::rename(const QUuid &id)
{
    if (const auto found = item(id))
        m_commands.renameItem(*found);
}

void HistoryMenuActions::edit(const QUuid &id)
{
    if (const auto found = item(id))
        m_commands.editItem(*found);
}

void HistoryMenuActions::copyTextFromImage(const QUuid &id)
{
    if (const auto found = item(id))
        m_commands.copyTextFromImage(*found);
}

void HistoryMenuActions::copyTextFromQRCode(const QUuid &id)
{
    if (const auto found = item(id))
        m_commands.copyTextFromQRCode(*found);
}

void HistoryMenuActions::saveImageAsFile(const QUuid &id)
{
    if (const auto found = item(id))
        m_commands.saveImageAsFile(*found);
}

void HistoryMenuActions::openInBrowser(const QUuid &id)
{
    if (const auto found = item(id))
        m_commands.openInBrowser(*found);
}

void HistoryMenuActions::updateLinkPreview(const QUuid &id)
{
    if (const auto found = item(id))
        m_coordinator.refreshLinkPreview(*found, true);
}

void HistoryMenuActions::toggleTag(const QUuid &id, qint64 tagID)
{
    if (const auto found = item(id))
        m_coordinator.toggleTag(*found, tagID);
}

void HistoryMenuActions::newTag(const QList<QUuid> &ids)
{
    if (!ids.isEmpty())
        m_commands.presentNewTagSheet(ids);
}

void HistoryMenuActions::editTags()
{
    m_coordinator.openSettings(SettingsSection::tags);
}

void HistoryMenuActions::preview(const QUuid &id)
{
    if (const auto found = item(id))
        m_commands.presentPreview(*found, false);
}

void HistoryMenuActions::showInFileManager(const QUuid &id)
{
    if (const auto found = item(id))
        m_coordinator.showInFinder(*found);
}

void HistoryMenuActions::openInAssociatedApplication(const QUuid &id)
{
    if (const auto found = item(id))
        m_coordinator.openInAssociatedApplication(*found);
}

void HistoryMenuActions::openWith(const QUuid &id)
{
    if (const auto found = item(id))
        m_commands.openWith(*found);
}

void HistoryMenuActions::deleteItem(const QUuid &id)
{
    if (const auto found = item(id))
        m_coordinator.deleteItems({*found});
}

QList<Tag> HistoryMenuActions::tagsSortedByName(const QList<Tag> &tags)
{
    QList<Tag> sorted = tags;
    QCollator collator(QLocale(supportedLanguageCode(currentInterfaceLanguage())));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(
        sorted.begin(), sorted.end(), [&](const Tag &a, const Tag &b) { return collator.compare(a.name, b.name) < 0; });
    return sorted;
}

std::optional<Tag> HistoryMenuActions::tagNamed(const QString &name) const
{
    QCollator collator(QLocale(supportedLanguageCode(currentInterfaceLanguage())));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (const Tag &tag : tagsSortedByName(m_model.tags())) {
        if (collator.compare(tag.name, name) == 0)
            return tag;
    }
    return std::nullopt;
}

std::optional<QString> HistoryMenuActions::applyNewTag(
    const QString &name, const QColor &color, const QList<QUuid> &ids)
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
