#include "HistoryStoreTestSupport.h"
#include "SQLiteHistoryStore.h"
#include "SQLiteLeafScanner.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

// Damaged histories, made by overwriting the pages of a real history: every row that does not lie on a damaged page
// is kept, whatever the damaged page was (a leaf, an interior page, the table's root, the schema page, the header).

namespace {

constexpr int itemCount = 600;

// A history of a few hundred items, each text long enough to fill most of a page (so the table's tree has interior
// pages below its root) and every tenth long enough to need overflow pages, some of them tagged. Built once.
struct History
{
    QTemporaryDir folder;
    QString path;
    QList<ClipboardItem> items; // as the store loads them back
    QList<Tag> tags;
};

const History &sharedHistory()
{
    static History *history = [] {
        auto *h = new History;
        h->path = h->folder.filePath(QStringLiteral("History.sqlite"));
        SQLiteHistoryStore store(h->folder.path());
        const auto work = store.ensureTag(QStringLiteral("Work"), QStringLiteral("#112233"));
        const auto home = store.ensureTag(QStringLiteral("Home"), QStringLiteral("#445566"));
        EXPECT_TRUE(work.hasValue() && home.hasValue());
        QList<ClipboardItem> items;
        for (int i = 0; i < itemCount; ++i) {
            const int length = i % 10 == 0 ? 9000 + 37 * i : 2100 + 7 * (i % 60);
            QString text = QStringLiteral("item %1 ").arg(i);
            while (text.size() < length)
                text += QStringLiteral("%1 wörter ").arg(i * 31 + text.size());
            ClipboardItem item = makeTextItem(text, testNow().addSecs(i));
            QStringList names;
            if (i % 5 == 0) {
                item.tags.append(work->id);
                names.append(work->name);
            }
            if (i % 7 == 0) {
                item.tags.append(home->id);
                names.append(home->name);
            }
            item.isFavorite = i % 11 == 0;
            items.append(item.refreshingSearchText(names));
        }
        EXPECT_TRUE(store.upsertItems(items).hasValue());
        h->items = store.loadRecentItems(100000).valueOr({});
        h->tags = store.loadTags().valueOr({});
        return h;
    }();
    return *history;
}

// Where the rows of `clips` lie, as SQLite's own page statistics tell it on the intact file.
struct Layout
{
    qint64 pageSize = 0;
    quint32 root = 0;
    QList<quint32> leaves; // in row order
    QList<quint32> interior; // below the root
    QHash<quint32, QStringList> idsOnLeaf;
    // Overflow pages, each with the cell that starts its chain.
    QList<QPair<quint32, QString>> overflow;
};

Layout layoutOf(const QString &path)
{
    RawDatabase raw(path);
    Layout layout;
    layout.pageSize = raw.value(QStringLiteral("PRAGMA page_size")).toLongLong();
    QStringList ids;
    for (const auto &row : raw.rows(QStringLiteral("SELECT id FROM clips ORDER BY rowid")))
        ids.append(row.at(0).toString());
    qsizetype next = 0;
    for (const auto &row : raw.rows(
             QStringLiteral("SELECT path, pageno, pagetype, ncell FROM dbstat WHERE name = 'clips' ORDER BY path"))) {
        const QString pagePath = row.at(0).toString();
        const auto page = quint32(row.at(1).toLongLong());
        const QString type = row.at(2).toString();
        if (pagePath == QLatin1String("/"))
            layout.root = page;
        if (type == QLatin1String("internal") && pagePath != QLatin1String("/"))
            layout.interior.append(page);
        if (type == QLatin1String("leaf")) {
            layout.leaves.append(page);
            const qint64 cells = row.at(3).toLongLong();
            layout.idsOnLeaf.insert(page, ids.mid(next, cells));
            next += cells;
        }
        if (type == QLatin1String("overflow"))
            layout.overflow.append({page, pagePath.section(QLatin1Char('+'), 0, 0)});
    }
    EXPECT_EQ(next, ids.size());
    return layout;
}

struct Range
{
    qint64 offset;
    qint64 length;
};

QByteArray randomBytes(QRandomGenerator &random, qint64 length)
{
    QByteArray bytes(length, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

void overwrite(const QString &path, const QList<Range> &ranges, quint32 seed)
{
    QRandomGenerator random(seed);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    for (const Range &range : ranges) {
        ASSERT_TRUE(file.seek(range.offset));
        file.write(randomBytes(random, range.length));
    }
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A copy of the shared history in a folder of its own.
QString copyOfHistory(const QTemporaryDir &folder)
{
    const QString path = folder.filePath(QStringLiteral("History.sqlite"));
    EXPECT_TRUE(QFile::copy(sharedHistory().path, path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

QHash<QString, ClipboardItem> byID(const QList<ClipboardItem> &items)
{
    QHash<QString, ClipboardItem> map;
    for (const ClipboardItem &item : items)
        map.insert(Coding::uuidString(item.id), item);
    return map;
}

// The store on a damaged folder keeps exactly the expected items, equal to what they were, tells how many, keeps the
// damaged file as it was, and goes on with a history that takes writes and never hands out a tag id twice.
void expectSalvaged(const QTemporaryDir &folder, const QByteArray &damaged, const QSet<QString> &expectedIDs,
    const QHash<QString, ClipboardItem> &reference)
{
    SQLiteHistoryStore store(folder.path());
    const auto loaded = store.loadRecentItems(100000);
    ASSERT_TRUE(loaded.hasValue()) << qPrintable(loaded.error().description());
    const auto kept = byID(*loaded);
    const QSet<QString> keptIDs(kept.keyBegin(), kept.keyEnd());
    EXPECT_EQ(QSet<QString>(expectedIDs).subtract(keptIDs).size(), 0) << "expected items lost";
    EXPECT_EQ(QSet<QString>(keptIDs).subtract(expectedIDs).size(), 0) << "items that should be gone";
    for (const QString &id : expectedIDs) {
        if (kept.contains(id))
            EXPECT_TRUE(kept.value(id) == reference.value(id)) << qPrintable(id);
    }

    const auto notice = store.takeNotice();
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->kind, HistoryStoreNotice::Kind::recoveredFromDamage);
    EXPECT_TRUE(notice->message.contains(QStringLiteral(" %1 items ").arg(expectedIDs.size())))
        << qPrintable(notice->message);
    QStringList aside = QDir(folder.path()).entryList({QStringLiteral("History.sqlite.damaged-*")}, QDir::Files);
    aside.removeIf([](const QString &name) {
        return name.endsWith(QLatin1String("-wal")) || name.endsWith(QLatin1String("-shm"));
    });
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(notice->message.contains(folder.filePath(aside.first()))) << qPrintable(notice->message);
    EXPECT_TRUE(contents(folder.filePath(aside.first())) == damaged);

    const auto tags = store.loadTags();
    ASSERT_TRUE(tags.hasValue());
    EXPECT_EQ(*tags, sharedHistory().tags);
    const auto added = store.ensureTag(QStringLiteral("Later"), QStringLiteral("#778899"));
    ASSERT_TRUE(added.hasValue());
    EXPECT_EQ(added->id, 3);
    EXPECT_TRUE(store.upsert(makeTextItem(QStringLiteral("after the damage"))).hasValue());
    EXPECT_EQ(store.loadRecentItems(100000)->size(), expectedIDs.size() + 1);
}

} // namespace

TEST(HistorySalvageTest, EveryRowOffTheDamagedPagesIsKept)
{
    const History &history = sharedHistory();
    ASSERT_EQ(history.items.size(), itemCount);
    const auto reference = byID(history.items);
    const Layout layout = layoutOf(history.path);
    const qint64 size = layout.pageSize;
    ASSERT_GT(layout.leaves.size(), 100);
    ASSERT_FALSE(layout.interior.isEmpty()) << "the table's tree should be three levels deep";
    const auto page = [size](quint32 number) { return Range {(number - 1) * size, size}; };

    struct Case
    {
        const char *what;
        std::function<QList<Range>()> ranges;
    };
    const Case cases[] = {
        {"a leaf of clips", [&] { return QList<Range> {page(layout.leaves.at(layout.leaves.size() / 2))}; }},
        {"two leaves apart",
            [&] {
                return QList<Range> {page(layout.leaves.at(3)), page(layout.leaves.at(300))};
            }},
        {"an interior page of clips", [&] { return QList<Range> {page(layout.interior.first())}; }},
        {"the root page of clips", [&] { return QList<Range> {page(layout.root)}; }},
        {"the schema page past its header",
            [&] {
                return QList<Range> {{100, size - 100}};
            }},
        {"the file header",
            [&] {
                return QList<Range> {{0, 100}};
            }},
        {"the file header and the root page of clips",
            [&] {
                return QList<Range> {{0, 100}, page(layout.root)};
            }},
    };
    quint32 seed = 1;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir folder;
        const QString path = copyOfHistory(folder);
        const QList<Range> ranges = c.ranges();
        overwrite(path, ranges, seed++);

        QSet<QString> expected(reference.keyBegin(), reference.keyEnd());
        for (const quint32 leaf : layout.leaves) {
            for (const Range &range : ranges) {
                if (range.offset < leaf * size && range.offset + range.length > (leaf - 1) * size) {
                    for (const QString &id : layout.idsOnLeaf.value(leaf))
                        expected.remove(id);
                }
            }
        }
        expectSalvaged(folder, contents(path), expected, reference);
    }
}

// The latest writes may still lie in the write-ahead log when a page of the file is damaged: they are kept, and rows
// deleted there stay deleted, though the file's own pages (freed in the log) still hold them.
TEST(HistorySalvageTest, WritesStillInTheLogAreKeptAndItsDeletionsHold)
{
    QTemporaryDir folder;
    const QString path = copyOfHistory(folder);
    const Layout layout = layoutOf(path);
    auto reference = byID(sharedHistory().items);
    {
        // A second connection that reads keeps the store's close from copying the log into the file.
        sqlite3 *reader = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &reader), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(reader, "SELECT count(*) FROM clips;", nullptr, nullptr, nullptr), SQLITE_OK);
        {
            SQLiteHistoryStore store(folder.path());
            QList<ClipboardItem> added;
            for (int i = 0; i < 40; ++i)
                added.append(
                    makeTextItem(QStringLiteral("late %1 ").arg(i).repeated(60), testNow().addDays(1).addSecs(i)));
            ASSERT_TRUE(store.upsertItems(added).hasValue());
            // The oldest items, whose leaves are emptied and freed.
            QList<ClipboardItem> oldest = sharedHistory().items;
            std::sort(oldest.begin(), oldest.end(),
                [](const ClipboardItem &a, const ClipboardItem &b) { return a.copiedAt < b.copiedAt; });
            for (int i = 0; i < 30; ++i) {
                ASSERT_TRUE(store.deleteItem(oldest.at(i).id).hasValue());
                reference.remove(Coding::uuidString(oldest.at(i).id));
            }
            for (const ClipboardItem &item : store.loadRecentItems(100000).valueOr({}))
                reference.insert(Coding::uuidString(item.id), item);
        }
        sqlite3_db_config(reader, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        sqlite3_close(reader);
    }
    ASSERT_GT(QFileInfo(path + QStringLiteral("-wal")).size(), 40 * 4096);
    ASSERT_EQ(reference.size(), itemCount + 40 - 30);
    // A leaf in the middle, which none of the later writes touched.
    const quint32 leaf = layout.leaves.at(layout.leaves.size() / 2);
    overwrite(path, {{(leaf - 1) * layout.pageSize, layout.pageSize}}, 99);
    for (const QString &id : layout.idsOnLeaf.value(leaf))
        reference.remove(id);
    expectSalvaged(folder, contents(path), QSet<QString>(reference.keyBegin(), reference.keyEnd()), reference);
}

// Another copy of the program holds the history's lock: this one leaves the damaged file where it is, and salvages it
// once it may write.
TEST(HistorySalvageTest, OnlyTheCopyThatMayWriteSalvages)
{
    QTemporaryDir folder;
    const QString path = copyOfHistory(folder);
    overwrite(path, {{0, 100}}, 5);
    const QByteArray damaged = contents(path);
    bool mayWrite = false;
    SQLiteHistoryStore store(folder.path(), {}, [&mayWrite] { return mayWrite; });
    EXPECT_FALSE(store.loadRecentItems(10).hasValue());
    EXPECT_FALSE(store.takeNotice().has_value());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList {QStringLiteral("History.sqlite")});
    EXPECT_TRUE(contents(path) == damaged);

    mayWrite = true;
    EXPECT_TRUE(store.upsert(makeTextItem(QStringLiteral("once it may"))).hasValue());
    const auto loaded = store.loadRecentItems(100000);
    ASSERT_TRUE(loaded.hasValue());
    EXPECT_EQ(loaded->size(), itemCount + 1);
    const auto notice = store.takeNotice();
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->kind, HistoryStoreNotice::Kind::recoveredFromDamage);
}

// An overflow chain that runs around a loop, or to a page past the end, costs the one row whose chain it is.
TEST(HistorySalvageTest, ScannerDropsOnlyTheRowsWhoseOverflowChainIsBroken)
{
    QTemporaryDir folder;
    const QString path = copyOfHistory(folder);
    const Layout layout = layoutOf(path);
    QList<QPair<quint32, QString>> chains; // one overflow page from each of two rows
    for (const auto &overflow : layout.overflow) {
        if (chains.isEmpty() || chains.last().second != overflow.second)
            chains.append(overflow);
        if (chains.size() == 2)
            break;
    }
    ASSERT_EQ(chains.size(), 2);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        const auto pointTo = [&](quint32 page, quint32 next) {
            file.seek((page - 1) * layout.pageSize);
            const char bytes[] = {char(next >> 24), char(next >> 16), char(next >> 8), char(next)};
            file.write(bytes, 4);
        };
        pointTo(chains.at(0).first, chains.at(0).first);
        pointTo(chains.at(1).first, 0x7fffffff);
    }
    SQLiteLeafScanner scanner(path);
    ASSERT_TRUE(scanner.isReadable());
    EXPECT_EQ(scanner.pageSize(), layout.pageSize);
    EXPECT_EQ(scanner.userVersion(), SQLiteHistoryStore::schemaVersion);
    QSet<QString> ids;
    scanner.forEachRow([&](const SQLiteLeafScanner::Row &row) {
        if (row.table == QLatin1String("clips"))
            ids.insert(QString::fromUtf8(row.values.value(0).bytes));
        return true;
    });
    EXPECT_EQ(ids.size(), itemCount - 2);
}

// Hostile files: random pages, bytes flipped in page headers and cell pointers, random headers, files that are
// all garbage. The scanner ends on every one without a fault (the sanitizer build checks its reads), and a store
// on such a file salvages it and goes on.
TEST(HistorySalvageTest, GarbageNeverCrashesOrHangsTheScanner)
{
    const Layout layout = layoutOf(sharedHistory().path);
    const qint64 size = layout.pageSize;
    const qint64 pages = QFileInfo(sharedHistory().path).size() / size;
    for (quint32 seed = 1; seed <= 50; ++seed) {
        SCOPED_TRACE(seed);
        QRandomGenerator random(seed);
        QTemporaryDir folder;
        const QString path = copyOfHistory(folder);
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            for (int n = 1 + random.bounded(12); n > 0; --n) {
                const qint64 page = random.bounded(pages);
                if (random.bounded(3) == 0) {
                    file.seek(page * size);
                    file.write(randomBytes(random, size));
                    continue;
                }
                for (int flips = 1 + random.bounded(40); flips > 0; --flips) {
                    // Mostly where the page header and the cell pointers lie.
                    const qint64 at = random.bounded(2) ? random.bounded(120) : random.bounded(size);
                    file.seek(page * size + at);
                    file.write(randomBytes(random, 1 + random.bounded(4)));
                }
            }
            if (random.bounded(2)) {
                file.seek(random.bounded(2) ? 0 : 16);
                file.write(randomBytes(random, 8 + random.bounded(92)));
            }
        }
        SQLiteLeafScanner scanner(path);
        qint64 rows = 0;
        scanner.forEachRow([&](const SQLiteLeafScanner::Row &) { return ++rows, true; });
        EXPECT_LE(rows, 3 * itemCount);
        if (seed % 10 == 0) {
            SQLiteHistoryStore store(folder.path());
            EXPECT_TRUE(store.loadRecentItems(100000).hasValue());
            EXPECT_TRUE(store.upsert(makeTextItem(QStringLiteral("after"))).hasValue());
        }
    }

    QRandomGenerator random(7);
    for (const qint64 length :
        {qint64(0), qint64(1), qint64(99), qint64(100), qint64(4096), qint64(65553), qint64(300000)}) {
        for (const bool header : {false, true}) {
            SCOPED_TRACE(length);
            QTemporaryDir folder;
            const QString path = folder.filePath(QStringLiteral("History.sqlite"));
            QByteArray bytes = randomBytes(random, length);
            if (header && length >= 100) {
                bytes.replace(0, 16, QByteArray("SQLite format 3\0", 16));
                bytes[16] = 0x10; // 4096
                bytes[17] = 0;
                bytes[20] = 0;
                bytes[21] = 64;
                bytes[22] = 32;
                bytes[23] = 32;
            }
            {
                QFile file(path);
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                file.write(bytes);
            }
            SQLiteLeafScanner scanner(path);
            scanner.forEachRow([](const SQLiteLeafScanner::Row &) { return true; });
            if (header || length == 4096) {
                SQLiteHistoryStore store(folder.path());
                EXPECT_TRUE(store.upsert(makeTextItem(QStringLiteral("after"))).hasValue());
            }
        }
    }
}
