#include "SQLiteHistoryStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <malloc.h>

// Memory taken while the history store loads a history that holds one text of 50 MiB characters on a single line:
// the peak while loading, and what stays once the items are loaded, both above what the process held before. The
// goal: the peak at most twice what stays.

namespace {

constexpr double mebibyte = 1024.0 * 1024.0;

// A line of the process's status, in KiB.
qint64 statusKiB(const char *name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(name) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// Sets the peak resident size back to the present one.
bool resetPeak()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

void BM_LoadOneLargeText(benchmark::State &state)
{
    const qsizetype length = qsizetype(state.range(0)) * 1024 * 1024;
    QTemporaryDir support;
    {
        QString text(length, Qt::Uninitialized);
        const QString words = QStringLiteral("the quick brown fox jumps over the lazy dog ");
        for (qsizetype i = 0; i < length; ++i)
            text[i] = words.at(i % words.size());
        ClipboardItem item;
        item.id = QUuid::createUuid();
        item.kind = ClipboardKind::text;
        item.text = text;
        item.sourceAppName = QStringLiteral("Editor");
        item.copiedAt = item.firstCopiedAt = QDateTime::currentDateTimeUtc();
        item.byteSize = length;
        item.copyCount = 1;
        SQLiteHistoryStore store(support.path());
        if (!store.upsert(item.refreshingSearchText({}))) {
            state.SkipWithError("the text could not be stored");
            return;
        }
    }
    for (auto _ : state) {
        malloc_trim(0);
        if (!resetPeak()) {
            state.SkipWithError("the peak resident size cannot be reset here");
            return;
        }
        const qint64 before = statusKiB("VmRSS");
        SQLiteHistoryStore store(support.path());
        const auto items = store.loadRecentItems(10);
        if (!items || items->size() != 1) {
            state.SkipWithError("the history did not load");
            return;
        }
        malloc_trim(0);
        const qint64 settled = statusKiB("VmRSS") - before;
        const qint64 peak = statusKiB("VmHWM") - before;
        state.counters["text_MiB"] = double(length) / mebibyte;
        state.counters["settled_MiB"] = double(settled) / 1024.0;
        state.counters["peak_MiB"] = double(peak) / 1024.0;
        state.counters["peak_per_settled"] = double(peak) / double(settled);
    }
}

} // namespace

BENCHMARK(BM_LoadOneLargeText)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(1);
