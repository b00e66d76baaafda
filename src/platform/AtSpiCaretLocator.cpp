#include "AtSpiCaretLocator.h"

#include "PlatformLogging.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QUuid>

namespace {

const QString registryService = QStringLiteral("org.a11y.atspi.Registry");
const QString textInterface = QStringLiteral("org.a11y.atspi.Text");
const QString componentInterface = QStringLiteral("org.a11y.atspi.Component");
constexpr uint screenCoordinates = 0;

int remainingMs(const QDeadlineTimer &deadline)
{
    if (deadline.isForever())
        return 1000;
    return int(std::max<qint64>(0, deadline.remainingTime()));
}

// One blocking call that gives up at the deadline; nothing without an answer in time.
std::optional<QDBusMessage> callBefore(
    QDBusConnection &bus, const QDBusMessage &message, const QDeadlineTimer &deadline)
{
    const int timeout = remainingMs(deadline);
    if (timeout <= 0)
        return std::nullopt;
    const QDBusMessage reply = bus.call(message, QDBus::Block, timeout);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return std::nullopt;
    return reply;
}

std::optional<QRect> extentsReply(const std::optional<QDBusMessage> &reply)
{
    if (!reply || reply->arguments().isEmpty())
        return std::nullopt;
    const QList<QVariant> values = reply->arguments();
    if (values.size() == 1 && values.first().canConvert<QDBusArgument>()) {
        // One (iiii) structure.
        const QDBusArgument structure = values.first().value<QDBusArgument>();
        int x = 0, y = 0, width = 0, height = 0;
        structure.beginStructure();
        structure >> x >> y >> width >> height;
        structure.endStructure();
        return QRect(x, y, width, height);
    }
    if (values.size() < 4)
        return std::nullopt;
    return QRect(values.at(0).toInt(), values.at(1).toInt(), values.at(2).toInt(), values.at(3).toInt());
}

} // namespace

AtSpiCaretLocator::AtSpiCaretLocator(QObject *parent)
    : CaretLocator(parent), m_connectionName(QStringLiteral("varnisto-a11y-") + QUuid::createUuid().toString())
{
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected())
        return;
    const QDBusMessage ask = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"),
        QStringLiteral("/org/a11y/bus"), QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
    auto *watcher = new QDBusPendingCallWatcher(session.asyncCall(ask, 2000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        const QDBusPendingReply<QString> reply = *call;
        call->deleteLater();
        if (reply.isValid() && !reply.value().isEmpty())
            connectToAccessibilityBus(reply.value());
    });
}

AtSpiCaretLocator::AtSpiCaretLocator(const QString &accessibilityBusAddress, QObject *parent)
    : CaretLocator(parent), m_connectionName(QStringLiteral("varnisto-a11y-") + QUuid::createUuid().toString())
{
    connectToAccessibilityBus(accessibilityBusAddress);
}

AtSpiCaretLocator::~AtSpiCaretLocator()
{
    if (m_bus) {
        m_bus.reset();
        QDBusConnection::disconnectFromBus(m_connectionName);
    }
}

void AtSpiCaretLocator::connectToAccessibilityBus(const QString &address)
{
    auto bus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, m_connectionName));
    if (!bus->isConnected()) {
        qCInfo(lcPlatform) << "no accessibility bus: the text caret cannot be found";
        return;
    }
    m_bus = std::move(bus);
    // The toolkits send focus events only while someone listens for them.
    for (const QString &event : {QStringLiteral("object:state-changed:focused"), QStringLiteral("focus:")}) {
        QDBusMessage registration
            = QDBusMessage::createMethodCall(registryService, QStringLiteral("/org/a11y/atspi/registry"),
                QStringLiteral("org.a11y.atspi.Registry"), QStringLiteral("RegisterEvent"));
        registration << event;
        m_bus->asyncCall(registration);
    }
    m_bus->connect(QString(), QString(), QStringLiteral("org.a11y.atspi.Event.Object"), QStringLiteral("StateChanged"),
        this, SLOT(handleFocusEvent(QDBusMessage)));
    m_bus->connect(QString(), QString(), QStringLiteral("org.a11y.atspi.Event.Focus"), QStringLiteral("Focus"), this,
        SLOT(handleFocusEvent(QDBusMessage)));
}

void AtSpiCaretLocator::handleFocusEvent(const QDBusMessage &message)
{
    const QList<QVariant> arguments = message.arguments();
    if (message.interface() == u"org.a11y.atspi.Event.Object") {
        if (arguments.size() < 2 || arguments.at(0).toString() != u"focused")
            return;
        if (arguments.at(1).toInt() != 1) {
            if (message.service() == m_focusedService && message.path() == m_focusedPath)
                m_focusedService.clear();
            return;
        }
    }
    m_focusedService = message.service();
    m_focusedPath = message.path();
}

bool AtSpiCaretLocator::isTrusted() const
{
    return m_bus && m_bus->isConnected();
}

std::optional<QRect> AtSpiCaretLocator::caretRect(QDeadlineTimer deadline)
{
    if (!isTrusted() || m_focusedService.isEmpty())
        return std::nullopt;
    const QString service = m_focusedService;
    const QString path = m_focusedPath;

    QDBusMessage askOffset = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    askOffset << textInterface << QStringLiteral("CaretOffset");
    const auto offsetReply = callBefore(*m_bus, askOffset, deadline);
    if (!offsetReply || offsetReply->arguments().isEmpty())
        return std::nullopt;
    const int offset = qvariant_cast<QDBusVariant>(offsetReply->arguments().first()).variant().toInt();
    if (offset < 0)
        return std::nullopt;

    const auto extentsOf = [&](int character) -> std::optional<QRect> {
        QDBusMessage ask
            = QDBusMessage::createMethodCall(service, path, textInterface, QStringLiteral("GetCharacterExtents"));
        ask << character << screenCoordinates;
        return extentsReply(callBefore(*m_bus, ask, deadline));
    };
    std::optional<QRect> atCaret = extentsOf(offset);
    if (atCaret && atCaret->height() <= 0)
        atCaret.reset();
    std::optional<QRect> beforeCaret;
    std::optional<QRect> frame;
    if (!atCaret && offset >= 1)
        beforeCaret = extentsOf(offset - 1);
    const std::optional<QRect> &found = atCaret ? atCaret : beforeCaret;
    if (found && found->x() == 0) {
        QDBusMessage ask
            = QDBusMessage::createMethodCall(service, path, componentInterface, QStringLiteral("GetExtents"));
        ask << screenCoordinates;
        frame = extentsReply(callBefore(*m_bus, ask, deadline));
    }
    return caretFromCharacterExtents(atCaret, beforeCaret, frame);
}
