#pragma once

#include "FileDialogPresenter.h"

// Qt's file dialogs, brought to the front over the application the user is working in.
class QtFileDialogPresenter final : public FileDialogPresenter
{
public:
    std::optional<QString> chooseSaveLocation(const SaveRequest &request) override;
    std::optional<QString> chooseFolder(const QString &title) override;
    void chooseSaveLocation(QWindow *window, const SaveRequest &request, Completion completion) override;
};
