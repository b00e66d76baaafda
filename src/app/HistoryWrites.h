#pragma once

#include "ClipboardItem.h"
#include "Expected.h"
#include "HistoryStoreError.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

class AppModel;
class Clock;
class FilePreviewCache;
class HistoryStore;
class SupportFolder;

// The steps that every command changing the history shares. The store is written first and the model after the
// write succeeded; what removed items leave behind on disk (their image, their link-preview pictures, the cached
// previews of their files) goes with them. Main thread only.
class HistoryWrites
{
public:
    template<typename T> using Result = Expected<T, HistoryStoreError>;

    HistoryWrites(AppModel &model, HistoryStore &store, FilePreviewCache &filePreviews, const SupportFolder &support,
        const Clock &clock);

    // The item with its search text rebuilt, with the names the model knows for its tags.
    ClipboardItem withFreshSearchText(const ClipboardItem &item) const;
    // The item as stored; nothing when its row is gone.
    Result<std::optional<ClipboardItem>> storedItem(const QUuid &id);

    // Changes one item: the change is made to the stored row (so that what reached the store since the caller
    // took its copy is kept), the search text rebuilt, the row written and the model told. An item whose row is
    // gone leaves the model and nothing is written: the result is then nothing.
    Result<std::optional<ClipboardItem>> update(
        const ClipboardItem &item, const std::function<void(ClipboardItem &)> &change);

    // After a paste or a copy: the stored item with one more copy (when asked) and, when the history follows
    // actions and copy-sequence mode is off, the current time as its copy time. Nothing when the item is no longer
    // stored, or when there is nothing to change. The model is not told.
    Result<std::optional<ClipboardItem>> updateItemAfterAction(const ClipboardItem &item, bool incrementCopyCount);

    // What a deletion of several items did: the items whose rows went, and the failure that stopped it.
    struct Deletion
    {
        QList<ClipboardItem> deleted;
        std::optional<HistoryStoreError> error;
    };
    // Deletes the rows in order and stops at the first failure. The items whose rows went leave the model, also
    // when a later one failed, and their files go.
    Deletion deleteItems(const QList<ClipboardItem> &items);

    // The model's items of the same kind and content key as the item (the item itself left out).
    QList<ClipboardItem> duplicatesOf(const ClipboardItem &item) const;
    // A new item that replaces duplicates takes over what the user gave them: favourite, tags and title.
    ClipboardItem inheritingFrom(ClipboardItem item, const QList<ClipboardItem> &duplicates) const;

    // Stores a new item at the front of the history: it takes over what the user gave the loaded items of the same
    // content (favourite, tags, title), which go once it is stored; the model is trimmed to maxHistoryItems. The
    // failure that stopped it, if any: when the item could not be stored, nothing changed.
    std::optional<HistoryStoreError> addNewItem(ClipboardItem item);

    // Removes the link preview's picture and icon files; a file that cannot be removed is left.
    void removeLinkPreviewFiles(const ClipboardItem &item);
    // Drops the cached previews of the files that only removed items listed.
    void removeFilePreviews(const QList<ClipboardItem> &removed, const QList<ClipboardItem> &kept);
    // Removes the image files (inside the support folder) of removed items that no kept item uses.
    void removeImageFiles(const QList<ClipboardItem> &removed, const QList<ClipboardItem> &kept);

private:
    AppModel &m_model;
    HistoryStore &m_store;
    FilePreviewCache &m_filePreviews;
    const SupportFolder &m_support;
    const Clock &m_clock;
};
