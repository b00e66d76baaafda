#include "ArchiveOperation.h"

#include "AppCoordinator.h"
#include "AppModel.h"
#include "Localization.h"

#include <QFileInfo>
#include <QPointer>

namespace {

// Each count carries its own noun so that "1 tag" and "10 items" both read right; the sentence has two counts
// and a plural form can follow only one.
QString itemCountText(qint64 count)
{
    return localized(QStringLiteral("%d items"), {count});
}

QString tagCountText(qint64 count)
{
    return localized(QStringLiteral("%d tags"), {count});
}

} // namespace

QString ArchiveOperationProgress::title() const
{
    const bool exporting = kind == ArchiveOperationKind::exportArchive;
    if (!result)
        return localized(exporting ? QStringLiteral("Exporting History") : QStringLiteral("Importing History"));
    if (result->succeeded)
        return localized(exporting ? QStringLiteral("History Exported") : QStringLiteral("History Imported"));
    return localized(exporting ? QStringLiteral("Export Failed") : QStringLiteral("Import Failed"));
}

QString ArchiveOperationProgress::status() const
{
    if (result)
        return result->message;
    return localized(QStringLiteral("(%d/%d)"), {completedItemCount, totalItemCount});
}

std::pair<qint64, qint64> ArchiveOperationProgress::bar() const
{
    if (totalItemCount >= 1)
        return {std::clamp<qint64>(completedItemCount, 0, totalItemCount), totalItemCount};
    if (result)
        return {1, 1};
    return {0, 0};
}

ArchiveOperationTracker::ArchiveOperationTracker(AppModel &model, AppCoordinator &coordinator, QObject *parent)
    : QObject(parent), m_model(model), m_coordinator(coordinator)
{ }

bool ArchiveOperationTracker::isBusy() const
{
    return m_progress.has_value() || m_coordinator.isHistoryArchiveOperationRunning();
}

bool ArchiveOperationTracker::startExport()
{
    if (isBusy())
        return false;
    QPointer<ArchiveOperationTracker> self(this);
    const qint64 total = m_model.items().size();
    const bool started = m_coordinator.exportHistoryArchive(
        [self](qint64 done, qint64 total) {
            if (self)
                self->updateProgress(ArchiveOperationKind::exportArchive, done, total);
        },
        [self](const Expected<VarnistoArchiveExportResult, VarnistoArchiveError> &result) {
            if (!self)
                return;
            if (result) {
                self->finish(ArchiveOperationKind::exportArchive,
                    {true,
                        localized(QStringLiteral("Exported %@ and %@ to %@."),
                            {itemCountText(result->itemCount), tagCountText(result->tagCount),
                                QFileInfo(result->url).fileName()})},
                    result->itemCount);
            } else {
                self->finish(
                    ArchiveOperationKind::exportArchive, {false, result.error().errorDescription()}, std::nullopt);
            }
        });
    if (!started)
        return false;
    // Reports that came while the dialog was up have set the record already.
    if (!m_progress)
        m_progress = ArchiveOperationProgress {ArchiveOperationKind::exportArchive, 0, total, std::nullopt};
    Q_EMIT progressChanged();
    return true;
}

bool ArchiveOperationTracker::startImport()
{
    if (isBusy())
        return false;
    QPointer<ArchiveOperationTracker> self(this);
    const bool started = m_coordinator.importHistoryArchive(
        [self](qint64 done, qint64 total) {
            if (self)
                self->updateProgress(ArchiveOperationKind::importArchive, done, total);
        },
        [self](const Expected<VarnistoArchiveImportResult, VarnistoArchiveError> &result) {
            if (!self)
                return;
            if (result) {
                self->finish(ArchiveOperationKind::importArchive,
                    {true,
                        localized(QStringLiteral("Imported %@ and %@."),
                            {itemCountText(result->itemCount), tagCountText(result->tagCount)})},
                    result->itemCount);
            } else {
                self->finish(
                    ArchiveOperationKind::importArchive, {false, result.error().errorDescription()}, std::nullopt);
            }
        });
    if (!started)
        return false;
    if (!m_progress)
        m_progress = ArchiveOperationProgress {ArchiveOperationKind::importArchive, 0, 0, std::nullopt};
    Q_EMIT progressChanged();
    return true;
}

void ArchiveOperationTracker::updateProgress(ArchiveOperationKind kind, qint64 done, qint64 total)
{
    std::optional<ArchiveOperationProgress::Result> result;
    if (m_progress)
        result = m_progress->result;
    m_progress = ArchiveOperationProgress {kind, done, total, result};
    Q_EMIT progressChanged();
}

void ArchiveOperationTracker::finish(
    ArchiveOperationKind kind, ArchiveOperationProgress::Result result, std::optional<qint64> count)
{
    ArchiveOperationProgress progress = m_progress.value_or(ArchiveOperationProgress {kind, 0, 0, std::nullopt});
    progress.kind = kind;
    if (count) {
        progress.completedItemCount = *count;
        progress.totalItemCount = *count;
    }
    progress.result = std::move(result);
    m_progress = progress;
    Q_EMIT progressChanged();
}

void ArchiveOperationTracker::close()
{
    if (!m_progress || !m_progress->result)
        return;
    m_progress.reset();
    Q_EMIT progressChanged();
}
