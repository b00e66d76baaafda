#include "QtFileDialogPresenter.h"

#include "WindowActivation.h"

#include <QDir>
#include <QFileDialog>
#include <QWindow>

namespace {

void configureSave(QFileDialog &dialog, const FileDialogPresenter::SaveRequest &request)
{
    dialog.setWindowTitle(request.title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDirectory(QDir::homePath());
    dialog.selectFile(request.proposedName);
    if (!request.nameFilter.isEmpty())
        dialog.setNameFilter(request.nameFilter);
    dialog.setDefaultSuffix(request.defaultSuffix);
}

std::optional<QString> selectedPath(const QFileDialog &dialog)
{
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return std::nullopt;
    return files.first();
}

} // namespace

std::optional<QString> QtFileDialogPresenter::chooseSaveLocation(const SaveRequest &request)
{
    QFileDialog dialog;
    configureSave(dialog, request);
    WindowActivation::bringToFront(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return selectedPath(dialog);
}

std::optional<QString> QtFileDialogPresenter::chooseFolder(const QString &title)
{
    QFileDialog dialog;
    dialog.setWindowTitle(title);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setDirectory(QDir::homePath());
    WindowActivation::bringToFront(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return selectedPath(dialog);
}

void QtFileDialogPresenter::chooseSaveLocation(QWindow *window, const SaveRequest &request, Completion completion)
{
    auto *dialog = new QFileDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    configureSave(*dialog, request);
    if (window) {
        // A sheet of that window: modal to it alone, and kept above it.
        dialog->setWindowModality(Qt::WindowModal);
        dialog->winId();
        dialog->windowHandle()->setTransientParent(window);
    } else {
        dialog->setWindowModality(Qt::ApplicationModal);
    }
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, completion = std::move(completion)](int result) {
        completion(result == QDialog::Accepted ? selectedPath(*dialog) : std::nullopt);
    });
    dialog->open();
}
