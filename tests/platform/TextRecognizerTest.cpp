#define ZX_USE_UTF8
#include "ScreenshotFixture.h"
#include "TesseractTextRecognizer.h"
#include "TestSupport.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPointer>
#include <QThread>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <gtest/gtest.h>

#include <atomic>

#include <sched.h>

namespace {

// A white image with the lines written in a plain sans-serif face, as a screenshot of a text would be.
QImage imageWithLines(const QStringList &lines, QSize size = {900, 300}, QColor background = Qt::white)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(background);
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(28);
    painter.setFont(font);
    painter.setPen(Qt::black);
    int y = 60;
    for (const QString &line : lines) {
        painter.drawText(40, y, line);
        y += 56;
    }
    return image;
}

void drawQRCode(QImage &image, const std::string &payload, QPoint at, int side = 240)
{
    const ZXing::BitMatrix matrix = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode).encode(payload, side, side);
    QPainter painter(&image);
    painter.fillRect(QRect(at, QSize(matrix.width(), matrix.height())), Qt::white);
    for (int y = 0; y < matrix.height(); ++y) {
        for (int x = 0; x < matrix.width(); ++x) {
            if (matrix.get(x, y))
                painter.fillRect(at.x() + x, at.y() + y, 1, 1, Qt::black);
        }
    }
}

} // namespace

TEST(ImageRecognition, JoinedTrimsDropsEmptiesAndIsNothingWhenNothingIsLeft)
{
    const struct
    {
        QStringList pieces;
        std::optional<QString> joined;
    } cases[] = {
        {{}, std::nullopt},
        {{QStringLiteral(" "), QStringLiteral("\n"), QString()}, std::nullopt},
        {{QStringLiteral("  one \n"), QString(), QStringLiteral("\ttwo")}, QStringLiteral("one\ntwo")},
        {{QStringLiteral("a b")}, QStringLiteral("a b")},
    };
    for (const auto &row : cases)
        EXPECT_EQ(ImageRecognition::joined(row.pieces), row.joined) << qPrintable(row.pieces.join(u'|'));
}

TEST(TesseractTextRecognizer, ReadsTheLinesAndTheQRCodeOfAnImage)
{
    TesseractTextRecognizer recognizer;
    const QStringList lines = {QStringLiteral("The quick brown fox jumps over"), QStringLiteral("the lazy dog 1234")};
    // A transparent background must read as white, not as black.
    for (const QColor background : {QColor(Qt::white), QColor(Qt::transparent)}) {
        QImage image = imageWithLines(lines, {1000, 420}, background);
        drawQRCode(image, "https://example.org/päth?q=1", {700, 160});
        const auto result = recognizer.recognize(image);
        ASSERT_TRUE(result.hasValue()) << qPrintable(result.error());
        EXPECT_EQ(result->text(), lines.join(u'\n')) << qPrintable(background.name(QColor::HexArgb));
        EXPECT_EQ(result->qrText(), QStringLiteral("https://example.org/päth?q=1"));
    }
}

TEST(TesseractTextRecognizer, AnEmptyPictureHasNeitherTextNorQRCode)
{
    TesseractTextRecognizer recognizer;
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 200));
    const auto result = recognizer.recognize(image);
    ASSERT_TRUE(result.hasValue());
    EXPECT_EQ(result->text(), std::nullopt);
    EXPECT_EQ(result->qrText(), std::nullopt);
    // A null image is not a failure either.
    EXPECT_TRUE(recognizer.recognize(QImage()).hasValue());
}

TEST(TesseractTextRecognizer, ReadsEveryWordOfADesktopScreenshot)
{
    // Panel, title bar, buttons, a side bar with a selected row in white on blue, paragraphs, a photo inside the
    // document and a photo as wallpaper: every word of it is read.
    TesseractTextRecognizer recognizer;
    const auto result = recognizer.recognize(ScreenshotFixture::image(), TextRecognizer::Text);
    ASSERT_TRUE(result.hasValue()) << qPrintable(result.error());
    EXPECT_EQ(ScreenshotFixture::missingWords(result->text().value_or(QString())), QStringList());
    // Each piece is read once, also where the parts with text overlap (the title bar inside the window's frame).
    EXPECT_EQ(result->text().value_or(QString()).count(QStringLiteral("Document Viewer")), 1);
}

TEST(TesseractTextRecognizer, PhotosAndGradientsWithoutTextHaveNoText)
{
    TesseractTextRecognizer recognizer;
    QImage photo(1920, 1080, QImage::Format_RGB32);
    QPainter painter(&photo);
    ScreenshotFixture::paintPhoto(painter, photo.rect(), 3);
    painter.end();
    QImage gradient(1280, 720, QImage::Format_ARGB32);
    gradient.fill(Qt::transparent);
    painter.begin(&gradient);
    QLinearGradient fade(0, 0, 1280, 0);
    fade.setColorAt(0, Qt::black);
    fade.setColorAt(1, QColor(40, 90, 200, 128));
    painter.fillRect(gradient.rect(), fade);
    painter.end();
    for (const QImage &image : {photo, gradient}) {
        const auto result = recognizer.recognize(image, TextRecognizer::Text);
        ASSERT_TRUE(result.hasValue());
        EXPECT_EQ(result->text(), std::nullopt) << image.width();
    }
}

TEST(TesseractTextRecognizer, QRCodesAloneLeaveTheTextUnread)
{
    TesseractTextRecognizer recognizer;
    QImage image = imageWithLines({QStringLiteral("Some words beside the code")}, {900, 400});
    drawQRCode(image, "first", {40, 120}, 200);
    drawQRCode(image, "second", {500, 120}, 200);
    const auto result = recognizer.recognize(image, TextRecognizer::QRCodes);
    ASSERT_TRUE(result.hasValue());
    EXPECT_TRUE(result->textLines.isEmpty());
    QStringList payloads = result->qrPayloads;
    payloads.sort();
    EXPECT_EQ(payloads, (QStringList {QStringLiteral("first"), QStringLiteral("second")}));
}

TEST(TextRecognizer, AsynchronousResultsArriveOnTheCallersThreadInOrder)
{
    TesseractTextRecognizer recognizer;
    QObject context;
    QStringList texts;
    bool onGuiThread = true;
    for (const QString &word : {QStringLiteral("Alpha"), QStringLiteral("Bravo"), QStringLiteral("Charlie")}) {
        recognizer.recognizeAsync(imageWithLines({word}, {400, 100}), TextRecognizer::Text, &context,
            [&](const TextRecognizer::Result &result) {
                onGuiThread = onGuiThread && QThread::currentThread() == context.thread();
                texts.append(result.hasValue() ? result->text().value_or(QString()) : QString());
            });
    }
    ASSERT_TRUE(waitUntil([&] { return texts.size() == 3; }, 30000));
    EXPECT_TRUE(onGuiThread);
    EXPECT_EQ(texts, (QStringList {QStringLiteral("Alpha"), QStringLiteral("Bravo"), QStringLiteral("Charlie")}));
}

namespace {

// Notes the scheduling policy of the thread that reads the text.
class PolicyRecordingRecognizer final : public TextRecognizer
{
public:
    ~PolicyRecordingRecognizer() override { waitForPendingWork(); }
    std::atomic<int> policy = -1;

protected:
    Expected<QStringList, QString> recognizeTextLines(const QImage &) override
    {
        policy = sched_getscheduler(0);
        return QStringList();
    }
    Expected<QStringList, QString> readQRCodes(const QImage &) override { return QStringList(); }
};

} // namespace

TEST(TextRecognizer, TheWorkerRecognisesAtIdlePriority)
{
    PolicyRecordingRecognizer recognizer;
    QObject context;
    bool done = false;
    recognizer.recognizeAsync(imageWithLines({QStringLiteral("x")}), TextRecognizer::Text, &context,
        [&](const TextRecognizer::Result &) { done = true; });
    ASSERT_TRUE(waitUntil([&] { return done; }));
    EXPECT_EQ(recognizer.policy.load(), SCHED_IDLE);
}

TEST(TextRecognizer, NoCallbackAfterItsContextIsGone)
{
    MemoryTextRecognizer recognizer;
    recognizer.setResult({{QStringLiteral("text")}, {}});
    auto *context = new QObject;
    bool called = false;
    recognizer.recognizeAsync(imageWithLines({QStringLiteral("x")}), TextRecognizer::Text, context,
        [&](const TextRecognizer::Result &) { called = true; });
    delete context;
    // A second request behind the first shows when the worker has passed it.
    QObject later;
    bool laterCalled = false;
    recognizer.recognizeAsync(imageWithLines({QStringLiteral("y")}), TextRecognizer::Text, &later,
        [&](const TextRecognizer::Result &) { laterCalled = true; });
    ASSERT_TRUE(waitUntil([&] { return laterCalled; }));
    EXPECT_FALSE(called);
}

TEST(TextRecognizer, AFailureIsLoggedOnceWithItsDescriptionAndReturned)
{
    MemoryTextRecognizer recognizer;
    recognizer.setFailure(QStringLiteral("no engine"));
    WarningLog log;
    const auto result = recognizer.recognize(imageWithLines({QStringLiteral("x")}));
    ASSERT_FALSE(result.hasValue());
    EXPECT_EQ(result.error(), QStringLiteral("no engine"));
    EXPECT_EQ(
        WarningLog::lines(), QStringList {QStringLiteral("Varnisto image content recognition failed: no engine")});
}
