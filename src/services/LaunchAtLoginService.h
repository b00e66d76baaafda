#pragma once

#include "Expected.h"

#include <QString>

// Why the login item could not be changed.
struct LaunchAtLoginError
{
    enum class Code { folderNotCreated, entryNotWritten, entryNotRemoved };
    Code code;
    QString path; // the file or folder concerned

    // In the interface language.
    QString description() const;
};

// Starts the program when the user logs in, through an XDG autostart entry
// ("$XDG_CONFIG_HOME/autostart/varnisto.desktop").
class LaunchAtLoginService
{
public:
    // The user's autostart folder and this program's executable.
    LaunchAtLoginService();
    LaunchAtLoginService(QString autostartDirectory, QString executablePath);

    // Writes the entry (true) or removes it (false). Removing an entry that is not there succeeds.
    Expected<void, LaunchAtLoginError> setEnabled(bool enabled) const;
    // setEnabled, with a failure written to the log as "Varnisto launch-at-login update failed: " and its
    // description. Called each time the preferences are applied, whatever the previous state.
    void updateLaunchAtLogin(bool enabled) const;

    // Whether the entry is in place.
    bool isEnabled() const;
    QString entryPath() const;
    // The text of the entry this service writes.
    QString entryText() const;

    static QString defaultAutostartDirectory();

private:
    QString m_autostartDirectory;
    QString m_executablePath;
};
