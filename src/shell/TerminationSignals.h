#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

// Ends the event loop in order when the process is asked to terminate (SIGTERM, as at the end of a desktop session
// or from a service manager; SIGINT and SIGHUP too), so that the application's termination runs as it does on
// Quit. The handler only writes to a pipe; the quit happens on the main thread. One instance per process.
class TerminationSignals final : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    bool isInstalled() const { return m_notifier != nullptr; }

Q_SIGNALS:
    // Emitted on the main thread for each signal that arrived, before the application is asked to quit.
    void terminationRequested(int signalNumber);

private:
    void readSignals();

    std::unique_ptr<QSocketNotifier> m_notifier;
};
