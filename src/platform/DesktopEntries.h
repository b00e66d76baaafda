#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One application's desktop entry (a "*.desktop" file of type Application).
struct DesktopEntry
{
    QString id; // the desktop file id without ".desktop" ("org.gnome.TextEditor", "kde-kate")
    QString path; // absolute path of the file
    QString name; // Name, untranslated
    QHash<QString, QString> localizedNames; // Name[locale] by locale ("de", "pt_BR", "zh_CN")
    QString icon;
    QString startupWMClass;
    QString program; // the program that Exec (else TryExec) starts, as written there
    QString exec; // the Exec line with the escapes of the value resolved; its field codes are left in
    QString workingDirectory; // Path: the folder the program starts in; empty for none
    bool terminal = false; // Terminal: the program runs in a terminal window
    bool noDisplay = false; // NoDisplay: the entry is kept out of the desktop's lists of applications

    // Name in the interface language ("de", "pt-BR", "zh-Hans", ...), else the untranslated Name.
    QString localizedName(const QString &interfaceLanguage) const;
};

// What a window tells about the application that made it.
struct WindowIdentity
{
    QString applicationId; // a desktop file id the window names itself (_GTK_APPLICATION_ID and the like)
    QString instanceName; // WM_CLASS, first part
    QString className; // WM_CLASS, second part
    QString executablePath; // the executable of the window's process
};

// The desktop entries of the XDG applications folders, read when first needed and again when a folder changed.
// A file id found in an earlier folder hides the same id in later ones.
class DesktopEntries
{
public:
    // $XDG_DATA_HOME/applications, then the applications folder of each of $XDG_DATA_DIRS.
    static QStringList standardDirectories();

    explicit DesktopEntries(QStringList directories = standardDirectories());

    // One entry file, whatever folder it is in; nothing when it cannot be read, is hidden or is no application.
    static std::optional<DesktopEntry> read(const QString &path);
    // The arguments of an Exec line: separated by spaces, double quotes around an argument with its own escapes.
    static QStringList execArguments(const QString &exec);
    // The name the user knows the application of an entry file by: its Name in the interface language; the file's
    // name without ".desktop" when the entry cannot be read.
    static QString displayName(const QString &path, const QString &interfaceLanguage);

    // The entry of the application that made a window, tried in this order: the application id the window
    // names; an entry whose StartupWMClass is the window's class or instance name; an entry whose id is the
    // class or instance name (in any letter case), also as the last part of a reverse-domain id
    // ("org.kde.dolphin" for "dolphin"); an entry whose program is the window's executable.
    std::optional<DesktopEntry> match(const WindowIdentity &window);
    std::optional<DesktopEntry> entry(const QString &id);
    // The first entry whose Name, untranslated or in any language it gives, is exactly this one.
    std::optional<DesktopEntry> entryNamed(const QString &name);
    const QList<DesktopEntry> &entries();

private:
    void refreshIfChanged();
    void scan();
    QString resolvedProgram(const QString &program);

    QStringList m_directories;
    QList<DesktopEntry> m_entries;
    QHash<QString, QString> m_folderStamps; // every folder read, with what it looked like then
    QHash<QString, QString> m_resolvedPrograms;
    bool m_scanned = false;
};
