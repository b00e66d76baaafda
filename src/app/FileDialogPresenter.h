#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

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
    virtual void chooseSaveLocation(QWidget *window, const SaveRequest &request, Completion completion) = 0;
};

// Qt's file dialogs, brought to the front over the application the user is working in.
class QtFileDialogPresenter final : public FileDialogPresenter
{
public:
    std::optional<QString> chooseSaveLocation(const SaveRequest &request) override;
    std::optional<QString> chooseFolder(const QString &title) override;
    void chooseSaveLocation(QWidget *window, const SaveRequest &request, Completion completion) override;
};
