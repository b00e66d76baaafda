#include "SingleInstance.h"

#include "Localization.h"
#include "PlatformLogging.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <utility>

namespace {

// What a lock file says about the copy that wrote it: the lines that QLockFile writes, each of them optional.
struct LockHolder
{
    bool isEmpty = true;
    qint64 processID = 0;
    QString programName;
    QString hostName;
    QByteArray machineID;
    QByteArray bootID;

    // Written by a copy on another computer. The machine id tells where there is one; older lock files have only
    // the host name. A file without either (empty, garbled) names no computer at all.
    bool isOnAnotherComputer() const
    {
        if (!machineID.isEmpty())
            return machineID != QSysInfo::machineUniqueId();
        return !hostName.isEmpty() && hostName != QSysInfo::machineHostName();
    }
    QString computerName() const { return hostName.isEmpty() ? QString::fromLatin1(machineID) : hostName; }
    // A live process of this program, in this boot, on this computer, other than this one.
    bool isRunningHere() const;
};

// The name of a process's program file, as QLockFile compares it; empty when the process is gone.
QString programNameOf(qint64 processID)
{
    const QString exe = QFileInfo(QStringLiteral("/proc/%1/exe").arg(processID)).symLinkTarget();
    QString name = QFileInfo(exe).fileName();
    if (name.endsWith(QLatin1String(" (deleted)")))
        name.chop(10);
    return name;
}

bool LockHolder::isRunningHere() const
{
    if (processID <= 0 || processID == QCoreApplication::applicationPid() || isOnAnotherComputer())
        return false;
    if (!bootID.isEmpty() && bootID != QSysInfo::bootUniqueId())
        return false;
    if (::kill(pid_t(processID), 0) != 0 && errno == ESRCH)
        return false;
    const QString running = programNameOf(processID);
    return running.isEmpty() || programName.isEmpty() || running == programName;
}

LockHolder readLockHolder(int fd)
{
    char buffer[4096];
    const ssize_t size = ::pread(fd, buffer, sizeof buffer, 0);
    LockHolder holder;
    if (size <= 0)
        return holder;
    holder.isEmpty = false;
    const QByteArray contents(buffer, size);
    // Whole lines only: a write cut short by a crash must not pass for another computer's name.
    QList<QByteArray> lines = contents.left(contents.lastIndexOf('\n') + 1).split('\n');
    lines.removeLast();
    bool numeric = false;
    const qint64 processID = lines.value(0).toLongLong(&numeric);
    const auto isID = [](const QByteArray &line) {
        return std::all_of(line.begin(), line.end(), [](char c) { return std::isxdigit(uchar(c)) || c == '-'; });
    };
    const auto isName = [](const QByteArray &line) {
        return std::all_of(line.begin(), line.end(), [](char c) { return uchar(c) >= 0x20 && c != 0x7f; });
    };
    if (lines.size() < 3 || !numeric || processID <= 0 || !isName(lines.at(1)) || !isName(lines.at(2))
        || !isID(lines.value(3)) || !isID(lines.value(4)))
        return holder; // garbage: it names nobody
    holder.processID = processID;
    holder.programName = QString::fromUtf8(lines.at(1));
    holder.hostName = QString::fromUtf8(lines.at(2));
    holder.machineID = lines.value(3);
    holder.bootID = lines.value(4);
    return holder;
}

QByteArray lockFileContents()
{
    const qint64 self = QCoreApplication::applicationPid();
    return QByteArray::number(self) + '\n' + programNameOf(self).toUtf8() + '\n' + QSysInfo::machineHostName().toUtf8()
        + '\n' + QSysInfo::machineUniqueId() + '\n' + QSysInfo::bootUniqueId() + '\n';
}

QString notARegularFile(const QString &path)
{
    return localized(QStringLiteral("%@ is not a regular file. Varnisto cannot make sure that no other copy uses the "
                                    "same history, and does not start."),
        {QDir::toNativeSeparators(path)});
}

} // namespace

SingleInstance::SingleInstance(QString supportDirectory, QObject *parent)
    : QObject(parent), m_supportDirectory(std::move(supportDirectory))
{ }

SingleInstance::~SingleInstance()
{
    releaseLock();
}

QString SingleInstance::lockFilePath() const
{
    return m_supportDirectory + QLatin1Char('/') + lockFileName;
}

SingleInstance::Role SingleInstance::claim(const QDBusConnection &sessionBus)
{
    if (sessionBus.isConnected()) {
        QDBusConnection bus = sessionBus;
        // Twice at most: a running copy that ends between our two requests leaves the name free for this one.
        for (int attempt = 0; attempt < 2 && !m_servesBus; ++attempt) {
            // The object comes first, so that a call arriving as soon as the name is ours finds it.
            bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots);
            const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> registration
                = bus.interface()->registerService(serviceName, QDBusConnectionInterface::DontQueueService,
                    QDBusConnectionInterface::DontAllowReplacement);
            if (registration.isValid() && registration.value() == QDBusConnectionInterface::ServiceRegistered) {
                m_servesBus = true;
                break;
            }
            bus.unregisterObject(objectPath);
            if (!registration.isValid()) {
                // A bus that refuses the name for another reason: the lock alone decides.
                qCWarning(lcPlatform).noquote() << "could not take the name" << serviceName
                                                << "on the session bus:" << registration.error().message();
                break;
            }
            QDBusMessage call
                = QDBusMessage::createMethodCall(serviceName, objectPath, interfaceName, QStringLiteral("ShowHistory"));
            call.setAutoStartService(false);
            const QDBusMessage answer = bus.call(call, QDBus::Block, showHistoryTimeoutMs);
            if (answer.type() == QDBusMessage::ReplyMessage)
                return Role::handedOver;
            const bool ownerGone = answer.errorName() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")
                || answer.errorName() == QDBusError::errorString(QDBusError::ServiceUnknown);
            if (!ownerGone) {
                qCWarning(lcPlatform).noquote() << "the running copy did not answer:" << answer.errorMessage();
                m_refusal = localized(QStringLiteral("Varnisto is already running but does not answer."));
                return Role::refused;
            }
        }
    }
    if (takeLock())
        return Role::primary;
    if (std::exchange(m_servesBus, false)) {
        QDBusConnection bus = sessionBus;
        bus.unregisterService(serviceName);
        bus.unregisterObject(objectPath);
    }
    return Role::refused;
}

bool SingleInstance::takeLock()
{
    const QString path = lockFilePath();
    const QByteArray encoded = QFile::encodeName(path);
    struct stat existing
    {
    };
    if (::lstat(encoded.constData(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        // Reading a FIFO would wait for ever, and nothing else there can tell who holds the history. A symbolic
        // link is never followed: the lock's contents would overwrite whatever file it points to.
        m_refusal = notARegularFile(path);
        return false;
    }
    // A copy that ends removes the file it held; one that opened that file meanwhile tries the new one.
    for (int attempt = 0; attempt < 8; ++attempt) {
        bool readOnly = false;
        int fd = ::open(encoded.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0644);
        if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
            // A folder that cannot be written to: a running copy may still hold a lock made before.
            fd = ::open(encoded.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
            readOnly = true;
        }
        if (fd < 0 && errno == ELOOP) {
            // A symbolic link put there since the look above.
            m_refusal = notARegularFile(path);
            return false;
        }
        if (fd < 0) {
            // No lock can be written there; neither can the history, which reports that on its own.
            qCWarning(lcPlatform).noquote() << "could not create the lock file" << path << ::strerror(errno);
            return true;
        }
        struct stat opened
        {
        };
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            ::close(fd);
            m_refusal = notARegularFile(path);
            return false;
        }
        bool held = false;
        bool lockable = true;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            held = errno == EWOULDBLOCK;
            lockable = held; // a file system without locks: the file's contents are all there is to go by
        }
        if (!held) {
            struct stat atPath
            {
            };
            if (::lstat(encoded.constData(), &atPath) != 0 || atPath.st_dev != opened.st_dev
                || atPath.st_ino != opened.st_ino) {
                ::close(fd);
                continue;
            }
        }
        const LockHolder holder = readLockHolder(fd);
        const bool refused = held || holder.isOnAnotherComputer() || (!lockable && holder.isRunningHere());
        if (refused) {
            ::close(fd);
            if (holder.isOnAnotherComputer()) {
                m_refusal = localized(QStringLiteral("The history in %1$@ is in use by Varnisto on the computer "
                                                     "%2$@. If Varnisto no longer runs there, delete %3$@ and start "
                                                     "Varnisto again."),
                    {QDir::toNativeSeparators(m_supportDirectory), holder.computerName(),
                        QDir::toNativeSeparators(path)});
            } else {
                m_refusal = localized(QStringLiteral("Varnisto is already running with the history in %@."),
                    {QDir::toNativeSeparators(m_supportDirectory)});
            }
            return false;
        }
        if (readOnly) {
            ::close(fd);
            qCWarning(lcPlatform).noquote() << "could not write the lock file" << path;
            return true;
        }
        if (!holder.isEmpty)
            qCInfo(lcPlatform).noquote() << "taking over the stale lock file" << path;
        // Nobody holds the file: what it says is a leftover. It names this copy from now on.
        const QByteArray contents = lockFileContents();
        if (::ftruncate(fd, 0) != 0
            || ::pwrite(fd, contents.constData(), size_t(contents.size()), 0) != contents.size())
            qCWarning(lcPlatform).noquote() << "could not write the lock file" << path << ::strerror(errno);
        ::fdatasync(fd);
        m_lockFile = fd;
        return true;
    }
    m_refusal = localized(QStringLiteral("Varnisto is already running with the history in %@."),
        {QDir::toNativeSeparators(m_supportDirectory)});
    return false;
}

bool SingleInstance::holdLockForWriting()
{
    if (m_lockFile >= 0)
        return true;
    m_refusal.clear();
    const bool mayGoOn = takeLock();
    if (!mayGoOn)
        qCWarning(lcPlatform).noquote() << "the history is not written:" << m_refusal;
    return mayGoOn;
}

void SingleInstance::releaseLock()
{
    if (m_lockFile < 0)
        return;
    // Removed while still held, and only when it is still ours, so that a later start never finds a file that
    // names a copy that has ended.
    const QByteArray encoded = QFile::encodeName(lockFilePath());
    struct stat held
    {
    };
    struct stat atPath
    {
    };
    if (::fstat(m_lockFile, &held) == 0 && ::lstat(encoded.constData(), &atPath) == 0 && held.st_dev == atPath.st_dev
        && held.st_ino == atPath.st_ino)
        ::unlink(encoded.constData());
    ::close(std::exchange(m_lockFile, -1));
}

void SingleInstance::ShowHistory()
{
    Q_EMIT showHistoryRequested();
}
