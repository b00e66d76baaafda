#include "TesseractTextRecognizer.h"

#include <QFont>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

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
