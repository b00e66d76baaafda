#include "ScreenshotFixture.h"
#include "TesseractTextRecognizer.h"

#include <QFont>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <ctime>

namespace {

const char *const screenshotLines[] = {
    "Quarterly report for the northern region, draft three",
    "Revenue grew by 12 percent compared with the same quarter last year.",
    "Most of the growth came from the two new stores that opened in March.",
    "Costs rose less quickly, mainly because of lower transport prices.",
    "The warehouse move is planned for the second half of October.",
    "Please send your comments on the staffing plan before Friday.",
    "Meeting notes: budget review, hiring, the new delivery schedule.",
    "Action items are listed in the shared folder under Planning.",
    "Contact the finance team at finance@example.org with questions.",
    "Last updated on 14 June at 09:30 by the operations office.",
};

// A 1920x1080 screenshot: a window with ten lines of interface-sized text among other things.
QImage screenshot()
{
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.fill(QColor(236, 236, 236));
    QPainter painter(&image);
    painter.fillRect(0, 0, 1920, 32, QColor(48, 48, 56));
    painter.fillRect(260, 120, 1400, 820, Qt::white);
    painter.setPen(QColor(120, 120, 120));
    painter.drawRect(260, 120, 1400, 820);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    painter.setFont(font);
    painter.setPen(Qt::black);
    int y = 180;
    for (const char *line : screenshotLines) {
        painter.drawText(300, y, QString::fromUtf8(line));
        y += 64;
    }
    return image;
}

double processCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double threadCpuSeconds()
{
    timespec time {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return double(time.tv_sec) + double(time.tv_nsec) / 1e9;
}

// Recognises text and QR codes in `image` as a capture does, each time in a copy that differs in one pixel of
// its top left corner (a new screenshot for the recogniser, the same text), and gives the CPU time one
// recognition takes on its thread in seconds and how many of the `words` were found.
void recognizeCopies(benchmark::State &state, const QImage &image, const QStringList &words)
{
    TesseractTextRecognizer recognizer;
    (void)recognizer.recognize(QImage(8, 8, QImage::Format_RGB32));
    double cpu = 0;
    qsizetype found = 0;
    int copies = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QImage copy = image;
        copy.setPixel(0, 0, qRgb(copies % 256, 0, 0));
        state.ResumeTiming();
        const double started = threadCpuSeconds();
        const auto result = recognizer.recognize(copy);
        cpu += threadCpuSeconds() - started;
        ++copies;
        if (!result) {
            state.SkipWithError("recognition failed");
            return;
        }
        const QStringList read = ScreenshotFixture::wordsOf(result->text().value_or(QString()));
        found = 0;
        for (const QString &word : words)
            found += read.contains(word) ? 1 : 0;
    }
    state.counters["cpu_s_per_image"] = cpu / copies;
    state.counters["words_found"] = double(found);
    state.counters["words"] = double(words.size());
}

// A desktop screenshot with a document window: what copying a 1080p screenshot costs in recognition.
void BM_RecognizeDesktopScreenshot(benchmark::State &state)
{
    recognizeCopies(state, ScreenshotFixture::image(), ScreenshotFixture::words());
}
BENCHMARK(BM_RecognizeDesktopScreenshot)->Unit(benchmark::kMillisecond)->Iterations(5);

// A 1080p photo without any text.
void BM_RecognizePhoto(benchmark::State &state)
{
    QImage photo(1920, 1080, QImage::Format_RGB32);
    QPainter painter(&photo);
    ScreenshotFixture::paintPhoto(painter, photo.rect(), 3);
    painter.end();
    recognizeCopies(state, photo, {});
}
BENCHMARK(BM_RecognizePhoto)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_RecognizeScreenshot(benchmark::State &state)
{
    TesseractTextRecognizer recognizer;
    const QImage image = screenshot();
    // The engine is kept initialised between captures; its start is not part of a recognition.
    (void)recognizer.recognize(QImage(8, 8, QImage::Format_RGB32));
    int exactLines = 0;
    const double cpuBefore = processCpuSeconds();
    double wall = 0;
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        const auto result = recognizer.recognize(image);
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (!result) {
            state.SkipWithError("recognition failed");
            return;
        }
        const QStringList read = result->text().value_or(QString()).split(u'\n');
        exactLines = 0;
        for (const char *line : screenshotLines)
            exactLines += read.contains(QString::fromUtf8(line)) ? 1 : 0;
    }
    // Of the ten lines, how many were read without a mistake.
    state.counters["exact_lines"] = exactLines;
    // Process CPU time over wall time while recognising: 1 means one core.
    state.counters["cores"] = (processCpuSeconds() - cpuBefore) / wall;
}
BENCHMARK(BM_RecognizeScreenshot)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ReadQRCodesOfScreenshot(benchmark::State &state)
{
    TesseractTextRecognizer recognizer;
    const QImage image = screenshot();
    for (auto _ : state)
        benchmark::DoNotOptimize(recognizer.recognize(image, TextRecognizer::QRCodes));
}
BENCHMARK(BM_ReadQRCodesOfScreenshot)->Unit(benchmark::kMillisecond);

} // namespace
