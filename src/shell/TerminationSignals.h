#pragma once

#include <QObject>

#include <chrono>
#include <memory>

class QSocketNotifier;

// How the process answers a request to terminate (SIGTERM, as at the end of a desktop session or from a service
// manager; SIGINT and SIGHUP too).
//
// Until install() runs, the signals keep their default action: the process ends at once. That covers start-up,
// where nothing has been taken in that termination would have to save, and where a step that blocks (a file that
// never answers) would otherwise keep the request waiting. Call install() on the first turn of the event loop.
//
// Once installed, a request ends the event loop in order, so that the application's termination runs as it does
// on Quit: the handler only writes to a pipe, and the quit happens on the main thread. When the main thread does
// not take the request up within the grace period (it is stuck), or a second request arrives, the signal's default
// action ends the process after all. One instance per process.
class TerminationSignals final : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::seconds defaultGracePeriod {10};

    explicit TerminationSignals(std::chrono::seconds gracePeriod = defaultGracePeriod, QObject *parent = nullptr);
    ~TerminationSignals() override;

    // Catches the signals from now on. Does nothing the second time.
    void install();
    bool isInstalled() const { return m_installed; }

Q_SIGNALS:
    // Emitted on the main thread for the signal that arrived, before the application is asked to quit.
    void terminationRequested(int signalNumber);

private:
    void readSignals();

    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_installed = false;
};
