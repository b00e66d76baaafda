#pragma once

#include "AlertPresenter.h"

// Alerts as message boxes, brought to the front over the application the user is working in.
class MessageBoxAlertPresenter final : public AlertPresenter
{
public:
    void inform(Style style, const QString &message, const QString &informativeText) override;
    bool confirm(const QString &message, const QString &informativeText, const QString &confirmButton,
        const QString &cancelButton) override;
};
