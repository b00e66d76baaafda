// Which content the preview picks for an item, and the size it asks for.

#include "PreviewContent.h"

#include "ColorText.h"
#include "PreviewFixtures.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace PreviewFixtures;
using Kind = PreviewContent::Kind;

TEST(PreviewContent, ChoosesByKindAndFallsBackToPlainText)
{
    QTemporaryDir folder;
    const QString png = writeImage(folder.filePath(QStringLiteral("shot.png")), QSize(200, 100));
    const QString pdf = writePdf(folder.filePath(QStringLiteral("report.pdf")), 1);
    const QString missing = folder.filePath(QStringLiteral("gone.txt"));
    QFile broken(folder.filePath(QStringLiteral("broken.png")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();

    ClipboardItem rtf = item(ClipboardKind::richText);
    rtf.text = QStringLiteral("plain");
    rtf.rtfData = QByteArray("{\\rtf1\\ansi {\\b Bold} words}");
    ClipboardItem notRtf = rtf;
    notRtf.rtfData = QByteArray("<b>html</b>");
    ClipboardItem image = item(ClipboardKind::image);
    image.assetPath = png;
    ClipboardItem lostImage = item(ClipboardKind::image);
    lostImage.assetPath = missing;
    ClipboardItem imageFile = item(ClipboardKind::file);
    imageFile.filePaths = {png};
    ClipboardItem pdfFile = item(ClipboardKind::file);
    pdfFile.filePaths = {pdf};
    ClipboardItem brokenImageFile = item(ClipboardKind::file);
    brokenImageFile.filePaths = {broken.fileName()};
    ClipboardItem missingFile = item(ClipboardKind::file);
    missingFile.filePaths = {missing};
    ClipboardItem twoFiles = item(ClipboardKind::file);
    twoFiles.filePaths = {png, pdf};

    const struct
    {
        const char *name;
        ClipboardItem item;
        Kind kind;
    } cases[] = {
        {"text", textItem(ClipboardKind::text, QStringLiteral("hello")), Kind::text},
        {"email", textItem(ClipboardKind::email, QStringLiteral("a@b.org")), Kind::text},
        {"rich text with RTF", rtf, Kind::text},
        {"rich text without RTF", notRtf, Kind::text},
        {"https link in capitals", textItem(ClipboardKind::link, QStringLiteral("HTTPS://example.org/a")),
            Kind::webPage},
        {"http link", textItem(ClipboardKind::link, QStringLiteral(" http://example.org \n")), Kind::webPage},
        {"ftp link", textItem(ClipboardKind::link, QStringLiteral("ftp://example.org/file")), Kind::text},
        {"mailto link", textItem(ClipboardKind::link, QStringLiteral("mailto:someone@example.org")), Kind::text},
        {"colour", textItem(ClipboardKind::color, QStringLiteral("  #3B85ED ")), Kind::color},
        {"colour that does not parse", textItem(ClipboardKind::color, QStringLiteral("#3B85EX")), Kind::text},
        {"image", image, Kind::image},
        {"image whose file is gone", lostImage, Kind::text},
        {"one image file", imageFile, Kind::image},
        {"one PDF file", pdfFile, Kind::fileQuickLook},
        {"one image file that does not load", brokenImageFile, Kind::fileQuickLook},
        {"one missing file", missingFile, Kind::fileList},
        {"two files", twoFiles, Kind::fileList},
        {"no files", item(ClipboardKind::file), Kind::fileList},
    };
    for (const auto &c : cases) {
        const PreviewContent content = PreviewContent::make(c.item);
        EXPECT_EQ(content.kind, c.kind) << c.name;
    }

    // What each carries.
    const PreviewContent colour = PreviewContent::make(textItem(ClipboardKind::color, QStringLiteral("  #3B85ED ")));
    EXPECT_EQ(colour.color, QColor(0x3B, 0x85, 0xED));
    EXPECT_EQ(colour.colorText, QStringLiteral("#3B85ED"));
    const PreviewContent fromRtf = PreviewContent::make(rtf);
    EXPECT_FALSE(fromRtf.monospaced);
    EXPECT_EQ(fromRtf.text, QStringLiteral("Bold words"));
    const PreviewContent fallback = PreviewContent::make(notRtf);
    EXPECT_TRUE(fallback.monospaced);
    EXPECT_EQ(fallback.text, QStringLiteral("plain"));
    EXPECT_EQ(PreviewContent::make(twoFiles).paths, QStringList({png, pdf}));

    // HTML is shown with its formatting, also where there is RTF beside it; RTF alone as its text.
    ClipboardItem html = rtf;
    html.html = QStringLiteral("<p><b>Bold</b> <i>words</i></p>");
    const PreviewContent fromHtml = PreviewContent::make(html);
    EXPECT_EQ(fromHtml.kind, Kind::text);
    EXPECT_EQ(fromHtml.html, *html.html);
    EXPECT_EQ(fromHtml.text, QStringLiteral("Bold words"));
    EXPECT_FALSE(fromHtml.monospaced);
    EXPECT_TRUE(fromRtf.html.isEmpty());
    ClipboardItem blankHtml = rtf;
    blankHtml.html = QStringLiteral(" \n");
    EXPECT_EQ(PreviewContent::make(blankHtml), fromRtf);
    const QSizeF imageSize = PreviewContent::make(image).imageSize;
    EXPECT_NEAR(imageSize.width(), 200, 0.1);
    EXPECT_NEAR(imageSize.height(), 100, 0.1);
    EXPECT_EQ(PreviewContent::make(pdfFile).url, QUrl::fromLocalFile(pdf));
}

TEST(PreviewContent, SizesPerKind)
{
    const QSizeF maximum(1000, 700);
    const double d = 100; // details height: A = 600
    PreviewContent image;
    image.kind = Kind::image;
    PreviewContent files;
    files.kind = Kind::fileList;
    const struct
    {
        const char *name;
        PreviewContent content;
        QSizeF imageSize;
        int paths;
        ClipboardKind itemKind;
        QSizeF expected;
    } cases[] = {
        {"small image at its own size, at least 360 wide", image, {100, 80}, 0, ClipboardKind::image, {360, 92}},
        {"image as wide as the room", image, {988, 300}, 0, ClipboardKind::image, {1000, 312}},
        {"wide image scaled down", image, {3976, 1000}, 0, ClipboardKind::image, {1000, 988.0 / 3976 * 1000 + 12}},
        {"tall image scaled down", image, {500, 2000}, 0, ClipboardKind::image, {360, 600}},
        {"two files", files, {}, 2, ClipboardKind::file, {560, 2 * 52 + 48}},
        {"many files limited by the room", files, {}, 50, ClipboardKind::file, {560, 600}},
    };
    for (const auto &c : cases) {
        PreviewContent content = c.content;
        content.imageSize = c.imageSize;
        for (int i = 0; i < c.paths; ++i)
            content.paths.append(QStringLiteral("/tmp/%1").arg(i));
        const QSizeF size = content.size(item(c.itemKind), maximum, d);
        EXPECT_NEAR(size.width(), c.expected.width(), 0.5) << c.name;
        EXPECT_NEAR(size.height(), c.expected.height(), 0.5) << c.name;
    }

    const auto sized = [&](Kind kind, ClipboardKind itemKind, QSizeF room, double details) {
        PreviewContent content;
        content.kind = kind;
        return content.size(item(itemKind), room, details);
    };
    EXPECT_EQ(sized(Kind::fileQuickLook, ClipboardKind::file, maximum, d), QSizeF(600, 300));
    EXPECT_EQ(sized(Kind::color, ClipboardKind::color, maximum, d), QSizeF(420, 340));
    EXPECT_EQ(sized(Kind::webPage, ClipboardKind::link, maximum, d), QSizeF(1000, 580));
    EXPECT_EQ(sized(Kind::webPage, ClipboardKind::link, QSizeF(2000, 1400), d), QSizeF(1280, 580));
    EXPECT_EQ(sized(Kind::text, ClipboardKind::email, maximum, d), QSizeF(640, 200));
    EXPECT_EQ(sized(Kind::text, ClipboardKind::text, maximum, d), QSizeF(640, 300));
    // A low room still leaves 150 for the content.
    EXPECT_EQ(sized(Kind::text, ClipboardKind::text, QSizeF(500, 200), d), QSizeF(500, 150));
}

TEST(PreviewContent, SameContentIgnoresTitleFavouriteAndTags)
{
    const ClipboardItem base = textItem(ClipboardKind::text, QStringLiteral("words"));
    ClipboardItem renamed = base;
    renamed.title = QStringLiteral("A title");
    renamed.isFavorite = true;
    renamed.tags = {3};
    renamed.copyCount = 9;
    EXPECT_TRUE(hasSamePreviewContent(base, renamed));
    ClipboardItem edited = base;
    edited.text = QStringLiteral("other words");
    EXPECT_FALSE(hasSamePreviewContent(base, edited));
    EXPECT_FALSE(hasSamePreviewContent(base, textItem(ClipboardKind::text, QStringLiteral("words"), 2)));
}

// The preview's colour view reads a colour item as its row in the list does: the same texts are colours, with the
// same channels, and the rest show as text.
TEST(PreviewContent, ColourItemsReadAsTheListReadsThem)
{
    const struct
    {
        const char *text;
        std::optional<QColor> expected;
    } cases[] = {
        {"#3B85ED", QColor(0x3B, 0x85, 0xED)},
        {" rgb(59, 133, 237) ", QColor(59, 133, 237)},
        {"RGBA(59,133,237,0.5)", QColor::fromRgbF(59 / 255.0f, 133 / 255.0f, 237 / 255.0f, 0.5f)},
        {"rgb(127.5, 64, 0)", QColor::fromRgbF(127.5f / 255.0f, 64 / 255.0f, 0)},
        {"#fff", std::nullopt}, // short forms are not expanded
        {"rgb(300, 0, 0)", std::nullopt},
        {"blue", std::nullopt},
    };
    for (const auto &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        const PreviewContent content = PreviewContent::make(textItem(ClipboardKind::color, text));
        ASSERT_EQ(colorFromColorString(text).has_value(), c.expected.has_value()) << c.text;
        if (!c.expected) {
            EXPECT_EQ(content.kind, PreviewContent::Kind::text) << c.text;
            continue;
        }
        EXPECT_EQ(content.kind, PreviewContent::Kind::color) << c.text;
        EXPECT_EQ(content.color.rgba64(), c.expected->rgba64()) << c.text;
        EXPECT_EQ(content.color.rgba64(), colorFromColorString(text)->rgba64()) << c.text;
    }
}
