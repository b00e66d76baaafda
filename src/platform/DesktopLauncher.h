#pragma once

#include "DesktopEntries.h"
#include "Expected.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

// One program start: what an application's desktop entry runs for a set of files or addresses.
struct DesktopLaunchCommand
{
    QString program;
    QStringList arguments;
    QString workingDirectory; // empty: the current one

    bool operator==(const DesktopLaunchCommand &) const = default;
};

// Hands files and addresses to other applications: to the default one, to a chosen one through its desktop entry,
// or to the file manager to show a file.
class DesktopLauncher
{
public:
    enum class Failure {
        unreadableEntry, // the desktop entry cannot be read or is no application
        noCommand, // its Exec line names no program
        startFailed, // the program could not be started
    };

    virtual ~DesktopLauncher() = default;

    // Opens the address with the application the desktop chose for it (a web address in the browser). False when
    // nothing could open it.
    virtual bool openURL(const QUrl &url) = 0;
    // Starts the application of the desktop entry with the files or addresses. The program is started directly
    // with its arguments, never through a shell.
    virtual Expected<void, Failure> openURLs(const QList<QUrl> &urls, const QString &desktopEntryPath) = 0;
    // Shows the file selected in the file manager; where no file manager offers that, opens its folder. When
    // neither can be done, `failed` is called (perhaps later: the file manager is asked without waiting for it).
    virtual void revealFile(const QString &path, std::function<void()> failed) = 0;

    // The program starts that the entry's Exec line asks for, its field codes expanded: %f and %u take one file
    // or address each (one start per item when there are several), %F and %U all of them, %i the icon, %c the
    // name, %k the entry's own path, %% a percent sign; the deprecated codes are dropped. A line without a file
    // code gets the files appended. Nothing when the line names no program.
    static QList<DesktopLaunchCommand> launchCommands(const DesktopEntry &entry, const QList<QUrl> &urls);
};

// The desktop's own services: the default applications through the desktop's URL handling, programs started
// detached, and the file manager over D-Bus (org.freedesktop.FileManager1).
class SystemDesktopLauncher final : public DesktopLauncher
{
public:
    bool openURL(const QUrl &url) override;
    Expected<void, Failure> openURLs(const QList<QUrl> &urls, const QString &desktopEntryPath) override;
    void revealFile(const QString &path, std::function<void()> failed) override;
};

// Records what it is asked to open instead of opening it.
class MemoryDesktopLauncher final : public DesktopLauncher
{
public:
    struct Launch
    {
        QList<QUrl> urls;
        QString desktopEntryPath;
        bool operator==(const Launch &) const = default;
    };

    bool openURL(const QUrl &url) override
    {
        openedURLs.append(url);
        return opens;
    }
    Expected<void, Failure> openURLs(const QList<QUrl> &urls, const QString &desktopEntryPath) override
    {
        launches.append({urls, desktopEntryPath});
        if (launchFailure)
            return Expected<void, Failure>::failure(*launchFailure);
        return {};
    }
    void revealFile(const QString &path, std::function<void()> failed) override
    {
        revealedPaths.append(path);
        if (!reveals && failed)
            failed();
    }

    QList<QUrl> openedURLs;
    QList<Launch> launches;
    QStringList revealedPaths;
    bool opens = true;
    bool reveals = true;
    std::optional<Failure> launchFailure;
};
