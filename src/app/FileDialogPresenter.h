#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWindow;

// The file dialogs of the commands. The application shows Qt's file dialogs; tests answer them.
class FileDialogPresenter
{
public:
    struct SaveRequest
    {
        QString title;
        QString proposedName; // the file name offered at first
        QString nameFilter; // "PNG image (*.png)"; empty: any name
        QString defaultSuffix; // without the dot; added to a name typed without it
    };
    using Completion = std::function<void(const std::optional<QString> &path)>;

    virtual ~FileDialogPresenter() = default;

    // Asks for a path to save to and waits for the answer; nothing when the user cancelled.
    virtual std::optional<QString> chooseSaveLocation(const SaveRequest &request) = 0;
    // Asks for one folder and waits for the answer; nothing when the user cancelled.
    virtual std::optional<QString> chooseFolder(const QString &title) = 0;
    // Asks for a path to save to in a dialog that belongs to the window (none: to no window) without waiting;
    // the completion gets the answer later.
    virtual void chooseSaveLocation(QWindow *window, const SaveRequest &request, Completion completion) = 0;
};
