#include "PasteCommands.h"

#include "AppModel.h"
#include "KeyboardCodes.h"
#include "PasteService.h"
#include "Scheduler.h"

#include <QSet>

// The items after the first of a multi-item paste, pasted one at a time on the scheduler. It belongs to the
// commands (and goes with the coordinator) and deletes itself after the last item or the first failure.
class PasteCommands::MultiItemPaste final : public QObject
{
public:
    MultiItemPaste(PasteCommands &commands, QList<ClipboardItem> items, QHash<QUuid, PasteVariant> variantsByID,
        std::optional<PasteSeparator> separator)
        : QObject(&commands)
        , m_commands(commands)
        , m_items(std::move(items))
        , m_variantsByID(std::move(variantsByID))
        , m_separator(separator)
    { }

    void scheduleNext()
    {
        if (m_items.isEmpty()) {
            deleteLater();
            return;
        }
        Scheduler &scheduler = m_commands.m_coordinator.scheduler();
        if (m_separator && m_separator->pressesKey()) {
            scheduler.schedule(separatorDelay, this, [this] {
                m_commands.m_coordinator.pasteService().postKeyPress(m_separator->keyCode(), m_separator->flags());
                m_commands.m_coordinator.scheduler().schedule(itemInterval, this, [this] { pasteNext(); });
            });
        } else {
            scheduler.schedule(itemInterval, this, [this] { pasteNext(); });
        }
    }

private:
    void pasteNext()
    {
        const ClipboardItem item = m_items.takeFirst();
        const auto pasted = m_commands.pasteWithoutHiding(item, m_variantsByID.value(item.id, PasteVariant::standard));
        if (!pasted) {
            m_commands.m_coordinator.reportFailure(pasted.error());
            deleteLater();
            return;
        }
        scheduleNext();
    }

    PasteCommands &m_commands;
    QList<ClipboardItem> m_items;
    const QHash<QUuid, PasteVariant> m_variantsByID;
    const std::optional<PasteSeparator> m_separator;
};

PasteCommands::PasteCommands(AppCoordinator &coordinator) : m_coordinator(coordinator) { }

PasteVariant PasteCommands::defaultPasteVariant(const ClipboardItem &item) const
{
    const bool textLike = item.kind != ClipboardKind::image && item.kind != ClipboardKind::file;
    return textLike && m_coordinator.model().preferences().preferPastingAsPlainText ? PasteVariant::plainText
                                                                                    : PasteVariant::standard;
}

void PasteCommands::hideForPaste()
{
    if (m_coordinator.model().preferences().hideOnFocusLoss && m_coordinator.historyWindow())
        m_coordinator.historyWindow()->hideForPaste();
}

void PasteCommands::paste(const ClipboardItem &item, PasteVariant variant)
{
    hideForPaste();
    if (auto pasted = pasteWithoutHiding(item, variant); !pasted)
        m_coordinator.reportFailure(pasted.error());
}

Expected<void, AppCoordinator::CommandFailure> PasteCommands::pasteWithoutHiding(
    const ClipboardItem &item, PasteVariant variant)
{
    using Result = Expected<void, AppCoordinator::CommandFailure>;
    PasteService &service = m_coordinator.pasteService();
    if (!service.keyPoster().isTrusted())
        return Result::failure(PasteServiceError(PasteServiceError::accessibilityPermissionRequired));
    if (auto written = service.write(item, variant); !written)
        return Result::failure(written.error());
    service.postKeyPress(VirtualKey::v, KeyEventFlag::command);
    if (variant == PasteVariant::pasteAndReturn || variant == PasteVariant::pasteAndTab) {
        const quint16 key = variant == PasteVariant::pasteAndReturn ? VirtualKey::returnKey : VirtualKey::tab;
        m_coordinator.scheduler().schedule(
            followingKeyDelay, this, [this, key] { m_coordinator.pasteService().postKeyPress(key, 0); });
    }
    m_coordinator.playSound(SoundEffect::paste);
    const auto updated = m_coordinator.updateItemAfterAction(item, true);
    if (!updated)
        return Result::failure(updated.error());
    if (*updated)
        m_coordinator.model().updateItem(**updated);
    m_coordinator.clipboardMonitor().setLastCopySequencePasteTime(m_coordinator.clock().now());
    return {};
}

void PasteCommands::pasteSelectedItems()
{
    const QList<ClipboardItem> items = m_coordinator.model().selectedItems();
    if (items.isEmpty())
        return;
    if (items.size() == 1) {
        paste(items.first(), defaultPasteVariant(items.first()));
        return;
    }
    QHash<QUuid, PasteVariant> variantsByID;
    for (const ClipboardItem &item : items)
        variantsByID.insert(item.id, defaultPasteVariant(item));
    pasteItems(items, variantsByID, std::nullopt);
}

void PasteCommands::pasteItems(const QList<ClipboardItem> &items, const QHash<QUuid, PasteVariant> &variantsByID,
    std::optional<PasteSeparator> separator)
{
    if (items.isEmpty())
        return;
    hideForPaste();
    const ClipboardItem &first = items.first();
    if (auto pasted = pasteWithoutHiding(first, variantsByID.value(first.id, PasteVariant::standard)); !pasted) {
        m_coordinator.reportFailure(pasted.error());
        return;
    }
    if (items.size() == 1)
        return;
    auto *rest = new MultiItemPaste(*this, items.mid(1), variantsByID, separator);
    rest->scheduleNext();
}

QList<ClipboardItem> PasteCommands::pasteNextCandidates(const QList<ClipboardItem> &items) const
{
    if (!m_coordinator.model().preferences().pinFavoritesToTop)
        return items;
    QList<ClipboardItem> candidates;
    for (const ClipboardItem &item : items) {
        if (!item.isFavorite)
            candidates.append(item);
    }
    return candidates;
}

void PasteCommands::resetPasteNextItem()
{
    const QList<ClipboardItem> candidates = pasteNextCandidates(m_coordinator.model().filteredItems());
    m_pasteNextOrder.clear();
    for (const ClipboardItem &item : candidates)
        m_pasteNextOrder.append(item.id);
    m_pasteNextItemID = m_pasteNextOrder.isEmpty() ? std::nullopt : std::optional<QUuid>(m_pasteNextOrder.first());
}

std::optional<ClipboardItem> PasteCommands::pasteNextTarget(const QList<ClipboardItem> &candidates) const
{
    if (candidates.isEmpty())
        return std::nullopt;
    const auto find = [&](const std::optional<QUuid> &id) -> std::optional<ClipboardItem> {
        if (!id)
            return std::nullopt;
        for (const ClipboardItem &candidate : candidates) {
            if (candidate.id == *id)
                return candidate;
        }
        return std::nullopt;
    };
    if (auto target = find(m_pasteNextItemID))
        return target;
    if (auto target = find(m_coordinator.model().selectedItemID()))
        return target;
    return candidates.first();
}

std::optional<QUuid> PasteCommands::itemIDAfter(const QUuid &id, const QList<ClipboardItem> &candidates) const
{
    // The order of the last reset, without the items that are gone since; an item that was not in that order walks
    // the list as it is now.
    QSet<QUuid> candidateIDs;
    for (const ClipboardItem &candidate : candidates)
        candidateIDs.insert(candidate.id);
    if (!candidateIDs.contains(id))
        return std::nullopt;
    QList<QUuid> order;
    for (const QUuid &ordered : std::as_const(m_pasteNextOrder)) {
        if (candidateIDs.contains(ordered))
            order.append(ordered);
    }
    if (!order.contains(id)) {
        order.clear();
        for (const ClipboardItem &candidate : candidates)
            order.append(candidate.id);
    }
    const qsizetype position = order.indexOf(id);
    return order.at((position + 1) % order.size());
}

void PasteCommands::pasteNext(std::optional<PasteVariant> variant)
{
    const QList<ClipboardItem> candidates = pasteNextCandidates(m_coordinator.model().filteredItems());
    const std::optional<ClipboardItem> target = pasteNextTarget(candidates);
    if (!target)
        return;
    const std::optional<QUuid> nextID = itemIDAfter(target->id, candidates);
    hideForPaste();
    if (auto pasted = pasteWithoutHiding(*target, variant.value_or(defaultPasteVariant(*target))); !pasted) {
        m_coordinator.reportFailure(pasted.error());
        return;
    }
    m_pasteNextItemID = nextID;
    m_coordinator.selectSingleItem(nextID);
}
