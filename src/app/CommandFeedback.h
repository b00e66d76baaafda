#pragma once

#include "CommandFailure.h"
#include "SoundEffect.h"

class AlertPresenter;
class AppModel;
class SoundService;

// What the user hears and reads after a command, shared by the command groups: the effect's sound when the
// preferences' switches allow it, and a failure as the model's last error (with the alert that explains a paste
// without synthetic key input). Main thread only.
class CommandFeedback
{
public:
    CommandFeedback(AppModel &model, SoundService &sounds, AlertPresenter &alerts);

    // Plays the effect from its start when the sound switches allow it.
    void playSound(SoundEffect effect);
    // The failure as the model's last error, and the alert of the missing key input.
    void reportFailure(const CommandFailure &failure);
    // The alert that explains a paste without synthetic key input; other failures show nothing here.
    void showAccessibilityAlert(const CommandFailure &failure);

private:
    AppModel &m_model;
    SoundService &m_sounds;
    AlertPresenter &m_alerts;
};
