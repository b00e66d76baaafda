#pragma once

#include <QByteArray>
#include <QList>
#include <QSocketNotifier>
#include <QTimer>

#include <memory>
#include <utility>

struct xcb_connection_t;

// Another X client inside a test: its own connection to the display, windows with the properties an
// application sets, and a clipboard owner that serves given targets, or never answers at all.
class ForeignXClient
{
public:
    ForeignXClient();
    ~ForeignXClient();

    struct WindowProperties
    {
        QByteArray instanceName;
        QByteArray className;
        qint64 processId = 0; // _NET_WM_PID, when not 0
        QByteArray applicationId; // _GTK_APPLICATION_ID, when not empty
    };
    // A mapped top-level window.
    quint32 createWindow(const WindowProperties &properties);
    // Asks the window manager to activate the window; answers whether it became the active window.
    bool activate(quint32 window);

    // Takes the CLIPBOARD selection. Requests are answered with the given targets while the event loop runs,
    // or never when `answers` is false.
    void ownClipboard(const QList<std::pair<QByteArray, QByteArray>> &targets, bool answers = true);

    // Closes the connection, as a client that exits.
    void disconnect();

private:
    quint32 atom(const QByteArray &name);
    void serveRequests();

    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
    quint32 m_owner = 0;
    QList<std::pair<QByteArray, QByteArray>> m_targets;
    bool m_answers = true;
    std::unique_ptr<QSocketNotifier> m_notifier;
    // Events that a reply call already took off the socket wake no notifier: look for them now and then.
    std::unique_ptr<QTimer> m_sweep;
};
