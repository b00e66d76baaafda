#include "ClipboardItem.h"
#include "Coding.h"
#include "FileTypes.h"
#include "SharedText.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QDateTime at(const char *iso)
{
    return *Coding::dateFromIso8601(QString::fromUtf8(iso));
}

ClipboardItem textItem(const QString &text)
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.kind = ClipboardKind::text;
    item.text = text;
    item.copiedAt = item.firstCopiedAt = at("2024-05-01T12:30:00Z");
    return item.refreshingSearchText({});
}

QJsonObject parse(const char *json)
{
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

const char *const minimalPayload = R"({"id": "6F1B9A0E-3C2D-4E5F-8A7B-1C2D3E4F5A6B", "kind": "text",
    "filePaths": [], "copiedAt": "2024-05-01T12:30:00Z", "byteSize": 5, "isFavorite": false,
    "searchText": "hello  ", "copyCount": 1, "text": "hello"})";

} // namespace

TEST(ClipboardItemJson, RoundTripKeepsEveryFieldButFractionsOfSeconds)
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.kind = ClipboardKind::richText;
    item.title = QStringLiteral("My title");
    item.text = QStringLiteral("plain");
    item.qrCodeText = QStringLiteral("qr");
    item.rtfData = QByteArray("{\\rtf1 plain}");
    item.html = QStringLiteral("<b>plain</b>");
    item.assetPath = QStringLiteral("/tmp/a.png");
    item.filePaths = {QStringLiteral("/tmp/x"), QStringLiteral("/tmp/y")};
    item.sourceAppName = QStringLiteral("Notes");
    item.sourceBundleIdentifier = QStringLiteral("org.example.notes");
    item.copiedAt = QDateTime::fromMSecsSinceEpoch(1714566600750, Qt::UTC);
    item.firstCopiedAt = at("2024-04-01T08:00:00Z");
    item.byteSize = 1234567890123;
    item.isFavorite = true;
    item.tags = {3, 1, 2};
    item.copyCount = 7;
    item.linkPreviewDetails = LinkPreviewDetails {QStringLiteral("https://example.com"), QStringLiteral("Example"),
        std::nullopt, QStringLiteral("/tmp/p.png"), std::nullopt, at("2024-05-02T00:00:00Z")};
    item.copySequenceID = at("2024-05-01T12:29:00Z");
    item.copySequenceOrder = 2;
    item = item.refreshingSearchText({QStringLiteral("work")});

    const QJsonObject json = item.toJson();
    EXPECT_EQ(json.value(u"id").toString(), Coding::uuidString(item.id));
    EXPECT_EQ(json.value(u"copiedAt").toString(), QStringLiteral("2024-05-01T12:30:00Z"));
    EXPECT_EQ(json.value(u"rtfData").toString(), Coding::base64String(*item.rtfData));
    EXPECT_FALSE(json.value(u"linkPreviewDetails").toObject().contains(u"description"));

    const auto decoded = ClipboardItem::fromJson(QJsonDocument::fromJson(QJsonDocument(json).toJson()).object());
    ASSERT_TRUE(decoded) << qPrintable(decoded.error());
    ClipboardItem expected = item;
    expected.copiedAt = Coding::wholeSeconds(item.copiedAt);
    EXPECT_EQ(*decoded, expected);
}

TEST(ClipboardItemJson, AbsentOptionalsAreLeftOutAndComeBackAbsent)
{
    const ClipboardItem item = textItem(QStringLiteral("hello"));
    const QJsonObject json = item.toJson();
    for (const char *key : {"title", "qrCodeText", "rtfData", "html", "assetPath", "sourceAppName",
             "sourceBundleIdentifier", "linkPreviewDetails", "copySequenceID", "copySequenceOrder"})
        EXPECT_FALSE(json.contains(QLatin1String(key))) << key;
    for (const char *key : {"id", "kind", "filePaths", "copiedAt", "firstCopiedAt", "byteSize", "isFavorite", "tags",
             "searchText", "copyCount"})
        EXPECT_TRUE(json.contains(QLatin1String(key))) << key;
    EXPECT_EQ(*ClipboardItem::fromJson(json), item);
}

TEST(ClipboardItemJson, TolerantAndStrictMembers)
{
    // Without firstCopiedAt the copy time stands in, and encoding again writes both.
    const auto minimal = ClipboardItem::fromJson(parse(minimalPayload));
    ASSERT_TRUE(minimal);
    EXPECT_EQ(minimal->firstCopiedAt, minimal->copiedAt);
    EXPECT_TRUE(minimal->toJson().contains(u"firstCopiedAt"));
    EXPECT_TRUE(minimal->tags.isEmpty());

    // Tag names from older payloads give an empty tag list and keep everything else.
    QJsonObject withNames = parse(minimalPayload);
    withNames.insert(u"tags", QJsonArray {QStringLiteral("work"), QStringLiteral("home")});
    const auto named = ClipboardItem::fromJson(withNames);
    ASSERT_TRUE(named);
    EXPECT_TRUE(named->tags.isEmpty());
    EXPECT_EQ(named->text, QStringLiteral("hello"));

    const struct
    {
        const char *key;
        QJsonValue value; // undefined removes the member
    } failing[] = {
        {"copyCount", QJsonValue(QJsonValue::Undefined)},
        {"byteSize", QJsonValue(QJsonValue::Undefined)},
        {"byteSize", QJsonValue(1.5)},
        {"id", QJsonValue(QJsonValue::Null)},
        {"kind", QJsonValue(QStringLiteral("Text"))},
        {"kind", QJsonValue(QStringLiteral("picture"))},
        {"isFavorite", QJsonValue(QStringLiteral("true"))},
        {"title", QJsonValue(42)},
        {"firstCopiedAt", QJsonValue(42)},
        {"copiedAt", QJsonValue(QStringLiteral("2024-05-01T12:30:00.123Z"))},
        {"rtfData", QJsonValue(QStringLiteral("not base64!"))},
        {"linkPreviewDetails", QJsonValue(QJsonObject {{QStringLiteral("url"), QStringLiteral("https://a.b")}})},
        {"copySequenceOrder", QJsonValue(QStringLiteral("1"))},
    };
    for (const auto &c : failing) {
        QJsonObject object = parse(minimalPayload);
        if (c.value.isUndefined())
            object.remove(QLatin1String(c.key));
        else
            object.insert(QLatin1String(c.key), c.value);
        EXPECT_FALSE(ClipboardItem::fromJson(object)) << c.key;
    }

    QJsonObject nulls = parse(minimalPayload);
    nulls.insert(u"title", QJsonValue::Null);
    nulls.insert(u"linkPreviewDetails", QJsonValue::Null);
    nulls.insert(u"unknownMember", 1);
    const auto tolerated = ClipboardItem::fromJson(nulls);
    ASSERT_TRUE(tolerated);
    EXPECT_FALSE(tolerated->title);
}

TEST(ClipboardItemDisplay, PlainTextRenderingAndTitles)
{
    ClipboardItem htmlOnly = textItem(QString());
    htmlOnly.kind = ClipboardKind::richText;
    htmlOnly.text.reset();
    htmlOnly.html = QString();
    EXPECT_EQ(htmlOnly.primaryText(), QStringLiteral("Rich Text"));

    // Rich text renders as its readable text, never as markup.
    ClipboardItem rich = htmlOnly;
    rich.text = QString();
    rich.html = QStringLiteral("<p>Hello <b>world</b></p><p>again</p>");
    EXPECT_EQ(rich.primaryText(), QStringLiteral("Hello world\nagain"));
    EXPECT_EQ(rich.defaultTitle(), QStringLiteral("Hello world"));
    rich.html.reset();
    rich.rtfData = QByteArray("{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0 Caf\\'e9\\par next}");
    EXPECT_EQ(rich.primaryText(), QString::fromUtf8("Café\nnext"));

    const ClipboardItem spaces = textItem(QStringLiteral("   "));
    EXPECT_EQ(spaces.primaryText(), QStringLiteral("   "));

    ClipboardItem files = textItem(QString());
    files.kind = ClipboardKind::file;
    files.text.reset();
    files.filePaths = {QStringLiteral("/home/a/report.pdf"), QStringLiteral("/home/a/photo.jpg")};
    EXPECT_EQ(files.primaryText(), QStringLiteral("/home/a/report.pdf\n/home/a/photo.jpg"));
    EXPECT_EQ(files.defaultTitle(), QStringLiteral("report.pdf"));
    files.filePaths.clear();
    EXPECT_EQ(files.defaultTitle(), QStringLiteral("File"));

    EXPECT_EQ(textItem(QStringLiteral("\nword")).defaultTitle(), QStringLiteral("Text"));
    EXPECT_EQ(textItem(QStringLiteral("first\u2028second")).defaultTitle(), QStringLiteral("first"));

    ClipboardItem color = textItem(QStringLiteral("#FF0000"));
    color.kind = ClipboardKind::color;
    EXPECT_EQ(color.defaultTitle(), QStringLiteral("#FF0000"));
    color.text.reset();
    EXPECT_EQ(color.defaultTitle(), QStringLiteral("Color"));

    ClipboardItem titled = textItem(QStringLiteral("body"));
    titled.title = QStringLiteral("   ");
    EXPECT_FALSE(titled.customTitle());
    EXPECT_EQ(titled.displayTitle(), QStringLiteral("body"));
    titled.title = QStringLiteral("  Shopping list \n");
    EXPECT_EQ(titled.displayTitle(), QStringLiteral("Shopping list"));
}

TEST(ClipboardItemDisplay, ImageSizeTitleAndImageText)
{
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("shot.png"));
    ASSERT_TRUE(QImage(32, 16, QImage::Format_RGB32).save(png));

    ClipboardItem image = textItem(QString());
    image.kind = ClipboardKind::image;
    image.text = QStringLiteral("recognised");
    image.assetPath = png;
    EXPECT_EQ(image.imagePixelSize(), QSize(32, 16));
    EXPECT_EQ(image.defaultTitle(), QStringLiteral("Image (32x16)"));
    EXPECT_EQ(image.contentFileURL(), QUrl::fromLocalFile(png));
    EXPECT_TRUE(image.hasImageText());
    EXPECT_FALSE(image.hasQRCodeText());
    image.assetPath = dir.filePath(QStringLiteral("gone.png"));
    EXPECT_EQ(image.defaultTitle(), QStringLiteral("Image"));

    ClipboardItem file = textItem(QStringLiteral("recognised"));
    file.kind = ClipboardKind::file;
    file.filePaths = {png};
    EXPECT_TRUE(file.hasImageText());
    file.filePaths = {png, png};
    EXPECT_FALSE(file.hasImageText());
    file.filePaths = {dir.filePath(QStringLiteral("notes.txt"))};
    EXPECT_FALSE(file.hasImageText());
    EXPECT_FALSE(textItem(QStringLiteral("recognised")).hasImageText());
}

TEST(FileTypes, ImagePathsByExtensionOrContent)
{
    QTemporaryDir dir;
    const QString noExtension = dir.filePath(QStringLiteral("screenshot"));
    ASSERT_TRUE(QImage(4, 4, QImage::Format_RGB32).save(noExtension, "PNG"));
    const QString textNoExtension = dir.filePath(QStringLiteral("README"));
    QFile text(textNoExtension);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("just words\n");
    text.close();

    EXPECT_TRUE(isImageFilePath(QStringLiteral("/nowhere/photo.JPG")));
    EXPECT_TRUE(isImageFilePath(QStringLiteral("/nowhere/icon.svg")));
    EXPECT_FALSE(isImageFilePath(QStringLiteral("/nowhere/report.pdf")));
    EXPECT_FALSE(isImageFilePath(QStringLiteral("/nowhere/data.unknownext")));
    EXPECT_TRUE(isImageFilePath(noExtension));
    EXPECT_FALSE(isImageFilePath(textNoExtension));
    EXPECT_FALSE(isImageFilePath(dir.filePath(QStringLiteral("missing"))));
}

TEST(ClipboardItemEquality, EveryFieldCountsAndEqualItemsHashEqually)
{
    const ClipboardItem a = textItem(QStringLiteral("hello"));
    ClipboardItem b = a;
    EXPECT_EQ(a, b);
    EXPECT_EQ(qHash(a), qHash(b));
    b.rtfData = QByteArray();
    EXPECT_NE(a, b);
    b = a;
    b.copySequenceOrder = 0;
    EXPECT_NE(a, b);
}

TEST(ClipboardItemDisplay, TitlesAreCutToWhatOneLineShows)
{
    const qsizetype limit = ClipboardItem::titleLengthLimit;
    const QString emoji = QStringLiteral("\U0001F600");
    const struct
    {
        QString text;
        QString title;
    } cases[] = {
        {QString(limit, u'a'), QString(limit, u'a')},
        {QString(limit * 50, u'a'), QString(limit, u'a')},
        {QString(limit - 1, u'a') + emoji + QStringLiteral("rest"), QString(limit - 1, u'a')}, // a pair stays whole
        {QStringLiteral("short\n") + QString(limit * 2, u'b'), QStringLiteral("short")},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(textItem(c.text).defaultTitle(), c.title);
        EXPECT_EQ(textItem(c.text).displayTitle(), c.title);
    }
    ClipboardItem renamed = textItem(QStringLiteral("body"));
    renamed.title = QString(limit + 10, u'c');
    EXPECT_EQ(renamed.displayTitle(), QString(limit, u'c'));
    ClipboardItem color = textItem(QString(limit + 1, u'#'));
    color.kind = ClipboardKind::color;
    EXPECT_EQ(color.defaultTitle().size(), limit);
}

namespace {

bool sharesBuffer(const QString &part, const QString &whole)
{
    const char16_t *partData = QStringView(part).utf16();
    const char16_t *wholeData = QStringView(whole).utf16();
    return partData >= wholeData && partData + part.size() <= wholeData + whole.size();
}

} // namespace

// The text is held once: inside the search text, whether the item was built here or loaded.
TEST(ClipboardItemMemory, TheTextIsPartOfTheSearchTextsBuffer)
{
    const QString text = QStringLiteral("Some words, ") + QString(1000, u'x');
    ClipboardItem titled = textItem(text);
    titled.title = QStringLiteral("Title");
    titled = titled.refreshingSearchText({QStringLiteral("Work")});
    EXPECT_EQ(titled.searchText, QStringLiteral("Title ") + text + QStringLiteral("  Work"));

    const ClipboardItem cases[] = {
        textItem(text),
        titled,
        *ClipboardItem::fromJson(textItem(text).toJson()),
        *ClipboardItem::fromJson(titled.toJson()),
    };
    for (const ClipboardItem &item : cases) {
        EXPECT_EQ(item.text, text);
        EXPECT_TRUE(sharesBuffer(*item.text, item.searchText)) << item.searchText.left(20).toStdString();
    }
    EXPECT_EQ(*ClipboardItem::fromJson(titled.toJson()), titled);

    // A search text written by another rule keeps both as they were.
    QJsonObject older = titled.toJson();
    older.insert(QLatin1String("searchText"), QStringLiteral("older rule"));
    const ClipboardItem loaded = *ClipboardItem::fromJson(older);
    EXPECT_EQ(loaded.text, text);
    EXPECT_EQ(loaded.searchText, QStringLiteral("older rule"));
}

// A part shares the buffer of its text, outlives it, and is copied before anything writes to either.
TEST(ClipboardItemMemory, ASharedPartBehavesAsItsOwnString)
{
    QString whole = QStringLiteral("first ") + QStringLiteral("second third");
    QString part = sharedPart(whole, 6, 6);
    EXPECT_EQ(part, QStringLiteral("second"));
    EXPECT_TRUE(sharesBuffer(part, whole));

    QString written = part;
    written.append(u'!');
    EXPECT_EQ(written, QStringLiteral("second!"));
    EXPECT_EQ(whole, QStringLiteral("first second third"));
    whole[6] = u'S';
    EXPECT_EQ(part, QStringLiteral("second"));
    EXPECT_EQ(whole, QStringLiteral("first Second third"));

    whole = QString();
    EXPECT_EQ(part, QStringLiteral("second")); // the buffer lives on with the part
    part.append(QStringLiteral(" hand"));
    EXPECT_EQ(part, QStringLiteral("second hand"));
    EXPECT_EQ(QStringView(part).utf16()[part.size()], u'\0');

    // A literal has no buffer to share: the part is a copy.
    EXPECT_EQ(sharedPart(QStringLiteral("literal text"), 8, 4), QStringLiteral("text"));
}

// An item's copies share its link preview until one of them changes it; each then keeps its own, and equality
// follows the previews' contents.
TEST(ClipboardItemMemory, ALinkPreviewIsSharedUntilACopyChangesIt)
{
    ClipboardItem item;
    item.linkPreviewDetails = LinkPreviewDetails {QStringLiteral("https://example.com"), QStringLiteral("Example"),
        std::nullopt, std::nullopt, std::nullopt, QDateTime()};
    ClipboardItem copy = item;
    EXPECT_EQ(&*std::as_const(copy).linkPreviewDetails, &*std::as_const(item).linkPreviewDetails);

    copy.linkPreviewDetails->title = QStringLiteral("Changed");
    EXPECT_EQ(item.linkPreviewDetails->title, QStringLiteral("Example"));
    EXPECT_EQ(copy.linkPreviewDetails->title, QStringLiteral("Changed"));
    EXPECT_NE(copy, item);

    copy.linkPreviewDetails->title = QStringLiteral("Example");
    EXPECT_EQ(copy, item); // equal contents, two copies
    copy.linkPreviewDetails.reset();
    EXPECT_FALSE(copy.linkPreviewDetails);
    EXPECT_TRUE(item.linkPreviewDetails);
    EXPECT_NE(copy, item);
    const std::optional<LinkPreviewDetails> asOptional = item.linkPreviewDetails;
    EXPECT_EQ(asOptional->url, QStringLiteral("https://example.com"));
}
