#include "GeneralSettingsView.h"

#include "AppCoordinator.h"
#include "AppModel.h"
#include "AppearancePicker.h"
#include "HistoryWindowOpenStrategy.h"
#include "Localization.h"
#include "SettingsBlocks.h"
#include "UpdateService.h"

#include <QSystemTrayIcon>
#include <QVBoxLayout>

GeneralSettingsView::GeneralSettingsView(
    AppModel &model, AppCoordinator &coordinator, std::function<bool()> isTrayAvailable, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_coordinator(coordinator)
    , m_shownAppearance(model.preferences().appearance)
    , m_shownLanguage(model.preferences().language)
    , m_appliedLaunchAtLogin(model.preferences().launchAtLogin)
{
    const auto toggle = [&model](const QString &title, const QString &description, bool AppPreferences::*field) {
        return new SettingsToggle(title, description, PreferenceBinding<bool>(model, field));
    };
    const bool hasFeed = !AppcastUpdateService::configuredFeedURL().isEmpty();
    m_updateChecks = toggle(localized(QStringLiteral("Check for updates automatically")),
        hasFeed ? localized(QStringLiteral("Periodically check for a newer direct-download release."))
                : localized(QStringLiteral("This build has no update feed: your package manager brings updates.")),
        &AppPreferences::checkForUpdatesAutomatically);
    m_updateChecks->toggle().setEnabled(hasFeed);
    QString trayDescription = localized(QStringLiteral("Display the Varnisto icon in the system tray. You can always "
                                                       "open Settings by pressing Ctrl+, inside the clipboard history "
                                                       "window."));
    // Without a tray the switch changes nothing the user can see, and the tray's menu is not there to quit from.
    if (!(isTrayAvailable ? isTrayAvailable() : QSystemTrayIcon::isSystemTrayAvailable()))
        trayDescription += u'\n'
            + localized(QStringLiteral("This desktop shows no system tray. To quit Varnisto, press Ctrl+Q in this "
                                       "window."));
    m_trayIcon = toggle(
        localized(QStringLiteral("Show icon in system tray")), trayDescription, &AppPreferences::showMenuBarIcon);
    m_launchAtLogin = toggle(localized(QStringLiteral("Launch at login")),
        localized(QStringLiteral("Start Varnisto automatically when you sign in.")), &AppPreferences::launchAtLogin);
    const QList<QWidget *> startup = {
        m_launchAtLogin,
        toggle(localized(QStringLiteral("Show history window at startup")),
            localized(QStringLiteral("Open the clipboard history window when Varnisto starts.")),
            &AppPreferences::showMainWindowAtStartup),
        m_updateChecks,
    };

    m_appearance = new AppearancePicker(PreferenceBinding<AppAppearance>(model, &AppPreferences::appearance));
    // The languages are named in their own tongue, whatever the interface language is.
    m_language = new PreferencePicker(localized(QStringLiteral("Language")),
        {
            {QStringLiteral("English"), QStringLiteral("en")},
            {QStringLiteral("English (UK)"), QStringLiteral("en-GB")},
            {QStringLiteral("Deutsch"), QStringLiteral("de")},
            {QStringLiteral("Italiano"), QStringLiteral("it")},
            {QStringLiteral("Português (Brasil)"), QStringLiteral("pt-BR")},
            {QStringLiteral("Español"), QStringLiteral("es")},
            {QStringLiteral("日本語"), QStringLiteral("ja")},
            {QStringLiteral("简体中文"), QStringLiteral("zh-Hans")},
        },
        PreferenceBinding<QString>(model, &AppPreferences::language));
    const QList<QWidget *> appearance = {
        m_appearance,
        new PickerRow(localized(QStringLiteral("Language")),
            localized(QStringLiteral("Change the language of the user interface.")), m_language),
        m_trayIcon,
    };

    QList<PreferencePicker::Option> positions;
    for (HistoryWindowOpenStrategy::Value strategy : HistoryWindowOpenStrategy::allCases)
        positions.append({HistoryWindowOpenStrategy(strategy).title(), HistoryWindowOpenStrategy(strategy).rawValue()});
    m_windowPosition = new PreferencePicker(localized(QStringLiteral("Open window position")), positions,
        PreferenceBinding<QString>(model, &AppPreferences::openWindowStrategy));
    const QList<QWidget *> window = {
        new PickerRow(localized(QStringLiteral("Open window position")),
            localized(QStringLiteral("Choose where the clipboard history window appears.")), m_windowPosition),
    };

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(22);
    column->addWidget(new SettingsSectionGroup(std::nullopt, startup, this));
    column->addWidget(new SettingsSectionGroup(localized(QStringLiteral("Appearance")), appearance, this));
    column->addWidget(new SettingsSectionGroup(localized(QStringLiteral("Window")), window, this));
    connect(&m_model, &AppModel::preferencesChanged, this, &GeneralSettingsView::preferencesChanged);
}

void GeneralSettingsView::preferencesChanged()
{
    // A new theme or language, and the login entry, are applied at once (the switch never shows on while no entry is
    // there); the other switches wait for the window to close.
    const AppPreferences &preferences = m_model.preferences();
    if (preferences.appearance == m_shownAppearance && preferences.language == m_shownLanguage
        && preferences.launchAtLogin == m_appliedLaunchAtLogin)
        return;
    m_shownAppearance = preferences.appearance;
    m_shownLanguage = preferences.language;
    m_appliedLaunchAtLogin = preferences.launchAtLogin;
    m_coordinator.applyPreferences();
    m_shownLanguage = m_model.preferences().language;
}
