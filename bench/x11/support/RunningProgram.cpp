#include "RunningProgram.h"

#include "DesktopQueries.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <functional>

namespace {

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

} // namespace

QString programUnderTest()
{
    const QString chosen = qEnvironmentVariable("VARNISTO_BENCH_PROGRAM");
    return chosen.isEmpty() ? QStringLiteral(VARNISTO_PROGRAM) : chosen;
}

RunningProgram::RunningProgram(const QString &program, const QProcessEnvironment &environment)
{
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_process,
        [this] { m_log += QString::fromUtf8(m_process.readAllStandardError()); });
    m_process.start(program, {});
}

RunningProgram::~RunningProgram()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
}

bool RunningProgram::waitForStarted()
{
    return m_process.waitForStarted(30000);
}

bool RunningProgram::waitForLog(const QString &text, int count, int timeoutMs)
{
    // This process's event loop runs meanwhile (it may own the clipboard), and the wait ends as soon as the line
    // arrives: the copy benchmark times that moment.
    if (m_log.count(text) >= count)
        return true;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&m_process, &QProcess::readyReadStandardError, &loop, [&] {
        if (m_log.count(text) >= count)
            loop.quit();
    });
    QObject::connect(&m_process, &QProcess::finished, &loop, &QEventLoop::quit);
    deadline.start(timeoutMs);
    loop.exec();
    return m_log.count(text) >= count;
}

std::optional<qint64> RunningProgram::statusKiB(const char *field) const
{
    if (m_process.state() != QProcess::Running)
        return std::nullopt;
    QFile status(QStringLiteral("/proc/%1/status").arg(m_process.processId()));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (!line.startsWith(prefix))
            continue;
        // "VmRSS:	  123456 kB"
        bool ok = false;
        const qint64 value = line.mid(prefix.size()).trimmed().split(' ').first().toLongLong(&ok);
        return ok ? std::optional<qint64>(value) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<qint64> RunningProgram::proportionalKiB(const char *field) const
{
    const QByteArray prefix = QByteArray(field) + ':';
    if (m_process.state() != QProcess::Running)
        return std::nullopt;
    QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(m_process.processId()));
    if (!rollup.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray &line : rollup.readAll().split('\n')) {
        if (!line.startsWith(prefix))
            continue;
        bool ok = false;
        const qint64 value = line.mid(prefix.size()).trimmed().split(' ').first().toLongLong(&ok);
        return ok ? std::optional<qint64>(value) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<qint64> RunningProgram::settledResidentKiB(int timeoutMs)
{
    constexpr qint64 tolerance = 1024;
    std::optional<qint64> result;
    QList<qint64> readings;
    const bool settled = waitFor(
        [&] {
            const auto now = statusKiB("VmRSS");
            if (!now)
                return true; // gone: nothing more to wait for
            readings.append(*now);
            if (readings.size() > 3)
                readings.removeFirst();
            if (readings.size() == 3) {
                const auto [low, high] = std::minmax_element(readings.cbegin(), readings.cend());
                if (*high - *low <= tolerance) {
                    result = readings.last();
                    return true;
                }
            }
            QThread::msleep(200);
            return false;
        },
        timeoutMs);
    return settled ? result : std::nullopt;
}

bool RunningProgram::openHistoryWindow(const QString &title, int timeoutMs)
{
    if (QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("ctrl+alt+v")}) != 0)
        return false;
    std::optional<QString> window;
    return waitFor(
        [&] {
            if (!window)
                window = visibleWindowNamed(title);
            return window && activeWindow() == window;
        },
        timeoutMs);
}

bool RunningProgram::terminate(int timeoutMs)
{
    if (m_process.state() == QProcess::NotRunning)
        return true;
    ::kill(pid_t(m_process.processId()), SIGTERM);
    return m_process.waitForFinished(timeoutMs);
}
