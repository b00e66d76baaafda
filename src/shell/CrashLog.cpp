#include "CrashLog.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array fatalSignals {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr std::size_t alternateStackSize = 64 * 1024;
constexpr int maximumFrames = 128;
// The line the next start adds once it has told the user of the file.
constexpr char toldMarker[] = "The next start told the user of this file";

// Prepared by install(), read by the handler: plain buffers, nothing that allocates.
std::array<char, 4096> logPath {};
std::array<char, 128> programVersion {};
std::atomic_flag handling = ATOMIC_FLAG_INIT;

// A line put together without allocating.
class Line
{
public:
    void append(const char *text)
    {
        while (*text && m_length < m_buffer.size())
            m_buffer[m_length++] = *text++;
    }
    void appendNumber(unsigned long value, int width = 1, unsigned base = 10)
    {
        char digits[32];
        int count = 0;
        do {
            const unsigned digit = unsigned(value % base);
            digits[count++] = char(digit < 10 ? '0' + digit : 'a' + digit - 10);
            value /= base;
        } while (value != 0 && count < int(sizeof digits));
        while (count < width && count < int(sizeof digits))
            digits[count++] = '0';
        while (count > 0 && m_length < m_buffer.size())
            m_buffer[m_length++] = digits[--count];
    }
    void writeTo(int fd) const
    {
        std::size_t done = 0;
        while (fd >= 0 && done < m_length) {
            const ssize_t written = ::write(fd, m_buffer.data() + done, m_length - done);
            if (written <= 0 && errno != EINTR)
                return;
            if (written > 0)
                done += std::size_t(written);
        }
    }

private:
    std::array<char, 512> m_buffer {};
    std::size_t m_length = 0;
};

const char *signalName(int signalNumber)
{
    switch (signalNumber) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGFPE:
        return "SIGFPE";
    case SIGILL:
        return "SIGILL";
    case SIGABRT:
        return "SIGABRT";
    default:
        return "?";
    }
}

// "2026-12-11 15:40:02 UTC", from the clock alone (gmtime is not safe in a signal handler).
void appendUtcTime(Line &line, std::time_t now)
{
    const long long seconds = now;
    long long days = seconds / 86400;
    long long rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    // Days since 1970-01-01 to a civil date.
    const long long z = days + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long dayOfEra = z - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long shiftedMonth = (5 * dayOfYear + 2) / 153;
    const long long day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const long long month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    const long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    line.appendNumber(static_cast<unsigned long>(year), 4);
    line.append("-");
    line.appendNumber(static_cast<unsigned long>(month), 2);
    line.append("-");
    line.appendNumber(static_cast<unsigned long>(day), 2);
    line.append(" ");
    line.appendNumber(static_cast<unsigned long>(rest / 3600), 2);
    line.append(":");
    line.appendNumber(static_cast<unsigned long>(rest / 60 % 60), 2);
    line.append(":");
    line.appendNumber(static_cast<unsigned long>(rest % 60), 2);
    line.append(" UTC");
}

void writeReport(int signalNumber, const siginfo_t *info)
{
    const int log
        = logPath[0] ? ::open(logPath.data(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600) : -1;
    Line heading;
    heading.append("Varnisto ");
    heading.append(programVersion.data());
    heading.append(" ended on signal ");
    heading.appendNumber(unsigned(signalNumber));
    heading.append(" (");
    heading.append(signalName(signalNumber));
    if (info) {
        heading.append(", code ");
        if (info->si_code < 0) {
            heading.append("-");
            heading.appendNumber(static_cast<unsigned long>(-long(info->si_code)));
        } else {
            heading.appendNumber(static_cast<unsigned long>(info->si_code));
        }
        if (info->si_code > 0) { // raised by the kernel for a fault
            heading.append(", address 0x");
            heading.appendNumber(reinterpret_cast<unsigned long>(info->si_addr), 1, 16);
        }
    }
    heading.append(") at ");
    appendUtcTime(heading, std::time(nullptr));
    heading.append(" in process ");
    heading.appendNumber(static_cast<unsigned long>(::getpid()));
    heading.append(".\n\nStack:\n");
    heading.writeTo(log);

    void *frames[maximumFrames];
    const int count = ::backtrace(frames, maximumFrames);
    if (log >= 0)
        ::backtrace_symbols_fd(frames, count, log);

    // Whoever started the program from a terminal or reads the session's log learns of it too.
    Line notice;
    notice.append("varnisto: ended on signal ");
    notice.append(signalName(signalNumber));
    if (log >= 0) {
        notice.append("; the stack is in ");
        notice.append(logPath.data());
        notice.append("\n");
        notice.writeTo(STDERR_FILENO);
        ::close(log);
    } else {
        notice.append("; the stack:\n");
        notice.writeTo(STDERR_FILENO);
        ::backtrace_symbols_fd(frames, count, STDERR_FILENO);
    }
}

void handleFatalSignal(int signalNumber, siginfo_t *info, void *)
{
    const int savedErrno = errno;
    // The first fault writes; another thread's meanwhile is held up until the process ends (a fault comes back at
    // once, an abort goes on to its default action).
    if (!handling.test_and_set())
        writeReport(signalNumber, info);
    // The default action, so that the process ends as the signal would have ended it, with a core. The signal is
    // blocked in its own handler: it is delivered once the handler returns (a fault would recur anyway).
    struct sigaction action
    {
    };
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signalNumber, &action, nullptr);
    ::raise(signalNumber);
    errno = savedErrno;
}

bool copyInto(std::array<char, 4096> &target, const QByteArray &text)
{
    if (text.size() >= qsizetype(target.size()))
        return false;
    std::memcpy(target.data(), text.constData(), std::size_t(text.size()));
    target[std::size_t(text.size())] = '\0';
    return true;
}

} // namespace

QString CrashLog::filePath(const QString &supportDirectory)
{
    return supportDirectory + QStringLiteral("/LastCrash.log");
}

void CrashLog::install(const QString &supportDirectory, const QString &version)
{
    if (!copyInto(logPath, QFile::encodeName(filePath(supportDirectory))))
        logPath[0] = '\0';
    const QByteArray versionText = version.toUtf8().left(qsizetype(programVersion.size()) - 1);
    std::memcpy(programVersion.data(), versionText.constData(), std::size_t(versionText.size()));
    programVersion[std::size_t(versionText.size())] = '\0';

    // The unwinder loads its library on its first use: now, not inside the handler.
    void *frame = nullptr;
    ::backtrace(&frame, 1);

    // A stack of its own, so that the handler runs after the stack overflowed too. Kept for the life of the process.
    static void *alternateStack = nullptr;
    if (!alternateStack && (alternateStack = std::malloc(alternateStackSize))) {
        stack_t stack {};
        stack.ss_sp = alternateStack;
        stack.ss_size = alternateStackSize;
        ::sigaltstack(&stack, nullptr);
    }

    struct sigaction action
    {
    };
    action.sa_sigaction = handleFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : fatalSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

std::optional<QString> CrashLog::takeUnreportedLog(const QString &supportDirectory)
{
    const QString path = filePath(supportDirectory);
    const QFileInfo info(path);
    QFile file(path);
    if (!info.isFile() || info.isSymLink() || !file.open(QIODevice::ReadWrite))
        return std::nullopt;
    if (file.readAll().contains(toldMarker))
        return std::nullopt;
    // Marked first: a start that cannot mark the file would tell of it at every start.
    const QByteArray told = QByteArray("\n") + toldMarker + " at "
        + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8() + " UTC.\n";
    if (!file.seek(file.size()) || file.write(told) != told.size() || !file.flush())
        return std::nullopt;
    return path;
}
