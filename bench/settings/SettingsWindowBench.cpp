// The settings window: opening it at each section up to its first complete paint, building each pane, the processor
// time the About pane's moving background takes per second while it is shown, and the Tags pane over a large history.

#include "CoordinatorTestSupport.h"

#include "AboutSettingsView.h"
#include "SettingsView.h"
#include "SettingsWindowController.h"
#include "TagsSettingsView.h"

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

namespace {

// Goal: each pane under 50 ms to build and lay out.
void BM_BuildPane(benchmark::State &state)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.coordinator->start();
    const SettingsSection section = SettingsSection::allCases[size_t(state.range(0))];
    state.SetLabel(section.rawValue().toStdString());
    for (auto _ : state) {
        std::unique_ptr<QWidget> pane(SettingsView::createPane(section, h.model, *h.coordinator));
        pane->resize(509, pane->sizeHint().height());
        pane->ensurePolished();
        benchmark::DoNotOptimize(pane->sizeHint());
    }
}
BENCHMARK(BM_BuildPane)->DenseRange(0, 8)->Unit(benchmark::kMillisecond);

// A history of 5,000 items, a third of them tagged with some of 200 tags, and the Tags pane shown over it.
struct TaggedHistory
{
    TaggedHistory()
    {
        h.storeOnboardedPreferences([](AppPreferences &preferences) { preferences.maxHistoryItems = 5000; });
        QList<qint64> tags;
        for (int n = 0; n < 200; ++n)
            tags.append(h.store.ensureTag(QStringLiteral("tag %1").arg(n), QStringLiteral("#3B85ED"))->id);
        QList<ClipboardItem> items;
        for (int n = 1; n <= 5000; ++n) {
            ClipboardItem item = testItem(n);
            if (n % 3 == 0)
                item.tags = {tags.at(n % 200), tags.at((n * 7) % 200)};
            items.append(item);
        }
        (void)h.store.upsertItems(items);
        h.coordinator->start();
        pane = std::make_unique<TagsSettingsView>(h.model, *h.coordinator);
    }

    CoordinatorHarness h;
    std::unique_ptr<TagsSettingsView> pane;
};

// Goal: under 5 ms. Captures arrive (untagged, as captures are) and the pane looks at the model again.
void BM_TagsRefreshWhileCapturing(benchmark::State &state)
{
    TaggedHistory history;
    int next = 100000;
    for (auto _ : state) {
        state.PauseTiming();
        history.h.model.upsertItem(testItem(++next));
        state.ResumeTiming();
        history.pane->refresh();
    }
    state.counters["rows"] = double(history.pane->shownRows().size());
}
BENCHMARK(BM_TagsRefreshWhileCapturing)->Unit(benchmark::kMillisecond);

// For comparison: a tag put on an item, which asks the store for the counts again and rebuilds the rows.
void BM_TagsRebuildAfterTagging(benchmark::State &state)
{
    TaggedHistory history;
    const QList<Tag> tags = history.h.model.tags();
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ClipboardItem item = history.h.model.items().at(n % 100);
        item.tags = {tags.at(n % tags.size()).id};
        ++n;
        QSignalBlocker blocker(&history.h.model);
        history.h.model.updateItem(item);
        blocker.unblock();
        state.ResumeTiming();
        history.pane->refresh();
    }
}
BENCHMARK(BM_TagsRebuildAfterTagging)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// What the rebuild spends in the store: the counts of 5,000 items over 200 tags.
void BM_TagCountsInTheStore(benchmark::State &state)
{
    TaggedHistory history;
    for (auto _ : state)
        benchmark::DoNotOptimize(history.h.coordinator->tagItemCounts());
}
BENCHMARK(BM_TagCountsInTheStore)->Unit(benchmark::kMillisecond);

} // namespace
