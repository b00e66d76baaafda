#include "HistoryStoreTestSupport.h"
#include "SQLiteHistoryStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The database as an older version of the application left it: the table without the key column (when
// asked), no tag table, schema version 0.
class HistoryStoreMigrationTest : public ::testing::Test
{
protected:
    QString databasePath() const { return m_directory.filePath(QStringLiteral("History.sqlite")); }

    void createOldDatabase(bool withContentKey)
    {
        RawDatabase raw(databasePath());
        raw.exec(QStringLiteral("CREATE TABLE clips (id TEXT PRIMARY KEY, kind TEXT NOT NULL, copiedAt REAL NOT NULL, "
                                "favorite INTEGER NOT NULL, sourceApp TEXT, searchText TEXT NOT NULL%1, "
                                "payload BLOB NOT NULL);")
                     .arg(withContentKey ? QStringLiteral(", contentKey TEXT") : QString()));
    }

    void insertRow(const QString &id, const QString &kind, const QDateTime &copiedAt, const QByteArray &payload,
        const QString &searchText = QStringLiteral("old search text"))
    {
        RawDatabase raw(databasePath());
        raw.rows(QStringLiteral("INSERT INTO clips (id, kind, copiedAt, favorite, sourceApp, searchText, payload) "
                                "VALUES (?, ?, ?, 0, NULL, ?, ?)"),
            {id, kind, double(copiedAt.toSecsSinceEpoch()), searchText, payload});
    }

    void insertItem(const ClipboardItem &item)
    {
        insertRow(Coding::uuidString(item.id), item.kind.rawValue(), item.copiedAt,
            QJsonDocument(item.toJson()).toJson(QJsonDocument::Compact), item.searchText);
    }

    QByteArray payloadOf(const QUuid &id)
    {
        RawDatabase raw(databasePath());
        return raw.value(QStringLiteral("SELECT payload FROM clips WHERE id = ?"), {Coding::uuidString(id)})
            .toByteArray();
    }

    QTemporaryDir m_directory;
};

// A payload as older versions wrote it: tags by name, no first copy time, no search text.
QByteArray legacyPayload(const QUuid &id, const QString &text, const QStringList &tagNames)
{
    const QJsonObject object {
        {QStringLiteral("id"), Coding::uuidString(id)},
        {QStringLiteral("kind"), QStringLiteral("text")},
        {QStringLiteral("text"), text},
        {QStringLiteral("filePaths"), QJsonArray()},
        {QStringLiteral("sourceAppName"), QStringLiteral("Notes")},
        {QStringLiteral("copiedAt"), Coding::iso8601String(testNow())},
        {QStringLiteral("byteSize"), 5},
        {QStringLiteral("isFavorite"), false},
        {QStringLiteral("tags"), QJsonArray::fromStringList(tagNames)},
        {QStringLiteral("copyCount"), 3},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

TEST_F(HistoryStoreMigrationTest, OldTableGainsTheKeyColumnAndEveryReadableRowItsKey)
{
    createOldDatabase(false);
    const ClipboardItem link
        = makeTextItem(QStringLiteral("HTTPS://Example.COM/a#top"), testNow(), ClipboardKind::link);
    insertItem(link);
    insertRow(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(), QStringLiteral("text"), testNow(),
        QByteArray("not json"));

    SQLiteHistoryStore store(m_directory.path());
    RawDatabase raw(databasePath());
    const auto keys = raw.rows(QStringLiteral("SELECT contentKey FROM clips ORDER BY contentKey IS NULL"));
    ASSERT_EQ(keys.size(), 2);
    EXPECT_EQ(keys.at(0).at(0).toString(), QStringLiteral("https://example.com/a"));
    EXPECT_TRUE(keys.at(1).at(0).isNull()) << "an unreadable row keeps no key and is tried again next time";
    const auto column
        = raw.rows(QStringLiteral("SELECT \"notnull\" FROM pragma_table_info('clips') WHERE name = 'contentKey'"));
    ASSERT_EQ(column.size(), 1);
    EXPECT_EQ(column.at(0).at(0).toLongLong(), 0) << "the added column admits NULL";
    EXPECT_EQ(raw.value(QStringLiteral("PRAGMA user_version")).toLongLong(), SQLiteHistoryStore::schemaVersion);

    // A repeated copy of the old link now merges into it.
    const auto merged = store.insertOrMerge(
        makeTextItem(QStringLiteral("https://example.com/a"), testNow().addSecs(60), ClipboardKind::link), false);
    ASSERT_TRUE(merged.hasValue());
    EXPECT_EQ(merged->id, link.id);
}

TEST_F(HistoryStoreMigrationTest, LegacyTagNamesBecomeTagsAndTheRowsCurrentItems)
{
    createOldDatabase(true);
    {
        RawDatabase raw(databasePath());
        raw.exec(QStringLiteral("CREATE TABLE tags (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                "name TEXT NOT NULL UNIQUE COLLATE NOCASE, color TEXT NOT NULL);"
                                "INSERT INTO tags (name, color) VALUES ('Work', '#AA0000');"));
    }
    const QUuid twoTags = QUuid::createUuid();
    const QUuid untagged = QUuid::createUuid();
    const QByteArray untaggedPayload = legacyPayload(untagged, QStringLiteral("plain"), {});
    insertRow(Coding::uuidString(twoTags), QStringLiteral("text"), testNow(),
        legacyPayload(twoTags, QStringLiteral("hello"), {QStringLiteral("work"), QStringLiteral("Ideas")}));
    insertRow(Coding::uuidString(untagged), QStringLiteral("text"), testNow(), untaggedPayload);

    SQLiteHistoryStore store(m_directory.path());
    const QList<Tag> tags = *store.loadTags();
    ASSERT_EQ(tags.size(), 2);
    const Tag ideas = tags.at(0);
    const Tag work = tags.at(1);
    EXPECT_EQ(ideas.name, QStringLiteral("Ideas"));
    EXPECT_EQ(ideas.color, QStringLiteral("#3B85ED"));
    EXPECT_EQ(work, (Tag {1, QStringLiteral("Work"), QStringLiteral("#AA0000")})) << "the existing tag is reused";

    const auto items = store.loadRecentItems(10);
    ASSERT_TRUE(items.hasValue());
    const auto converted
        = std::find_if(items->cbegin(), items->cend(), [&](const ClipboardItem &i) { return i.id == twoTags; });
    ASSERT_NE(converted, items->cend());
    EXPECT_EQ(converted->tags, QList<qint64>({work.id, ideas.id}));
    EXPECT_EQ(converted->firstCopiedAt, testNow());
    EXPECT_EQ(converted->copyCount, 3);
    EXPECT_EQ(converted->searchText, QStringLiteral("hello  Work Ideas Notes"));
    EXPECT_EQ(payloadOf(untagged), untaggedPayload) << "a row without tag names is left as it was";

    // A second opening finds nothing left to do.
    const QByteArray migrated = payloadOf(twoTags);
    {
        SQLiteHistoryStore again(m_directory.path());
    }
    EXPECT_EQ(payloadOf(twoTags), migrated);
    EXPECT_EQ(payloadOf(untagged), untaggedPayload);
}

TEST_F(HistoryStoreMigrationTest, LegacyRowWrittenAfterTheUpgradeIsStillConverted)
{
    {
        SQLiteHistoryStore store(m_directory.path());
    }
    // An older version of the application, run again, adds a row in its own format.
    const QUuid id = QUuid::createUuid();
    {
        RawDatabase raw(databasePath());
        raw.rows(QStringLiteral("INSERT INTO clips (id, kind, copiedAt, favorite, sourceApp, searchText, contentKey, "
                                "payload) VALUES (?, 'text', 0, 0, NULL, 'x', 'x', ?)"),
            {Coding::uuidString(id), legacyPayload(id, QStringLiteral("later"), {QStringLiteral("Late")})});
    }
    SQLiteHistoryStore store(m_directory.path());
    const auto items = store.loadRecentItems(10);
    ASSERT_TRUE(items.hasValue());
    ASSERT_EQ(items->size(), 1);
    ASSERT_EQ(items->first().tags.size(), 1);
    EXPECT_EQ(store.loadTags()->first().name, QStringLiteral("Late"));
}

TEST_F(HistoryStoreMigrationTest, VersionStepRebuildsTheSearchTextOfHtmlItemsOnce)
{
    createOldDatabase(true);
    {
        RawDatabase raw(databasePath());
        raw.exec(QStringLiteral("CREATE TABLE tags (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                                "name TEXT NOT NULL UNIQUE COLLATE NOCASE, color TEXT NOT NULL);"
                                "INSERT INTO tags (name, color) VALUES ('Docs', '#123456');"));
    }
    ClipboardItem rich = makeTextItem(QStringLiteral("bold words"), testNow(), ClipboardKind::richText);
    rich.html = QStringLiteral("<b>bold</b> words");
    rich.tags = {1, 42}; // 42 names no tag
    rich.searchText = QStringLiteral("built by an older rule");
    ClipboardItem plain = makeTextItem(QStringLiteral("plain words"), testNow().addSecs(-5));
    plain.searchText = QStringLiteral("also older");
    insertItem(rich);
    insertItem(plain);

    SQLiteHistoryStore store(m_directory.path());
    RawDatabase raw(databasePath());
    EXPECT_EQ(raw.value(QStringLiteral("PRAGMA user_version")).toLongLong(), SQLiteHistoryStore::schemaVersion);
    const auto items = store.loadRecentItems(10);
    ASSERT_TRUE(items.hasValue());
    const auto rebuilt
        = std::find_if(items->cbegin(), items->cend(), [&](const ClipboardItem &i) { return i.id == rich.id; });
    ASSERT_NE(rebuilt, items->cend());
    EXPECT_EQ(rebuilt->searchText, QStringLiteral("bold words  Docs Editor"));
    EXPECT_EQ(raw.value(QStringLiteral("SELECT contentKey FROM clips WHERE id = ?"), {Coding::uuidString(rich.id)})
                  .toString(),
        rebuilt->contentKey());
    // An item without HTML keeps its search text (later versions only change the form of its row).
    const auto untouched
        = std::find_if(items->cbegin(), items->cend(), [&](const ClipboardItem &i) { return i.id == plain.id; });
    ASSERT_NE(untouched, items->cend());
    EXPECT_EQ(*untouched, storedForm(plain));

    // The step does not run again, so a text written afterwards by another rule stays.
    raw.rows(QStringLiteral("UPDATE clips SET searchText = ? WHERE id = ?"),
        {QStringLiteral("bold words kept as written"), Coding::uuidString(rich.id)});
    SQLiteHistoryStore again(m_directory.path());
    EXPECT_EQ(again.loadRecentItems(10)->first().searchText, QStringLiteral("bold words kept as written"));
}
