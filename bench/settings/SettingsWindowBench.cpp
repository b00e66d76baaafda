// The settings window: opening it at each section up to its first complete paint, and the processor time the
// About pane's moving background takes per second while it is shown.

#include "CoordinatorTestSupport.h"

#include "AboutSettingsView.h"
#include "SettingsWindowController.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <ctime>

namespace {

double processSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Goal: under 150 ms from nothing to the painted window, for every section.
void BM_OpenSettingsAtSection(benchmark::State &state)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.coordinator->start();
    const SettingsSection section = SettingsSection::allCases[size_t(state.range(0))];
    h.coordinator->selectSettingsSection(section);
    state.SetLabel(section.rawValue().toStdString());
    for (auto _ : state) {
        SettingsWindowController window(h.model, *h.coordinator);
        window.restoreWindowFrame();
        window.centerOnMouseScreen();
        const QPixmap painted = window.window().grab();
        benchmark::DoNotOptimize(painted.cacheKey());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OpenSettingsAtSection)->DenseRange(0, 8)->Unit(benchmark::kMillisecond);

// Goal: under 5 % of one core while the pane is shown.
void BM_AboutAnimationProcessorShare(benchmark::State &state)
{
    CoordinatorHarness h;
    AboutSettingsView about(*h.coordinator);
    about.resize(509, 660); // the detail area of a window of the default size
    about.show();
    // The blobs are rendered once, at the first paint.
    about.grab();
    double share = 0;
    for (auto _ : state) {
        QEventLoop loop;
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        const double before = processSeconds();
        loop.exec();
        share = (processSeconds() - before) / 1.0;
    }
    state.counters["cpu_percent"] = share * 100;
    about.hide();
    state.counters["timer_after_hide"] = about.isAnimating() ? 1 : 0;
}
BENCHMARK(BM_AboutAnimationProcessorShare)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
