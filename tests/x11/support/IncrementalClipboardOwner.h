#pragma once

#include <QByteArray>
#include <QSocketNotifier>
#include <QTimer>

#include <xcb/xcb.h>

#include <initializer_list>
#include <memory>
#include <vector>

// A clipboard owner on a connection of its own that hands its content over in parts (the incremental transfer of
// large selections), as simple owners do. The subclass answers the requests and sends the parts; this class keeps
// the connection, the transfer's requestor and property, and passes on the requests and the deletions of that
// property by which the requestor takes each part.
class IncrementalClipboardOwner
{
public:
    virtual ~IncrementalClipboardOwner();

protected:
    IncrementalClipboardOwner();

    xcb_atom_t atom(const char *name);
    // Takes the CLIPBOARD selection; called once the subclass is ready to answer.
    void takeClipboard();

    // Answers a TARGETS request with the given targets.
    void offerTargets(const xcb_selection_request_event_t &request, std::initializer_list<xcb_atom_t> targets);
    // Starts a transfer of `size` bytes to the requestor: sets INCR and watches the requestor's property.
    void beginTransfer(const xcb_selection_request_event_t &request, quint32 size);
    // Writes the next part of the transfer as `type`; an empty part ends it.
    void sendPart(xcb_atom_t type, const char *data, quint32 length);
    // Tells the requestor that its request was answered, or refused.
    void notify(const xcb_selection_request_event_t &request, bool answered);

    bool isTransferring() const { return m_requestor != XCB_NONE; }
    void endTransfer() { m_requestor = XCB_NONE; }

    virtual void selectionRequested(const xcb_selection_request_event_t &request) = 0;
    // The requestor deleted the transfer's property: it took the part before.
    virtual void partTaken() = 0;
    // The requestor's window went away during the transfer: the requestor gave it up.
    virtual void requestorGone() { endTransfer(); }

    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_window = XCB_NONE;
    xcb_atom_t m_targets = XCB_NONE;
    xcb_atom_t m_incr = XCB_NONE;
    std::unique_ptr<QSocketNotifier> m_notifier;

private:
    void serve();

    xcb_window_t m_requestor = XCB_NONE;
    xcb_atom_t m_property = XCB_NONE;
    QTimer m_sweep;
};

inline IncrementalClipboardOwner::IncrementalClipboardOwner()
{
    m_connection = xcb_connect(nullptr, nullptr);
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    m_window = xcb_generate_id(m_connection);
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    m_targets = atom("TARGETS");
    m_incr = atom("INCR");
    m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { serve(); });
    // Events that a reply already took off the socket wake no notifier.
    m_sweep.start(10);
    QObject::connect(&m_sweep, &QTimer::timeout, &m_sweep, [this] { serve(); });
}

inline IncrementalClipboardOwner::~IncrementalClipboardOwner()
{
    m_sweep.stop();
    m_notifier.reset();
    xcb_disconnect(m_connection);
}

inline xcb_atom_t IncrementalClipboardOwner::atom(const char *name)
{
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, false, uint16_t(strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : XCB_NONE;
}

inline void IncrementalClipboardOwner::takeClipboard()
{
    xcb_set_selection_owner(m_connection, m_window, atom("CLIPBOARD"), XCB_CURRENT_TIME);
    xcb_flush(m_connection);
}

inline void IncrementalClipboardOwner::offerTargets(
    const xcb_selection_request_event_t &request, std::initializer_list<xcb_atom_t> targets)
{
    const std::vector<xcb_atom_t> offered(targets);
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor, request.property, XCB_ATOM_ATOM, 32,
        uint32_t(offered.size()), offered.data());
}

inline void IncrementalClipboardOwner::beginTransfer(const xcb_selection_request_event_t &request, quint32 size)
{
    m_requestor = request.requestor;
    m_property = request.property;
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, m_requestor, XCB_CW_EVENT_MASK, &mask);
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_requestor, m_property, m_incr, 32, 1, &size);
}

inline void IncrementalClipboardOwner::sendPart(xcb_atom_t type, const char *data, quint32 length)
{
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_requestor, m_property, type, 8, length, data);
    xcb_flush(m_connection);
}

inline void IncrementalClipboardOwner::notify(const xcb_selection_request_event_t &request, bool answered)
{
    xcb_selection_notify_event_t notify = {};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = answered ? request.property : XCB_NONE;
    xcb_send_event(m_connection, false, request.requestor, 0, reinterpret_cast<const char *>(&notify));
    xcb_flush(m_connection);
}

inline void IncrementalClipboardOwner::serve()
{
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        const int type = event->response_type & 0x7f;
        if (type == XCB_SELECTION_REQUEST) {
            selectionRequested(*reinterpret_cast<xcb_selection_request_event_t *>(event));
        } else if (type == XCB_PROPERTY_NOTIFY) {
            const auto &change = *reinterpret_cast<xcb_property_notify_event_t *>(event);
            if (isTransferring() && change.window == m_requestor && change.atom == m_property
                && change.state == XCB_PROPERTY_DELETE)
                partTaken();
        } else if (type == XCB_DESTROY_NOTIFY) {
            const auto &gone = *reinterpret_cast<xcb_destroy_notify_event_t *>(event);
            if (isTransferring() && gone.window == m_requestor)
                requestorGone();
        }
        std::free(event);
    }
}
