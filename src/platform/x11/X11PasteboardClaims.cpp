#include "X11PasteboardClaims.h"

#include "PlatformLogging.h"
#include "XcbSupport.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

X11StaleSelectionClearFilter::X11StaleSelectionClearFilter()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    m_connection = connection;
    m_clipboardAtom = xcbInternAtoms(connection, {"CLIPBOARD"})[0];
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_installed = true;
}

X11StaleSelectionClearFilter::~X11StaleSelectionClearFilter()
{
    if (m_installed && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11StaleSelectionClearFilter::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || !message)
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_SELECTION_CLEAR)
        return false;
    const auto *clear = reinterpret_cast<const xcb_selection_clear_event_t *>(event);
    if (clear->selection != XCB_ATOM_PRIMARY && (m_clipboardAtom == XCB_NONE || clear->selection != m_clipboardAtom))
        return false;
    // A question to the X server, answered at once.
    auto *connection = static_cast<xcb_connection_t *>(m_connection);
    const auto owner = xcbReply(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, clear->selection), nullptr));
    if (!owner || owner->owner != clear->owner)
        return false;
    qCDebug(lcPlatform) << "kept the selection that was claimed again after another client had taken it";
    return true;
}
