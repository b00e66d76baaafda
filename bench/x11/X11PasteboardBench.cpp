#include "x11/X11Pasteboard.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// xclip copying the data: it owns the clipboard until the next copy takes it.
std::unique_ptr<QProcess> startXclip(const QByteArray &data, const QString &target)
{
    auto process = std::make_unique<QProcess>();
    QStringList arguments = {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-quiet")};
    if (!target.isEmpty())
        arguments << QStringLiteral("-t") << target;
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(QStringLiteral("xclip"), arguments);
    process->waitForStarted();
    process->write(data);
    process->closeWriteChannel();
    return process;
}

QByteArray text(qsizetype size)
{
    QByteArray data(size, ' ');
    for (qsizetype i = 0; i < size; ++i)
        data[i] = i % 64 == 63 ? '\n' : char('a' + (i * 7) % 26);
    return data;
}

// A screenshot-like PNG: flat areas, text and a photo-like corner.
QByteArray screenshotPng()
{
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.fill(QColor(236, 236, 236));
    QPainter painter(&image);
    for (int line = 0; line < 40; ++line)
        painter.drawText(200, 100 + line * 22, QStringLiteral("Line %1 of a document shown on the screen").arg(line));
    QRandomGenerator random(7);
    for (int y = 600; y < 1080; ++y) {
        for (int x = 1200; x < 1920; ++x)
            image.setPixel(x, y, qRgb(x / 8 + int(random.bounded(24)), y / 5, 120 + int(random.bounded(40))));
    }
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// Time from the change (the pasteboard hearing of the new owner) to its finished snapshot, while a 1 ms timer on
// the GUI thread measures the longest pause of the event loop.
void measureSnapshot(benchmark::State &state, const QByteArray &data, const QString &target, const QString &type)
{
    X11Pasteboard pasteboard;
    if (!pasteboard.isAvailable()) {
        state.SkipWithError("no X11 display");
        return;
    }
    std::unique_ptr<QProcess> owner;
    double fromStart = 0;
    qint64 longestPauseNs = 0;
    for (auto _ : state) {
        const qint64 before = pasteboard.changeCount();
        QElapsedTimer sinceStart;
        sinceStart.start();
        qint64 changeSeenNs = -1;
        QEventLoop loop;
        QObject context;
        QObject::connect(&pasteboard, &Pasteboard::changed, &context, [&] {
            if (changeSeenNs < 0)
                changeSeenNs = sinceStart.nsecsElapsed();
        });
        QObject::connect(&pasteboard, &X11Pasteboard::contentReady, &context, [&](qint64 count) {
            if (count > before)
                loop.quit();
        });
        QElapsedTimer sinceTick;
        sinceTick.start();
        QTimer ticker;
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout, &context, [&] {
            longestPauseNs = std::max(longestPauseNs, sinceTick.nsecsElapsed());
            sinceTick.restart();
        });
        ticker.start(1);
        QTimer::singleShot(30'000, &loop, &QEventLoop::quit);
        auto next = startXclip(data, target);
        loop.exec();
        const qint64 doneNs = sinceStart.nsecsElapsed();
        if (pasteboard.data(type).value_or(QByteArray()) != data) {
            state.SkipWithError("the snapshot does not hold the copied data");
            return;
        }
        state.SetIterationTime(double(doneNs - changeSeenNs) / 1e9);
        fromStart += double(doneNs) / 1e9;
        owner = std::move(next); // the previous xclip lost the clipboard and ends by itself
    }
    if (owner) {
        owner->kill();
        owner->waitForFinished();
    }
    state.counters["bytes"] = double(data.size());
    // Including xclip's start and its reading of the data.
    state.counters["from_xclip_start_ms"] = fromStart * 1000 / double(state.iterations());
    // The longest the GUI thread went without running its 1 ms timer during a read.
    state.counters["gui_longest_pause_ms"] = double(longestPauseNs) / 1e6;
}

void BM_SnapshotText1KB(benchmark::State &state)
{
    measureSnapshot(state, text(1024), QString(), PasteboardType::plainText());
}
BENCHMARK(BM_SnapshotText1KB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

void BM_SnapshotText10MB(benchmark::State &state)
{
    measureSnapshot(state, text(10 * 1024 * 1024), QString(), PasteboardType::plainText());
}
BENCHMARK(BM_SnapshotText10MB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_SnapshotPng1920x1080(benchmark::State &state)
{
    measureSnapshot(state, screenshotPng(), QStringLiteral("image/png"), PasteboardType::png());
}
BENCHMARK(BM_SnapshotPng1920x1080)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace
