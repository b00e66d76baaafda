#include "ArchiveTestSupport.h"
#include "HistoryStoreTestSupport.h"
#include "SQLiteHistoryStore.h"
#include "VarnistoArchiveService.h"

#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

class ArchiveImportTest : public ::testing::Test
{
protected:
    QString path(const QString &relative) const { return m_root.filePath(relative); }
    QString archive() const { return path(QStringLiteral("In.varnistoarchive")); }
    QString support() const
    {
        QDir().mkpath(path(QStringLiteral("Varnisto2")));
        return path(QStringLiteral("Varnisto2"));
    }

    VarnistoArchiveService::Result<VarnistoArchiveImportResult> import(HistoryStore &store)
    {
        return VarnistoArchiveService(m_files, support()).importArchive(archive(), store);
    }

    QTemporaryDir m_root;
    ArchiveFileManager m_files;
};

QString newID()
{
    return Coding::uuidString(QUuid::createUuid());
}

QJsonObject withAsset(QJsonObject record, const QString &assetPath)
{
    record.insert(QStringLiteral("assetPath"), assetPath);
    record.insert(QStringLiteral("kind"), QStringLiteral("image"));
    return record;
}

} // namespace

TEST_F(ArchiveImportTest, UnreadableArchiveIsRefusedBeforeAnythingIsWritten)
{
    const QJsonArray oneTag {QJsonObject {{QStringLiteral("id"), QStringLiteral("1")},
        {QStringLiteral("name"), QStringLiteral("Work")}, {QStringLiteral("color"), QStringLiteral("#112233")}}};
    const QJsonArray oneItem {itemRecord(newID())};
    QJsonObject withoutKind = itemRecord(newID());
    withoutKind.remove(QStringLiteral("kind"));
    QJsonObject fractionalDate = itemRecord(newID());
    fractionalDate.insert(QStringLiteral("copiedAt"), QStringLiteral("2025-03-14T12:00:00.5Z"));

    struct Case
    {
        const char *name;
        std::function<void(const QString &)> damage;
        VarnistoArchiveError::Value error;
        QString description;
    };
    const QList<Case> cases {
        {"newer format", [&](const QString &a) { writeArchive(a, manifestRecord(2), oneTag, oneItem); },
            VarnistoArchiveError::unsupportedVersion, QStringLiteral("Varnisto archive version 2 is not supported.")},
        {"no manifest",
            [&](const QString &a) {
                writeArchive(a, manifestRecord(), oneTag, oneItem);
                QFile::remove(a + QStringLiteral("/manifest.json"));
            },
            VarnistoArchiveError::missingFile, QStringLiteral("The archive is missing manifest.json.")},
        {"no tags",
            [&](const QString &a) {
                writeArchive(a, manifestRecord(), oneTag, oneItem);
                QFile::remove(a + QStringLiteral("/tags.json"));
            },
            VarnistoArchiveError::missingFile, QStringLiteral("The archive is missing tags.json.")},
        {"no history",
            [&](const QString &a) {
                writeArchive(a, manifestRecord(), oneTag, oneItem);
                QFile::remove(a + QStringLiteral("/history.json"));
            },
            VarnistoArchiveError::missingFile, QStringLiteral("The archive is missing history.json.")},
        {"history that is not JSON",
            [&](const QString &a) {
                writeArchive(a, manifestRecord(), oneTag, oneItem);
                writeFile(a + QStringLiteral("/history.json"), "[{\"id\": ");
            },
            VarnistoArchiveError::invalidFile, {}},
        {"text after the array",
            [&](const QString &a) {
                writeArchive(a, manifestRecord(), oneTag, oneItem);
                writeFile(a + QStringLiteral("/history.json"), QJsonDocument(oneItem).toJson() + "{}");
            },
            VarnistoArchiveError::invalidFile, {}},
        {"item without a kind",
            [&](const QString &a) {
                writeArchive(a, manifestRecord(), oneTag, QJsonArray {itemRecord(newID()), withoutKind});
            },
            VarnistoArchiveError::invalidFile, {}},
        {"date with a fraction",
            [&](const QString &a) { writeArchive(a, manifestRecord(), oneTag, QJsonArray {fractionalDate}); },
            VarnistoArchiveError::invalidFile, {}},
        {"history that is a folder",
            [&](const QString &a) {
                writeArchive(a, manifestRecord(), oneTag, oneItem);
                QFile::remove(a + QStringLiteral("/history.json"));
                QDir().mkpath(a + QStringLiteral("/history.json"));
            },
            VarnistoArchiveError::readFailed, {}},
        {"history beyond the size limit",
            [&](const QString &a) {
                writeArchive(a, manifestRecord(), oneTag, oneItem);
                // A sparse file: it claims more than a gibibyte without taking the room.
                ASSERT_EQ(::truncate(QFile::encodeName(a + QStringLiteral("/history.json")).constData(),
                              VarnistoArchiveService::maximumArchiveFileSize + 1),
                    0);
            },
            VarnistoArchiveError::fileTooLarge,
            QStringLiteral("The archive file history.json is too large to import.")},
    };
    for (const Case &c : cases) {
        QTemporaryDir folder;
        const QString archive = folder.filePath(QStringLiteral("a.varnistoarchive"));
        c.damage(archive);
        QDir().mkpath(folder.filePath(QStringLiteral("support")));
        SQLiteHistoryStore store(folder.filePath(QStringLiteral("support")));
        const auto result
            = VarnistoArchiveService(m_files, folder.filePath(QStringLiteral("support"))).importArchive(archive, store);
        ASSERT_FALSE(result.hasValue()) << c.name;
        EXPECT_EQ(result.error().value(), c.error) << c.name;
        if (!c.description.isEmpty()) {
            EXPECT_EQ(result.error().errorDescription(), c.description) << c.name;
        }
        EXPECT_TRUE(store.loadTags()->isEmpty()) << c.name;
        EXPECT_TRUE(store.loadRecentItems(10)->isEmpty()) << c.name;
    }
}

TEST_F(ArchiveImportTest, AssetPathThatLeavesTheArchiveOrIsNoPlainFileStopsTheImport)
{
    // Something outside the archive that must never be copied in.
    writeFile(path(QStringLiteral("secret/key.png")), "outside");
    writeFile(archive() + QStringLiteral("/assets/images/good.png"), "good");
    writeFile(archive() + QStringLiteral("/assets/images/a..b.png"), "dots");
    QDir().mkpath(archive() + QStringLiteral("/assets/images/folder.png"));
    QFile::link(path(QStringLiteral("secret/key.png")), archive() + QStringLiteral("/assets/images/link.png"));
    QFile::link(path(QStringLiteral("secret")), archive() + QStringLiteral("/assets/linked"));

    const QStringList hostile {
        QStringLiteral("../secret/key.png"),
        QStringLiteral("assets/../../secret/key.png"),
        path(QStringLiteral("secret/key.png")),
        QStringLiteral("assets/images/a..b.png"),
        QStringLiteral("assets/images/link.png"),
        QStringLiteral("assets/linked/key.png"),
        QStringLiteral("assets/images/folder.png"),
        QStringLiteral("assets/images/good.png\n"),
        QStringLiteral("assets/images/\u0007good.png"),
    };
    for (const QString &bad : hostile) {
        QTemporaryDir supportFolder;
        const QString before = newID();
        const QString after = newID();
        writeArchive(archive(), manifestRecord(), {},
            QJsonArray {withAsset(itemRecord(before), QStringLiteral("assets/images/good.png")),
                withAsset(itemRecord(newID()), bad), itemRecord(after)});
        SQLiteHistoryStore store(supportFolder.path());
        const auto result = VarnistoArchiveService(m_files, supportFolder.path()).importArchive(archive(), store);
        ASSERT_FALSE(result.hasValue()) << qPrintable(bad);
        EXPECT_EQ(result.error().value(), VarnistoArchiveError::invalidAssetPath) << qPrintable(bad);
        EXPECT_EQ(result.error().errorDescription(),
            QStringLiteral("The archive contains an invalid asset path: %1.").arg(bad));

        // The item before the bad one stays with its copy; nothing from outside came in; the rest is not read.
        const QList<ClipboardItem> items = *store.loadRecentItems(10);
        ASSERT_EQ(items.size(), 1) << qPrintable(bad);
        EXPECT_EQ(Coding::uuidString(items.first().id), before);
        EXPECT_EQ(QDir(supportFolder.filePath(QStringLiteral("Images"))).entryList(QDir::Files),
            QStringList {before + QStringLiteral(".png")});
    }
}

TEST_F(ArchiveImportTest, ImportingTwiceReplacesRowsButKeepsEveryCopiedFile)
{
    writeFile(archive() + QStringLiteral("/assets/images/x.jpeg"), "jpeg");
    writeFile(archive() + QStringLiteral("/assets/link-previews/icon"), "icon");
    const QString imageID = newID();
    const QString linkID = newID();
    QJsonObject link = itemRecord(linkID, QStringLiteral("https://example.com"));
    link.insert(QStringLiteral("kind"), QStringLiteral("link"));
    link.insert(QStringLiteral("linkPreviewDetails"),
        QJsonObject {{QStringLiteral("url"), QStringLiteral("https://example.com")},
            {QStringLiteral("faviconPath"), QStringLiteral("assets/link-previews/icon")},
            {QStringLiteral("imagePath"), QStringLiteral("assets/link-previews/not-there.png")},
            {QStringLiteral("fetchedAt"), QStringLiteral("2025-03-14T12:00:00Z")}});
    writeArchive(archive(), manifestRecord(), {},
        QJsonArray {withAsset(itemRecord(imageID), QStringLiteral("assets/images/x.jpeg")), link});

    SQLiteHistoryStore store(support());
    ASSERT_TRUE(import(store).hasValue());
    const auto second = import(store);
    ASSERT_TRUE(second.hasValue());
    EXPECT_EQ(second->itemCount, 2);

    const QList<ClipboardItem> items = *store.loadRecentItems(10);
    ASSERT_EQ(items.size(), 2);
    const auto find = [&items](const QString &id) {
        return *std::find_if(
            items.cbegin(), items.cend(), [&id](const ClipboardItem &i) { return Coding::uuidString(i.id) == id; });
    };
    EXPECT_EQ(find(imageID).assetPath, support() + QStringLiteral("/Images/") + imageID + QStringLiteral("-1.jpeg"));
    const LinkPreviewDetails preview = *find(linkID).linkPreviewDetails;
    EXPECT_EQ(
        preview.faviconPath, support() + QStringLiteral("/LinkPreviews/") + linkID + QStringLiteral("-favicon-1"));
    EXPECT_FALSE(preview.imagePath.has_value()) << "a file the archive lacks is no failure";
    QStringList images = QDir(support() + QStringLiteral("/Images")).entryList(QDir::Files);
    EXPECT_EQ(images, QStringList({imageID + QStringLiteral("-1.jpeg"), imageID + QStringLiteral(".jpeg")}));
}

TEST_F(ArchiveImportTest, TagsAreMatchedByNameAndItemsTakeTheStoresIds)
{
    SQLiteHistoryStore store(support());
    const Tag existing = *store.ensureTag(QStringLiteral("Work"), QStringLiteral("#FF0000"));
    writeArchive(archive(), manifestRecord(),
        QJsonArray {
            QJsonObject {{QStringLiteral("id"), QStringLiteral("7")}, {QStringLiteral("name"), QStringLiteral("WORK")},
                {QStringLiteral("color"), QStringLiteral("#00FF00")}},
            QJsonObject {{QStringLiteral("id"), QStringLiteral("8")}, {QStringLiteral("name"), QStringLiteral("Old")},
                {QStringLiteral("color"), QStringLiteral("#000000")}},
            QJsonObject {{QStringLiteral("id"), QStringLiteral("8")}, {QStringLiteral("name"), QStringLiteral("New")},
                {QStringLiteral("color"), QStringLiteral("#FFFFFF")}},
        },
        QJsonArray {[] {
            QJsonObject record = itemRecord(newID(), QStringLiteral("hello"));
            record.insert(
                QStringLiteral("tagIDs"), QJsonArray {QStringLiteral("7"), QStringLiteral("8"), QStringLiteral("9")});
            record.insert(QStringLiteral("tagNames"), QJsonArray {QStringLiteral("ignored")});
            record.insert(QStringLiteral("kind"), QStringLiteral("hologram"));
            record.insert(QStringLiteral("rtfBase64"), QStringLiteral("not base64!"));
            record.insert(QStringLiteral("sourceAppName"), QStringLiteral("Notes"));
            return record;
        }()});
    const auto result = import(store);
    ASSERT_TRUE(result.hasValue()) << qPrintable(result.error().errorDescription());
    EXPECT_EQ(result->tagCount, 3);

    const QList<Tag> tags = *store.loadTags();
    ASSERT_EQ(tags.size(), 3);
    EXPECT_EQ(tags.at(2), existing) << "the stored tag keeps its name and colour";
    const Tag newer = tags.at(0);
    EXPECT_EQ(newer.name, QStringLiteral("New"));
    const ClipboardItem item = store.loadRecentItems(10)->first();
    EXPECT_EQ(item.tags, QList<qint64>({existing.id, newer.id})) << "the later record with id 8 wins; 9 is unknown";
    EXPECT_EQ(item.searchText, QStringLiteral("hello  Work New Notes"));
    EXPECT_EQ(item.kind, ClipboardKind::text) << "a kind from a later version comes in as text";
    EXPECT_FALSE(item.rtfData.has_value());
    EXPECT_EQ(item.firstCopiedAt, QDateTime(QDate(2025, 3, 14), QTime(11, 0), Qt::UTC));
}

TEST_F(ArchiveImportTest, EmptyArchiveImportsNothingAndSaysSo)
{
    writeArchive(archive(), manifestRecord(0), {}, {});
    QList<std::pair<qint64, qint64>> calls;
    SQLiteHistoryStore store(support());
    const auto result
        = VarnistoArchiveService(m_files, support()).importArchive(archive(), store, [&](qint64 d, qint64 t) {
              calls.append({d, t});
          });
    ASSERT_TRUE(result.hasValue());
    EXPECT_EQ(result->itemCount, 0);
    EXPECT_EQ(result->tagCount, 0);
    EXPECT_EQ(calls, (QList<std::pair<qint64, qint64>> {{0, 0}}));
}

TEST_F(ArchiveImportTest, ManyTagsAreWrittenInOneTransactionWithProgressAlongTheWay)
{
    constexpr int tagCount = 20000;
    QJsonArray tags;
    for (int i = 1; i <= tagCount; ++i)
        tags.append(QJsonObject {{QStringLiteral("id"), QString::number(i)},
            {QStringLiteral("name"), QStringLiteral("Tag %1").arg(i)},
            {QStringLiteral("color"), QStringLiteral("#112233")}});
    QJsonObject item = itemRecord(newID());
    item.insert(QStringLiteral("tagIDs"), QJsonArray {QString::number(tagCount)});
    writeArchive(archive(), manifestRecord(), tags, QJsonArray {item});

    SQLiteHistoryStore store(support());
    // Another connection looks in while the tags are written: none of them is there before all of them are.
    RawDatabase observer(store.databasePath());
    QList<std::pair<qint64, qint64>> calls;
    QList<qint64> seenByObserver;
    const auto result
        = VarnistoArchiveService(m_files, support()).importArchive(archive(), store, [&](qint64 done, qint64 total) {
              calls.append({done, total});
              if (done > 0 && done <= tagCount && done % 5000 == 0)
                  seenByObserver.append(observer.value(QStringLiteral("SELECT COUNT(*) FROM tags")).toLongLong());
          });
    ASSERT_TRUE(result.hasValue()) << qPrintable(result.error().errorDescription());
    EXPECT_EQ(result->tagCount, tagCount);
    EXPECT_EQ(seenByObserver, QList<qint64>({0, 0, 0, 0}));
    QList<std::pair<qint64, qint64>> expected;
    for (qint64 done = 0; done <= tagCount + 1; ++done)
        expected.append({done, tagCount + 1});
    EXPECT_EQ(calls, expected) << "a step for each tag, then one for the item";

    EXPECT_EQ(observer.value(QStringLiteral("SELECT COUNT(*) FROM tags")).toLongLong(), tagCount);
    const QList<ClipboardItem> items = *store.loadRecentItems(10);
    ASSERT_EQ(items.size(), 1);
    ASSERT_EQ(items.first().tags.size(), 1);
    EXPECT_EQ(*store.ensureTag(QStringLiteral("Tag %1").arg(tagCount), QStringLiteral("#000000")),
        (Tag {items.first().tags.first(), QStringLiteral("Tag %1").arg(tagCount), QStringLiteral("#112233")}));
}

TEST_F(ArchiveImportTest, ArchiveInAFolderWhoseNameIsNotUtf8Imports)
{
    // Written where Qt can name it, then moved under a folder name with a byte that is not UTF-8, as a folder
    // from another system may have. Such a name has no QString that leads back to it.
    const QString id = newID();
    writeFile(archive() + QStringLiteral("/assets/images/shot.png"), "png bytes");
    QJsonObject record = withAsset(itemRecord(id), QStringLiteral("assets/images/shot.png"));
    record.insert(QStringLiteral("tagIDs"), QJsonArray {QStringLiteral("1")});
    writeArchive(archive(), manifestRecord(),
        QJsonArray {QJsonObject {{QStringLiteral("id"), QStringLiteral("1")},
            {QStringLiteral("name"), QStringLiteral("Work")}, {QStringLiteral("color"), QStringLiteral("#112233")}}},
        QJsonArray {record});
    const QByteArray folder = QFile::encodeName(path(QStringLiteral("Sicherung"))) + "\xff";
    const QByteArray moved = folder + "/In.varnistoarchive";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    ASSERT_EQ(::rename(QFile::encodeName(archive()).constData(), moved.constData()), 0);
    // Qt cannot list that folder to remove it with the temporary one: put things back at the end.
    const auto restore = qScopeGuard([&] {
        ::rename(moved.constData(), QFile::encodeName(archive()).constData());
        ::rmdir(folder.constData());
    });

    SQLiteHistoryStore store(support());
    const auto result = VarnistoArchiveService(m_files, support()).importArchiveAtNativePath(moved, store);
    ASSERT_TRUE(result.hasValue()) << qPrintable(result.error().errorDescription());
    EXPECT_EQ(result->itemCount, 1);
    const QList<ClipboardItem> items = *store.loadRecentItems(10);
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(Coding::uuidString(items.first().id), id);
    EXPECT_EQ(items.first().tags, QList<qint64> {store.loadTags()->first().id});
    ASSERT_TRUE(items.first().assetPath.has_value());
    EXPECT_EQ(readFile(*items.first().assetPath), QByteArray("png bytes"));
}
