#include "ArchiveTestSupport.h"
#include "HistoryStoreTestSupport.h"
#include "SQLiteHistoryStore.h"
#include "VarnistoArchiveService.h"

#include <QTemporaryDir>
#include <QThread>
#include <QtConcurrent>

#include <gtest/gtest.h>

namespace {

class ArchiveExportTest : public ::testing::Test
{
protected:
    QString path(const QString &relative) const { return m_root.filePath(relative); }
    // The support folder exists, as the application creates it at start-up.
    QString support() const
    {
        QDir().mkpath(path(QStringLiteral("Varnisto2")));
        return path(QStringLiteral("Varnisto2"));
    }

    QString asset(const QString &relative, const QByteArray &content)
    {
        writeFile(path(relative), content);
        return path(relative);
    }

    QTemporaryDir m_root;
    ArchiveFileManager m_files;
};

using Calls = QList<std::pair<qint64, qint64>>;

VarnistoArchiveProgress recordInto(Calls &calls)
{
    return [&calls](qint64 done, qint64 total) { calls.append({done, total}); };
}

Calls countingCalls(qint64 total)
{
    Calls calls;
    for (qint64 i = 0; i <= total; ++i)
        calls.append({i, total});
    return calls;
}

ClipboardItem imageItem(const QString &assetPath, int second = 0)
{
    ClipboardItem item = makeTextItem(QString(), testNow().addSecs(second), ClipboardKind::image);
    item.text.reset();
    item.assetPath = assetPath;
    return item.refreshingSearchText({});
}

} // namespace

TEST_F(ArchiveExportTest, RoundTripCarriesItemsTagsImagesAndPreviews)
{
    SQLiteHistoryStore source(support());
    (void)source.ensureTag(QStringLiteral("Scratch"), QStringLiteral("#000000"));
    (void)source.deleteTag(1); // so that the ids in the archive differ from the ones import hands out
    const Tag work = *source.ensureTag(QStringLiteral("Work"), QStringLiteral("#112233"));
    const Tag home = *source.ensureTag(QStringLiteral("Home"), QStringLiteral("#445566"));

    ClipboardItem note = makeTextItem(QStringLiteral("note"), testNow().addSecs(-1));
    note.title = QStringLiteral("My note");
    note.isFavorite = true;
    note.tags = {work.id, home.id};
    note.copySequenceID = testNow().addSecs(-60);
    note.copySequenceOrder = 3;
    note.copyCount = 7;
    note.firstCopiedAt = testNow().addDays(-5);
    note = note.refreshingSearchText({work.name, home.name});
    ClipboardItem rich = makeTextItem(QStringLiteral("bold"), testNow().addSecs(-2), ClipboardKind::richText);
    rich.rtfData = QByteArray("{\\rtf1 \\b bold}");
    rich.html = QStringLiteral("<b>bold</b>");
    const ClipboardItem image
        = imageItem(asset(QStringLiteral("Varnisto2/Images/shot.png"), "\x89PNG image bytes"), -3);
    ClipboardItem link
        = makeTextItem(QStringLiteral("https://example.com"), testNow().addSecs(-4), ClipboardKind::link);
    link.linkPreviewDetails = LinkPreviewDetails {QStringLiteral("https://example.com"), QStringLiteral("Example"),
        QStringLiteral("A page"), asset(QStringLiteral("Varnisto2/LinkPreviews/p.png"), "preview"),
        asset(QStringLiteral("Varnisto2/LinkPreviews/f.ico"), "icon"), testNow()};
    link = link.refreshingSearchText({});
    ClipboardItem file = makeTextItem(QString(), testNow().addSecs(-5), ClipboardKind::file);
    file.text.reset();
    file.filePaths = {QStringLiteral("/nowhere/report.pdf")};
    file = file.refreshingSearchText({});
    const QList<ClipboardItem> items {note, rich, image, link, file};
    ASSERT_TRUE(source.upsertItems(items).hasValue());

    const QString archive = path(QStringLiteral("Export/History.varnistoarchive"));
    Calls exportCalls;
    VarnistoArchiveService exporter(m_files, support());
    const auto exported = exporter.exportArchive(source, archive, recordInto(exportCalls));
    ASSERT_TRUE(exported.hasValue()) << qPrintable(exported.error().errorDescription());
    EXPECT_EQ(exported->url, archive);
    EXPECT_EQ(exported->itemCount, 5);
    EXPECT_EQ(exported->tagCount, 2);
    EXPECT_EQ(exportCalls, countingCalls(5));

    // The layout and the form of the files.
    EXPECT_EQ(QDir(archive).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList({QStringLiteral("assets"), QStringLiteral("history.json"), QStringLiteral("manifest.json"),
            QStringLiteral("tags.json")}));
    EXPECT_EQ(readFile(archive + QStringLiteral("/assets/images/shot.png")), QByteArray("\x89PNG image bytes"));
    const QJsonObject manifest = readJson(archive + QStringLiteral("/manifest.json")).object();
    EXPECT_EQ(manifest.value(QStringLiteral("formatVersion")).toInt(), 1);
    EXPECT_EQ(manifest.value(QStringLiteral("appName")).toString(), QStringLiteral("Varnisto"));
    EXPECT_TRUE(Coding::dateFromIso8601(manifest.value(QStringLiteral("exportedAt")).toString()).has_value());
    EXPECT_EQ(readJson(archive + QStringLiteral("/tags.json")).array(),
        QJsonArray({QJsonObject {{QStringLiteral("color"), QStringLiteral("#445566")},
                        {QStringLiteral("id"), QString::number(home.id)},
                        {QStringLiteral("name"), QStringLiteral("Home")}},
            QJsonObject {{QStringLiteral("color"), QStringLiteral("#112233")},
                {QStringLiteral("id"), QString::number(work.id)}, {QStringLiteral("name"), QStringLiteral("Work")}}}));
    const QByteArray historyText = readFile(archive + QStringLiteral("/history.json"));
    const QJsonArray history = QJsonDocument::fromJson(historyText).array();
    ASSERT_EQ(history.size(), 5);
    const QJsonObject noteRecord = history.at(0).toObject();
    EXPECT_EQ(noteRecord.value(QStringLiteral("tagIDs")).toArray(),
        QJsonArray({QString::number(work.id), QString::number(home.id)}));
    EXPECT_EQ(noteRecord.value(QStringLiteral("tagNames")).toArray(),
        QJsonArray({QStringLiteral("Work"), QStringLiteral("Home")}));
    EXPECT_FALSE(noteRecord.contains(QStringLiteral("searchText")));
    EXPECT_EQ(history.at(1).toObject().value(QStringLiteral("rtfBase64")).toString(),
        Coding::base64String(rich.rtfData.value()));
    EXPECT_EQ(history.at(3)
                  .toObject()
                  .value(QStringLiteral("linkPreviewDetails"))
                  .toObject()
                  .value(QStringLiteral("imagePath")),
        QStringLiteral("assets/link-previews/p.png"));
    // Pretty-printed with sorted keys, absent values left out rather than written as null.
    EXPECT_TRUE(historyText.contains("\n        \"byteSize\": "));
    EXPECT_LT(historyText.indexOf("\"byteSize\""), historyText.indexOf("\"copiedAt\""));
    EXPECT_FALSE(historyText.contains("null"));

    // Into another installation, on a worker thread as the application runs it.
    const QString otherSupport = path(QStringLiteral("Other/Varnisto2"));
    QDir().mkpath(otherSupport);
    SQLiteHistoryStore target(otherSupport);
    (void)target.ensureTag(QStringLiteral("Existing"), QStringLiteral("#ABCDEF"));
    Calls importCalls;
    QSet<QThread *> progressThreads;
    VarnistoArchiveService importer(m_files, otherSupport);
    const auto imported = QtConcurrent::run([&] {
        return importer.importArchive(archive, target, [&](qint64 done, qint64 total) {
            importCalls.append({done, total});
            progressThreads.insert(QThread::currentThread());
        });
    }).result();
    ASSERT_TRUE(imported.hasValue()) << qPrintable(imported.error().errorDescription());
    EXPECT_EQ(imported->itemCount, 5);
    EXPECT_EQ(imported->tagCount, 2);
    EXPECT_EQ(importCalls, countingCalls(2 + 5)) << "a step for each tag, then one for each item";
    EXPECT_FALSE(progressThreads.contains(QThread::currentThread()));

    const QList<Tag> tags = *target.loadTags();
    ASSERT_EQ(tags.size(), 3);
    const qint64 newHome = tags.at(1).id;
    const qint64 newWork = tags.at(2).id;
    const QString imported1 = Coding::uuidString(image.id);
    const QString linkID = Coding::uuidString(link.id);

    QList<ClipboardItem> expected = items;
    expected[0].tags = {newWork, newHome};
    expected[2].assetPath = otherSupport + QStringLiteral("/Images/") + imported1 + QStringLiteral(".png");
    expected[3].linkPreviewDetails->imagePath
        = otherSupport + QStringLiteral("/LinkPreviews/") + linkID + QStringLiteral("-preview.png");
    expected[3].linkPreviewDetails->faviconPath
        = otherSupport + QStringLiteral("/LinkPreviews/") + linkID + QStringLiteral("-favicon.ico");
    const QList<ClipboardItem> loaded = *target.loadRecentItems(10);
    ASSERT_EQ(loaded.size(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(loaded.at(i), storedForm(expected.at(i))) << i;
    EXPECT_EQ(readFile(*expected[2].assetPath), QByteArray("\x89PNG image bytes"));
    EXPECT_EQ(readFile(*expected[3].linkPreviewDetails->faviconPath), QByteArray("icon"));
}

TEST_F(ArchiveExportTest, AssetNamesNeverCollideAndMissingFilesAreLeftOut)
{
    const QList<ClipboardItem> items {
        imageItem(asset(QStringLiteral("a/shot.png"), "first")),
        imageItem(asset(QStringLiteral("b/shot.png"), "second")),
        imageItem(asset(QStringLiteral("c/shot.png"), "third")),
        imageItem(asset(QStringLiteral("a/plain"), "no extension")),
        imageItem(asset(QStringLiteral("b/plain"), "no extension either")),
        imageItem(path(QStringLiteral("deleted.png"))),
        imageItem(path(QStringLiteral("a"))), // a folder is no image file
    };
    ClipboardItem tagged = makeTextItem(QStringLiteral("tagged"));
    tagged.tags = {5, 99}; // 99 is not in the tag list
    const QString archive = path(QStringLiteral("out.varnistoarchive"));
    VarnistoArchiveService service(m_files, support());
    ASSERT_TRUE(service
                    .exportArchive(items + QList<ClipboardItem> {tagged},
                        {Tag {5, QStringLiteral("Five"), QStringLiteral("#555555")}}, archive)
                    .hasValue());

    const QJsonArray history = readJson(archive + QStringLiteral("/history.json")).array();
    QStringList assetPaths;
    for (const QJsonValue &record : history)
        assetPaths.append(record.toObject().value(QStringLiteral("assetPath")).toString(QStringLiteral("(none)")));
    EXPECT_EQ(assetPaths,
        QStringList({QStringLiteral("assets/images/shot.png"), QStringLiteral("assets/images/shot-1.png"),
            QStringLiteral("assets/images/shot-2.png"), QStringLiteral("assets/images/plain"),
            QStringLiteral("assets/images/plain-1"), QStringLiteral("(none)"), QStringLiteral("(none)"),
            QStringLiteral("(none)")}));
    EXPECT_EQ(readFile(archive + QStringLiteral("/assets/images/shot-2.png")), QByteArray("third"));
    const QJsonObject taggedRecord = history.at(7).toObject();
    EXPECT_EQ(taggedRecord.value(QStringLiteral("tagIDs")).toArray(),
        QJsonArray({QStringLiteral("5"), QStringLiteral("99")}));
    EXPECT_EQ(taggedRecord.value(QStringLiteral("tagNames")).toArray(), QJsonArray({QStringLiteral("Five")}));
    for (const char *absent : {"title", "rtfBase64", "linkPreviewDetails", "copySequenceID", "assetPath"})
        EXPECT_FALSE(taggedRecord.contains(QLatin1String(absent))) << absent;
}

TEST_F(ArchiveExportTest, EmptyHistoryGivesEmptyFilesAndBothAssetFolders)
{
    const QString archive = path(QStringLiteral("empty.varnistoarchive"));
    Calls calls;
    VarnistoArchiveService service(m_files, support());
    const auto exported = service.exportArchive({}, {}, archive, recordInto(calls));
    ASSERT_TRUE(exported.hasValue());
    EXPECT_EQ(calls, countingCalls(0));
    EXPECT_EQ(readJson(archive + QStringLiteral("/tags.json")).array(), QJsonArray());
    EXPECT_EQ(readJson(archive + QStringLiteral("/history.json")).array(), QJsonArray());
    EXPECT_TRUE(QFileInfo(archive + QStringLiteral("/assets/images")).isDir());
    EXPECT_TRUE(QFileInfo(archive + QStringLiteral("/assets/link-previews")).isDir());
}

TEST_F(ArchiveExportTest, ExportReplacesWhatStoodAtTheDestinationOnlyWhenItSucceeds)
{
    const QList<ClipboardItem> items {
        imageItem(asset(QStringLiteral("one.png"), "1")), imageItem(asset(QStringLiteral("two.png"), "2"))};
    const QString archive = path(QStringLiteral("Backups/History.varnistoarchive"));
    writeFile(archive + QStringLiteral("/old-only.txt"), "from before");

    // A copy fails halfway: the old archive is untouched and nothing is left beside it.
    FailingFileManager failing(1);
    const auto failed = VarnistoArchiveService(failing, support()).exportArchive(items, {}, archive);
    ASSERT_FALSE(failed.hasValue());
    EXPECT_EQ(failed.error().value(), VarnistoArchiveError::copyFailed);
    EXPECT_EQ(failed.error().errorDescription(),
        QStringLiteral("Unable to copy %1: No space left on device").arg(path(QStringLiteral("two.png"))));
    EXPECT_EQ(readFile(archive + QStringLiteral("/old-only.txt")), QByteArray("from before"));
    EXPECT_EQ(QDir(path(QStringLiteral("Backups"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList {QStringLiteral("History.varnistoarchive")});

    // A successful export replaces the old archive completely.
    VarnistoArchiveService service(m_files, support());
    ASSERT_TRUE(service.exportArchive(items, {}, archive).hasValue());
    EXPECT_FALSE(QFile::exists(archive + QStringLiteral("/old-only.txt")));
    EXPECT_EQ(readFile(archive + QStringLiteral("/assets/images/two.png")), QByteArray("2"));
    EXPECT_EQ(QDir(path(QStringLiteral("Backups"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList {QStringLiteral("History.varnistoarchive")});

    // A plain file at the destination gives way to the archive folder.
    const QString plain = path(QStringLiteral("Backups/plain.varnistoarchive"));
    writeFile(plain, "a file");
    ASSERT_TRUE(service.exportArchive(items, {}, plain).hasValue());
    EXPECT_TRUE(QFileInfo(plain + QStringLiteral("/history.json")).isFile());
}

TEST_F(ArchiveExportTest, DestinationThatOverlapsTheSupportFolderIsRefused)
{
    SQLiteHistoryStore store(support());
    ASSERT_TRUE(store.upsert(makeTextItem(QStringLiteral("precious"))).hasValue());
    QDir().mkpath(path(QStringLiteral("Link")));
    QFile::link(support(), path(QStringLiteral("Link/ToSupport")));
    VarnistoArchiveService service(m_files, support());
    for (const QString &destination : QStringList {support(), support() + QStringLiteral("/Export.varnistoarchive"),
             m_root.path(), path(QStringLiteral("Link/ToSupport/Inside.varnistoarchive"))}) {
        const auto result = service.exportArchive(store, destination);
        ASSERT_FALSE(result.hasValue()) << qPrintable(destination);
        EXPECT_EQ(result.error().value(), VarnistoArchiveError::destinationInsideSupportDirectory);
        EXPECT_TRUE(result.error().errorDescription().contains(destination));
    }
    EXPECT_EQ(store.loadRecentItems(10)->size(), 1);
    EXPECT_EQ(QDir(support()).entryList(QDir::Files),
        QStringList({QStringLiteral("History.sqlite"), QStringLiteral("History.sqlite-shm"),
            QStringLiteral("History.sqlite-wal")}));
}

TEST_F(ArchiveExportTest, ExportFromTheStoreWritesEveryStoredRowNewestFirst)
{
    SQLiteHistoryStore store(support());
    QList<ClipboardItem> items;
    for (int i = 0; i < 600; ++i)
        items.append(makeTextItem(QStringLiteral("item %1").arg(i), testNow().addSecs(i)));
    ASSERT_TRUE(store.upsertItems(items).hasValue());
    const QString archive = path(QStringLiteral("all.varnistoarchive"));
    Calls calls;
    const auto exported = VarnistoArchiveService(m_files, support()).exportArchive(store, archive, recordInto(calls));
    ASSERT_TRUE(exported.hasValue());
    EXPECT_EQ(exported->itemCount, 600);
    EXPECT_EQ(calls, countingCalls(600));
    const QJsonArray history = readJson(archive + QStringLiteral("/history.json")).array();
    ASSERT_EQ(history.size(), 600);
    EXPECT_EQ(history.first().toObject().value(QStringLiteral("text")).toString(), QStringLiteral("item 599"));
    EXPECT_EQ(history.last().toObject().value(QStringLiteral("text")).toString(), QStringLiteral("item 0"));
}
