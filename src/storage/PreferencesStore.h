#pragma once

#include "AppPreferences.h"

#include <QString>

// Keeps the preferences as one JSON document in the user settings ($XDG_CONFIG_HOME/Varnisto/Varnisto.conf).
// It never fails towards its callers: a missing document loads the defaults, and a record that cannot be
// written is dropped. A document that is there but cannot be read is not lost: it is copied aside under
// unreadableKey before the defaults stand in for it, and the next save replaces only the main key.
class PreferencesStore
{
public:
    static constexpr QLatin1StringView key {"VarnistoPreferencesV2"};
    static constexpr QLatin1StringView unreadableKey {"VarnistoPreferencesV2.unreadable"};

    // The program's own settings file.
    PreferencesStore();
    // Another settings file in the same format.
    explicit PreferencesStore(QString settingsFilePath);

    // The stored record, or the default record. Reads the file again on every call.
    AppPreferences load() const;
    // Stores the whole record, replacing what was stored; a record that cannot be encoded writes nothing.
    void save(const AppPreferences &preferences) const;

    // The settings file the record is kept in; other settings of the program may live beside it.
    const QString &settingsFilePath() const { return m_settingsFilePath; }

private:
    QString m_settingsFilePath;
};
