// How quickly the history window comes up on the hot key with 5,000 items (and, opened at the mouse, with
// 100,000), and how quickly a capture that arrives while it is open shows in its list, at both sizes. The whole
// program runs (its application delegate on a temporary history of stored items, the desktop in memory): each
// iteration shows the window as the hot key does and waits until it is visible with the keyboard focus, then hides
// it (untimed). Opening positions: at the mouse pointer, at the text caret, and at the caret when the accessibility
// peer never answers (the window then waits out its 200 ms budget and opens in the middle of the front window). A
// capture is timed from the coordinator taking it in to the list rebuilt and painted.

#include "AppDelegate.h"
#include "FloatingHistoryWindow.h"
#include "History.h"
#include "HistoryContentViewController.h"
#include "HistoryTableView.h"
#include "SyntheticHistory.h"
#include "WindowProbe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int defaultItemCount = 5000;

class SilentAlerts final : public AlertPresenter
{
public:
    void inform(Style, const QString &, const QString &) override { }
    bool confirm(const QString &, const QString &, const QString &, const QString &) override { return false; }
};

enum class Opening { mouse, caret, silentCaret };

// The program with a stored history of that many items, launched.
struct Program
{
    explicit Program(Opening opening, int itemCount = defaultItemCount)
    {
        const QString support = folder.path() + QStringLiteral("/Varnisto2");
        QDir().mkpath(support);
        {
            SQLiteHistoryStore store(support);
            QList<ClipboardItem> items = historyOf(itemCount);
            (void)store.upsertItems(items);
        }
        const QString settings = folder.path() + QStringLiteral("/Varnisto.conf");
        AppPreferences preferences;
        preferences.hasCompletedOnboarding = true;
        preferences.soundEffectsEnabled = false;
        preferences.maxHistoryItems = itemCount;
        preferences.openWindowStrategy
            = opening == Opening::mouse ? QStringLiteral("mouseCursor") : QStringLiteral("inputCursor");
        PreferencesStore(settings).save(preferences);

        PlatformServices platform = PlatformServices::inMemory();
        auto caret = std::make_unique<MemoryCaretLocator>();
        caret->trusted = opening != Opening::mouse;
        caret->caret = QRect(200, 150, 2, 16);
        if (opening == Opening::silentCaret)
            caret->answerDelayMs = 60'000; // never within the budget
        platform.caretLocator = std::move(caret);
        delegate = std::make_unique<AppDelegate>(
            AppDelegate::Locations {support, settings}, std::move(platform), std::make_unique<SilentAlerts>());
        delegate->applicationDidFinishLaunching();
        QCoreApplication::processEvents();
    }

    FloatingHistoryWindow &window()
    {
        delegate->coordinator().showHistoryWindow(false, false);
        delegate->coordinator().toggleHistoryWindow();
        return *dynamic_cast<FloatingHistoryWindow *>(delegate->coordinator().historyWindow());
    }

    QTemporaryDir folder;
    std::unique_ptr<AppDelegate> delegate;
};

// The hot key's show, until the window is there with the keyboard focus; false when that never came.
bool showUntilFocused(Program &program, FloatingHistoryWindow &window)
{
    program.delegate->coordinator().toggleHistoryWindow();
    const QDeadlineTimer deadline(5000);
    while (!window.isVisible() || QGuiApplication::focusWindow() != window.panel().windowHandle()) {
        if (deadline.hasExpired()) {
            qWarning() << "visible" << window.isVisible() << "focus window" << QGuiApplication::focusWindow();
            return false;
        }
        QCoreApplication::processEvents();
    }
    return true;
}

void BM_HotKeyToFocusedWindow(benchmark::State &state)
{
    const Opening opening = Opening(state.range(0));
    const int itemCount = int(state.range(1));
    Program program(opening, itemCount);
    FloatingHistoryWindow &window = program.window();
    if (int(program.delegate->model().items().size()) != itemCount) {
        state.SkipWithError("the history did not load");
        return;
    }
    for (auto _ : state) {
        if (!showUntilFocused(program, window)) {
            state.SkipWithError("the window did not take the focus");
            break;
        }
        state.PauseTiming();
        program.delegate->coordinator().toggleHistoryWindow();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetLabel(opening == Opening::mouse ? "mouse" : opening == Opening::caret ? "caret" : "silent caret peer");
    state.counters["items"] = itemCount;
}

void BM_CaptureWhileOpenToPaintedList(benchmark::State &state)
{
    Program program(Opening::mouse, int(state.range(0)));
    FloatingHistoryWindow &window = program.window();
    if (!showUntilFocused(program, window)) {
        state.SkipWithError("the window did not take the focus");
        return;
    }
    HistoryContentViewController &controller = window.contentViewController();
    QWidget *viewport = controller.list().tableView().viewport();
    int n = 0;
    double captureMs = 0;
    double rebuildMs = 0;
    double paintMs = 0;
    for (auto _ : state) {
        ClipboardItem item;
        item.id = QUuid::createUuid();
        item.kind = ClipboardKind::text;
        item.text = QStringLiteral("captured while open %1").arg(++n);
        item.copiedAt = item.firstCopiedAt = QDateTime::currentDateTimeUtc();
        const int reloads = WindowProbe::reloadCount(controller);
        QElapsedTimer phase;
        phase.start();
        program.delegate->coordinator().pasteboardMonitorDidCapture(item, {});
        captureMs += phase.nsecsElapsed() / 1e6;
        phase.restart();
        while (WindowProbe::reloadCount(controller) == reloads)
            QCoreApplication::processEvents();
        rebuildMs += phase.nsecsElapsed() / 1e6;
        phase.restart();
        viewport->repaint();
        paintMs += phase.nsecsElapsed() / 1e6;
    }
    // Where the time goes: the coordinator taking the capture in, the list rebuilt, the rows painted.
    const double iterations = double(state.iterations());
    state.counters["capture_ms"] = captureMs / iterations;
    state.counters["rebuild_ms"] = rebuildMs / iterations;
    state.counters["paint_ms"] = paintMs / iterations;
    state.counters["rows"] = double(controller.list().tableRows().size());
}

} // namespace

BENCHMARK(BM_HotKeyToFocusedWindow)
    ->Args({int(Opening::mouse), defaultItemCount})
    ->Args({int(Opening::caret), defaultItemCount})
    ->Args({int(Opening::silentCaret), defaultItemCount})
    ->Args({int(Opening::mouse), 100'000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK(BM_CaptureWhileOpenToPaintedList)
    ->Arg(defaultItemCount)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);
