#pragma once

#include "ArchiveFileManager.h"
#include "Expected.h"
#include "VarnistoArchiveService.h"

#include <QFuture>
#include <QObject>
#include <QString>

#include <functional>

class AppModel;
class FileDialogPresenter;
class HistoryStore;
class PasteboardMonitor;

// Export of the whole history to an archive folder, and import of one, each in the background: the dialogs run on
// the main thread, the archive work on a worker, and progress and the result come back on the main thread. One
// archive operation runs at a time; while it runs the history window stays closed, and during an import capture
// pauses. Main thread only.
class HistoryArchiveCommands final : public QObject
{
    Q_OBJECT

public:
    using ArchiveProgress = std::function<void(qint64 completed, qint64 total)>;
    using ExportCompletion = std::function<void(const Expected<VarnistoArchiveExportResult, VarnistoArchiveError> &)>;
    using ImportCompletion = std::function<void(const Expected<VarnistoArchiveImportResult, VarnistoArchiveError> &)>;

    // The name an archive folder ends in, dot included.
    static inline const QString archiveSuffix = QStringLiteral(".varnistoarchive");

    // `reloadHistory` loads the history into the model afresh (after an import).
    HistoryArchiveCommands(AppModel &model, HistoryStore &store, PasteboardMonitor &clipboardMonitor,
        FileDialogPresenter &fileDialogs, QString supportDirectory, std::function<void()> reloadHistory);
    // Waits for the operation still running: it works on the store, which must outlive it.
    ~HistoryArchiveCommands() override;

    bool exportHistoryArchive(ArchiveProgress progress, ExportCompletion completion);
    bool importHistoryArchive(ArchiveProgress progress, ImportCompletion completion);

    // The windows stay closed while it is set.
    bool isRunning() const { return m_running; }

private:
    // What the tests look into.
    friend class AppCoordinatorProbe;

    // The chosen export path, with the archive suffix added when it lacks it.
    static QString archiveDestination(const QString &chosenPath);
    // A progress function for the worker that hands each report to the main thread.
    VarnistoArchiveProgress forwardedProgress(ArchiveProgress progress);

    AppModel &m_model;
    HistoryStore &m_store;
    PasteboardMonitor &m_clipboardMonitor;
    FileDialogPresenter &m_fileDialogs;
    const QString m_supportDirectory;
    const std::function<void()> m_reloadHistory;
    bool m_running = false;
    ArchiveFileManager m_fileManager;
    QFuture<void> m_work;
};
