#include "X11WindowActivation.h"

#include "XcbSupport.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

namespace {

// The window manager announces itself with a window named on the root window.
bool hasWindowManager(xcb_connection_t *connection, xcb_window_t root, xcb_atom_t supportingCheck)
{
    if (supportingCheck == XCB_ATOM_NONE)
        return false;
    auto cookie = xcb_get_property(connection, 0, root, supportingCheck, XCB_ATOM_WINDOW, 0, 1);
    auto property = xcbReply(xcb_get_property_reply(connection, cookie, nullptr));
    return property && property->type == XCB_ATOM_WINDOW && xcb_get_property_value_length(property.get()) >= 4;
}

} // namespace

void X11WindowActivation::requestActivation(quint32 window)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection || !window)
        return;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    // Atoms that a window manager has interned already: without one, neither is needed.
    const auto [supportingCheck, activeWindow]
        = xcbInternAtoms(connection, {"_NET_SUPPORTING_WM_CHECK", "_NET_ACTIVE_WINDOW"}, true);
    if (hasWindowManager(connection, root, supportingCheck)) {
        xcb_client_message_event_t message {};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = activeWindow;
        message.data.data32[0] = 2; // on the user's behalf: the hot key or the tray menu they used
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
            reinterpret_cast<const char *>(&message));
    } else {
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
    }
    xcb_flush(connection);
}

void X11WindowActivation::giveInputFocus(quint32 window)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection || !window)
        return;
    xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
    xcb_flush(connection);
}
