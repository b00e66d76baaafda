#include "HistoryWindowCommands.h"

#include "AppCoordinator.h"
#include "AppModel.h"
#include "HistoryCommandPalettes.h"

namespace {

// The other way of pasting or copying one item: the opposite text form for text, the path for a file, nothing
// for an image.
std::optional<PasteVariant> secondaryVariant(const ClipboardItem &item, bool preferPlainText)
{
    if (item.kind.isTextLike())
        return preferPlainText ? PasteVariant::standard : PasteVariant::plainText;
    if (item.kind == ClipboardKind::file)
        return PasteVariant::filePath;
    return std::nullopt;
}

} // namespace

void PlainHistoryWindowCommands::pasteSelectedSecondary()
{
    const QList<ClipboardItem> items = m_model.selectedItems();
    const bool preferPlain = m_model.preferences().preferPastingAsPlainText;
    if (items.size() == 1) {
        if (const auto variant = secondaryVariant(items.first(), preferPlain))
            m_coordinator.paste(items.first(), *variant);
        return;
    }
    QHash<QUuid, PasteVariant> variants;
    for (const ClipboardItem &item : items)
        variants.insert(item.id, secondaryVariant(item, preferPlain).value_or(PasteVariant::standard));
    m_coordinator.pasteItems(items, variants);
}

bool PlainHistoryWindowCommands::copySelected()
{
    const QList<ClipboardItem> items = m_model.selectedItems();
    if (items.size() == 1)
        return m_coordinator.copyItem(items.first(), m_coordinator.defaultPasteVariant(items.first()));
    if (items.size() >= 2)
        return m_coordinator.copyMergedItems(items);
    return false;
}

bool PlainHistoryWindowCommands::copySelectedSecondary()
{
    const QList<ClipboardItem> items = m_model.selectedItems();
    if (items.size() != 1)
        return copySelected();
    const auto variant = secondaryVariant(items.first(), m_model.preferences().preferPastingAsPlainText);
    return variant && m_coordinator.copyItem(items.first(), *variant);
}

void PlainHistoryWindowCommands::openInBrowser(const ClipboardItem &item)
{
    if (item.kind == ClipboardKind::link)
        m_coordinator.openLink(item);
}

bool PlainHistoryWindowCommands::isCommandPaletteOpen() const
{
    return m_palettes && m_palettes->isOpen();
}

void PlainHistoryWindowCommands::closeCommandPalette()
{
    if (m_palettes)
        m_palettes->close();
}

void PlainHistoryWindowCommands::presentCommandPalette()
{
    if (m_palettes)
        m_palettes->presentActions();
}

void PlainHistoryWindowCommands::transformItem(const ClipboardItem &item)
{
    if (m_palettes && item.kind.isTextLike())
        m_palettes->showTransformPicker(item);
}

void PlainHistoryWindowCommands::filterHistoryByType()
{
    if (m_palettes)
        m_palettes->showTypePicker();
}
