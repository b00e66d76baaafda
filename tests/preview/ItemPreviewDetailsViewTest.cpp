// The details panel: the facts of each kind, the wrapping of the fields into lines, and the language's numbers.

#include "ItemPreviewDetailsView.h"
#include "Localization.h"
#include "PreviewFixtures.h"

#include <QLabel>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextBoundaryFinder>

#include <gtest/gtest.h>

using namespace PreviewFixtures;

namespace {

QStringList titles(const QList<ItemPreviewDetailsView::Field> &fields)
{
    QStringList result;
    for (const auto &field : fields)
        result.append(field.title);
    return result;
}

QString valueOf(const QList<ItemPreviewDetailsView::Field> &fields, const QString &title)
{
    for (const auto &field : fields) {
        if (field.title == title)
            return field.value;
    }
    return {};
}

struct LanguageScope
{
    explicit LanguageScope(const QString &code) { setCurrentInterfaceLanguage(code); }
    ~LanguageScope() { setCurrentInterfaceLanguage(QStringLiteral("en")); }
};

} // namespace

TEST(ItemPreviewDetails, FieldsPerKind)
{
    QTemporaryDir folder;
    const QString png = writeImage(folder.filePath(QStringLiteral("shot.png")), QSize(1920, 1080));

    ClipboardItem text = textItem(ClipboardKind::text, QString(1234, u'x'));
    text.byteSize = 5000; // the stored size, not the text's
    text.sourceAppName = QStringLiteral("Text Editor");
    text.copyCount = 0;
    ClipboardItem image = item(ClipboardKind::image);
    image.assetPath = png;
    image.sourceBundleIdentifier = QStringLiteral("org.example.Paint");
    ClipboardItem imageFile = item(ClipboardKind::file);
    imageFile.filePaths = {png};
    ClipboardItem twoFiles = item(ClipboardKind::file);
    twoFiles.filePaths = {png, png + QStringLiteral(".copy")};
    twoFiles.copyCount = 4;

    const QStringList six = {QStringLiteral("Type"), QStringLiteral("Characters"), QStringLiteral("Size"),
        QStringLiteral("First Copy"), QStringLiteral("Last Copy"), QStringLiteral("Copies")};
    const auto textFields = ItemPreviewDetailsView::fields(text);
    EXPECT_EQ(titles(textFields),
        QStringList({QStringLiteral("Type"), QStringLiteral("Characters"), QStringLiteral("Size"),
            QStringLiteral("Application"), QStringLiteral("First Copy"), QStringLiteral("Last Copy"),
            QStringLiteral("Copies")}));
    EXPECT_EQ(valueOf(textFields, QStringLiteral("Characters")), QStringLiteral("1,234"));
    EXPECT_EQ(valueOf(textFields, QStringLiteral("Size")), QStringLiteral("5 KB"));
    EXPECT_EQ(valueOf(textFields, QStringLiteral("Application")), QStringLiteral("Text Editor"));
    EXPECT_EQ(valueOf(textFields, QStringLiteral("Copies")), QStringLiteral("1"));

    EXPECT_EQ(
        titles(ItemPreviewDetailsView::fields(textItem(ClipboardKind::link, QStringLiteral("https://a.org")))), six);
    const auto imageFields = ItemPreviewDetailsView::fields(image);
    EXPECT_EQ(valueOf(imageFields, QStringLiteral("Dimensions")), QStringLiteral("1,920 \u00D7 1,080"));
    EXPECT_EQ(valueOf(imageFields, QStringLiteral("Application")), QStringLiteral("org.example.Paint"));
    EXPECT_EQ(valueOf(ItemPreviewDetailsView::fields(imageFile), QStringLiteral("Dimensions")),
        QStringLiteral("1,920 \u00D7 1,080"));
    const auto fileFields = ItemPreviewDetailsView::fields(twoFiles);
    EXPECT_EQ(titles(fileFields),
        QStringList({QStringLiteral("Type"), QStringLiteral("Size"), QStringLiteral("First Copy"),
            QStringLiteral("Last Copy"), QStringLiteral("Copies")}));
    EXPECT_EQ(valueOf(fileFields, QStringLiteral("Type")), QStringLiteral("Files"));
    EXPECT_EQ(valueOf(fileFields, QStringLiteral("Copies")), QStringLiteral("5"));
}

TEST(ItemPreviewDetails, NumbersDatesAndSizesFollowTheInterfaceLanguage)
{
    const struct
    {
        qint64 bytes;
        const char *english;
    } sizes[] = {
        {0, "Zero KB"},
        {1, "1 byte"},
        {999, "999 bytes"},
        {1000, "1 KB"},
        {45678, "46 KB"},
        {1234567, "1.2 MB"},
        {3210000000, "3.21 GB"},
    };
    for (const auto &c : sizes)
        EXPECT_EQ(ItemPreviewDetailsView::formattedByteCount(c.bytes), QString::fromUtf8(c.english)) << c.bytes;

    const QDateTime date(QDate(2026, 3, 14), QTime(15, 9));
    const QString englishDate = ItemPreviewDetailsView::formattedDate(date);
    {
        LanguageScope german(QStringLiteral("de"));
        EXPECT_EQ(ItemPreviewDetailsView::formattedNumber(1234567), QStringLiteral("1.234.567"));
        EXPECT_EQ(ItemPreviewDetailsView::formattedByteCount(1234567), QStringLiteral("1,2 MB"));
        EXPECT_EQ(ItemPreviewDetailsView::formattedDate(date), QStringLiteral("14.03.26 15:09"));
        EXPECT_EQ(ItemPreviewDetailsView::typeTitle(item(ClipboardKind::image)), QStringLiteral("Bild"));
    }
    EXPECT_TRUE(englishDate.startsWith(QStringLiteral("3/14/26"))) << englishDate.toStdString();

    // Characters are what a reader counts: a flag and an accented letter are one each.
    EXPECT_EQ(ItemPreviewDetailsView::characterCount(QStringLiteral("e\u0301\U0001F1EB\U0001F1EEa")), 3);
}

// The live count while editing takes a short way through plain Latin text: it must count exactly what the full
// rules count, wherever joining characters, line ends and surrogates fall; likewise the UTF-8 size. (Thai is left
// out: Qt's finder then treats the whole text differently and splits even surrogate pairs elsewhere in it.)
TEST(ItemPreviewDetails, CharacterCountAndSizeMatchTheFullRules)
{
    const QStringList pieces = {QStringLiteral("a"), QStringLiteral(" "), QStringLiteral("\r"), QStringLiteral("\n"),
        QStringLiteral("\r\n"), QStringLiteral("\t"), QStringLiteral("\u00E9"), QStringLiteral("\u00A9"),
        QStringLiteral("\u0301"), QStringLiteral("\u200D"), QStringLiteral("\uFE0F"), QStringLiteral("\u1100\u1161"),
        QStringLiteral("\u6587"), QStringLiteral("\U0001F44D\U0001F3FD"), QStringLiteral("\U0001F1E9\U0001F1EA"),
        QStringLiteral("\U0001F468\u200D\U0001F469"), QString(QChar(0xD800)), QString(QChar(0xDC00))};
    const auto fullRules = [](const QString &text) {
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
        qsizetype count = 0;
        while (finder.toNextBoundary() > 0)
            ++count;
        return count;
    };
    QRandomGenerator random(25);
    for (int round = 0; round < 2000; ++round) {
        QString text;
        for (int n = random.bounded(0, 12); n > 0; --n)
            text += pieces.at(random.bounded(pieces.size()));
        ASSERT_EQ(ItemPreviewDetailsView::characterCount(text), fullRules(text))
            << QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2).toHex(' ').toStdString();
        ASSERT_EQ(ItemPreviewDetailsView::utf8Size(text), text.toUtf8().size());
    }
}

TEST(ItemPreviewDetails, BreaksFieldsIntoGreedyLines)
{
    using Line = ItemPreviewDetailsView::FieldLine;
    const struct
    {
        const char *name;
        QList<int> widths;
        double available;
        QList<Line> expected;
    } cases[] = {
        {"no fields", {}, 500, {}},
        {"all on one line", {100, 100, 100}, 350, {{{0, 1, 2}, 350}}},
        {"one over", {100, 100, 100}, 349, {{{0, 1}, 225}, {{2}, 100}}},
        {"a field wider than the room stands alone", {50, 600, 50}, 300, {{{0}, 50}, {{1}, 600}, {{2}, 50}}},
        {"seven fields in three lines", {80, 80, 80, 80, 80, 80, 80}, 300,
            {{{0, 1, 2}, 290}, {{3, 4, 5}, 290}, {{6}, 80}}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ItemPreviewDetailsView::breakLines(c.widths, c.available), c.expected) << c.name;
}

TEST(ItemPreviewDetails, LaysOutCentredLinesWithSeparatorsBetweenNeighbours)
{
    ClipboardItem text = textItem(ClipboardKind::text, QStringLiteral("Some words"));
    text.sourceAppName = QStringLiteral("A source application with a rather long name");
    ItemPreviewDetailsView panel(text);
    ASSERT_EQ(panel.fieldViews().size(), 7);
    ASSERT_EQ(panel.separatorViews().size(), 6);

    const int wide = panel.preferredWidth();
    const int h = panel.fieldViews().first()->sizeHint().height();
    EXPECT_EQ(panel.layoutFields(wide, false), h + 28);

    // Narrow enough for three lines.
    int narrow = wide;
    while (narrow > 100 && panel.layoutFields(narrow, false) < 3 * h + 16 + 28)
        narrow -= 5;
    panel.resize(narrow, 400);
    ASSERT_EQ(panel.layoutFields(narrow, true), 3 * h + 16 + 28);
    QList<int> lineStarts;
    int previousY = -1;
    for (int i = 0; i < panel.fieldViews().size(); ++i) {
        const QRect frame = panel.fieldViews().at(i)->geometry();
        if (frame.y() != previousY) {
            lineStarts.append(i);
            previousY = frame.y();
        }
        if (i > 0) {
            EXPECT_EQ(panel.separatorViews().at(i - 1)->isHidden(), lineStarts.last() == i) << i;
        }
    }
    EXPECT_EQ(lineStarts.size(), 3);
    // Each line is centred between the margins.
    for (int k = 0; k < lineStarts.size(); ++k) {
        const int first = lineStarts.at(k);
        const int last = (k + 1 < lineStarts.size() ? lineStarts.at(k + 1) : int(panel.fieldViews().size())) - 1;
        const int left = panel.fieldViews().at(first)->geometry().left() - 28;
        const int right = narrow - 28 - panel.fieldViews().at(last)->geometry().right() - 1;
        EXPECT_NEAR(left, right, 2) << "line " << k;
    }

    // A value wider than the room is cut to it.
    ClipboardItem longName = text;
    longName.sourceAppName = QString(400, u'w');
    panel.update(longName);
    panel.resize(300, 400);
    panel.layoutFields(300, true);
    EXPECT_EQ(panel.fieldViews().at(3)->width(), 300 - 56);
}

TEST(ItemPreviewDetails, EditingTextUpdatesCharactersAndSize)
{
    ClipboardItem text = textItem(ClipboardKind::text, QStringLiteral("abc"));
    text.byteSize = 3;
    ItemPreviewDetailsView panel(text);
    panel.updateEditingText(QString(2000, u'\u00E9'));
    EXPECT_EQ(panel.valueLabel(ItemPreviewDetailsView::FieldKey::characters)->text(), QStringLiteral("2,000"));
    EXPECT_EQ(panel.valueLabel(ItemPreviewDetailsView::FieldKey::size)->text(), QStringLiteral("4 KB"));
    EXPECT_EQ(panel.fieldViews().at(1)->toolTip(), QStringLiteral("2,000"));
    panel.update(text);
    EXPECT_EQ(panel.valueLabel(ItemPreviewDetailsView::FieldKey::characters)->text(), QStringLiteral("3"));
}
