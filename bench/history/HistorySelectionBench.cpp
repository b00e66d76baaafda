// How long the history list takes to change its selection at the default history size and at twenty times that:
// a Shift-click from the first item to the last, Select All, pushing a selection of 5,000 ids in from the model,
// and one arrow-key step with the selection flags of the visible rows worked out again. Each change includes
// reporting the selection, in the order it was made, to the list's delegate.

#include "History.h"
#include "HistoryDelegate.h"
#include "HistoryTableView.h"
#include "MemoryTuning.h"

#include <QKeyEvent>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// As the program does at its start: large lists reuse their blocks instead of faulting in fresh pages each time.
const bool allocatorTuned = [] {
    tuneMemoryAllocatorForLargeLists();
    return true;
}();

// Short texts, a copy every five minutes: about 290 items a day, each day under its header.
QList<ClipboardItem> makeHistory(int count)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<ClipboardItem> items;
    items.reserve(count);
    for (int i = 0; i < count; ++i) {
        ClipboardItem item;
        item.id = QUuid::createUuidV5(QUuid(), QString::number(i));
        item.kind = ClipboardKind::text;
        item.text = QStringLiteral("Copied text number %1").arg(i);
        item.copiedAt = now.addSecs(-qint64(i) * 300);
        item.firstCopiedAt = item.copiedAt;
        items.append(item.refreshingSearchText({}));
    }
    return items;
}

struct CountingDelegate final : HistoryDelegate
{
    void historySelectionDidChange(const QList<QUuid> &ids, const std::optional<QUuid> &) override
    {
        selected = ids.size();
    }
    void historyDidClickItem(const ClipboardItem &) override { }
    void historyDidDoubleClickItem(const ClipboardItem &) override { }
    void historyContextMenu(QMenu &, const QList<ClipboardItem> &, const std::optional<ClipboardItem> &) override { }
    void historyNeedsLinkPreview(const ClipboardItem &) override { }
    void historyPlaySound(SoundEffect) override { }
    void historyForwardSearchKeyDown(const QKeyEvent &) override { }

    qsizetype selected = 0;
};

struct Fixture
{
    explicit Fixture(int count) : items(makeHistory(count))
    {
        list.resize(420, 640);
        list.setDelegate(&delegate);
        HistoryUpdate update;
        update.items = items;
        update.sectionDate = historySectionDate(HistorySortOption::lastCopyTime, false);
        update.selectedItemID = items.first().id;
        list.update(std::move(update));
        list.tableView().layOutRowsNow();
        firstRow = *list.rowIndexOfItem(items.first().id);
        lastRow = *list.rowIndexOfItem(items.last().id);
    }

    QList<ClipboardItem> items;
    History list;
    CountingDelegate delegate;
    int firstRow = 0;
    int lastRow = 0;
};

void BM_ShiftClickAcrossTheList(benchmark::State &state)
{
    Fixture f(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        f.list.selectSingleRow(f.firstRow);
        state.ResumeTiming();
        f.list.tableView().lastMouseDownRow = f.lastRow;
        benchmark::DoNotOptimize(f.list.handleMouseDownSelection(f.lastRow, Qt::ShiftModifier));
    }
    if (f.delegate.selected != f.items.size())
        state.SkipWithError("the Shift-click did not select every item");
}

void BM_SelectAll(benchmark::State &state)
{
    Fixture f(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        f.list.selectSingleRow(f.firstRow);
        state.ResumeTiming();
        f.list.tableView().selectAll();
    }
    if (f.delegate.selected != f.items.size())
        state.SkipWithError("Select All did not select every item");
}

void BM_SelectItems5000Ids(benchmark::State &state)
{
    Fixture f(int(state.range(0)));
    // Two selections of 5,000 items, one row apart, taken in turns so that every call changes the selection.
    QSet<QUuid> wanted[2];
    for (int i = 0; i < 5000; ++i) {
        wanted[0].insert(f.items.at(i).id);
        wanted[1].insert(f.items.at(i + 1).id);
    }
    int turn = 0;
    for (auto _ : state) {
        const QSet<QUuid> &ids = wanted[turn];
        f.list.selectItems(f.items.at(turn).id, ids, [](const ClipboardItem &) {});
        turn = 1 - turn;
    }
    if (f.list.tableView().selectedRowCount() != 5000)
        state.SkipWithError("the selection is not the 5,000 items");
}

void BM_ArrowStepWithFlagRefresh(benchmark::State &state)
{
    Fixture f(int(state.range(0)));
    f.list.show();
    bool down = true;
    for (auto _ : state) {
        f.list.moveSelection(down ? HistorySelectionDirection::down : HistorySelectionDirection::up);
        down = !down;
        for (int row : f.list.tableView().rowsInVisibleRect())
            benchmark::DoNotOptimize(f.list.rowSelectionFlags(row));
    }
}

void BM_KeyboardAddToLargeSelection(benchmark::State &state)
{
    // Right and Left on a row while every item is selected: the add and remove of keyboard multiple selection.
    Fixture f(int(state.range(0)));
    f.list.tableView().selectAll();
    bool remove = true;
    for (auto _ : state) {
        f.list.applyKeyboardMultipleSelectionCommand(remove ? HistoryKeyboardMultipleSelectionCommand::removeCurrent
                                                            : HistoryKeyboardMultipleSelectionCommand::addCurrent);
        remove = !remove;
    }
}

} // namespace

BENCHMARK(BM_ShiftClickAcrossTheList)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectAll)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectItems5000Ids)->Arg(5000 + 1)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArrowStepWithFlagRefresh)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeyboardAddToLargeSelection)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);
