#include "ForeignXClient.h"

#include "TestSupport.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {
struct FreeDeleter
{
    void operator()(void *pointer) const { std::free(pointer); }
};
template<typename T> using XcbPointer = std::unique_ptr<T, FreeDeleter>;
} // namespace

ForeignXClient::ForeignXClient()
{
    int screenNumber = 0;
    m_connection = xcb_connect(nullptr, &screenNumber);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    m_root = screens.data->root;
    m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { serveRequests(); });
    m_sweep = std::make_unique<QTimer>();
    QObject::connect(m_sweep.get(), &QTimer::timeout, m_sweep.get(), [this] { serveRequests(); });
    m_sweep->start(20);
}

ForeignXClient::~ForeignXClient()
{
    disconnect();
}

void ForeignXClient::disconnect()
{
    m_notifier.reset();
    m_sweep.reset();
    if (m_connection)
        xcb_disconnect(m_connection);
    m_connection = nullptr;
}

quint32 ForeignXClient::atom(const QByteArray &name)
{
    XcbPointer<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, false, uint16_t(name.size()), name.constData()), nullptr));
    return reply ? reply->atom : XCB_NONE;
}

quint32 ForeignXClient::createWindow(const WindowProperties &properties)
{
    const xcb_window_t window = xcb_generate_id(m_connection);
    const uint32_t values[] = {XCB_EVENT_MASK_PROPERTY_CHANGE};
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, m_root, 100, 100, 320, 200, 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, values);
    const QByteArray wmClass = properties.instanceName + '\0' + properties.className + '\0';
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
        uint32_t(wmClass.size()), wmClass.constData());
    if (properties.processId) {
        const auto pid = uint32_t(properties.processId);
        xcb_change_property(
            m_connection, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &pid);
    }
    if (!properties.applicationId.isEmpty()) {
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom("_GTK_APPLICATION_ID"),
            atom("UTF8_STRING"), 8, uint32_t(properties.applicationId.size()), properties.applicationId.constData());
    }
    xcb_map_window(m_connection, window);
    xcb_flush(m_connection);
    return window;
}

bool ForeignXClient::activate(quint32 window)
{
    const xcb_atom_t activeWindow = atom("_NET_ACTIVE_WINDOW");
    auto isActive = [&] {
        XcbPointer<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, false, m_root, activeWindow, XCB_ATOM_WINDOW, 0, 1), nullptr));
        return reply && xcb_get_property_value_length(reply.get()) == 4
            && *static_cast<const quint32 *>(xcb_get_property_value(reply.get())) == window;
    };
    // The window must be mapped before the window manager activates it; ask again until it has.
    return waitUntil([&] {
        if (isActive())
            return true;
        xcb_client_message_event_t message = {};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = activeWindow;
        message.data.data32[0] = 2; // from a pager: obeyed without focus-stealing rules
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_connection, false, m_root,
            XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
            reinterpret_cast<const char *>(&message));
        xcb_flush(m_connection);
        return waitUntil(isActive, 100);
    });
}

void ForeignXClient::ownClipboard(const QList<std::pair<QByteArray, QByteArray>> &targets, bool answers)
{
    if (!m_owner) {
        m_owner = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_owner, m_root, 0, 0, 1, 1, 0,
            XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    }
    m_targets = targets;
    m_answers = answers;
    xcb_set_selection_owner(m_connection, m_owner, atom("CLIPBOARD"), XCB_CURRENT_TIME);
    // A round trip: the server has made this client the owner when ownClipboard() returns.
    free(
        xcb_get_selection_owner_reply(m_connection, xcb_get_selection_owner(m_connection, atom("CLIPBOARD")), nullptr));
}

void ForeignXClient::serveRequests()
{
    while (m_connection) {
        XcbPointer<xcb_generic_event_t> event(xcb_poll_for_event(m_connection));
        if (!event)
            return;
        if ((event->response_type & 0x7f) != XCB_SELECTION_REQUEST || !m_answers)
            continue;
        const auto *request = reinterpret_cast<const xcb_selection_request_event_t *>(event.get());
        const xcb_atom_t property = request->property != XCB_NONE ? request->property : request->target;
        xcb_selection_notify_event_t notify = {};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request->time;
        notify.requestor = request->requestor;
        notify.selection = request->selection;
        notify.target = request->target;
        notify.property = XCB_NONE;
        if (request->target == atom("TARGETS")) {
            QList<xcb_atom_t> atoms = {atom("TARGETS")};
            for (const auto &target : std::as_const(m_targets))
                atoms.append(atom(target.first));
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request->requestor, property, XCB_ATOM_ATOM, 32,
                uint32_t(atoms.size()), atoms.constData());
            notify.property = property;
        } else {
            for (const auto &target : std::as_const(m_targets)) {
                if (atom(target.first) != request->target)
                    continue;
                xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request->requestor, property, request->target,
                    8, uint32_t(target.second.size()), target.second.constData());
                notify.property = property;
            }
        }
        xcb_send_event(m_connection, false, request->requestor, 0, reinterpret_cast<const char *>(&notify));
        xcb_flush(m_connection);
    }
}
