#include "X11ClipboardReader.h"

#include "PlatformLogging.h"
#include "X11ClipboardTargets.h"
#include "XcbSupport.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QThread>

#include <xcb/xfixes.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>

namespace {

using Event = XcbEvent;

enum class Wait { event, timedOut, stopped, broken };

// How one request for a target ended.
enum class Fetch {
    ok,
    refused, // the owner cannot convert to that target
    timedOut, // the owner did not answer in time
    tooLarge, // more than the size limit
    superseded, // a newer owner took the selection meanwhile
    stopped, // the reader is shutting down
    broken, // the connection failed
};

} // namespace

struct X11ClipboardReader::Private
{
    Limits limits;
    Handlers handlers;
    quint32 applicationBase = 0;
    quint32 applicationMask = 0;

    xcb_connection_t *connection = nullptr;
    xcb_window_t root = XCB_NONE;
    xcb_window_t window = XCB_NONE; // hears of the selection's changes
    xcb_window_t requestor = XCB_NONE; // receives the answers; replaced when a transfer is abandoned
    uint8_t xfixesFirstEvent = 0;
    xcb_atom_t clipboard = XCB_NONE;
    xcb_atom_t targets = XCB_NONE;
    xcb_atom_t incr = XCB_NONE;
    xcb_atom_t utf8String = XCB_NONE;
    xcb_atom_t property = XCB_NONE; // where owners put their answers
    xcb_window_t initialOwner = XCB_NONE;
    int propertyGeneration = 0;
    int stopFd = -1;
    std::unique_ptr<QThread> thread;

    // Selection changes that arrived while a read was going on, handled after it in their order.
    std::deque<Event> pending;
    QHash<xcb_atom_t, QString> atomNames;
    quint64 serial = 0;
    qint64 refusedSize = 0; // of the last target refused as too large

    bool open(const QByteArray &displayName);
    void close();
    void run();

    bool isSelectionChange(const xcb_generic_event_t *event) const;
    Wait waitForEvent(QDeadlineTimer deadline, Event &event);
    void handleSelectionChange(const xcb_xfixes_selection_notify_event_t &notify, bool initial);
    void readContent(quint64 changeSerial);
    Fetch fetch(xcb_atom_t target, QByteArray &data);
    Fetch readProperty(QByteArray &data);
    Fetch readIncrementally(quint32 sizeHint, QByteArray &data);
    Fetch waitForPart(QDeadlineTimer deadline);
    Fetch endRefusedTransfer();
    void abandonTransfer();
    xcb_window_t createRequestor();
    QStringList namesOfAtoms(const QList<xcb_atom_t> &atoms);
    void renewProperty();
};

X11ClipboardReader::X11ClipboardReader(const QByteArray &displayName, quint32 applicationResourceBase,
    quint32 applicationResourceMask, const Limits &limits, Handlers handlers)
    : d(std::make_unique<Private>())
{
    d->limits = limits;
    d->handlers = std::move(handlers);
    d->applicationBase = applicationResourceBase;
    d->applicationMask = applicationResourceMask;
    if (!d->open(displayName)) {
        d->close();
        return;
    }
    d->thread.reset(QThread::create([this] { d->run(); }));
    d->thread->setObjectName(QStringLiteral("X11ClipboardReader"));
    d->thread->start();
}

X11ClipboardReader::~X11ClipboardReader()
{
    if (d->thread) {
        const quint64 one = 1;
        [[maybe_unused]] const auto written = ::write(d->stopFd, &one, sizeof one);
        d->thread->wait();
    }
    d->close();
}

bool X11ClipboardReader::isRunning() const
{
    return d->thread != nullptr;
}

bool X11ClipboardReader::Private::open(const QByteArray &displayName)
{
    int screenNumber = 0;
    connection = xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), &screenNumber);
    if (xcb_connection_has_error(connection)) {
        qCWarning(lcPlatform) << "cannot open the X display" << displayName << "to read the clipboard";
        return false;
    }
    const xcb_query_extension_reply_t *xfixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present) {
        qCWarning(lcPlatform) << "the X server lacks the XFixes extension; clipboard changes cannot be seen";
        return false;
    }
    xfixesFirstEvent = xfixes->first_event;
    const auto version
        = xcbReply(xcb_xfixes_query_version_reply(connection, xcb_xfixes_query_version(connection, 5, 0), nullptr));
    if (!version)
        return false;

    root = xcbScreenRoot(connection, screenNumber);
    if (root == XCB_NONE)
        return false;

    const auto atoms
        = xcbInternAtoms(connection, {"CLIPBOARD", "TARGETS", "INCR", "UTF8_STRING", "VARNISTO_CLIPBOARD"});
    if (std::find(atoms.cbegin(), atoms.cend(), xcb_atom_t(XCB_NONE)) != atoms.cend())
        return false;
    clipboard = atoms[0];
    targets = atoms[1];
    incr = atoms[2];
    utf8String = atoms[3];
    property = atoms[4];

    window = xcb_generate_id(connection);
    const uint32_t values[] = {1};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, root, -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
        XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT, values);
    requestor = createRequestor();
    xcb_xfixes_select_selection_input(connection, window, clipboard,
        XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
            | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    // The owner at start, asked after the selection changes are selected, so that no change is missed in
    // between; the answer also shows the server has taken the selection, so every change from now on is seen.
    const auto owner
        = xcbReply(xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, clipboard), nullptr));
    if (!owner)
        return false;
    initialOwner = owner->owner;

    stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return stopFd >= 0;
}

xcb_window_t X11ClipboardReader::Private::createRequestor()
{
    // An unmapped window that receives the answers; property changes drive incremental transfers.
    const xcb_window_t created = xcb_generate_id(connection);
    const uint32_t values[] = {1, XCB_EVENT_MASK_PROPERTY_CHANGE};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, created, root, -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
        XCB_COPY_FROM_PARENT, XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    return created;
}

void X11ClipboardReader::Private::close()
{
    pending.clear();
    if (connection)
        xcb_disconnect(connection);
    connection = nullptr;
    if (stopFd >= 0)
        ::close(stopFd);
    stopFd = -1;
}

void X11ClipboardReader::Private::run()
{
    if (initialOwner != XCB_NONE) {
        xcb_xfixes_selection_notify_event_t notify = {};
        notify.subtype = XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER;
        notify.owner = initialOwner;
        notify.selection = clipboard;
        handleSelectionChange(notify, true);
    }
    for (;;) {
        Event event;
        if (!pending.empty()) {
            event = std::move(pending.front());
            pending.pop_front();
        } else {
            const Wait result = waitForEvent(QDeadlineTimer(QDeadlineTimer::Forever), event);
            if (result == Wait::broken)
                qCWarning(lcPlatform) << "the X connection of the clipboard reader failed; no more changes are read";
            if (result != Wait::event)
                return;
        }
        if (isSelectionChange(event.get()))
            handleSelectionChange(*reinterpret_cast<const xcb_xfixes_selection_notify_event_t *>(event.get()), false);
    }
}

bool X11ClipboardReader::Private::isSelectionChange(const xcb_generic_event_t *event) const
{
    if ((event->response_type & 0x7f) != xfixesFirstEvent + XCB_XFIXES_SELECTION_NOTIFY)
        return false;
    return reinterpret_cast<const xcb_xfixes_selection_notify_event_t *>(event)->selection == clipboard;
}

Wait X11ClipboardReader::Private::waitForEvent(QDeadlineTimer deadline, Event &event)
{
    for (;;) {
        // A request to stop comes before events that keep arriving (the parts of a fast transfer).
        pollfd stop = {stopFd, POLLIN, 0};
        if (poll(&stop, 1, 0) > 0 && stop.revents)
            return Wait::stopped;
        // Events already read from the socket come first; poll() only sees what is still in it.
        if (xcb_generic_event_t *next = xcb_poll_for_event(connection)) {
            event.reset(next);
            return Wait::event;
        }
        if (xcb_connection_has_error(connection))
            return Wait::broken;
        int timeout = -1;
        if (!deadline.isForever()) {
            const qint64 remaining = deadline.remainingTime();
            if (remaining <= 0)
                return Wait::timedOut;
            timeout = int(remaining);
        }
        pollfd descriptors[] = {{xcb_get_file_descriptor(connection), POLLIN, 0}, {stopFd, POLLIN, 0}};
        const int ready = poll(descriptors, 2, timeout);
        if (ready < 0 && errno != EINTR)
            return Wait::broken;
        if (ready > 0 && descriptors[1].revents)
            return Wait::stopped;
    }
}

void X11ClipboardReader::Private::handleSelectionChange(const xcb_xfixes_selection_notify_event_t &notify, bool initial)
{
    OwnerChange change;
    change.serial = ++serial;
    change.initial = initial;
    if (notify.owner == XCB_NONE) {
        change.event = notify.subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER ? OwnerEvent::cleared
                                                                                        : OwnerEvent::ownerLeft;
    } else {
        change.event = OwnerEvent::newOwner;
        change.ownedByApplication = (notify.owner & ~applicationMask) == applicationBase;
    }
    handlers.ownerChanged(change);
    if (change.event == OwnerEvent::newOwner && !change.ownedByApplication)
        readContent(change.serial);
}

void X11ClipboardReader::Private::readContent(quint64 changeSerial)
{
    QByteArray data;
    QHash<QString, xcb_atom_t> offered;
    switch (fetch(targets, data)) {
    case Fetch::ok: {
        QList<xcb_atom_t> atoms;
        const auto *values = reinterpret_cast<const xcb_atom_t *>(data.constData());
        for (qsizetype i = 0; i < data.size() / qsizetype(sizeof(xcb_atom_t)); ++i) {
            if (values[i] != XCB_NONE)
                atoms.append(values[i]);
        }
        const QStringList names = namesOfAtoms(atoms);
        for (qsizetype i = 0; i < atoms.size(); ++i)
            offered.insert(names.at(i), atoms.at(i));
        break;
    }
    case Fetch::refused:
        // An owner that does not list its targets: ask for text directly.
        offered.insert(QStringLiteral("UTF8_STRING"), utf8String);
        break;
    case Fetch::timedOut:
    case Fetch::tooLarge:
        // The owner does not answer: its content stays empty.
        handlers.contentRead(changeSerial, PasteboardContent(), std::nullopt);
        return;
    case Fetch::superseded:
    case Fetch::stopped:
    case Fetch::broken:
        return;
    }

    QList<std::pair<QString, QByteArray>> fetched;
    std::optional<OversizedContent> oversized;
    const QStringList wanted = X11ClipboardTargets::targetsToRead(offered.keys());
    for (const QString &target : wanted) {
        const Fetch result = fetch(offered.value(target), data);
        if (result == Fetch::ok) {
            fetched.append({target, data});
        } else if (result == Fetch::tooLarge) {
            qCInfo(lcPlatform).noquote() << "left out the clipboard's" << target << "of at least" << refusedSize
                                         << "bytes, more than the limit of" << limits.maximumBytes;
            if (!oversized)
                oversized = OversizedContent {target, refusedSize, limits.maximumBytes};
        } else if (result == Fetch::timedOut) {
            break; // an owner that stopped answering will not answer the next request either
        } else if (result != Fetch::refused) {
            return;
        }
    }
    handlers.contentRead(changeSerial, X11ClipboardTargets::contentFromTargets(fetched), oversized);
}

Fetch X11ClipboardReader::Private::fetch(xcb_atom_t target, QByteArray &data)
{
    data.clear();
    if (!pending.empty())
        return Fetch::superseded;
    xcb_delete_property(connection, requestor, property);
    xcb_convert_selection(connection, requestor, clipboard, target, property, XCB_CURRENT_TIME);
    xcb_flush(connection);

    const QDeadlineTimer answer(limits.answerTimeoutMs);
    for (;;) {
        Event event;
        const Wait result = waitForEvent(answer, event);
        if (result == Wait::timedOut) {
            renewProperty();
            return Fetch::timedOut;
        }
        if (result != Wait::event)
            return result == Wait::stopped ? Fetch::stopped : Fetch::broken;
        if (isSelectionChange(event.get())) {
            pending.push_back(std::move(event));
            renewProperty();
            return Fetch::superseded;
        }
        if ((event->response_type & 0x7f) != XCB_SELECTION_NOTIFY)
            continue;
        const auto *notify = reinterpret_cast<const xcb_selection_notify_event_t *>(event.get());
        if (notify->requestor != requestor || notify->selection != clipboard || notify->target != target)
            continue;
        if (notify->property == XCB_NONE)
            return Fetch::refused;
        if (notify->property == property)
            break;
    }
    const Fetch result = readProperty(data);
    if (result != Fetch::ok && result != Fetch::refused)
        renewProperty();
    return result;
}

Fetch X11ClipboardReader::Private::readProperty(QByteArray &data)
{
    const auto longLength = uint32_t(qMin<qint64>(limits.maximumBytes / 4 + 1, UINT32_MAX / 4));
    const auto reply = xcbReply(xcb_get_property_reply(connection,
        xcb_get_property(connection, true, requestor, property, XCB_GET_PROPERTY_TYPE_ANY, 0, longLength), nullptr));
    if (!reply)
        return Fetch::broken;
    if (reply->type == XCB_NONE)
        return Fetch::refused;
    const int length = xcb_get_property_value_length(reply.get());
    if (reply->type == incr) {
        quint32 sizeHint = 0;
        if (length >= int(sizeof sizeHint))
            std::memcpy(&sizeHint, xcb_get_property_value(reply.get()), sizeof sizeHint);
        return readIncrementally(sizeHint, data);
    }
    if (reply->bytes_after > 0) {
        refusedSize = qint64(length) + reply->bytes_after;
        xcb_delete_property(connection, requestor, property);
        return Fetch::tooLarge;
    }
    data = QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())), length);
    return Fetch::ok;
}

Fetch X11ClipboardReader::Private::readIncrementally(quint32 sizeHint, QByteArray &data)
{
    // Deleting the INCR property (done by reading it) asked the owner for the first part; each part is
    // read and deleted in turn, and an empty part ends the transfer.
    if (sizeHint > limits.maximumBytes) {
        refusedSize = sizeHint;
        return endRefusedTransfer();
    }
    data.reserve(sizeHint);
    const QDeadlineTimer whole(limits.transferTimeoutMs);
    for (;;) {
        const Fetch waited = waitForPart(QDeadlineTimer(qMin<qint64>(limits.answerTimeoutMs, whole.remainingTime())));
        if (waited == Fetch::timedOut || waited == Fetch::superseded || waited == Fetch::stopped)
            abandonTransfer();
        if (waited != Fetch::ok)
            return waited;
        const auto longLength = uint32_t(qMin<qint64>(limits.maximumBytes / 4 + 1, UINT32_MAX / 4));
        const auto reply = xcbReply(xcb_get_property_reply(connection,
            xcb_get_property(connection, true, requestor, property, XCB_GET_PROPERTY_TYPE_ANY, 0, longLength),
            nullptr));
        if (!reply)
            return Fetch::broken;
        const int length = xcb_get_property_value_length(reply.get());
        if (length == 0)
            return Fetch::ok;
        if (data.size() + length > limits.maximumBytes) {
            refusedSize = qMax<qint64>(sizeHint, data.size() + length + reply->bytes_after);
            data.clear();
            data.squeeze();
            return endRefusedTransfer();
        }
        data.append(static_cast<const char *>(xcb_get_property_value(reply.get())), length);
    }
}

Fetch X11ClipboardReader::Private::waitForPart(QDeadlineTimer deadline)
{
    for (;;) {
        Event event;
        const Wait result = waitForEvent(deadline, event);
        if (result == Wait::timedOut)
            return Fetch::timedOut;
        if (result != Wait::event)
            return result == Wait::stopped ? Fetch::stopped : Fetch::broken;
        if (isSelectionChange(event.get())) {
            pending.push_back(std::move(event));
            return Fetch::superseded;
        }
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            continue;
        const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event.get());
        if (notify->window == requestor && notify->atom == property && notify->state == XCB_PROPERTY_NEW_VALUE)
            return Fetch::ok;
    }
}

Fetch X11ClipboardReader::Private::endRefusedTransfer()
{
    // The owner of a transfer in parts waits for each part to be deleted before it sends the next, and ends with
    // an empty part. Deleting every part unread takes the transfer to its end at the owner's pace without the data
    // crossing this connection, and leaves the owner free for the next program that pastes.
    const QDeadlineTimer whole(limits.transferTimeoutMs);
    for (;;) {
        const Fetch waited = waitForPart(QDeadlineTimer(qMin<qint64>(limits.answerTimeoutMs, whole.remainingTime())));
        if (waited == Fetch::timedOut || waited == Fetch::superseded || waited == Fetch::stopped)
            abandonTransfer();
        if (waited == Fetch::timedOut)
            return Fetch::tooLarge;
        if (waited != Fetch::ok)
            return waited;
        // Only the size: the server deletes an empty part as it answers, which ends the transfer.
        const auto reply = xcbReply(xcb_get_property_reply(connection,
            xcb_get_property(connection, true, requestor, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0), nullptr));
        if (!reply)
            return Fetch::broken;
        if (reply->bytes_after == 0)
            return Fetch::tooLarge;
        xcb_delete_property(connection, requestor, property);
        xcb_flush(connection);
    }
}

void X11ClipboardReader::Private::abandonTransfer()
{
    // The owner of a transfer in parts waits for the window to take its next part. Without listening any more and
    // without the window, the owner's next step fails and it drops the transfer; a fresh window takes the next
    // answers.
    const uint32_t noEvents = 0;
    xcb_change_window_attributes(connection, requestor, XCB_CW_EVENT_MASK, &noEvents);
    xcb_delete_property(connection, requestor, property);
    xcb_destroy_window(connection, requestor);
    requestor = createRequestor();
    xcb_flush(connection);
}

QStringList X11ClipboardReader::Private::namesOfAtoms(const QList<xcb_atom_t> &atoms)
{
    QList<xcb_atom_t> unknown;
    for (const xcb_atom_t atom : atoms) {
        if (!atomNames.contains(atom) && !unknown.contains(atom))
            unknown.append(atom);
    }
    QList<xcb_get_atom_name_cookie_t> cookies;
    for (const xcb_atom_t atom : std::as_const(unknown))
        cookies.append(xcb_get_atom_name(connection, atom));
    for (qsizetype i = 0; i < unknown.size(); ++i) {
        const auto reply = xcbReply(xcb_get_atom_name_reply(connection, cookies.at(i), nullptr));
        atomNames.insert(unknown.at(i),
            reply ? QString::fromUtf8(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()))
                  : QString());
    }
    QStringList names;
    for (const xcb_atom_t atom : atoms)
        names.append(atomNames.value(atom));
    return names;
}

void X11ClipboardReader::Private::renewProperty()
{
    // An abandoned request may still be answered later; another property keeps that answer out of the next ones.
    // Owners give up long before the names come round again.
    propertyGeneration = (propertyGeneration + 1) % 16;
    const QByteArray name = "VARNISTO_CLIPBOARD_" + QByteArray::number(propertyGeneration);
    const xcb_atom_t fresh = xcbInternAtoms(connection, {name.constData()})[0];
    if (fresh != XCB_NONE)
        property = fresh;
}
