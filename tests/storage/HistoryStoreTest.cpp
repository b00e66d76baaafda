#include "FilePermissions.h"
#include "HistoryStoreTestSupport.h"
#include "SQLiteHistoryStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtConcurrent>

#include <gtest/gtest.h>

namespace {

class HistoryStoreTest : public ::testing::Test
{
protected:
    QString databasePath() const { return m_directory.filePath(QStringLiteral("History.sqlite")); }

    QList<ClipboardItem> loadAll(SQLiteHistoryStore &store)
    {
        auto items = store.loadRecentItems(100000);
        EXPECT_TRUE(items.hasValue()) << qPrintable(items ? QString() : items.error().description());
        return items.valueOr({});
    }

    QTemporaryDir m_directory;
};

ClipboardItem imageItem(const QDateTime &copiedAt, const QString &assetPath)
{
    ClipboardItem item = makeTextItem(QString(), copiedAt, ClipboardKind::image);
    item.text.reset();
    item.assetPath = assetPath;
    return item.refreshingSearchText({});
}

QStringList idsOf(const QList<ClipboardItem> &items)
{
    QStringList ids;
    for (const ClipboardItem &item : items)
        ids.append(Coding::uuidString(item.id));
    return ids;
}

} // namespace

TEST_F(HistoryStoreTest, NewDirectoryGetsTheWholeSchemaAtTheCurrentVersion)
{
    SQLiteHistoryStore store(m_directory.path());
    RawDatabase raw(databasePath());
    QStringList objects;
    for (const auto &row : raw.rows(QStringLiteral("SELECT type, name FROM sqlite_master WHERE name NOT LIKE "
                                                   "'sqlite_%' AND name NOT LIKE 'clips_fts_%' ORDER BY name")))
        objects.append(row.at(0).toString() + QLatin1Char(' ') + row.at(1).toString());
    EXPECT_EQ(objects,
        QStringList({QStringLiteral("table clips"), QStringLiteral("table clips_fts"),
            QStringLiteral("index idx_clips_contentKey"), QStringLiteral("index idx_clips_copiedAt"),
            QStringLiteral("index idx_clips_kind"), QStringLiteral("table tags")}));
    EXPECT_EQ(raw.value(QStringLiteral("PRAGMA user_version")).toLongLong(), SQLiteHistoryStore::schemaVersion);
    EXPECT_EQ(raw.value(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    // The database and, while it is open, its write-ahead log and the log's index.
    EXPECT_EQ(QDir(m_directory.path()).entryList(QDir::Files),
        QStringList({QStringLiteral("History.sqlite"), QStringLiteral("History.sqlite-shm"),
            QStringLiteral("History.sqlite-wal")}));
}

TEST_F(HistoryStoreTest, FolderThatCannotHoldTheDatabaseFailsEveryOperationUntilItCan)
{
    // A regular file where the folder should be: no user, not even root, can create the database inside it.
    const QString blocked = m_directory.filePath(QStringLiteral("Varnisto2"));
    {
        QFile file(blocked);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    SQLiteHistoryStore store(blocked);
    const auto loaded = store.loadRecentItems(10);
    ASSERT_FALSE(loaded.hasValue());
    EXPECT_EQ(loaded.error().value(), HistoryStoreError::openFailed);
    EXPECT_EQ(loaded.error().description(), QStringLiteral("Unable to open the Varnisto history database."));
    EXPECT_FALSE(store.upsert(makeTextItem(QStringLiteral("lost?"))).hasValue());

    // Once the folder can be made, the same store opens it, with its schema, at the next operation.
    ASSERT_TRUE(QFile::remove(blocked));
    ASSERT_TRUE(QDir().mkpath(blocked));
    ASSERT_TRUE(store.upsert(makeTextItem(QStringLiteral("kept"))).hasValue());
    EXPECT_EQ(store.loadRecentItems(10)->size(), 1);
    EXPECT_TRUE(store.ensureTag(QStringLiteral("Work"), QStringLiteral("#112233")).hasValue());
}

// A file that is no database at all (its header is gone) is not taken for an empty history that every write fails
// on: it is put aside like a damaged one, and a fresh history takes its place.
TEST_F(HistoryStoreTest, FileThatIsNoDatabaseIsPutAsideAndAFreshHistoryTakesItsPlace)
{
    {
        QFile file(databasePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(8192, '\x5a'));
    }
    SQLiteHistoryStore store(m_directory.path());
    const auto loaded = store.loadRecentItems(10);
    ASSERT_TRUE(loaded.hasValue()) << qPrintable(loaded.error().description());
    EXPECT_TRUE(loaded->isEmpty());
    const auto notice = store.takeNotice();
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->kind, HistoryStoreNotice::Kind::recoveredFromDamage);
    EXPECT_TRUE(notice->message.contains(QStringLiteral(" 0 items "))) << qPrintable(notice->message);
    const QStringList aside
        = QDir(m_directory.path()).entryList({QStringLiteral("History.sqlite.damaged-*")}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    QFile kept(m_directory.filePath(aside.first()));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_TRUE(kept.readAll() == QByteArray(8192, '\x5a'));
    EXPECT_TRUE(store.upsert(makeTextItem(QStringLiteral("kept"))).hasValue());
    EXPECT_TRUE(store.ensureTag(QStringLiteral("Work"), QStringLiteral("#112233")).hasValue());
    EXPECT_EQ(store.loadRecentItems(10)->size(), 1);
}

// A damaged file is never written to again: it is kept aside under a name of its own, every row that can still
// be read goes on in a new file, and the user is told once. Two kinds of damage: the roots of the indexes (pages 3
// to 6; every row can still be read) and the last pages, where the table's later rows live.
TEST_F(HistoryStoreTest, DamagedFileIsKeptAsideAndEveryReadableRowGoesOn)
{
    struct Case
    {
        const char *what;
        qint64 fromPage; // counted from 1; negative: from the end
        qint64 pages;
        bool allRowsReadable;
    };
    const Case cases[] = {{"index pages 3 to 6", 3, 4, true}, {"the last pages", -20, 16, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("History.sqlite"));
        {
            SQLiteHistoryStore store(folder.path());
            ASSERT_TRUE(store.ensureTag(QStringLiteral("Work"), QStringLiteral("#112233")).hasValue());
            QList<ClipboardItem> items;
            for (int i = 0; i < 300; ++i)
                items.append(
                    makeTextItem(QString(1000, QLatin1Char('a' + i % 26)) + QString::number(i), testNow().addSecs(i)));
            ASSERT_TRUE(store.upsertItems(items).hasValue());
        }
        QByteArray damaged;
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            ASSERT_GT(file.size(), 40 * 4096);
            file.seek(c.fromPage > 0 ? (c.fromPage - 1) * 4096 : file.size() + c.fromPage * 4096);
            file.write(QByteArray(c.pages * 4096, '\xa5'));
            file.close();
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            damaged = file.readAll();
        }

        SQLiteHistoryStore store(folder.path());
        const auto loaded = store.loadRecentItems(1000);
        ASSERT_TRUE(loaded.hasValue()) << qPrintable(loaded.error().description());
        if (c.allRowsReadable)
            EXPECT_EQ(loaded->size(), 300);
        else
            EXPECT_GT(loaded->size(), 100);
        const QStringList kept
            = QDir(folder.path()).entryList({QStringLiteral("History.sqlite.damaged-*")}, QDir::Files);
        ASSERT_FALSE(kept.isEmpty());
        const QString keptPath = folder.filePath(kept.first());
        const auto notice = store.takeNotice();
        ASSERT_TRUE(notice.has_value());
        EXPECT_EQ(notice->kind, HistoryStoreNotice::Kind::recoveredFromDamage);
        // Rows whose payload lies on a damaged page are copied as they are, and loads pass them over.
        EXPECT_TRUE(notice->message.startsWith(
            QStringLiteral("The history file %1 is damaged. Varnisto kept it as %2 and goes on with the ")
                .arg(path, keptPath)))
            << qPrintable(notice->message);
        EXPECT_TRUE(notice->message.endsWith(QStringLiteral(" items that could still be read from it.")));
        if (c.allRowsReadable)
            EXPECT_TRUE(notice->message.contains(QStringLiteral(" 300 items ")));
        EXPECT_FALSE(store.takeNotice().has_value()) << "told once";

        // The new file takes writes and keeps the tags; the damaged one is never written to.
        EXPECT_TRUE(store.upsert(makeTextItem(QStringLiteral("after the damage"))).hasValue());
        EXPECT_EQ(store.loadRecentItems(1000)->size(), loaded->size() + 1);
        ASSERT_TRUE(store.loadTags().hasValue());
        EXPECT_EQ(store.loadTags()->size(), 1);
        QFile keptFile(keptPath);
        ASSERT_TRUE(keptFile.open(QIODevice::ReadOnly));
        EXPECT_TRUE(keptFile.readAll() == damaged);
    }
}

// A history in a folder that cannot be written to is shown whole and never written to: no schema set-up, no
// migration, no writes. Every write is refused with the reason, until the folder can be written to again.
TEST_F(HistoryStoreTest, HistoryInAFolderThatCannotBeWrittenToIsShownAndNeverWritten)
{
    const QString folder = m_directory.filePath(QStringLiteral("Varnisto2"));
    ASSERT_TRUE(QDir().mkpath(folder));
    {
        SQLiteHistoryStore store(folder);
        QList<ClipboardItem> items;
        for (int i = 0; i < 300; ++i)
            items.append(makeTextItem(QStringLiteral("item %1").arg(i), testNow().addSecs(i)));
        ASSERT_TRUE(store.upsertItems(items).hasValue());
    }
    const QString path = folder + QStringLiteral("/History.sqlite");
    const auto contents = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = contents();
    const QStringList filesBefore = QDir(folder).entryList(QDir::Files);
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup));

    FilePermissionsApply permissions;
    ASSERT_TRUE(permissions.apply()) << "cannot take the file capabilities away from this root thread";
    {
        SQLiteHistoryStore store(folder);
        const auto loaded = store.loadRecentItems(1000);
        ASSERT_TRUE(loaded.hasValue()) << qPrintable(loaded.error().description());
        EXPECT_EQ(loaded->size(), 300);
        const QString reason = QStringLiteral("The history in %1 can only be read, because the folder cannot be "
                                              "written to. New copies are not kept until it can be written to.")
                                   .arg(folder);
        const auto notice = store.takeNotice();
        ASSERT_TRUE(notice.has_value());
        EXPECT_EQ(notice->kind, HistoryStoreNotice::Kind::readOnly);
        EXPECT_EQ(notice->message, reason);

        const auto captured = store.insertOrMerge(makeTextItem(QStringLiteral("new copy")), false);
        ASSERT_FALSE(captured.hasValue());
        EXPECT_EQ(captured.error().value(), HistoryStoreError::readOnly);
        EXPECT_EQ(captured.error().description(), reason);
        EXPECT_FALSE(store.deleteItem(loaded->first().id).hasValue());
        EXPECT_FALSE(store.ensureTag(QStringLiteral("Work"), QStringLiteral("#112233")).hasValue());
        EXPECT_EQ(store.loadRecentItems(1000)->size(), 300);
        EXPECT_TRUE(contents() == before);
        EXPECT_EQ(QDir(folder).entryList(QDir::Files), filesBefore);

        // Once the folder can be written to, the same store writes again.
        ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        EXPECT_TRUE(store.insertOrMerge(makeTextItem(QStringLiteral("new copy")), false).hasValue());
        EXPECT_EQ(store.loadRecentItems(1000)->size(), 301);
    }
}

TEST_F(HistoryStoreTest, StoredItemsComeBackNewestFirstWithTheirCopyTimeAndOtherDatesInWholeSeconds)
{
    SQLiteHistoryStore store(m_directory.path());
    ClipboardItem older = makeTextItem(QStringLiteral("older"), testNow().addMSecs(250));
    older.rtfData = QByteArray("{\\rtf1 older}");
    older.html = QStringLiteral("<b>older</b>");
    older.kind = ClipboardKind::richText;
    older.linkPreviewDetails = LinkPreviewDetails {QStringLiteral("https://example.com"), QStringLiteral("Example"),
        std::nullopt, QStringLiteral("/tmp/p.png"), std::nullopt, testNow().addMSecs(900)};
    older.copySequenceID = testNow().addMSecs(10);
    older.copySequenceOrder = 0;
    const ClipboardItem newer = makeTextItem(QStringLiteral("newer"), testNow().addSecs(5));
    ASSERT_TRUE(store.upsert(older).hasValue());
    ASSERT_TRUE(store.upsert(newer).hasValue());

    const QList<ClipboardItem> loaded = loadAll(store);
    ASSERT_EQ(loaded.size(), 2);
    EXPECT_EQ(loaded.at(0), storedForm(newer));
    EXPECT_EQ(loaded.at(1), storedForm(older));

    // The copy-time column keeps the fraction that the payload drops; the key column is the item's key.
    RawDatabase raw(databasePath());
    const auto row
        = raw.rows(QStringLiteral("SELECT copiedAt, contentKey, favorite, sourceApp, payload FROM clips WHERE id = ?"),
            {Coding::uuidString(older.id)});
    ASSERT_EQ(row.size(), 1);
    EXPECT_DOUBLE_EQ(row.at(0).at(0).toDouble(), double(testNow().toSecsSinceEpoch()) + 0.25);
    EXPECT_TRUE(row.at(0).at(4).toByteArray().contains("\"copiedAt\":\"2025-03-14T12:00:00Z\""));
    EXPECT_EQ(row.at(0).at(1).toString(), older.contentKey());
    EXPECT_EQ(row.at(0).at(2).toLongLong(), 0);
    EXPECT_EQ(row.at(0).at(3).toString(), QStringLiteral("Editor"));
}

TEST_F(HistoryStoreTest, LoadLimitCountsAndANonPositiveLimitMeansTheDefault)
{
    SQLiteHistoryStore store(m_directory.path());
    QList<ClipboardItem> items;
    for (int i = 0; i < HistoryStore::defaultRecentItemLimit + 1; ++i)
        items.append(makeTextItem(QStringLiteral("item %1").arg(i), testNow().addSecs(i)));
    ASSERT_TRUE(store.upsertItems(items).hasValue());

    const auto three = store.loadRecentItems(3);
    ASSERT_TRUE(three.hasValue());
    EXPECT_EQ(
        idsOf(*three), idsOf({items.at(items.size() - 1), items.at(items.size() - 2), items.at(items.size() - 3)}));
    for (const qint64 limit : {qint64(0), qint64(-1)}) {
        const auto loaded = store.loadRecentItems(limit);
        ASSERT_TRUE(loaded.hasValue());
        EXPECT_EQ(loaded->size(), HistoryStore::defaultRecentItemLimit) << limit;
    }
}

TEST_F(HistoryStoreTest, DamagedRowIsSkippedKeptByPruningAndNeverBlocksTheSameContent)
{
    SQLiteHistoryStore store(m_directory.path());
    const ClipboardItem damaged = makeTextItem(QStringLiteral("same words"), testNow().addDays(-30));
    const ClipboardItem healthy = makeTextItem(QStringLiteral("healthy"), testNow().addDays(-30));
    ASSERT_TRUE(store.upsertItems({damaged, healthy}).hasValue());
    {
        RawDatabase raw(databasePath());
        raw.exec(
            QStringLiteral("UPDATE clips SET payload = X'7B2269' WHERE id = '%1'").arg(Coding::uuidString(damaged.id)));
    }
    EXPECT_EQ(idsOf(loadAll(store)), idsOf({healthy}));

    // A new copy of the same content is stored as its own item instead of failing on the damaged one.
    const ClipboardItem again = makeTextItem(QStringLiteral("same words"), testNow());
    const auto stored = store.insertOrMerge(again, false);
    ASSERT_TRUE(stored.hasValue());
    EXPECT_EQ(stored->id, again.id);

    // Touching the damaged row reports why it cannot be read.
    const auto touched = store.touchItem(damaged.id, testNow(), true);
    ASSERT_FALSE(touched.hasValue());
    EXPECT_EQ(touched.error().value(), HistoryStoreError::decodingFailed);

    RetentionPolicy policy;
    policy.textRetentionDays = 1;
    policy.now = testNow();
    const auto pruned = store.pruneItems(policy);
    ASSERT_TRUE(pruned.hasValue());
    EXPECT_EQ(pruned->itemIDs, QList<QUuid> {healthy.id});
    const auto kept = store.clearHistory(true);
    ASSERT_TRUE(kept.hasValue());
    EXPECT_EQ(kept->itemIDs, QList<QUuid> {again.id});

    RawDatabase raw(databasePath());
    EXPECT_EQ(raw.value(QStringLiteral("SELECT COUNT(*) FROM clips")).toLongLong(), 1);
    const auto cleared = store.clearHistory(false);
    ASSERT_TRUE(cleared.hasValue());
    EXPECT_EQ(cleared->itemIDs, QList<QUuid> {damaged.id});
    EXPECT_EQ(raw.value(QStringLiteral("SELECT COUNT(*) FROM clips")).toLongLong(), 0);
}

TEST_F(HistoryStoreTest, RepeatedCopyMergesIntoTheStoredItem)
{
    SQLiteHistoryStore store(m_directory.path());
    const Tag work = *store.ensureTag(QStringLiteral("Work"), QStringLiteral("#112233"));

    ClipboardItem stored = makeTextItem(QString(), testNow().addDays(-3), ClipboardKind::file);
    stored.text.reset();
    stored.filePaths = {QStringLiteral("/home/u/a.txt"), QStringLiteral("/home/u/b.txt")};
    stored.isFavorite = true;
    stored.tags = {work.id};
    stored.title = QStringLiteral("Reports");
    stored.qrCodeText = QStringLiteral("qr");
    stored.copyCount = 4;
    stored.copySequenceID = testNow().addDays(-3);
    stored.copySequenceOrder = 2;
    stored = stored.refreshingSearchText({work.name});
    ASSERT_TRUE(store.upsert(stored).hasValue());
    ASSERT_TRUE(store.upsert(makeTextItem(QStringLiteral("in between"), testNow().addDays(-1))).hasValue());

    for (const bool sequenceMode : {false, true}) {
        ClipboardItem capture = makeTextItem(QString(), testNow(), ClipboardKind::file, QStringLiteral("Files"));
        capture.text.reset();
        capture.filePaths = {QStringLiteral("/home/u/./a.txt"), QStringLiteral("/home/u/b.txt")};
        capture.copySequenceID = testNow();
        capture.copySequenceOrder = 0;
        capture.byteSize = 77;
        capture = capture.refreshingSearchText({});

        const auto merged = store.insertOrMerge(capture, sequenceMode);
        ASSERT_TRUE(merged.hasValue());
        EXPECT_EQ(merged->id, stored.id);
        EXPECT_EQ(merged->firstCopiedAt, stored.firstCopiedAt);
        EXPECT_TRUE(merged->isFavorite);
        EXPECT_EQ(merged->tags, QList<qint64> {work.id});
        EXPECT_EQ(merged->title, QStringLiteral("Reports")) << "a capture without a title keeps the user's title";
        EXPECT_EQ(merged->qrCodeText, QStringLiteral("qr"));
        EXPECT_EQ(merged->copiedAt, testNow());
        EXPECT_EQ(merged->byteSize, 77);
        EXPECT_EQ(merged->filePaths, capture.filePaths);
        EXPECT_EQ(merged->sourceAppName, QStringLiteral("Files"));
        EXPECT_EQ(merged->copyCount, sequenceMode ? 6 : 5);
        EXPECT_EQ(merged->copySequenceOrder, sequenceMode ? 0 : 2);
        EXPECT_EQ(merged->searchText, merged->refreshingSearchText({QStringLiteral("Work")}).searchText);

        const QList<ClipboardItem> loaded = loadAll(store);
        ASSERT_EQ(loaded.size(), 2);
        EXPECT_EQ(loaded.first(), storedForm(*merged));
    }
}

TEST_F(HistoryStoreTest, DifferentContentIsStoredAsANewItem)
{
    SQLiteHistoryStore store(m_directory.path());
    const ClipboardItem first = makeTextItem(QStringLiteral("hello"), testNow().addSecs(-10));
    ASSERT_TRUE(store.insertOrMerge(first, false).hasValue());
    // Same text from another application is other content; so is the same text as an e-mail kind.
    const ClipboardItem otherApp
        = makeTextItem(QStringLiteral("hello"), testNow(), ClipboardKind::text, QStringLiteral("Terminal"));
    const ClipboardItem otherKind = makeTextItem(QStringLiteral("hello"), testNow(), ClipboardKind::email);
    for (const ClipboardItem &capture : {otherApp, otherKind}) {
        const auto stored = store.insertOrMerge(capture, false);
        ASSERT_TRUE(stored.hasValue());
        EXPECT_EQ(*stored, capture);
    }
    EXPECT_EQ(loadAll(store).size(), 3);
}

TEST_F(HistoryStoreTest, TouchingAnItemSetsItsCopyTimeAndCount)
{
    SQLiteHistoryStore store(m_directory.path());
    const ClipboardItem item = makeTextItem(QStringLiteral("pasted"), testNow().addDays(-2));
    ASSERT_TRUE(store.upsert(item).hasValue());

    const auto touched = store.touchItem(item.id, testNow(), true);
    ASSERT_TRUE(touched.hasValue());
    ASSERT_TRUE(touched->has_value());
    EXPECT_EQ((*touched)->copiedAt, testNow());
    EXPECT_EQ((*touched)->firstCopiedAt, item.firstCopiedAt);
    EXPECT_EQ((*touched)->copyCount, 2);
    EXPECT_EQ(loadAll(store).first(), storedForm(**touched));

    const auto counted = store.touchItem(item.id, std::nullopt, true);
    ASSERT_TRUE(counted.hasValue() && counted->has_value());
    EXPECT_EQ((*counted)->copyCount, 3);
    EXPECT_EQ((*counted)->copiedAt, testNow());

    const auto unknown = store.touchItem(QUuid::createUuid(), testNow(), true);
    ASSERT_TRUE(unknown.hasValue());
    EXPECT_FALSE(unknown->has_value());
    EXPECT_EQ(loadAll(store).size(), 1);
}

TEST_F(HistoryStoreTest, PruningRemovesOnlyExpiredItemsOfEachKindAndReportsThem)
{
    SQLiteHistoryStore store(m_directory.path());
    const Tag tag = *store.ensureTag(QStringLiteral("Keep"), QStringLiteral("#000000"));
    const QDateTime now = testNow();
    const QDateTime tenDaysAgo = now.toLocalTime().addDays(-10);

    ClipboardItem atCutoff = makeTextItem(QStringLiteral("exactly ten days"), tenDaysAgo);
    ClipboardItem justOlder = makeTextItem(QStringLiteral("a second more"), tenDaysAgo.addSecs(-1));
    ClipboardItem richOld = makeTextItem(QStringLiteral("rich"), now.addDays(-11), ClipboardKind::richText);
    ClipboardItem favorite = makeTextItem(QStringLiteral("favourite"), now.addDays(-400));
    favorite.isFavorite = true;
    ClipboardItem tagged = makeTextItem(QStringLiteral("tagged"), now.addDays(-400));
    tagged.tags = {tag.id};
    ClipboardItem oldImage = imageItem(now.addDays(-400), QStringLiteral("/data/Images/old.png"));
    ClipboardItem oldLink = makeTextItem(QStringLiteral("https://example.com"), now.addDays(-3), ClipboardKind::link);
    oldLink.linkPreviewDetails = LinkPreviewDetails {QStringLiteral("https://example.com"), std::nullopt, std::nullopt,
        QStringLiteral("/data/LinkPreviews/x-preview.png"), QStringLiteral("/data/LinkPreviews/x-favicon.png"), now};
    ClipboardItem freshLink = makeTextItem(QStringLiteral("https://example.org"), now.addDays(-1), ClipboardKind::link);
    ClipboardItem oldColor = makeTextItem(QStringLiteral("#FFAA00"), now.addDays(-400), ClipboardKind::color);
    ASSERT_TRUE(
        store.upsertItems({atCutoff, justOlder, richOld, favorite, tagged, oldImage, oldLink, freshLink, oldColor})
            .hasValue());

    RetentionPolicy policy;
    policy.now = now;
    policy.textRetentionDays = 10; // text and rich text
    policy.imageRetentionDays = -1; // images are kept forever
    policy.linkRetentionDays = 2;
    policy.colorRetentionDays = 0;
    const auto removal = store.pruneItems(policy);
    ASSERT_TRUE(removal.hasValue());
    EXPECT_EQ(QSet<QUuid>(removal->itemIDs.cbegin(), removal->itemIDs.cend()),
        QSet<QUuid>({justOlder.id, richOld.id, oldLink.id, oldColor.id}));
    EXPECT_EQ(removal->assetPaths,
        QStringList(
            {QStringLiteral("/data/LinkPreviews/x-preview.png"), QStringLiteral("/data/LinkPreviews/x-favicon.png")}));

    QStringList remaining = idsOf(loadAll(store));
    remaining.sort();
    QStringList expected = idsOf({atCutoff, favorite, tagged, oldImage, freshLink});
    expected.sort();
    EXPECT_EQ(remaining, expected);

    // The same prune again finds nothing more.
    const auto again = store.pruneItems(policy);
    ASSERT_TRUE(again.hasValue());
    EXPECT_TRUE(again->itemIDs.isEmpty());
}

TEST_F(HistoryStoreTest, ItemsThatBecomeExpirableAfterAPruneGoWithTheNextOne)
{
    SQLiteHistoryStore store(m_directory.path());
    const QDateTime now = testNow();
    ClipboardItem favorite = makeTextItem(QStringLiteral("was a favourite"), now.addDays(-100));
    favorite.isFavorite = true;
    ASSERT_TRUE(store.upsert(favorite).hasValue());

    RetentionPolicy policy;
    policy.now = now;
    policy.textRetentionDays = 0;
    // The capture that was just stored survives a retention of 0 days, but only this once.
    const ClipboardItem justCopied = makeTextItem(QStringLiteral("just copied"), now.addMSecs(-5));
    ASSERT_TRUE(store.upsert(justCopied).hasValue());
    policy.keptItemID = justCopied.id;
    auto removal = store.pruneItems(policy);
    ASSERT_TRUE(removal.hasValue());
    EXPECT_TRUE(removal->itemIDs.isEmpty());

    // Unmarking the favourite and writing an old item (as an import does) make both expirable.
    favorite.isFavorite = false;
    ASSERT_TRUE(store.upsert(favorite).hasValue());
    const ClipboardItem imported = makeTextItem(QStringLiteral("imported"), now.addDays(-50));
    ASSERT_TRUE(store.upsertItems({imported}).hasValue());

    policy.now = now.addSecs(1);
    policy.keptItemID.reset();
    removal = store.pruneItems(policy);
    ASSERT_TRUE(removal.hasValue());
    EXPECT_EQ(QSet<QUuid>(removal->itemIDs.cbegin(), removal->itemIDs.cend()),
        QSet<QUuid>({favorite.id, justCopied.id, imported.id}));
    EXPECT_TRUE(loadAll(store).isEmpty());
}

TEST_F(HistoryStoreTest, ClearingReportsWhatItRemoved)
{
    SQLiteHistoryStore store(m_directory.path());
    const Tag tag = *store.ensureTag(QStringLiteral("Keep"), QStringLiteral("#000000"));
    ClipboardItem favorite = imageItem(testNow(), QStringLiteral("/data/Images/fav.png"));
    favorite.isFavorite = true;
    ClipboardItem tagged = makeTextItem(QStringLiteral("tagged"));
    tagged.tags = {tag.id};
    const ClipboardItem plain = imageItem(testNow(), QStringLiteral("/data/Images/plain.png"));
    ASSERT_TRUE(store.upsertItems({favorite, tagged, plain}).hasValue());

    const auto keeping = store.clearHistory(true);
    ASSERT_TRUE(keeping.hasValue());
    EXPECT_EQ(*keeping, (HistoryRemoval {{plain.id}, {QStringLiteral("/data/Images/plain.png")}}));
    EXPECT_EQ(loadAll(store).size(), 2);

    const auto all = store.clearHistory(false);
    ASSERT_TRUE(all.hasValue());
    EXPECT_EQ(QSet<QUuid>(all->itemIDs.cbegin(), all->itemIDs.cend()), QSet<QUuid>({favorite.id, tagged.id}));
    EXPECT_EQ(all->assetPaths, QStringList {QStringLiteral("/data/Images/fav.png")});
    EXPECT_TRUE(loadAll(store).isEmpty());
    EXPECT_EQ(store.loadTags()->size(), 1) << "clearing leaves the tags";

    ASSERT_TRUE(store.deleteItem(QUuid::createUuid()).hasValue()) << "deleting an unknown id is no failure";
}

TEST_F(HistoryStoreTest, TagNamesAreUniqueWithoutRegardToLetterCase)
{
    SQLiteHistoryStore store(m_directory.path());
    const auto work = store.ensureTag(QStringLiteral("Work"), QStringLiteral("#112233"));
    ASSERT_TRUE(work.hasValue());
    const auto same = store.ensureTag(QStringLiteral("WORK"), QStringLiteral("#FFFFFF"));
    ASSERT_TRUE(same.hasValue());
    EXPECT_EQ(*same, *work) << "the stored name and colour come back";
    const Tag apple = *store.ensureTag(QStringLiteral("apple"), QStringLiteral("#00FF00"));
    const Tag banana = *store.ensureTag(QStringLiteral("Banana"), QStringLiteral("#FFFF00"));
    EXPECT_EQ(*store.loadTags(), QList<Tag>({apple, banana, *work}));

    const auto collision = store.updateTag(Tag {banana.id, QStringLiteral("work"), banana.color});
    ASSERT_FALSE(collision.hasValue());
    EXPECT_EQ(collision.error().value(), HistoryStoreError::stepFailed);
    EXPECT_EQ(collision.error().description(),
        QStringLiteral("Unable to write to the history database: UNIQUE constraint failed: tags.name"));

    const Tag unknown {9999, QStringLiteral("Ghost"), QStringLiteral("#000000")};
    const auto updated = store.updateTag(unknown);
    ASSERT_TRUE(updated.hasValue());
    EXPECT_EQ(*updated, unknown);
    EXPECT_EQ(store.loadTags()->size(), 3);

    // Ids are never handed out twice.
    ASSERT_TRUE(store.deleteTag(banana.id).hasValue());
    const Tag cherry = *store.ensureTag(QStringLiteral("Cherry"), QStringLiteral("#FF0000"));
    EXPECT_GT(cherry.id, banana.id);
}

TEST_F(HistoryStoreTest, RenamingOrDeletingATagRewritesEveryItemThatCarriesIt)
{
    SQLiteHistoryStore store(m_directory.path());
    const Tag work = *store.ensureTag(QStringLiteral("Work"), QStringLiteral("#112233"));
    const Tag home = *store.ensureTag(QStringLiteral("Home"), QStringLiteral("#445566"));
    ClipboardItem both = makeTextItem(QStringLiteral("both"));
    both.tags = {work.id, home.id};
    both = both.refreshingSearchText({work.name, home.name});
    ClipboardItem untagged = makeTextItem(QStringLiteral("untagged"));
    ASSERT_TRUE(store.upsertItems({both, untagged}).hasValue());

    ASSERT_TRUE(store.updateTag(Tag {work.id, QStringLiteral("Office"), work.color}).hasValue());
    auto loaded = loadAll(store);
    auto find = [&loaded](const QUuid &id) {
        return *std::find_if(loaded.cbegin(), loaded.cend(), [&id](const ClipboardItem &i) { return i.id == id; });
    };
    EXPECT_EQ(find(both.id).searchText, both.refreshingSearchText({QStringLiteral("Office"), home.name}).searchText);
    EXPECT_EQ(find(untagged.id), storedForm(untagged));

    ASSERT_TRUE(store.deleteTag(home.id).hasValue());
    loaded = loadAll(store);
    ClipboardItem expected = both;
    expected.tags = {work.id};
    expected = expected.refreshingSearchText({QStringLiteral("Office")});
    EXPECT_EQ(find(both.id), storedForm(expected));

    // The stored key follows the new search text, so a fresh copy of the rewritten item still merges into it.
    RawDatabase raw(databasePath());
    EXPECT_EQ(raw.value(QStringLiteral("SELECT contentKey FROM clips WHERE id = ?"), {Coding::uuidString(both.id)})
                  .toString(),
        expected.contentKey());
}

TEST_F(HistoryStoreTest, WorkerThreadAndMainThreadShareTheStore)
{
    SQLiteHistoryStore store(m_directory.path());
    QFuture<bool> worker = QtConcurrent::run([&store] {
        bool ok = true;
        for (int i = 0; i < 100; ++i)
            ok = store.upsert(makeTextItem(QStringLiteral("worker %1").arg(i))).hasValue() && ok;
        return ok;
    });
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(store.insertOrMerge(makeTextItem(QStringLiteral("main %1").arg(i)), false).hasValue());
    EXPECT_TRUE(worker.result());
    EXPECT_EQ(loadAll(store).size(), 200);
}

TEST_F(HistoryStoreTest, ReadersNeverBlockWritesAndAWriterOfAnotherProgramMakesThemFailAsBusy)
{
    SQLiteHistoryStore store(m_directory.path());
    const Tag work = *store.ensureTag(QStringLiteral("Work"), QStringLiteral("#112233"));
    ClipboardItem kept = makeTextItem(QStringLiteral("kept"), testNow().addSecs(-60));
    ASSERT_TRUE(store.upsert(kept).hasValue());

    // Another program (a backup, the sqlite3 shell) in the middle of a read.
    RawDatabase reader(databasePath());
    reader.exec(QStringLiteral("BEGIN; SELECT COUNT(*) FROM clips;"));
    const auto captured = store.insertOrMerge(makeTextItem(QStringLiteral("copied while read")), false);
    EXPECT_TRUE(captured.hasValue()) << qPrintable(captured ? QString() : captured.error().description());
    EXPECT_TRUE(store.upsertItems({makeTextItem(QStringLiteral("a")), makeTextItem(QStringLiteral("b"))}).hasValue());
    EXPECT_TRUE(store.touchItem(kept.id, testNow(), true).hasValue());
    kept.tags = {work.id};
    EXPECT_TRUE(store.upsert(kept.refreshingSearchText({work.name})).hasValue());
    EXPECT_TRUE(store.updateTag(Tag {work.id, QStringLiteral("Office"), work.color}).hasValue());
    EXPECT_EQ(reader.value(QStringLiteral("SELECT COUNT(*) FROM clips")).toLongLong(), 1) << "the reader's snapshot";
    reader.exec(QStringLiteral("COMMIT;"));
    EXPECT_EQ(loadAll(store).size(), 4);

    // Another program writing: the store waits a short while, then gives up with a failure it can tell apart.
    RawDatabase writer(databasePath());
    writer.exec(QStringLiteral("BEGIN IMMEDIATE;"));
    const ClipboardItem later = makeTextItem(QStringLiteral("copied while written"));
    QElapsedTimer waited;
    waited.start();
    const auto busy = store.insertOrMerge(later, false);
    const qint64 elapsed = waited.elapsed();
    ASSERT_FALSE(busy.hasValue());
    EXPECT_TRUE(busy.error().isDatabaseBusy()) << qPrintable(busy.error().description());
    EXPECT_EQ(
        busy.error().description(), QStringLiteral("Unable to write to the history database: database is locked"));
    // The wait is bounded well below anything a user would notice as a frozen window.
    EXPECT_LT(elapsed, 10 * SQLiteHistoryStore::busyTimeoutMilliseconds);
    const auto batch = store.upsertItems({later, makeTextItem(QStringLiteral("c"))});
    ASSERT_FALSE(batch.hasValue());
    EXPECT_TRUE(batch.error().isDatabaseBusy());
    EXPECT_TRUE(loadAll(store).size() == 4) << "reading goes on meanwhile";

    // Once the other program is done, the same capture is written.
    writer.exec(QStringLiteral("COMMIT;"));
    EXPECT_TRUE(store.insertOrMerge(later, false).hasValue());
    EXPECT_EQ(loadAll(store).size(), 5);

    // Failures of other kinds are no reason to wait and try again.
    const Tag other = *store.ensureTag(QStringLiteral("Other"), QStringLiteral("#000000"));
    const auto collision = store.updateTag(Tag {other.id, QStringLiteral("office"), other.color});
    ASSERT_FALSE(collision.hasValue());
    EXPECT_FALSE(collision.error().isDatabaseBusy());
    // An error made without SQLite's code, as a stand-in store makes it, is told by its message.
    EXPECT_TRUE(
        HistoryStoreError(HistoryStoreError::stepFailed, QStringLiteral("database is locked")).isDatabaseBusy());
}

TEST_F(HistoryStoreTest, DatabaseOfAnotherProgramIsReportedAndLeftAsItIs)
{
    const QList<std::pair<const char *, QString>> foreignSchemas {
        {"a clips table of another shape",
            QStringLiteral("CREATE TABLE clips (id INTEGER PRIMARY KEY, body TEXT, created REAL);"
                           "INSERT INTO clips (body, created) VALUES ('someone else''s note', 1.5);")},
        {"our clips beside a tags table of another shape",
            QStringLiteral("CREATE TABLE clips (id TEXT PRIMARY KEY, kind TEXT NOT NULL, copiedAt REAL NOT NULL, "
                           "favorite INTEGER NOT NULL, sourceApp TEXT, searchText TEXT NOT NULL, "
                           "payload BLOB NOT NULL);"
                           "CREATE TABLE tags (id INTEGER PRIMARY KEY, label TEXT);")},
        {"only tables of other names",
            QStringLiteral("CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT);"
                           "INSERT INTO notes (body) VALUES ('hello');")},
    };
    for (const auto &[name, schema] : foreignSchemas) {
        QTemporaryDir directory;
        const QString path = directory.filePath(QStringLiteral("History.sqlite"));
        {
            RawDatabase raw(path);
            raw.exec(schema);
        }
        const auto bytes = [&path] {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray before = bytes();
        ASSERT_FALSE(before.isEmpty()) << name;
        {
            SQLiteHistoryStore store(directory.path());
            const HistoryStoreError expected(HistoryStoreError::foreignDatabase, path);
            const auto loaded = store.loadRecentItems(10);
            ASSERT_FALSE(loaded.hasValue()) << name;
            EXPECT_EQ(loaded.error(), expected) << name;
            EXPECT_EQ(loaded.error().description(),
                QStringLiteral("Unable to open the Varnisto history database: %1 is not a Varnisto history. The file "
                               "was left unchanged.")
                    .arg(path));
            const auto captured = store.insertOrMerge(makeTextItem(QStringLiteral("copy")), false);
            ASSERT_FALSE(captured.hasValue()) << name;
            EXPECT_EQ(captured.error(), expected) << name;
            EXPECT_FALSE(captured.error().isDatabaseBusy()) << name;
            EXPECT_FALSE(store.ensureTag(QStringLiteral("Work"), QStringLiteral("#112233")).hasValue()) << name;
            EXPECT_FALSE(store.clearHistory(false).hasValue()) << name;
            EXPECT_FALSE(store.loadTags().hasValue()) << name;
        }
        EXPECT_EQ(bytes(), before) << name;
        EXPECT_EQ(QDir(directory.path()).entryList(QDir::Files), QStringList {QStringLiteral("History.sqlite")})
            << name;
    }
}

TEST_F(HistoryStoreTest, CopiesWithinOneSecondKeepTheirOrderAndTimesAcrossARestart)
{
    QList<ClipboardItem> copies;
    for (int i = 0; i < 5; ++i)
        copies.append(makeTextItem(QStringLiteral("copy %1").arg(i), testNow().addMSecs(100 + 150 * i)));
    QList<ClipboardItem> newestFirst(copies.crbegin(), copies.crend());
    {
        SQLiteHistoryStore store(m_directory.path());
        const Tag tag = *store.ensureTag(QStringLiteral("Work"), QStringLiteral("#112233"));
        newestFirst[2].tags = {tag.id};
        newestFirst[2] = newestFirst[2].refreshingSearchText({tag.name});
        for (const ClipboardItem &copy : copies)
            ASSERT_TRUE(store.insertOrMerge(copy, false).hasValue());
        ASSERT_TRUE(store.upsert(newestFirst[2]).hasValue());
    }

    SQLiteHistoryStore store(m_directory.path());
    const QList<ClipboardItem> loaded = loadAll(store);
    ASSERT_EQ(loaded.size(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(loaded.at(i).id, newestFirst.at(i).id) << i;
        EXPECT_EQ(loaded.at(i).copiedAt, newestFirst.at(i).copiedAt) << i;
    }
    const auto ids = store.loadItemIDs();
    ASSERT_TRUE(ids.hasValue());
    const auto byID = store.loadItems(*ids);
    ASSERT_TRUE(byID.hasValue());
    EXPECT_EQ(*byID, loaded);

    // Rewrites of stored rows keep the time: counting a copy, renaming a tag the item carries, a repeated copy
    // of another item.
    const auto counted = store.touchItem(newestFirst.at(1).id, std::nullopt, true);
    ASSERT_TRUE(counted.hasValue() && counted->has_value());
    EXPECT_EQ((*counted)->copiedAt, newestFirst.at(1).copiedAt);
    ASSERT_TRUE(store.updateTag(Tag {newestFirst.at(2).tags.first(), QStringLiteral("Office"), QStringLiteral("#1")})
                    .hasValue());
    const QList<ClipboardItem> rewritten = loadAll(store);
    ASSERT_EQ(rewritten.size(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(rewritten.at(i).copiedAt, newestFirst.at(i).copiedAt) << i;

    // The stored formats stay as they were: whole seconds in the payload.
    RawDatabase raw(databasePath());
    for (const auto &row : raw.rows(QStringLiteral("SELECT payload FROM clips")))
        EXPECT_TRUE(row.first().toByteArray().contains("\"copiedAt\":\"2025-03-14T12:00:00Z\""));
}
