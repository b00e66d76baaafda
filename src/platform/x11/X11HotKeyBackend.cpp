#include "X11HotKeyBackend.h"

#include "PlatformLogging.h"
#include "X11Keyboard.h"
#include "XcbSupport.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

namespace {
// Longer than any key repeat interval, shorter than a deliberate second press after a lost release.
constexpr quint32 repeatGapMs = 1000;
} // namespace

X11HotKeyBackend::X11HotKeyBackend(QObject *parent) : HotKeyBackend(parent)
{
    if (auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        m_connection = x11->connection();
    if (m_connection) {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        m_keyboard = std::make_unique<X11KeyboardMap>(m_connection);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
}

X11HotKeyBackend::~X11HotKeyBackend()
{
    if (!m_connection)
        return;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    for (const Grab &grab : std::as_const(m_grabs))
        ungrab(grab);
    xcb_flush(m_connection);
}

QList<quint16> X11HotKeyBackend::lockVariants() const
{
    const quint16 numLock = m_keyboard->numLockMask();
    QList<quint16> variants {0, X11Keys::lockMask};
    if (numLock)
        variants << numLock << quint16(numLock | X11Keys::lockMask);
    return variants;
}

Expected<HotKeyBackend::HotKeyRef, int> X11HotKeyBackend::registerHotKey(
    quint32 keyCode, quint32 modifiers, HotKeyID id)
{
    using Result = Expected<HotKeyRef, int>;
    if (!m_connection)
        return Result::failure(keyUnavailableStatus);
    // The keyboard map is read again whenever no key is grabbed, so that a new layout is used from the next
    // registration of the hot keys on.
    if (m_grabs.isEmpty())
        m_keyboard = std::make_unique<X11KeyboardMap>(m_connection);
    const auto keysym = X11Keys::keysymForVirtualKey(keyCode);
    Grab grab;
    grab.id = id;
    grab.modifiers = X11Keys::modifiersForHotKeyMask(modifiers);
    if (keysym)
        grab.keycodes = m_keyboard->keycodes(*keysym);
    if (grab.keycodes.isEmpty())
        return Result::failure(keyUnavailableStatus);
    // The display lets a client grab the same key twice; a hot key still has one owner.
    for (const Grab &existing : std::as_const(m_grabs)) {
        if (existing.modifiers == grab.modifiers && existing.keycodes == grab.keycodes)
            return Result::failure(keyTakenStatus);
    }
    if (const int status = this->grab(grab))
        return Result::failure(status);
    grab.ref = m_nextRef++;
    m_grabs.append(grab);
    return grab.ref;
}

void X11HotKeyBackend::unregisterHotKey(HotKeyRef ref)
{
    for (qsizetype i = 0; i < m_grabs.size(); ++i) {
        if (m_grabs.at(i).ref == ref) {
            ungrab(m_grabs.takeAt(i));
            xcb_flush(m_connection);
            return;
        }
    }
}

int X11HotKeyBackend::grab(const Grab &grab)
{
    QList<xcb_void_cookie_t> cookies;
    for (const quint8 keycode : grab.keycodes) {
        for (const quint16 variant : lockVariants()) {
            cookies.append(xcb_grab_key_checked(
                m_connection, 0, m_root, grab.modifiers | variant, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        }
    }
    int status = 0;
    for (const xcb_void_cookie_t cookie : std::as_const(cookies)) {
        if (const XcbError error = xcbRequestError(m_connection, cookie); error && !status)
            status = error->error_code;
    }
    // A partial grab would work only in some lock states: release what was taken.
    if (status) {
        ungrab(grab);
        xcb_flush(m_connection);
    }
    return status;
}

void X11HotKeyBackend::ungrab(const Grab &grab)
{
    for (const quint8 keycode : grab.keycodes) {
        for (const quint16 variant : lockVariants())
            xcb_ungrab_key(m_connection, keycode, m_root, grab.modifiers | variant);
    }
}

void X11HotKeyBackend::withoutGrabsOf(quint8 keycode, quint16 modifiers, const std::function<void()> &post)
{
    QList<Grab> lifted;
    if (m_connection) {
        for (const Grab &grab : std::as_const(m_grabs)) {
            if (grab.modifiers == modifiers && grab.keycodes.contains(keycode)) {
                ungrab(grab);
                lifted.append(grab);
            }
        }
    }
    post();
    // The display handles the posted keys before any later request, so the grabs can be taken again at once.
    for (const Grab &grab : std::as_const(lifted)) {
        if (const int status = this->grab(grab))
            qCWarning(lcPlatform) << "could not take back the grab of hot key" << grab.id.id << "status" << status;
    }
    if (m_connection)
        xcb_flush(m_connection);
}

bool X11HotKeyBackend::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (m_grabs.isEmpty() || eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const quint8 type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    const auto *key = reinterpret_cast<const xcb_key_press_event_t *>(event);
    if (key->event != m_root)
        return false;
    const quint16 state = key->state & X11Keys::modifierBits & ~(X11Keys::lockMask | m_keyboard->numLockMask());
    for (const Grab &grab : std::as_const(m_grabs)) {
        if (!grab.keycodes.contains(key->detail))
            continue;
        if (type == XCB_KEY_RELEASE) {
            m_heldKeys.remove(key->detail);
            return true;
        }
        if (grab.modifiers != state)
            continue;
        // A held key repeats its press every few tens of milliseconds: the hot key fires once. A press long after
        // the last one is a new press whose release we missed.
        const auto held = m_heldKeys.constFind(key->detail);
        const bool repeat = held != m_heldKeys.cend() && key->time - *held < repeatGapMs;
        m_heldKeys.insert(key->detail, key->time);
        if (!repeat)
            Q_EMIT hotKeyPressed(grab.id);
        return true;
    }
    return false;
}
