#include "HistoryRowHeights.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

ClipboardItem makeItem(ClipboardKind kind, const QString &text = u"short"_qs)
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.kind = kind;
    item.text = text;
    item.copiedAt = QDateTime(QDate(2025, 3, 14), QTime(9, 0), Qt::UTC);
    item.firstCopiedAt = item.copiedAt;
    return item.refreshingSearchText({});
}

ClipboardItem fileItem(const QStringList &paths)
{
    ClipboardItem item = makeItem(ClipboardKind::file);
    item.text.reset();
    item.filePaths = paths;
    return item.refreshingSearchText({});
}

class HistoryRowHeightsTest : public ::testing::Test
{
protected:
    // The height of the item as the only row (index 0) of a table of the width.
    qreal heightOf(const ClipboardItem &item, qreal width = 400, int itemIndex = 20)
    {
        return heights.rowHeight(
            {HistoryTableRow::item(item.id, itemIndex)}, QList<ClipboardItem>(itemIndex + 1, item), 0, width, context);
    }

    const HistoryRowMetrics &metrics = HistoryRowMetrics::shared();
    HistoryRowHeights heights {metrics};
    HistoryRowHeightContext context;
};

} // namespace

TEST_F(HistoryRowHeightsTest, HeadersAndRowsOutOfRange)
{
    const ClipboardItem item = makeItem(ClipboardKind::email, u"a@example.org"_qs);
    const QList<HistoryTableRow> rows = {HistoryTableRow::sectionHeader(u"Today"_qs), HistoryTableRow::item(item.id, 0),
        HistoryTableRow::sectionHeader(u"Yesterday"_qs), HistoryTableRow::item(item.id, 1)};
    const QList<ClipboardItem> items = {item, item};
    EXPECT_EQ(heights.rowHeight(rows, items, 0, 400, context), 28);
    EXPECT_EQ(heights.rowHeight(rows, items, 2, 400, context), 36);
    EXPECT_EQ(heights.rowHeight(rows, items, -1, 400, context), 36);
    EXPECT_EQ(heights.rowHeight(rows, items, 4, 400, context), 36);
    EXPECT_EQ(heights.rowHeight({}, {}, 0, 400, context), 36);
    EXPECT_EQ(heights.cachedHeightCount(), 0) << "headers are never cached";
}

TEST_F(HistoryRowHeightsTest, TextRowsGrowWithTheirLines)
{
    const qreal line = metrics.textLineHeight();
    const qreal title = metrics.titleLineHeight() + 2;
    ClipboardItem shortText = makeItem(ClipboardKind::text, u"Hello"_qs);
    ClipboardItem titled = shortText;
    titled.title = u"Greeting"_qs;
    ClipboardItem blankTitle = shortText;
    blankTitle.title = u" \n"_qs;
    const ClipboardItem longText = makeItem(ClipboardKind::richText, QString(5000, u'w'));
    const ClipboardItem fourLines = makeItem(ClipboardKind::text, u"a\nb\nc\nd"_qs);
    // One line about one and a half times the preview width of a 400 wide table (346).
    QString wrapping;
    while (metrics.measureLines(wrapping).lineWidths.first() < 500)
        wrapping += u"word "_qs;
    const ClipboardItem twoLines = makeItem(ClipboardKind::text, wrapping);

    EXPECT_EQ(heightOf(shortText), qMax(std::ceil(line) + 20, qreal(36)));
    EXPECT_EQ(heightOf(titled), qMax(std::ceil(line) + 20, qreal(36)) + title);
    EXPECT_EQ(heightOf(blankTitle), heightOf(shortText));
    EXPECT_EQ(heightOf(twoLines), qMax(std::ceil(2 * line) + 20, qreal(36)));
    EXPECT_EQ(heightOf(longText), std::ceil(3 * line) + 20);
    // The preview joins the lines into one: four short lines fit in one line of a wide table.
    EXPECT_EQ(heightOf(fourLines), heightOf(shortText));

    // Before the table has a width every text row gets three lines, without the minimum.
    EXPECT_EQ(heightOf(shortText, 0), std::ceil(3 * line) + 20);
    EXPECT_EQ(heightOf(titled, 0), std::ceil(3 * line) + 20 + title);
}

TEST_F(HistoryRowHeightsTest, TextRowsUseTheHistorysLineMetrics)
{
    const ClipboardItem item = makeItem(ClipboardKind::text, u"Hello"_qs);
    int asked = 0;
    context.textPreviewLineMetrics = [&](const ClipboardItem &) {
        ++asked;
        return std::optional(HistoryTextPreviewLineMetrics {{250, 250}});
    };
    EXPECT_EQ(heightOf(item), std::ceil(2 * metrics.textLineHeight()) + 20);
    EXPECT_EQ(heightOf(item, 200), std::ceil(3 * metrics.textLineHeight()) + 20) << "narrower: 250 wraps";
    EXPECT_EQ(asked, 2);
    // Served from the cache: the metrics are not asked again.
    heightOf(item);
    heightOf(item, 200);
    EXPECT_EQ(asked, 2);
}

TEST_F(HistoryRowHeightsTest, FixedKinds)
{
    const qreal title = metrics.titleLineHeight() + 2;
    ClipboardItem email = makeItem(ClipboardKind::email, u"a@example.org"_qs);
    EXPECT_EQ(heightOf(email), 38);
    email.title = u"Work"_qs;
    EXPECT_EQ(heightOf(email), 38 + title);
    EXPECT_EQ(heightOf(makeItem(ClipboardKind::color, u"#3B85ED"_qs)), 38);

    ClipboardItem link = makeItem(ClipboardKind::link, u"https://example.org"_qs);
    EXPECT_EQ(heightOf(link), 38);
    link.linkPreviewDetails = LinkPreviewDetails {u"https://example.org"_qs, {}, {}, {}, {}, QDateTime()};
    EXPECT_EQ(heightOf(link), 38) << "a preview with nothing to show is as high as none";
    link.linkPreviewDetails->title = u"Example"_qs;
    link.linkPreviewDetails->description = u"An example page"_qs;
    const qreal card
        = metrics.roundedTextLineHeight() + metrics.titleFontLineHeight() + metrics.twoCaptionLinesHeight() + 8;
    EXPECT_EQ(heightOf(link), card + 20);
    link.linkPreviewDetails->imagePath = u"/tmp/preview.png"_qs;
    EXPECT_EQ(heightOf(link), qMax(card, qreal(70)) + 20);
    context.showPreviewForLinks = false;
    EXPECT_EQ(heightOf(link), 38);
}

TEST_F(HistoryRowHeightsTest, ImageAndFileRows)
{
    QTemporaryDir directory;
    ASSERT_TRUE(directory.isValid());
    const QString picture = directory.filePath(u"picture.png"_qs);
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    image.setDotsPerMeterX(2835); // 72 dots per inch: 40 x 30 points
    image.setDotsPerMeterY(2835);
    ASSERT_TRUE(image.save(picture));

    const qreal title = metrics.titleLineHeight() + 2;
    const qreal caption = metrics.captionLineHeight();
    ClipboardItem noAsset = makeItem(ClipboardKind::image);
    EXPECT_EQ(heightOf(noAsset), qMax(100 + 6 + caption + 20, qreal(36)));
    ClipboardItem withAsset = noAsset;
    withAsset.assetPath = picture;
    EXPECT_EQ(heightOf(withAsset), qMax(30 + 6 + caption + 20, qreal(36)));
    withAsset.title = u"Screenshot"_qs;
    EXPECT_EQ(heightOf(withAsset), qMax(30 + 6 + caption + 20, qreal(36)) + title);

    const qreal previewed = qMax(metrics.headlineLabelHeight() + 30 + 2 * metrics.captionLabelHeight() + 32, qreal(36));
    EXPECT_EQ(heightOf(fileItem({picture})), previewed);
    EXPECT_EQ(heightOf(fileItem({directory.filePath(u"notes.txt"_qs)})), metrics.fileRowHeight());
    EXPECT_EQ(heightOf(fileItem({})), metrics.fileRowHeight());
    // Two or more paths: always the files row, whatever they point to.
    EXPECT_EQ(heightOf(fileItem({picture, picture})), metrics.filesRowHeight());
    ClipboardItem files = fileItem({directory.filePath(u"a.txt"_qs), directory.filePath(u"gone"_qs)});
    files.title = u"Two"_qs;
    EXPECT_EQ(heightOf(files), metrics.filesRowHeight() + title);
}

TEST_F(HistoryRowHeightsTest, KeysCoverWhatHeightsDependOn)
{
    context.availableTagIDs = {1, 2};
    ClipboardItem item = makeItem(ClipboardKind::text, u"Hello"_qs);
    item.tags = {1, 5, 2};
    item.assetPath = u"/tmp/a.png"_qs;
    item.filePaths = {u"/tmp/first"_qs, u"/tmp/second"_qs};
    item.title = u" \t"_qs;

    const HistoryRowHeightCacheKey key = HistoryRowHeights::cacheKey(item, 8, 400.4, context);
    EXPECT_EQ(key.itemID, item.id);
    EXPECT_EQ(key.kind, ClipboardKind::text);
    EXPECT_EQ(key.contentKey, item.contentKey());
    EXPECT_FALSE(key.hasTitle);
    EXPECT_EQ(key.tableWidth, 400);
    EXPECT_EQ(key.quickPasteIndex, 9);
    EXPECT_EQ(key.tagCount, 2) << "tag 5 is unknown";
    EXPECT_TRUE(key.showsLinkPreview);
    EXPECT_FALSE(key.linkPreviewHasTitle);
    EXPECT_EQ(key.assetPath, u"/tmp/a.png"_qs);
    EXPECT_EQ(key.firstFilePath, u"/tmp/first"_qs);

    const auto keyWith = [&](auto change, int index = 8, qreal width = 400.4) {
        ClipboardItem changed = item;
        HistoryRowHeightContext changedContext = context;
        change(changed, changedContext);
        return HistoryRowHeights::cacheKey(changed, index, width, changedContext);
    };
    const auto same = [](ClipboardItem &, HistoryRowHeightContext &) {};
    EXPECT_EQ(keyWith(same, 8, 399.5), key) << "halves round away from zero";
    EXPECT_NE(keyWith(same, 8, 400.6), key);
    EXPECT_EQ(keyWith(same, 8, 400.6).tableWidth, 401);
    EXPECT_EQ(keyWith(same, 9).quickPasteIndex, std::nullopt) << "only the first nine items";
    EXPECT_EQ(keyWith([](auto &, auto &c) { c.showCommandNumberShortcut = false; }).quickPasteIndex, std::nullopt);
    EXPECT_NE(keyWith([](auto &i, auto &) { i.text = u"Hello!"_qs, i = i.refreshingSearchText({}); }), key);
    EXPECT_NE(keyWith([](auto &i, auto &) { i.title = u"Named"_qs; }), key);
    EXPECT_NE(keyWith([](auto &i, auto &) { i.isFavorite = true; }), key);
    EXPECT_NE(keyWith([](auto &, auto &c) { c.availableTagIDs.insert(5); }), key);
    EXPECT_NE(keyWith([](auto &, auto &c) { c.showPreviewForLinks = false; }), key);
    EXPECT_NE(keyWith([](auto &i, auto &) { i.filePaths.first() = u"/tmp/other"_qs; }), key);
    EXPECT_EQ(keyWith([](auto &i, auto &) { i.filePaths.last() = u"/tmp/other"_qs; }).firstFilePath, key.firstFilePath);
    EXPECT_NE(keyWith([](auto &i, auto &) { i.assetPath.reset(); }), key);
    // The link-preview flags are filled for every kind.
    const HistoryRowHeightCacheKey withPreview = keyWith([](auto &i, auto &) {
        i.linkPreviewDetails = LinkPreviewDetails {u"https://example.org"_qs, u"T"_qs, {}, {}, u"/tmp/f.png"_qs, {}};
    });
    EXPECT_TRUE(withPreview.linkPreviewHasTitle);
    EXPECT_FALSE(withPreview.linkPreviewHasDescription);
    EXPECT_FALSE(withPreview.linkPreviewHasImage);
    EXPECT_TRUE(withPreview.linkPreviewHasFavicon);
    EXPECT_EQ(qHash(keyWith(same, 8, 399.5)), qHash(key));
}

TEST_F(HistoryRowHeightsTest, CacheLivesUntilWidthOrItemsChange)
{
    const ClipboardItem first = makeItem(ClipboardKind::text, u"one"_qs);
    const ClipboardItem second = makeItem(ClipboardKind::color, u"#FFFFFF"_qs);
    const QList<HistoryTableRow> rows = {HistoryTableRow::sectionHeader(u"Today"_qs),
        HistoryTableRow::item(first.id, 0), HistoryTableRow::item(second.id, 1)};
    const QList<ClipboardItem> items = {first, second};
    for (qsizetype row = 0; row < rows.size(); ++row)
        heights.rowHeight(rows, items, row, 400, context);
    EXPECT_EQ(heights.cachedHeightCount(), 2);
    heights.rowHeight(rows, items, 1, 400.3, context); // the same rounded width
    EXPECT_EQ(heights.cachedHeightCount(), 2);
    heights.rowHeight(rows, items, 1, 402, context); // a new key beside the old one
    EXPECT_EQ(heights.cachedHeightCount(), 3);

    EXPECT_FALSE(heights.tableWidthDidChange(402, 402.5));
    EXPECT_EQ(heights.cachedHeightCount(), 3);
    EXPECT_TRUE(heights.tableWidthDidChange(402, 401.4));
    EXPECT_EQ(heights.cachedHeightCount(), 0);

    for (qsizetype row = 0; row < rows.size(); ++row)
        heights.rowHeight(rows, items, row, 400, context);
    heights.retainItems({second.id});
    EXPECT_EQ(heights.cachedHeightCount(), 1);
    heights.removeItems({second.id});
    EXPECT_EQ(heights.cachedHeightCount(), 0);
}
