#include "CommandFeedback.h"

#include "AlertPresenter.h"
#include "AppModel.h"
#include "Localization.h"
#include "SoundService.h"

CommandFeedback::CommandFeedback(AppModel &model, SoundService &sounds, AlertPresenter &alerts)
    : m_model(model), m_sounds(sounds), m_alerts(alerts)
{ }

void CommandFeedback::playSound(SoundEffect effect)
{
    m_sounds.playIfEnabled(effect, SoundSwitches::from(m_model.preferences()));
}

void CommandFeedback::reportFailure(const CommandFailure &failure)
{
    m_model.setLastError(failure.description());
    showAccessibilityAlert(failure);
}

void CommandFeedback::showAccessibilityAlert(const CommandFailure &failure)
{
    if (!failure.isAccessibilityPermissionRequired())
        return;
    // This desktop has no permission to grant and no settings page to open: the display either takes synthetic
    // key input or it does not.
    m_alerts.inform(AlertPresenter::Style::warning, localized(QStringLiteral("Synthetic key input is required")),
        localized(QStringLiteral("Varnisto needs an X11 session whose display allows synthetic key input (the "
                                 "XTEST extension) to paste into the previously active app.")));
}
