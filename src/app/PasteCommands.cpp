#include "PasteCommands.h"

#include "AppModel.h"
#include "AppWindows.h"
#include "CommandFeedback.h"
#include "HistoryWrites.h"
#include "PasteService.h"
#include "PasteboardMonitor.h"
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
        Scheduler &scheduler = m_commands.m_scheduler;
        if (m_separator && m_separator->pressesKey()) {
            scheduler.schedule(separatorDelay, this, [this] {
                m_commands.m_pasteService.postKeyPress(m_separator->keyCode(), m_separator->flags());
                m_commands.m_scheduler.schedule(itemInterval, this, [this] { pasteNext(); });
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
            m_commands.m_feedback.reportFailure(pasted.error());
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

PasteCommands::PasteCommands(AppModel &model, PasteService &pasteService, PasteboardMonitor &clipboardMonitor,
    HistoryWrites &writes, CommandFeedback &feedback, const Clock &clock, Scheduler &scheduler,
    HistoryWindowLookup historyWindow)
    : m_model(model)
    , m_pasteService(pasteService)
    , m_clipboardMonitor(clipboardMonitor)
    , m_writes(writes)
    , m_feedback(feedback)
    , m_clock(clock)
    , m_scheduler(scheduler)
    , m_historyWindow(std::move(historyWindow))
{ }

PasteVariant PasteCommands::defaultPasteVariant(const ClipboardItem &item) const
{
    return PasteVariant::defaultFor(item.kind, m_model.preferences().preferPastingAsPlainText);
}

void PasteCommands::hideForPaste()
{
    if (!m_model.preferences().hideOnFocusLoss)
        return;
    if (HistoryWindow *window = m_historyWindow())
        window->hideForPaste();
}

void PasteCommands::paste(const ClipboardItem &item, PasteVariant variant)
{
    hideForPaste();
    if (auto pasted = pasteWithoutHiding(item, variant); !pasted)
        m_feedback.reportFailure(pasted.error());
}

Expected<void, CommandFailure> PasteCommands::pasteWithoutHiding(const ClipboardItem &item, PasteVariant variant)
{
    using Result = Expected<void, CommandFailure>;
    if (auto pasted = m_pasteService.paste(item, variant); !pasted)
        return Result::failure(pasted.error());
    m_feedback.playSound(SoundEffect::paste);
    const auto updated = m_writes.updateItemAfterAction(item, true);
    if (!updated)
        return Result::failure(updated.error());
    if (*updated)
        m_model.updateItem(**updated);
    m_clipboardMonitor.setLastCopySequencePasteTime(m_clock.now());
    return {};
}

void PasteCommands::pasteSelectedItems()
{
    // Only what the list shows: an item that a search hides is never pasted.
    const QList<ClipboardItem> items = m_model.visibleSelectedItems();
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
        m_feedback.reportFailure(pasted.error());
        return;
    }
    if (items.size() == 1)
        return;
    auto *rest = new MultiItemPaste(*this, items.mid(1), variantsByID, separator);
    rest->scheduleNext();
}

QList<ClipboardItem> PasteCommands::pasteNextCandidates(const QList<ClipboardItem> &items) const
{
    if (!m_model.preferences().pinFavoritesToTop)
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
    // From the model's items in place: this runs on every capture and every show of the window, and copying the
    // visible items (or looking each up by id) cost as much as the history.
    const bool skipsFavorites = m_model.preferences().pinFavoritesToTop;
    const std::vector<const ClipboardItem *> visible = m_model.visibleItems();
    m_pasteNextOrder.clear();
    m_pasteNextOrder.reserve(qsizetype(visible.size()));
    for (const ClipboardItem *item : visible) {
        if (!skipsFavorites || !item->isFavorite)
            m_pasteNextOrder.append(item->id);
    }
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
    if (auto target = find(m_model.selectedItemID()))
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
    const QList<ClipboardItem> candidates = pasteNextCandidates(m_model.filteredItems());
    const std::optional<ClipboardItem> target = pasteNextTarget(candidates);
    if (!target)
        return;
    const std::optional<QUuid> nextID = itemIDAfter(target->id, candidates);
    hideForPaste();
    if (auto pasted = pasteWithoutHiding(*target, variant.value_or(defaultPasteVariant(*target))); !pasted) {
        m_feedback.reportFailure(pasted.error());
        return;
    }
    m_pasteNextItemID = nextID;
    selectSingleItem(m_model, nextID);
}

void PasteCommands::selectSingleItem(AppModel &model, const std::optional<QUuid> &id)
{
    model.setSelectedItemID(id);
    model.setSelectedItemIDs(id ? QSet<QUuid> {*id} : QSet<QUuid>());
    model.setSelectedItemIDsInSelectionOrder(id ? QList<QUuid> {*id} : QList<QUuid>());
}
