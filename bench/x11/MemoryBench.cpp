// Resident memory of the real program with a stored history: right after it has started and loaded the history
// (idle), and once its history window is open. The histories: none, 5,000 ordinary items, and one text of 10 or
// 50 MiB on a single line (the worst case for titles and previews). The figures are the settled VmRSS, the
// proportional set size (PSS: shared pages divided among the processes that map them) and the peak (VmHWM), in
// MiB. PSS moves with the other programs that map the same libraries at the time; its anonymous part (anon), the
// program's own memory, does not. For 5,000 items, the items' own share is the idle figure less that of the same
// program on an empty history, measured in the same run. For a large text the budget is three times the text's size
// plus 80 MiB, and the peak while loading it at most twice the settled figure.

#include "RunningProgram.h"
#include "StoredHistory.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcessEnvironment>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <iostream>

namespace {

constexpr qint64 mebibyte = 1024 * 1024;

double mebibytes(qint64 kibibytes)
{
    return double(kibibytes) / 1024.0;
}

struct Figures
{
    qint64 startedResident = 0;
    qint64 startedProportional = 0;
    qint64 startedAnonymous = 0;
    qint64 startedPeak = 0;
    qint64 windowResident = 0;
    qint64 windowProportional = 0;
    qint64 windowPeak = 0;
    double windowOpenMs = 0;
};

// Starts the program on the stored history and records its memory before and after the history window opens;
// nothing (and the reason in `failure`) when it does not start or dies.
std::optional<Figures> run(qsizetype itemCount, const char *&failure, bool openWindow = true)
{
    // The program says when it has started and loaded the history. It runs without a session bus, so that no
    // copy running elsewhere on the desktop is asked to show itself instead.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("disabled:"));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("varnisto.app.info=true"));
    RunningProgram program(programUnderTest(), environment);
    if (!program.waitForStarted()
        || !program.waitForLog(QStringLiteral("started with %1 items").arg(itemCount), 1, 120000)) {
        std::cerr << "Varnisto's output:\n" << program.log().toStdString() << std::endl;
        failure = "the program did not start";
        return std::nullopt;
    }
    // The program makes its history window and gives back what start-up freed within a second of its start.
    QEventLoop lateStart;
    QTimer::singleShot(1500, &lateStart, &QEventLoop::quit);
    lateStart.exec();
    Figures figures;
    const auto started = program.settledResidentKiB();
    const auto startedProportional = program.proportionalKiB();
    const auto startedAnonymous = program.proportionalKiB("Pss_Anon");
    const auto startedPeak = program.statusKiB("VmHWM");
    if (!started || !startedProportional || !startedAnonymous || !startedPeak) {
        failure = "the program ended after its start";
        return std::nullopt;
    }
    figures.startedResident = *started;
    figures.startedProportional = *startedProportional;
    figures.startedAnonymous = *startedAnonymous;
    figures.startedPeak = *startedPeak;
    if (!openWindow)
        return figures;
    QElapsedTimer opening;
    opening.start();
    if (!program.openHistoryWindow(QStringLiteral("Clipboard History"), 300000)) {
        failure = "the history window did not open";
        return std::nullopt;
    }
    figures.windowOpenMs = double(opening.elapsed());
    const auto shown = program.settledResidentKiB();
    const auto shownProportional = program.proportionalKiB();
    const auto shownPeak = program.statusKiB("VmHWM");
    if (!shown || !shownProportional || !shownPeak) {
        failure = "the program ended with its window open";
        return std::nullopt;
    }
    figures.windowResident = *shown;
    figures.windowProportional = *shownProportional;
    figures.windowPeak = *shownPeak;
    program.terminate();
    return figures;
}

void report(benchmark::State &state, const Figures &figures)
{
    state.counters["started_RSS_MiB"] = mebibytes(figures.startedResident);
    state.counters["started_PSS_MiB"] = mebibytes(figures.startedProportional);
    state.counters["started_anon_MiB"] = mebibytes(figures.startedAnonymous);
    state.counters["started_HWM_MiB"] = mebibytes(figures.startedPeak);
    state.counters["window_RSS_MiB"] = mebibytes(figures.windowResident);
    state.counters["window_PSS_MiB"] = mebibytes(figures.windowProportional);
    state.counters["window_HWM_MiB"] = mebibytes(figures.windowPeak);
    state.counters["window_open_ms"] = figures.windowOpenMs;
}

void emptyHistory(benchmark::State &state)
{
    for (auto _ : state) {
        StoredHistory::prepareFolders();
        const char *failure = nullptr;
        const auto figures = run(0, failure);
        if (!figures) {
            state.SkipWithError(failure);
            return;
        }
        report(state, *figures);
    }
}

void ordinaryItems(benchmark::State &state)
{
    for (auto _ : state) {
        // The same program on an empty history first: what the items add is the difference.
        StoredHistory::prepareFolders();
        const char *failure = nullptr;
        const auto empty = run(0, failure, false);
        if (!empty) {
            state.SkipWithError(failure);
            return;
        }
        if (const auto error = StoredHistory::storeOrdinaryItems()) {
            state.SkipWithError(error->toStdString().c_str());
            return;
        }
        const auto figures = run(StoredHistory::ordinaryItemCount, failure);
        if (!figures) {
            state.SkipWithError(failure);
            return;
        }
        report(state, *figures);
        state.counters["items_PSS_MiB"] = mebibytes(figures->startedProportional - empty->startedProportional);
        state.counters["items_RSS_MiB"] = mebibytes(figures->startedResident - empty->startedResident);
        state.counters["items_anon_MiB"] = mebibytes(figures->startedAnonymous - empty->startedAnonymous);
    }
}

void oneLargeText(benchmark::State &state)
{
    const qint64 size = state.range(0) * mebibyte;
    for (auto _ : state) {
        StoredHistory::prepareFolders();
        if (const auto error = StoredHistory::storeOneLargeText(size)) {
            state.SkipWithError(error->toStdString().c_str());
            return;
        }
        const char *failure = nullptr;
        const auto figures = run(1, failure);
        if (!figures) {
            state.SkipWithError(failure);
            return;
        }
        report(state, *figures);
        // The goal for loading: a peak at most twice what stays.
        state.counters["started_HWM_per_RSS"] = double(figures->startedPeak) / double(figures->startedResident);
    }
    state.counters["text_MiB"] = double(size) / double(mebibyte);
    state.counters["budget_MiB"] = 3.0 * double(size) / double(mebibyte) + 80.0;
}

} // namespace

BENCHMARK(emptyHistory)->Name("Memory/EmptyHistory")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(ordinaryItems)->Name("Memory/5000OrdinaryItems")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(oneLargeText)->Name("Memory/OneLargeTextMiB")->Arg(10)->Arg(50)->Iterations(1)->Unit(benchmark::kMillisecond);
