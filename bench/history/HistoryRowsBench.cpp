// How long the history list takes to turn the visible items into table rows and to size every row, at the default
// history size and at twenty times that: building the rows with favourites pinned and day sections, and asking
// the height of every row with an empty cache (every text measured, every image sized: the first showing), after
// a width change (heights gone, measured lines kept) and with a full cache (what each relayout of the list costs).
// Before timing, the cached heights are checked against fresh ones; a difference fails the run.

#include "HistoryPreviewText.h"
#include "HistoryRowHeights.h"
#include "HistoryTableRow.h"
#include "SyntheticHistory.h"

#include <benchmark/benchmark.h>

namespace {

constexpr qreal tableWidth = 480;

QList<HistoryTableRow> rowsOf(int count)
{
    return buildTableRows(
        historyOf(count), true, historySectionDate(HistorySortOption::lastCopyTime, false), HistoryCalendar::current());
}

HistoryRowHeightContext context()
{
    HistoryRowHeightContext context;
    context.availableTagIDs = {1, 2, 3, 4, 5};
    return context;
}

qreal sizeEveryRow(HistoryRowHeights &heights, const QList<HistoryTableRow> &rows, const QList<ClipboardItem> &items,
    const HistoryRowHeightContext &c)
{
    qreal total = 0;
    for (qsizetype row = 0; row < rows.size(); ++row)
        total += heights.rowHeight(rows, items, row, tableWidth, c);
    return total;
}

void BM_BuildTableRows(benchmark::State &state)
{
    const QList<ClipboardItem> &items = historyOf(int(state.range(0)));
    const HistorySectionDate sectionDate = historySectionDate(HistorySortOption::lastCopyTime, false);
    const HistoryCalendar calendar = HistoryCalendar::current();
    qsizetype rows = 0;
    for (auto _ : state) {
        QList<HistoryTableRow> built = buildTableRows(items, true, sectionDate, calendar);
        rows = built.size();
        benchmark::DoNotOptimize(built);
    }
    state.counters["rows"] = double(rows);
}

void BM_RowHeightsColdCache(benchmark::State &state)
{
    const QList<ClipboardItem> &items = historyOf(int(state.range(0)));
    const QList<HistoryTableRow> rows = rowsOf(int(state.range(0)));
    const HistoryRowHeightContext c = context();
    for (auto _ : state) {
        HistoryRowHeights heights;
        benchmark::DoNotOptimize(sizeEveryRow(heights, rows, items, c));
    }
    state.counters["rows"] = double(rows.size());
}

// After a change of the table width: the heights are gone, but the history keeps the measured preview lines.
void BM_RowHeightsAfterWidthChange(benchmark::State &state)
{
    const QList<ClipboardItem> &items = historyOf(int(state.range(0)));
    const QList<HistoryTableRow> rows = rowsOf(int(state.range(0)));
    HistoryRowHeightContext c = context();
    QHash<QUuid, HistoryTextPreviewLineMetrics> lines;
    for (const ClipboardItem &item : items) {
        if (item.kind == ClipboardKind::text || item.kind == ClipboardKind::richText)
            lines.insert(item.id, HistoryRowMetrics::shared().measureLines(historyPreviewText(item.primaryText())));
    }
    c.textPreviewLineMetrics = [&](const ClipboardItem &item) -> std::optional<HistoryTextPreviewLineMetrics> {
        const auto found = lines.constFind(item.id);
        if (found == lines.constEnd())
            return std::nullopt;
        return *found;
    };
    HistoryRowHeights heights;
    for (auto _ : state) {
        heights.tableWidthDidChange(tableWidth, tableWidth + 1);
        benchmark::DoNotOptimize(sizeEveryRow(heights, rows, items, c));
    }
    state.counters["rows"] = double(rows.size());
}

void BM_RowHeightsWarmCache(benchmark::State &state)
{
    const QList<ClipboardItem> &items = historyOf(int(state.range(0)));
    const QList<HistoryTableRow> rows = rowsOf(int(state.range(0)));
    const HistoryRowHeightContext c = context();
    HistoryRowHeights heights;
    sizeEveryRow(heights, rows, items, c);
    // Every cached height is the one computed afresh.
    for (qsizetype row = 0; row < rows.size(); ++row) {
        const auto *itemRow = rows.at(row).asItem();
        if (!itemRow)
            continue;
        const ClipboardItem &item = items.at(itemRow->itemIndex);
        const auto key = HistoryRowHeights::cacheKey(item, itemRow->itemIndex, tableWidth, c);
        if (heights.rowHeight(rows, items, row, tableWidth, c) != heights.itemRowHeight(item, key, tableWidth, c)) {
            state.SkipWithError("a cached height differs from a fresh one");
            return;
        }
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(sizeEveryRow(heights, rows, items, c));
    state.counters["rows"] = double(rows.size());
    state.counters["cached"] = double(heights.cachedHeightCount());
}

} // namespace

// The first build of a large list also pays for fresh pages; the longer run shows the steady state.
BENCHMARK(BM_BuildTableRows)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_RowHeightsColdCache)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowHeightsAfterWidthChange)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowHeightsWarmCache)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);
