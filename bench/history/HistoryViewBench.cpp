// What the history list costs on the GUI thread for each change it is given, at the default history size and at
// twenty times that: a capture (a new first item: the list reloads), a delete of one and of ten items (rows taken
// out in place), a favourite toggle and a batch of 20 link previews (reloads), a relayout after a width change
// (with warm caches, and the first one with 1,000 image rows whose files were never read), and painting one
// screenful of rows. Each update is timed until the list has laid out its rows, as it does before it paints.

#include "History.h"
#include "HistoryTableView.h"
#include "SyntheticHistory.h"

#include <QCoreApplication>
#include <QPainter>

#include <malloc.h>

#include <benchmark/benchmark.h>

namespace {

const QSize listSize(420, 720);

HistoryUpdate updateWith(QList<ClipboardItem> items)
{
    HistoryUpdate update;
    update.items = std::move(items);
    update.pinFavoritesToTop = true;
    update.sectionDate = historySectionDate(HistorySortOption::lastCopyTime, false);
    if (!update.items.isEmpty())
        update.selectedItemID = update.items.constFirst().id;
    return update;
}

// A list on screen that shows the history.
struct ShownList
{
    explicit ShownList(const QList<ClipboardItem> &items)
    {
        list.resize(listSize);
        list.show();
        list.update(updateWith(items));
        QCoreApplication::processEvents();
    }
    History list;
};

ClipboardItem capture(int n)
{
    ClipboardItem item;
    item.id = QUuid::createUuidV5(QUuid(), QStringLiteral("capture %1").arg(n));
    item.kind = ClipboardKind::text;
    item.text = QStringLiteral("a new copy, number %1").arg(n);
    item.copiedAt = QDateTime::currentDateTimeUtc();
    item.firstCopiedAt = item.copiedAt;
    return item.refreshingSearchText({});
}

void BM_UpdateForCapture(benchmark::State &state)
{
    QList<ClipboardItem> items = historyOf(int(state.range(0)));
    ShownList shown(items);
    int n = 0;
    for (auto _ : state) {
        // The window hands over a list of its own, made before the update.
        state.PauseTiming();
        items.prepend(capture(n++));
        items.removeLast();
        HistoryUpdate update = updateWith(items);
        update.items.detach();
        state.ResumeTiming();
        shown.list.update(std::move(update));
    }
}

// Deletes `count` items spread over the list; between the timed updates the whole history comes back.
void deleteItems(benchmark::State &state, int count)
{
    const QList<ClipboardItem> &items = historyOf(int(state.range(0)));
    ShownList shown(items);
    const qsizetype step = items.size() / (count + 1);
    QList<ClipboardItem> fewer;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i == 0 || i % step != 0 || i / step > count)
            fewer.append(items.at(i));
    }
    for (auto _ : state) {
        state.PauseTiming();
        HistoryUpdate update = updateWith(fewer);
        update.items.detach();
        state.ResumeTiming();
        shown.list.update(std::move(update));
        state.PauseTiming();
        shown.list.update(updateWith(items));
        state.ResumeTiming();
    }
    state.counters["removed"] = double(items.size() - fewer.size());
}

void BM_UpdateForDeleteOfOne(benchmark::State &state)
{
    deleteItems(state, 1);
}

void BM_UpdateForDeleteOfTen(benchmark::State &state)
{
    deleteItems(state, 10);
}

void BM_UpdateForFavoriteToggle(benchmark::State &state)
{
    QList<ClipboardItem> items = historyOf(int(state.range(0)));
    ShownList shown(items);
    const qsizetype middle = items.size() / 2;
    for (auto _ : state) {
        state.PauseTiming();
        items[middle].isFavorite = !items[middle].isFavorite;
        HistoryUpdate update = updateWith(items);
        update.items.detach();
        state.ResumeTiming();
        shown.list.update(std::move(update));
    }
}

void BM_UpdateForLinkPreviewBatch(benchmark::State &state)
{
    QList<ClipboardItem> items = historyOf(int(state.range(0)));
    QList<qsizetype> links;
    for (qsizetype i = 0; i < items.size() && links.size() < 20; ++i) {
        if (items.at(i).kind == ClipboardKind::link && !items.at(i).linkPreviewDetails)
            links.append(i);
    }
    ShownList shown(items);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        for (qsizetype i : std::as_const(links)) {
            ClipboardItem &link = items[i];
            link.linkPreviewDetails = LinkPreviewDetails {*link.text, QStringLiteral("Page %1").arg(round),
                QStringLiteral("What the page is about"), std::nullopt, std::nullopt, QDateTime::currentDateTimeUtc()};
            link = link.refreshingSearchText({});
        }
        HistoryUpdate update = updateWith(items);
        update.items.detach();
        state.ResumeTiming();
        shown.list.update(std::move(update));
    }
}

void BM_RelayoutAfterWidthChange(benchmark::State &state)
{
    ShownList shown(historyOf(int(state.range(0))));
    int width = listSize.width();
    for (auto _ : state) {
        width = width == listSize.width() ? listSize.width() + 1 : listSize.width();
        shown.list.resize(width, listSize.height());
        shown.list.tableView().layOutRowsNow();
    }
}

// The first layout of the list with 1,000 image rows whose pictures nobody has looked at yet.
void BM_RelayoutWithColdImages(benchmark::State &state)
{
    QTemporaryDir folder;
    QList<ClipboardItem> items = historyOf(int(state.range(0)));
    int round = 0;
    std::unique_ptr<ShownList> shown;
    for (auto _ : state) {
        state.PauseTiming();
        shown.reset();
        ++round;
        int images = 0;
        for (ClipboardItem &item : items) {
            if (item.kind != ClipboardKind::image || images == 1000)
                continue;
            const QString path = folder.filePath(QStringLiteral("%1-%2.png").arg(round).arg(images++));
            QImage picture(200 + images % 300, 100 + images % 200, QImage::Format_RGB32);
            picture.fill(Qt::darkCyan);
            picture.save(path);
            item.assetPath = path;
        }
        shown = std::make_unique<ShownList>(QList<ClipboardItem>());
        state.ResumeTiming();
        shown->list.update(updateWith(items));
    }
}

void BM_PaintScreenful(benchmark::State &state)
{
    ShownList shown(historyOf(int(state.range(0))));
    QWidget &viewport = *shown.list.tableView().viewport();
    QImage canvas(viewport.size(), QImage::Format_ARGB32_Premultiplied);
    int rows = 0;
    for (auto _ : state) {
        viewport.render(&canvas);
        rows = int(shown.list.tableView().rowsInVisibleRect().size());
    }
    state.counters["rows"] = rows;
}

// What the list itself holds for its rows, laid out and shown: the heap it takes beyond the items it is given,
// which it shares with its owner.
void BM_ListMemoryPerRow(benchmark::State &state)
{
    const QList<ClipboardItem> &items = historyOf(int(state.range(0)));
    double bytesPerRow = 0;
    qsizetype rows = 0;
    for (auto _ : state) {
        ShownList shown({});
        malloc_trim(0);
        const size_t before = mallinfo2().uordblks;
        shown.list.update(updateWith(items));
        shown.list.tableView().layOutRowsNow();
        QCoreApplication::processEvents();
        rows = shown.list.tableRows().size();
        bytesPerRow = double(mallinfo2().uordblks - before) / double(qMax<qsizetype>(rows, 1));
    }
    state.counters["bytes per row"] = bytesPerRow;
    state.counters["rows"] = double(rows);
}

} // namespace

BENCHMARK(BM_UpdateForCapture)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateForDeleteOfOne)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateForDeleteOfTen)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateForFavoriteToggle)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UpdateForLinkPreviewBatch)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RelayoutAfterWidthChange)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RelayoutWithColdImages)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PaintScreenful)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListMemoryPerRow)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
