#include "SQLiteHistoryStore.h"

#include "Coding.h"
#include "LegacyClipboardItem.h"
#include "Localization.h"
#include "SQLiteLeafScanner.h"
#include "SharedText.h"
#include "StorageLogging.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QMutexLocker>
#include <QSet>
#include <QStringEncoder>
#include <QUrl>

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <utility>

template<typename T> using Result = HistoryStore::Result<T>;

namespace {

using Locker = QMutexLocker<QRecursiveMutex>;

const char *const schemaStatements[] = {
    "CREATE TABLE IF NOT EXISTS clips (\n"
    "    id TEXT PRIMARY KEY,\n"
    "    kind TEXT NOT NULL,\n"
    "    copiedAt REAL NOT NULL,\n"
    "    favorite INTEGER NOT NULL,\n"
    "    sourceApp TEXT,\n"
    "    searchText TEXT NOT NULL,\n"
    "    contentKey TEXT NOT NULL,\n"
    "    payload BLOB NOT NULL\n"
    ");",
    nullptr, // the contentKey column of older databases, added when missing
    "CREATE INDEX IF NOT EXISTS idx_clips_copiedAt ON clips(copiedAt DESC);",
    "CREATE INDEX IF NOT EXISTS idx_clips_kind ON clips(kind);",
    "CREATE INDEX IF NOT EXISTS idx_clips_contentKey ON clips(kind, contentKey);",
    // The tag table comes before the full-text table: a library without FTS5 must not leave the database
    // without its tags.
    "CREATE TABLE IF NOT EXISTS tags (\n"
    "    id INTEGER PRIMARY KEY AUTOINCREMENT,\n"
    "    name TEXT NOT NULL UNIQUE COLLATE NOCASE,\n"
    "    color TEXT NOT NULL\n"
    ");",
    "CREATE VIRTUAL TABLE IF NOT EXISTS clips_fts USING fts5(id UNINDEXED, searchText);",
};

double secondsSince1970(const QDateTime &date)
{
    return double(date.toMSecsSinceEpoch()) / 1000.0;
}

// The copy time is kept twice: in the payload in whole seconds, and in the copiedAt column with its fraction.
// Items read back take the column's time, so that items copied within one second keep their order. A column
// that disagrees with the payload's second (a row written by another version) is not trusted.
void restoreCopyTime(QDateTime &copiedAt, double columnSeconds)
{
    const QDateTime column = QDateTime::fromMSecsSinceEpoch(qRound64(columnSeconds * 1000.0), Qt::UTC);
    if (column.isValid() && Coding::wholeSeconds(column) == copiedAt)
        copiedAt = column;
}

// The columns by which a database is known as a history: those of the first schema. The content key is not
// among them, since older histories lack it and the schema set-up adds it.
const char *const ownClipsColumns[] = {"id", "kind", "copiedAt", "favorite", "sourceApp", "searchText", "payload"};
const char *const ownTagsColumns[] = {"id", "name", "color"};

// The payload of a row holds the item's JSON without its search text, which the row's searchText column holds, and
// without its text where the search text holds that too (it does, right after the title, unless the item's search
// text is stale): the text's place in the search text stands in for it. So a text is stored once. Rows of the older
// form carry both in the payload and lack the marker; they are read as they are.
const QLatin1StringView searchTextInRowMember("searchTextInRow");
const QLatin1StringView textInSearchTextMember("textInSearchText");

// Where the item's text lies in its search text, by the rule that builds the search text; nothing when it is not
// there.
std::optional<qsizetype> textPositionInSearchText(const ClipboardItem &item)
{
    if (!item.text)
        return std::nullopt;
    const qsizetype position = item.title ? item.title->size() + 1 : 0;
    if (position + item.text->size() > item.searchText.size())
        return std::nullopt;
    if (QStringView(item.searchText).sliced(position, item.text->size()) != QStringView(*item.text))
        return std::nullopt;
    return position;
}

QByteArray encodePayload(const ClipboardItem &item)
{
    ClipboardItem rest = item;
    rest.searchText.clear();
    const auto textPosition = textPositionInSearchText(item);
    if (textPosition)
        rest.text.reset();
    QJsonObject object = rest.toJson();
    object.remove(QLatin1StringView("searchText"));
    object.insert(searchTextInRowMember, true);
    if (textPosition)
        object.insert(textInSearchTextMember, QJsonArray {*textPosition, item.text->size()});
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QJsonObject parseObject(const QByteArray &bytes, QString &fault)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        fault = error.errorString();
        return {};
    }
    if (!document.isObject()) {
        fault = QStringLiteral("the payload is not a JSON object");
        return {};
    }
    return document.object();
}

// The row's search text, read only for a payload that needs it.
using SearchTextColumn = std::function<std::optional<QString>()>;

// The item of a row, from a payload of either form.
Expected<ClipboardItem, QString> decodePayload(const QByteArray &bytes, const SearchTextColumn &searchTextColumn)
{
    using R = Expected<ClipboardItem, QString>;
    QString fault;
    const QJsonObject object = parseObject(bytes, fault);
    if (!fault.isEmpty())
        return R::failure(fault);
    if (object.value(searchTextInRowMember) != QJsonValue(true))
        return ClipboardItem::fromJson(object);
    const auto searchText = searchTextColumn();
    if (!searchText)
        return R::failure(QStringLiteral("the row has no search text"));
    auto item = ClipboardItem::fromJson(object, *searchText);
    if (!item || item->text)
        return item;
    const QJsonValue place = object.value(textInSearchTextMember);
    if (place.isUndefined())
        return item;
    const QJsonArray range = place.toArray();
    const qint64 position = range.size() == 2 && range.at(0).isDouble() ? range.at(0).toInteger(-1) : -1;
    const qint64 length = range.size() == 2 && range.at(1).isDouble() ? range.at(1).toInteger(-1) : -1;
    if (position < 0 || length < 0 || position + length > item->searchText.size())
        return R::failure(QStringLiteral("member \"textInSearchText\" does not lie in the search text"));
    item->text = sharedPart(item->searchText, position, length);
    return item;
}

// An item as stored: its payload, with the copy time of the column.
Expected<ClipboardItem, QString> decodeRow(
    const QByteArray &payload, const SearchTextColumn &searchTextColumn, double copiedAt)
{
    auto item = decodePayload(payload, searchTextColumn);
    if (item)
        restoreCopyTime(item->copiedAt, copiedAt);
    return item;
}

// The content key as the row keeps it: a short key as its text, a longer one as the SHA-256 digest of the kind and
// the key, bound as a blob. SQLite never takes a blob for equal to a text, so the two forms cannot meet.
struct StoredKey
{
    QByteArray bytes;
    bool isDigest = false;
};

StoredKey storedKey(ClipboardKind kind, const QString &key)
{
    if (key.size() <= SQLiteHistoryStore::longestContentKeyKeptAsText)
        return {key.toUtf8(), false};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(kind.rawValue().toUtf8());
    hash.addData(QByteArrayView("\n"));
    // The UTF-8 of the key, a part at a time: a long text is not copied whole for it. The encoder carries a
    // surrogate pair that a part boundary splits over to the next part.
    QStringEncoder encoder(QStringEncoder::Utf8);
    constexpr qsizetype partLength = 64 * 1024;
    for (qsizetype at = 0; at < key.size(); at += partLength) {
        const QByteArray part = encoder.encode(QStringView(key).sliced(at, qMin(partLength, key.size() - at)));
        hash.addData(part);
    }
    return {hash.result(), true};
}

QStringList assetPathsOf(const ClipboardItem &item)
{
    QStringList paths;
    auto add = [&paths](const std::optional<QString> &path) {
        if (path && !path->isEmpty())
            paths.append(*path);
    };
    add(item.assetPath);
    if (item.linkPreviewDetails) {
        add(item.linkPreviewDetails->imagePath);
        add(item.linkPreviewDetails->faviconPath);
    }
    return paths;
}

bool isExpirable(const ClipboardItem &item)
{
    return !item.isFavorite && item.tags.isEmpty();
}

QStringList tagNamesOf(const QList<qint64> &ids, const QHash<qint64, QString> &names)
{
    QStringList result;
    for (const qint64 id : ids) {
        const auto it = names.constFind(id);
        if (it != names.constEnd())
            result.append(*it);
    }
    return result;
}

} // namespace

// --- Statements ---------------------------------------------------------------------------------------------

// One prepared statement, finalized when it goes out of scope, whatever path the operation takes.
class SQLiteHistoryStore::Statement
{
public:
    Statement(sqlite3_stmt *statement, SQLiteHistoryStore *store) : m_statement(statement), m_store(store) { }
    Statement(Statement &&other) noexcept
        : m_statement(std::exchange(other.m_statement, nullptr)), m_store(other.m_store)
    { }
    Statement &operator=(Statement &&) = delete;
    ~Statement() { sqlite3_finalize(m_statement); }

    Result<void> bindText(int index, const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        if (sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT) != SQLITE_OK)
            return Result<void>::failure(HistoryStoreError::bindFailed);
        return {};
    }
    Result<void> bindOptionalText(int index, const std::optional<QString> &text)
    {
        if (!text) {
            sqlite3_bind_null(m_statement, index);
            return {};
        }
        return bindText(index, *text);
    }
    Result<void> bindKey(int index, const StoredKey &key)
    {
        const int rc = key.isDigest
            ? sqlite3_bind_blob(m_statement, index, key.bytes.constData(), int(key.bytes.size()), SQLITE_TRANSIENT)
            : sqlite3_bind_text(m_statement, index, key.bytes.constData(), int(key.bytes.size()), SQLITE_TRANSIENT);
        if (rc != SQLITE_OK)
            return Result<void>::failure(HistoryStoreError::bindFailed);
        return {};
    }
    void bindInt64(int index, qint64 value) { sqlite3_bind_int64(m_statement, index, value); }
    void bindDouble(int index, double value) { sqlite3_bind_double(m_statement, index, value); }
    void bindBlob(int index, const QByteArray &bytes)
    {
        sqlite3_bind_blob(m_statement, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
    }

    // One step of a read: true for a row, false when the rows are done. Anything else is a failure, never a
    // short result.
    Result<bool> next()
    {
        const int rc = sqlite3_step(m_statement);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        return Result<bool>::failure(m_store->sqliteFailure(HistoryStoreError::stepFailed));
    }
    // Steps through every row, calling the function on each. Fails as next() does: never a short result.
    Result<void> forEachRow(const std::function<void()> &onRow)
    {
        while (true) {
            auto row = next();
            if (!row)
                return Result<void>::failure(row.error());
            if (!*row)
                return {};
            onRow();
        }
    }
    // The one step of a write, which must finish it.
    Result<void> run()
    {
        if (sqlite3_step(m_statement) != SQLITE_DONE)
            return Result<void>::failure(m_store->sqliteFailure(HistoryStoreError::stepFailed));
        return {};
    }
    void reset()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }

    bool isNull(int column) const { return sqlite3_column_type(m_statement, column) == SQLITE_NULL; }
    std::optional<QString> text(int column) const
    {
        const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
        if (!bytes)
            return std::nullopt;
        return QString::fromUtf8(bytes, sqlite3_column_bytes(m_statement, column));
    }
    // The bytes of a blob column, or nothing for NULL (and for an empty blob, which SQLite reports alike).
    std::optional<QByteArray> blob(int column) const
    {
        const void *bytes = sqlite3_column_blob(m_statement, column);
        if (!bytes)
            return std::nullopt;
        return QByteArray(static_cast<const char *>(bytes), sqlite3_column_bytes(m_statement, column));
    }
    qint64 int64(int column) const { return sqlite3_column_int64(m_statement, column); }
    double real(int column) const { return sqlite3_column_double(m_statement, column); }

private:
    sqlite3_stmt *m_statement;
    SQLiteHistoryStore *m_store;
};

HistoryStoreError SQLiteHistoryStore::sqliteFailure(HistoryStoreError::Value value) const
{
    const char *message = m_db ? sqlite3_errmsg(m_db) : nullptr;
    return HistoryStoreError(value, message ? QString::fromUtf8(message) : QStringLiteral("Unknown SQLite error"),
        m_db ? sqlite3_extended_errcode(m_db) : 0);
}

// --- Construction -------------------------------------------------------------------------------------------

namespace {

// A file that SQLite finds damaged, or that does not open as a database at all (its header is gone): it is put aside
// and what can be read from it is salvaged.
bool needsSalvage(const HistoryStoreError &error)
{
    if (error.isDatabaseDamaged())
        return true;
    return (error.value() == HistoryStoreError::prepareFailed || error.value() == HistoryStoreError::stepFailed)
        && (error.resultCode() & 0xff) == SQLITE_NOTADB;
}

} // namespace

SQLiteHistoryStore::SQLiteHistoryStore(
    const QString &directory, MigrationProgress migrationProgress, WriteGate mayWrite)
    : m_databasePath(QDir(directory).filePath(QStringLiteral("History.sqlite")))
    , m_migrationProgress(std::move(migrationProgress))
    , m_mayWrite(std::move(mayWrite))
{
    // Failures here are not reported: they show as the failures of the operations that follow. Damage is mended
    // once the set-up has stopped, not in the middle of it.
    ++m_operationDepth;
    Result<void> prepared = open();
    if (prepared && !m_readOnly)
        prepared = prepareSchema();
    --m_operationDepth;
    m_prepareSchemaOnOpen = true;
    if (!prepared && needsSalvage(prepared.error()))
        recoverDamagedDatabase();
}

SQLiteHistoryStore::~SQLiteHistoryStore()
{
    sqlite3_close(m_db);
}

Result<void> SQLiteHistoryStore::open()
{
    if (m_db) {
        if (!m_journalModeSettled)
            useWriteAheadLog(false);
        return {};
    }
    adoptFinishedRecovery();
    if (QFileInfo::exists(m_databasePath) && !canWrite())
        return openReadOnly();
    if (m_mayWrite && !m_mayWrite()) {
        if (QFileInfo::exists(m_databasePath))
            return openReadOnly();
        return Result<void>::failure(HistoryStoreError(
            HistoryStoreError::readOnly, QDir::toNativeSeparators(QFileInfo(m_databasePath).absolutePath())));
    }
    const QByteArray path = QFile::encodeName(m_databasePath);
    if (sqlite3_open(path.constData(), &m_db) != SQLITE_OK) {
        // Close the failed handle, so that the next operation tries again (the folder may exist by then).
        sqlite3_close(m_db);
        m_db = nullptr;
        return Result<void>::failure(HistoryStoreError::openFailed);
    }
    sqlite3_busy_timeout(m_db, busyTimeoutMilliseconds);
    // Nothing is written before the tables are known to be ours. A file that cannot be read now (damaged,
    // foreign, locked) is opened afresh by the next operation.
    if (auto own = checkOwnTables(); !own) {
        sqlite3_close(m_db);
        m_db = nullptr;
        return own;
    }
    if (sqlite3_db_readonly(m_db, "main") == 1) {
        // SQLite fell back to reading only: a file that this process may not write to.
        sqlite3_close(m_db);
        m_db = nullptr;
        return openReadOnly();
    }
    m_readOnly = false;
    m_journalModeSettled = false;
    useWriteAheadLog(true);
    if (m_prepareSchemaOnOpen)
        (void)prepareSchema();
    return {};
}

Result<void> SQLiteHistoryStore::checkOwnTables()
{
    auto tables = prepare("SELECT lower(name) FROM sqlite_master WHERE type IN ('table', 'view') "
                          "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\';");
    if (!tables)
        return Result<void>::failure(tables.error());
    QSet<QString> names;
    auto read = tables->forEachRow([&] { names.insert(tables->text(0).value_or(QString())); });
    if (!read)
        return read;
    if (names.isEmpty())
        return {}; // a new file
    const auto hasColumns = [this](const char *table, const auto &columns) -> Result<bool> {
        auto statement = prepare("SELECT lower(name) FROM pragma_table_info(?);");
        if (!statement)
            return Result<bool>::failure(statement.error());
        if (auto bound = statement->bindText(1, QString::fromLatin1(table)); !bound)
            return Result<bool>::failure(bound.error());
        QSet<QString> present;
        auto read = statement->forEachRow([&] { present.insert(statement->text(0).value_or(QString())); });
        if (!read)
            return Result<bool>::failure(read.error());
        for (const char *column : columns) {
            if (!present.contains(QString::fromLatin1(column).toLower()))
                return false;
        }
        return true;
    };
    bool own = names.contains(QStringLiteral("clips"));
    if (own) {
        auto clips = hasColumns("clips", ownClipsColumns);
        if (!clips)
            return Result<void>::failure(clips.error());
        own = *clips;
    }
    if (own && names.contains(QStringLiteral("tags"))) {
        auto tags = hasColumns("tags", ownTagsColumns);
        if (!tags)
            return Result<void>::failure(tags.error());
        own = *tags;
    }
    if (!own)
        return Result<void>::failure(HistoryStoreError(HistoryStoreError::foreignDatabase, m_databasePath));
    return {};
}

void SQLiteHistoryStore::useWriteAheadLog(bool wait)
{
    // The mode cannot change inside a transaction; the next operation tries again.
    if (!sqlite3_get_autocommit(m_db))
        return;
    // Changing the mode needs the file to itself. Later attempts do not wait: while a reader holds the file in
    // the old mode, every write fails after its own wait anyway.
    if (!wait)
        sqlite3_busy_timeout(m_db, 0);
    std::optional<QString> mode;
    if (auto statement = prepare("PRAGMA journal_mode = WAL;")) {
        if (auto row = statement->next(); row && *row)
            mode = statement->text(0);
    }
    if (!wait)
        sqlite3_busy_timeout(m_db, busyTimeoutMilliseconds);
    if (!mode)
        return; // held by another connection, or not possible just now: tried again later
    // The answer is the mode in effect: the log, or the old mode where the log cannot be had (a file system
    // without the shared memory it needs). Either way there is nothing more to try.
    m_journalModeSettled = true;
    if (mode->compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0) {
        // A commit is then synced to the disk at the next checkpoint, not at once: the file stays consistent
        // after a crash of the program or a power loss, and only the commits just before a power loss can be
        // lost. In exchange a capture does not wait for the disk on the GUI thread.
        (void)exec("PRAGMA synchronous = NORMAL;");
    }
}

Result<SQLiteHistoryStore::Statement> SQLiteHistoryStore::prepare(const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return Result<Statement>::failure(sqliteFailure(HistoryStoreError::prepareFailed));
    }
    return Statement(statement, this);
}

Result<void> SQLiteHistoryStore::exec(const char *sql)
{
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        return Result<void>::failure(sqliteFailure(HistoryStoreError::stepFailed));
    return {};
}

Result<void> SQLiteHistoryStore::execute(const char *sql, const QString &text)
{
    if (auto opened = open(); !opened)
        return opened;
    auto statement = prepare(sql);
    if (!statement)
        return Result<void>::failure(statement.error());
    if (auto bound = statement->bindText(1, text); !bound)
        return bound;
    return statement->run();
}

Result<void> SQLiteHistoryStore::inTransaction(const std::function<Result<void>()> &body, bool keepOnFailure)
{
    if (auto opened = open(); !opened)
        return opened;
    if (!sqlite3_get_autocommit(m_db))
        return body(); // already inside a transaction of the calling operation
    // IMMEDIATE takes the write lock at once (waiting for it like any write), so that a transaction that reads
    // before it writes cannot fail halfway because another connection wrote meanwhile.
    if (auto begun = exec("BEGIN IMMEDIATE TRANSACTION;"); !begun)
        return begun;
    const Result<void> outcome = body();
    if (outcome || keepOnFailure) {
        if (auto committed = exec("COMMIT;"); !committed) {
            (void)exec("ROLLBACK;");
            return outcome ? committed : outcome;
        }
        return outcome;
    }
    (void)exec("ROLLBACK;");
    return outcome;
}

// --- Schema and migrations ----------------------------------------------------------------------------------

Result<void> SQLiteHistoryStore::prepareSchema()
{
    if (auto opened = open(); !opened)
        return opened;
    for (const char *sql : schemaStatements) {
        if (!sql) {
            auto exists = columnExists(QStringLiteral("contentKey"), QStringLiteral("clips"));
            if (!exists)
                return Result<void>::failure(exists.error());
            if (*exists)
                continue;
            sql = "ALTER TABLE clips ADD COLUMN contentKey TEXT;";
        }
        if (auto done = exec(sql); !done)
            return done;
    }
    if (auto done = migrateLegacyTags(); !done)
        return done;
    if (auto done = backfillContentKeys(); !done)
        return done;
    if (auto done = migrateToVersion1(); !done)
        return done;
    if (auto done = migrateToVersion2(); !done)
        return done;
    if (auto done = rebuildSearchTextOfMarkup(); !done)
        return done;
    compactWhenMostlyFree();
    return {};
}

qint64 SQLiteHistoryStore::fileBytes() const
{
    return QFileInfo(m_databasePath).size() + QFileInfo(m_databasePath + QStringLiteral("-wal")).size();
}

bool SQLiteHistoryStore::hasRoomFor(qint64 bytes) const
{
    struct statvfs disk
    {
    };
    const QByteArray folder = QFile::encodeName(QFileInfo(m_databasePath).absolutePath());
    if (::statvfs(folder.constData(), &disk) != 0)
        return true; // nothing to go by: the write itself reports a full disk
    return qint64(disk.f_bavail) * qint64(disk.f_frsize) >= bytes;
}

void SQLiteHistoryStore::compactWhenMostlyFree()
{
    // Smaller files are not worth a start's time; a file is compacted once most of it is free, which a rewrite of
    // every row leaves behind (also when the program was ended while it compacted the last time).
    constexpr qint64 smallestFileCompacted = 4 * 1024 * 1024;
    if (fileBytes() < smallestFileCompacted)
        return;
    qint64 pageCount = 0;
    qint64 freePages = 0;
    qint64 pageSize = 0;
    {
        // Finalised before the file is rewritten.
        auto pages = prepare("SELECT page_count, freelist_count, page_size FROM pragma_page_count(), "
                             "pragma_freelist_count(), pragma_page_size();");
        if (!pages)
            return;
        auto row = pages->next();
        if (!row || !*row)
            return;
        pageCount = pages->int64(0);
        freePages = pages->int64(1);
        pageSize = pages->int64(2);
    }
    if (freePages * 2 <= pageCount)
        return;
    // Compacting copies the pages in use into a temporary file and writes them back through the log.
    const qint64 inUse = (pageCount - freePages) * pageSize;
    if (!hasRoomFor(2 * inUse)) {
        qCWarning(lcStorage).noquote() << "the history is not compacted: the disk lacks" << 2 * inUse << "bytes";
        return;
    }
    // A failure (another program reading the file just now) leaves the pages for later writes to reuse. The
    // compacted pages are in the log until it is written back into the file, which only then shrinks.
    if (exec("VACUUM;"))
        (void)exec("PRAGMA wal_checkpoint(TRUNCATE);");
}

Result<bool> SQLiteHistoryStore::columnExists(const QString &column, const QString &table)
{
    const QByteArray sql = "PRAGMA table_info(" + table.toUtf8() + ");";
    auto statement = prepare(sql.constData());
    if (!statement)
        return Result<bool>::failure(statement.error());
    while (true) {
        auto row = statement->next();
        if (!row)
            return Result<bool>::failure(row.error());
        if (!*row)
            return false;
        if (const auto name = statement->text(1); name && *name == column)
            return true;
    }
}

Result<qint64> SQLiteHistoryStore::userVersion()
{
    auto statement = prepare("PRAGMA user_version;");
    if (!statement)
        return Result<qint64>::failure(statement.error());
    auto row = statement->next();
    if (!row)
        return Result<qint64>::failure(row.error());
    return *row ? statement->int64(0) : 0;
}

Result<void> SQLiteHistoryStore::setUserVersion(int version)
{
    const QByteArray sql = "PRAGMA user_version = " + QByteArray::number(version) + ";";
    return exec(sql.constData());
}

Result<void> SQLiteHistoryStore::migrateLegacyTags()
{
    // Before the current format every row is looked at. In a database that is up to date, only a row that an
    // older version wrote since can hold tag names, and such a payload has a tag list that starts with a text;
    // reading just those keeps opening a large history quick.
    auto version = userVersion();
    if (!version)
        return Result<void>::failure(version.error());
    auto statement = prepare(*version < schemaVersion
            ? "SELECT id, payload, copiedAt FROM clips;"
            : "SELECT id, payload, copiedAt FROM clips WHERE instr(payload, CAST('\"tags\":[\"' AS BLOB)) > 0;");
    if (!statement)
        return Result<void>::failure(statement.error());
    QList<ClipboardItem> converted;
    while (true) {
        auto row = statement->next();
        if (!row)
            return Result<void>::failure(row.error());
        if (!*row)
            break;
        const auto payload = statement->blob(1);
        if (!payload)
            continue;
        QString fault;
        const QJsonObject object = parseObject(*payload, fault);
        if (!fault.isEmpty())
            continue;
        const auto legacy = LegacyClipboardItem::fromJson(object);
        if (!legacy || legacy->tags.isEmpty())
            continue;
        QList<qint64> tagIDs;
        QStringList tagNames;
        for (const QString &name : legacy->tags) {
            auto tag = ensureTag(name, legacyTagColor);
            if (!tag)
                return Result<void>::failure(tag.error());
            tagIDs.append(tag->id);
            tagNames.append(tag->name);
        }
        ClipboardItem item = legacy->makeClipboardItem(tagIDs, tagNames);
        restoreCopyTime(item.copiedAt, statement->real(2));
        converted.append(item);
    }
    return upsertItems(converted);
}

Result<void> SQLiteHistoryStore::backfillContentKeys()
{
    auto statement = prepare("SELECT id, payload, searchText FROM clips WHERE contentKey IS NULL OR contentKey = '';");
    if (!statement)
        return Result<void>::failure(statement.error());
    QList<std::pair<QString, StoredKey>> keys;
    auto read = statement->forEachRow([&] {
        const auto id = statement->text(0);
        const auto payload = statement->blob(1);
        if (!id || !payload)
            return;
        const auto item = decodePayload(*payload, [&] { return statement->text(2); });
        if (item)
            keys.append({*id, storedKey(item->kind, item->contentKey())});
    });
    if (!read)
        return Result<void>::failure(read.error());
    if (keys.isEmpty())
        return {};
    // One transaction for speed; a failure keeps the rows updated before it, as separate writes would.
    return inTransaction(
        [&]() -> Result<void> {
            for (const auto &[id, key] : keys) {
                auto update = prepare("UPDATE clips SET contentKey = ? WHERE id = ?;");
                if (!update)
                    return Result<void>::failure(update.error());
                if (auto bound = update->bindKey(1, key); !bound)
                    return bound;
                if (auto bound = update->bindText(2, id); !bound)
                    return bound;
                if (auto done = update->run(); !done)
                    return done;
            }
            return {};
        },
        true);
}

Result<void> SQLiteHistoryStore::migrateToVersion1()
{
    auto version = userVersion();
    if (!version)
        return Result<void>::failure(version.error());
    if (*version >= 1)
        return {};
    // Items with HTML get their search text built again by the current rule.
    auto rebuilt
        = storedItemsWithFreshSearchText([](ClipboardItem &item) { return item.html && !item.html->isEmpty(); });
    if (!rebuilt)
        return Result<void>::failure(rebuilt.error());
    if (auto written = upsertItems(*rebuilt); !written)
        return written;
    return setUserVersion(1);
}

Result<void> SQLiteHistoryStore::migrateToVersion2()
{
    auto version = userVersion();
    if (!version)
        return Result<void>::failure(version.error());
    // Once every row is rewritten. After that, only a row that an older version wrote since can hold a long key as
    // its text; such keys are found in the key index, without reading the rows. (Payloads of the older form that
    // such a version wrote are read as they are.)
    const QByteArray longTextKeys = "SELECT rowid, contentKey FROM clips WHERE typeof(contentKey) = 'text' "
                                    "AND length(CAST(contentKey AS BLOB)) > "
        + QByteArray::number(longestContentKeyKeptAsText) + ";";
    auto rows = prepare(*version < 2 ? "SELECT rowid, NULL FROM clips ORDER BY rowid;" : longTextKeys.constData());
    if (!rows)
        return Result<void>::failure(rows.error());
    QList<qint64> rowIDs;
    auto read = rows->forEachRow([&] {
        // A key of more bytes than the limit may still be short in UTF-16 units, and is then kept as its text.
        if (*version < 2 || rows->text(1).value_or(QString()).size() > longestContentKeyKeptAsText)
            rowIDs.append(rows->int64(0));
    });
    if (!read)
        return Result<void>::failure(read.error());
    if (rowIDs.isEmpty() && *version >= 2)
        return {};
    // The rewrite keeps the older rows until it commits and logs the new ones beside them: at its peak the history
    // takes about twice its size. Without that room nothing is changed; the rows are read as they are.
    if (*version < 2 && !hasRoomFor(2 * fileBytes())) {
        const qint64 neededMB = (2 * fileBytes() + 1024 * 1024 - 1) / (1024 * 1024);
        qCWarning(lcStorage).noquote() << "the history is left in its older form: the disk lacks" << 2 * fileBytes()
                                       << "bytes";
        m_notice = HistoryStoreNotice {HistoryStoreNotice::Kind::notEnoughSpace,
            localized(QStringLiteral("There is not enough free space on the disk to bring the history in %1$@ up to "
                                     "date: it needs %2$lld MB free. Varnisto goes on with the history as it is and "
                                     "tries again at its next start."),
                {QDir::toNativeSeparators(QFileInfo(m_databasePath).absolutePath()), neededMB})};
        return {};
    }

    // One transaction: a history is either wholly in the older form or wholly in the new one, whenever the
    // program stops. Each row is rewritten where it stands, from the item its payload holds: the item is the same,
    // only its form changes. A row that cannot be read is left as it is.
    auto rewritten = inTransaction(
        [&]() -> Result<void> {
            qint64 done = 0;
            for (const qint64 rowID : rowIDs) {
                auto load = prepare("SELECT payload, copiedAt, searchText FROM clips WHERE rowid = ?;");
                if (!load)
                    return Result<void>::failure(load.error());
                load->bindInt64(1, rowID);
                auto row = load->next();
                if (!row)
                    return Result<void>::failure(row.error());
                const auto payload = *row ? load->blob(0) : std::nullopt;
                if (!payload)
                    continue;
                const auto item = decodeRow(
                    *payload, [&] { return load->text(2); }, load->real(1));
                if (!item)
                    continue;
                auto update = prepare("UPDATE clips SET searchText = ?, contentKey = ?, payload = ? WHERE rowid = ?;");
                if (!update)
                    return Result<void>::failure(update.error());
                if (auto bound = update->bindText(1, item->searchText); !bound)
                    return bound;
                if (auto bound = update->bindKey(2, storedKey(item->kind, item->contentKey())); !bound)
                    return bound;
                update->bindBlob(3, encodePayload(*item));
                update->bindInt64(4, rowID);
                if (auto updated = update->run(); !updated)
                    return updated;
                if (m_migrationProgress)
                    m_migrationProgress(++done);
            }
            return *version < 2 ? setUserVersion(2) : Result<void>();
        },
        false);
    // The rewritten history takes a fraction of the pages it took: compactWhenMostlyFree gives them back.
    return rewritten;
}

Result<void> SQLiteHistoryStore::rebuildSearchTextOfMarkup()
{
    // Rich text without a plain string of its own was once stored with a search text that lacked what it shows.
    // Only rows with HTML or RTF and without a text in the payload (or with an empty one, whose place in the search
    // text is [n,0]) can be such rows; the others are not read. An older version may write such rows again, so
    // this runs at every opening; through the kind's index it reads the rich-text rows alone, so that it costs a
    // start nothing like a pass over every text (whose search text lies before the payload in the row).
    auto query = prepare("SELECT rowid, payload, copiedAt, searchText FROM clips INDEXED BY idx_clips_kind "
                         "WHERE kind = 'richText' AND (instr(payload, CAST('\"html\":\"' AS BLOB)) > 0 "
                         "OR instr(payload, CAST('\"rtfData\":\"' AS BLOB)) > 0) "
                         "AND (instr(payload, CAST('\"text\":\"' AS BLOB)) = 0 "
                         "OR instr(payload, CAST('\"text\":\"\"' AS BLOB)) > 0) "
                         "AND (instr(payload, CAST('\"textInSearchText\":[' AS BLOB)) = 0 "
                         "OR instr(payload, CAST(',0]' AS BLOB)) > 0) ORDER BY rowid;");
    if (!query)
        return Result<void>::failure(query.error());
    QList<std::pair<qint64, ClipboardItem>> stale;
    auto read = query->forEachRow([&] {
        const auto payload = query->blob(1);
        if (!payload)
            return;
        auto item = decodeRow(
            *payload, [&] { return query->text(3); }, query->real(2));
        if (!item || (item->text && !item->text->isEmpty()) || item->kind == ClipboardKind::image
            || item->kind == ClipboardKind::file)
            return;
        if (const auto shown = item->visibleText(); shown && !item->searchText.contains(*shown))
            stale.append({query->int64(0), *std::move(item)});
    });
    if (!read)
        return Result<void>::failure(read.error());
    if (stale.isEmpty())
        return {};
    auto names = tagNamesByID();
    if (!names)
        return Result<void>::failure(names.error());
    // One transaction: every row is rebuilt, or none is, whenever the program stops.
    return inTransaction(
        [&]() -> Result<void> {
            for (const auto &[rowID, item] : std::as_const(stale)) {
                const ClipboardItem rebuilt = item.refreshingSearchText(tagNamesOf(item.tags, *names));
                auto update = prepare("UPDATE clips SET searchText = ?, contentKey = ?, payload = ? WHERE rowid = ?;");
                if (!update)
                    return Result<void>::failure(update.error());
                if (auto bound = update->bindText(1, rebuilt.searchText); !bound)
                    return bound;
                if (auto bound = update->bindKey(2, storedKey(rebuilt.kind, rebuilt.contentKey())); !bound)
                    return bound;
                update->bindBlob(3, encodePayload(rebuilt));
                update->bindInt64(4, rowID);
                if (auto updated = update->run(); !updated)
                    return updated;
            }
            return {};
        },
        false);
}

Result<QHash<qint64, QString>> SQLiteHistoryStore::tagNamesByID()
{
    auto tags = loadTags();
    if (!tags)
        return Result<QHash<qint64, QString>>::failure(tags.error());
    QHash<qint64, QString> names;
    for (const Tag &tag : *tags)
        names.insert(tag.id, tag.name);
    return names;
}

Result<QList<ClipboardItem>> SQLiteHistoryStore::storedItemsWithFreshSearchText(
    const std::function<bool(ClipboardItem &)> &select)
{
    using R = Result<QList<ClipboardItem>>;
    auto names = tagNamesByID();
    if (!names)
        return R::failure(names.error());
    auto query = prepare("SELECT payload, copiedAt, searchText FROM clips;");
    if (!query)
        return R::failure(query.error());
    QList<ClipboardItem> selected;
    auto read = query->forEachRow([&] {
        const auto payload = query->blob(0);
        if (!payload)
            return;
        auto item = decodeRow(
            *payload, [&] { return query->text(2); }, query->real(1));
        if (!item || !select(*item))
            return;
        selected.append(item->refreshingSearchText(tagNamesOf(item->tags, *names)));
    });
    if (!read)
        return R::failure(read.error());
    return selected;
}

// --- Writing ------------------------------------------------------------------------------------------------

Result<void> SQLiteHistoryStore::writeItems(const QList<ClipboardItem> &items)
{
    if (items.isEmpty())
        return {};
    auto statement = prepare("INSERT OR REPLACE INTO clips (id, kind, copiedAt, favorite, sourceApp, searchText, "
                             "contentKey, payload)\nVALUES (?, ?, ?, ?, ?, ?, ?, ?);");
    if (!statement)
        return Result<void>::failure(statement.error());
    for (const ClipboardItem &item : items) {
        const QByteArray payload = encodePayload(item);
        statement->reset();
        if (auto bound = statement->bindText(1, Coding::uuidString(item.id)); !bound)
            return bound;
        if (auto bound = statement->bindText(2, item.kind.rawValue()); !bound)
            return bound;
        statement->bindDouble(3, secondsSince1970(item.copiedAt));
        statement->bindInt64(4, item.isFavorite ? 1 : 0);
        if (auto bound = statement->bindOptionalText(5, item.sourceAppName); !bound)
            return bound;
        if (auto bound = statement->bindText(6, item.searchText); !bound)
            return bound;
        if (auto bound = statement->bindKey(7, storedKey(item.kind, item.contentKey())); !bound)
            return bound;
        statement->bindBlob(8, payload);
        if (auto done = statement->run(); !done)
            return done;
        noteWritten(item);
    }
    return {};
}

void SQLiteHistoryStore::noteWritten(const ClipboardItem &item)
{
    auto &mark = m_pruneMarks[static_cast<ClipboardKind::Value>(item.kind)];
    if (!mark || !isExpirable(item))
        return;
    const double copiedAt = secondsSince1970(item.copiedAt);
    if (copiedAt < *mark)
        mark = copiedAt;
}

Result<void> SQLiteHistoryStore::upsertOnce(const ClipboardItem &item)
{
    Locker locker(&m_lock);
    if (auto opened = open(); !opened)
        return opened;
    return writeItems({item});
}

Result<void> SQLiteHistoryStore::upsertItemsOnce(const QList<ClipboardItem> &items)
{
    Locker locker(&m_lock);
    if (items.isEmpty())
        return {};
    if (items.size() == 1)
        return upsert(items.first());
    return inTransaction([&] { return writeItems(items); }, true);
}

// --- Reading ------------------------------------------------------------------------------------------------

Result<QList<ClipboardItem>> SQLiteHistoryStore::loadRecentItemsOnce(qint64 limit)
{
    using R = Result<QList<ClipboardItem>>;
    Locker locker(&m_lock);
    if (auto opened = open(); !opened)
        return R::failure(opened.error());
    if (limit <= 0)
        limit = defaultRecentItemLimit;
    auto statement = prepare("SELECT payload, copiedAt, searchText FROM clips ORDER BY copiedAt DESC LIMIT ?;");
    if (!statement)
        return R::failure(statement.error());
    statement->bindInt64(1, limit);
    QList<ClipboardItem> items;
    QSet<QUuid> seen;
    auto read = statement->forEachRow([&] {
        const auto payload = statement->blob(0);
        if (!payload)
            return;
        auto item = decodeRow(
            *payload, [&] { return statement->text(2); }, statement->real(1));
        if (!item || seen.contains(item->id))
            return;
        seen.insert(item->id);
        items.append(std::move(item).value());
    });
    if (!read)
        return R::failure(read.error());
    // A history is read whole once in a while (at start, after an import); the list keeps no room to grow and the
    // connection none of the pages it read.
    items.squeeze();
    sqlite3_db_release_memory(m_db);
    return items;
}

Result<QList<Tag>> SQLiteHistoryStore::loadTagsOnce()
{
    using R = Result<QList<Tag>>;
    Locker locker(&m_lock);
    if (auto opened = open(); !opened)
        return R::failure(opened.error());
    auto statement = prepare("SELECT id, name, color FROM tags ORDER BY name COLLATE NOCASE ASC;");
    if (!statement)
        return R::failure(statement.error());
    QList<Tag> tags;
    auto read = statement->forEachRow([&] {
        const auto name = statement->text(1);
        const auto color = statement->text(2);
        if (name && color)
            tags.append(Tag {statement->int64(0), *name, *color});
    });
    if (!read)
        return R::failure(read.error());
    return tags;
}

Result<QList<QUuid>> SQLiteHistoryStore::loadItemIDsOnce()
{
    using R = Result<QList<QUuid>>;
    Locker locker(&m_lock);
    if (auto opened = open(); !opened)
        return R::failure(opened.error());
    auto statement = prepare("SELECT id FROM clips ORDER BY copiedAt DESC;");
    if (!statement)
        return R::failure(statement.error());
    QList<QUuid> ids;
    auto read = statement->forEachRow([&] {
        if (const auto text = statement->text(0)) {
            if (const auto id = Coding::uuidFromString(*text))
                ids.append(*id);
        }
    });
    if (!read)
        return R::failure(read.error());
    return ids;
}

Result<QHash<qint64, qint64>> SQLiteHistoryStore::tagItemCountsOnce()
{
    using R = Result<QHash<qint64, qint64>>;
    Locker locker(&m_lock);
    if (auto opened = open(); !opened)
        return R::failure(opened.error());
    // Rows whose payload says it has no tags are passed over in the database; of the others only the tag list is
    // read, without decoding the whole item. A payload without a readable list counts for nothing.
    auto statement = prepare("SELECT payload FROM clips WHERE instr(payload, CAST('\"tags\":[]' AS BLOB)) = 0;");
    if (!statement)
        return R::failure(statement.error());
    QHash<qint64, qint64> counts;
    static const QByteArray key = QByteArrayLiteral("\"tags\":[");
    auto read = statement->forEachRow([&] {
        const QByteArray payload = statement->blob(0).value_or(QByteArray());
        const qsizetype start = payload.indexOf(key);
        if (start < 0)
            return;
        const qsizetype end = payload.indexOf(']', start + key.size());
        if (end < 0)
            return;
        const QByteArray list = payload.mid(start + key.size(), end - start - key.size());
        for (const QByteArray &part : list.split(',')) {
            bool ok = false;
            const qint64 tag = part.trimmed().toLongLong(&ok);
            if (ok)
                ++counts[tag];
        }
    });
    if (!read)
        return R::failure(read.error());
    return counts;
}

Result<QList<ClipboardItem>> SQLiteHistoryStore::loadItemsOnce(const QList<QUuid> &ids)
{
    using R = Result<QList<ClipboardItem>>;
    Locker locker(&m_lock);
    if (auto opened = open(); !opened)
        return R::failure(opened.error());
    QList<ClipboardItem> items;
    if (ids.isEmpty())
        return items;
    auto statement = prepare("SELECT payload, copiedAt, searchText FROM clips WHERE id = ? LIMIT 1;");
    if (!statement)
        return R::failure(statement.error());
    for (const QUuid &id : ids) {
        statement->reset();
        if (auto bound = statement->bindText(1, Coding::uuidString(id)); !bound)
            return R::failure(bound.error());
        auto row = statement->next();
        if (!row)
            return R::failure(row.error());
        if (!*row)
            continue;
        const auto payload = statement->blob(0);
        if (!payload)
            continue;
        if (auto item = decodeRow(
                *payload, [&] { return statement->text(2); }, statement->real(1)))
            items.append(std::move(item).value());
    }
    return items;
}

Result<std::optional<ClipboardItem>> SQLiteHistoryStore::findLatestItem(ClipboardKind kind, const QString &contentKey)
{
    using R = Result<std::optional<ClipboardItem>>;
    if (auto opened = open(); !opened)
        return R::failure(opened.error());
    // Until the history is in the current form, a long key may still stand in a row as its text.
    auto version = userVersion();
    if (!version)
        return R::failure(version.error());
    const StoredKey key = storedKey(kind, contentKey);
    const bool eitherForm = key.isDigest && *version < 2;
    auto statement
        = prepare(eitherForm ? "SELECT payload, copiedAt, searchText FROM clips WHERE kind = ?1 AND (contentKey = ?2 "
                               "OR contentKey = ?3) "
                               "ORDER BY copiedAt DESC LIMIT 1;"
                             : "SELECT payload, copiedAt, searchText FROM clips WHERE kind = ?1 AND contentKey = ?2 "
                               "ORDER BY copiedAt DESC LIMIT 1;");
    if (!statement)
        return R::failure(statement.error());
    if (auto bound = statement->bindText(1, kind.rawValue()); !bound)
        return R::failure(bound.error());
    if (auto bound = statement->bindKey(2, key); !bound)
        return R::failure(bound.error());
    if (eitherForm) {
        if (auto bound = statement->bindText(3, contentKey); !bound)
            return R::failure(bound.error());
    }
    auto row = statement->next();
    if (!row)
        return R::failure(row.error());
    if (!*row)
        return std::optional<ClipboardItem>();
    const auto payload = statement->blob(0);
    if (!payload)
        return std::optional<ClipboardItem>();
    // A damaged row is no match: it must not stand in the way of every later copy of the same content.
    auto item = decodeRow(
        *payload, [&] { return statement->text(2); }, statement->real(1));
    if (!item)
        return std::optional<ClipboardItem>();
    return std::optional<ClipboardItem>(std::move(item).value());
}

Result<std::optional<ClipboardItem>> SQLiteHistoryStore::loadItem(const QUuid &id)
{
    using R = Result<std::optional<ClipboardItem>>;
    if (auto opened = open(); !opened)
        return R::failure(opened.error());
    auto statement = prepare("SELECT payload, copiedAt, searchText FROM clips WHERE id = ? LIMIT 1;");
    if (!statement)
        return R::failure(statement.error());
    if (auto bound = statement->bindText(1, Coding::uuidString(id)); !bound)
        return R::failure(bound.error());
    auto row = statement->next();
    if (!row)
        return R::failure(row.error());
    if (!*row)
        return std::optional<ClipboardItem>();
    const auto payload = statement->blob(0);
    if (!payload)
        return std::optional<ClipboardItem>();
    auto item = decodeRow(
        *payload, [&] { return statement->text(2); }, statement->real(1));
    if (!item)
        return R::failure(HistoryStoreError(HistoryStoreError::decodingFailed, item.error()));
    return std::optional<ClipboardItem>(std::move(item).value());
}

// --- Captures and edits -------------------------------------------------------------------------------------

Result<ClipboardItem> SQLiteHistoryStore::insertOrMergeOnce(const ClipboardItem &item, bool copySequenceModeEnabled)
{
    using R = Result<ClipboardItem>;
    Locker locker(&m_lock);
    auto existing = findLatestItem(item.kind, item.contentKey());
    if (!existing)
        return R::failure(existing.error());
    if (!*existing) {
        if (auto written = upsert(item); !written)
            return R::failure(written.error());
        return item;
    }

    const ClipboardItem &old = **existing;
    ClipboardItem merged = old;
    // A repeated copy comes without the user's title; the title stays unless the capture brings its own.
    merged.title = item.title ? item.title : old.title;
    merged.text = item.text;
    merged.rtfData = item.rtfData;
    merged.html = item.html;
    merged.assetPath = item.assetPath;
    merged.filePaths = item.filePaths;
    merged.sourceAppName = item.sourceAppName;
    merged.sourceBundleIdentifier = item.sourceBundleIdentifier;
    merged.copiedAt = item.copiedAt;
    merged.byteSize = item.byteSize;
    if (item.qrCodeText)
        merged.qrCodeText = item.qrCodeText;
    if (item.linkPreviewDetails)
        merged.linkPreviewDetails = item.linkPreviewDetails;
    if (copySequenceModeEnabled) {
        merged.copySequenceID = item.copySequenceID;
        merged.copySequenceOrder = item.copySequenceOrder;
    }
    merged.copyCount = old.copyCount + 1;

    auto names = tagNamesByID();
    if (!names)
        return R::failure(names.error());
    merged = merged.refreshingSearchText(tagNamesOf(merged.tags, *names));

    if (auto written = upsert(merged); !written)
        return R::failure(written.error());
    return merged;
}

Result<std::optional<ClipboardItem>> SQLiteHistoryStore::touchItemOnce(
    const QUuid &id, const std::optional<QDateTime> &copiedAt, bool incrementCopyCount)
{
    using R = Result<std::optional<ClipboardItem>>;
    if (!copiedAt && !incrementCopyCount)
        return std::optional<ClipboardItem>();
    Locker locker(&m_lock);
    auto loaded = loadItem(id);
    if (!loaded)
        return loaded;
    if (!*loaded)
        return std::optional<ClipboardItem>();
    ClipboardItem item = **loaded;
    if (copiedAt)
        item.copiedAt = *copiedAt;
    if (incrementCopyCount)
        item.copyCount += 1;
    if (auto written = upsert(item); !written)
        return R::failure(written.error());
    return std::optional<ClipboardItem>(item);
}

// --- Removing -----------------------------------------------------------------------------------------------

Result<void> SQLiteHistoryStore::deleteItemOnce(const QUuid &id)
{
    Locker locker(&m_lock);
    return execute("DELETE FROM clips WHERE id = ?;", Coding::uuidString(id));
}

Result<QList<SQLiteHistoryStore::RemovableItem>> SQLiteHistoryStore::removableItems(
    Statement &query, const RetentionPolicy *policy, double *recheckFrom)
{
    using R = Result<QList<RemovableItem>>;
    QList<RemovableItem> removable;
    while (true) {
        auto row = query.next();
        if (!row)
            return R::failure(row.error());
        if (!*row)
            break;
        // A row that cannot be read is never removable: the user may still get it back.
        const auto idText = query.text(0);
        if (!idText)
            continue;
        const auto id = Coding::uuidFromString(*idText);
        if (!id)
            continue;
        const auto payload = query.blob(1);
        if (!payload)
            continue;
        const auto item = decodePayload(*payload, [&] { return query.text(3); });
        if (!item || !isExpirable(*item))
            continue;
        if (policy && policy->keptItemID == *id) {
            // Spared this time, not for good: the next prune looks at it again.
            *recheckFrom = qMin(*recheckFrom, query.real(2));
            continue;
        }
        removable.append({*id, assetPathsOf(*item)});
    }
    return removable;
}

Result<void> SQLiteHistoryStore::deleteItems(const QList<QUuid> &ids)
{
    if (ids.isEmpty())
        return {};
    if (auto opened = open(); !opened)
        return opened;
    return inTransaction(
        [&]() -> Result<void> {
            for (const QUuid &id : ids) {
                if (auto opened = open(); !opened)
                    return opened;
                auto statement = prepare("DELETE FROM clips WHERE id = ?;");
                if (!statement)
                    return Result<void>::failure(statement.error());
                if (auto bound = statement->bindText(1, Coding::uuidString(id)); !bound)
                    return bound;
                if (auto done = statement->run(); !done)
                    return done;
            }
            return {};
        },
        false);
}

Result<HistoryRemoval> SQLiteHistoryStore::clearHistoryOnce(bool keepFavorites)
{
    using R = Result<HistoryRemoval>;
    Locker locker(&m_lock);
    if (auto opened = open(); !opened)
        return R::failure(opened.error());
    HistoryRemoval removal;
    if (keepFavorites) {
        auto query = prepare("SELECT id, payload, copiedAt, searchText FROM clips;");
        if (!query)
            return R::failure(query.error());
        auto removable = removableItems(*query, nullptr, nullptr);
        if (!removable)
            return R::failure(removable.error());
        for (const RemovableItem &item : *removable) {
            removal.itemIDs.append(item.id);
            removal.assetPaths.append(item.assetPaths);
        }
        if (auto deleted = deleteItems(removal.itemIDs); !deleted)
            return R::failure(deleted.error());
        return removal;
    }

    // Every row goes, whatever it holds; what could be read of them is reported.
    auto query = prepare("SELECT id, payload, searchText FROM clips;");
    if (!query)
        return R::failure(query.error());
    auto read = query->forEachRow([&] {
        const auto idText = query->text(0);
        if (const auto id = idText ? Coding::uuidFromString(*idText) : std::nullopt)
            removal.itemIDs.append(*id);
        if (const auto payload = query->blob(1)) {
            if (const auto item = decodePayload(*payload, [&] { return query->text(2); }))
                removal.assetPaths.append(assetPathsOf(*item));
        }
    });
    if (!read)
        return R::failure(read.error());
    if (auto cleared = exec("DELETE FROM clips;"); !cleared)
        return R::failure(cleared.error());
    return removal;
}

Result<HistoryRemoval> SQLiteHistoryStore::pruneItemsOnce(const RetentionPolicy &policy)
{
    using R = Result<HistoryRemoval>;
    Locker locker(&m_lock);
    if (auto opened = open(); !opened)
        return R::failure(opened.error());

    HistoryRemoval removal;
    auto marks = m_pruneMarks;
    for (const ClipboardKind::Value kind : ClipboardKind::allCases) {
        const auto cutoff = policy.cutoff(kind);
        if (!cutoff)
            continue;
        const double before = secondsSince1970(*cutoff);
        const auto &mark = m_pruneMarks[kind];
        if (mark && before <= *mark)
            continue; // everything older was looked at already and is kept
        // "+kind" keeps SQLite on the copy-time index, so only the rows that expired since the last prune are
        // read, not every row of the kind.
        auto query = mark ? prepare("SELECT id, payload, copiedAt, searchText FROM clips "
                                    "WHERE +kind = ? AND copiedAt >= ? AND copiedAt < ?;")
                          : prepare("SELECT id, payload, copiedAt, searchText FROM clips "
                                    "WHERE +kind = ? AND copiedAt < ?;");
        if (!query)
            return R::failure(query.error());
        if (auto bound = query->bindText(1, ClipboardKind(kind).rawValue()); !bound)
            return R::failure(bound.error());
        if (mark) {
            query->bindDouble(2, *mark);
            query->bindDouble(3, before);
        } else {
            query->bindDouble(2, before);
        }
        double nextMark = before;
        auto removable = removableItems(*query, &policy, &nextMark);
        if (!removable)
            return R::failure(removable.error());
        for (const RemovableItem &item : *removable) {
            removal.itemIDs.append(item.id);
            removal.assetPaths.append(item.assetPaths);
        }
        marks[kind] = nextMark;
    }
    if (auto deleted = deleteItems(removal.itemIDs); !deleted)
        return R::failure(deleted.error());
    m_pruneMarks = marks;
    return removal;
}

// --- Tags ---------------------------------------------------------------------------------------------------

Result<std::optional<Tag>> SQLiteHistoryStore::findTag(const QString &name)
{
    using R = Result<std::optional<Tag>>;
    if (auto opened = open(); !opened)
        return R::failure(opened.error());
    auto statement = prepare("SELECT id, name, color FROM tags WHERE name = ? COLLATE NOCASE LIMIT 1;");
    if (!statement)
        return R::failure(statement.error());
    if (auto bound = statement->bindText(1, name); !bound)
        return R::failure(bound.error());
    auto row = statement->next();
    if (!row)
        return R::failure(row.error());
    if (!*row)
        return std::optional<Tag>();
    const auto storedName = statement->text(1);
    const auto color = statement->text(2);
    if (!storedName || !color)
        return std::optional<Tag>();
    return std::optional<Tag>(Tag {statement->int64(0), *storedName, *color});
}

Result<Tag> SQLiteHistoryStore::ensureTagOnce(const QString &name, const QString &color)
{
    using R = Result<Tag>;
    Locker locker(&m_lock);
    auto found = findTag(name);
    if (!found)
        return R::failure(found.error());
    if (*found)
        return **found;
    auto statement = prepare("INSERT INTO tags (name, color) VALUES (?, ?);");
    if (!statement)
        return R::failure(statement.error());
    if (auto bound = statement->bindText(1, name); !bound)
        return R::failure(bound.error());
    if (auto bound = statement->bindText(2, color); !bound)
        return R::failure(bound.error());
    if (auto done = statement->run(); !done)
        return R::failure(done.error());
    return Tag {sqlite3_last_insert_rowid(m_db), name, color};
}

Result<QList<Tag>> SQLiteHistoryStore::ensureTagsOnce(
    const QList<TagRequest> &tags, const std::function<void(qint64 done)> &written)
{
    using R = Result<QList<Tag>>;
    Locker locker(&m_lock);
    QList<Tag> ensured;
    if (tags.isEmpty())
        return ensured;
    ensured.reserve(tags.size());
    // One transaction: one sync of the disk for them all instead of one for each.
    auto done = inTransaction(
        [&]() -> Result<void> {
            for (const TagRequest &request : tags) {
                auto tag = ensureTag(request.name, request.color);
                if (!tag)
                    return Result<void>::failure(tag.error());
                ensured.append(*tag);
                if (written)
                    written(ensured.size());
            }
            return {};
        },
        true);
    if (!done)
        return R::failure(done.error());
    return ensured;
}

Result<void> SQLiteHistoryStore::rewriteItemsCarryingTag(qint64 tagID, bool removeTag)
{
    auto rewritten = storedItemsWithFreshSearchText([tagID, removeTag](ClipboardItem &item) {
        if (!item.tags.contains(tagID))
            return false;
        if (removeTag)
            item.tags.removeAll(tagID);
        return true;
    });
    if (!rewritten)
        return Result<void>::failure(rewritten.error());
    return writeItems(*rewritten);
}

Result<Tag> SQLiteHistoryStore::updateTagOnce(const Tag &tag)
{
    using R = Result<Tag>;
    Locker locker(&m_lock);
    auto done = inTransaction(
        [&]() -> Result<void> {
            auto current = prepare("SELECT name FROM tags WHERE id = ?;");
            if (!current)
                return Result<void>::failure(current.error());
            current->bindInt64(1, tag.id);
            auto row = current->next();
            if (!row)
                return Result<void>::failure(row.error());
            const std::optional<QString> storedName = *row ? current->text(0) : std::nullopt;

            auto statement = prepare("UPDATE tags SET name = ?, color = ? WHERE id = ?;");
            if (!statement)
                return Result<void>::failure(statement.error());
            if (auto bound = statement->bindText(1, tag.name); !bound)
                return bound;
            if (auto bound = statement->bindText(2, tag.color); !bound)
                return bound;
            statement->bindInt64(3, tag.id);
            if (auto updated = statement->run(); !updated)
                return updated;
            // A new name changes the search text of every item that carries the tag, in memory or not.
            if (*row && storedName != tag.name)
                return rewriteItemsCarryingTag(tag.id, false);
            return {};
        },
        false);
    if (!done)
        return R::failure(done.error());
    return tag;
}

Result<void> SQLiteHistoryStore::deleteTagOnce(qint64 id)
{
    Locker locker(&m_lock);
    return inTransaction(
        [&]() -> Result<void> {
            auto statement = prepare("DELETE FROM tags WHERE id = ?;");
            if (!statement)
                return Result<void>::failure(statement.error());
            statement->bindInt64(1, id);
            if (auto deleted = statement->run(); !deleted)
                return deleted;
            return rewriteItemsCarryingTag(id, true);
        },
        false);
}

// --- Reading only, and damage -----------------------------------------------------------------------------------

namespace {

// The damaged file's new name: the time it was put aside, and a number when that name is taken already.
QString damagedFilePath(const QString &databasePath)
{
    const QString base = databasePath + QStringLiteral(".damaged-")
        + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path = base;
    for (int n = 1; QFileInfo::exists(path) || QFileInfo::exists(path + QStringLiteral("-wal")); ++n)
        path = base + QLatin1Char('-') + QString::number(n);
    return path;
}

void closeWithoutCheckpoint(sqlite3 *db)
{
    if (!db)
        return;
    // Closing the last connection would copy the write-ahead log into the file: a damaged file is not written.
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_close(db);
}

bool execOn(sqlite3 *db, const char *sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Reads every row of a table that can still be read, in row-id order, stepping over the pages that cannot be
// read. The statement selects the row id first and takes the first row id to look for as its parameter 1
// ("... WHERE rowid >= ?1 ORDER BY rowid"). A damaged page costs the rows on it: after a seek that fails, the walk
// seeks the next row id that lies on a leaf of the file (`rowIDs`, in order), so the first readable row after the
// damage is found by a seek of its own. (A seek past a row id first visits that row id's leaf: "rowid > 129" fails
// where row 129's leaf is damaged, "rowid >= 130" does not.) Without such a list, it steps one row id at a time up
// to the highest one that SQLite still tells.
void readEveryReadableRow(sqlite3 *db, const char *sql, qint64 highestRowID, const QList<qint64> &rowIDs,
    const std::function<void(sqlite3_stmt *)> &onRow)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return;
    }
    qint64 next = std::numeric_limits<qint64>::min();
    while (true) {
        sqlite3_reset(statement);
        sqlite3_bind_int64(statement, 1, next);
        int rc;
        bool read = false;
        bool last = false;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            const qint64 rowID = sqlite3_column_int64(statement, 0);
            last = rowID == std::numeric_limits<qint64>::max();
            // A damaged tree may hand out row ids out of order: the walk only ever moves on.
            next = qMax(next, last ? rowID : rowID + 1);
            read = true;
            onRow(statement);
        }
        if (rc == SQLITE_DONE || last)
            break;
        // A walk that failed on its way from one leaf to the next seeks the next row id afresh; a seek that failed
        // itself, the next one after it.
        if (read)
            continue;
        if (!rowIDs.isEmpty()) {
            const auto after = std::upper_bound(rowIDs.cbegin(), rowIDs.cend(), next);
            if (after == rowIDs.cend())
                break;
            next = *after;
        } else if (next >= highestRowID) {
            break;
        } else {
            next = next < 1 ? 1 : next + 1;
        }
    }
    sqlite3_finalize(statement);
}

// A row of `clips` as the schema above defines it, recognised in a leaf whose table is not known (its tree's pages
// are damaged): eight values (seven in a history from before the content key, whose column was then added last),
// the id a UUID, the kind one of ours, the copy time a number, the payload a blob. The full-text index's tables hold
// rows of two or three values, the schema's of five, so none of them is taken for an item.
struct SalvagedClip
{
    QByteArray id;
    QByteArray kind;
    double copiedAt = 0;
    qint64 favorite = 0;
    std::optional<QByteArray> sourceApp;
    QByteArray searchText;
    QByteArray contentKey;
    bool contentKeyIsDigest = false;
    QByteArray payload;
};

std::optional<SalvagedClip> salvagedClip(const SQLiteLeafScanner::Row &row)
{
    using Type = SQLiteLeafScanner::Value::Type;
    const auto &v = row.values;
    if (v.size() != 7 && v.size() != 8)
        return std::nullopt;
    const auto isText = [&v](int i) { return v.at(i).type == Type::text; };
    const auto isTextOrNull = [&v](int i) { return v.at(i).type == Type::text || v.at(i).type == Type::null; };
    if (!isText(0) || v.at(0).bytes.size() != 36 || QUuid::fromString(QLatin1StringView(v.at(0).bytes)).isNull())
        return std::nullopt;
    if (!isText(1) || !ClipboardKind::fromRawValue(QString::fromUtf8(v.at(1).bytes)))
        return std::nullopt;
    // A whole number in a REAL column is written as an integer.
    if (v.at(2).type != Type::real && v.at(2).type != Type::integer)
        return std::nullopt;
    if (v.at(3).type != Type::integer || !isTextOrNull(4) || !isText(5))
        return std::nullopt;
    // The payload is the item's JSON object; the key is a text, or the digest that stands for a long one.
    const auto isPayload = [&v](int i) { return v.at(i).type == Type::blob && v.at(i).bytes.startsWith('{'); };
    const auto isKey = [&v, &isTextOrNull](int i) { return isTextOrNull(i) || v.at(i).type == Type::blob; };
    int payload = -1;
    int contentKey = -1;
    if (v.size() == 7 && isPayload(6)) {
        payload = 6;
    } else if (v.size() == 8 && isKey(6) && isPayload(7)) {
        contentKey = 6;
        payload = 7;
    } else if (v.size() == 8 && isPayload(6) && isKey(7)) {
        payload = 6;
        contentKey = 7;
    } else {
        return std::nullopt;
    }
    SalvagedClip clip;
    clip.id = v.at(0).bytes;
    clip.kind = v.at(1).bytes;
    clip.copiedAt = v.at(2).type == Type::real ? v.at(2).real : double(v.at(2).integer);
    clip.favorite = v.at(3).integer;
    if (isText(4))
        clip.sourceApp = v.at(4).bytes;
    clip.searchText = v.at(5).bytes;
    if (contentKey >= 0) {
        clip.contentKey = v.at(contentKey).bytes;
        clip.contentKeyIsDigest = v.at(contentKey).type == Type::blob;
    }
    clip.payload = v.at(payload).bytes;
    return clip;
}

// A row of `tags`: the id is the row id (so the record holds NULL for it), then the name and the colour.
struct SalvagedTag
{
    QByteArray name;
    QByteArray color;
};

std::optional<SalvagedTag> salvagedTag(const SQLiteLeafScanner::Row &row)
{
    using Type = SQLiteLeafScanner::Value::Type;
    const auto &v = row.values;
    if (v.size() != 3 || row.rowID <= 0 || v.at(0).type != Type::null || v.at(1).type != Type::text
        || v.at(2).type != Type::text)
        return std::nullopt;
    return SalvagedTag {v.at(1).bytes, v.at(2).bytes};
}

// The highest row id of a table that the damaged file still tells, by its own b-tree or by any index on it.
qint64 highestRowID(sqlite3 *db, const char *table)
{
    qint64 highest = 0;
    const QByteArray direct = QByteArray("SELECT max(rowid) FROM ") + table + ';';
    const QByteArray indexes = QByteArray("SELECT name FROM pragma_index_list('") + table + "');";
    QList<QByteArray> queries = {direct};
    sqlite3_stmt *list = nullptr;
    if (sqlite3_prepare_v2(db, indexes.constData(), -1, &list, nullptr) == SQLITE_OK) {
        while (sqlite3_step(list) == SQLITE_ROW) {
            if (const auto *name = reinterpret_cast<const char *>(sqlite3_column_text(list, 0)))
                queries.append(QByteArray("SELECT rowid FROM ") + table + " INDEXED BY \"" + name + "\";");
        }
    }
    sqlite3_finalize(list);
    for (const QByteArray &sql : queries) {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) == SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW)
                highest = qMax(highest, qint64(sqlite3_column_int64(statement, 0)));
        }
        sqlite3_finalize(statement);
    }
    return highest;
}

bool tableHasColumn(sqlite3 *db, const char *table, const char *column)
{
    const QByteArray sql
        = QByteArray("SELECT 1 FROM pragma_table_info('") + table + "') WHERE name = '" + column + "';";
    sqlite3_stmt *statement = nullptr;
    bool found = false;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &statement, nullptr) == SQLITE_OK)
        found = sqlite3_step(statement) == SQLITE_ROW;
    sqlite3_finalize(statement);
    return found;
}

} // namespace

template<typename Operation>
auto SQLiteHistoryStore::guarded(Access access, Operation operation) -> decltype(operation())
{
    using R = decltype(operation());
    Locker locker(&m_lock);
    if (access == Access::writes) {
        if (auto writable = checkWritable(); !writable)
            return R::failure(writable.error());
    }
    const bool outermost = m_operationDepth == 0;
    ++m_operationDepth;
    R result = operation();
    --m_operationDepth;
    if (outermost && !result && needsSalvage(result.error()) && recoverDamagedDatabase()) {
        ++m_operationDepth;
        result = operation();
        --m_operationDepth;
    }
    return result;
}

std::optional<HistoryStoreNotice> SQLiteHistoryStore::takeNotice()
{
    Locker locker(&m_lock);
    return std::exchange(m_notice, std::nullopt);
}

bool SQLiteHistoryStore::canWrite() const
{
    // Asked with the effective rights, as the writes would be made; the file only when there is one.
    const QByteArray folder = QFile::encodeName(QFileInfo(m_databasePath).absolutePath());
    if (::faccessat(AT_FDCWD, folder.constData(), W_OK | X_OK, AT_EACCESS) != 0)
        return false;
    const QByteArray file = QFile::encodeName(m_databasePath);
    return ::faccessat(AT_FDCWD, file.constData(), W_OK, AT_EACCESS) == 0 || errno == ENOENT;
}

Result<void> SQLiteHistoryStore::openReadOnly()
{
    // A database in write-ahead-log mode is read through the index of its log, which SQLite cannot create in a
    // folder that cannot be written to. Where a copy that did not end cleanly left the log and its index behind,
    // they are read as they are; otherwise the file is read alone, as one that nothing changes meanwhile (no other
    // copy of the program can write where this one cannot, and the lock file keeps the others away).
    const QByteArray path = QFile::encodeName(m_databasePath);
    const QByteArray immutable = QUrl::fromLocalFile(m_databasePath).toEncoded() + "?immutable=1";
    Result<void> outcome = Result<void>::failure(HistoryStoreError::openFailed);
    for (const bool asImmutable : {false, true}) {
        const int flags = SQLITE_OPEN_READONLY | (asImmutable ? SQLITE_OPEN_URI : 0);
        if (sqlite3_open_v2((asImmutable ? immutable : path).constData(), &m_db, flags, nullptr) != SQLITE_OK) {
            sqlite3_close(m_db);
            m_db = nullptr;
            continue;
        }
        sqlite3_busy_timeout(m_db, busyTimeoutMilliseconds);
        outcome = checkOwnTables();
        if (outcome)
            break;
        sqlite3_close(m_db);
        m_db = nullptr;
        if (outcome.error().value() == HistoryStoreError::foreignDatabase)
            return outcome;
    }
    if (!outcome)
        return outcome;
    m_readOnly = true;
    m_journalModeSettled = true;
    if (!std::exchange(m_toldReadOnly, true)) {
        m_notice = HistoryStoreNotice {HistoryStoreNotice::Kind::readOnly,
            HistoryStoreError(
                HistoryStoreError::readOnly, QDir::toNativeSeparators(QFileInfo(m_databasePath).absolutePath()))
                .description()};
    }
    return {};
}

Result<void> SQLiteHistoryStore::checkWritable()
{
    if (!m_db)
        (void)open(); // a failure is the operation's own to report
    if (!m_readOnly)
        return {};
    if (canWrite()) {
        sqlite3_close(m_db);
        m_db = nullptr;
        m_readOnly = false;
        if (auto opened = open(); !opened)
            return opened;
        if (!m_readOnly)
            return {};
    }
    return Result<void>::failure(HistoryStoreError(
        HistoryStoreError::readOnly, QDir::toNativeSeparators(QFileInfo(m_databasePath).absolutePath())));
}

void SQLiteHistoryStore::adoptFinishedRecovery()
{
    const QString recovered = m_databasePath + QStringLiteral(".recovered");
    if (!QFileInfo::exists(m_databasePath) && QFileInfo::exists(recovered))
        QFile::rename(recovered, m_databasePath);
}

bool SQLiteHistoryStore::recoverDamagedDatabase()
{
    // Only a copy of the program that may write the history salvages it (another copy may hold its lock); it is
    // tried again once this one may.
    if (m_readOnly || !canWrite() || (m_mayWrite && !m_mayWrite()))
        return false;
    if (std::exchange(m_recoveryTried, true))
        return false;
    closeWithoutCheckpoint(std::exchange(m_db, nullptr));
    m_journalModeSettled = false;

    const QString recovering = m_databasePath + QStringLiteral(".recovering");
    const QString recovered = m_databasePath + QStringLiteral(".recovered");
    QFile::remove(recovering);
    QFile::remove(recovering + QStringLiteral("-journal"));
    QFile::remove(recovered);

    sqlite3 *damaged = nullptr;
    sqlite3 *fresh = nullptr;
    const auto finish = [&] {
        closeWithoutCheckpoint(damaged);
        sqlite3_close(fresh);
        damaged = fresh = nullptr;
    };
    if (sqlite3_open_v2(QFile::encodeName(m_databasePath).constData(), &damaged, SQLITE_OPEN_READONLY, nullptr)
            != SQLITE_OK
        || sqlite3_open(QFile::encodeName(recovering).constData(), &fresh) != SQLITE_OK) {
        finish();
        QFile::remove(recovering);
        return false;
    }
    bool built = true;
    for (const char *sql : schemaStatements)
        built = built && (!sql || execOn(fresh, sql));
    built = built && execOn(fresh, "BEGIN IMMEDIATE TRANSACTION;");
    const qint64 copied = built ? copyReadableRows(damaged, fresh) : 0;
    built = built && execOn(fresh, "COMMIT;");
    finish();
    if (!built || !QFile::rename(recovering, recovered)) {
        QFile::remove(recovering);
        return false;
    }

    // The damaged file goes aside with its log, so that it can still be opened as it was; nothing removes it.
    const QString kept = damagedFilePath(m_databasePath);
    if (!QFile::rename(m_databasePath, kept)) {
        QFile::remove(recovered);
        return false;
    }
    for (const char *suffix : {"-wal", "-shm"}) {
        const QString companion = m_databasePath + QLatin1String(suffix);
        if (QFileInfo::exists(companion))
            QFile::rename(companion, kept + QLatin1String(suffix));
    }
    adoptFinishedRecovery();
    m_notice = HistoryStoreNotice {HistoryStoreNotice::Kind::recoveredFromDamage,
        localized(QStringLiteral("The history file %1$@ is damaged. Varnisto kept it as %2$@ and goes on with the "
                                 "%3$lld items that could still be read from it."),
            {QDir::toNativeSeparators(m_databasePath), QDir::toNativeSeparators(kept), copied})};
    const bool schemaOnOpen = std::exchange(m_prepareSchemaOnOpen, true);
    const bool opened = open().hasValue();
    m_prepareSchemaOnOpen = schemaOnOpen;
    return opened;
}

qint64 SQLiteHistoryStore::copyReadableRows(sqlite3 *damaged, sqlite3 *fresh)
{
    // First through SQLite, which reads every row that its b-trees still lead to; then straight from the file's
    // table leaves, which finds the rows below a damaged interior page, a damaged schema page or a damaged header.
    // A row that SQLite read is taken as SQLite read it.
    qint64 highestTagID = 0;
    const auto noteTagsOf
        = [&highestTagID](const QByteArray &payload, const std::function<std::optional<QString>()> &searchText) {
              // A tag id that an item carries is never handed out again, even when the tag itself was lost.
              if (const auto item = decodePayload(payload, searchText)) {
                  for (const qint64 tag : item->tags)
                      highestTagID = qMax(highestTagID, tag);
              }
          };

    SQLiteLeafScanner scanner(m_databasePath);

    // Tags keep their ids, which the items' payloads name.
    QSet<qint64> tagsRead;
    sqlite3_stmt *insertTag = nullptr;
    sqlite3_prepare_v2(
        fresh, "INSERT OR IGNORE INTO tags (id, name, color) VALUES (?, ?, ?);", -1, &insertTag, nullptr);
    readEveryReadableRow(damaged, "SELECT id, name, color FROM tags WHERE id >= ?1 ORDER BY id;",
        highestRowID(damaged, "tags"), scanner.rowIDs(QStringLiteral("tags")), [&](sqlite3_stmt *row) {
            const qint64 id = sqlite3_column_int64(row, 0);
            tagsRead.insert(id);
            highestTagID = qMax(highestTagID, id);
            sqlite3_reset(insertTag);
            for (int column = 0; column < 3; ++column)
                sqlite3_bind_value(insertTag, column + 1, sqlite3_column_value(row, column));
            sqlite3_step(insertTag);
        });

    const bool hasContentKey = tableHasColumn(damaged, "clips", "contentKey");
    const QByteArray select = QByteArray("SELECT rowid, id, kind, copiedAt, favorite, sourceApp, searchText, ")
        + (hasContentKey ? "coalesce(contentKey, '')" : "''")
        + ", payload FROM clips WHERE rowid >= ?1 ORDER BY rowid;";
    const char *const insertSQL
        = "INSERT OR IGNORE INTO clips (id, kind, copiedAt, favorite, sourceApp, searchText, contentKey, payload) "
          "VALUES (?, ?, ?, ?, ?, ?, ?, ?);";
    sqlite3_stmt *insertItem = nullptr;
    sqlite3_prepare_v2(fresh, insertSQL, -1, &insertItem, nullptr);
    qint64 copied = 0;
    QSet<qint64> rowsRead;
    QSet<QByteArray> idsRead;
    readEveryReadableRow(damaged, select.constData(), highestRowID(damaged, "clips"),
        scanner.rowIDs(QStringLiteral("clips")), [&](sqlite3_stmt *row) {
            rowsRead.insert(sqlite3_column_int64(row, 0));
            if (const auto *id = reinterpret_cast<const char *>(sqlite3_column_text(row, 1)))
                idsRead.insert(QByteArray(id, sqlite3_column_bytes(row, 1)));
            sqlite3_reset(insertItem);
            for (int column = 1; column <= 8; ++column)
                sqlite3_bind_value(insertItem, column, sqlite3_column_value(row, column));
            if (sqlite3_step(insertItem) == SQLITE_DONE && sqlite3_changes(fresh) > 0)
                ++copied;
            const auto *payload = static_cast<const char *>(sqlite3_column_blob(row, 8));
            if (!payload)
                return;
            noteTagsOf(QByteArray(payload, sqlite3_column_bytes(row, 8)), [row]() -> std::optional<QString> {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(row, 6));
                if (!text)
                    return std::nullopt;
                return QString::fromUtf8(text, sqlite3_column_bytes(row, 6));
            });
        });

    // The same item found on two leaves (a page that a damaged free list no longer names): the later row id, which
    // the later write gave it, is kept.
    sqlite3_stmt *replaceItem = nullptr;
    sqlite3_prepare_v2(fresh,
        "INSERT OR REPLACE INTO clips (id, kind, copiedAt, favorite, sourceApp, searchText, contentKey, payload) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?);",
        -1, &replaceItem, nullptr);
    QHash<QByteArray, qint64> scannedRowOfID;
    scanner.forEachRow([&](const SQLiteLeafScanner::Row &row) {
        if (row.table.isEmpty() || row.table == QLatin1String("tags")) {
            if (const auto tag = salvagedTag(row); tag && !tagsRead.contains(row.rowID)) {
                sqlite3_reset(insertTag);
                sqlite3_bind_int64(insertTag, 1, row.rowID);
                sqlite3_bind_text(insertTag, 2, tag->name.constData(), int(tag->name.size()), SQLITE_TRANSIENT);
                sqlite3_bind_text(insertTag, 3, tag->color.constData(), int(tag->color.size()), SQLITE_TRANSIENT);
                if (sqlite3_step(insertTag) == SQLITE_DONE && sqlite3_changes(fresh) > 0)
                    highestTagID = qMax(highestTagID, row.rowID);
                return true;
            }
        }
        if (!row.table.isEmpty() && row.table != QLatin1String("clips"))
            return true;
        const auto clip = salvagedClip(row);
        if (!clip || rowsRead.contains(row.rowID) || idsRead.contains(clip->id))
            return true;
        const auto earlier = scannedRowOfID.constFind(clip->id);
        if (earlier != scannedRowOfID.cend() && *earlier >= row.rowID)
            return true;
        sqlite3_stmt *statement = earlier == scannedRowOfID.cend() ? insertItem : replaceItem;
        sqlite3_reset(statement);
        const auto bindText = [statement](int column, const std::optional<QByteArray> &text) {
            if (text)
                sqlite3_bind_text(statement, column, text->constData(), int(text->size()), SQLITE_TRANSIENT);
            else
                sqlite3_bind_null(statement, column);
        };
        bindText(1, clip->id);
        bindText(2, clip->kind);
        sqlite3_bind_double(statement, 3, clip->copiedAt);
        sqlite3_bind_int64(statement, 4, clip->favorite);
        bindText(5, clip->sourceApp);
        bindText(6, clip->searchText);
        if (clip->contentKeyIsDigest)
            sqlite3_bind_blob(
                statement, 7, clip->contentKey.constData(), int(clip->contentKey.size()), SQLITE_TRANSIENT);
        else
            bindText(7, clip->contentKey);
        sqlite3_bind_blob(statement, 8, clip->payload.constData(), int(clip->payload.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(statement) != SQLITE_DONE || sqlite3_changes(fresh) == 0)
            return true;
        if (earlier == scannedRowOfID.cend())
            ++copied;
        scannedRowOfID.insert(clip->id, row.rowID);
        noteTagsOf(clip->payload, [&clip]() -> std::optional<QString> { return QString::fromUtf8(clip->searchText); });
        return true;
    });
    sqlite3_finalize(replaceItem);
    sqlite3_finalize(insertItem);
    sqlite3_finalize(insertTag);

    sqlite3_stmt *sequence = nullptr;
    if (sqlite3_prepare_v2(damaged, "SELECT seq FROM sqlite_sequence WHERE name = 'tags';", -1, &sequence, nullptr)
            == SQLITE_OK
        && sqlite3_step(sequence) == SQLITE_ROW)
        highestTagID = qMax(highestTagID, qint64(sqlite3_column_int64(sequence, 0)));
    sqlite3_finalize(sequence);
    if (highestTagID > 0) {
        const QByteArray sql
            = "DELETE FROM sqlite_sequence WHERE name = 'tags'; INSERT INTO sqlite_sequence (name, seq) "
              "VALUES ('tags', "
            + QByteArray::number(highestTagID) + ");";
        execOn(fresh, sql.constData());
    }

    // The schema version, as SQLite reads it or as the header still holds it; where neither can, the new file starts
    // at none, and the migrations (which are safe to run again) bring the rows into the current form.
    std::optional<qint64> userVersion;
    sqlite3_stmt *version = nullptr;
    if (sqlite3_prepare_v2(damaged, "PRAGMA user_version;", -1, &version, nullptr) == SQLITE_OK
        && sqlite3_step(version) == SQLITE_ROW)
        userVersion = sqlite3_column_int64(version, 0);
    sqlite3_finalize(version);
    if (!userVersion)
        userVersion = scanner.userVersion();
    if (userVersion) {
        const QByteArray sql = "PRAGMA user_version = " + QByteArray::number(*userVersion) + ";";
        execOn(fresh, sql.constData());
    }
    return copied;
}

// --- Operations ---------------------------------------------------------------------------------------------

Result<QList<ClipboardItem>> SQLiteHistoryStore::loadRecentItems(qint64 limit)
{
    return guarded(Access::reads, [&] { return loadRecentItemsOnce(limit); });
}

Result<QList<Tag>> SQLiteHistoryStore::loadTags()
{
    return guarded(Access::reads, [&] { return loadTagsOnce(); });
}

Result<ClipboardItem> SQLiteHistoryStore::insertOrMerge(const ClipboardItem &item, bool copySequenceModeEnabled)
{
    return guarded(Access::writes, [&] { return insertOrMergeOnce(item, copySequenceModeEnabled); });
}

Result<void> SQLiteHistoryStore::upsert(const ClipboardItem &item)
{
    return guarded(Access::writes, [&] { return upsertOnce(item); });
}

Result<void> SQLiteHistoryStore::upsertItems(const QList<ClipboardItem> &items)
{
    return guarded(Access::writes, [&] { return upsertItemsOnce(items); });
}

Result<std::optional<ClipboardItem>> SQLiteHistoryStore::touchItem(
    const QUuid &id, const std::optional<QDateTime> &copiedAt, bool incrementCopyCount)
{
    if (!copiedAt && !incrementCopyCount)
        return std::optional<ClipboardItem>();
    return guarded(Access::writes, [&] { return touchItemOnce(id, copiedAt, incrementCopyCount); });
}

Result<void> SQLiteHistoryStore::deleteItem(const QUuid &id)
{
    return guarded(Access::writes, [&] { return deleteItemOnce(id); });
}

Result<HistoryRemoval> SQLiteHistoryStore::clearHistory(bool keepFavorites)
{
    return guarded(Access::writes, [&] { return clearHistoryOnce(keepFavorites); });
}

Result<HistoryRemoval> SQLiteHistoryStore::pruneItems(const RetentionPolicy &policy)
{
    return guarded(Access::writes, [&] { return pruneItemsOnce(policy); });
}

Result<Tag> SQLiteHistoryStore::ensureTag(const QString &name, const QString &color)
{
    return guarded(Access::writes, [&] { return ensureTagOnce(name, color); });
}

Result<QList<Tag>> SQLiteHistoryStore::ensureTags(
    const QList<TagRequest> &tags, const std::function<void(qint64 done)> &written)
{
    return guarded(Access::writes, [&] { return ensureTagsOnce(tags, written); });
}

Result<Tag> SQLiteHistoryStore::updateTag(const Tag &tag)
{
    return guarded(Access::writes, [&] { return updateTagOnce(tag); });
}

Result<void> SQLiteHistoryStore::deleteTag(qint64 id)
{
    return guarded(Access::writes, [&] { return deleteTagOnce(id); });
}

Result<QList<QUuid>> SQLiteHistoryStore::loadItemIDs()
{
    return guarded(Access::reads, [&] { return loadItemIDsOnce(); });
}

Result<QHash<qint64, qint64>> SQLiteHistoryStore::tagItemCounts()
{
    return guarded(Access::reads, [&] { return tagItemCountsOnce(); });
}

Result<QList<ClipboardItem>> SQLiteHistoryStore::loadItems(const QList<QUuid> &ids)
{
    return guarded(Access::reads, [&] { return loadItemsOnce(ids); });
}
