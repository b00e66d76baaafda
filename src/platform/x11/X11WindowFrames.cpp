#include "X11WindowFrames.h"

#include "XcbSupport.h"

#include <QGuiApplication>

#include <X11/Xlib.h>

namespace {

// Left, right, top and bottom of a four-cardinal property; nothing when it is not set.
std::optional<std::array<quint32, 4>> extents(xcb_connection_t *connection, xcb_get_property_cookie_t cookie)
{
    const auto reply = xcbReply(xcb_get_property_reply(connection, cookie, nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 16)
        return std::nullopt;
    std::array<quint32, 4> values {};
    std::memcpy(values.data(), xcb_get_property_value(reply.get()), sizeof values);
    return values;
}

} // namespace

X11WindowFrames::X11WindowFrames()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    auto *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    m_root = xcbScreenRoot(connection, x11->display() ? DefaultScreen(x11->display()) : 0);
    if (m_root == XCB_NONE)
        return;
    const auto atoms = xcbInternAtoms(connection, {"_NET_FRAME_EXTENTS", "_GTK_FRAME_EXTENTS"});
    m_frameExtents = atoms[0];
    m_gtkFrameExtents = atoms[1];
    m_connection = connection;
}

std::optional<QRect> X11WindowFrames::frameOfWindow(quint32 window) const
{
    if (!m_connection || window == 0)
        return std::nullopt;
    auto *connection = static_cast<xcb_connection_t *>(m_connection);
    // Every request first, then the answers: one round trip.
    const auto attributesCookie = xcb_get_window_attributes(connection, window);
    const auto geometryCookie = xcb_get_geometry(connection, window);
    const auto translateCookie = xcb_translate_coordinates(connection, window, m_root, 0, 0);
    const auto frameCookie = xcb_get_property(connection, false, window, m_frameExtents, XCB_ATOM_CARDINAL, 0, 4);
    const auto gtkCookie = xcb_get_property(connection, false, window, m_gtkFrameExtents, XCB_ATOM_CARDINAL, 0, 4);

    const auto attributes = xcbReply(xcb_get_window_attributes_reply(connection, attributesCookie, nullptr));
    const auto geometry = xcbReply(xcb_get_geometry_reply(connection, geometryCookie, nullptr));
    const auto translated = xcbReply(xcb_translate_coordinates_reply(connection, translateCookie, nullptr));
    const auto frame = extents(connection, frameCookie);
    const auto shadow = extents(connection, gtkCookie);
    if (!attributes || !geometry || !translated || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
        return std::nullopt;

    QRect rect(translated->dst_x, translated->dst_y, geometry->width, geometry->height);
    if (frame)
        rect.adjust(-int((*frame)[0]), -int((*frame)[2]), int((*frame)[1]), int((*frame)[3]));
    if (shadow)
        rect.adjust(int((*shadow)[0]), int((*shadow)[2]), -int((*shadow)[1]), -int((*shadow)[3]));
    if (rect.width() <= 0 || rect.height() <= 0)
        return std::nullopt;
    return rect;
}
