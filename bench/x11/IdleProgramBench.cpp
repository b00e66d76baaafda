// The real program on this display, started the way a user starts it (its own XDG folders, 5,000 items already
// in its history): how often it wakes up and how much processor time it takes while nothing is copied, and how
// long a copied 1 KB text takes to reach its history.
//
// Wake-ups are the context switches of all the program's threads (/proc/<pid>/task/*/status), counted over a
// window in which nothing happens. The time to the stored item runs from the moment this process takes the
// clipboard to the moment the program writes that it captured the copy (its log line follows the write to the
// database), read from its error output as it comes. Set VARNISTO_BENCH_PROGRAM to measure another build (the
// binary of another worktree, say).

#include "PreferencesStore.h"
#include "RunningProgram.h"
#include "SQLiteHistoryStore.h"
#include "ScreenshotFixture.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <csignal>
#include <iostream>
#include <map>
#include <memory>
#include <unistd.h>

namespace {

constexpr int storedItemCount = 5000;
// VARNISTO_BENCH_IDLE_SECONDS sets another window, to look for rarer wake-ups.
const int idleWindowSeconds = qEnvironmentVariableIntValue("VARNISTO_BENCH_IDLE_SECONDS") > 0
    ? qEnvironmentVariableIntValue("VARNISTO_BENCH_IDLE_SECONDS")
    : 10;
// Time for the program to finish what it does after it started or after the last copy.
constexpr int settleMs = 3000;
const QString capturedLine = QStringLiteral("captured text item");

// Context switches of each thread of a process, by thread id: every one is a wake-up of that thread (or, rarely,
// a preemption while it ran).
struct ThreadSwitches
{
    QString name;
    qint64 count = 0;
};

std::map<QString, ThreadSwitches> contextSwitches(qint64 pid)
{
    std::map<QString, ThreadSwitches> threads;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(task) + QStringLiteral("/status"));
        if (!status.open(QIODevice::ReadOnly))
            continue; // ended meanwhile
        ThreadSwitches thread;
        for (const QByteArray &line : status.readAll().split('\n')) {
            const QByteArray value = line.mid(line.indexOf(':') + 1).trimmed();
            if (line.startsWith("Name:"))
                thread.name = QString::fromUtf8(value);
            else if (line.startsWith("voluntary_ctxt_switches:") || line.startsWith("nonvoluntary_ctxt_switches:"))
                thread.count += value.toLongLong();
        }
        threads[task] = thread;
    }
    return threads;
}

// Processor time of the whole process (all threads, user and system), in seconds.
double processorSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // The fields after the command name, which may hold spaces, start with the state (field 3); utime and
    // stime are fields 14 and 15.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return double(fields.at(11).toLongLong() + fields.at(12).toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

ClipboardItem storedItem(int index, const QDateTime &now)
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.kind = index % 10 == 0 ? ClipboardKind::link : ClipboardKind::text;
    item.text = index % 10 == 0 ? QStringLiteral("https://example.com/articles/%1").arg(index)
                                : QStringLiteral("Stored note %1 with a few ordinary words in it").arg(index);
    item.sourceAppName = QStringLiteral("Application %1").arg(index % 7);
    item.copiedAt = now.addSecs(-qint64(storedItemCount - index) * 300);
    item.firstCopiedAt = item.copiedAt;
    item.copyCount = 1;
    return item.refreshingSearchText({});
}

QString kilobyteText(int number)
{
    QString text = QStringLiteral("Copy %1: ").arg(number);
    while (text.size() < 1024)
        text += QStringLiteral("a line of ordinary words that someone copied from a document. ");
    text.truncate(1024);
    return text;
}

// The program, started with a history of 5,000 items and the onboarding done. Ends with it.
// The program, started with a history of 5,000 items and the onboarding done. Ends with it.
class IdleProgram
{
public:
    IdleProgram()
    {
        if (!seedHistory()) {
            m_failure = "could not fill the history";
            return;
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(
            QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("varnisto.app.info=true\nvarnisto.services.debug=true"));
        m_program = std::make_unique<RunningProgram>(programUnderTest(), environment);
        if (!m_program->waitForStarted()) {
            m_failure = "the program did not start";
            return;
        }
        if (!m_program->waitForLog(QStringLiteral("started with %1 items").arg(storedItemCount), 1, 30000)) {
            m_failure = "the program did not load its history";
            return;
        }
        settle();
    }
    ~IdleProgram()
    {
        if (m_program)
            m_program->terminate(10000);
    }

    const char *failure() const { return m_failure; }
    qint64 pid() const { return m_program->processId(); }
    qsizetype logCount(const QString &text) const { return m_program->log().count(text); }
    bool waitForLog(const QString &text, qsizetype count, int timeoutMs)
    {
        return m_program->waitForLog(text, int(count), timeoutMs);
    }

    void settle()
    {
        QEventLoop loop;
        QTimer::singleShot(settleMs, &loop, &QEventLoop::quit);
        loop.exec();
    }

private:
    static bool seedHistory()
    {
        const QString supportDirectory
            = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Varnisto2");
        QDir().mkpath(supportDirectory);
        {
            SQLiteHistoryStore store(supportDirectory);
            QList<ClipboardItem> items;
            const QDateTime now = QDateTime::currentDateTimeUtc();
            for (int i = 0; i < storedItemCount; ++i)
                items.append(storedItem(i, now));
            if (!store.upsertItems(items))
                return false;
        }
        AppPreferences preferences;
        preferences.hasCompletedOnboarding = true;
        const QString settingsFile = QSettings(
            QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Varnisto"), QStringLiteral("Varnisto"))
                                         .fileName();
        PreferencesStore(settingsFile).save(preferences);
        return true;
    }

    std::unique_ptr<RunningProgram> m_program;
    const char *m_failure = nullptr;
};

std::unique_ptr<IdleProgram> runningProgram;

// Started by the first benchmark that needs it, ended before the application object goes.
IdleProgram &program()
{
    if (!runningProgram) {
        runningProgram = std::make_unique<IdleProgram>();
        qAddPostRoutine([] { runningProgram.reset(); });
    }
    return *runningProgram;
}

// Wake-ups and processor time of the program over a window in which nothing is copied. This process sleeps
// meanwhile, so that nothing of it disturbs the figures.
void measureIdle(benchmark::State &state)
{
    IdleProgram &running = program();
    if (running.failure()) {
        state.SkipWithError(running.failure());
        return;
    }
    const qint64 pid = running.pid();
    for (auto _ : state) {
        const auto before = contextSwitches(pid);
        const double processorBefore = processorSeconds(pid);
        QElapsedTimer window;
        window.start();
        ::sleep(idleWindowSeconds);
        const double seconds = double(window.nsecsElapsed()) / 1e9;
        const auto after = contextSwitches(pid);
        const double processor = processorSeconds(pid) - processorBefore;

        qint64 switches = 0;
        std::map<QString, qint64> byName;
        for (const auto &[task, thread] : after) {
            const auto earlier = before.find(task);
            const qint64 count = thread.count - (earlier != before.end() ? earlier->second.count : 0);
            switches += count;
            byName[thread.name] += count;
        }
        state.SetIterationTime(seconds);
        state.counters["wakeups_per_second"] = double(switches) / seconds;
        state.counters["cpu_ms_per_minute"] = processor * 1000.0 * 60.0 / seconds;
        state.counters["threads"] = double(after.size());
        // Which threads woke up, for whoever looks into a figure.
        for (const auto &[name, count] : byName) {
            if (count > 0)
                std::cerr << "  " << name.toStdString() << ": " << count << " wake-ups" << std::endl;
        }
    }
}

void BM_IdleAfterStart(benchmark::State &state)
{
    measureIdle(state);
}
BENCHMARK(BM_IdleAfterStart)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

// From taking the clipboard with a 1 KB text to the program's word that the item is stored.
void BM_CopyToStoredItem(benchmark::State &state)
{
    IdleProgram &running = program();
    if (running.failure()) {
        state.SkipWithError(running.failure());
        return;
    }
    QList<double> times;
    int number = 0;
    for (auto _ : state) {
        const qsizetype before = running.logCount(capturedLine);
        auto *data = new QMimeData;
        data->setText(kilobyteText(++number));
        QElapsedTimer elapsed;
        elapsed.start();
        QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
        if (!running.waitForLog(capturedLine, before + 1, 10000)) {
            state.SkipWithError("the copy did not reach the history");
            return;
        }
        const double seconds = double(elapsed.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        times.append(seconds * 1000.0);
        // Copies a user makes, not a burst.
        state.PauseTiming();
        QEventLoop pause;
        QTimer::singleShot(150, &pause, &QEventLoop::quit);
        pause.exec();
        state.ResumeTiming();
    }
    std::sort(times.begin(), times.end());
    state.counters["median_ms"] = times.at(times.size() / 2);
    state.counters["p90_ms"] = times.at(times.size() * 9 / 10);
    state.counters["max_ms"] = times.last();
    state.counters["min_ms"] = times.first();
    running.settle();
}
BENCHMARK(BM_CopyToStoredItem)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);

// A copied 1080p screenshot (PNG) from taking the clipboard until the program has stored it and recognised its text
// and QR codes: the processor time of the whole program (all threads), and the time until the recognition is done.
// Each copy differs in one pixel, so that each is a new image.
void BM_CopyScreenshot(benchmark::State &state)
{
    IdleProgram &running = program();
    if (running.failure()) {
        state.SkipWithError(running.failure());
        return;
    }
    const QImage screenshot = ScreenshotFixture::image();
    const qint64 pid = running.pid();
    const QString recognisedLine = QStringLiteral("recognition finished");
    const QString capturedImageLine = QStringLiteral("captured image item");
    QList<double> processor;
    QList<double> times;
    int number = 0;
    bool writesRecognition = true;
    for (auto _ : state) {
        QImage copy = screenshot;
        copy.setPixel(0, 0, qRgb(++number, 0, 0));
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        copy.save(&buffer, "PNG");
        const qsizetype captured = running.logCount(capturedImageLine);
        const qsizetype recognised = running.logCount(recognisedLine);
        auto *data = new QMimeData;
        data->setData(QStringLiteral("image/png"), png);
        const double before = processorSeconds(pid);
        QElapsedTimer elapsed;
        elapsed.start();
        QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
        if (!running.waitForLog(capturedImageLine, captured + 1, 30000)) {
            state.SkipWithError("the screenshot was not captured");
            return;
        }
        // Recognition runs at idle priority and waits while the machine is busy, so a quiet while is no sign
        // that it is done. A build that does not write when its recognition is done (an older one, measured for
        // comparison) shows it by the first copy's line never coming; its copies are done when the program has
        // taken no processor time for three seconds.
        if (!writesRecognition || !running.waitForLog(recognisedLine, recognised + 1, 60000)) {
            writesRecognition = false;
            double last = processorSeconds(pid);
            QElapsedTimer quiet;
            quiet.start();
            while (quiet.elapsed() < 3000) {
                running.waitForLog(recognisedLine, recognised + 1, 100);
                const double now = processorSeconds(pid);
                if (now != last) {
                    last = now;
                    quiet.restart();
                }
            }
        }
        const double seconds = double(elapsed.nsecsElapsed()) / 1e9;
        // What follows the recognition (the stored text, the list) belongs to the copy as well.
        state.PauseTiming();
        QEventLoop settle;
        QTimer::singleShot(500, &settle, &QEventLoop::quit);
        settle.exec();
        state.ResumeTiming();
        state.SetIterationTime(seconds);
        times.append(seconds * 1000.0);
        processor.append(processorSeconds(pid) - before);
    }
    std::sort(processor.begin(), processor.end());
    std::sort(times.begin(), times.end());
    state.counters["cpu_s_per_screenshot"] = processor.at(processor.size() / 2);
    state.counters["cpu_s_max"] = processor.last();
    state.counters["recognised_ms"] = times.at(times.size() / 2);
    running.settle();
}
BENCHMARK(BM_CopyScreenshot)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The same window after the copies (and the sounds they played).
void BM_IdleAfterCopies(benchmark::State &state)
{
    measureIdle(state);
}
BENCHMARK(BM_IdleAfterCopies)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
