#include "HistoryWrites.h"

#include "AppModel.h"
#include "Clock.h"
#include "FilePreviewCache.h"
#include "HistoryStore.h"
#include "SupportFolder.h"

#include <QSet>

HistoryWrites::HistoryWrites(AppModel &model, HistoryStore &store, FilePreviewCache &filePreviews,
    const SupportFolder &support, const Clock &clock)
    : m_model(model), m_store(store), m_filePreviews(filePreviews), m_support(support), m_clock(clock)
{ }

ClipboardItem HistoryWrites::withFreshSearchText(const ClipboardItem &item) const
{
    return item.refreshingSearchText(m_model.tagNames(item.tags));
}

HistoryWrites::Result<std::optional<ClipboardItem>> HistoryWrites::storedItem(const QUuid &id)
{
    using R = Result<std::optional<ClipboardItem>>;
    const auto loaded = m_store.loadItems({id});
    if (!loaded)
        return R::failure(loaded.error());
    if (loaded->isEmpty())
        return std::optional<ClipboardItem>();
    return std::optional<ClipboardItem>(loaded->first());
}

HistoryWrites::Result<std::optional<ClipboardItem>> HistoryWrites::update(
    const ClipboardItem &item, const std::function<void(ClipboardItem &)> &change)
{
    using R = Result<std::optional<ClipboardItem>>;
    const auto stored = storedItem(item.id);
    if (!stored)
        return R::failure(stored.error());
    if (!*stored) {
        // Deleted meanwhile (by a prune or another window): writing it would bring it back.
        m_model.removeItems({item.id});
        return std::optional<ClipboardItem>();
    }
    ClipboardItem changed = **stored;
    change(changed);
    changed = withFreshSearchText(changed);
    if (auto written = m_store.upsert(changed); !written)
        return R::failure(written.error());
    m_model.updateItem(changed);
    return std::optional<ClipboardItem>(changed);
}

HistoryWrites::Result<std::optional<ClipboardItem>> HistoryWrites::updateItemAfterAction(
    const ClipboardItem &item, bool incrementCopyCount)
{
    const AppPreferences &preferences = m_model.preferences();
    std::optional<QDateTime> copiedAt;
    if (preferences.updateHistoryAfterAction && !preferences.copySequenceModeEnabled)
        copiedAt = m_clock.now();
    if (!copiedAt && !incrementCopyCount)
        return std::optional<ClipboardItem>();
    return m_store.touchItem(item.id, copiedAt, incrementCopyCount);
}

HistoryWrites::Deletion HistoryWrites::deleteItems(const QList<ClipboardItem> &items)
{
    Deletion deletion;
    for (const ClipboardItem &item : items) {
        if (auto deleted = m_store.deleteItem(item.id); !deleted) {
            deletion.error = deleted.error();
            break;
        }
        deletion.deleted.append(item);
    }
    if (deletion.deleted.isEmpty())
        return deletion;

    QSet<QUuid> ids;
    for (const ClipboardItem &item : std::as_const(deletion.deleted))
        ids.insert(item.id);
    QList<ClipboardItem> kept;
    for (const ClipboardItem &item : m_model.items()) {
        if (!ids.contains(item.id))
            kept.append(item);
    }
    for (const ClipboardItem &item : std::as_const(deletion.deleted))
        removeLinkPreviewFiles(item);
    removeImageFiles(deletion.deleted, kept);
    removeFilePreviews(deletion.deleted, kept);
    m_model.removeItems(ids);
    return deletion;
}

std::optional<HistoryStoreError> HistoryWrites::addNewItem(ClipboardItem item)
{
    // Stored before the duplicates are deleted, so that a failure loses nothing the user gave them.
    item = withFreshSearchText(item);
    const QList<ClipboardItem> duplicates = duplicatesOf(item);
    item = inheritingFrom(item, duplicates);
    if (auto written = m_store.upsert(item); !written)
        return written.error();
    const Deletion deletion = deleteItems(duplicates);
    m_model.upsertItem(item);
    m_model.trimItems(m_model.preferences().maxHistoryItems);
    return deletion.error;
}

QList<ClipboardItem> HistoryWrites::duplicatesOf(const ClipboardItem &item) const
{
    const QString key = item.contentKey();
    QList<ClipboardItem> duplicates;
    for (const ClipboardItem &loaded : m_model.items()) {
        if (loaded.id != item.id && loaded.kind == item.kind && loaded.contentKey() == key)
            duplicates.append(loaded);
    }
    return duplicates;
}

ClipboardItem HistoryWrites::inheritingFrom(ClipboardItem item, const QList<ClipboardItem> &duplicates) const
{
    for (const ClipboardItem &duplicate : duplicates) {
        item.isFavorite = item.isFavorite || duplicate.isFavorite;
        for (const qint64 tag : duplicate.tags) {
            if (!item.tags.contains(tag))
                item.tags.append(tag);
        }
        if (!item.customTitle() && duplicate.customTitle())
            item.title = duplicate.title;
    }
    return withFreshSearchText(item);
}

void HistoryWrites::removeLinkPreviewFiles(const ClipboardItem &item)
{
    if (!item.linkPreviewDetails)
        return;
    if (item.linkPreviewDetails->imagePath)
        m_support.removeFile(*item.linkPreviewDetails->imagePath);
    if (item.linkPreviewDetails->faviconPath)
        m_support.removeFile(*item.linkPreviewDetails->faviconPath);
}

void HistoryWrites::removeFilePreviews(const QList<ClipboardItem> &removed, const QList<ClipboardItem> &kept)
{
    QSet<QString> paths;
    for (const ClipboardItem &item : removed) {
        for (const QString &path : item.filePaths)
            paths.insert(path);
    }
    if (paths.isEmpty())
        return;
    for (const ClipboardItem &item : kept) {
        for (const QString &path : item.filePaths)
            paths.remove(path);
    }
    if (!paths.isEmpty())
        m_filePreviews.removePreviews(paths);
}

void HistoryWrites::removeImageFiles(const QList<ClipboardItem> &removed, const QList<ClipboardItem> &kept)
{
    QSet<QString> inUse;
    for (const ClipboardItem &item : kept) {
        if (item.assetPath)
            inUse.insert(*item.assetPath);
    }
    for (const ClipboardItem &item : removed) {
        if (item.assetPath && !inUse.contains(*item.assetPath))
            m_support.removeFile(*item.assetPath);
    }
}
