#pragma once

#include "AppCoordinator.h"
#include "ArchiveFileManager.h"

#include <QFuture>
#include <QObject>
#include <QString>

// Export of the whole history to an archive folder, and import of one, each in the background: the dialogs run on
// the main thread, the archive work on a worker, and progress and the result come back on the main thread. One
// archive operation runs at a time; while it runs the history window stays closed, and during an import capture
// pauses. Main thread only.
class HistoryArchiveCommands final : public QObject
{
    Q_OBJECT

public:
    // The name an archive folder ends in, dot included.
    static inline const QString archiveSuffix = QStringLiteral(".varnistoarchive");

    explicit HistoryArchiveCommands(AppCoordinator &coordinator);
    // Waits for the operation still running: it works on the store, which must outlive it.
    ~HistoryArchiveCommands() override;

    bool exportHistoryArchive(AppCoordinator::ArchiveProgress progress, AppCoordinator::ExportCompletion completion);
    bool importHistoryArchive(AppCoordinator::ArchiveProgress progress, AppCoordinator::ImportCompletion completion);

    // The chosen export path, with the archive suffix added when it lacks it.
    static QString archiveDestination(const QString &chosenPath);

private:
    // A progress function for the worker that hands each report to the main thread.
    VarnistoArchiveProgress forwardedProgress(AppCoordinator::ArchiveProgress progress);

    AppCoordinator &m_coordinator;
    ArchiveFileManager m_fileManager;
    QFuture<void> m_work;
};
