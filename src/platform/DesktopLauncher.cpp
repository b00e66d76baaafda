#include "DesktopLauncher.h"

#include "PlatformLogging.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>

namespace {

// A file as an argument: its path when it is on this machine, else its address.
QString fileArgument(const QUrl &url)
{
    return url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded);
}

QString urlArgument(const QUrl &url)
{
    return url.toString(QUrl::FullyEncoded);
}

bool takesFiles(const QStringList &arguments, bool *oneAtATime)
{
    bool found = false;
    *oneAtATime = false;
    for (const QString &argument : arguments) {
        for (qsizetype i = 0; i + 1 < argument.size(); ++i) {
            if (argument.at(i) != u'%')
                continue;
            const QChar code = argument.at(++i);
            if (code == u'f' || code == u'u') {
                found = true;
                *oneAtATime = true;
            } else if (code == u'F' || code == u'U') {
                found = true;
            }
        }
    }
    return found;
}

// The arguments of one start, with `urls` as the files it takes.
QStringList expandedArguments(const DesktopEntry &entry, const QStringList &arguments, const QList<QUrl> &urls)
{
    QStringList expanded;
    for (const QString &argument : arguments) {
        // Codes that stand alone and may become several arguments, or none.
        if (argument == u"%F" || argument == u"%U") {
            for (const QUrl &url : urls)
                expanded.append(argument == u"%F" ? fileArgument(url) : urlArgument(url));
            continue;
        }
        if (argument == u"%i") {
            if (!entry.icon.isEmpty())
                expanded << QStringLiteral("--icon") << entry.icon;
            continue;
        }
        if ((argument == u"%f" || argument == u"%u") && urls.isEmpty())
            continue;

        QString result;
        bool onlyCodes = true;
        for (qsizetype i = 0; i < argument.size(); ++i) {
            const QChar c = argument.at(i);
            if (c != u'%' || i + 1 == argument.size()) {
                result.append(c);
                onlyCodes = false;
                continue;
            }
            switch (argument.at(++i).unicode()) {
            case '%':
                result.append(u'%');
                break;
            case 'f':
                if (!urls.isEmpty())
                    result.append(fileArgument(urls.first()));
                break;
            case 'u':
                if (!urls.isEmpty())
                    result.append(urlArgument(urls.first()));
                break;
            case 'c':
                result.append(entry.name);
                break;
            case 'k':
                result.append(entry.path);
                break;
            default: // deprecated codes, and lists or icons inside an argument, which the format does not allow
                break;
            }
        }
        // An argument made of codes that stand for nothing (a deprecated one) is left out.
        if (!result.isEmpty() || !onlyCodes)
            expanded.append(result);
    }
    return expanded;
}

} // namespace

QList<DesktopLaunchCommand> DesktopLauncher::launchCommands(const DesktopEntry &entry, const QList<QUrl> &urls)
{
    QStringList arguments = DesktopEntries::execArguments(entry.exec);
    if (arguments.isEmpty() || arguments.first().isEmpty())
        return {};
    bool oneAtATime = false;
    if (!takesFiles(arguments, &oneAtATime) && !urls.isEmpty())
        arguments.append(QStringLiteral("%F"));

    QList<QList<QUrl>> starts;
    if (oneAtATime && urls.size() > 1) {
        for (const QUrl &url : urls)
            starts.append({url});
    } else {
        starts.append(urls);
    }

    QList<DesktopLaunchCommand> commands;
    for (const QList<QUrl> &startURLs : std::as_const(starts)) {
        QStringList expanded = expandedArguments(entry, arguments, startURLs);
        if (entry.terminal) {
            // A terminal program gets a terminal window: Debian names the user's choice x-terminal-emulator, and
            // every terminal it can stand for runs the rest of its command line after "-e".
            expanded.prepend(QStringLiteral("-e"));
            expanded.prepend(QStringLiteral("x-terminal-emulator"));
        }
        const QString program = expanded.takeFirst();
        commands.append({program, expanded, entry.workingDirectory});
    }
    return commands;
}

bool SystemDesktopLauncher::openURL(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

Expected<void, DesktopLauncher::Failure> SystemDesktopLauncher::openURLs(
    const QList<QUrl> &urls, const QString &desktopEntryPath)
{
    using Result = Expected<void, Failure>;
    const std::optional<DesktopEntry> entry = DesktopEntries::read(desktopEntryPath);
    if (!entry)
        return Result::failure(Failure::unreadableEntry);
    const QList<DesktopLaunchCommand> commands = launchCommands(*entry, urls);
    if (commands.isEmpty())
        return Result::failure(Failure::noCommand);
    for (const DesktopLaunchCommand &command : commands) {
        if (!QProcess::startDetached(command.program, command.arguments, command.workingDirectory)) {
            qCWarning(lcPlatform).noquote() << "could not start" << command.program << "of" << desktopEntryPath;
            return Result::failure(Failure::startFailed);
        }
    }
    return {};
}

void SystemDesktopLauncher::revealFile(const QString &path, std::function<void()> failed)
{
    const QUrl file = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    const QUrl folder = QUrl::fromLocalFile(QFileInfo(path).absolutePath());
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"), QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("ShowItems"));
    call << QStringList {file.toString(QUrl::FullyEncoded)} << QString();
    QDBusConnection bus = QDBusConnection::sessionBus();
    const auto openFolder = [folder, failed] {
        if (!QDesktopServices::openUrl(folder) && failed)
            failed();
    };
    if (!bus.isConnected()) {
        openFolder();
        return;
    }
    // The file manager may have to start first: the answer is awaited without blocking, and a missing file
    // manager service opens the folder instead.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [openFolder](QDBusPendingCallWatcher *self) {
        if (QDBusPendingReply<> reply = *self; reply.isError()) {
            qCDebug(lcPlatform).noquote() << "no file manager answered:" << reply.error().message();
            openFolder();
        }
        self->deleteLater();
    });
}
