#include "CopyCommands.h"

#include "AppModel.h"
#include "Clock.h"
#include "CommandFeedback.h"
#include "HistoryWrites.h"
#include "PasteService.h"
#include "PasteTarget.h"
#include "PasteboardMonitor.h"

CopyCommands::CopyCommands(AppModel &model, HistoryWrites &writes, PasteService &pasteService,
    PasteboardMonitor &clipboardMonitor, CommandFeedback &feedback, const PasteTarget &pasteTarget, const Clock &clock)
    : m_model(model)
    , m_writes(writes)
    , m_pasteService(pasteService)
    , m_clipboardMonitor(clipboardMonitor)
    , m_feedback(feedback)
    , m_pasteTarget(pasteTarget)
    , m_clock(clock)
{ }

bool CopyCommands::succeeded()
{
    m_clipboardMonitor.setLastCopySequencePasteTime(m_clock.now());
    m_feedback.playSound(SoundEffect::copy);
    return true;
}

bool CopyCommands::failed(const QString &description)
{
    m_model.setLastError(description);
    return false;
}

bool CopyCommands::copyItem(const ClipboardItem &item, PasteVariant variant)
{
    if (auto written = m_pasteService.write(item, variant); !written)
        return failed(written.error().errorDescription());
    const auto updated = m_writes.updateItemAfterAction(item, false);
    if (!updated)
        return failed(updated.error().description());
    if (*updated)
        m_model.updateItem(**updated);
    return succeeded();
}

bool CopyCommands::copyItemAsPlainText(const ClipboardItem &item)
{
    if (auto written = m_pasteService.write(item, PasteVariant::plainText); !written)
        return failed(written.error().errorDescription());
    return succeeded();
}

bool CopyCommands::copyText(const QString &text)
{
    // Not skipped by the capture: the text becomes a new history item, copied by this program.
    if (auto written = m_pasteService.writeText(text, PasteService::Marker::newCopy); !written)
        return failed(written.error().errorDescription());
    return succeeded();
}

bool CopyCommands::copyMergedItems(const QList<ClipboardItem> &items)
{
    if (items.size() < 2)
        return false;
    const std::optional<QString> text = mergedText(items);
    if (!text)
        return false;
    if (auto written = m_pasteService.writeText(*text, PasteService::Marker::ours); !written)
        return failed(written.error().errorDescription());
    return succeeded();
}

std::optional<QString> CopyCommands::mergedText(const QList<ClipboardItem> &items)
{
    QStringList pieces;
    for (const ClipboardItem &item : items) {
        if (item.kind.isTextLike()) {
            if (!item.text)
                return std::nullopt;
            pieces.append(*item.text);
        } else if (item.kind == ClipboardKind::file && !item.filePaths.isEmpty()) {
            pieces.append(item.filePaths.join(QLatin1Char('\n')));
        } else {
            return std::nullopt; // an image, or a file item without paths
        }
    }
    return pieces.join(QLatin1Char('\n'));
}

void CopyCommands::mergeSelectedItems(const QList<ClipboardItem> &items)
{
    if (items.size() < 2)
        return;
    const std::optional<QString> text = mergedText(items);
    if (!text)
        return;

    const QDateTime now = m_clock.now();
    ClipboardItem merged;
    merged.id = QUuid::createUuid();
    merged.kind = ClipboardKind::text;
    merged.text = *text;
    if (const auto source = m_pasteTarget.application()) {
        if (!source->name.isEmpty())
            merged.sourceAppName = source->name;
        if (!source->bundleIdentifier.isEmpty())
            merged.sourceBundleIdentifier = source->bundleIdentifier;
    }
    merged.copiedAt = now;
    merged.firstCopiedAt = now;
    merged.byteSize = text->toUtf8().size();
    merged.copyCount = 0;

    // The merged item replaces the loaded items of the same content.
    if (const auto failure = m_writes.addNewItem(merged))
        m_model.setLastError(failure->description());
}
