#include "SingleInstance.h"

#include "Localization.h"
#include "ShellLogging.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

SingleInstance::SingleInstance(QString supportDirectory, QObject *parent)
    : QObject(parent), m_supportDirectory(std::move(supportDirectory))
{ }

SingleInstance::~SingleInstance() = default;

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
                qCWarning(lcShell).noquote() << "could not take the name" << serviceName
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
                qCWarning(lcShell).noquote() << "the running copy did not answer:" << answer.errorMessage();
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
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile()) {
        // Reading a FIFO would wait for ever, and nothing else there can tell who holds the history.
        m_refusal = localized(QStringLiteral("%@ is not a regular file. Varnisto cannot make sure that no other copy "
                                             "uses the same history, and does not start."),
            {QDir::toNativeSeparators(path)});
        return false;
    }
    m_lock = std::make_unique<QLockFile>(path);
    // Only a dead holder makes a lock stale, never its age: the running copy holds it for days.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    if (m_lock->error() == QLockFile::LockFailedError) {
        m_refusal = localized(QStringLiteral("Varnisto is already running with the history in %@."),
            {QDir::toNativeSeparators(m_supportDirectory)});
        m_lock.reset();
        return false;
    }
    // No lock can be written there; neither can the history, which reports that on its own.
    qCWarning(lcShell).noquote() << "could not create the lock file" << path;
    m_lock.reset();
    return true;
}

void SingleInstance::ShowHistory()
{
    Q_EMIT showHistoryRequested();
}
