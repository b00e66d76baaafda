#include "X11WindowActivation.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

template<typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
template<typename T> Reply<T> reply(T *pointer)
{
    return Reply<T>(pointer, &std::free);
}

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    auto answer = reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, quint16(std::strlen(name)), name), nullptr));
    return answer ? answer->atom : XCB_ATOM_NONE;
}

// The window manager announces itself with a window named on the root window.
bool hasWindowManager(xcb_connection_t *connection, xcb_window_t root, xcb_atom_t supportingCheck)
{
    if (supportingCheck == XCB_ATOM_NONE)
        return false;
    auto cookie = xcb_get_property(connection, 0, root, supportingCheck, XCB_ATOM_WINDOW, 0, 1);
    auto property = reply(xcb_get_property_reply(connection, cookie, nullptr));
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
    if (hasWindowManager(connection, root, atom(connection, "_NET_SUPPORTING_WM_CHECK"))) {
        xcb_client_message_event_t message {};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = atom(connection, "_NET_ACTIVE_WINDOW");
        message.data.data32[0] = 2; // on the user's behalf: the hot key or the tray menu they used
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
            reinterpret_cast<const char *>(&message));
    } else {
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
    }
    xcb_flush(connection);
}
