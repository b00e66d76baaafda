#include "ColorHistoryItemRowPainter.h"
#include "FileHistoryItemRowPainter.h"
#include "HistoryItemRowPainter.h"
#include "HistoryRowPictures.h"
#include "ImageHistoryItemRowPainter.h"
#include "LinkHistoryItemRowPainter.h"
#include "QuickPasteLabel.h"
#include "TextHistoryItemRowPainter.h"
#include "WindowProbe.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

constexpr qreal tableWidth = 600;

QPalette lightPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(240, 240, 240));
    palette.setColor(QPalette::Base, Qt::white);
    return palette;
}

ClipboardItem itemOf(ClipboardKind kind)
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.kind = kind;
    item.text = u"text"_qs;
    return item;
}

HistoryItemRowConfiguration configurationOf(int tagCount = 0, std::optional<int> quickPaste = std::nullopt)
{
    HistoryItemRowConfiguration configuration;
    for (int i = 0; i < tagCount; ++i)
        configuration.tags.append(Tag {i + 1, u"Tag %1"_qs.arg(i + 1), u"#3B85ED"_qs});
    configuration.quickPasteIndex = quickPaste;
    configuration.tableWidth = tableWidth;
    configuration.showsLinkPreview = true;
    return configuration;
}

const HistoryItemRowPainter &painterOf(const ClipboardItem &item)
{
    return HistoryItemRowPainter::forReuseIdentifier(historyItemRowReuseIdentifier(item));
}

QString writeFile(const QTemporaryDir &folder, const QString &name, const QByteArray &contents)
{
    const QString path = folder.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(contents);
    return path;
}

QString writePicture(const QTemporaryDir &folder, const QString &name, QSize size, QColor colour = Qt::darkCyan)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = folder.filePath(name);
    image.save(path);
    return path;
}

// Marks the file as written the given seconds after a fixed moment, as a later rewrite leaves it.
void setWrittenAt(const QString &path, int seconds)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.setFileTime(
        QDateTime(QDate(2025, 3, 14), QTime(9, 0), Qt::UTC).addSecs(seconds), QFileDevice::FileModificationTime);
}

} // namespace

// Which accessories a row shows, and that the strip leaves the text preview exactly the width the row heights use.
TEST(HistoryItemRowPainter, ShowsTheAccessoriesOfEachCombination)
{
    const HistoryItemRowPainter &painter = HistoryItemRowPainter::forReuseIdentifier(u"TextHistoryItemRow"_qs);
    for (const bool favourite : {false, true}) {
        for (const int tags : {0, 2}) {
            for (const std::optional<int> number : {std::optional<int>(), std::optional<int>(3)}) {
                for (const int application : {0, 1, 2}) {
                    ClipboardItem item = itemOf(ClipboardKind::text);
                    item.isFavorite = favourite;
                    if (application == 1)
                        item.sourceAppName = u"Terminal"_qs;
                    if (application == 2)
                        item.sourceBundleIdentifier = u"org.gnome.Terminal"_qs;
                    const HistoryItemRowConfiguration configuration = configurationOf(tags, number);
                    const QRectF row(0, 0, tableWidth, 80);
                    const HistoryItemRowLayout layout = painter.layout(row, item, configuration);
                    const std::string name = "favourite " + std::to_string(favourite) + ", tags " + std::to_string(tags)
                        + ", number " + std::to_string(number.value_or(0)) + ", application "
                        + std::to_string(application);

                    const bool none = !favourite && tags == 0 && !number && application == 0;
                    EXPECT_EQ(layout.accessoryStrip.isEmpty(), none) << name;
                    EXPECT_EQ(layout.tagChips.size(), tags) << name;
                    EXPECT_EQ(!layout.favoriteStar.isEmpty(), favourite) << name;
                    EXPECT_EQ(!layout.quickPaste.isEmpty(), number.has_value()) << name;
                    EXPECT_EQ(!layout.applicationIcon.isEmpty(), application != 0) << name;
                    if (!none) {
                        EXPECT_EQ(layout.accessoryStrip.right(), tableWidth - 12) << name;
                        EXPECT_EQ(layout.accessoryStrip.top(), 9) << name;
                    }
                    // Tag chips first, then star, number and icon, left to right.
                    qreal previous = -1;
                    QList<QRectF> parts = layout.tagChips;
                    parts << layout.favoriteStar << layout.quickPaste << layout.applicationIcon;
                    for (const QRectF &part : std::as_const(parts)) {
                        if (part.isEmpty())
                            continue;
                        EXPECT_GT(part.left(), previous) << name;
                        previous = part.right();
                    }
                    const qreal gap = none ? 0 : number && !favourite && tags == 0 ? 16 : 4;
                    EXPECT_EQ(HistoryRowMetrics::textPreviewWidth(item, number, tags, tableWidth),
                        layout.content.width() - layout.accessoryControlsWidth - gap)
                        << name;
                }
            }
        }
    }
}

TEST(HistoryItemRowPainter, PutsTheTitleLineAboveTheContent)
{
    const HistoryItemRowPainter &painter = HistoryItemRowPainter::forReuseIdentifier(u"TextHistoryItemRow"_qs);
    ClipboardItem item = itemOf(ClipboardKind::text);
    item.title = u"  \n "_qs;
    HistoryItemRowLayout layout = painter.layout(QRectF(0, 0, 400, 80), item, configurationOf());
    EXPECT_TRUE(layout.title.isEmpty());
    EXPECT_EQ(layout.body, layout.content);
    EXPECT_EQ(layout.content, QRectF(42, 10, 400 - 54, 60));

    item.title = u"Named"_qs;
    item.isFavorite = true;
    layout = painter.layout(QRectF(0, 0, 400, 80), item, configurationOf());
    EXPECT_EQ(layout.title.width(), layout.content.width() - 16 - 4); // left of the star
    EXPECT_EQ(layout.body.top(), layout.content.top() + painter.metrics().titleLineHeight() + 2);
}

TEST(HistoryItemRowPainter, AnswersToolTipsOfItsParts)
{
    ClipboardItem item = itemOf(ClipboardKind::color);
    item.text = u"#3B85ED"_qs;
    item.title = u"Brand blue"_qs;
    item.sourceAppName = u"Terminal"_qs;
    const HistoryItemRowConfiguration configuration = configurationOf(2, 1);
    const QRectF row(0, 100, tableWidth, 80);
    const HistoryItemRowPainter &painter = painterOf(item);
    const HistoryItemRowLayout layout = painter.layout(row, item, configuration);

    EXPECT_EQ(painter.toolTip(row, item, configuration, layout.typeIcon.center()), u"Brand blue"_qs);
    EXPECT_EQ(painter.toolTip(row, item, configuration, layout.tagChips.at(1).center()), u"Tag 2"_qs);
    EXPECT_EQ(painter.toolTip(row, item, configuration, layout.applicationIcon.center()), u"Terminal"_qs);
    EXPECT_EQ(painter.toolTip(row, item, configuration, layout.quickPaste.center()), QuickPasteLabel::shortcutText(1));
    EXPECT_TRUE(painter.toolTip(row, item, configuration, layout.body.center()).isEmpty());

    // A colour that does not parse keeps the kind symbol and its title.
    item.text = u"not a colour"_qs;
    const HistoryItemTypeIcon icon = painter.typeIcon(item, configuration, nullptr);
    EXPECT_EQ(icon.kind(), std::optional<ClipboardKind>(ClipboardKind::color));
    EXPECT_FALSE(icon.swatchColor());
    EXPECT_EQ(painter.toolTip(row, item, configuration, layout.typeIcon.center()),
        ClipboardKind(ClipboardKind::color).title());
}

TEST(LinkHistoryItemRowPainter, ShowsThePagesIconAndLeavesRoomForTheStrip)
{
    QTemporaryDir folder;
    ClipboardItem item = itemOf(ClipboardKind::link);
    item.text = u"https://www.example.org/page"_qs;
    LinkPreviewDetails details;
    details.url = *item.text;
    details.title = u"A page"_qs;
    details.description = u"What the page is about."_qs;
    details.faviconPath = writePicture(folder, u"favicon.png"_qs, QSize(32, 32));
    item.linkPreviewDetails = details;
    HistoryItemRowConfiguration configuration = configurationOf(0, 2);
    item.sourceAppName = u"Firefox"_qs;
    const QRectF row(0, 0, tableWidth, 120);
    const auto &painter = static_cast<const LinkHistoryItemRowPainter &>(painterOf(item));

    // The favicon is decoded off the GUI thread; once it is there it replaces the link symbol.
    painter.typeIcon(item, configuration, nullptr);
    HistoryRowPictures::shared().finishPending();
    HistoryItemTypeIcon icon = painter.typeIcon(item, configuration, nullptr);
    EXPECT_FALSE(icon.kind());
    EXPECT_FALSE(icon.image().isNull());
    EXPECT_EQ(icon.imageInset(), 1);
    EXPECT_EQ(icon.toolTip(), u"www.example.org"_qs);

    // With previews off the symbol stays.
    configuration.showsLinkPreview = false;
    EXPECT_EQ(painter.typeIcon(item, configuration, nullptr).symbolName(), u"link"_qs);
    configuration.showsLinkPreview = true;

    // The card's text ends the strip's width and 10 before the trailing edge; with a picture, the picture does.
    const HistoryItemRowLayout layout = painter.layout(row, item, configuration);
    const QPalette palette = lightPalette();
    const HistoryItemRowPaintContext context {layout, item, configuration, palette};
    ASSERT_GT(layout.accessoryControlsWidth, 0);
    const qreal inset = layout.accessoryControlsWidth + 10;
    LinkHistoryItemRowPainter::CardLayout card = painter.cardLayout(context);
    EXPECT_EQ(card.headline.right(), layout.body.right() - inset);
    EXPECT_EQ(card.title.top(), card.headline.bottom() + 4);
    EXPECT_EQ(card.description.top(), card.title.bottom() + 4);
    EXPECT_EQ(card.description.bottom() - layout.body.top(),
        painter.metrics().linkPreviewCardHeight(item.linkPreviewDetails, true));

    item.linkPreviewDetails->imagePath = writePicture(folder, u"picture.png"_qs, QSize(400, 100));
    card = painter.cardLayout(context);
    EXPECT_EQ(card.picture.size(), QSizeF(130, 70));
    EXPECT_EQ(card.picture.right(), layout.body.right() - inset);
    EXPECT_EQ(card.headline.right(), card.picture.left() - 10);

    // No accessory: the card reaches the edge. An address without a host names the kind instead.
    ClipboardItem bare = item;
    bare.sourceAppName.reset();
    bare.linkPreviewDetails->imagePath.reset();
    const HistoryItemRowConfiguration plain = configurationOf();
    const HistoryItemRowLayout bareLayout = painter.layout(row, bare, plain);
    EXPECT_EQ(painter.cardLayout({bareLayout, bare, plain, palette}).headline.right(), bareLayout.body.right());
    bare.linkPreviewDetails->url = u"mailto:someone@example.org"_qs;
    EXPECT_EQ(LinkHistoryItemRowPainter::faviconToolTip(bare), ClipboardKind(ClipboardKind::link).title());
}

// A refresh of a link preview rewrites its pictures in place: the row shows the new ones, also where the old file
// could not be read.
TEST(LinkHistoryItemRowPainter, ShowsTheNewPicturesOfARefreshedPreview)
{
    QTemporaryDir folder;
    ClipboardItem item = itemOf(ClipboardKind::link);
    item.text = u"https://www.example.org/page"_qs;
    LinkPreviewDetails details;
    details.url = *item.text;
    details.title = u"A page"_qs;
    details.faviconPath = writePicture(folder, u"refreshed-favicon.png"_qs, QSize(32, 32), Qt::red);
    setWrittenAt(*details.faviconPath, 0);
    item.linkPreviewDetails = details;
    const HistoryItemRowConfiguration configuration = configurationOf(0, 2);
    const auto &painter = static_cast<const LinkHistoryItemRowPainter &>(painterOf(item));
    const auto faviconColour = [&] {
        painter.typeIcon(item, configuration, nullptr);
        HistoryRowPictures::shared().finishPending();
        const QImage image = painter.typeIcon(item, configuration, nullptr).image();
        return image.isNull() ? QColor() : image.pixelColor(image.rect().center());
    };
    EXPECT_EQ(faviconColour(), QColor(Qt::red));

    writePicture(folder, u"refreshed-favicon.png"_qs, QSize(32, 32), Qt::blue);
    setWrittenAt(*details.faviconPath, 60);
    EXPECT_EQ(faviconColour(), QColor(Qt::blue));

    // A favicon that failed to decode is tried again once the file changed.
    writeFile(folder, u"refreshed-favicon.png"_qs, "not a picture");
    setWrittenAt(*details.faviconPath, 120);
    EXPECT_FALSE(faviconColour().isValid());
    writePicture(folder, u"refreshed-favicon.png"_qs, QSize(32, 32), Qt::green);
    setWrittenAt(*details.faviconPath, 180);
    EXPECT_EQ(faviconColour(), QColor(Qt::green));
}

TEST(FilesHistoryItemRowPainter, SummarisesAndCountsTiles)
{
    QTemporaryDir folder;
    const QString a = writeFile(folder, u"a.txt"_qs, "a");
    const QString b = writeFile(folder, u"b.pdf"_qs, "b");
    QDir(folder.path()).mkdir(u"Folder"_qs);
    QDir(folder.path()).mkdir(u"Other"_qs);
    const QString directory = folder.filePath(u"Folder"_qs);
    const QString other = folder.filePath(u"Other"_qs);
    const QString gone = folder.filePath(u"gone.txt"_qs);

    const std::vector<std::pair<QStringList, QString>> summaries {
        {{}, u""_qs}, {{a}, u"1 file"_qs}, {{a, b, directory}, u"2 files, 1 folder"_qs}, {{directory}, u"1 folder"_qs},
        {{directory, other}, u"2 folders"_qs},
        {{gone, gone + u'2', gone + u'3'}, u"3 files"_qs}, // missing paths count as files
    };
    for (const auto &[paths, expected] : summaries)
        EXPECT_EQ(FilesHistoryItemRowPainter::summaryText(paths), expected) << paths.join(u", "_qs).toStdString();

    const std::vector<std::tuple<qsizetype, qreal, int>> tiles {
        {3, 250, 2}, // (250 - 54 + 8) / 98 = 2.08
        {3, 50, 0},
        {3, 1000, 3},
        {0, 1000, 0},
        {5, 54 + 90, 1},
        {5, 54 + 90 + 8 + 89, 1},
        {5, 54 + 90 + 8 + 90, 2},
    };
    for (const auto &[paths, width, expected] : tiles)
        EXPECT_EQ(FilesHistoryItemRowPainter::visibleThumbnailCount(paths, width), expected) << paths << " " << width;
}

TEST(ImageHistoryItemRowPainter, WritesCaptionsAndSizes)
{
    EXPECT_EQ(ImageHistoryItemRowPainter::captionText(QSize(1920, 1080), 2100000), u"1920x1080 · 2.1 MB"_qs);
    EXPECT_EQ(ImageHistoryItemRowPainter::captionText(std::nullopt, 14), u"Unknown dimensions · 14 bytes"_qs);

    QTemporaryDir folder;
    ClipboardItem file = itemOf(ClipboardKind::file);
    file.byteSize = 48213;
    file.filePaths = {writePicture(folder, u"photo.png"_qs, QSize(640, 480))};
    EXPECT_EQ(FileHistoryItemRowPainter::sizeDescription(file), u"640x480 · 48 KB"_qs);
    file.filePaths = {writeFile(folder, u"notes.txt"_qs, "notes")};
    EXPECT_EQ(FileHistoryItemRowPainter::sizeDescription(file), u"48 KB"_qs);
    file.filePaths = {writeFile(folder, u"broken.png"_qs, "not a picture")};
    EXPECT_EQ(FileHistoryItemRowPainter::sizeDescription(file), u"48 KB"_qs);

    // The picture and its caption fill the height the row was given, title line included.
    ClipboardItem image = itemOf(ClipboardKind::image);
    image.assetPath = writePicture(folder, u"shot.png"_qs, QSize(1280, 800));
    image.title = u"Screenshot"_qs;
    const auto &painter = static_cast<const ImageHistoryItemRowPainter &>(painterOf(image));
    const HistoryRowMetrics &metrics = painter.metrics();
    const qreal height
        = qMax(metrics.imagePreviewHeight(image, tableWidth) + 6 + metrics.captionLineHeight() + 20, 36.0)
        + metrics.titleHeight(image);
    const HistoryItemRowConfiguration configuration = configurationOf();
    const HistoryItemRowLayout layout = painter.layout(QRectF(0, 0, tableWidth, height), image, configuration);
    const QPalette palette = lightPalette();
    const auto boxes = painter.boxes({layout, image, configuration, palette});
    EXPECT_EQ(boxes.picture.height(), 100);
    EXPECT_EQ(boxes.picture.width(), 160);
    EXPECT_EQ(boxes.caption.bottom(), height - 10);

    // A picture that is gone: a 100-pixel square.
    image.assetPath = folder.filePath(u"gone.png"_qs);
    EXPECT_EQ(painter.boxes({layout, image, configuration, palette}).picture.size(), QSizeF(100, 100));
}

// A file that is gone is painted in light grey, selected or not; one that exists in the label colour.
TEST(FileHistoryItemRowPainter, DimsAMissingFile)
{
    QTemporaryDir folder;
    const auto darkestTextIn = [&](const ClipboardItem &item, bool selected) {
        QImage canvas(480, 90, QImage::Format_ARGB32);
        canvas.fill(Qt::white);
        HistoryItemRowConfiguration configuration = configurationOf();
        configuration.tableWidth = 480;
        configuration.isSelected = selected;
        {
            QPainter painter(&canvas);
            painterOf(item).paint(painter, QRectF(0, 0, 480, 90), item, configuration, lightPalette());
        }
        // The text column of the document layout: right of the 48-pixel icon's holder.
        int darkest = 255;
        for (int y = 10; y < 80; ++y) {
            for (int x = 42 + 70; x < 400; ++x)
                darkest = qMin(darkest, qGray(canvas.pixel(x, y)));
        }
        return darkest;
    };
    ClipboardItem missing = itemOf(ClipboardKind::file);
    missing.filePaths = {folder.filePath(u"deleted.pdf"_qs)};
    missing.byteSize = 2000;
    EXPECT_TRUE(FileHistoryItemRowPainter::isFirstFileMissing(missing));
    EXPECT_GE(darkestTextIn(missing, false), 160);
    EXPECT_GE(darkestTextIn(missing, true), 160);

    ClipboardItem present = missing;
    present.filePaths = {writeFile(folder, u"present.pdf"_qs, "%PDF")};
    EXPECT_FALSE(FileHistoryItemRowPainter::isFirstFileMissing(present));
    EXPECT_LT(darkestTextIn(present, false), 100);

    ClipboardItem none = itemOf(ClipboardKind::file);
    none.text.reset();
    EXPECT_FALSE(FileHistoryItemRowPainter::isFirstFileMissing(none));
}

TEST(TextHistoryItemRowPainter, GreysMarksAlsoInsideMatches)
{
    const QPalette palette = lightPalette();
    const QString preview = u"a·b ⏎ c→d"_qs;
    const auto ranges = TextHistoryItemRowPainter::previewRanges(preview, u"a·b"_qs, palette);
    ASSERT_GE(ranges.size(), 4);
    EXPECT_EQ(ranges.first().first, (HistoryTextRange {0, 3}));
    EXPECT_EQ(ranges.first().second, HistoryRowColors::searchMatch(palette));
    // Marks come after the matches, so they win where both apply.
    const auto mark = std::find_if(ranges.begin(), ranges.end(), [](const auto &r) { return r.first.start == 1; });
    ASSERT_NE(mark, ranges.end());
    EXPECT_EQ(mark->second, HistoryRowColors::lightGray());
    EXPECT_TRUE(TextHistoryItemRowPainter::previewRanges(preview, u"  "_qs, palette).size() == 3);
}

// Pictures are decoded at the size they are shown, and what the file system said is not asked again at each paint.
TEST(HistoryRowPictures, DecodesAtTheShownSizeAndRemembersFileFacts)
{
    QTemporaryDir folder;
    const QString path = writePicture(folder, u"large.png"_qs, QSize(2000, 1000));
    HistoryRowPictures pictures;
    EXPECT_EQ(pictures.picture(path, QSize(100, 100), false, nullptr).state, HistoryRowPictures::State::pending);
    pictures.finishPending();
    const HistoryRowPictures::Picture fitted = pictures.picture(path, QSize(100, 100), false, nullptr);
    ASSERT_EQ(fitted.state, HistoryRowPictures::State::ready);
    EXPECT_EQ(fitted.image.size(), QSize(100, 50));

    pictures.picture(path, QSize(130, 70), true, nullptr, 8);
    pictures.finishPending();
    EXPECT_EQ(pictures.picture(path, QSize(130, 70), true, nullptr, 8).image.size(), QSize(130, 70));

    const QString unreadable = writeFile(folder, u"broken.png"_qs, "not a picture");
    pictures.picture(unreadable, QSize(50, 50), false, nullptr);
    pictures.finishPending();
    EXPECT_EQ(pictures.picture(unreadable, QSize(50, 50), false, nullptr).state, HistoryRowPictures::State::failed);

    EXPECT_TRUE(pictures.fileFacts(path).exists);
    EXPECT_EQ(pictures.imagePixelSize(path), QSize(2000, 1000));
    QFile::remove(path);
    EXPECT_TRUE(pictures.fileFacts(path).exists); // remembered for a few seconds
    EXPECT_EQ(pictures.imagePixelSize(path), QSize(2000, 1000));
    pictures.clear();
    EXPECT_FALSE(pictures.fileFacts(path).exists);
}

// A picture that arrives later repaints the widget that asked for it.
TEST(HistoryRowPictures, RepaintsTheWidgetThatAsked)
{
    struct CountingWidget : QWidget
    {
        int paints = 0;
        void paintEvent(QPaintEvent *) override { ++paints; }
    };
    QTemporaryDir folder;
    const QString path = writePicture(folder, u"picture.png"_qs, QSize(64, 64));
    CountingWidget widget;
    widget.resize(50, 50);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    QTest::qWait(20);
    const int before = widget.paints;

    HistoryRowPictures pictures;
    EXPECT_EQ(pictures.picture(path, QSize(32, 32), false, &widget).state, HistoryRowPictures::State::pending);
    EXPECT_EQ(WindowProbe::pendingPictureCount(pictures), 1);
    QTRY_COMPARE(WindowProbe::pendingPictureCount(pictures), 0);
    QTRY_VERIFY(widget.paints > before);
    EXPECT_EQ(pictures.picture(path, QSize(32, 32), false, &widget).state, HistoryRowPictures::State::ready);
}
