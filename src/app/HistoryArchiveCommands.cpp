#include "HistoryArchiveCommands.h"

#include "AppModel.h"
#include "FileDialogPresenter.h"
#include "Localization.h"

#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

HistoryArchiveCommands::HistoryArchiveCommands(AppCoordinator &coordinator) : m_coordinator(coordinator) { }

HistoryArchiveCommands::~HistoryArchiveCommands()
{
    m_work.waitForFinished();
}

QString HistoryArchiveCommands::archiveDestination(const QString &chosenPath)
{
    if (chosenPath.endsWith(archiveSuffix, Qt::CaseInsensitive))
        return chosenPath;
    return chosenPath + archiveSuffix;
}

VarnistoArchiveProgress HistoryArchiveCommands::forwardedProgress(AppCoordinator::ArchiveProgress progress)
{
    if (!progress)
        return {};
    // The reports are queued to this object: once it is gone, none is delivered.
    return [this, progress = std::move(progress)](qint64 completed, qint64 total) {
        QMetaObject::invokeMethod(
            this, [progress, completed, total] { progress(completed, total); }, Qt::QueuedConnection);
    };
}

bool HistoryArchiveCommands::exportHistoryArchive(
    AppCoordinator::ArchiveProgress progress, AppCoordinator::ExportCompletion completion)
{
    if (m_coordinator.isHistoryArchiveOperationRunning())
        return false;
    const std::optional<QString> chosen = m_coordinator.fileDialogs().chooseSaveLocation(
        {localized(QStringLiteral("Export History and Tags")), QStringLiteral("Varnisto Export") + archiveSuffix,
            localized(QStringLiteral("Varnisto Archive")) + QStringLiteral(" (*") + archiveSuffix + QLatin1Char(')'),
            archiveSuffix.mid(1)});
    if (!chosen || chosen->isEmpty())
        return false;
    const QString destination = archiveDestination(*chosen);

    m_coordinator.setHistoryArchiveOperationRunning(true);
    HistoryStore &store = m_coordinator.historyStore();
    const QString support = m_coordinator.supportDirectory();
    const VarnistoArchiveProgress report = forwardedProgress(std::move(progress));
    // Every stored item goes into the archive, not only the ones the list holds.
    m_work = QtConcurrent::run([this, &store, support, destination, report, completion = std::move(completion)] {
        const VarnistoArchiveService service(m_fileManager, support);
        auto result = service.exportArchive(store, destination, report);
        QMetaObject::invokeMethod(
            this,
            [this, result = std::move(result), completion] {
                m_coordinator.setHistoryArchiveOperationRunning(false);
                if (completion)
                    completion(result);
            },
            Qt::QueuedConnection);
    });
    return true;
}

bool HistoryArchiveCommands::importHistoryArchive(
    AppCoordinator::ArchiveProgress progress, AppCoordinator::ImportCompletion completion)
{
    if (m_coordinator.isHistoryArchiveOperationRunning())
        return false;
    const std::optional<QString> chosen
        = m_coordinator.fileDialogs().chooseFolder(localized(QStringLiteral("Import History and Tags")));
    if (!chosen || chosen->isEmpty())
        return false;

    m_coordinator.setHistoryArchiveOperationRunning(true);
    // No capture while the import writes the store; a capture held for merging is dropped.
    m_coordinator.clipboardMonitor().stop();
    HistoryStore &store = m_coordinator.historyStore();
    const QString support = m_coordinator.supportDirectory();
    const QString archive = *chosen;
    const VarnistoArchiveProgress report = forwardedProgress(std::move(progress));
    m_work = QtConcurrent::run([this, &store, support, archive, report, completion = std::move(completion)] {
        const VarnistoArchiveService service(m_fileManager, support);
        auto result = service.importArchive(archive, store, report);
        QMetaObject::invokeMethod(
            this,
            [this, result = std::move(result), completion] {
                m_coordinator.clipboardMonitor().start(m_coordinator.model().preferences());
                // Also after a failure: what the import stored before it is in the history and the list shows it.
                m_coordinator.loadHistory();
                m_coordinator.setHistoryArchiveOperationRunning(false);
                if (completion)
                    completion(result);
            },
            Qt::QueuedConnection);
    });
    return true;
}
