#include "TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// What the handlers share with the main thread; written by the main thread only while no handler is installed.
int signalPipe[2] = {-1, -1};
constexpr std::array handledSignals {SIGTERM, SIGINT, SIGHUP};
unsigned int gracePeriodSeconds = 10;
volatile sig_atomic_t requestedSignal = 0; // the signal of the first request, 0 before one arrived
volatile sig_atomic_t requestTaken = 0; // the main thread has taken the request up
struct sigaction previousActions[handledSignals.size() + 1]; // the handled signals, then SIGALRM

// Gives the signal its default action and raises it again: the process ends as if it had never been caught. Inside
// the handler of the same signal it is blocked, and it ends the process as soon as the handler returns.
void endWithDefaultAction(int signalNumber)
{
    struct sigaction action
    {
    };
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signalNumber, &action, nullptr);
    ::raise(signalNumber);
}

void handleTerminationSignal(int signalNumber)
{
    const int savedErrno = errno;
    if (requestedSignal != 0) {
        // Asked again: the user insists, or the orderly way takes too long.
        endWithDefaultAction(signalNumber);
    } else {
        requestedSignal = signalNumber;
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
        ::alarm(gracePeriodSeconds);
    }
    errno = savedErrno;
}

void handleGracePeriodEnd(int)
{
    const int savedErrno = errno;
    if (!requestTaken && requestedSignal != 0)
        endWithDefaultAction(requestedSignal);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(std::chrono::seconds gracePeriod, QObject *parent) : QObject(parent)
{
    if (signalPipe[0] == -1)
        gracePeriodSeconds = unsigned(std::max<qint64>(1, gracePeriod.count()));
}

TerminationSignals::~TerminationSignals()
{
    if (!m_installed)
        return;
    for (std::size_t index = 0; index < handledSignals.size(); ++index)
        ::sigaction(handledSignals[index], &previousActions[index], nullptr);
    ::alarm(0);
    ::sigaction(SIGALRM, &previousActions[handledSignals.size()], nullptr);
    m_notifier.reset();
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
    requestedSignal = 0;
    requestTaken = 0;
}

void TerminationSignals::install()
{
    if (m_installed || signalPipe[0] != -1 || ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_installed = true;
    requestedSignal = 0;
    requestTaken = 0;
    m_notifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::readSignals);

    struct sigaction action
    {
    };
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    action.sa_handler = handleGracePeriodEnd;
    ::sigaction(SIGALRM, &action, &previousActions[handledSignals.size()]);
    action.sa_handler = handleTerminationSignal;
    for (std::size_t index = 0; index < handledSignals.size(); ++index)
        ::sigaction(handledSignals[index], &action, &previousActions[index]);
}

void TerminationSignals::readSignals()
{
    unsigned char byte = 0;
    bool requested = false;
    while (::read(signalPipe[0], &byte, 1) == 1)
        requested = true;
    if (!requested || requestTaken)
        return;
    requestTaken = 1;
    ::alarm(0); // the main thread is here: the orderly way goes on
    Q_EMIT terminationRequested(int(byte));
    // exit() rather than quit(): quit() first asks every window to close and gives up when one declines, as the
    // preview does while it is open.
    QCoreApplication::exit(0);
}
