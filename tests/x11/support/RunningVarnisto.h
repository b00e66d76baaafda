#pragma once

// The real program for the end-to-end suites (their targets define VARNISTO_PROGRAM): started as a user starts it,
// with its error output collected as it comes, and a private session bus for the runs that need one.

#include "TestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <gtest/gtest.h>

#include <csignal>
#include <iostream>

// The environment of the test run without a session bus: neither the one of the desktop the tests may run on
// nor any other. An address that names no transport keeps D-Bus from starting a bus of its own for the display
// (as it does where dbus-x11 is installed and no address is set).
inline QProcessEnvironment environmentWithoutSessionBus()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("disabled:"));
    return environment;
}

// A session bus of the test's own (dbus-daemon, as dbus-run-session starts one), ended with the test.
class PrivateSessionBus
{
public:
    PrivateSessionBus()
    {
        m_daemon.start(QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (m_daemon.waitForStarted(5000)
            && waitUntil([&] { return m_daemon.canReadLine() || m_daemon.state() == QProcess::NotRunning; }, 5000))
            m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateSessionBus()
    {
        m_daemon.kill();
        m_daemon.waitForFinished(5000);
    }

    bool isRunning() const { return !m_address.isEmpty(); }
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
        return environment;
    }

private:
    QProcess m_daemon;
    QString m_address;
};

// How long the program is given to end. On its way out a sanitized program also looks for leaks and matches them
// against the suppressions, which takes seconds more while other suites run beside it.
#ifdef VARNISTO_SANITIZED_BUILD
inline constexpr int varnistoExitTimeoutMs = 30000;
#else
inline constexpr int varnistoExitTimeoutMs = 10000;
#endif

// The running program. Killed if the test ends early; its output is shown when the test failed.
class RunningVarnisto
{
public:
    // `program`: another copy of it, such as an installed one.
    explicit RunningVarnisto(QProcessEnvironment environment = environmentWithoutSessionBus(),
        const QString &program = QStringLiteral(VARNISTO_PROGRAM))
    {
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("varnisto.app.info=true"));
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_process,
            [this] { m_log += QString::fromUtf8(m_process.readAllStandardError()); });
        m_process.start(program, {});
    }
    ~RunningVarnisto()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
        if (::testing::Test::HasFailure())
            std::cerr << "Varnisto's output:\n" << m_log.toStdString() << std::endl;
    }
    RunningVarnisto(const RunningVarnisto &) = delete;
    RunningVarnisto &operator=(const RunningVarnisto &) = delete;

    bool waitForStarted() { return m_process.waitForStarted(10000); }
    // Waits until the program has written the line, or the time is up.
    bool waitForLog(const QString &text, int count = 1, int timeoutMs = 10000)
    {
        return waitUntil([&] { return m_log.count(text) >= count; }, timeoutMs);
    }
    void signal(int signalNumber) { ::kill(pid_t(m_process.processId()), signalNumber); }
    void terminate() { signal(SIGTERM); }
    bool waitForFinished(int timeoutMs = varnistoExitTimeoutMs)
    {
        const bool finished = waitUntil([&] { return m_process.state() == QProcess::NotRunning; }, timeoutMs);
        m_log += QString::fromUtf8(m_process.readAllStandardError());
        return finished;
    }
    // Ended by itself with this exit code.
    bool exitedWith(int code) const
    {
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == code;
    }
    QProcess &process() { return m_process; }
    const QString &log() const { return m_log; }

private:
    QProcess m_process;
    QString m_log;
};
