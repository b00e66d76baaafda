#include "Coding.h"
#include "SQLiteHistoryStore.h"
#include "VarnistoArchiveService.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <memory>

// Export and import of a history of 5,000 items, 500 of them small images: wall time; the largest growth of
// the heap seen during the operation (sampled at every progress call); and the process's resident memory
// before and at its peak during the operation. And the import of an archive of 20,000 tags: wall time.

namespace {

// Resident memory now and at its peak since the last reset, in mebibytes, from /proc/self/status.
struct Memory
{
    double current = 0;
    double peak = 0;
};

Memory memory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    Memory result;
    if (!status.open(QIODevice::ReadOnly))
        return result;
    for (const QByteArray &line : status.readAll().split('\n')) {
        const auto kilobytes = [&line] { return line.simplified().split(' ').value(1).toDouble() / 1024.0; };
        if (line.startsWith("VmRSS:"))
            result.current = kilobytes();
        else if (line.startsWith("VmHWM:"))
            result.peak = kilobytes();
    }
    return result;
}

// Bytes the heap hands out at this moment (small blocks and mapped large ones).
double heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

// The largest heap growth seen at any progress call of an operation: how much it holds at once.
struct HeapWatch
{
    double start = heapInUse();
    double peak = 0;
    VarnistoArchiveProgress progress()
    {
        return [this](qint64, qint64) { peak = qMax(peak, heapInUse() - start); };
    }
};

qint64 folderSize(const QString &path)
{
    qint64 size = 0;
    QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        size += QFileInfo(it.next()).size();
    return size;
}

void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

struct Fixture
{
    QTemporaryDir root;
    QString support;
    std::unique_ptr<SQLiteHistoryStore> store;
    QString archive;
};

Fixture &fixture()
{
    static std::unique_ptr<Fixture> shared;
    if (shared)
        return *shared;
    shared = std::make_unique<Fixture>();
    Fixture &f = *shared;
    f.support = f.root.filePath(QStringLiteral("Varnisto2"));
    f.archive = f.root.filePath(QStringLiteral("Bench.varnistoarchive"));
    QDir().mkpath(f.support + QStringLiteral("/Images"));
    f.store = std::make_unique<SQLiteHistoryStore>(f.support);

    QList<Tag> tags;
    for (int i = 0; i < 10; ++i)
        tags.append(*f.store->ensureTag(QStringLiteral("Tag %1").arg(i), QStringLiteral("#3B85ED")));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<ClipboardItem> items;
    for (int i = 0; i < 5000; ++i) {
        ClipboardItem item;
        item.id = QUuid::createUuid();
        item.copiedAt = now.addSecs(-i * 60);
        item.firstCopiedAt = item.copiedAt;
        item.copyCount = 1;
        item.sourceAppName = QStringLiteral("Application");
        QStringList tagNames;
        if (i % 10 == 0) {
            // A small screenshot-like image, a few kilobytes as PNG.
            item.kind = ClipboardKind::image;
            QImage image(96, 64, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(i % 360, 160, 220));
            QPainter(&image).drawText(8, 32, QString::number(i));
            const QString path
                = f.support + QStringLiteral("/Images/") + Coding::uuidString(item.id) + QStringLiteral(".png");
            image.save(path, "PNG");
            item.assetPath = path;
            item.byteSize = QFileInfo(path).size();
        } else {
            item.kind = ClipboardKind::text;
            item.text = QStringLiteral("Copied text number %1. ").arg(i).repeated(i % 3 == 0 ? 40 : 2);
            item.byteSize = item.text->toUtf8().size();
        }
        if (i % 7 == 0) {
            item.tags = {tags.at(i % tags.size()).id};
            tagNames = {tags.at(i % tags.size()).name};
        }
        items.append(item.refreshingSearchText(tagNames));
    }
    if (!f.store->upsertItems(items))
        qFatal("could not build the benchmark history");
    return f;
}

void BM_ExportArchive(benchmark::State &state)
{
    Fixture &f = fixture();
    ArchiveFileManager files;
    VarnistoArchiveService service(files, f.support);
    Memory before;
    Memory after;
    double heapGrowth = 0;
    for (auto _ : state) {
        before = memory();
        resetPeakMemory();
        HeapWatch watch;
        const auto result = service.exportArchive(*f.store, f.archive, watch.progress());
        after = memory();
        heapGrowth = qMax(heapGrowth, watch.peak);
        if (!result || result->itemCount != 5000)
            state.SkipWithError("export failed");
    }
    state.counters["archive_MiB"] = double(folderSize(f.archive)) / (1024.0 * 1024.0);
    state.counters["heap_growth_MiB"] = heapGrowth;
    state.counters["rss_before_MiB"] = before.current;
    state.counters["peak_rss_MiB"] = after.peak;
}

void BM_ImportArchive(benchmark::State &state)
{
    Fixture &f = fixture();
    if (!QFileInfo::exists(f.archive)) {
        ArchiveFileManager files;
        (void)VarnistoArchiveService(files, f.support).exportArchive(*f.store, f.archive);
    }
    ArchiveFileManager files;
    Memory before;
    Memory after;
    double heapGrowth = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto target = std::make_unique<QTemporaryDir>();
        auto store = std::make_unique<SQLiteHistoryStore>(target->path());
        before = memory();
        resetPeakMemory();
        HeapWatch watch;
        state.ResumeTiming();
        const auto result
            = VarnistoArchiveService(files, target->path()).importArchive(f.archive, *store, watch.progress());
        state.PauseTiming();
        after = memory();
        heapGrowth = qMax(heapGrowth, watch.peak);
        if (!result || result->itemCount != 5000 || QDir(target->path() + QStringLiteral("/Images")).count() != 502)
            state.SkipWithError("import failed");
        store.reset();
        target.reset();
        state.ResumeTiming();
    }
    state.counters["heap_growth_MiB"] = heapGrowth;
    state.counters["rss_before_MiB"] = before.current;
    state.counters["peak_rss_MiB"] = after.peak;
}

// An archive of many tags and one item that carries the last of them, imported into a new history each time:
// the tags are written in one transaction, so the time is that of the statements, not of a disk sync per tag.
void BM_ImportTags(benchmark::State &state)
{
    const qint64 tagCount = state.range(0);
    QTemporaryDir root;
    const QString archive = root.filePath(QStringLiteral("Tags.varnistoarchive"));
    QDir().mkpath(archive);
    QJsonArray tags;
    for (qint64 i = 1; i <= tagCount; ++i)
        tags.append(QJsonObject {{QStringLiteral("id"), QString::number(i)},
            {QStringLiteral("name"), QStringLiteral("Tag %1").arg(i)},
            {QStringLiteral("color"), QStringLiteral("#3B85ED")}});
    const QJsonObject item {{QStringLiteral("id"), Coding::uuidString(QUuid::createUuid())},
        {QStringLiteral("kind"), QStringLiteral("text")}, {QStringLiteral("text"), QStringLiteral("tagged")},
        {QStringLiteral("filePaths"), QJsonArray()},
        {QStringLiteral("copiedAt"), QStringLiteral("2025-03-14T12:00:00Z")},
        {QStringLiteral("firstCopiedAt"), QStringLiteral("2025-03-14T12:00:00Z")}, {QStringLiteral("byteSize"), 6},
        {QStringLiteral("isFavorite"), false}, {QStringLiteral("tagIDs"), QJsonArray {QString::number(tagCount)}},
        {QStringLiteral("tagNames"), QJsonArray()}, {QStringLiteral("copyCount"), 1}};
    const QJsonObject manifest {{QStringLiteral("formatVersion"), 1},
        {QStringLiteral("appName"), QStringLiteral("Varnisto")},
        {QStringLiteral("exportedAt"), QStringLiteral("2025-03-14T12:00:00Z")}};
    const QList<std::pair<QString, QByteArray>> contents {
        {QStringLiteral("manifest.json"), QJsonDocument(manifest).toJson()},
        {QStringLiteral("tags.json"), QJsonDocument(tags).toJson()},
        {QStringLiteral("history.json"), QJsonDocument(QJsonArray {item}).toJson()},
    };
    for (const auto &[name, content] : contents) {
        QFile file(QDir(archive).filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("could not write the benchmark archive");
    }

    ArchiveFileManager files;
    qint64 progressCalls = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto target = std::make_unique<QTemporaryDir>();
        auto store = std::make_unique<SQLiteHistoryStore>(target->path());
        progressCalls = 0;
        state.ResumeTiming();
        const auto result
            = VarnistoArchiveService(files, target->path()).importArchive(archive, *store, [&](qint64, qint64) {
                  ++progressCalls;
              });
        state.PauseTiming();
        if (!result || result->tagCount != tagCount || store->loadTags()->size() != tagCount)
            state.SkipWithError("import failed");
        store.reset();
        target.reset();
        state.ResumeTiming();
    }
    state.counters["progress_calls"] = double(progressCalls);
}

} // namespace

BENCHMARK(BM_ExportArchive)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportArchive)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportTags)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);
