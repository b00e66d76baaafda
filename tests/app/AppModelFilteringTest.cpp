#include "AppModelTestSupport.h"

#include "CaseFoldedTextProbe.h"
#include "TextUtilities.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>

namespace {

using Types = QSet<HistoryFilterContentType>;

ClipboardItem withKind(int n, ClipboardKind kind, QStringList paths = {})
{
    ClipboardItem item = testItem(n);
    item.kind = kind;
    item.filePaths = std::move(paths);
    return item.refreshingSearchText({});
}

} // namespace

TEST(HistoryFiltering, ContentTypeTokens)
{
    QTemporaryDir folder;
    const QString photo = folder.filePath(QStringLiteral("photo.jpg"));
    const QString diagram = folder.filePath(QStringLiteral("diagram.png"));
    const QString notes = folder.filePath(QStringLiteral("notes.txt"));

    AppModel model;
    ClipboardItem favoriteLink = withKind(9, ClipboardKind::link);
    favoriteLink.isFavorite = true;
    model.setItems({
        withKind(1, ClipboardKind::text),
        withKind(2, ClipboardKind::richText),
        withKind(3, ClipboardKind::link),
        withKind(4, ClipboardKind::email),
        withKind(5, ClipboardKind::color),
        withKind(6, ClipboardKind::image),
        withKind(7, ClipboardKind::file, {photo}),
        withKind(8, ClipboardKind::file, {diagram, notes}),
        favoriteLink,
        withKind(10, ClipboardKind::file),
    });
    const struct
    {
        Types types;
        QList<int> visible; // in the history order: the favourite, then the latest copy first
    } cases[] = {
        {{}, {9, 10, 8, 7, 6, 5, 4, 3, 2, 1}},
        {{HistoryFilterContentType::all}, {9, 10, 8, 7, 6, 5, 4, 3, 2, 1}},
        {{HistoryFilterContentType::favorites}, {9}},
        {{HistoryFilterContentType::favorites, HistoryFilterContentType::links}, {9}},
        {{HistoryFilterContentType::favorites, HistoryFilterContentType::text}, {}},
        {{HistoryFilterContentType::text, HistoryFilterContentType::colors}, {5, 2, 1}},
        {{HistoryFilterContentType::links}, {9, 3}},
        {{HistoryFilterContentType::emails, HistoryFilterContentType::all}, {4}},
        // A file item is an image when every one of its paths is: with a text file beside the PNG it is not,
        // and without paths it never is.
        {{HistoryFilterContentType::images}, {7, 6}},
        {{HistoryFilterContentType::files}, {10, 8, 7}},
        {{HistoryFilterContentType::images, HistoryFilterContentType::files}, {10, 8, 7, 6}},
    };
    for (const auto &c : cases) {
        model.setSelectedHistoryFilterContentTypes(c.types);
        EXPECT_EQ(numbersOf(model.filteredItems()), c.visible) << c.visible.size();
    }
}

TEST(HistoryFiltering, PathWithoutExtensionIsTypedByItsContent)
{
    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("picture"));
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(picture, "PNG"));

    AppModel model;
    model.setItems({withKind(1, ClipboardKind::file, {picture}),
        withKind(2, ClipboardKind::file, {folder.filePath(QStringLiteral("missing"))})});
    model.setSelectedHistoryFilterContentTypes({HistoryFilterContentType::images});
    EXPECT_EQ(numbersOf(model.filteredItems()), (QList<int> {1}));
}

TEST(HistoryFiltering, TagAndSourceApplicationTokens)
{
    AppModel model;
    ClipboardItem tagged5 = testItem(1), tagged25 = testItem(2), tagged7 = testItem(3), fromEditor = testItem(4),
                  fromÉditor = testItem(5), anonymous = testItem(6), blank = testItem(7);
    tagged5.tags = {5};
    tagged25.tags = {7, 2};
    tagged7.tags = {7};
    fromEditor.sourceAppName = QStringLiteral("  Editor\n");
    fromEditor.sourceBundleIdentifier = QStringLiteral("org.example.Editor");
    fromÉditor.sourceAppName = QStringLiteral("ÉDITOR");
    blank.sourceAppName = QStringLiteral(" \t");
    model.setItems({tagged5, tagged25, tagged7, fromEditor, fromÉditor, anonymous, blank});

    model.setSelectedHistoryFilterTagIDs({2, 5});
    EXPECT_EQ(numbersOf(model.filteredItems()), (QList<int> {2, 1}));
    model.setSelectedHistoryFilterTagIDs({});

    // The id leaves out the desktop-entry id: the name alone, folded.
    model.setSelectedHistoryFilterSourceApplicationIDs({QStringLiteral("name:editor")});
    EXPECT_EQ(numbersOf(model.filteredItems()), (QList<int> {5, 4}));
    model.setSelectedHistoryFilterSourceApplicationIDs({QStringLiteral("org.example.Editor")});
    EXPECT_TRUE(model.filteredItems().isEmpty());
}

TEST(HistoryFiltering, SearchIgnoresCaseButNotAccents)
{
    AppModel model;
    model.setItems({testItem(1, QStringLiteral("say hello world")), testItem(2, QStringLiteral("HELLO")),
        testItem(3, QStringLiteral("héllo")), testItem(4, QStringLiteral("Straße")),
        testItem(5, QStringLiteral("ΣΊΣΥΦΟΣ"))});
    const struct
    {
        QString query;
        QList<int> visible;
    } cases[] = {
        {u""_qs, {5, 4, 3, 2, 1}},
        {u"  \n\t "_qs, {5, 4, 3, 2, 1}},
        {u"  Hello \n"_qs, {2, 1}},
        {u"HÉLLO"_qs, {3}},
        {u"o w"_qs, {1}},
        {u"o  w"_qs, {}},
        {u"STRASSE"_qs, {4}}, // the sharp s folds to "ss"
        {u"strAßE"_qs, {4}},
        {u"σίσυφος"_qs, {5}},
    };
    for (const auto &c : cases) {
        model.setSearchQuery(c.query);
        EXPECT_EQ(numbersOf(model.filteredItems()), c.visible) << qPrintable(c.query);
    }

    // The search reads the search text, and follows it when it changes.
    ClipboardItem renamed = testItem(3, QStringLiteral("héllo"));
    renamed.title = QStringLiteral("Greeting");
    model.updateItem(renamed.refreshingSearchText({QStringLiteral("Hello tag")}));
    model.setSearchQuery(QStringLiteral("hello"));
    EXPECT_EQ(numbersOf(model.filteredItems()), (QList<int> {3, 2, 1}));
}

TEST(HistoryFiltering, SortOptionsDirectionAndPinning)
{
    // number: copy time (minutes), first copy time, copy count, size, favourite
    const struct
    {
        int n, firstCopy, count, size;
        bool favorite;
    } rows[] = {{1, -50, 3, 900, false}, {2, -10, 7, 10, true}, {3, -30, 1, 400, false}, {4, -40, 5, 20, false}};
    QList<ClipboardItem> items;
    for (const auto &row : rows) {
        ClipboardItem item = testItem(row.n);
        item.firstCopiedAt = testTime(row.firstCopy);
        item.copyCount = row.count;
        item.byteSize = row.size;
        item.isFavorite = row.favorite;
        items.append(item);
    }
    AppModel model;
    model.setItems(items);

    const struct
    {
        HistorySortOption option;
        bool reversed, pinned;
        QList<int> order;
    } cases[] = {
        {HistorySortOption::lastCopyTime, false, false, {4, 3, 2, 1}},
        {HistorySortOption::lastCopyTime, true, false, {1, 2, 3, 4}},
        {HistorySortOption::lastCopyTime, false, true, {2, 4, 3, 1}},
        {HistorySortOption::lastCopyTime, true, true, {2, 1, 3, 4}},
        {HistorySortOption::firstCopyTime, false, false, {2, 3, 4, 1}},
        {HistorySortOption::firstCopyTime, true, false, {1, 4, 3, 2}},
        {HistorySortOption::numberOfCopies, false, false, {2, 4, 1, 3}},
        {HistorySortOption::numberOfCopies, true, true, {2, 3, 1, 4}},
        {HistorySortOption::size, false, false, {1, 3, 4, 2}},
        {HistorySortOption::size, true, false, {2, 4, 3, 1}},
        {HistorySortOption::size, false, true, {2, 1, 3, 4}},
    };
    for (const auto &c : cases) {
        AppPreferences preferences;
        preferences.pinFavoritesToTop = c.pinned;
        model.setPreferences(preferences);
        model.setHistorySortOption(c.option);
        model.setHistorySortReversed(c.reversed);
        EXPECT_EQ(numbersOf(model.filteredItems()), c.order)
            << qPrintable(c.option.rawValue()) << " reversed " << c.reversed << " pinned " << c.pinned;
    }
}

// Ties fall to the later copy, then to the id text, whatever the option and direction.
TEST(HistoryFiltering, TiesFollowCopyTimeThenIdText)
{
    QList<ClipboardItem> items;
    for (const int n : {3, 1, 4, 2}) {
        ClipboardItem item = testItem(n);
        item.copiedAt = testTime(n == 4 ? 9 : 0); // 1, 2 and 3 copied at the same moment
        item.copyCount = n == 1 ? 9 : 2;
        items.append(item);
    }
    // Ids whose texts differ where upper-case letters sort after digits.
    ClipboardItem lettered = testItem(5);
    lettered.id = QUuid::fromString(u"A0000000-0000-4000-8000-000000000005"_qs);
    lettered.copiedAt = testTime(0);
    lettered.copyCount = 2;
    items.append(lettered);

    AppModel model;
    model.setItems(items);
    model.setHistorySortOption(HistorySortOption::numberOfCopies);
    const QList<ClipboardItem> sorted = model.filteredItems();
    EXPECT_EQ(numbersOf(sorted), (QList<int> {1, 4, 2, 3, 5}));
    model.setHistorySortReversed(true);
    EXPECT_EQ(numbersOf(model.filteredItems()), (QList<int> {4, 2, 3, 5, 1}));

    EXPECT_EQ(model.compareForSort(sorted[0], sorted[1]), std::strong_ordering::greater);
    EXPECT_EQ(model.compareForSort(sorted[2], sorted[3]), std::strong_ordering::equal);
    EXPECT_TRUE(model.sortsBefore(sorted[2], sorted[3]));
    EXPECT_FALSE(model.sortsBefore(sorted[3], sorted[2]));
}

TEST(HistoryFiltering, CopySequenceKeepsItsItemsTogether)
{
    // Items 1 to 3 were copied as one sequence that began at minute 10; 4 came before, 5 after.
    QList<ClipboardItem> items;
    for (const int n : {1, 2, 3}) {
        ClipboardItem item = testItem(n);
        item.copiedAt = testTime(10 + (3 - n)); // the copy times run against the sequence order
        item.copySequenceID = testTime(10);
        item.copySequenceOrder = n == 1 ? std::optional<qint64>() : std::optional<qint64>(n - 1);
        items.append(item);
    }
    ClipboardItem before = testItem(4), after = testItem(5);
    before.copiedAt = testTime(5);
    after.copiedAt = testTime(30);
    items.append(before);
    items.append(after);

    AppModel model;
    model.setItems(items);
    AppPreferences preferences;
    preferences.copySequenceModeEnabled = true;
    model.setPreferences(preferences);
    EXPECT_EQ(numbersOf(model.filteredItems()), (QList<int> {5, 1, 2, 3, 4}));
    model.setHistorySortReversed(true);
    EXPECT_EQ(numbersOf(model.filteredItems()), (QList<int> {5, 1, 2, 3, 4}));
    model.setHistorySortOption(HistorySortOption::size);
    EXPECT_EQ(numbersOf(model.filteredItems()), (QList<int> {5, 1, 2, 3, 4}));

    preferences.copySequenceModeEnabled = false;
    model.setPreferences(preferences);
    model.setHistorySortOption(HistorySortOption::lastCopyTime);
    model.setHistorySortReversed(false);
    EXPECT_EQ(numbersOf(model.filteredItems()), (QList<int> {5, 1, 2, 3, 4}));
}

// An item copied at the very instant that names a sequence is ordered by copy time against one member and by
// id against another, which is no consistent order; the sort must still give every item once.
TEST(HistoryFiltering, InconsistentSequenceOrderStillSortsSafely)
{
    QList<ClipboardItem> items;
    for (int n = 1; n <= 400; ++n) {
        ClipboardItem item = testItem(n);
        item.copiedAt = testTime(n % 3);
        if (n % 2 == 0) {
            item.copySequenceID = testTime(0);
            item.copySequenceOrder = (n * 7919) % 13;
        }
        items.append(item);
    }
    AppModel model;
    model.setItems(items);
    AppPreferences preferences;
    preferences.copySequenceModeEnabled = true;
    model.setPreferences(preferences);
    QList<int> numbers = numbersOf(model.filteredItems());
    std::sort(numbers.begin(), numbers.end());
    QList<int> expected;
    for (int n = 1; n <= 400; ++n)
        expected.append(n);
    EXPECT_EQ(numbers, expected);
}

// The visible list equals the plain computation (search text compared without regard to case, a stable sort by
// sortsBefore) for random histories, tokens and queries, also while items change under the same ids.
TEST(HistoryFiltering, MatchesThePlainComputation)
{
    QRandomGenerator random(20240501);
    const QStringList words = {u"alpha"_qs, u"Beta"_qs, u"GAMMA"_qs, u"délta"_qs, u"ß"_qs, u"Ǆ"_qs, u"x"_qs, u" "_qs,
        u"ΣΊΣ"_qs, u"µ"_qs, u"😀x"_qs, u"İ"_qs};
    auto randomText = [&] {
        QString text;
        const int count = random.bounded(1, 6);
        for (int i = 0; i < count; ++i)
            text += words.at(random.bounded(words.size()));
        return text;
    };
    auto randomItem = [&](int n) {
        ClipboardItem item = testItem(n, randomText());
        item.kind = ClipboardKind(ClipboardKind::allCases.at(random.bounded(5)));
        // Whole seconds within a few minutes, so that times tie often.
        item.copiedAt = testTime(0).addSecs(random.bounded(120));
        item.firstCopiedAt = item.copiedAt.addSecs(-random.bounded(30));
        item.copyCount = random.bounded(4);
        item.byteSize = random.bounded(4);
        item.isFavorite = random.bounded(4) == 0;
        item.tags = {random.bounded(4)};
        if (random.bounded(3) == 0)
            item.sourceAppName = words.at(random.bounded(4));
        return item.refreshingSearchText({});
    };

    QList<ClipboardItem> items;
    for (int n = 1; n <= 300; ++n)
        items.append(randomItem(n));
    AppModel model;
    model.setItems(items);

    for (int round = 0; round < 200; ++round) {
        // Change the history now and then: same ids, new contents.
        if (round % 10 == 5) {
            for (int k = 0; k < 20; ++k) {
                const int n = random.bounded(1, 301);
                ClipboardItem changed = randomItem(n);
                if (k % 2)
                    model.updateItem(changed);
                else
                    items.replace(std::find_if(items.cbegin(), items.cend(),
                                      [&](const ClipboardItem &item) { return item.id == changed.id; })
                            - items.cbegin(),
                        changed);
            }
            if (round % 20 == 5) {
                model.setItems(items);
            } else {
                std::rotate(items.begin(), items.begin() + 7, items.end()); // every item in a new place
                model.setItems(items);
            }
            items = model.items();
        }
        AppPreferences preferences;
        preferences.pinFavoritesToTop = random.bounded(2);
        model.setPreferences(preferences);
        model.setHistorySortOption(HistorySortOption(HistorySortOption::allCases.at(random.bounded(4))));
        model.setHistorySortReversed(random.bounded(2));
        model.setSelectedHistoryFilterContentTypes(
            random.bounded(3) ? Types() : Types {HistoryFilterContentType::text, HistoryFilterContentType::links});
        model.setSelectedHistoryFilterTagIDs(random.bounded(3) ? QSet<qint64>() : QSet<qint64> {1, 2});
        model.setSearchQuery(random.bounded(4) ? words.at(random.bounded(words.size())).toUpper() : QString());

        QList<ClipboardItem> expected;
        const QString query = model.searchQuery().trimmed();
        for (const ClipboardItem &item : model.items()) {
            const Types &types = model.selectedHistoryFilterContentTypes();
            if (!types.isEmpty() && item.kind != ClipboardKind::text && item.kind != ClipboardKind::richText
                && item.kind != ClipboardKind::link)
                continue;
            if (!model.selectedHistoryFilterTagIDs().isEmpty()
                && !model.selectedHistoryFilterTagIDs().contains(item.tags.value(0)))
                continue;
            if (!query.isEmpty()
                && !TextUtilities::fullCaseFolded(item.searchText).contains(TextUtilities::fullCaseFolded(query)))
                continue;
            expected.append(item);
        }
        std::stable_sort(expected.begin(), expected.end(),
            [&](const ClipboardItem &a, const ClipboardItem &b) { return model.sortsBefore(a, b); });
        ASSERT_EQ(numbersOf(model.filteredItems()), numbersOf(expected)) << "round " << round;
    }
}

// The search folds each text once and searches the folded forms; that must agree with ICU's full case folding, for
// every character, in texts that fit Latin-1 and in those that do not.
TEST(HistorySearch, FoldedSearchAgreesWithFullCaseFolding)
{
    for (char32_t c = 1; c < 0x110000; ++c) {
        if (c >= 0xD800 && c < 0xE000)
            continue;
        // Not QString::fromUcs4, which drops a byte order mark.
        const char16_t pair[] = {QChar::highSurrogate(c), QChar::lowSurrogate(c)};
        const QString text = QChar::requiresSurrogates(c) ? QString(reinterpret_cast<const QChar *>(pair), 2)
                                                          : QString(QChar(char16_t(c)));
        // The text's folding is the one ICU gives the code point alone.
        char16_t units[TextUtilities::maxFoldedUnits];
        const int count = TextUtilities::fullCaseFoldedInto(c, units);
        ASSERT_EQ(TextUtilities::fullCaseFolded(text), QStringView(units, count).toString()) << unsigned(c);
        ASSERT_EQ(CaseFoldedText(text).toString(), TextUtilities::fullCaseFolded(text)) << unsigned(c);
    }
    const QString texts[]
        = {u"Hello World"_qs, u"µ-Meter"_qs, u"STRASSE straße"_qs, u"ΣΊΣΥΦΟΣ"_qs, u"𐐀𐐨 Deseret"_qs, u"Ǆemal"_qs,
            u"İstanbul"_qs, u"\xe9t\xe9 à Paris"_qs, u"Großbuchstaben"_qs, u"ﬁne ﬂour"_qs, u"Kelvin \u212A"_qs};
    const QString needles[] = {u"hello"_qs, u"WORLD"_qs, u"μ"_qs, u"µ-m"_qs, u"SS"_qs, u"ẞ"_qs, u"σίσ"_qs, u"𐐨𐐨"_qs,
        u"ǆ"_qs, u"i̇"_qs, u"istan"_qs, u"ÉTÉ"_qs, u"ete"_qs, u"o w"_qs, u"x"_qs, u"gross"_qs, u"fine fl"_qs, u"k"_qs};
    for (const QString &text : texts) {
        for (const QString &needle : needles) {
            EXPECT_EQ(CaseFoldedText(text).contains(CaseFoldedText::needle(needle)),
                TextUtilities::fullCaseFolded(text).contains(TextUtilities::fullCaseFolded(needle)))
                << qPrintable(text) << " / " << qPrintable(needle);
        }
    }
    EXPECT_TRUE(CaseFoldedTextProbe::isLatin1(CaseFoldedText(u"Hello"_qs)));
    EXPECT_TRUE(CaseFoldedTextProbe::isLatin1(CaseFoldedText(u"Straße, ẞ and ﬁ"_qs))); // "ss", "ss" and "fi"
    EXPECT_FALSE(CaseFoldedTextProbe::isLatin1(CaseFoldedText(u"µ"_qs))); // the micro sign folds to the Greek letter
}

// A search finds a text whatever case either is written in, the sharp s matching "ss" both ways and a ligature its
// letters; accents count. What the model shows for each query, over texts that fold to Latin-1 and wider ones.
TEST(HistorySearch, FoldsCaseFullyAndKeepsAccents)
{
    AppModel model;
    const QStringList texts = {u"Großbuchstaben"_qs, u"STRASSE"_qs, u"straße"_qs, u"Café au lait"_qs, u"cafe latte"_qs,
        u"ﬁnal draft"_qs, u"Ελληνικά und Maß"_qs};
    QList<ClipboardItem> items;
    for (int n = 0; n < texts.size(); ++n)
        items.append(testItem(n + 1, texts.at(n)));
    model.setItems(items);
    const struct
    {
        QString query;
        QStringList found;
    } cases[] = {
        {u"gross"_qs, {u"Großbuchstaben"_qs}},
        {u"GROSSB"_qs, {u"Großbuchstaben"_qs}},
        {u"straße"_qs, {u"STRASSE"_qs, u"straße"_qs}},
        {u"STRASSE"_qs, {u"STRASSE"_qs, u"straße"_qs}},
        {u"STRAẞE"_qs, {u"STRASSE"_qs, u"straße"_qs}},
        {u"mass"_qs, {u"Ελληνικά und Maß"_qs}},
        {u"ΕΛΛΗΝ"_qs, {u"Ελληνικά und Maß"_qs}},
        {u"final"_qs, {u"ﬁnal draft"_qs}},
        {u"CAFÉ"_qs, {u"Café au lait"_qs}}, // accents count: not the plain "cafe"
        {u"cafe"_qs, {u"cafe latte"_qs}},
    };
    for (const auto &c : cases) {
        model.setSearchQuery(c.query);
        QStringList found;
        for (const ClipboardItem &item : model.filteredItems())
            found.append(item.text.value_or(QString()));
        found.sort();
        QStringList expected = c.found;
        expected.sort();
        EXPECT_EQ(found, expected) << qPrintable(c.query);
    }
}

// Longer texts are searched many characters at a time: a needle is found at every place, near the ends and across
// those blocks, and a place where only its first and last characters agree is no match. In each form a text takes:
// folded to Latin-1, left as it is (lower case), and wide.
TEST(HistorySearch, FindsTheNeedleAtEveryPlace)
{
    const QString fillers[] = {u"Abcdefghij"_qs, u"abcdefghij"_qs, u"Αβγδεζηθικ"_qs};
    const QString needles[] = {u"q"_qs, u"QZ"_qs, u"qxz"_qs, u"qxyxyxyxyxyxyxyxyxyxyxyxyxyxyxz"_qs,
        u"qxyxyxyxyxyxyxyxyxyxyxyxyxyxyxyxyxyxyxz"_qs};
    for (const QString &filler : fillers) {
        for (const QString &needle : needles) {
            QString near = needle;
            if (near.size() > 2)
                near[1] = u'w'; // the first and last characters agree, what lies between does not
            for (qsizetype size = needle.size(); size <= 70; ++size) {
                QString base;
                while (base.size() < size)
                    base += filler;
                base.truncate(size);
                for (qsizetype at = 0; at + needle.size() <= size; ++at) {
                    QString text = base;
                    text.replace(at, needle.size(), needle);
                    ASSERT_TRUE(CaseFoldedText(text).contains(CaseFoldedText::needle(needle)))
                        << qPrintable(text) << " / " << qPrintable(needle);
                    if (near.size() > 2) {
                        text = base;
                        text.replace(at, near.size(), near);
                        ASSERT_FALSE(CaseFoldedText(text).contains(CaseFoldedText::needle(needle)))
                            << qPrintable(text) << " / " << qPrintable(needle);
                    }
                }
                ASSERT_FALSE(CaseFoldedText(base).contains(CaseFoldedText::needle(needle))) << qPrintable(base);
            }
        }
    }
}
