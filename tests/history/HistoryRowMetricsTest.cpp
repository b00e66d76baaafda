#include "HistoryRowMetrics.h"

#include <QBuffer>
#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr qreal unmeasured = std::numeric_limits<qreal>::max();

ClipboardItem plainItem()
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.kind = ClipboardKind::text;
    item.text = u"text"_qs;
    return item;
}

// An image file of the size. PNG: with the density in dots per inch, or with no density at all. JPEG: always with
// a density (Qt writes one).
QString writeImage(const QString &path, QSize size, std::optional<int> dotsPerInch)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    if (dotsPerInch) {
        image.setDotsPerMeterX(qRound(*dotsPerInch / 0.0254));
        image.setDotsPerMeterY(qRound(*dotsPerInch / 0.0254));
    }
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, path.endsWith(u".png"_qs) ? "png" : "jpeg");
        EXPECT_TRUE(writer.write(image));
    }
    const qsizetype chunk = bytes.indexOf("pHYs");
    if (!dotsPerInch && chunk >= 4)
        bytes.remove(chunk - 4, 4 + 4 + 9 + 4); // length, type, data, checksum
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

} // namespace

// The row fonts go by pixel size, and the fixed figures derive from their line and label heights as laid down.
TEST(HistoryRowMetrics, FiguresFollowTheRowFonts)
{
    const HistoryRowMetrics &metrics = HistoryRowMetrics::shared();
    EXPECT_EQ(&metrics, &HistoryRowMetrics::shared());

    EXPECT_EQ(metrics.textFont().pixelSize(), 14);
    EXPECT_EQ(metrics.textFont().weight(), QFont::Normal);
    EXPECT_EQ(metrics.titleFont().pixelSize(), 13);
    EXPECT_EQ(metrics.titleFont().weight(), QFont::DemiBold);
    EXPECT_EQ(metrics.captionFont().pixelSize(), 11);
    EXPECT_EQ(metrics.textFont().family(), QGuiApplication::font().family());

    const qreal textLine = QFontMetricsF(metrics.textFont()).lineSpacing();
    EXPECT_DOUBLE_EQ(metrics.textLineHeight(), textLine);
    EXPECT_DOUBLE_EQ(metrics.roundedTextLineHeight(), std::ceil(textLine));
    const qreal titleLine = std::ceil(QFontMetricsF(metrics.titleFont()).lineSpacing());
    EXPECT_DOUBLE_EQ(metrics.titleFontLineHeight(), titleLine);
    EXPECT_DOUBLE_EQ(metrics.titleLineHeight(), titleLine + 2);
    const qreal captionLine = std::ceil(QFontMetricsF(metrics.captionFont()).lineSpacing());
    EXPECT_DOUBLE_EQ(metrics.captionLineHeight(), captionLine);
    EXPECT_DOUBLE_EQ(metrics.twoCaptionLinesHeight(), 2 * captionLine);

    const qreal headline = metrics.headlineLabelHeight();
    const qreal caption = metrics.captionLabelHeight();
    EXPECT_EQ(headline, HistoryRowMetrics::labelHeight(metrics.titleFont()));
    EXPECT_GE(headline, titleLine);
    EXPECT_EQ(headline, std::ceil(headline));
    EXPECT_GE(caption, captionLine);
    EXPECT_DOUBLE_EQ(metrics.fileTextStackHeight(), headline + 2 * caption + 4);
    EXPECT_DOUBLE_EQ(metrics.fileRowHeight(), qMax(headline + 2 * caption + 4, qreal(48)) + 20);
    EXPECT_DOUBLE_EQ(metrics.filesRowHeight(), qMax(headline + 8 + 55 + caption + 16, qreal(48)) + 20);

    ClipboardItem item = plainItem();
    EXPECT_EQ(metrics.titleHeight(item), 0);
    item.title = u" \n\t"_qs;
    EXPECT_EQ(metrics.titleHeight(item), 0);
    item.title = u"Name"_qs;
    EXPECT_DOUBLE_EQ(metrics.titleHeight(item), titleLine + 4);
}

TEST(HistoryRowMetrics, MeasuresAtMostThreeLines)
{
    const HistoryRowMetrics &metrics = HistoryRowMetrics::shared();
    const QFontMetricsF font(metrics.textFont());
    const auto width = [&](const QString &line) { return std::ceil(font.horizontalAdvance(line)); };
    const QString emoji = QStringLiteral("\U0001F600");

    struct Case
    {
        const char *name;
        QString text;
        QList<qreal> widths;
    };
    const QList<Case> cases = {
        {"empty", QString(), {0}},
        {"short", u"Hello"_qs, {width(u"Hello"_qs)}},
        {"empty lines kept", u"ab\n\ncd"_qs, {width(u"ab"_qs), 0, width(u"cd"_qs)}},
        {"only the first three", u"one\ntwo\nthree\nfour\nfive"_qs,
            {width(u"one"_qs), width(u"two"_qs), width(u"three"_qs)}},
        {"1000 characters measured", QString(1000, u'm'), {width(QString(1000, u'm'))}},
        {"1001 characters not measured", QString(1001, u'm'), {unmeasured}},
        {"1001 units are 1000 characters", QString(999, u'm') + emoji, {width(QString(999, u'm') + emoji)}},
        {"long line after a short one", u"x\n"_qs + QString(5000, u'x'), {width(u"x"_qs), unmeasured}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(metrics.measureLines(c.text).lineWidths, c.widths) << c.name;
}

TEST(HistoryRowMetrics, CountsWrappedLinesUpToThree)
{
    struct Case
    {
        const char *name;
        QList<qreal> widths;
        qreal width;
        int lines;
    };
    const QList<Case> cases = {
        {"no width", {5000}, 0, 1},
        {"negative width", {5000, 5000}, -10, 1},
        {"no lines", {}, 100, 1},
        {"short line", {40}, 100, 1},
        {"exactly the width", {100}, 100, 1},
        {"wraps once", {150}, 100, 2},
        {"wraps past three", {450}, 100, 3},
        {"empty lines count one each", {0, 0}, 100, 2},
        {"three short lines", {10, 10, 10}, 100, 3},
        {"unmeasured line fills all", {unmeasured}, 100, 3},
        {"unmeasured after a short line", {10, unmeasured}, 100, 3},
    };
    for (const Case &c : cases)
        EXPECT_EQ(HistoryRowMetrics::lineCount({c.widths}, c.width), c.lines) << c.name;

    const HistoryRowMetrics &metrics = HistoryRowMetrics::shared();
    EXPECT_EQ(HistoryRowMetrics::lineCount(metrics.measureLines(QString(5000, u'w')), 400), 3);
    EXPECT_EQ(HistoryRowMetrics::lineCount(metrics.measureLines(u"a\nb\nc\nd"_qs), 400), 3);
}

// The preview text takes the table width less the row's insets (54), its accessories and the gaps between them.
TEST(HistoryRowMetrics, TextPreviewWidthLeavesRoomForAccessories)
{
    struct Case
    {
        const char *name;
        bool favorite;
        bool sourceApplication;
        std::optional<int> quickPaste;
        int tags;
        qreal tableWidth;
        qreal expected;
    };
    const QList<Case> cases = {
        {"no accessory", false, false, std::nullopt, 0, 400, 346},
        {"never below 80", false, false, std::nullopt, 0, 100, 80},
        {"quick-paste number alone: gap 16", false, false, 3, 0, 400, 400 - 54 - 24 - 16},
        {"quick-paste number and star: gap 4", true, false, 3, 0, 400, 400 - 54 - 24 - 16 - 4 - 4},
        {"quick-paste number and two tags: gap 4", false, false, 3, 2, 400, 400 - 54 - 24 - 28 - 4 - 4},
        {"source application alone: gap 4", false, true, std::nullopt, 0, 400, 400 - 54 - 20 - 4},
        {"all four", true, true, 1, 1, 400, 400 - 54 - 16 - 20 - 24 - 12 - 4 - 12},
        {"accessories never push below 80", true, true, 1, 5, 150, 80},
    };
    for (const Case &c : cases) {
        ClipboardItem item = plainItem();
        item.isFavorite = c.favorite;
        if (c.sourceApplication)
            item.sourceBundleIdentifier = u"org.kde.kate"_qs;
        EXPECT_DOUBLE_EQ(HistoryRowMetrics::textPreviewWidth(item, c.quickPaste, c.tags, c.tableWidth), c.expected)
            << c.name;
    }
    ClipboardItem named = plainItem();
    named.sourceAppName = u"Kate"_qs;
    EXPECT_DOUBLE_EQ(HistoryRowMetrics::textPreviewWidth(named, std::nullopt, 0, 400), 400 - 54 - 20 - 4);
}

TEST(HistoryRowMetrics, ThumbnailsFitTheRow)
{
    struct Case
    {
        const char *name;
        std::optional<qreal> availableWidth;
        QSizeF image;
        QSizeF expected;
    };
    const QList<Case> cases = {
        {"small image keeps its size", 800, {40, 30}, {40, 30}},
        {"large image at most 100 high", 800, {4000, 3000}, {134, 100}},
        {"tall image", 800, {100, 1000}, {10, 100}},
        {"height below 1 becomes 1", 400, {1000, 1}, {346, 1}},
        {"narrow row fits the width", 100, {400, 200}, {80, 40}},
        {"no width", std::nullopt, {40, 30}, {100, 100}},
        {"zero width", 0, {40, 30}, {100, 100}},
        {"empty image", 800, {0, 30}, {100, 100}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(HistoryRowMetrics::thumbnailSize(c.availableWidth, c.image), c.expected) << c.name;
}

TEST(HistoryRowMetrics, LinkCardHeightFollowsThePreviewParts)
{
    const HistoryRowMetrics &metrics = HistoryRowMetrics::shared();
    const qreal address = metrics.roundedTextLineHeight();
    const qreal title = metrics.titleFontLineHeight();
    const qreal description = metrics.twoCaptionLinesHeight();

    struct Case
    {
        const char *name;
        bool title, description, image, favicon;
        qreal expected;
    };
    const QList<Case> cases = {
        {"nothing to show", false, false, false, false, 18},
        {"favicon only", false, false, false, true, address},
        {"title only", true, false, false, false, address + title + 4},
        {"description only", false, true, false, false, address + description + 4},
        {"title and description", true, true, false, true, address + title + description + 8},
        {"image lifts to 70", false, false, true, false, qMax(address, qreal(70))},
        {"everything", true, true, true, true, qMax(address + title + description + 8, qreal(70))},
    };
    for (const Case &c : cases) {
        LinkPreviewDetails details;
        details.url = u"https://example.org"_qs;
        if (c.title)
            details.title = u"Example"_qs;
        if (c.description)
            details.description = u"An example page"_qs;
        if (c.image)
            details.imagePath = u"/tmp/preview.png"_qs;
        if (c.favicon)
            details.faviconPath = u"/tmp/favicon.png"_qs;
        EXPECT_DOUBLE_EQ(metrics.linkPreviewCardHeight(details, true), c.expected) << c.name;
        EXPECT_EQ(metrics.linkPreviewCardHeight(details, false), 18) << c.name;

        LinkPreview preview;
        preview.title = details.title;
        preview.description = details.description;
        if (c.image)
            preview.image = QImage(4, 4, QImage::Format_RGB32);
        if (c.favicon)
            preview.favicon = QImage(4, 4, QImage::Format_RGB32);
        EXPECT_DOUBLE_EQ(metrics.linkPreviewCardHeight(preview, true), c.expected) << c.name;
    }
    EXPECT_EQ(metrics.linkPreviewCardHeight(std::optional<LinkPreviewDetails>(), true), 18);
    EXPECT_EQ(metrics.linkPreviewCardHeight(std::optional<LinkPreview>(), true), 18);
}

TEST(HistoryRowMetrics, ImageSizesInPointsAreReadOncePerPath)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    HistoryRowMetrics metrics(QGuiApplication::font());

    const QString dense = writeImage(directory.filePath(u"dense.png"_qs), {200, 100}, 144);
    const QString plain = writeImage(directory.filePath(u"plain.png"_qs), {200, 100}, std::nullopt);
    const QString jpeg = writeImage(directory.filePath(u"photo.jpg"_qs), {300, 150}, 144);

    const auto denseSize = metrics.cachedImageSize(dense);
    ASSERT_TRUE(denseSize);
    EXPECT_NEAR(denseSize->width(), 100, 0.01);
    EXPECT_NEAR(denseSize->height(), 50, 0.01);
    EXPECT_EQ(metrics.cachedImageSize(plain), QSizeF(200, 100));
    EXPECT_EQ(metrics.cachedImageSize(jpeg), QSizeF(150, 75));
    EXPECT_EQ(metrics.cachedImageSize(directory.filePath(u"missing.png"_qs)), std::nullopt);

    // Remembered for the life of the metrics: neither a removed nor a newly written file is read again.
    QFile::remove(plain);
    EXPECT_EQ(metrics.cachedImageSize(plain), QSizeF(200, 100));
    writeImage(directory.filePath(u"missing.png"_qs), {10, 10}, std::nullopt);
    EXPECT_EQ(metrics.cachedImageSize(directory.filePath(u"missing.png"_qs)), std::nullopt);
}

TEST(HistoryRowMetrics, ImageAndFilePreviewSizes)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    HistoryRowMetrics metrics(QGuiApplication::font());
    const QString small = writeImage(directory.filePath(u"small.png"_qs), {40, 30}, std::nullopt);
    const QString dense = writeImage(directory.filePath(u"dense.jpg"_qs), {300, 150}, 144);

    ClipboardItem image;
    image.kind = ClipboardKind::image;
    EXPECT_EQ(metrics.imagePreviewHeight(image, 800), 100) << "no asset";
    image.assetPath = small;
    EXPECT_EQ(metrics.imagePreviewHeight(image, 800), 30);
    image.assetPath = dense; // the stored pixel size comes first: 150 pixels high, not 75 points
    EXPECT_EQ(metrics.imagePreviewHeight(image, 800), 100);
    image.assetPath = directory.filePath(u"gone.png"_qs);
    EXPECT_EQ(metrics.imagePreviewHeight(image, 800), 100);

    ClipboardItem file;
    file.kind = ClipboardKind::file;
    EXPECT_EQ(metrics.filePreviewSize(file, 800, nullptr), QSizeF(100, 100)) << "no path";
    file.filePaths = {directory.filePath(u"notes.txt"_qs)};
    EXPECT_EQ(metrics.filePreviewSize(file, 800, nullptr), QSizeF(100, 100)) << "not an image";
    file.filePaths = {small};
    EXPECT_EQ(metrics.filePreviewSize(file, 800, nullptr), QSizeF(40, 30));
    file.filePaths = {dense}; // files go by their size in points
    EXPECT_EQ(metrics.filePreviewHeight(file, 800, nullptr), 75);
    file.filePaths = {directory.filePath(u"gone.png"_qs)};
    EXPECT_EQ(metrics.filePreviewSize(file, 800, nullptr), QSizeF(100, 100)) << "unreadable image";
}
