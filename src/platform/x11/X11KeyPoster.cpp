#include "X11KeyPoster.h"

#include "KeyboardCodes.h"
#include "PlatformLogging.h"
#include "X11HotKeyBackend.h"
#include "X11Keyboard.h"
#include "XcbSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xtest.h>

#include <array>

namespace {

// How often a waiting press looks at the focus and the keyboard.
constexpr int pollIntervalMs = 2;

std::optional<quint32> windowProperty(xcb_connection_t *connection, quint32 window, quint32 atom)
{
    auto cookie = xcb_get_property(connection, 0, window, atom, XCB_ATOM_WINDOW, 0, 1);
    auto property = xcbReply(xcb_get_property_reply(connection, cookie, nullptr));
    if (!property || property->type != XCB_ATOM_WINDOW || property->format != 32
        || xcb_get_property_value_length(property.get()) < 4)
        return std::nullopt;
    return *static_cast<const quint32 *>(xcb_get_property_value(property.get()));
}

} // namespace

X11KeyPoster::X11KeyPoster(X11HotKeyBackend *ownGrabs, std::chrono::milliseconds waitLimit, QObject *parent)
    : KeyPoster(parent), m_ownGrabs(ownGrabs), m_waitLimit(waitLimit)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &X11KeyPoster::step);

    if (auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        m_connection = x11->connection();
    if (!m_connection)
        return;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    const xcb_query_extension_reply_t *xtest = xcb_get_extension_data(m_connection, &xcb_test_id);
    m_hasXTest = xtest && xtest->present;
    const auto atoms
        = xcbInternAtoms(m_connection, {"_NET_ACTIVE_WINDOW", "_NET_SUPPORTING_WM_CHECK", "WM_STATE", "CLIPBOARD"});
    m_activeWindowAtom = atoms[0];
    m_supportingWmCheckAtom = atoms[1];
    m_wmStateAtom = atoms[2];
    m_clipboardAtom = atoms[3];
}

X11KeyPoster::~X11KeyPoster() = default;

void X11KeyPoster::rememberTargetWindow()
{
    if (!m_connection)
        return;
    if (const quint32 active = activeWindow())
        m_remembered = active;
}

void X11KeyPoster::postKeyPress(quint16 keyCode, quint64 flags)
{
    if (!m_connection || !m_hasXTest)
        return;
    Pending press {keyCode, flags, m_clock.elapsed()};
    // The text of this paste, before a later write replaces it while the press waits.
    if (isPasteKeystroke(keyCode, flags))
        press.primarySelectionText = clipboardTextForPrimarySelection();
    m_queue.append(press);
    if (m_state == State::idle)
        startBatch();
}

void X11KeyPoster::startBatch()
{
    // The keyboard map is read again for every batch: the layout may have changed since the last one.
    m_keyboard = std::make_unique<X11KeyboardMap>(m_connection);

    // While one of our windows (or none) is active, the keys are meant for the window that was active before it.
    const quint32 active = activeWindow();
    m_target = active;
    if (m_remembered && m_remembered != active && (!active || isOwnWindow(active)) && windowExists(m_remembered))
        m_target = m_remembered;
    qCDebug(lcPlatform) << "batch: active" << active << "remembered" << m_remembered << "target" << m_target << "focus"
                        << focusWindow();
    if (m_target && !focusIsIn(m_target))
        activate(m_target);
    m_targetPasteKeystroke = pasteKeystrokeOf(m_target ? m_target : focusWindow());
    m_batchStartedAt = m_clock.elapsed();
    m_state = State::waiting;
    step();
}

void X11KeyPoster::step()
{
    const qint64 now = m_clock.elapsed();
    if (m_state == State::waiting) {
        const bool focused = !m_target || focusIsIn(m_target);
        const bool keysReleased = !anyKeyDown();
        const bool late = now - m_batchStartedAt >= m_waitLimit.count();
        if (!(focused && keysReleased) && !late) {
            m_timer.start(pollIntervalMs);
            return;
        }
        if (!focused)
            qCDebug(lcPlatform) << "the paste target did not take the focus; posting to the focused window";
        if (!keysReleased)
            releaseHeldModifiers();
        m_state = State::posting;
        const Pending first = m_queue.takeFirst();
        post(first);
        m_lastPostedAt = now;
        m_lastRequestedAt = first.requestedAt;
    }
    // Later presses keep the spacing in time they were asked for with.
    while (!m_queue.isEmpty()) {
        const qint64 due = m_lastPostedAt + (m_queue.first().requestedAt - m_lastRequestedAt);
        if (now < due) {
            m_timer.start(int(due - now));
            return;
        }
        const Pending next = m_queue.takeFirst();
        post(next);
        m_lastPostedAt = now;
        m_lastRequestedAt = next.requestedAt;
    }
    m_state = State::idle;
}

void X11KeyPoster::post(const Pending &press)
{
    auto keysym = X11Keys::keysymForVirtualKey(press.keyCode);
    quint16 modifiers = X11Keys::modifiersForEventFlags(press.flags);
    if (isPasteKeystroke(press.keyCode, press.flags)) {
        switch (m_targetPasteKeystroke) {
        case PasteKeystroke::controlV:
            break;
        case PasteKeystroke::controlShiftV:
            modifiers |= X11Keys::shiftMask;
            break;
        case PasteKeystroke::shiftInsertFromPrimarySelection:
            if (press.primarySelectionText)
                offerAsPrimarySelection(*press.primarySelectionText);
            keysym = X11Keys::keysymInsert;
            modifiers = X11Keys::shiftMask;
            break;
        }
    }
    const auto keycode = keysym ? m_keyboard->keycode(*keysym) : std::nullopt;
    if (!keycode) {
        qCWarning(lcPlatform) << "no key of the keyboard map types virtual key" << press.keyCode;
        return;
    }

    static constexpr std::array<std::pair<quint16, quint32>, 4> modifierKeys {{
        {X11Keys::controlMask, X11Keys::keysymControlL},
        {X11Keys::shiftMask, X11Keys::keysymShiftL},
        {X11Keys::mod1Mask, X11Keys::keysymAltL},
        {X11Keys::mod4Mask, X11Keys::keysymSuperL},
    }};
    QList<quint8> modifierKeycodes;
    for (const auto &[mask, modifierKeysym] : modifierKeys) {
        if (!(modifiers & mask))
            continue;
        if (const auto modifierKeycode = m_keyboard->keycode(modifierKeysym))
            modifierKeycodes.append(*modifierKeycode);
    }

    const auto fake = [&](quint8 type, quint8 detail) {
        xcb_test_fake_input(m_connection, type, detail, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    };
    const auto postKeys = [&] {
        for (const quint8 modifier : std::as_const(modifierKeycodes))
            fake(XCB_KEY_PRESS, modifier);
        fake(XCB_KEY_PRESS, *keycode);
        fake(XCB_KEY_RELEASE, *keycode);
        for (auto it = modifierKeycodes.crbegin(); it != modifierKeycodes.crend(); ++it)
            fake(XCB_KEY_RELEASE, *it);
    };
    if (m_ownGrabs)
        m_ownGrabs->withoutGrabsOf(*keycode, modifiers, postKeys);
    else
        postKeys();
    xcb_flush(m_connection);
}

quint32 X11KeyPoster::activeWindow() const
{
    // The input focus rather than the window manager's _NET_ACTIVE_WINDOW, which follows it only later.
    const quint32 focus = focusWindow();
    quint32 window = focus;
    for (int depth = 0; window && depth < 16; ++depth) {
        auto cookie = xcb_get_property(m_connection, 0, window, m_wmStateAtom, XCB_GET_PROPERTY_TYPE_ANY, 0, 0);
        auto state = xcbReply(xcb_get_property_reply(m_connection, cookie, nullptr));
        if (state && state->type != XCB_NONE)
            return window; // the top-level window that the window manager manages
        auto tree = xcbReply(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr));
        if (!tree || !tree->parent || tree->parent == m_root) {
            // Without a window manager: the top-level window. With one, a top-level window it does not manage is
            // one of its own, where it parks the focus while no application has it (openbox does so when our
            // window goes, before it hands the focus on), or a popup: no application is active then.
            return hasWindowManager() ? 0 : window;
        }
        window = tree->parent;
    }
    return focus;
}

quint32 X11KeyPoster::focusWindow() const
{
    auto focus = xcbReply(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    // None and PointerRoot are no window.
    if (!focus || focus->focus == XCB_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT || focus->focus == m_root)
        return 0;
    return focus->focus;
}

bool X11KeyPoster::hasWindowManager() const
{
    const auto check = windowProperty(m_connection, m_root, m_supportingWmCheckAtom);
    return check && *check && windowExists(*check);
}

bool X11KeyPoster::focusIsIn(quint32 window) const
{
    quint32 current = focusWindow();
    for (int depth = 0; current && depth < 16; ++depth) {
        if (current == window)
            return true;
        auto tree = xcbReply(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, current), nullptr));
        if (!tree || tree->parent == m_root)
            return false;
        current = tree->parent;
    }
    return false;
}

bool X11KeyPoster::isOwnWindow(quint32 window) const
{
    const QWindowList windows = QGuiApplication::topLevelWindows();
    for (const QWindow *own : windows) {
        if (own->handle() && own->winId() == window)
            return true;
    }
    return false;
}

bool X11KeyPoster::windowExists(quint32 window) const
{
    auto cookie = xcb_get_window_attributes(m_connection, window);
    return bool(xcbReply(xcb_get_window_attributes_reply(m_connection, cookie, nullptr)));
}

PasteKeystroke X11KeyPoster::pasteKeystrokeOf(quint32 window) const
{
    // The focus may sit in a child of the top-level window that carries WM_CLASS.
    for (int depth = 0; window && window != m_root && depth < 16; ++depth) {
        auto cookie = xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256);
        auto property = xcbReply(xcb_get_property_reply(m_connection, cookie, nullptr));
        if (property && property->type == XCB_ATOM_STRING && property->format == 8) {
            const QByteArray value = xcbPropertyBytes(property.get());
            const QList<QByteArray> names = value.split('\0');
            return pasteKeystrokeForWindowClass(
                QString::fromLocal8Bit(names.value(0)), QString::fromLocal8Bit(names.value(1)));
        }
        auto tree = xcbReply(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr));
        window = tree ? tree->parent : 0;
    }
    return PasteKeystroke::controlV;
}

bool X11KeyPoster::isPasteKeystroke(quint16 keyCode, quint64 flags) const
{
    return keyCode == VirtualKey::v && X11Keys::modifiersForEventFlags(flags) == X11Keys::controlMask;
}

std::optional<QString> X11KeyPoster::clipboardTextForPrimarySelection() const
{
    // Only content of our own: asking another owner would block until it answers.
    const QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard->ownsClipboard())
        return std::nullopt;
    const QMimeData *content = clipboard->mimeData(QClipboard::Clipboard);
    // Content without text offers an empty selection, so that an older selection is not pasted in its place.
    return content && content->hasText() ? content->text() : QString();
}

void X11KeyPoster::offerAsPrimarySelection(const QString &text)
{
    auto *content = new QMimeData;
    content->setText(text);
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setMimeData(content, QClipboard::Selection);
    // Qt claims the selection with the time of the last event it handled, which the X server refuses when another
    // application selected text after that time. Qt serves the selection from the same window as the clipboard,
    // which we own at this moment: claiming it for that window now completes the offer.
    const auto owner = [this](xcb_atom_t selection) -> quint32 {
        auto reply = xcbReply(
            xcb_get_selection_owner_reply(m_connection, xcb_get_selection_owner(m_connection, selection), nullptr));
        return reply ? reply->owner : XCB_NONE;
    };
    const quint32 clipboardOwner = clipboard->ownsClipboard() ? owner(m_clipboardAtom) : XCB_NONE;
    if (clipboardOwner != XCB_NONE && owner(XCB_ATOM_PRIMARY) != clipboardOwner)
        xcb_set_selection_owner(m_connection, clipboardOwner, XCB_ATOM_PRIMARY, XCB_CURRENT_TIME);
}

bool X11KeyPoster::anyKeyDown() const
{
    auto keymap = xcbReply(xcb_query_keymap_reply(m_connection, xcb_query_keymap(m_connection), nullptr));
    if (!keymap)
        return false;
    for (const quint8 byte : keymap->keys) {
        if (byte)
            return true;
    }
    return false;
}

void X11KeyPoster::releaseHeldModifiers()
{
    auto keymap = xcbReply(xcb_query_keymap_reply(m_connection, xcb_query_keymap(m_connection), nullptr));
    if (!keymap)
        return;
    for (int keycode = 8; keycode < 256; ++keycode) {
        if ((keymap->keys[keycode / 8] & (1 << (keycode % 8))) && m_keyboard->isModifierKey(quint8(keycode)))
            xcb_test_fake_input(m_connection, XCB_KEY_RELEASE, quint8(keycode), XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }
}

void X11KeyPoster::activate(quint32 window)
{
    if (hasWindowManager()) {
        xcb_client_message_event_t message {};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = m_activeWindowAtom;
        message.data.data32[0] = 2; // the request comes on the user's behalf, like a task bar's
        message.data.data32[1] = XCB_CURRENT_TIME;
        message.data.data32[2] = activeWindow();
        xcb_send_event(m_connection, 0, m_root,
            XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
            reinterpret_cast<const char *>(&message));
    } else {
        xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
    }
    xcb_flush(m_connection);
}

quint32 X11KeyPoster::pasteTargetWindow() const
{
    if (!m_connection)
        return 0;
    // A batch on its way goes to its target; presses asked for now join it.
    if (m_state != State::idle && m_target && !isOwnWindow(m_target))
        return m_target;
    const quint32 active = activeWindow();
    if (active && !isOwnWindow(active))
        return active;
    if (m_remembered && !isOwnWindow(m_remembered) && windowExists(m_remembered))
        return m_remembered;
    return 0;
}
