#pragma once

#include "ClipboardItem.h"
#include "ClipboardKind.h"
#include "Expected.h"
#include "HistoryStoreError.h"
#include "Tag.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QUuid>

#include <functional>
#include <optional>

// How long each kind of item is kept before pruning removes it. A negative number of days keeps that kind
// forever. Favourites and tagged items are never pruned, whatever their age.
struct RetentionPolicy
{
    int textRetentionDays = -1; // text and rich text
    int imageRetentionDays = -1;
    int fileRetentionDays = -1;
    int linkRetentionDays = -1;
    int emailRetentionDays = -1;
    int colorRetentionDays = -1;
    // The moment the periods are measured back from, in calendar days of the local time zone.
    QDateTime now;
    // An item that this prune must leave alone (the capture that was just stored), so that a period of
    // 0 days never removes what the user copied a moment ago.
    std::optional<QUuid> keptItemID;

    int retentionDays(ClipboardKind kind) const;
    // Items of the kind copied strictly before this moment expire; nothing when the kind is kept forever
    // or the date cannot be formed.
    std::optional<QDateTime> cutoff(ClipboardKind kind) const;
};

// What an operation removed from the store: the ids (so that callers drop them from memory) and the files
// the removed items referred to (image assets, link-preview images and icons), which the store itself never
// deletes. The copied files of file items are the user's own and are not listed.
struct HistoryRemoval
{
    QList<QUuid> itemIDs;
    QStringList assetPaths;

    bool operator==(const HistoryRemoval &) const = default;
};

// A tag asked for by its name and colour, before the store has given it an id.
struct TagRequest
{
    QString name;
    QString color;

    bool operator==(const TagRequest &) const = default;
};

// Something about the stored history as a whole that the user is told once, when the store has opened it.
struct HistoryStoreNotice
{
    enum class Kind {
        readOnly, // the history is shown, but nothing is written to it: new copies are refused
        recoveredFromDamage, // the file was damaged; it was kept aside and what could be read goes on
        notEnoughSpace, // the history was left in its older form: the disk lacks the room to rewrite it
    };

    Kind kind;
    QString message; // in the interface language

    bool operator==(const HistoryStoreNotice &) const = default;
};

// The durable history: every item and every tag. Each operation is atomic with respect to every other, and
// the store may be used from the main thread and from one worker at a time.
class HistoryStore
{
public:
    // What a start-up load reads when it is given no sensible limit.
    static constexpr qint64 defaultRecentItemLimit = 5000;

    template<typename T> using Result = Expected<T, HistoryStoreError>;

    virtual ~HistoryStore() = default;

    // The newest items first, at most `limit` of them (a limit of 0 or less means the default). Rows that
    // cannot be read back are left out.
    virtual Result<QList<ClipboardItem>> loadRecentItems(qint64 limit) = 0;
    // Every tag, by name without regard to letter case.
    virtual Result<QList<Tag>> loadTags() = 0;
    // Merges a capture into the newest stored item of the same kind and content key, or stores it as new.
    // Answers the item as stored.
    virtual Result<ClipboardItem> insertOrMerge(const ClipboardItem &item, bool copySequenceModeEnabled) = 0;
    // Writes the item, replacing any stored item with the same id.
    virtual Result<void> upsert(const ClipboardItem &item) = 0;
    // Writes several items in one go (one transaction). On a failed write the items before the failing one
    // stay stored and the rest are not written, as if they had been written one by one.
    virtual Result<void> upsertItems(const QList<ClipboardItem> &items) = 0;
    // After a paste or copy: a new copy time and/or one more copy. Nothing when the id is not stored.
    virtual Result<std::optional<ClipboardItem>> touchItem(
        const QUuid &id, const std::optional<QDateTime> &copiedAt, bool incrementCopyCount)
        = 0;
    virtual Result<void> deleteItem(const QUuid &id) = 0;
    // Removes every item, or with `keepFavorites` every item that is neither a favourite nor tagged.
    virtual Result<HistoryRemoval> clearHistory(bool keepFavorites) = 0;
    // Removes the items that the policy lets expire.
    virtual Result<HistoryRemoval> pruneItems(const RetentionPolicy &policy) = 0;
    // The tag of that name (compared without regard to the case of ASCII letters) as stored, or a new one.
    virtual Result<Tag> ensureTag(const QString &name, const QString &color) = 0;
    // Many tags as ensureTag gives each, in one go (a store with transactions writes them in one), answered
    // in the order asked. `written`, when given, is called after each tag with the number done so far, while
    // the store is still busy with the rest. On a failure the tags before the failing one stay stored, as if
    // they had been ensured one by one.
    virtual Result<QList<Tag>> ensureTags(
        const QList<TagRequest> &tags, const std::function<void(qint64 done)> &written = {});
    // Renames or recolours a tag; every stored item that carries it gets its search text rebuilt.
    virtual Result<Tag> updateTag(const Tag &tag) = 0;
    // Deletes a tag and takes it off every stored item that carries it.
    virtual Result<void> deleteTag(qint64 id) = 0;

    // For reading the whole history in portions: every stored id, newest first, then the items by id.
    virtual Result<QList<QUuid>> loadItemIDs() = 0;
    // The items of those ids that are stored and readable, in the order asked.
    virtual Result<QList<ClipboardItem>> loadItems(const QList<QUuid> &ids) = 0;

    // How many stored items carry each tag, by tag id; tags on no item are left out. This reads every item; a store
    // that can count without decoding them does so.
    virtual Result<QHash<qint64, qint64>> tagItemCounts();

    // What the user is to be told about the history since the last call, if anything. A store that has nothing of
    // the kind to say answers nothing.
    virtual std::optional<HistoryStoreNotice> takeNotice() { return std::nullopt; }
};
