#include "OutsideClickDismissalMonitor.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QWidget>

OutsideClickDismissalMonitor::~OutsideClickDismissalMonitor()
{
    stop();
}

void OutsideClickDismissalMonitor::start(QWidget *window, std::function<void()> dismiss)
{
    stop();
    QCoreApplication *application = QCoreApplication::instance();
    if (!application)
        return;
    m_window = window;
    m_dismiss = std::move(dismiss);
    application->installEventFilter(this);
    m_running = true;
}

void OutsideClickDismissalMonitor::stop()
{
    if (!m_running)
        return;
    if (QCoreApplication *application = QCoreApplication::instance())
        application->removeEventFilter(this);
    m_running = false;
    m_window.clear();
    m_dismiss = nullptr;
}

bool OutsideClickDismissalMonitor::eventFilter(QObject *watched, QEvent *event)
{
    // A double click's second press arrives as a press followed by a double-click event; both are presses.
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
        return QObject::eventFilter(watched, event);
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton && mouse->button() != Qt::RightButton)
        return false;
    const QWidget *window = m_window.data();
    if (!window || !window->isVisible())
        return false;

    // The pointer where it is now, not where the event says it was; inside means
    // left <= x < left + width and top <= y < top + height.
    // A panel inside a window (a sheet over its content) is measured where it is on the screen.
    const QRect frame
        = window->isWindow() ? window->frameGeometry() : QRect(window->mapToGlobal(QPoint(0, 0)), window->size());
    const QPoint pointer = QCursor::pos();
    if (frame.contains(pointer))
        return false;

    // The callback usually stops this monitor and closes the panel; keep it alive while it runs.
    const std::function<void()> dismiss = m_dismiss;
    if (dismiss)
        dismiss();
    return true;
}
