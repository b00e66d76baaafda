#include "PasteService.h"
#include "KeyboardCodes.h"
#include "ManualScheduler.h"
#include "MemoryKeyPoster.h"
#include "MemoryPasteboard.h"

#include "TestSupport.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

using Representations = QList<std::pair<QString, QByteArray>>;

ClipboardItem item(ClipboardKind kind)
{
    ClipboardItem result;
    result.id = QUuid::createUuid();
    result.kind = kind;
    return result;
}

ClipboardItem textItem(ClipboardKind kind, const QString &text)
{
    ClipboardItem result = item(kind);
    result.text = text;
    return result;
}

std::pair<QString, QByteArray> marker()
{
    return {PasteboardType::varnistoMarker(), "1"};
}

std::pair<QString, QByteArray> plain(const QByteArray &text)
{
    return {PasteboardType::plainText(), text};
}

class PasteServiceTest : public ::testing::Test
{
protected:
    PasteServiceTest()
    {
        PasteboardContent previous;
        previous.setString(PasteboardType::plainText(), QStringLiteral("what the user had"));
        pasteboard.setContent(previous);
    }

    // Writes and answers the representations now on the clipboard.
    Representations written(const ClipboardItem &clip, PasteVariant variant)
    {
        const auto result = service.write(clip, variant);
        EXPECT_TRUE(result.hasValue());
        return pasteboard.content().representations();
    }

    QString pngPath()
    {
        const QString path = folder.filePath(QStringLiteral("image.png"));
        if (!QFile::exists(path)) {
            QImage image(3, 2, QImage::Format_ARGB32);
            image.fill(Qt::red);
            image.save(path, "PNG");
        }
        return path;
    }

    QTemporaryDir folder;
    MemoryPasteboard pasteboard;
    MemoryKeyPoster keys;
    ManualClock clock;
    ManualScheduler scheduler {clock};
    PasteService service {pasteboard, keys, scheduler};
};

} // namespace

TEST_F(PasteServiceTest, EachKindIsWrittenInItsOwnFormAfterTheMarker)
{
    ClipboardItem rich = textItem(ClipboardKind::richText, QStringLiteral("Bold"));
    rich.rtfData = QByteArray("{\\rtf1 \\b Bold}");
    rich.html = QStringLiteral("<b>Bold</b>");

    ClipboardItem htmlOnly = item(ClipboardKind::richText);
    htmlOnly.html = QStringLiteral("<p>caf&#233; &amp; more</p>");

    ClipboardItem files = item(ClipboardKind::file);
    files.filePaths = {QStringLiteral("/tmp/a b.txt"), QStringLiteral("/tmp/c.txt")};

    ClipboardItem image = item(ClipboardKind::image);
    image.assetPath = pngPath();
    QFile png(*image.assetPath);
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    const QByteArray pngBytes = png.readAll();

    const struct
    {
        const char *name;
        ClipboardItem clip;
        Representations expected;
    } cases[] = {
        {"text", textItem(ClipboardKind::text, QStringLiteral("héllo")), {marker(), plain("h\xc3\xa9llo")}},
        {"link", textItem(ClipboardKind::link, QStringLiteral("https://example.com")),
            {marker(), plain("https://example.com")}},
        {"email", textItem(ClipboardKind::email, QStringLiteral("a@b.org")), {marker(), plain("a@b.org")}},
        {"color", textItem(ClipboardKind::color, QStringLiteral("#FF0000")), {marker(), plain("#FF0000")}},
        {"rich text", rich,
            {marker(), {PasteboardType::rtf(), "{\\rtf1 \\b Bold}"}, {PasteboardType::html(), "<b>Bold</b>"},
                plain("Bold")}},
        // Plain-text readers get the text of the markup: X11 has no conversion of its own.
        {"rich text without text", htmlOnly,
            {marker(), {PasteboardType::html(), "<p>caf&#233; &amp; more</p>"}, plain("caf\xc3\xa9 & more")}},
        {"rich text without content", item(ClipboardKind::richText), {marker()}},
        // A reader of text gets the paths, as from a file manager.
        {"files", files,
            {marker(), {PasteboardType::fileURLs(), "file:///tmp/a%20b.txt\r\nfile:///tmp/c.txt\r\n"},
                plain("/tmp/a b.txt\n/tmp/c.txt")}},
        {"image", image, {marker(), {PasteboardType::png(), pngBytes}}},
    };
    for (const auto &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        EXPECT_EQ(written(testCase.clip, PasteVariant::standard), testCase.expected);
        // The other rich variants write exactly the same.
        for (const PasteVariant variant : {PasteVariant::rich, PasteVariant::pasteAndReturn, PasteVariant::pasteAndTab})
            EXPECT_EQ(written(testCase.clip, variant), testCase.expected);
    }
}

TEST_F(PasteServiceTest, PlainTextAndFilePathVariantsWriteOnlyText)
{
    ClipboardItem rich = textItem(ClipboardKind::richText, QStringLiteral("Bold"));
    rich.rtfData = QByteArray("{\\rtf1 \\b Bold}");
    rich.html = QStringLiteral("<b>Bold</b>");
    EXPECT_EQ(written(rich, PasteVariant::plainText), (Representations {marker(), plain("Bold")}));

    ClipboardItem htmlOnly = item(ClipboardKind::richText);
    htmlOnly.html = QStringLiteral("<i>only</i> markup");
    EXPECT_EQ(written(htmlOnly, PasteVariant::plainText), (Representations {marker(), plain("only markup")}));

    // Paths of an image or text item are written as text, never as file URLs.
    ClipboardItem image = item(ClipboardKind::image);
    image.assetPath = pngPath();
    image.filePaths = {QStringLiteral("/home/u/shot.png"), QStringLiteral("/home/u/other.png")};
    EXPECT_EQ(written(image, PasteVariant::filePath),
        (Representations {marker(), plain("/home/u/shot.png\n/home/u/other.png")}));
}

TEST_F(PasteServiceTest, AnItemThatCannotBeWrittenLeavesTheClipboardAsItWas)
{
    ClipboardItem missingAsset = item(ClipboardKind::image);
    missingAsset.assetPath = folder.filePath(QStringLiteral("deleted.png"));
    ClipboardItem noPaths = textItem(ClipboardKind::text, QStringLiteral("no paths"));

    const struct
    {
        const char *name;
        ClipboardItem clip;
        PasteVariant variant;
        bool pasteboardRefuses;
    } cases[] = {
        {"file paths of an item without any", noPaths, PasteVariant::filePath, false},
        {"file item without paths", item(ClipboardKind::file), PasteVariant::standard, false},
        {"image without asset", item(ClipboardKind::image), PasteVariant::rich, false},
        {"image whose file was deleted", missingAsset, PasteVariant::standard, false},
        {"text the pasteboard refuses", noPaths, PasteVariant::plainText, true},
        {"image the pasteboard refuses", missingAsset, PasteVariant::standard, true},
    };
    const PasteboardContent before = pasteboard.content();
    for (const auto &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        pasteboard.setFailsWrites(testCase.pasteboardRefuses);
        const auto result = service.write(testCase.clip, testCase.variant);
        ASSERT_FALSE(result.hasValue());
        EXPECT_EQ(result.error(), PasteServiceError::unsupportedItem);
        EXPECT_EQ(pasteboard.content(), before);
        EXPECT_EQ(pasteboard.writeCount(), 0);
    }
    EXPECT_TRUE(keys.presses().isEmpty());
}

// Ctrl+V goes at once; Return or Tab of the two variants follows it 60 ms later on the scheduler, and the other
// variants post nothing more.
TEST_F(PasteServiceTest, PasteWritesThenPostsCtrlVAndTheFollowingKeyLater)
{
    const MemoryKeyPoster::Press commandV {VirtualKey::v, KeyEventFlag::command};
    const struct
    {
        PasteVariant variant;
        QList<MemoryKeyPoster::Press> presses;
    } cases[] = {
        {PasteVariant::pasteAndReturn, {commandV, {VirtualKey::returnKey, 0}}},
        {PasteVariant::pasteAndTab, {commandV, {VirtualKey::tab, 0}}},
        {PasteVariant::plainText, {commandV}},
        {PasteVariant::standard, {commandV}},
    };
    for (const auto &testCase : cases) {
        SCOPED_TRACE(int(testCase.variant));
        MemoryKeyPoster poster;
        PasteService paster(pasteboard, poster, scheduler);
        ASSERT_TRUE(paster.paste(textItem(ClipboardKind::text, QStringLiteral("x")), testCase.variant).hasValue());
        EXPECT_EQ(pasteboard.content().data(PasteboardType::plainText()), QByteArray("x"));
        EXPECT_EQ(poster.presses(), QList {commandV});
        scheduler.advance(PasteService::followingKeyDelay - std::chrono::milliseconds(1));
        EXPECT_EQ(poster.presses(), QList {commandV});
        scheduler.advance(std::chrono::milliseconds(1));
        EXPECT_EQ(poster.presses(), testCase.presses);
        EXPECT_EQ(scheduler.pendingCount(), 0);
    }
}

TEST_F(PasteServiceTest, PasteWithoutSyntheticKeyInputTouchesNothing)
{
    keys.setTrusted(false);
    const PasteboardContent before = pasteboard.content();
    const auto result = service.paste(textItem(ClipboardKind::text, QStringLiteral("x")), PasteVariant::standard);
    ASSERT_FALSE(result.hasValue());
    EXPECT_EQ(result.error(), PasteServiceError::accessibilityPermissionRequired);
    EXPECT_EQ(pasteboard.content(), before);
    EXPECT_TRUE(keys.presses().isEmpty());
}

TEST_F(PasteServiceTest, ADelayedKeyPressOfADestroyedServicePostsNothing)
{
    auto doomed = std::make_unique<PasteService>(pasteboard, keys, scheduler);
    doomed->postKeyPressAfterDelay(VirtualKey::returnKey, 0, std::chrono::milliseconds(1));
    doomed.reset();
    service.postKeyPressAfterDelay(VirtualKey::tab, 0, std::chrono::milliseconds(5));
    scheduler.advance(std::chrono::milliseconds(5));
    EXPECT_EQ(keys.presses(), (QList<MemoryKeyPoster::Press> {{VirtualKey::tab, 0}}));
}
