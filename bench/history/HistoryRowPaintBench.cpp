// How long the history rows take to paint: a screenful (480 x 720) of mixed rows, a fifth of them images, a tenth
// files and a fifth links with preview cards, with warm caches (every picture decoded, every text measured: what a
// repaint costs) and with cold ones (new items, nothing decoded yet: what the first showing costs on the GUI
// thread; decoding runs on the worker and is not counted); and every row of a 5,000-item history painted once, as
// scrolling from top to bottom does.

#include "FilePreviewCache.h"
#include "HistoryItemRowPainter.h"
#include "HistoryRowHeights.h"
#include "HistoryRowPictures.h"
#include "HistoryTableRow.h"
#include "IconProvider.h"
#include "ServicesProbe.h"
#include "SyntheticText.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

namespace {

constexpr qreal tableWidth = 480;
constexpr int screenHeight = 720;

struct Fixture
{
    QTemporaryDir directory;
    QStringList pictures;
    QStringList documents;
    DesktopIconProvider icons;
    std::unique_ptr<FilePreviewCache> previews;

    Fixture()
    {
        for (int i = 0; i < 24; ++i) {
            QImage image(640 + i * 53, 360 + i * 31, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(i * 15, 180, 200));
            const QString path = directory.filePath(QStringLiteral("picture-%1.png").arg(i));
            image.save(path);
            pictures.append(path);
        }
        for (int i = 0; i < 8; ++i) {
            const QString path = directory.filePath(QStringLiteral("document-%1.txt").arg(i));
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write("notes");
            documents.append(path);
        }
        previews = std::make_unique<FilePreviewCache>(directory.filePath(QStringLiteral("FilePreviews")), icons);
    }
};

Fixture &fixture()
{
    static Fixture made;
    return made;
}

// Mixed items: 20 % images, 10 % files (one picture, one document, or several), 20 % links with a card, the rest
// texts of one to a dozen lines, e-mail addresses and colours; some favourites, tags and source applications.
QList<ClipboardItem> makeItems(int count, quint32 seed)
{
    QRandomGenerator random {seed};
    const QStringList words = syntheticWords(random,
        {u"ka"_qs, u"lo"_qs, u"mi"_qs, u"ne"_qs, u"su"_qs, u"ta"_qs, u"ver"_qs, u"dré"_qs, u"ü"_qs, u"or"_qs, u"ix"_qs,
            u"bel"_qs});
    const Fixture &files = fixture();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<ClipboardItem> items;
    for (int i = 0; i < count; ++i) {
        ClipboardItem item;
        item.id = QUuid::createUuidV5(QUuid(), QStringLiteral("%1-%2").arg(seed).arg(i));
        item.copiedAt = now.addSecs(-qint64(i) * 60);
        item.firstCopiedAt = item.copiedAt;
        item.isFavorite = random.bounded(20) == 0;
        if (random.bounded(8) == 0)
            item.tags = {qint64(random.bounded(1, 4))};
        if (random.bounded(3) != 0)
            item.sourceAppName = u"Firefox"_qs;
        item.byteSize = random.bounded(100, 5000000);
        const int kind = random.bounded(100);
        const QString &picture = files.pictures.at(random.bounded(files.pictures.size()));
        if (kind < 20) {
            item.kind = ClipboardKind::image;
            item.assetPath = picture;
        } else if (kind < 30) {
            item.kind = ClipboardKind::file;
            const int shape = random.bounded(3);
            if (shape == 0)
                item.filePaths = {picture};
            else if (shape == 1)
                item.filePaths = {files.documents.at(random.bounded(files.documents.size()))};
            else
                item.filePaths = {files.documents.at(0), picture, files.documents.at(1)};
        } else if (kind < 50) {
            item.kind = ClipboardKind::link;
            item.text
                = u"https://"_qs + words.at(random.bounded(words.size())) + u".example.org/"_qs + QString::number(i);
            item.linkPreviewDetails = LinkPreviewDetails {*item.text, syntheticText(random, words, 40),
                syntheticText(random, words, 160), picture, files.pictures.at(0), now};
        } else if (kind < 55) {
            item.kind = ClipboardKind::email;
            item.text = words.at(random.bounded(words.size())) + u"@example.org"_qs;
        } else if (kind < 60) {
            item.kind = ClipboardKind::color;
            item.text = u'#' + QString::number(random.bounded(0x1000000), 16).rightJustified(6, u'0');
        } else {
            item.kind = kind < 90 ? ClipboardKind::text : ClipboardKind::richText;
            item.text = syntheticText(random, words, random.bounded(20, 900));
        }
        items.append(item.refreshingSearchText({}));
    }
    return items;
}

struct Screen
{
    QList<ClipboardItem> items;
    QList<HistoryTableRow> rows;
    QList<qreal> heights;
};

Screen layOut(const QList<ClipboardItem> &items)
{
    Screen screen;
    screen.items = items;
    screen.rows = buildTableRows(
        items, true, historySectionDate(HistorySortOption::lastCopyTime, false), HistoryCalendar::current());
    HistoryRowHeights heights;
    HistoryRowHeightContext context;
    context.availableTagIDs = {1, 2, 3};
    context.filePreviewCache = fixture().previews.get();
    for (qsizetype row = 0; row < screen.rows.size(); ++row)
        screen.heights.append(heights.rowHeight(screen.rows, screen.items, row, tableWidth, context));
    return screen;
}

HistoryItemRowConfiguration configurationOf(const HistoryTableRow::Item &row, const ClipboardItem &item)
{
    HistoryItemRowConfiguration configuration;
    if (row.itemIndex < 9)
        configuration.quickPasteIndex = row.itemIndex + 1;
    for (const qint64 tag : item.tags)
        configuration.tags.append(Tag {tag, u"Tag"_qs, u"#3B85ED"_qs});
    configuration.tableWidth = tableWidth;
    configuration.searchQuery = u"ver"_qs;
    configuration.showsLinkPreview = true;
    configuration.filePreviewCache = fixture().previews.get();
    return configuration;
}

// Paints the rows from the first, into a canvas of the screen's height; the rows painted.
int paintRows(QPainter &painter, const Screen &screen, qsizetype first, qreal height, const QPalette &palette)
{
    qreal y = 0;
    int painted = 0;
    for (qsizetype row = first; row < screen.rows.size() && y < height; ++row) {
        const QRectF rect(0, y, tableWidth, screen.heights.at(row));
        if (const auto *header = screen.rows.at(row).asSectionHeader()) {
            HistorySectionHeaderCell::paint(painter, rect, header->title, row == 0, palette);
        } else if (const auto *itemRow = screen.rows.at(row).asItem()) {
            const ClipboardItem &item = screen.items.at(itemRow->itemIndex);
            HistoryItemRowPainter::forReuseIdentifier(historyItemRowReuseIdentifier(item))
                .paint(painter, rect, item, configurationOf(*itemRow, item), palette);
        }
        y += screen.heights.at(row);
        ++painted;
    }
    return painted;
}

void settle()
{
    for (int i = 0; i < 100 && ServicesProbe::pendingRenderingCount(*fixture().previews) > 0; ++i)
        QThread::msleep(10);
    HistoryRowPictures::shared().finishPending();
    QCoreApplication::processEvents();
}

void BM_PaintScreenfulWarm(benchmark::State &state)
{
    const Screen screen = layOut(makeItems(40, 1));
    QImage canvas(int(tableWidth), screenHeight, QImage::Format_ARGB32_Premultiplied);
    const QPalette palette;
    {
        QPainter painter(&canvas);
        paintRows(painter, screen, 0, screenHeight, palette);
    }
    settle();
    int rows = 0;
    for (auto _ : state) {
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        rows = paintRows(painter, screen, 0, screenHeight, palette);
    }
    state.counters["rows"] = rows;
}

void BM_PaintScreenfulCold(benchmark::State &state)
{
    QImage canvas(int(tableWidth), screenHeight, QImage::Format_ARGB32_Premultiplied);
    const QPalette palette;
    quint32 seed = 1000;
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        settle();
        HistoryRowPictures::shared().clear();
        fixture().previews->removeAll();
        const Screen screen = layOut(makeItems(40, ++seed));
        canvas.fill(Qt::white);
        state.ResumeTiming();
        QPainter painter(&canvas);
        rows = paintRows(painter, screen, 0, screenHeight, palette);
    }
    settle();
    state.counters["rows"] = rows;
}

void BM_ScrollThroughHistory(benchmark::State &state)
{
    const Screen screen = layOut(makeItems(int(state.range(0)), 7));
    QImage canvas(int(tableWidth), screenHeight, QImage::Format_ARGB32_Premultiplied);
    const QPalette palette;
    {
        QPainter painter(&canvas);
        paintRows(painter, screen, 0, 1e9, palette);
    }
    settle();
    for (auto _ : state) {
        QPainter painter(&canvas);
        // Each row painted once, a screen's height at a time.
        for (qsizetype first = 0; first < screen.rows.size();) {
            painter.resetTransform();
            first += paintRows(painter, screen, first, screenHeight, palette);
        }
    }
    state.counters["rows"] = double(screen.rows.size());
    state.counters["per_row_us"] = benchmark::Counter(
        double(screen.rows.size()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(BM_PaintScreenfulWarm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintScreenfulCold)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_ScrollThroughHistory)->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(3);
