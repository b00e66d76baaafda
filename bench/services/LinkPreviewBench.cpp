#include "FilePreviewCache.h"
#include "LinkPreviewFetcher.h"
#include "LinkPreviewMetadata.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const qsizetype pageSize = LinkPreviewFetcher::pageByteLimit;

// A plausible page of the fetcher's full size: a head with metadata and icons, then markup.
QString ordinaryPage()
{
    QString html = QStringLiteral(R"(<!doctype html><html><head><meta charset="utf-8">
<title>Glaciers of the North &amp; their retreat</title>
<meta property="og:title" content="Glaciers of the North">
<meta name="description" content="Forty years of measurements, in pictures.">
<meta property="og:image" content="/media/cover.jpg">
<link rel="stylesheet" href="/style.css"><link rel="icon" type="image/svg+xml" href="/icon.svg">
<link rel="apple-touch-icon" href="/touch.png"><link rel="shortcut icon" href="/favicon.ico">
</head><body>)");
    const QString paragraph = QStringLiteral(
        "<p class=\"text\" data-id=\"42\">The ice has thinned by <em>tens of metres</em> since the first "
        "survey; <a href=\"/data\">the data</a> are open.</p>\n");
    while (html.size() < pageSize)
        html += paragraph;
    return html.left(pageSize);
}

// Pages built to make regular expressions scan the rest of the text again from every position.
QString hostilePage(int shape)
{
    switch (shape) {
    case 0:
        return QStringLiteral("<title ").repeated(pageSize / 7);
    case 1:
        return QStringLiteral("<meta ").repeated(pageSize / 6);
    default:
        return QStringLiteral("<meta ") + QString(pageSize - 7, u'a') + QLatin1Char('>');
    }
}

const Url pageURL = *Url::parse(QStringLiteral("https://example.com/articles/glaciers"));

void BM_ParseOrdinaryPage(benchmark::State &state)
{
    const QString html = ordinaryPage();
    for (auto _ : state)
        benchmark::DoNotOptimize(LinkPreviewMetadata::parse(html, pageURL));
    state.SetBytesProcessed(state.iterations() * html.size());
}
BENCHMARK(BM_ParseOrdinaryPage)->Unit(benchmark::kMillisecond);

void BM_ParseHostilePage(benchmark::State &state)
{
    const QString html = hostilePage(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(LinkPreviewMetadata::parse(html, pageURL));
    state.SetLabel(state.range(0) == 0 ? "unclosed titles" : state.range(0) == 1 ? "metas without >" : "long name");
}
BENCHMARK(BM_ParseHostilePage)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_DecodePage(benchmark::State &state)
{
    const QByteArray bytes = ordinaryPage().toUtf8().left(pageSize);
    for (auto _ : state)
        benchmark::DoNotOptimize(LinkPreviewFetcher::decodedPageText(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_DecodePage)->Unit(benchmark::kMillisecond);

// A 24-megapixel JPEG rendered as a row thumbnail: decoded at the small size, not decoded whole and scaled.
void BM_ThumbnailOfLargeJpeg(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("photo.jpg"));
    QImage photo(6000, 4000, QImage::Format_RGB32);
    photo.fill(Qt::darkCyan);
    photo.save(path, "JPEG", 90);
    for (auto _ : state)
        benchmark::DoNotOptimize(FilePreviewCache::thumbnailPNGData(path, int(state.range(0))));
}
BENCHMARK(BM_ThumbnailOfLargeJpeg)->Arg(64)->Arg(512)->Unit(benchmark::kMillisecond);

} // namespace
