#pragma once

#include "KeyPoster.h"
#include "PasteKeystroke.h"
#include "X11PasteboardClaims.h"

#include <QElapsedTimer>
#include <QList>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>

class X11HotKeyBackend;
class X11KeyboardMap;
struct xcb_connection_t;

// Posts key presses with XTest on Qt's X connection.
//
// A press first goes to the paste target (see KeyPoster): when that window does not have the input focus it is
// activated (a _NET_ACTIVE_WINDOW request, or XSetInputFocus without a window manager), and the press waits until
// the window has the focus and the user has let go of every key, so that the modifiers of the hot key or of the
// history window's Return do not mix into the posted keys. After the wait limit it posts anyway, releasing the
// modifier keys still held. The modifier flags become X modifiers as the hot keys do ("cmd" is Ctrl). Ctrl+V
// becomes the paste keys of the target's window class (PasteKeystroke): Ctrl+Shift+V for most terminal emulators,
// Shift+Insert for xterm and its kin, which paste the primary selection: for them the clipboard's text is offered
// as the primary selection too when Ctrl+V is asked for. Our own hot-key grabs of the posted combination are
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

private:
    struct Pending
    {
        quint16 keyCode = 0;
        quint64 flags = 0;
        qint64 requestedAt = 0; // ms on m_clock
        // For a paste into a window that pastes the primary selection: the clipboard's text when it was asked for.
        std::optional<QString> primarySelectionText;
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
    PasteKeystroke pasteKeystrokeOf(quint32 window) const;
    bool isPasteKeystroke(quint16 keyCode, quint64 flags) const;
    std::optional<QString> clipboardTextForPrimarySelection() const;
    void offerAsPrimarySelection(const QString &text);
    bool anyKeyDown() const;
    void releaseHeldModifiers();
    void activate(quint32 window);

    xcb_connection_t *m_connection = nullptr;
    // The primary selection claimed behind Qt's back stays in force when Qt hears late that another client had it.
    X11StaleSelectionClearFilter m_staleClearFilter;
    quint32 m_root = 0;
    quint32 m_activeWindowAtom = 0;
    quint32 m_supportingWmCheckAtom = 0;
    quint32 m_wmStateAtom = 0;
    quint32 m_clipboardAtom = 0;
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
    PasteKeystroke m_targetPasteKeystroke = PasteKeystroke::controlV;
    qint64 m_batchStartedAt = 0;
    qint64 m_lastPostedAt = 0;
    qint64 m_lastRequestedAt = 0;
};
