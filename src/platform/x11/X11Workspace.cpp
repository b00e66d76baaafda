#include "X11Workspace.h"

#include "KeyPoster.h"
#include "Localization.h"
#include "XcbSupport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSysInfo>

#include <X11/Xlib.h>

#include <cstring>

namespace {

using PropertyReply = XcbReply<xcb_get_property_reply_t>;

xcb_get_property_cookie_t askProperty(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property)
{
    return xcb_get_property(connection, false, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024);
}

QByteArray propertyBytes(const PropertyReply &reply)
{
    if (!reply || reply->format != 8)
        return {};
    return xcbPropertyBytes(reply.get());
}

std::optional<quint32> propertyCardinal(const PropertyReply &reply)
{
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return std::nullopt;
    quint32 value = 0;
    std::memcpy(&value, xcb_get_property_value(reply.get()), sizeof value);
    return value;
}

// A text property: its bytes up to the first NUL.
QString propertyText(const PropertyReply &reply)
{
    QByteArray bytes = propertyBytes(reply);
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    return QString::fromUtf8(bytes);
}

} // namespace

X11Workspace::X11Workspace(QObject *parent) : X11Workspace(DesktopEntries::standardDirectories(), parent) { }

X11Workspace::X11Workspace(const QStringList &applicationDirectories, QObject *parent)
    : Workspace(parent), m_entries(applicationDirectories)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const xcb_setup_t *setup = xcb_get_setup(connection);
    m_applicationBase = setup->resource_id_base;
    m_applicationMask = setup->resource_id_mask;
    // The root window of the display's default screen, where Qt's windows are.
    m_root = xcbScreenRoot(connection, x11->display() ? DefaultScreen(x11->display()) : 0);
    if (m_root == XCB_NONE)
        return;

    const auto atoms = xcbInternAtoms(connection,
        {"_NET_ACTIVE_WINDOW", "_NET_WM_PID", "_GTK_APPLICATION_ID", "_KDE_NET_WM_DESKTOP_FILE", "UTF8_STRING"});
    m_atoms = {atoms[0], atoms[1], atoms[2], atoms[3], atoms[4]};
    m_connection = connection;
}

std::optional<RunningApplication> X11Workspace::frontApplication() const
{
    if (!m_connection)
        return std::nullopt;
    const quint32 window = activeWindow();
    if (window == XCB_NONE)
        return std::nullopt;
    if ((window & ~m_applicationMask) == m_applicationBase)
        return m_pasteTargets ? applicationOfWindow(m_pasteTargets->pasteTargetWindow()) : std::nullopt;
    return applicationOfWindow(window);
}

quint32 X11Workspace::activeWindow() const
{
    auto *connection = static_cast<xcb_connection_t *>(m_connection);
    const PropertyReply active(
        xcb_get_property_reply(connection, askProperty(connection, m_root, m_atoms.activeWindow), nullptr));
    if (active && active->type != XCB_NONE)
        return propertyCardinal(active).value_or(XCB_NONE);

    // Without a window manager that names the active window: the focus window, or the top-level window above
    // it that carries the application's class.
    const auto focus = xcbReply(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    if (!focus || focus->focus == XCB_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT)
        return XCB_NONE;
    xcb_window_t window = focus->focus;
    while (window != XCB_NONE && window != m_root) {
        const PropertyReply wmClass(
            xcb_get_property_reply(connection, askProperty(connection, window, XCB_ATOM_WM_CLASS), nullptr));
        if (wmClass && wmClass->type != XCB_NONE)
            return window;
        const auto tree = xcbReply(xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
        if (!tree)
            break;
        window = tree->parent;
    }
    return focus->focus;
}

std::optional<RunningApplication> X11Workspace::applicationOfWindow(quint32 window) const
{
    if (!m_connection || window == XCB_NONE)
        return std::nullopt;
    auto *connection = static_cast<xcb_connection_t *>(m_connection);
    if ((window & ~m_applicationMask) == m_applicationBase)
        return std::nullopt; // a window of ours

    const xcb_get_property_cookie_t cookies[] = {
        askProperty(connection, window, XCB_ATOM_WM_CLASS),
        askProperty(connection, window, m_atoms.wmPid),
        askProperty(connection, window, m_atoms.gtkApplicationId),
        askProperty(connection, window, m_atoms.kdeDesktopFile),
        askProperty(connection, window, XCB_ATOM_WM_CLIENT_MACHINE),
    };
    PropertyReply replies[std::size(cookies)];
    for (size_t i = 0; i < std::size(cookies); ++i)
        replies[i].reset(xcb_get_property_reply(connection, cookies[i], nullptr));

    WindowIdentity identity;
    const QByteArray wmClass = propertyBytes(replies[0]);
    const QList<QByteArray> classParts = wmClass.split('\0');
    identity.instanceName = QString::fromUtf8(classParts.value(0));
    identity.className = QString::fromUtf8(classParts.value(1));
    identity.applicationId = propertyText(replies[2]);
    if (identity.applicationId.isEmpty())
        identity.applicationId = propertyText(replies[3]);

    // The process id only means something for a client on this machine.
    qint64 processId = propertyCardinal(replies[1]).value_or(0);
    const QString machine = propertyText(replies[4]);
    if (!machine.isEmpty() && machine != QSysInfo::machineHostName())
        processId = 0;
    if (processId == QCoreApplication::applicationPid())
        return std::nullopt;
    if (processId > 0)
        identity.executablePath = QFileInfo(QStringLiteral("/proc/%1/exe").arg(processId)).symLinkTarget();

    RunningApplication application;
    application.processId = processId;
    if (const auto entry = m_entries.match(identity)) {
        application.name = entry->localizedName(currentInterfaceLanguage());
        application.bundleIdentifier = entry->id;
        application.bundlePath = entry->path;
        application.iconName = entry->icon;
        return application;
    }
    QString name = !identity.className.isEmpty() ? identity.className : identity.instanceName;
    if (name.isEmpty() && !identity.executablePath.isEmpty())
        name = QFileInfo(identity.executablePath).fileName();
    if (name.isEmpty())
        return std::nullopt;
    application.name = name;
    application.bundleIdentifier = name;
    return application;
}
