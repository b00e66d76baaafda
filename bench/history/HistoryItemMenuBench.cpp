// How quickly a right-click gets its menu: the one-item menu of a text item (74 transforms, 50 tags, the paste
// target looked up and named), and the menu of five selected items, which the command palettes make from their
// commands with the 50 tags. The whole program runs on a temporary history with the desktop in memory; each
// iteration has the history list make its menu as a right-click does, and throws it away.

#include "AppDelegate.h"
#include "FloatingHistoryWindow.h"
#include "History.h"
#include "HistoryContentViewController.h"
#include "HistoryTableView.h"
#include "SyntheticHistory.h"

#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int itemCount = 500;
constexpr int tagCount = 50;

class SilentAlerts final : public AlertPresenter
{
public:
    void inform(Style, const QString &, const QString &) override { }
    bool confirm(const QString &, const QString &, const QString &, const QString &) override { return false; }
};

// The program with a stored history and 50 tags, launched, with its history window.
struct Program
{
    Program()
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
        PreferencesStore(settings).save(preferences);
        delegate = std::make_unique<AppDelegate>(
            AppDelegate::Locations {support, settings}, PlatformServices::inMemory(), std::make_unique<SilentAlerts>());
        delegate->applicationDidFinishLaunching();
        QCoreApplication::processEvents();
        for (int n = 0; n < tagCount; ++n)
            delegate->coordinator().createTag(
                QStringLiteral("Tag %1").arg(n, 2, 10, QLatin1Char('0')), QColor::fromHsv(n * 7 % 360, 200, 220));

        delegate->coordinator().showHistoryWindow(false, false);
        window = dynamic_cast<FloatingHistoryWindow *>(delegate->coordinator().historyWindow());
    }

    // Selects the items as the user does; the list follows.
    void select(const QList<ClipboardItem> &items)
    {
        QSet<QUuid> ids;
        QList<QUuid> order;
        for (const ClipboardItem &item : items) {
            ids.insert(item.id);
            order.append(item.id);
        }
        AppModel &model = delegate->model();
        model.setSelectedItemID(order.first());
        model.setSelectedItemIDs(ids);
        model.setSelectedItemIDsInSelectionOrder(order);
        for (int turn = 0; turn < 5; ++turn)
            QCoreApplication::processEvents();
    }

    QTemporaryDir folder;
    std::unique_ptr<AppDelegate> delegate;
    FloatingHistoryWindow *window = nullptr;
};

void runMenus(benchmark::State &state, Program &program, const QList<ClipboardItem> &items)
{
    if (!program.window) {
        state.SkipWithError("no history window");
        return;
    }
    program.select(items);
    HistoryTableView &table = program.window->contentViewController().list().tableView();
    qsizetype entries = 0;
    for (auto _ : state) {
        QMenu menu;
        table.onPrepareContextMenu(menu);
        entries = menu.actions().size();
        benchmark::DoNotOptimize(entries);
    }
    if (entries == 0)
        state.SkipWithError("the menu is empty");
    state.counters["entries"] = double(entries);
}

void BM_TextItemMenu(benchmark::State &state)
{
    Program program;
    const QList<ClipboardItem> &items = program.delegate->model().items();
    const auto text = std::find_if(
        items.cbegin(), items.cend(), [](const ClipboardItem &item) { return item.kind == ClipboardKind::text; });
    if (text == items.cend()) {
        state.SkipWithError("no text item");
        return;
    }
    runMenus(state, program, {*text});
}

void BM_FiveItemMenu(benchmark::State &state)
{
    Program program;
    runMenus(state, program, program.delegate->model().items().mid(0, 5));
}

} // namespace

BENCHMARK(BM_TextItemMenu)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FiveItemMenu)->Unit(benchmark::kMillisecond);
