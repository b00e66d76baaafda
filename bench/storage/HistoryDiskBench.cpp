#include "SQLiteHistoryStore.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

// What a history takes on disk: seven rounds of a 1 KB text, a 1 MB text and a 1080p screenshot, each captured
// once. The figures are the database file and the image files, in MB (10^6 bytes), beside the bytes that were
// copied; the goal is at most 1.2 times those.

namespace {

constexpr double megabyte = 1000.0 * 1000.0;

QString wordsText(QRandomGenerator &random, qsizetype length)
{
    static const QStringList words = QStringLiteral(
        "the quick brown fox jumps over a lazy dog while every copy keeps its place in the history and search "
        "finds texts links images files quickly lorem ipsum dolor sit amet consectetur adipiscing elit")
                                         .split(QLatin1Char(' '));
    QString text;
    text.reserve(length + 16);
    while (text.size() < length) {
        text += words.at(random.bounded(qsizetype(words.size())));
        text += random.bounded(12) == 0 ? QLatin1Char('\n') : QLatin1Char(' ');
    }
    text.truncate(length);
    return text;
}

// A screenshot-like picture: flat panels, bars of "text" and a noisy photo area, so that it compresses about as
// a real one does.
QByteArray screenshotPng(QRandomGenerator &random)
{
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.fill(QColor(0xf4, 0xf4, 0xf6));
    QPainter painter(&image);
    painter.fillRect(0, 0, 1920, 36, QColor(0x2b, 0x2d, 0x31));
    painter.fillRect(0, 36, 280, 1044, QColor(0xe8, 0xe9, 0xec));
    for (int y = 60; y < 1060; y += 22) {
        for (int x = 310; x < 1200;) {
            const int width = 20 + random.bounded(90);
            painter.fillRect(
                x, y, width, 12, QColor::fromRgb(random.bounded(60), random.bounded(60), random.bounded(90)));
            x += width + 8;
        }
    }
    painter.end();
    for (int y = 120; y < 620; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 1260; x < 1860; ++x)
            line[x] = qRgb((x + y) % 256, (x * 3 + random.bounded(24)) % 256, (y * 2 + random.bounded(24)) % 256);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

ClipboardItem textItem(const QString &text, const QDateTime &copiedAt)
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.kind = ClipboardKind::text;
    item.text = text;
    item.sourceAppName = QStringLiteral("Editor");
    item.copiedAt = copiedAt;
    item.firstCopiedAt = copiedAt;
    item.byteSize = text.toUtf8().size();
    item.copyCount = 1;
    return item.refreshingSearchText({});
}

ClipboardItem imageItem(const QString &path, qint64 size, const QDateTime &copiedAt)
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.kind = ClipboardKind::image;
    item.assetPath = path;
    item.sourceAppName = QStringLiteral("Screenshot");
    item.copiedAt = copiedAt;
    item.firstCopiedAt = copiedAt;
    item.byteSize = size;
    item.copyCount = 1;
    return item.refreshingSearchText({});
}

qint64 bytesUnder(const QString &folder)
{
    qint64 total = 0;
    QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext())
        total += QFileInfo(files.next()).size();
    return total;
}

void BM_DiskForSevenRounds(benchmark::State &state)
{
    for (auto _ : state) {
        QTemporaryDir support;
        QRandomGenerator random(38);
        const QString images = support.filePath(QStringLiteral("Images"));
        QDir().mkpath(images);
        qint64 copied = 0;
        {
            SQLiteHistoryStore store(support.path());
            QDateTime copiedAt = QDateTime::currentDateTimeUtc().addSecs(-3600);
            for (int round = 0; round < 7; ++round) {
                for (const qsizetype length : {qsizetype(1000), qsizetype(1000 * 1000)}) {
                    const ClipboardItem item = textItem(wordsText(random, length), copiedAt = copiedAt.addSecs(1));
                    copied += item.byteSize;
                    if (!store.insertOrMerge(item, false)) {
                        state.SkipWithError("the store did not take a text");
                        return;
                    }
                }
                const QByteArray png = screenshotPng(random);
                const QString path = QDir(images).filePath(QStringLiteral("shot-%1.png").arg(round));
                QFile file(path);
                if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size()) {
                    state.SkipWithError("the image could not be written");
                    return;
                }
                file.close();
                copied += png.size();
                if (!store.insertOrMerge(imageItem(path, png.size(), copiedAt = copiedAt.addSecs(1)), false)) {
                    state.SkipWithError("the store did not take an image");
                    return;
                }
            }
        }
        // The store is closed: its write-ahead log is folded into the file and removed.
        const qint64 onDisk = bytesUnder(support.path());
        state.counters["data_MB"] = double(copied) / megabyte;
        state.counters["disk_MB"] = double(onDisk) / megabyte;
        state.counters["database_MB"]
            = double(QFileInfo(support.filePath(QStringLiteral("History.sqlite"))).size()) / megabyte;
        state.counters["disk_per_data"] = double(onDisk) / double(copied);
    }
}

} // namespace

BENCHMARK(BM_DiskForSevenRounds)->Unit(benchmark::kMillisecond)->Iterations(1);
