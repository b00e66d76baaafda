#pragma once

// What every xcb user of the X11 layer shares: ownership of what xcb allocates, checked requests and atoms
// interned in one batch. Included only by the .cpp files of this folder: no other header sees xcb.

#include <QByteArray>

#include <xcb/xcb.h>

#include <array>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>

struct XcbFreeDeleter
{
    void operator()(void *pointer) const { std::free(pointer); }
};

// A reply, error or event that xcb allocated for us; freed when it goes.
template<typename T> using XcbReply = std::unique_ptr<T, XcbFreeDeleter>;
using XcbError = XcbReply<xcb_generic_error_t>;
using XcbEvent = XcbReply<xcb_generic_event_t>;

// Takes over what an xcb function returned: xcbReply(xcb_query_tree_reply(connection, cookie, nullptr)).
template<typename T> XcbReply<T> xcbReply(T *pointer)
{
    return XcbReply<T>(pointer);
}

// The error of a request sent with its xcb_*_checked function, null when the server carried it out. Waits for
// the server's answer; send all checked requests of a batch before asking for the first one's.
inline XcbError xcbRequestError(xcb_connection_t *connection, xcb_void_cookie_t cookie)
{
    return XcbError(xcb_request_check(connection, cookie));
}

// The atoms of the names, in one round trip: every request is sent before the first reply is awaited. An atom the
// server did not give (or, with onlyIfExists, that no client has interned yet) is XCB_NONE.
template<std::size_t N>
std::array<xcb_atom_t, N> xcbInternAtoms(
    xcb_connection_t *connection, const char *const (&names)[N], bool onlyIfExists = false)
{
    std::array<xcb_intern_atom_cookie_t, N> cookies;
    for (std::size_t i = 0; i < N; ++i)
        cookies[i] = xcb_intern_atom(connection, onlyIfExists, uint16_t(std::strlen(names[i])), names[i]);
    std::array<xcb_atom_t, N> atoms {};
    for (std::size_t i = 0; i < N; ++i) {
        const auto reply = xcbReply(xcb_intern_atom_reply(connection, cookies[i], nullptr));
        atoms[i] = reply ? reply->atom : xcb_atom_t(XCB_NONE);
    }
    return atoms;
}

// The value of a property as it came, whatever its format; empty without a reply.
inline QByteArray xcbPropertyBytes(const xcb_get_property_reply_t *reply)
{
    if (!reply)
        return {};
    return QByteArray(static_cast<const char *>(xcb_get_property_value(reply)), xcb_get_property_value_length(reply));
}

// The root window of a screen of the display; XCB_NONE when the display has no such screen.
inline xcb_window_t xcbScreenRoot(xcb_connection_t *connection, int screenNumber)
{
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    return screens.rem ? screens.data->root : XCB_NONE;
}
