#pragma once

#include "AppAppearance.h"

#include <QString>
#include <QWidget>

#include <functional>

class AppCoordinator;
class AppModel;
class AppearancePicker;
class PreferencePicker;
class SettingsToggle;

// The General pane: start-up, update checks, theme, language, the tray icon and where the history window opens.
// The theme, the language and launching at login take effect at once: a change of any of them has the coordinator
// apply the preferences.
class GeneralSettingsView : public QWidget
{
    Q_OBJECT

public:
    // `isTrayAvailable` answers whether the desktop shows a system tray (unset: ask the desktop); without one the
    // tray icon's row says so, and how to quit.
    GeneralSettingsView(AppModel &model, AppCoordinator &coordinator, std::function<bool()> isTrayAvailable = {},
        QWidget *parent = nullptr);

    AppearancePicker &appearancePicker() const { return *m_appearance; }
    PreferencePicker &languagePicker() const { return *m_language; }
    PreferencePicker &windowPositionPicker() const { return *m_windowPosition; }
    SettingsToggle &updateChecks() const { return *m_updateChecks; }
    SettingsToggle &trayIcon() const { return *m_trayIcon; }
    SettingsToggle &launchAtLogin() const { return *m_launchAtLogin; }

private:
    void preferencesChanged();

    AppModel &m_model;
    AppCoordinator &m_coordinator;
    AppAppearance m_shownAppearance;
    QString m_shownLanguage;
    bool m_appliedLaunchAtLogin;
    AppearancePicker *m_appearance = nullptr;
    PreferencePicker *m_language = nullptr;
    PreferencePicker *m_windowPosition = nullptr;
    SettingsToggle *m_updateChecks = nullptr;
    SettingsToggle *m_trayIcon = nullptr;
    SettingsToggle *m_launchAtLogin = nullptr;
};
