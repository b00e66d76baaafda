#pragma once

#include <QObject>
#include <QString>

#include <optional>

class AppCoordinator;
class AppModel;

enum class ArchiveOperationKind { importArchive, exportArchive };

// How far an export or import has come, and how it ended.
struct ArchiveOperationProgress
{
    struct Result
    {
        bool succeeded = false;
        QString message; // in the interface language
        bool operator==(const Result &) const = default;
    };

    ArchiveOperationKind kind = ArchiveOperationKind::exportArchive;
    qint64 completedItemCount = 0;
    qint64 totalItemCount = 0;
    std::optional<Result> result; // none while it runs

    bool operator==(const ArchiveOperationProgress &) const = default;

    // "Exporting History", "History Exported", "Export Failed", and the same for an import.
    QString title() const;
    // "(100/250)" while it runs, else the result's message.
    QString status() const;
    // The bar: a value out of a maximum; a maximum of 0 is the indeterminate bar.
    std::pair<qint64, qint64> bar() const;
};

// The export or import the settings started, kept while the window lives so that the pane, opened again during
// one, shows how far it is. The coordinator's reports reach it on the main thread.
class ArchiveOperationTracker : public QObject
{
    Q_OBJECT

public:
    ArchiveOperationTracker(AppModel &model, AppCoordinator &coordinator, QObject *parent = nullptr);

    // Asks where to export, and follows the export; false when the user cancelled or another one runs.
    bool startExport();
    // Asks which archive to import, and follows the import; false as above.
    bool startImport();
    // The user dismissed the ended operation.
    void close();

    const std::optional<ArchiveOperationProgress> &progress() const { return m_progress; }
    // An operation runs or waits to be dismissed, here or started elsewhere (the tray menu).
    bool isBusy() const;

    void updateProgress(ArchiveOperationKind kind, qint64 done, qint64 total);
    void finish(ArchiveOperationKind kind, ArchiveOperationProgress::Result result, std::optional<qint64> count);

Q_SIGNALS:
    void progressChanged();

private:
    AppModel &m_model;
    AppCoordinator &m_coordinator;
    std::optional<ArchiveOperationProgress> m_progress;
};
