#pragma once

#include "AppPreferences.h"
#include "SoundEffect.h"

#include <QWidget>

class AppCoordinator;
class AppModel;
class SettingsSectionGroup;
class SettingsToggle;

// The Sounds pane: one switch per sound effect. Switching one on plays it once, so the user hears the choice. The
// master switch lives in the window's header; while it is off the switches here are greyed and keep their values.
class SoundsSettingsView : public QWidget
{
    Q_OBJECT

public:
    SoundsSettingsView(AppModel &model, AppCoordinator &coordinator, QWidget *parent = nullptr);

    static bool AppPreferences::*preferenceField(SoundEffect effect);
    SettingsToggle &toggle(SoundEffect effect) const { return *m_toggles.at(int(effect)); }
    SettingsSectionGroup &group() const { return *m_group; }

private:
    void refresh();

    AppModel &m_model;
    QList<SettingsToggle *> m_toggles;
    SettingsSectionGroup *m_group = nullptr;
};
