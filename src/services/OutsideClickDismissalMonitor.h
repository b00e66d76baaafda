#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

// Closes a floating panel when the user clicks elsewhere in the application: while it runs, every left or right
// mouse press the application receives is compared with the panel's frame, and a press outside a visible panel
// calls the dismiss callback and is swallowed, so that it reaches no window. Clicks in other applications are
// not seen. GUI thread only.
class OutsideClickDismissalMonitor final : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~OutsideClickDismissalMonitor() override;

    // Starts watching the window (not kept alive by the monitor; once it is gone, clicks pass). Starting a
    // running monitor replaces what it watched.
    void start(QWidget *window, std::function<void()> dismiss);
    // Stops watching; harmless when idle.
    void stop();
    bool isRunning() const { return m_running; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
    std::function<void()> m_dismiss;
    bool m_running = false;
};
