#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QStringList>
#include <QThread>

#include <functional>

// Runs the event loop until the condition holds or the time is up; answers whether it holds.
inline bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

// Collects the warnings written while it lives (the exact failure lines that go to the log).
class WarningLog
{
public:
    WarningLog()
    {
        lines().clear();
        m_previous = qInstallMessageHandler(&WarningLog::handle);
    }
    ~WarningLog() { qInstallMessageHandler(m_previous); }
    WarningLog(const WarningLog &) = delete;
    WarningLog &operator=(const WarningLog &) = delete;

    static QStringList &lines()
    {
        static QStringList collected;
        return collected;
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext &, const QString &message)
    {
        if (type == QtWarningMsg)
            lines().append(message);
    }
    QtMessageHandler m_previous = nullptr;
};
