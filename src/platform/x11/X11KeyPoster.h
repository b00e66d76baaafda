#pragma once

#include "KeyPoster.h"

#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <memory>

class X11HotKeyBackend;
class X11KeyboardMap;
struct xcb_connection_t;

// Posts key presses with XTest on Qt's X connection.
//
// A press first goes to the paste target (see KeyPoster): when that window does not have the input focus it is
// activated (a _NET_ACTIVE_WINDOW request, or XSetInputFocus without a window manager), and the press waits until
// the window has the focus and the user has let go of every key, so that the modifiers of the hot key or of the
// history window's Return do not mix into the posted keys. After the wait limit it posts anyway, releasing the
// modifier keys still held. The modifier flags become X modifiers as the hot keys do ("cmd" is Ctrl); a terminal
// emulator gets Ctrl+Shift+V where other windows get Ctrl+V. Our own hot-key grabs of the posted combination are
// lifted while it is posted.
class X11KeyPoster final : public KeyPoster
{
    Q_OBJECT

public:
    explicit X11KeyPoster(X11HotKeyBackend *ownGrabs = nullptr,
        std::chrono::milliseconds waitLimit = std::chrono::seconds(2), QObject *parent = nullptr);
    ~X11KeyPoster() override;

    bool isTrusted() const override { return m_hasXTest; }
    void rememberTargetWindow() override;
    void postKeyPress(quint16 keyCode, quint64 flags) override;
    quint32 pasteTargetWindow() const override;

    // Whether a window's WM_CLASS names a terminal emulator.
    static bool isTerminalWindowClass(const QString &instanceName, const QString &className);

private:
    struct Pending
    {
        quint16 keyCode = 0;
        quint64 flags = 0;
        qint64 requestedAt = 0; // ms on m_clock
    };
    enum class State { idle, waiting, posting };

    void startBatch();
    void step();
    void post(const Pending &press);

    // The top-level window that holds the input focus.
    quint32 activeWindow() const;
    quint32 focusWindow() const;
    bool hasWindowManager() const;
    bool focusIsIn(quint32 window) const;
    bool isOwnWindow(quint32 window) const;
    bool windowExists(quint32 window) const;
    bool isTerminal(quint32 window) const;
    bool anyKeyDown() const;
    void releaseHeldModifiers();
    void activate(quint32 window);

    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
    quint32 m_activeWindowAtom = 0;
    quint32 m_supportingWmCheckAtom = 0;
    quint32 m_wmStateAtom = 0;
    bool m_hasXTest = false;
    QPointer<X11HotKeyBackend> m_ownGrabs;
    std::unique_ptr<X11KeyboardMap> m_keyboard;
    std::chrono::milliseconds m_waitLimit;

    QElapsedTimer m_clock;
    QTimer m_timer;
    QList<Pending> m_queue;
    State m_state = State::idle;
    quint32 m_remembered = 0;
    quint32 m_target = 0;
    bool m_targetIsTerminal = false;
    qint64 m_batchStartedAt = 0;
    qint64 m_lastPostedAt = 0;
    qint64 m_lastRequestedAt = 0;
};
