#include "Coding.h"
#include "SQLiteHistoryStore.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

// The per-capture work of the history store (insert-or-merge and the prune that follows it), the start-up
// load and the opening of an up-to-date database, on histories of 1,000 and 50,000 mixed items.

namespace {

const RetentionPolicy &policyAt(const QDateTime &now)
{
    static RetentionPolicy policy;
    policy.textRetentionDays = 30;
    policy.imageRetentionDays = 30;
    policy.fileRetentionDays = 30;
    policy.linkRetentionDays = 30;
    policy.emailRetentionDays = 30;
    policy.colorRetentionDays = 30;
    policy.now = now;
    return policy;
}

QString kilobyteOfText(int seed)
{
    QString text;
    text.reserve(1024);
    while (text.size() < 1000)
        text += QStringLiteral("Line %1 of a copied paragraph with some ordinary words in it. ").arg(seed);
    return text.left(1024);
}

ClipboardItem mixedItem(int index, const QDateTime &copiedAt, const QList<Tag> &tags)
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.copiedAt = copiedAt;
    item.firstCopiedAt = copiedAt;
    item.copyCount = 1;
    item.sourceAppName = QStringLiteral("Application %1").arg(index % 7);
    switch (index % 20) {
    case 0:
    case 1:
        item.kind = ClipboardKind::richText;
        item.text = QStringLiteral("Rich paragraph %1 with emphasis").arg(index);
        item.html = QStringLiteral("<p>Rich paragraph %1 with <b>emphasis</b></p>").arg(index);
        break;
    case 2:
    case 3:
        item.kind = ClipboardKind::link;
        item.text = QStringLiteral("https://example.com/articles/%1?ref=clip").arg(index);
        break;
    case 4:
        item.kind = ClipboardKind::image;
        item.assetPath
            = QStringLiteral("/home/user/.local/share/Varnisto2/Images/%1.png").arg(Coding::uuidString(item.id));
        break;
    case 5:
        item.kind = ClipboardKind::file;
        item.filePaths = {QStringLiteral("/home/user/Documents/report-%1.pdf").arg(index)};
        break;
    case 6:
        item.kind = ClipboardKind::email;
        item.text = QStringLiteral("person%1@example.org").arg(index);
        break;
    case 7:
        item.kind = ClipboardKind::color;
        item.text = QStringLiteral("#%1").arg(index % 0xFFFFFF, 6, 16, QLatin1Char('0')).toUpper();
        break;
    default:
        item.kind = ClipboardKind::text;
        item.text = index % 3 == 0 ? kilobyteOfText(index) : QStringLiteral("Short note number %1").arg(index);
        break;
    }
    item.byteSize = item.text ? item.text->toUtf8().size() : 4096;
    QStringList tagNames;
    // A tenth of the history is older than the retention period; those are the favourites and tagged items
    // that pruning must keep (and keep stepping over).
    if (index % 10 == 0) {
        if (index % 20 == 0) {
            item.isFavorite = true;
        } else {
            const Tag &tag = tags.at(index % tags.size());
            item.tags = {tag.id};
            tagNames = {tag.name};
        }
    }
    return item.refreshingSearchText(tagNames);
}

// One database per size, built once and shared by every benchmark of that size.
struct History
{
    QTemporaryDir directory;
    std::unique_ptr<SQLiteHistoryStore> store;
};

History &historyOf(int rows)
{
    static std::map<int, std::unique_ptr<History>> histories;
    auto &slot = histories[rows];
    if (slot)
        return *slot;
    slot = std::make_unique<History>();
    slot->store = std::make_unique<SQLiteHistoryStore>(slot->directory.path());
    SQLiteHistoryStore &store = *slot->store;
    QList<Tag> tags;
    for (int i = 0; i < 12; ++i)
        tags.append(*store.ensureTag(QStringLiteral("Tag %1").arg(i), QStringLiteral("#3B85ED")));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<ClipboardItem> batch;
    for (int i = 0; i < rows; ++i) {
        const qint64 ageSeconds = i % 10 == 0 ? (40 + i % 300) * 86400 + i : (qint64(i) * 29 * 86400) / rows;
        batch.append(mixedItem(i, now.addSecs(-ageSeconds), tags));
        if (batch.size() == 1000 || i == rows - 1) {
            if (!store.upsertItems(batch))
                qFatal("could not build the benchmark history");
            batch.clear();
        }
    }
    // The first prune after opening reads every expired row once; the captures below measure the steady state.
    (void)store.pruneItems(policyAt(QDateTime::currentDateTimeUtc()));
    return *slot;
}

ClipboardItem capture(const QString &text)
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.kind = ClipboardKind::text;
    item.text = text;
    item.sourceAppName = QStringLiteral("Editor");
    item.copiedAt = QDateTime::currentDateTimeUtc();
    item.firstCopiedAt = item.copiedAt;
    item.byteSize = text.toUtf8().size();
    item.copyCount = 1;
    return item.refreshingSearchText({});
}

void BM_InsertOrMergeNew(benchmark::State &state)
{
    SQLiteHistoryStore &store = *historyOf(int(state.range(0))).store;
    int serial = 0;
    for (auto _ : state) {
        const ClipboardItem item = capture(kilobyteOfText(++serial) + QUuid::createUuid().toString());
        if (!store.insertOrMerge(item, false))
            state.SkipWithError("insertOrMerge failed");
        state.PauseTiming();
        (void)store.deleteItem(item.id); // keep the history at its size
        state.ResumeTiming();
    }
}

void BM_InsertOrMergeRepeated(benchmark::State &state)
{
    SQLiteHistoryStore &store = *historyOf(int(state.range(0))).store;
    const QString text = kilobyteOfText(-1);
    for (auto _ : state) {
        if (!store.insertOrMerge(capture(text), false))
            state.SkipWithError("insertOrMerge failed");
    }
}

void BM_PruneAfterCapture(benchmark::State &state)
{
    SQLiteHistoryStore &store = *historyOf(int(state.range(0))).store;
    for (auto _ : state) {
        auto removed = store.pruneItems(policyAt(QDateTime::currentDateTimeUtc()));
        if (!removed)
            state.SkipWithError("prune failed");
        benchmark::DoNotOptimize(removed);
    }
}

// Everything a capture of new content costs the store: the insert and the prune after it.
void BM_CaptureWithPrune(benchmark::State &state)
{
    SQLiteHistoryStore &store = *historyOf(int(state.range(0))).store;
    int serial = 0;
    for (auto _ : state) {
        const ClipboardItem item = capture(kilobyteOfText(++serial) + QUuid::createUuid().toString());
        if (!store.insertOrMerge(item, false) || !store.pruneItems(policyAt(QDateTime::currentDateTimeUtc())))
            state.SkipWithError("capture failed");
        state.PauseTiming();
        (void)store.deleteItem(item.id);
        state.ResumeTiming();
    }
}

void BM_LoadRecentItems5000(benchmark::State &state)
{
    SQLiteHistoryStore &store = *historyOf(int(state.range(0))).store;
    for (auto _ : state) {
        auto items = store.loadRecentItems(5000);
        if (!items)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(items);
    }
}

// Construction on a database whose migrations are done.
void BM_OpenUpToDate(benchmark::State &state)
{
    const QString directory = historyOf(int(state.range(0))).directory.path();
    for (auto _ : state) {
        SQLiteHistoryStore store(directory);
        benchmark::DoNotOptimize(store.databasePath());
    }
}

// The one prune after start-up that reads every expired row; later prunes only read what expired since.
void BM_FirstPruneAfterOpen(benchmark::State &state)
{
    const QString directory = historyOf(int(state.range(0))).directory.path();
    for (auto _ : state) {
        state.PauseTiming();
        auto store = std::make_unique<SQLiteHistoryStore>(directory);
        state.ResumeTiming();
        if (!store->pruneItems(policyAt(QDateTime::currentDateTimeUtc())))
            state.SkipWithError("prune failed");
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_InsertOrMergeNew)->Arg(1000)->Arg(50000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InsertOrMergeRepeated)->Arg(1000)->Arg(50000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PruneAfterCapture)->Arg(1000)->Arg(50000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CaptureWithPrune)->Arg(1000)->Arg(50000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadRecentItems5000)->Arg(1000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenUpToDate)->Arg(1000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPruneAfterOpen)->Arg(1000)->Arg(50000)->Unit(benchmark::kMillisecond)->Iterations(5);
