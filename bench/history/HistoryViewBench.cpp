// What the history list costs on the GUI thread for each change it is given, at the default history size and at
// twenty times that: a capture (a new first item: a row put in), a delete of one and of ten items (rows taken out
// in place), a favourite toggle and a batch of 20 link previews (reloads), each fed from a model as the window
// feeds it; a relayout after a width change (with warm caches, and the first one with 1,000 image rows whose files
// were never read), and painting one screenful of rows. Each update is timed until the list has laid out its rows,
// as it does before it paints.

#include "AppModel.h"
#include "History.h"
#include "HistoryContentViewController.h"
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

// A list on screen fed the way its window feeds it: the model's visible ids, its own items through their ids, and
// the ids whose items changed. What the model does for a change is not timed, the list's update (with the lookups
// into the model it makes) is.
struct ShownModel
{
    explicit ShownModel(const QList<ClipboardItem> &items)
    {
        AppPreferences preferences = model.preferences();
        preferences.pinFavoritesToTop = true;
        model.setPreferences(preferences);
        model.setItems(items);
        QObject::connect(
            &model, &AppModel::itemsChangedByID, &list, [this](const QSet<QUuid> &ids) { changedItemIDs.unite(ids); });
        list.resize(listSize);
        list.show();
        list.update(update());
        QCoreApplication::processEvents();
    }
    HistoryUpdate update()
    {
        HistoryUpdate update;
        update.modelItems = historyItemsOf(model);
        update.changedItemIDs = std::exchange(changedItemIDs, {});
        update.pinFavoritesToTop = true;
        update.sectionDate = historySectionDate(HistorySortOption::lastCopyTime, false);
        update.selectedItemID = model.selectedItemID();
        update.selectedItemIDs = model.selectedItemIDs();
        return update;
    }

    AppModel model;
    History list;
    QSet<QUuid> changedItemIDs;
};

void BM_UpdateForCapture(benchmark::State &state)
{
    const qsizetype count = state.range(0);
    ShownModel shown(historyOf(int(count)));
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        shown.model.upsertItem(capture(n++));
        shown.model.trimItems(count);
        HistoryUpdate update = shown.update();
        state.ResumeTiming();
        shown.list.update(std::move(update));
    }
}

// Deletes `count` items spread over the list; between the timed updates the whole history comes back.
void deleteItems(benchmark::State &state, int count)
{
    const QList<ClipboardItem> &items = historyOf(int(state.range(0)));
    ShownModel shown(items);
    const qsizetype step = items.size() / (count + 1);
    QSet<QUuid> deleted;
    for (qsizetype i = step; i < items.size() && deleted.size() < count; i += step)
        deleted.insert(items.at(i).id);
    for (auto _ : state) {
        state.PauseTiming();
        shown.model.removeItems(deleted);
        HistoryUpdate update = shown.update();
        state.ResumeTiming();
        shown.list.update(std::move(update));
        state.PauseTiming();
        shown.model.setItems(items);
        shown.list.update(shown.update());
        state.ResumeTiming();
    }
    state.counters["removed"] = double(deleted.size());
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
    const QList<ClipboardItem> &items = historyOf(int(state.range(0)));
    ShownModel shown(items);
    const QUuid middle = items.at(items.size() / 2).id;
    for (auto _ : state) {
        state.PauseTiming();
        ClipboardItem toggled = *shown.model.item(middle);
        toggled.isFavorite = !toggled.isFavorite;
        shown.model.updateItem(toggled);
        HistoryUpdate update = shown.update();
        state.ResumeTiming();
        shown.list.update(std::move(update));
    }
}

void BM_UpdateForLinkPreviewBatch(benchmark::State &state)
{
    const QList<ClipboardItem> &items = historyOf(int(state.range(0)));
    QList<QUuid> links;
    for (qsizetype i = 0; i < items.size() && links.size() < 20; ++i) {
        if (items.at(i).kind == ClipboardKind::link && !items.at(i).linkPreviewDetails)
            links.append(items.at(i).id);
    }
    ShownModel shown(items);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        QList<ClipboardItem> previewed;
        for (const QUuid &id : std::as_const(links)) {
            ClipboardItem link = *shown.model.item(id);
            link.linkPreviewDetails = LinkPreviewDetails {*link.text, QStringLiteral("Page %1").arg(round),
                QStringLiteral("What the page is about"), std::nullopt, std::nullopt, QDateTime::currentDateTimeUtc()};
            previewed.append(link.refreshingSearchText({}));
        }
        shown.model.applyItemUpdates(previewed);
        HistoryUpdate update = shown.update();
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
