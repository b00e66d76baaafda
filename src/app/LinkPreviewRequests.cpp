#include "LinkPreviewRequests.h"

#include <algorithm>

#include "AppLogging.h"
#include "AppModel.h"
#include "Clock.h"
#include "Coding.h"
#include "FileCommands.h"
#include "HistoryStore.h"
#include "HistoryWrites.h"
#include "Localization.h"
#include "SupportFolder.h"

#include <QDir>
#include <QSaveFile>
#include <QSet>

namespace {

QString couldNotSave()
{
    return localized(QStringLiteral("The link preview could not be saved."));
}

} // namespace

LinkPreviewRequests::LinkPreviewRequests(AppModel &model, HistoryStore &store, HistoryWrites &writes,
    LinkPreviewFetcher &fetcher, const SupportFolder &support, Scheduler &scheduler, const Clock &clock)
    : m_model(model)
    , m_store(store)
    , m_writes(writes)
    , m_fetcher(fetcher)
    , m_support(support)
    , m_scheduler(scheduler)
    , m_clock(clock)
{ }

int LinkPreviewRequests::runningFetchCount() const
{
    int count = 0;
    for (const QPointer<LinkPreviewFetch> &fetch : m_linkPreviewTasksByItemID) {
        if (fetch)
            ++count;
    }
    return count;
}

void LinkPreviewRequests::requestLinkPreviews(const ClipboardItem &item)
{
    if (!m_model.preferences().showPreviewForLinks || item.kind != ClipboardKind::link || item.linkPreviewDetails
        || m_pendingLinkPreviewModelUpdatesByItemID.contains(item.id))
        return;
    // Rows ask again each time the list is reloaded. An item asked for once is fetched again only by its
    // retry after a fetch that got no answer, or by a forced refresh: a fetch that failed otherwise (its preview
    // could not be saved, say) would only fail again, reporting its error after every reload.
    if (m_askedItemIDs.contains(item.id) && !m_retriesByItemID.contains(item.id))
        return;
    refreshLinkPreview(item, false);
    const bool queued = std::any_of(
        m_waiting.cbegin(), m_waiting.cend(), [&](const Waiting &waiting) { return waiting.id == item.id; });
    if (queued || m_linkPreviewTasksByItemID.value(item.id))
        m_askedItemIDs.insert(item.id);
}

void LinkPreviewRequests::refreshLinkPreview(const ClipboardItem &item, bool force)
{
    if (item.kind != ClipboardKind::link || !item.text)
        return;
    const std::optional<Url> url = ClipboardItem::linkURL(*item.text);
    if (!url)
        return;
    if (!force && (item.linkPreviewDetails || m_pendingLinkPreviewModelUpdatesByItemID.contains(item.id)))
        return;
    if (m_linkPreviewTasksByItemID.value(item.id))
        return;
    // Without the network, or soon after the link got no answer, a fetch would only fail again.
    if (!force && (isWaitingToRetry(item.id) || !m_fetcher.canReach(*url)))
        return;
    if (runningFetchCount() >= maximumRunningFetches) {
        const bool queued = std::any_of(
            m_waiting.cbegin(), m_waiting.cend(), [&](const Waiting &waiting) { return waiting.id == item.id; });
        if (!queued)
            m_waiting.append(Waiting {item.id, force});
        return;
    }

    const QUuid id = item.id;
    LinkPreviewFetch *fetch = m_fetcher.fetch(*url);
    m_linkPreviewTasksByItemID.insert(id, fetch);
    connect(fetch, &LinkPreviewFetch::finished, this,
        [this, id, fetch](const std::optional<LinkPreview> &preview) { handleResult(id, fetch, preview); });
}

void LinkPreviewRequests::cancelLinkPreviewTasks()
{
    const auto tasks = std::exchange(m_linkPreviewTasksByItemID, {});
    for (auto task = tasks.cbegin(); task != tasks.cend(); ++task) {
        if (task.value())
            task.value()->cancel();
        // Cancelled before it finished: its row may ask again.
        m_askedItemIDs.remove(task.key());
    }
    for (const Waiting &waiting : std::as_const(m_waiting))
        m_askedItemIDs.remove(waiting.id);
    m_linkPreviewModelUpdateTask.cancel();
    m_pendingLinkPreviewModelUpdatesByItemID.clear();
    m_waiting.clear();
}

void LinkPreviewRequests::startWaitingFetches()
{
    while (!m_waiting.isEmpty() && runningFetchCount() < maximumRunningFetches) {
        const Waiting next = m_waiting.takeFirst();
        // The item as it is now: gone, or given a preview meanwhile, it needs no fetch.
        if (const ClipboardItem *item = m_model.item(next.id))
            refreshLinkPreview(*item, next.force);
    }
}

bool LinkPreviewRequests::isWaitingToRetry(const QUuid &id) const
{
    const auto retry = m_retriesByItemID.constFind(id);
    if (retry == m_retriesByItemID.cend())
        return false;
    // A clock set back since the failure does not stretch the pause beyond its length.
    const qint64 remaining = m_clock.now().msecsTo(retry->notBefore);
    return remaining > 0 && remaining <= std::chrono::milliseconds(retry->delay).count();
}

void LinkPreviewRequests::noteNoAnswer(const QUuid &id)
{
    Retry &retry = m_retriesByItemID[id];
    retry.delay = retry.delay.count() == 0 ? firstRetryDelay : std::min(retry.delay * 2, longestRetryDelay);
    retry.notBefore = m_clock.now().addSecs(retry.delay.count());
    qCInfo(lcApp) << "no answer for the preview of" << Coding::uuidString(id) << "; tried again in"
                  << retry.delay.count() << "s at the earliest";
}

void LinkPreviewRequests::handleResult(
    const QUuid &id, LinkPreviewFetch *fetch, const std::optional<LinkPreview> &preview)
{
    // A fetch that is no longer the item's running one was cancelled: its result is dropped.
    const auto entry = m_linkPreviewTasksByItemID.constFind(id);
    if (entry == m_linkPreviewTasksByItemID.cend() || entry.value() != fetch)
        return;
    m_linkPreviewTasksByItemID.erase(entry);
    // The next waiting page starts once this result is handled.
    QMetaObject::invokeMethod(this, &LinkPreviewRequests::startWaitingFetches, Qt::QueuedConnection);
    if (fetch->isCancelled())
        return;
    if (!preview && fetch->failure() == LinkPreviewFetch::Failure::noAnswer) {
        noteNoAnswer(id);
        return;
    }
    m_retriesByItemID.remove(id);

    const auto stored = m_writes.storedItem(id);
    if (!stored) {
        m_model.setLastError(stored.error().description());
        return;
    }
    if (!*stored)
        return; // deleted or cleared meanwhile
    const ClipboardItem &base = **stored;

    // The new pictures take the names of the old ones (the item's id and their role): they replace them in place.
    const QString directory = m_support.linkPreviewsDirectory();
    QStringList written;
    bool failed = false;
    const auto save = [&](const QImage &image, const QString &role) -> std::optional<QString> {
        if (failed || image.isNull())
            return std::nullopt;
        const std::optional<QByteArray> png = FileCommands::pngData(image);
        if (!png)
            return std::nullopt;
        const QString path
            = directory + QLatin1Char('/') + Coding::uuidString(id) + QLatin1Char('-') + role + QStringLiteral(".png");
        QSaveFile file(path);
        if (!QDir().mkpath(directory) || !file.open(QIODevice::WriteOnly) || file.write(*png) != png->size()
            || !file.commit()) {
            qCWarning(lcApp).noquote() << "could not write" << path << file.errorString();
            failed = true;
            return std::nullopt;
        }
        written.append(path);
        return path;
    };

    LinkPreviewDetails details;
    details.url = ClipboardItem::normalizedURLKey(fetch->pageURL());
    if (preview) {
        details.title = preview->title;
        details.description = preview->description;
        details.imagePath = save(preview->image, QStringLiteral("preview"));
        details.faviconPath = save(preview->favicon, QStringLiteral("favicon"));
    }
    details.fetchedAt = m_clock.now();

    QStringList previousFiles;
    if (base.linkPreviewDetails) {
        for (const auto &path : {base.linkPreviewDetails->imagePath, base.linkPreviewDetails->faviconPath}) {
            if (path)
                previousFiles.append(*path);
        }
    }
    const auto removeAllBut = [&](const QStringList &paths, const QStringList &kept) {
        for (const QString &path : paths) {
            if (!kept.contains(path))
                m_support.removeFile(path);
        }
    };

    if (failed) {
        removeAllBut(written, previousFiles);
        m_model.setLastError(couldNotSave());
        return;
    }
    ClipboardItem updated = base;
    updated.linkPreviewDetails = details;
    updated = m_writes.withFreshSearchText(updated);
    if (auto upserted = m_store.upsert(updated); !upserted) {
        removeAllBut(written, previousFiles);
        m_model.setLastError(upserted.error().description());
        return;
    }
    removeAllBut(previousFiles, written);
    queueModelUpdate(updated);
}

void LinkPreviewRequests::queueModelUpdate(const ClipboardItem &item)
{
    m_pendingLinkPreviewModelUpdatesByItemID.insert(item.id, item);
    m_linkPreviewModelUpdateTask.cancel();
    m_linkPreviewModelUpdateTask = m_scheduler.schedule(modelUpdateDelay, this, [this] { flushModelUpdates(); });
}

void LinkPreviewRequests::flushModelUpdates()
{
    const auto pending = std::exchange(m_pendingLinkPreviewModelUpdatesByItemID, {});
    m_linkPreviewModelUpdateTask = {};
    // Only items the list still shows are updated, as they are stored now: a command may have changed or
    // deleted one since its preview was stored.
    QList<QUuid> ids;
    for (const ClipboardItem &item : m_model.items()) {
        if (pending.contains(item.id))
            ids.append(item.id);
    }
    if (ids.isEmpty())
        return;
    const auto stored = m_store.loadItems(ids);
    if (stored) {
        m_model.applyItemUpdates(*stored);
        return;
    }
    QList<ClipboardItem> updates;
    for (const QUuid &id : std::as_const(ids))
        updates.append(pending.value(id));
    m_model.applyItemUpdates(updates);
}
