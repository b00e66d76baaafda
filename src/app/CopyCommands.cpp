#include "CopyCommands.h"

#include "AppCoordinator.h"
#include "AppModel.h"
#include "HistoryStore.h"
#include "HistoryWrites.h"
#include "PasteService.h"
#include "Pasteboard.h"
#include "Workspace.h"

CopyCommands::CopyCommands(AppCoordinator &coordinator) : m_coordinator(coordinator) { }

bool CopyCommands::succeeded()
{
    m_coordinator.clipboardMonitor().setLastCopySequencePasteTime(m_coordinator.clock().now());
    m_coordinator.playSound(SoundEffect::copy);
    return true;
}

bool CopyCommands::failed(const QString &description)
{
    m_coordinator.model().setLastError(description);
    return false;
}

bool CopyCommands::copyItem(const ClipboardItem &item, PasteVariant variant)
{
    if (auto written = m_coordinator.pasteService().write(item, variant); !written)
        return failed(written.error().errorDescription());
    const auto updated = m_coordinator.updateItemAfterAction(item, false);
    if (!updated)
        return failed(updated.error().description());
    if (*updated)
        m_coordinator.model().updateItem(**updated);
    return succeeded();
}

bool CopyCommands::copyItemAsPlainText(const ClipboardItem &item)
{
    if (auto written = m_coordinator.pasteService().write(item, PasteVariant::plainText); !written)
        return failed(written.error().errorDescription());
    return succeeded();
}

bool CopyCommands::writePlainText(const QString &text, bool marked)
{
    PasteboardContent content;
    if (marked)
        content.setString(PasteboardType::varnistoMarker(), QStringLiteral("1"));
    content.setString(PasteboardType::plainText(), text);
    // A refused write leaves what the user had on the clipboard.
    if (!m_coordinator.pasteService().pasteboard().write(content))
        return failed(PasteServiceError(PasteServiceError::unsupportedItem).errorDescription());
    return succeeded();
}

bool CopyCommands::copyText(const QString &text)
{
    // Without our marker: the capture takes the text in as a new history item.
    return writePlainText(text, false);
}

bool CopyCommands::copyMergedItems(const QList<ClipboardItem> &items)
{
    if (items.size() < 2)
        return false;
    const std::optional<QString> text = mergedText(items);
    if (!text)
        return false;
    return writePlainText(*text, true);
}

std::optional<QString> CopyCommands::mergedText(const QList<ClipboardItem> &items)
{
    QStringList pieces;
    for (const ClipboardItem &item : items) {
        switch (item.kind) {
        case ClipboardKind::text:
        case ClipboardKind::richText:
        case ClipboardKind::link:
        case ClipboardKind::email:
        case ClipboardKind::color:
            if (!item.text)
                return std::nullopt;
            pieces.append(*item.text);
            break;
        case ClipboardKind::image:
            return std::nullopt;
        case ClipboardKind::file:
            if (item.filePaths.isEmpty())
                return std::nullopt;
            pieces.append(item.filePaths.join(QLatin1Char('\n')));
            break;
        }
    }
    return pieces.join(QLatin1Char('\n'));
}

Expected<void, HistoryStoreError> CopyCommands::removeDuplicatesOfItem(const ClipboardItem &item)
{
    const HistoryWrites::Deletion deletion
        = m_coordinator.historyWrites().deleteItems(m_coordinator.historyWrites().duplicatesOf(item));
    if (deletion.error)
        return Expected<void, HistoryStoreError>::failure(*deletion.error);
    return {};
}

void CopyCommands::mergeSelectedItems(const QList<ClipboardItem> &items)
{
    if (items.size() < 2)
        return;
    const std::optional<QString> text = mergedText(items);
    if (!text)
        return;

    const QDateTime now = m_coordinator.clock().now();
    ClipboardItem merged;
    merged.id = QUuid::createUuid();
    merged.kind = ClipboardKind::text;
    merged.text = *text;
    if (const auto front = m_coordinator.workspace().frontApplication()) {
        if (!front->name.isEmpty())
            merged.sourceAppName = front->name;
        if (!front->bundleIdentifier.isEmpty())
            merged.sourceBundleIdentifier = front->bundleIdentifier;
    }
    merged.copiedAt = now;
    merged.firstCopiedAt = now;
    merged.byteSize = text->toUtf8().size();
    merged.copyCount = 0;

    // The merged item replaces the loaded items of the same content. It is stored before they are deleted, so that
    // a failure loses nothing the user gave them.
    HistoryWrites &writes = m_coordinator.historyWrites();
    merged = writes.withFreshSearchText(merged);
    const QList<ClipboardItem> duplicates = writes.duplicatesOf(merged);
    merged = writes.inheritingFrom(merged, duplicates);
    if (auto written = m_coordinator.historyStore().upsert(merged); !written) {
        m_coordinator.model().setLastError(written.error().description());
        return;
    }
    const HistoryWrites::Deletion deletion = writes.deleteItems(duplicates);
    AppModel &model = m_coordinator.model();
    model.upsertItem(merged);
    model.trimItems(model.preferences().maxHistoryItems);
    if (deletion.error)
        model.setLastError(deletion.error->description());
}
