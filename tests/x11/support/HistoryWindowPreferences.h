#pragma once

// The preferences the suites of the real program's history window start it with: onboarding done, no sounds, the
// window in the middle of the screen, in the given appearance, with whatever else the suite changes.

#include "PreferencesStore.h"

#include <QSettings>
#include <QString>

#include <functional>

// The settings file the program reads in this test run.
inline QString varnistoSettingsFile()
{
    return QSettings(
        QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Varnisto"), QStringLiteral("Varnisto"))
        .fileName();
}

inline void storeHistoryWindowPreferences(
    AppAppearance appearance, const std::function<void(AppPreferences &)> &change = {})
{
    PreferencesStore store(varnistoSettingsFile());
    AppPreferences preferences = store.load();
    preferences.hasCompletedOnboarding = true;
    preferences.soundEffectsEnabled = false;
    preferences.openWindowStrategy = QStringLiteral("activeScreenCenter");
    preferences.appearance = appearance;
    if (change)
        change(preferences);
    store.save(preferences);
}
