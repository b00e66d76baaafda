#pragma once

// The real program for benchmarks on this display: started with the benchmark's own XDG folders (the bench runner
// gives each program fresh ones), its error output collected as it comes, its resident memory read from /proc, its
// history window opened with the global hot key the way a user does. Killed when it goes out of scope.

#include "DesktopQueries.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

// The program to measure: this build's, or the one VARNISTO_BENCH_PROGRAM names (the binary of another build, to
// set figures side by side).
QString programUnderTest();

class RunningProgram
{
public:
    // Starts the program at this path with this environment.
    explicit RunningProgram(
        const QString &program, const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    ~RunningProgram();
    RunningProgram(const RunningProgram &) = delete;
    RunningProgram &operator=(const RunningProgram &) = delete;

    bool waitForStarted();
    // Waits until the program has written `text` to its error output `count` times, or the time is up.
    bool waitForLog(const QString &text, int count = 1, int timeoutMs = 60000);
    const QString &log() const { return m_log; }
    qint64 processId() const { return m_process.processId(); }

    // A line of /proc/<pid>/status in kibibytes, such as "VmRSS" (resident now) or "VmHWM" (the peak).
    std::optional<qint64> statusKiB(const char *field) const;
    // A line of /proc/<pid>/smaps_rollup in kibibytes: "Pss" (the proportional set size: the resident pages, each
    // shared page divided among the processes that map it), "Pss_Anon" (its anonymous part, the program's own).
    std::optional<qint64> proportionalKiB(const char *field = "Pss") const;
    // Waits until the resident size has stopped moving (three readings 200 ms apart within 1 MiB of one another)
    // and answers it in kibibytes; nothing when the program is gone or it did not settle in time.
    std::optional<qint64> settledResidentKiB(int timeoutMs = 60000);

    // Presses the global hot key that shows the history window and waits until a visible window with this title
    // has the focus.
    bool openHistoryWindow(const QString &title, int timeoutMs = 60000);

    // SIGTERM, then waits for the end.
    bool terminate(int timeoutMs = 30000);

private:
    QProcess m_process;
    QString m_log;
};
