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

namespace {

const QString shownHtml
    = QStringLiteral("<p>Hello <b>bold</b> and <i>italic</i> <a href=\"https://example.com/\">link</a></p>");
const QByteArray shownRtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Quarterly {\\b figures} rose\\par}";

// Rich text as a capture makes it, with the search text that earlier versions built for it: without the text of
// its HTML or RTF when it came without a plain string.
ClipboardItem storedRichText(const std::optional<QString> &text, const std::optional<QString> &html,
    const std::optional<QByteArray> &rtf, const QDateTime &copiedAt, const QStringList &tagNames = {})
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.kind = ClipboardKind::richText;
    item.text = text;
    item.sourceAppName = QStringLiteral("Browser");
    item.copiedAt = copiedAt;
    item.firstCopiedAt = copiedAt;
    item.copyCount = 1;
    ClipboardItem withoutMarkup = item;
    item.html = html;
    item.rtfData = rtf;
    item.searchText = withoutMarkup.refreshingSearchText(tagNames).searchText;
    return item;
}

} // namespace

TEST_F(HistoryStoreMigrationTest, OpeningRebuildsTheSearchTextOfRichTextStoredWithoutWhatItShows)
{
    ClipboardItem htmlOnly = storedRichText(std::nullopt, shownHtml, std::nullopt, testNow(), {"Docs"});
    const ClipboardItem rtfOnly = storedRichText(std::nullopt, std::nullopt, shownRtf, testNow().addSecs(-1));
    const ClipboardItem emptyPlain
        = storedRichText(QString(), QStringLiteral("<b>Empty plain</b>"), std::nullopt, testNow().addSecs(-2));
    const ClipboardItem olderForm
        = storedRichText(std::nullopt, QStringLiteral("<i>Older form</i>"), std::nullopt, testNow().addSecs(-3));
    ClipboardItem withPlain = storedRichText(QStringLiteral("Plain words"), shownHtml, shownRtf, testNow().addSecs(-4));
    withPlain = withPlain.refreshingSearchText({});
    {
        SQLiteHistoryStore store(m_directory.path());
        const auto docs = store.ensureTag(QStringLiteral("Docs"), QStringLiteral("#123456"));
        ASSERT_TRUE(docs.hasValue());
        htmlOnly.tags = {docs->id};
        ASSERT_TRUE(store.upsertItems({htmlOnly, rtfOnly, emptyPlain, withPlain}).hasValue());
    }
    // A row in the form before texts were kept once, as an older version writes it.
    RawDatabase(databasePath())
        .rows(QStringLiteral("INSERT INTO clips (id, kind, copiedAt, favorite, sourceApp, searchText, contentKey, "
                             "payload) VALUES (?, 'richText', ?, 0, 'Browser', ?, ?, ?)"),
            {Coding::uuidString(olderForm.id), double(olderForm.copiedAt.toSecsSinceEpoch()), olderForm.searchText,
                olderForm.contentKey(), QJsonDocument(olderForm.toJson()).toJson(QJsonDocument::Compact)});
    const QByteArray plainPayload = payloadOf(withPlain.id);
    ASSERT_EQ(storedRichText(std::nullopt, shownHtml, std::nullopt, testNow()).searchText, QStringLiteral("  Browser"))
        << "the search text as it was stored";

    const QHash<QUuid, QString> expected {
        {htmlOnly.id, QStringLiteral("Hello bold and italic link  Docs Browser")},
        {rtfOnly.id, QStringLiteral("Quarterly figures rose   Browser")},
        {emptyPlain.id, QStringLiteral("Empty plain   Browser")},
        {olderForm.id, QStringLiteral("Older form   Browser")},
        {withPlain.id, QStringLiteral("Plain words   Browser")},
    };
    for (int opening = 1; opening <= 2; ++opening) {
        SCOPED_TRACE(opening);
        SQLiteHistoryStore store(m_directory.path());
        const auto items = store.loadRecentItems(10);
        ASSERT_TRUE(items.hasValue());
        ASSERT_EQ(items->size(), 5);
        for (const ClipboardItem &item : *items) {
            EXPECT_EQ(item.searchText, expected.value(item.id));
            EXPECT_TRUE(item.html || item.rtfData) << "the markup stays";
        }
        EXPECT_EQ(items->at(2).text, QString()) << "an empty plain string stays empty";
        EXPECT_FALSE(items->at(0).text.has_value());
        EXPECT_EQ(payloadOf(withPlain.id), plainPayload) << "a row with its text is not rewritten";
    }

    // The content key follows: a fresh copy of the same HTML merges into its entry.
    SQLiteHistoryStore store(m_directory.path());
    ClipboardItem again = storedRichText(std::nullopt, shownHtml, std::nullopt, testNow().addSecs(60));
    again.tags = htmlOnly.tags;
    again = again.refreshingSearchText({QStringLiteral("Docs")});
    const auto merged = store.insertOrMerge(again, false);
    ASSERT_TRUE(merged.hasValue());
    EXPECT_EQ(merged->id, htmlOnly.id);
}

TEST_F(HistoryStoreMigrationTest, ARebuildOfSearchTextsThatFailsMidwayLeavesEveryRowAsItWas)
{
    const ClipboardItem first = storedRichText(std::nullopt, shownHtml, std::nullopt, testNow());
    const ClipboardItem second = storedRichText(std::nullopt, std::nullopt, shownRtf, testNow().addSecs(-1));
    {
        SQLiteHistoryStore store(m_directory.path());
        ASSERT_TRUE(store.upsertItems({first, second}).hasValue());
    }
    const QString searchTexts = QStringLiteral("SELECT searchText FROM clips ORDER BY copiedAt DESC");
    {
        // The disk fills up when the second row is written.
        RawDatabase raw(databasePath());
        raw.exec(QStringLiteral("CREATE TRIGGER fullDisk BEFORE UPDATE ON clips WHEN old.id = '%1' BEGIN "
                                "SELECT RAISE(ABORT, 'database or disk is full'); END;")
                     .arg(Coding::uuidString(second.id)));
    }
    {
        SQLiteHistoryStore store(m_directory.path());
    }
    RawDatabase raw(databasePath());
    EXPECT_EQ(
        raw.rows(searchTexts), QList<QVariantList>({{QStringLiteral("  Browser")}, {QStringLiteral("  Browser")}}))
        << "the first row's rebuild is undone with the second's";

    raw.exec(QStringLiteral("DROP TRIGGER fullDisk;"));
    {
        SQLiteHistoryStore store(m_directory.path());
    }
    EXPECT_EQ(raw.rows(searchTexts),
        QList<QVariantList>({{QStringLiteral("Hello bold and italic link   Browser")},
            {QStringLiteral("Quarterly figures rose   Browser")}}));
}
