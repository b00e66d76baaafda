#include "ArchiveFileManager.h"
#include "HistoryStoreTestSupport.h"
#include "SQLiteHistoryStore.h"
#include "VarnistoArchiveService.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/mount.h>

// How a row keeps its item: each text once (the search text in its column, the item's text as a place in it, a
// long content key as a digest), and how a history written in the older form is brought into this one.

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(path);
    return file.readAll();
}

// A history as the store wrote it before texts were kept once: nine items with tags, favourites, a title, a rich
// text, an image, files, two copies within one second, and one long text (over the digest limit) twice, of two
// kinds. Beside it, the archive that was exported from it then.
class OlderHistoryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(fixture(QStringLiteral("History.sqlite")), databasePath()));
        QFile(databasePath()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        m_before = itemsAsWritten();
        ASSERT_EQ(m_before.size(), 9);
    }

    static QString fixture(const QString &name) { return QStringLiteral(STORAGE_FIXTURES "/history-v1/") + name; }
    QString databasePath() const { return m_directory.filePath(QStringLiteral("History.sqlite")); }

    // The items of the older rows, newest first, read straight from their payloads.
    QList<ClipboardItem> itemsAsWritten()
    {
        RawDatabase raw(databasePath());
        EXPECT_EQ(raw.value(QStringLiteral("PRAGMA user_version")).toLongLong(), 1);
        QList<ClipboardItem> items;
        for (const QVariantList &row :
            raw.rows(QStringLiteral("SELECT payload, copiedAt FROM clips ORDER BY copiedAt DESC"))) {
            auto item = ClipboardItem::fromJson(QJsonDocument::fromJson(row.at(0).toByteArray()).object());
            EXPECT_TRUE(item.hasValue());
            if (!item)
                continue;
            item->copiedAt = QDateTime::fromMSecsSinceEpoch(qRound64(row.at(1).toDouble() * 1000.0), Qt::UTC);
            items.append(*item);
        }
        return items;
    }

    void expectMigrated(SQLiteHistoryStore &store)
    {
        const auto loaded = store.loadRecentItems(100);
        ASSERT_TRUE(loaded.hasValue());
        EXPECT_EQ(*loaded, m_before) << "every item, field by field, in the same order";
        RawDatabase raw(databasePath());
        EXPECT_EQ(raw.value(QStringLiteral("PRAGMA user_version")).toLongLong(), SQLiteHistoryStore::schemaVersion);
        for (const QVariantList &row : raw.rows(QStringLiteral("SELECT payload, searchText, contentKey FROM clips"))) {
            const QByteArray payload = row.at(0).toByteArray();
            EXPECT_FALSE(payload.contains("\"searchText\"")) << payload.constData();
            EXPECT_FALSE(payload.contains("a long note")) << "the long text is in the search text column only";
            if (row.at(1).toString().size() > SQLiteHistoryStore::longestContentKeyKeptAsText) {
                EXPECT_EQ(row.at(2).typeId(), QMetaType::QByteArray) << "a long key is kept as its digest";
            }
        }
    }

    QTemporaryDir m_directory;
    QList<ClipboardItem> m_before;
};

TEST_F(OlderHistoryTest, OpensMigratedOnceLosingNothingAndExportsTheSameArchive)
{
    qint64 rewritten = 0;
    {
        SQLiteHistoryStore store(m_directory.path(), [&](qint64 done) { rewritten = done; });
        EXPECT_EQ(rewritten, 9);
        expectMigrated(store);

        QTemporaryDir exports;
        const QString archive = exports.filePath(QStringLiteral("Export"));
        ArchiveFileManager files;
        const auto exported = VarnistoArchiveService(files, m_directory.path()).exportArchive(store, archive);
        ASSERT_TRUE(exported.hasValue()) << qPrintable(exported.error().errorDescription());
        EXPECT_EQ(fileBytes(archive + QStringLiteral("/history.json")), fileBytes(fixture("exported-history.json")));
        EXPECT_EQ(fileBytes(archive + QStringLiteral("/tags.json")), fileBytes(fixture("exported-tags.json")));

        // A fresh copy of the long text still merges into its entry of the same kind, and only that one.
        const ClipboardItem &note = m_before.at(7);
        ASSERT_EQ(note.title, QStringLiteral("Meeting notes"));
        ASSERT_EQ(m_before.at(6).text, note.text) << "the same text, as rich text";
        ClipboardItem again = makeTextItem(*note.text, testNow(), ClipboardKind::text);
        again.title = note.title;
        again.tags = note.tags;
        again = again.refreshingSearchText({QStringLiteral("Work")});
        const auto merged = store.insertOrMerge(again, false);
        ASSERT_TRUE(merged.hasValue());
        EXPECT_EQ(merged->id, note.id);
        EXPECT_EQ(merged->copyCount, note.copyCount + 1);
    }
    rewritten = 0;
    SQLiteHistoryStore reopened(m_directory.path(), [&](qint64 done) { rewritten = done; });
    EXPECT_EQ(rewritten, 0) << "migrated once";
    EXPECT_EQ(reopened.loadRecentItems(100)->size(), 9);
}

TEST_F(OlderHistoryTest, KilledInTheMiddleOfTheMigrationLeavesAHistoryThatOpens)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SQLiteHistoryStore store(m_directory.path(), [](qint64 done) {
                if (done == 4)
                    std::raise(SIGKILL);
            });
        },
        ::testing::KilledBySignal(SIGKILL), "");
    EXPECT_EQ(itemsAsWritten(), m_before) << "the older form, untouched";

    SQLiteHistoryStore store(m_directory.path());
    expectMigrated(store);
}

namespace {

// A small file system of its own, to run out of room on; none where this process may not mount one.
class SmallDisk
{
public:
    explicit SmallDisk(qint64 bytes)
    {
        const QByteArray options = "size=" + QByteArray::number(bytes);
        m_mounted = m_root.isValid()
            && ::mount("tmpfs", QFile::encodeName(m_root.path()).constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_root.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool isMounted() const { return m_mounted; }
    QString path() const { return m_root.path(); }

private:
    QTemporaryDir m_root;
    bool m_mounted = false;
};

} // namespace

// The rewrite into the current form needs about twice the history's size at its peak. Where the disk lacks that
// room, nothing is changed: the rows are read as they are, the user is told how much room it needs, and the next
// start with room rewrites them.
TEST_F(OlderHistoryTest, WithoutRoomForTheRewriteNothingChangesAndTheUserIsTold)
{
    SmallDisk disk(QFileInfo(databasePath()).size() * 3 / 2);
    if (!disk.isMounted())
        GTEST_SKIP() << "no file system can be mounted here";
    const QString onDisk = disk.path() + QStringLiteral("/History.sqlite");
    ASSERT_TRUE(QFile::copy(databasePath(), onDisk));
    {
        SQLiteHistoryStore store(disk.path());
        const auto loaded = store.loadRecentItems(100);
        ASSERT_TRUE(loaded.hasValue());
        EXPECT_EQ(*loaded, m_before);
        const auto notice = store.takeNotice();
        ASSERT_TRUE(notice.has_value());
        EXPECT_EQ(notice->kind, HistoryStoreNotice::Kind::notEnoughSpace);
        EXPECT_TRUE(notice->message.startsWith(
            QStringLiteral("There is not enough free space on the disk to bring the history in %1 up to date")
                .arg(disk.path())))
            << qPrintable(notice->message);
    }
    RawDatabase raw(onDisk);
    EXPECT_EQ(raw.value(QStringLiteral("PRAGMA user_version")).toLongLong(), 1) << "still in the older form";
    EXPECT_EQ(raw.value(QStringLiteral("SELECT count(*) FROM clips")).toLongLong(), 9);
}

// A history whose pages are mostly free (the rows it had are gone, or a compacting was cut short by the end of the
// program) is compacted by the next start, and keeps every row it holds.
TEST(HistoryStoreCompactingTest, AStartThatFindsMostOfTheFileFreeCompactsIt)
{
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("History.sqlite"));
    QList<QUuid> ids;
    {
        SQLiteHistoryStore store(directory.path());
        for (int n = 0; n < 60; ++n) {
            const auto stored = store.insertOrMerge(
                makeTextItem(QStringLiteral("%1 ").arg(n) + QString(100 * 1024, QChar(u'a' + n % 26))), false);
            ASSERT_TRUE(stored.hasValue());
            ids.append(stored->id);
        }
        for (int n = 0; n < 50; ++n)
            ASSERT_TRUE(store.deleteItem(ids.at(n)).hasValue());
    }
    const qint64 before = QFileInfo(path).size();
    ASSERT_GT(before, 5 * 1024 * 1024);
    {
        RawDatabase raw(path);
        ASSERT_GT(raw.value(QStringLiteral("PRAGMA freelist_count")).toLongLong() * 2,
            raw.value(QStringLiteral("PRAGMA page_count")).toLongLong());
    }

    SQLiteHistoryStore store(directory.path());
    const auto loaded = store.loadRecentItems(100);
    ASSERT_TRUE(loaded.hasValue());
    EXPECT_EQ(loaded->size(), 10);
    RawDatabase raw(path);
    EXPECT_LT(raw.value(QStringLiteral("PRAGMA freelist_count")).toLongLong() * 10,
        raw.value(QStringLiteral("PRAGMA page_count")).toLongLong());
    EXPECT_LT(QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size(), before / 2);
}

// Duplicates by content key, through the store: the second capture merges into the first exactly when the two
// have the same kind and key, whether the key is kept as its text or as a digest.
TEST(HistoryStoreKeyTest, CapturesMergeByKindAndContentKeyWhateverTheKeysLength)
{
    const QString limit(SQLiteHistoryStore::longestContentKeyKeptAsText - 2, QLatin1Char('k')); // with "  " after it
    QString longText;
    while (longText.size() < 70000)
        longText += QStringLiteral("a long line of copied words, ");
    QString astral = longText;
    astral.replace(65535, 2, QStringLiteral("\U0001F600")); // a surrogate pair across the digest's part boundary
    QString otherAstral = longText;
    otherAstral.replace(65535, 2, QStringLiteral("\U0001F601"));
    const QString lastDiffers = longText.chopped(1) + QLatin1Char('!');
    const QString firstDiffers = QLatin1Char('A') + longText.mid(1);

    struct Case
    {
        const char *what;
        QString first;
        QString second;
        ClipboardKind firstKind = ClipboardKind::text;
        ClipboardKind secondKind = ClipboardKind::text;
        QString secondApp = QStringLiteral("Editor");
        bool merges;
    };
    const Case cases[] = {
        {"short, equal", QStringLiteral("hello"), QStringLiteral("hello"), {}, {}, QStringLiteral("Editor"), true},
        {"short, one letter apart", QStringLiteral("hello"), QStringLiteral("hallo"), {}, {}, QStringLiteral("Editor"),
            false},
        {"a key just at the limit", limit, limit, {}, {}, QStringLiteral("Editor"), true},
        {"a key one over the limit", limit + QLatin1Char('k'), limit + QLatin1Char('k'), {}, {},
            QStringLiteral("Editor"), true},
        {"at the limit and one over", limit, limit + QLatin1Char('k'), {}, {}, QStringLiteral("Editor"), false},
        {"long, equal", longText, longText, {}, {}, QStringLiteral("Editor"), true},
        {"long, the last letter apart", longText, lastDiffers, {}, {}, QStringLiteral("Editor"), false},
        {"long, the first letter apart", longText, firstDiffers, {}, {}, QStringLiteral("Editor"), false},
        {"long, equal, two kinds", longText, longText, ClipboardKind::text, ClipboardKind::richText,
            QStringLiteral("Editor"), false},
        {"long, equal, from another application", longText, longText, {}, {}, QStringLiteral("Browser"), false},
        {"long, equal, a pair across a part", astral, astral, {}, {}, QStringLiteral("Editor"), true},
        {"long, another pair across a part", astral, otherAstral, {}, {}, QStringLiteral("Editor"), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir directory;
        SQLiteHistoryStore store(directory.path());
        const ClipboardItem first = makeTextItem(c.first, testNow(), c.firstKind);
        ASSERT_TRUE(store.insertOrMerge(first, false).hasValue());
        const ClipboardItem second = makeTextItem(c.second, testNow().addSecs(5), c.secondKind, c.secondApp);
        EXPECT_EQ(first.kind == second.kind && first.contentKey() == second.contentKey(), c.merges)
            << "the case means what it says";
        const auto stored = store.insertOrMerge(second, false);
        ASSERT_TRUE(stored.hasValue());
        EXPECT_EQ(stored->id == first.id, c.merges);
        const auto loaded = store.loadRecentItems(10);
        ASSERT_TRUE(loaded.hasValue());
        ASSERT_EQ(loaded->size(), c.merges ? 1 : 2);
        EXPECT_EQ(loaded->first().text, second.text);

        RawDatabase raw(directory.filePath(QStringLiteral("History.sqlite")));
        const QVariant key = raw.value(
            QStringLiteral("SELECT contentKey FROM clips WHERE id = ?"), {Coding::uuidString(loaded->first().id)});
        if (second.contentKey().size() > SQLiteHistoryStore::longestContentKeyKeptAsText) {
            EXPECT_EQ(key.typeId(), QMetaType::QByteArray);
            EXPECT_EQ(key.toByteArray().size(), 32);
        } else {
            EXPECT_EQ(key.toString(), second.contentKey());
        }
    }
}

// Rows that an older version of the program writes into a history of the current form hold a long key as its text:
// a capture finds them all the same, before the store is opened again and after (when it rewrites them).
TEST(HistoryStoreKeyTest, LongKeysWrittenAsTextByAnOlderVersionStillMatch)
{
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("History.sqlite"));
    const QString text(5000, QLatin1Char('x'));
    const auto writeOldRow = [&](const ClipboardItem &item) {
        RawDatabase raw(path);
        raw.rows(QStringLiteral("INSERT INTO clips (id, kind, copiedAt, favorite, sourceApp, searchText, contentKey, "
                                "payload) VALUES (?, ?, ?, 0, ?, ?, ?, ?)"),
            {Coding::uuidString(item.id), item.kind.rawValue(), double(item.copiedAt.toSecsSinceEpoch()),
                *item.sourceAppName, item.searchText, item.contentKey(),
                QJsonDocument(item.toJson()).toJson(QJsonDocument::Compact)});
    };
    {
        SQLiteHistoryStore store(directory.path());
        // Written while this store is open, with the history's version set back: the store has not rewritten it.
        const ClipboardItem old = makeTextItem(text, testNow());
        writeOldRow(old);
        RawDatabase(path).exec(QStringLiteral("PRAGMA user_version = 1;"));
        const auto merged = store.insertOrMerge(makeTextItem(text, testNow().addSecs(1)), false);
        ASSERT_TRUE(merged.hasValue());
        EXPECT_EQ(merged->id, old.id);
        RawDatabase(path).exec(QStringLiteral("PRAGMA user_version = 2;"));
    }
    const ClipboardItem other = makeTextItem(text, testNow().addSecs(10), ClipboardKind::text, QStringLiteral("Mail"));
    writeOldRow(other);
    qint64 rewritten = 0;
    SQLiteHistoryStore store(directory.path(), [&](qint64 done) { rewritten = done; });
    EXPECT_EQ(rewritten, 1) << "only the row with a long key as its text";
    RawDatabase raw(path);
    EXPECT_EQ(
        raw.value(QStringLiteral("SELECT count(*) FROM clips WHERE typeof(contentKey) = 'text'")).toLongLong(), 0);
    const auto merged = store.insertOrMerge(
        makeTextItem(text, testNow().addSecs(20), ClipboardKind::text, QStringLiteral("Mail")), false);
    ASSERT_TRUE(merged.hasValue());
    EXPECT_EQ(merged->id, other.id);
    EXPECT_EQ(store.loadRecentItems(10)->size(), 2);
}

// The item's text is kept as its place in the search text wherever the search text holds it; otherwise the payload
// keeps it. Either way the item comes back as it was.
TEST(HistoryStoreFormTest, EveryItemComesBackAsItWasWhereverItsTextLies)
{
    struct Case
    {
        const char *what;
        std::function<void(ClipboardItem &)> shape; // the search text is built afterwards when it is current
        bool currentSearchText;
    };
    const Case cases[] = {
        {"a plain text", [](ClipboardItem &) {}, true},
        {"after a title", [](ClipboardItem &item) { item.title = QStringLiteral("Ti\U0001F600tle"); }, true},
        {"an empty text", [](ClipboardItem &item) { item.text = QString(); }, true},
        {"no text", [](ClipboardItem &item) { item.text.reset(); }, true},
        {"a search text built by another rule",
            [](ClipboardItem &item) { item.searchText = QStringLiteral("something else"); }, false},
        {"a search text shorter than the text", [](ClipboardItem &item) { item.searchText = QStringLiteral("the"); },
            false},
    };
    QTemporaryDir directory;
    SQLiteHistoryStore store(directory.path());
    QList<ClipboardItem> written;
    for (const Case &c : cases) {
        ClipboardItem item
            = makeTextItem(QStringLiteral("the text, caf\u00e9 \U0001F600"), testNow().addSecs(written.size()));
        c.shape(item);
        if (c.currentSearchText)
            item = item.refreshingSearchText({});
        ASSERT_TRUE(store.upsert(item).hasValue());
        written.append(item);
    }
    RawDatabase raw(directory.filePath(QStringLiteral("History.sqlite")));
    for (qsizetype i = 0; i < written.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        const auto loaded = store.loadItems({written.at(i).id});
        ASSERT_TRUE(loaded.hasValue());
        ASSERT_EQ(loaded->size(), 1);
        EXPECT_EQ(loaded->first(), storedForm(written.at(i)));
        const QByteArray payload = raw.value(QStringLiteral("SELECT payload FROM clips WHERE id = ?"),
                                          {Coding::uuidString(written.at(i).id)})
                                       .toByteArray();
        EXPECT_EQ(payload.contains("\"text\":"), !cases[i].currentSearchText && written.at(i).text)
            << payload.constData();
    }
}

} // namespace
