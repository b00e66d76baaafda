#pragma once

#include "HistoryStore.h"

#include <QRecursiveMutex>
#include <QString>

#include <array>
#include <functional>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// The history store on one SQLite database, "History.sqlite" in the directory it is given. Construction
// opens the file and brings its schema and rows up to date; it never fails: while the database cannot be
// opened, every operation fails with a HistoryStoreError (and opening is tried again by the next one).
//
// The database runs in write-ahead-log mode, so that another program reading the file (a backup, the sqlite3
// shell, a second copy of Varnisto) never blocks a write. A lock that another connection holds is waited for
// at most `busyTimeoutMilliseconds`; after that the operation fails with an error whose isDatabaseBusy() is
// true, and may be tried again later.
//
// A file whose tables are not the history's (a `clips` or `tags` table without the columns this store
// writes, or only tables of other names) is left exactly as it is: it is never migrated or written, and
// every operation fails with HistoryStoreError::foreignDatabase.
//
// A history in a folder that cannot be written to (or a file that cannot) is opened for reading only: it is
// shown, nothing is ever written to it (no schema set-up, no migration, no pruning), and every write fails with
// HistoryStoreError::readOnly, until the folder can be written to again.
//
// A damaged file (SQLite finds its pages inconsistent) is never written to again: the first operation that meets
// the damage keeps it aside as "History.sqlite.damaged-<UTC time>", which nothing removes, builds a new
// "History.sqlite" from every row that can still be read from it, and goes on there. Both are told once through
// takeNotice().
class SQLiteHistoryStore final : public HistoryStore
{
public:
    // Version 2 keeps each text once in its row: the search text in its column (the payload refers to it for the
    // item's text), and a long content key as its digest.
    static constexpr int schemaVersion = 2;
    // A content key longer than this (in UTF-16 units) is kept in the row as the SHA-256 digest of the kind and the
    // key, so that the key index holds digests rather than whole texts.
    static constexpr qsizetype longestContentKeyKeptAsText = 64;
    // Captures write on the GUI thread: a wait for another program's lock must stay short enough not to be
    // felt, and long enough to ride out the commit of another writer, which takes a few milliseconds.
    static constexpr int busyTimeoutMilliseconds = 200;
    // The colour given to tags that the migration makes from older payloads.
    static inline const QString legacyTagColor = QStringLiteral("#3B85ED");

    // Told the number of rows rewritten so far, after each row, while the history is brought into the current form.
    using MigrationProgress = std::function<void(qint64 rewritten)>;

    // Asked before the history is opened for writing; false keeps it read-only for now (another copy of the
    // program holds the history's lock).
    using WriteGate = std::function<bool()>;

    explicit SQLiteHistoryStore(
        const QString &directory, MigrationProgress migrationProgress = {}, WriteGate mayWrite = {});
    ~SQLiteHistoryStore() override;
    Q_DISABLE_COPY_MOVE(SQLiteHistoryStore)

    const QString &databasePath() const { return m_databasePath; }

    Result<QList<ClipboardItem>> loadRecentItems(qint64 limit) override;
    Result<QList<Tag>> loadTags() override;
    Result<ClipboardItem> insertOrMerge(const ClipboardItem &item, bool copySequenceModeEnabled) override;
    Result<void> upsert(const ClipboardItem &item) override;
    Result<void> upsertItems(const QList<ClipboardItem> &items) override;
    Result<std::optional<ClipboardItem>> touchItem(
        const QUuid &id, const std::optional<QDateTime> &copiedAt, bool incrementCopyCount) override;
    Result<void> deleteItem(const QUuid &id) override;
    Result<HistoryRemoval> clearHistory(bool keepFavorites) override;
    Result<HistoryRemoval> pruneItems(const RetentionPolicy &policy) override;
    Result<Tag> ensureTag(const QString &name, const QString &color) override;
    // One transaction for all of them.
    Result<QList<Tag>> ensureTags(
        const QList<TagRequest> &tags, const std::function<void(qint64 done)> &written = {}) override;
    Result<Tag> updateTag(const Tag &tag) override;
    Result<void> deleteTag(qint64 id) override;
    Result<QList<QUuid>> loadItemIDs() override;
    // Counted by the database from the stored payloads, none of them decoded here.
    Result<QHash<qint64, qint64>> tagItemCounts() override;
    Result<QList<ClipboardItem>> loadItems(const QList<QUuid> &ids) override;
    std::optional<HistoryStoreNotice> takeNotice() override;

private:
    class Statement;
    struct RemovableItem
    {
        QUuid id;
        QStringList assetPaths;
    };

    // The operations themselves; the public ones run them with the read-only and damage handling around.
    Result<QList<ClipboardItem>> loadRecentItemsOnce(qint64 limit);
    Result<QList<Tag>> loadTagsOnce();
    Result<ClipboardItem> insertOrMergeOnce(const ClipboardItem &item, bool copySequenceModeEnabled);
    Result<void> upsertOnce(const ClipboardItem &item);
    Result<void> upsertItemsOnce(const QList<ClipboardItem> &items);
    Result<std::optional<ClipboardItem>> touchItemOnce(
        const QUuid &id, const std::optional<QDateTime> &copiedAt, bool incrementCopyCount);
    Result<void> deleteItemOnce(const QUuid &id);
    Result<HistoryRemoval> clearHistoryOnce(bool keepFavorites);
    Result<HistoryRemoval> pruneItemsOnce(const RetentionPolicy &policy);
    Result<Tag> ensureTagOnce(const QString &name, const QString &color);
    Result<QList<Tag>> ensureTagsOnce(const QList<TagRequest> &tags, const std::function<void(qint64 done)> &written);
    Result<Tag> updateTagOnce(const Tag &tag);
    Result<void> deleteTagOnce(qint64 id);
    Result<QList<QUuid>> loadItemIDsOnce();
    Result<QHash<qint64, qint64>> tagItemCountsOnce();
    Result<QList<ClipboardItem>> loadItemsOnce(const QList<QUuid> &ids);

    enum class Access { reads, writes };
    // Runs one public operation under the lock. A write is refused while the history can only be read. When the
    // outermost operation meets a damaged file, the file is recovered and the operation runs once more on the new
    // one.
    template<typename Operation> auto guarded(Access access, Operation operation) -> decltype(operation());
    // Whether this process may write in the history's folder and to the file (when there is one).
    bool canWrite() const;
    // Opens an existing history that cannot be written to, for reading only.
    Result<void> openReadOnly();
    // Fails with HistoryStoreError::readOnly while the history can only be read; a folder that has become writable
    // meanwhile is opened afresh for writing.
    Result<void> checkWritable();
    // Keeps the damaged file aside and goes on with a new file made of what can be read from it. Once per store;
    // true when the store then works on the new file.
    bool recoverDamagedDatabase();
    // Copies every readable tag and item of the damaged database into the new one; the number of items copied.
    qint64 copyReadableRows(sqlite3 *damaged, sqlite3 *fresh);
    // A recovery cut short after its new file was complete: that file becomes the history.
    void adoptFinishedRecovery();

    HistoryStoreError sqliteFailure(HistoryStoreError::Value value) const;

    Result<void> open();
    // Whether the open file holds the history's tables, or none at all (a new file). Reads only.
    Result<void> checkOwnTables();
    // Switches the file to the write-ahead log; a file that another connection holds is switched at a later
    // operation. `wait` allows the busy wait.
    void useWriteAheadLog(bool wait);
    Result<Statement> prepare(const char *sql);
    Result<void> exec(const char *sql);
    Result<void> execute(const char *sql, const QString &text);
    // Runs the body inside one transaction (or inside the one already open). On a failure of the body, what
    // it wrote is kept when `keepOnFailure` is set and rolled back otherwise.
    Result<void> inTransaction(const std::function<Result<void>()> &body, bool keepOnFailure);

    Result<void> writeItems(const QList<ClipboardItem> &items);
    Result<std::optional<ClipboardItem>> findLatestItem(ClipboardKind kind, const QString &contentKey);
    Result<std::optional<ClipboardItem>> loadItem(const QUuid &id);
    Result<std::optional<Tag>> findTag(const QString &name);
    Result<QList<RemovableItem>> removableItems(Statement &query, const RetentionPolicy *policy, double *recheckFrom);
    Result<void> deleteItems(const QList<QUuid> &ids);
    Result<void> rewriteItemsCarryingTag(qint64 tagID, bool removeTag);
    Result<QHash<qint64, QString>> tagNamesByID();
    // Every readable stored item that the function selects (it may change the item), with its search text
    // rebuilt from the current tag names.
    Result<QList<ClipboardItem>> storedItemsWithFreshSearchText(const std::function<bool(ClipboardItem &)> &select);

    Result<void> prepareSchema();
    Result<bool> columnExists(const QString &column, const QString &table);
    Result<qint64> userVersion();
    Result<void> setUserVersion(int version);
    Result<void> migrateLegacyTags();
    Result<void> backfillContentKeys();
    Result<void> migrateToVersion1();
    Result<void> migrateToVersion2();
    // Rich text stored without its shown text in its search text gets its search text built again, in one
    // transaction.
    Result<void> rebuildSearchTextOfMarkup();
    // Whether the disk that holds the history has this many bytes free (true where it cannot be told).
    bool hasRoomFor(qint64 bytes) const;
    // The bytes that the history's file and its log take now.
    qint64 fileBytes() const;
    // Gives the free pages back to the file system when they are most of the file, where the disk has room for
    // the copy that compacting writes.
    void compactWhenMostlyFree();

    // Pruning walks forward from where the last prune of each kind stopped: every row of the kind copied
    // before its mark is one that pruning keeps (a favourite, a tagged item or a row that cannot be read),
    // unless a later write put an expirable item there, which moves the mark back.
    void noteWritten(const ClipboardItem &item);

    const QString m_databasePath;
    const MigrationProgress m_migrationProgress;
    const WriteGate m_mayWrite;
    QRecursiveMutex m_lock;
    sqlite3 *m_db = nullptr;
    bool m_prepareSchemaOnOpen = false;
    bool m_journalModeSettled = false; // in write-ahead-log mode, or it cannot be had for this file
    bool m_readOnly = false; // opened for reading only: the history cannot be written to
    bool m_toldReadOnly = false;
    bool m_recoveryTried = false;
    int m_operationDepth = 0; // public operations running, the outermost first
    std::optional<HistoryStoreNotice> m_notice;
    std::array<std::optional<double>, ClipboardKind::allCases.size()> m_pruneMarks;
};
