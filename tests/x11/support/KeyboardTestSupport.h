#pragma once

// Helpers of the keyboard suites: a clipboard written through QClipboard, windows brought to the front, programs
// run to completion, and a second X client that grabs keys and owns a window of its own.

#include "Pasteboard.h"

#include "TestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

// The CLIPBOARD selection through QClipboard: enough to paste text into a Qt text field.
class QClipboardTestPasteboard final : public Pasteboard
{
public:
    QClipboardTestPasteboard()
    {
        connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { ++m_changeCount; });
    }

    qint64 changeCount() const override { return m_changeCount; }
    QStringList types() const override
    {
        const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
        return mime ? mime->formats() : QStringList();
    }
    std::optional<QByteArray> data(const QString &type) const override
    {
        const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
        if (!mime || !mime->hasFormat(type))
            return std::nullopt;
        return mime->data(type);
    }
    Expected<void, QString> write(const PasteboardContent &content) override
    {
        auto *mime = new QMimeData;
        for (const auto &[type, bytes] : content.representations()) {
            if (type == PasteboardType::plainText())
                mime->setText(QString::fromUtf8(bytes));
            else
                mime->setData(type, bytes);
        }
        QGuiApplication::clipboard()->setMimeData(mime);
        return {};
    }

private:
    qint64 m_changeCount = 0;
};

inline int runProgram(const QString &program, const QStringList &arguments)
{
    return QProcess::execute(program, arguments);
}

inline int xdotool(const QStringList &arguments)
{
    return runProgram(QStringLiteral("xdotool"), arguments);
}

// Shows the window and waits until it has the keyboard focus.
inline bool bringToFront(QWidget &widget)
{
    // Activated on the user's behalf, as a task bar does: the window manager may refuse a program's own request
    // when another window had the user's input last. A window it has not taken on yet ignores the request: ask
    // again until the focus is there.
    widget.show();
    for (int attempt = 0; attempt < 10; ++attempt) {
        QProcess::execute(
            QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QString::number(widget.winId())});
        if (waitUntil([&] { return QGuiApplication::focusWindow() == widget.windowHandle(); }, 500))
            return true;
    }
    return false;
}

// Another X client on the same display, as another program would be.
class ForeignClient
{
public:
    ForeignClient() : m_connection(xcb_connect(nullptr, nullptr))
    {
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }
    ~ForeignClient()
    {
        if (m_window)
            xcb_destroy_window(m_connection, m_window);
        xcb_disconnect(m_connection);
    }
    ForeignClient(const ForeignClient &) = delete;
    ForeignClient &operator=(const ForeignClient &) = delete;

    xcb_connection_t *connection() const { return m_connection; }

    // The first key code that types the key symbol (without Shift).
    xcb_keycode_t keycode(xcb_keysym_t keysym) const
    {
        const xcb_setup_t *setup = xcb_get_setup(m_connection);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        auto *mapping = xcb_get_keyboard_mapping_reply(
            m_connection, xcb_get_keyboard_mapping(m_connection, setup->min_keycode, count), nullptr);
        xcb_keycode_t result = 0;
        if (mapping) {
            const xcb_keysym_t *keysyms = xcb_get_keyboard_mapping_keysyms(mapping);
            for (int key = 0; key < count && !result; ++key) {
                if (keysyms[key * mapping->keysyms_per_keycode] == keysym)
                    result = xcb_keycode_t(setup->min_keycode + key);
            }
            std::free(mapping);
        }
        return result;
    }

    // Grabs a key on the root window; answers the X error code, 0 on success.
    int grabKey(xcb_keysym_t keysym, quint16 modifiers)
    {
        auto cookie = xcb_grab_key_checked(
            m_connection, 1, m_root, modifiers, keycode(keysym), XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        xcb_generic_error_t *error = xcb_request_check(m_connection, cookie);
        const int code = error ? error->error_code : 0;
        std::free(error);
        return code;
    }

    // Maps a top-level window with the given WM_CLASS ("instance\0Class\0") that reports its key presses.
    xcb_window_t createWindow(const QByteArray &wmClass)
    {
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        const quint32 values[] = {screen->white_pixel, XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_FOCUS_CHANGE};
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, m_root, 100, 100, 200, 100, 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
            quint32(wmClass.size()), wmClass.constData());
        const quint32 hints[9] = {1, 1}; // InputHint: the window takes the focus
        xcb_change_property(
            m_connection, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32, 9, hints);
        xcb_map_window(m_connection, m_window);
        xcb_flush(m_connection);
        return m_window;
    }

    // The next key press that reached the window, if one arrived.
    std::optional<xcb_key_press_event_t> takeKeyPress()
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
            std::optional<xcb_key_press_event_t> press;
            if ((event->response_type & 0x7f) == XCB_KEY_PRESS)
                press = *reinterpret_cast<xcb_key_press_event_t *>(event);
            std::free(event);
            if (press)
                return press;
        }
        return std::nullopt;
    }

    // The modifier and button state of the core pointer, which carries the lock modifiers too.
    quint16 modifierState() const
    {
        auto *pointer = xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr);
        const quint16 state = pointer ? pointer->mask : 0;
        std::free(pointer);
        return state;
    }

private:
    xcb_connection_t *m_connection;
    xcb_window_t m_root = 0;
    xcb_window_t m_window = 0;
};
