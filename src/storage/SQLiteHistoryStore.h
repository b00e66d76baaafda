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
class SQLiteHistoryStore final : public HistoryStore
{
public:
    static constexpr int schemaVersion = 1;
    // Captures write on the GUI thread: a wait for another program's lock must stay short enough not to be
    // felt, and long enough to ride out the commit of another writer, which takes a few milliseconds.
    static constexpr int busyTimeoutMilliseconds = 200;
    // The colour given to tags that the migration makes from older payloads.
    static inline const QString legacyTagColor = QStringLiteral("#3B85ED");

    explicit SQLiteHistoryStore(const QString &directory);
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

private:
    class Statement;
    struct RemovableItem
    {
        QUuid id;
        QStringList assetPaths;
    };

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

    // Pruning walks forward from where the last prune of each kind stopped: every row of the kind copied
    // before its mark is one that pruning keeps (a favourite, a tagged item or a row that cannot be read),
    // unless a later write put an expirable item there, which moves the mark back.
    void noteWritten(const ClipboardItem &item);

    const QString m_databasePath;
    QRecursiveMutex m_lock;
    sqlite3 *m_db = nullptr;
    bool m_prepareSchemaOnOpen = false;
    bool m_journalModeSettled = false; // in write-ahead-log mode, or it cannot be had for this file
    std::array<std::optional<double>, ClipboardKind::allCases.size()> m_pruneMarks;
};
