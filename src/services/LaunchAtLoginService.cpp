#include "LaunchAtLoginService.h"

#include "Localization.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// A command-line argument quoted as desktop entries want it, when it needs quoting.
QString quotedExecArgument(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\r\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = argument.isEmpty();
    for (const QChar c : argument)
        needsQuotes = needsQuotes || reserved.contains(c);
    QString escaped = argument;
    // Inside quotes, ", `, $ and \ are escaped with a backslash; "%" is written "%%" everywhere.
    if (needsQuotes) {
        escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        escaped.replace(QLatin1Char('"'), QLatin1String("\\\""));
        escaped.replace(QLatin1Char('`'), QLatin1String("\\`"));
        escaped.replace(QLatin1Char('$'), QLatin1String("\\$"));
    }
    escaped.replace(QLatin1Char('%'), QLatin1String("%%"));
    // The desktop-entry value itself escapes the backslash once more.
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    escaped.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    escaped.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return needsQuotes ? QLatin1Char('"') + escaped + QLatin1Char('"') : escaped;
}

} // namespace

QString LaunchAtLoginError::description() const
{
    switch (code) {
    case Code::folderNotCreated:
        return localized(QStringLiteral("The autostart folder “%@” could not be created."), {path});
    case Code::entryNotWritten:
        return localized(QStringLiteral("The autostart entry “%@” could not be written."), {path});
    case Code::entryNotRemoved:
        return localized(QStringLiteral("The autostart entry “%@” could not be removed."), {path});
    }
    return {};
}

LaunchAtLoginService::LaunchAtLoginService()
    : LaunchAtLoginService(defaultAutostartDirectory(), QCoreApplication::applicationFilePath())
{ }

LaunchAtLoginService::LaunchAtLoginService(QString autostartDirectory, QString executablePath)
    : m_autostartDirectory(std::move(autostartDirectory)), m_executablePath(std::move(executablePath))
{ }

QString LaunchAtLoginService::defaultAutostartDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1String("/autostart");
}

QString LaunchAtLoginService::entryPath() const
{
    return m_autostartDirectory + QLatin1String("/varnisto.desktop");
}

QString LaunchAtLoginService::entryText() const
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Varnisto\n"
                          "Comment=Clipboard history\n"
                          "Exec=%1\n"
                          "Icon=varnisto\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(quotedExecArgument(m_executablePath));
}

bool LaunchAtLoginService::isEnabled() const
{
    return QFile::exists(entryPath());
}

Expected<void, LaunchAtLoginError> LaunchAtLoginService::setEnabled(bool enabled) const
{
    const QString path = entryPath();
    if (!enabled) {
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink())
            return {};
        if (!QFile::remove(path))
            return Expected<void, LaunchAtLoginError>::failure({LaunchAtLoginError::Code::entryNotRemoved, path});
        return {};
    }

    if (!QDir().mkpath(m_autostartDirectory))
        return Expected<void, LaunchAtLoginError>::failure(
            {LaunchAtLoginError::Code::folderNotCreated, m_autostartDirectory});
    const QByteArray text = entryText().toUtf8();
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == text)
        return {};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return Expected<void, LaunchAtLoginError>::failure({LaunchAtLoginError::Code::entryNotWritten, path});
    return {};
}

void LaunchAtLoginService::updateLaunchAtLogin(bool enabled) const
{
    const auto outcome = setEnabled(enabled);
    if (!outcome)
        qWarning().noquote() << QLatin1String("Varnisto launch-at-login update failed: ")
                + outcome.error().description();
}
