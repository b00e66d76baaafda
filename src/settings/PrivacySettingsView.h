#pragma once

#include "IgnoredApplicationsList.h"

#include <QString>
#include <QWidget>

class AppCoordinator;
class AppModel;
struct AppPreferences;

// The Privacy pane: the two marker switches of capture and the applications while which nothing is captured. They
// take effect at once: a change of any of them has the coordinator apply the preferences, so that capture skips
// what the user has just kept out while the settings are still open.
class PrivacySettingsView : public QWidget
{
    Q_OBJECT

public:
    PrivacySettingsView(AppModel &model, AppCoordinator &coordinator,
        IgnoredApplicationsList::ApplicationChooser chooser = {}, QWidget *parent = nullptr);

    IgnoredApplicationsList &ignoredApplications() const { return *m_list; }

private:
    struct Exclusions
    {
        bool ignoreConcealedContent = true;
        bool ignoreTransientContent = true;
        QString ignoredAppsText;
        bool operator==(const Exclusions &) const = default;
    };
    static Exclusions exclusionsOf(const AppPreferences &preferences);
    void preferencesChanged();

    AppModel &m_model;
    AppCoordinator &m_coordinator;
    Exclusions m_applied;
    IgnoredApplicationsList *m_list = nullptr;
};
