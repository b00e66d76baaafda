#include "HistoryArchiveCommands.h"

#include "AppModel.h"
#include "FileDialogPresenter.h"
#include "Localization.h"
#include "PasteboardMonitor.h"

#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

HistoryArchiveCommands::HistoryArchiveCommands(AppModel &model, HistoryStore &store,
    PasteboardMonitor &clipboardMonitor, FileDialogPresenter &fileDialogs, QString supportDirectory,
    std::function<void()> reloadHistory)
    : m_model(model)
    , m_store(store)
    , m_clipboardMonitor(clipboardMonitor)
    , m_fileDialogs(fileDialogs)
    , m_supportDirectory(std::move(supportDirectory))
    , m_reloadHistory(std::move(reloadHistory))
{ }

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

VarnistoArchiveProgress HistoryArchiveCommands::forwardedProgress(ArchiveProgress progress)
{
    if (!progress)
        return {};
    // The reports are queued to this object: once it is gone, none is delivered.
    return [this, progress = std::move(progress)](qint64 completed, qint64 total) {
        QMetaObject::invokeMethod(
            this, [progress, completed, total] { progress(completed, total); }, Qt::QueuedConnection);
    };
}

bool HistoryArchiveCommands::exportHistoryArchive(ArchiveProgress progress, ExportCompletion completion)
{
    if (m_running)
        return false;
    const std::optional<QString> chosen = m_fileDialogs.chooseSaveLocation(
        {localized(QStringLiteral("Export History and Tags")), QStringLiteral("Varnisto Export") + archiveSuffix,
            localized(QStringLiteral("Varnisto Archive")) + QStringLiteral(" (*") + archiveSuffix + QLatin1Char(')'),
            archiveSuffix.mid(1)});
    if (!chosen || chosen->isEmpty())
        return false;
    const QString destination = archiveDestination(*chosen);

    m_running = true;
    HistoryStore &store = m_store;
    const QString support = m_supportDirectory;
    const VarnistoArchiveProgress report = forwardedProgress(std::move(progress));
    // Every stored item goes into the archive, not only the ones the list holds.
    m_work = QtConcurrent::run([this, &store, support, destination, report, completion = std::move(completion)] {
        const VarnistoArchiveService service(m_fileManager, support);
        auto result = service.exportArchive(store, destination, report);
        QMetaObject::invokeMethod(
            this,
            [this, result = std::move(result), completion] {
                m_running = false;
                if (completion)
                    completion(result);
            },
            Qt::QueuedConnection);
    });
    return true;
}

bool HistoryArchiveCommands::importHistoryArchive(ArchiveProgress progress, ImportCompletion completion)
{
    if (m_running)
        return false;
    const std::optional<QString> chosen
        = m_fileDialogs.chooseFolder(localized(QStringLiteral("Import History and Tags")));
    if (!chosen || chosen->isEmpty())
        return false;

    m_running = true;
    // No capture while the import writes the store; a capture held for merging is dropped.
    m_clipboardMonitor.stop();
    HistoryStore &store = m_store;
    const QString support = m_supportDirectory;
    const QString archive = *chosen;
    const VarnistoArchiveProgress report = forwardedProgress(std::move(progress));
    m_work = QtConcurrent::run([this, &store, support, archive, report, completion = std::move(completion)] {
        const VarnistoArchiveService service(m_fileManager, support);
        auto result = service.importArchive(archive, store, report);
        QMetaObject::invokeMethod(
            this,
            [this, result = std::move(result), completion] {
                m_clipboardMonitor.start(m_model.preferences());
                // Also after a failure: what the import stored before it is in the history and the list shows it.
                m_reloadHistory();
                m_running = false;
                if (completion)
                    completion(result);
            },
            Qt::QueuedConnection);
    });
    return true;
}
