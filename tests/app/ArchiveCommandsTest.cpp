#include "CoordinatorTestSupport.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

namespace {

template<typename Result> struct Outcome
{
    std::optional<Result> result;
    bool onMainThread = false;
    bool flagWhenDone = true;
    QList<std::pair<qint64, qint64>> progress;
};

} // namespace

// Cancelling the dialog starts nothing.
TEST(HistoryArchive, ACancelledDialogStartsNothing)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.coordinator->start();
    h.fileDialogs.answer.reset();
    bool called = false;
    EXPECT_FALSE(
        h.coordinator->exportHistoryArchive([&](qint64, qint64) { called = true; }, [&](auto) { called = true; }));
    EXPECT_FALSE(
        h.coordinator->importHistoryArchive([&](qint64, qint64) { called = true; }, [&](auto) { called = true; }));
    EXPECT_FALSE(h.coordinator->isHistoryArchiveOperationRunning());
    QCoreApplication::processEvents();
    EXPECT_FALSE(called);
}

// The export writes every stored item (not only the loaded ones) into a folder that keeps its suffix; progress and
// the result come on the main thread, and no second operation starts meanwhile.
TEST(HistoryArchive, ExportWritesTheWholeStoredHistory)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences([](AppPreferences &p) { p.maxHistoryItems = 1; });
    h.storeItems(testItems(3));
    h.coordinator->start();
    ASSERT_EQ(h.model.items().size(), 1);
    h.fileDialogs.answer = h.root.filePath(QStringLiteral("My Export"));

    using Result = Expected<VarnistoArchiveExportResult, VarnistoArchiveError>;
    Outcome<Result> outcome;
    ASSERT_TRUE(h.coordinator->exportHistoryArchive(
        [&](qint64 done, qint64 total) {
            outcome.progress.append({done, total});
            outcome.onMainThread = QThread::currentThread() == qApp->thread();
        },
        [&](const Result &result) {
            outcome.result = result;
            outcome.onMainThread = outcome.onMainThread && QThread::currentThread() == qApp->thread();
            outcome.flagWhenDone = h.coordinator->isHistoryArchiveOperationRunning();
        }));
    ASSERT_EQ(h.fileDialogs.saveRequests.size(), 1);
    EXPECT_EQ(h.fileDialogs.saveRequests.first().proposedName, QStringLiteral("Varnisto Export.varnistoarchive"));
    EXPECT_TRUE(h.coordinator->isHistoryArchiveOperationRunning());
    EXPECT_FALSE(h.coordinator->exportHistoryArchive({}, {}));
    EXPECT_FALSE(h.coordinator->importHistoryArchive({}, {}));
    h.coordinator->showHistoryWindow(false, false);
    EXPECT_FALSE(h.historyWindowVisible());
    EXPECT_TRUE(h.monitor.isRunning()); // capture goes on during an export

    ASSERT_TRUE(waitUntil([&] { return outcome.result.has_value(); }));
    ASSERT_TRUE(*outcome.result);
    EXPECT_EQ((*outcome.result)->itemCount, 3);
    EXPECT_EQ((*outcome.result)->url, h.root.filePath(QStringLiteral("My Export.varnistoarchive")));
    EXPECT_TRUE(QFile::exists(h.root.filePath(QStringLiteral("My Export.varnistoarchive/history.json"))));
    EXPECT_TRUE(outcome.onMainThread);
    EXPECT_FALSE(outcome.progress.isEmpty());
    EXPECT_FALSE(outcome.flagWhenDone);
}

// An import pauses capture and keeps the history window shut; afterwards capture runs again and the list shows the
// history as stored, also after a failed import.
TEST(HistoryArchive, ImportAddsTheArchiveAndReloadsTheHistory)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems(testItems(3));
    h.coordinator->start();
    const QString archive = h.root.filePath(QStringLiteral("a.varnistoarchive"));
    h.fileDialogs.answer = archive;
    std::optional<bool> exported;
    ASSERT_TRUE(h.coordinator->exportHistoryArchive({}, [&](const auto &result) { exported = bool(result); }));
    ASSERT_TRUE(waitUntil([&] { return exported.has_value(); }));
    ASSERT_TRUE(*exported);
    h.changePreferences([](AppPreferences &p) { p.keepFavoritesOnClearHistory = false; });
    h.coordinator->clearHistory();
    ASSERT_TRUE(h.model.items().isEmpty());

    using Result = Expected<VarnistoArchiveImportResult, VarnistoArchiveError>;
    std::optional<Result> imported;
    ASSERT_TRUE(h.coordinator->importHistoryArchive({}, [&](const Result &result) { imported = result; }));
    EXPECT_EQ(h.fileDialogs.folderTitles, QStringList({QStringLiteral("Import History and Tags")}));
    EXPECT_FALSE(h.monitor.isRunning());
    h.coordinator->toggleHistoryWindow();
    EXPECT_FALSE(h.historyWindowVisible());
    ASSERT_TRUE(waitUntil([&] { return imported.has_value(); }));
    ASSERT_TRUE(*imported);
    EXPECT_EQ((*imported)->itemCount, 3);
    EXPECT_EQ(numbersOf(h.model.items()), QList<int>({3, 2, 1}));
    EXPECT_TRUE(h.monitor.isRunning());
    EXPECT_FALSE(h.coordinator->isHistoryArchiveOperationRunning());

    // An archive of a newer format is refused; capture runs again all the same.
    QFile manifest(archive + QStringLiteral("/manifest.json"));
    ASSERT_TRUE(manifest.open(QIODevice::ReadOnly));
    QJsonObject object = QJsonDocument::fromJson(manifest.readAll()).object();
    manifest.close();
    object.insert(QStringLiteral("formatVersion"), 7);
    ASSERT_TRUE(manifest.open(QIODevice::WriteOnly | QIODevice::Truncate));
    manifest.write(QJsonDocument(object).toJson());
    manifest.close();
    imported.reset();
    ASSERT_TRUE(h.coordinator->importHistoryArchive({}, [&](const Result &result) { imported = result; }));
    ASSERT_TRUE(waitUntil([&] { return imported.has_value(); }));
    ASSERT_FALSE(*imported);
    EXPECT_EQ(imported->error().errorDescription(), QStringLiteral("Varnisto archive version 7 is not supported."));
    EXPECT_TRUE(h.monitor.isRunning());
    EXPECT_FALSE(h.coordinator->isHistoryArchiveOperationRunning());
    EXPECT_FALSE(h.model.lastError());
}

// The folder dialog gives a QString, in which a folder name with a byte that is not UTF-8 reads with U+FFFD: the
// import finds the folder again from it. Where two names read alike, it says that the name cannot be read.
TEST(HistoryArchive, ImportFindsAFolderWhoseNameIsNotUtf8)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems(testItems(3));
    h.coordinator->start();
    const QString archive = h.root.filePath(QStringLiteral("a.varnistoarchive"));
    h.fileDialogs.answer = archive;
    std::optional<bool> exported;
    ASSERT_TRUE(h.coordinator->exportHistoryArchive({}, [&](const auto &result) { exported = bool(result); }));
    ASSERT_TRUE(waitUntil([&] { return exported.has_value(); }));
    ASSERT_TRUE(*exported);
    h.changePreferences([](AppPreferences &p) { p.keepFavoritesOnClearHistory = false; });
    h.coordinator->clearHistory();
    ASSERT_TRUE(h.model.items().isEmpty());

    // "Sicherung" and a Latin-1 "ä": the archive is moved into that folder.
    const QByteArray folder = QFile::encodeName(h.root.filePath(QStringLiteral("Sicherung"))) + "\xe4";
    const QByteArray moved = folder + "/a.varnistoarchive";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    ASSERT_EQ(::rename(QFile::encodeName(archive).constData(), moved.constData()), 0);
    const QByteArray twin = QFile::encodeName(h.root.filePath(QStringLiteral("Sicherung"))) + "\xf6";
    // Qt cannot remove these folders with the temporary one: put things back at the end.
    const auto restore = qScopeGuard([&] {
        ::rename(moved.constData(), QFile::encodeName(archive).constData());
        ::rmdir(folder.constData());
        ::rmdir(twin.constData());
    });
    const QString shown = QFile::decodeName(moved);
    ASSERT_TRUE(shown.contains(QChar::ReplacementCharacter));
    ASSERT_FALSE(QFileInfo::exists(shown));

    using Result = Expected<VarnistoArchiveImportResult, VarnistoArchiveError>;
    std::optional<Result> imported;
    h.fileDialogs.answer = shown;
    ASSERT_TRUE(h.coordinator->importHistoryArchive({}, [&](const Result &result) { imported = result; }));
    ASSERT_TRUE(waitUntil([&] { return imported.has_value(); }));
    ASSERT_TRUE(*imported) << qPrintable(imported->error().errorDescription());
    EXPECT_EQ((*imported)->itemCount, 3);
    EXPECT_EQ(numbersOf(h.model.items()), QList<int>({3, 2, 1}));

    // A second folder whose name reads the same: which one was meant cannot be told.
    ASSERT_EQ(::mkdir(twin.constData(), 0700), 0);
    imported.reset();
    ASSERT_TRUE(h.coordinator->importHistoryArchive({}, [&](const Result &result) { imported = result; }));
    ASSERT_TRUE(waitUntil([&] { return imported.has_value(); }));
    ASSERT_FALSE(*imported);
    EXPECT_EQ(imported->error().value(), VarnistoArchiveError::unreadableFolderName);
    EXPECT_EQ(imported->error().errorDescription(),
        QStringLiteral("The name of the folder %1 cannot be read. Rename the folder and try again.").arg(shown));
    EXPECT_TRUE(h.monitor.isRunning());
    EXPECT_FALSE(h.coordinator->isHistoryArchiveOperationRunning());
}
