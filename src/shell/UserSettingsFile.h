#pragma once

#include <QString>

#include <memory>

class QTemporaryDir;

// The user settings file ($XDG_CONFIG_HOME/Varnisto/Varnisto.conf): the preferences, the boot seen at the last start
// and the time of the last update check.
//
// Something at its path that is not a regular file (a FIFO, a folder, a device) is never opened: reading a FIFO waits
// until another program writes into it, and saving over any of them would destroy what the user put there. The
// program then keeps its settings in a file of a private temporary folder for this run only, and so starts with the
// default preferences.
class UserSettingsFile
{
public:
    // Looks at what stands at the path; reads nothing.
    explicit UserSettingsFile(QString path = standardPath());
    ~UserSettingsFile();
    UserSettingsFile(const UserSettingsFile &) = delete;
    UserSettingsFile &operator=(const UserSettingsFile &) = delete;

    // Where QSettings keeps the program's native settings, worked out without opening the file.
    static QString standardPath();
    // True unless something other than a regular file (or a link to one) stands at the path.
    static bool isUsable(const QString &path);

    // The file to read and write: the user's, or this run's stand-in.
    QString filePath() const;
    bool isStandIn() const { return m_standInFolder != nullptr; }
    // Why the user's file is not used, in the interface language; empty when it is used.
    QString problem() const;

private:
    QString m_path;
    std::unique_ptr<QTemporaryDir> m_standInFolder;
};
