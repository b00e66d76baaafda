#pragma once

#include <QString>

// Modal alerts. The application shows them with message boxes; tests answer them.
class AlertPresenter
{
public:
    enum class Style { informational, warning };

    virtual ~AlertPresenter() = default;

    // A notice with one button that dismisses it.
    virtual void inform(Style style, const QString &message, const QString &informativeText) = 0;
    // A warning that asks before something destructive: the first button goes ahead (and is marked as
    // destructive), the second cancels. True when the user chose the first.
    virtual bool confirm(const QString &message, const QString &informativeText, const QString &confirmButton,
        const QString &cancelButton)
        = 0;
};
