#include "TransformCases.h"

#include "IcuRegex.h"
#include "Localization.h"
#include "TransformSupport.h"

#include <QSet>

#include <unicode/brkiter.h>

#include <atomic>
#include <memory>
#include <thread>

using T = ClipboardTextTransform;

TEST(TransformCatalogue, ListsEveryCaseOnceInDeclarationOrder)
{
    const auto &cases = T::allCases();
    ASSERT_EQ(cases.size(), 74u);
    EXPECT_EQ(cases.front(), T::apTitleCase);
    EXPECT_EQ(cases.back(), T::trimSurroundingWhitespaces);
    QSet<QString> titles;
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(int(cases[i]), int(i));
        titles.insert(T(cases[i]).englishTitle());
    }
    EXPECT_EQ(titles.size(), 74) << "every case has a title of its own";
    EXPECT_EQ(T(T::capitalizeWords).englishTitle(), QStringLiteral("Capitalize words"));
    EXPECT_EQ(T(T::escapeNewlines).englishDescription(), QStringLiteral("Convert newlines to \\n literal."));
}

TEST(TransformCatalogue, TitlesAndDescriptionsAreTranslatedIntoEveryLanguage)
{
    const StringCatalog &catalog = StringCatalog::application();
    for (const QString &language : supportedInterfaceLanguages()) {
        if (language == QLatin1String("en"))
            continue; // the English texts are the keys
        const auto bundle = catalog.bundle(language);
        ASSERT_TRUE(bundle.has_value()) << language.toStdString();
        for (const T::Value value : T::allCases()) {
            const T transform(value);
            EXPECT_NE(bundle->entry(transform.englishTitle()), nullptr)
                << transform.englishTitle().toStdString() << " lacks " << language.toStdString();
            EXPECT_NE(bundle->entry(transform.englishDescription()), nullptr)
                << transform.englishDescription().toStdString() << " lacks " << language.toStdString();
        }
    }
}

TEST(TransformCatalogue, TitleFollowsTheInterfaceLanguage)
{
    const QString previous = currentInterfaceLanguage();
    setCurrentInterfaceLanguage(QStringLiteral("en"));
    EXPECT_EQ(T(T::sortLines).title(), QStringLiteral("Sort Lines"));
    EXPECT_EQ(T(T::sortLines).description(), QStringLiteral("Sort lines alphabetically."));
    setCurrentInterfaceLanguage(QStringLiteral("de"));
    EXPECT_EQ(T(T::sortLines).title(), QStringLiteral("Zeilen sortieren"));
    setCurrentInterfaceLanguage(QStringLiteral("en-GB"));
    EXPECT_EQ(T(T::normalizeWhitespace).title(), QStringLiteral("Normalise Whitespace"));
    setCurrentInterfaceLanguage(previous);
}

TEST(TransformCatalogue, EveryCaseHandlesTheEmptyText)
{
    // Only these give something for nothing; every other transform returns the empty text.
    const QHash<T::Value, QString> nonEmpty {
        {T::addLineNumbers, QStringLiteral("1. ")},
        {T::numberedList, QStringLiteral("1. ")},
        {T::quoteEachLine, QStringLiteral("\"\"")},
        {T::indentLines, QStringLiteral("    ")},
        {T::wrapInBrackets, QStringLiteral("[]")},
        {T::wrapInParentheses, QStringLiteral("()")},
        {T::wrapInQuotes, QStringLiteral("\"\"")},
        {T::wrapInSingleQuotes, QStringLiteral("''")},
        {T::md5Hash, QStringLiteral("d41d8cd98f00b204e9800998ecf8427e")},
        {T::sha256Hash, QStringLiteral("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855")},
    };
    for (const T::Value value : T::allCases()) {
        const QString result = T(value).apply(QString());
        if (value == T::generateUUID)
            EXPECT_EQ(result.size(), 36);
        else
            EXPECT_EQ(result, nonEmpty.value(value)) << T(value).englishTitle().toStdString();
    }
}

TEST(TransformCatalogue, TransformsRunOnSeveralThreadsAtOnce)
{
    const QString text = QStringLiteral(
        "# Notes\nuser@host ~ % ls\nsnake_case éclair file10\nfile2 a@b.io <b>x</b>\n\u276F run \U0001F1EB\U0001F1EE\n")
                             .repeated(200);
    const QList<T::Value> transforms {T::sortLines, T::naturalSortLines, T::extractEmails, T::stripMarkdown,
        T::cleanTerminalCommand, T::capitalizeWords, T::removeAccents, T::reverseText, T::extractURLs};
    QList<QString> expected;
    for (const T::Value value : transforms)
        expected.append(T(value).apply(text));
    std::vector<std::thread> threads;
    std::atomic<int> mismatches = 0;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int round = 0; round < 5; ++round) {
                for (qsizetype i = 0; i < transforms.size(); ++i) {
                    if (T(transforms.at(i)).apply(text) != expected.at(i))
                        ++mismatches;
                }
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, 0);
}

TEST(TransformSupport, SplitLinesTurnsEveryLineEndingIntoOneBreak)
{
    using TransformSupport::splitLines;
    EXPECT_EQ(splitLines(QStringLiteral("a\r\nb\rc\n")),
        (QStringList {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QString()}));
    EXPECT_EQ(splitLines(QString()), QStringList {QString()});
    EXPECT_EQ(splitLines(QStringLiteral("\n\r\r\n")), (QStringList {QString(), QString(), QString(), QString()}));
}

TEST(TransformSupport, IdentifierWordsSplitHumpsAndDropSeparators)
{
    using TransformSupport::identifierWords;
    const QList<std::pair<QString, QStringList>> cases {
        {QStringLiteral("loadXMLData2Fast"),
            {QStringLiteral("load"), QStringLiteral("XMLData2"), QStringLiteral("Fast")}},
        {QStringLiteral("XMLFile"), {QStringLiteral("XMLFile")}},
        {QStringLiteral("ab1C"), {QStringLiteral("ab1"), QStringLiteral("C")}},
        {QStringLiteral("don't stop-me_now 🙂 ok"),
            {QStringLiteral("don"), QStringLiteral("t"), QStringLiteral("stop"), QStringLiteral("me"),
                QStringLiteral("now"), QStringLiteral("ok")}},
        // Letters outside the Basic Multilingual Plane are letters too: mathematical bold A is upper case.
        {QStringLiteral(u"x\U0001D400y"), {QStringLiteral(u"x"), QStringLiteral(u"\U0001D400y")}},
        {QStringLiteral("  --  "), {}},
    };
    for (const auto &[text, words] : cases)
        EXPECT_EQ(identifierWords(text), words) << text.toStdString();
}

TEST(TransformSupport, IdentifierWordsAgreeWithTheirRegularExpressions)
{
    // The words are defined by a replacement of "([\p{Ll}\p{Nd}])([\p{Lu}])" with "$1 $2" and then the matches of
    // "[\p{L}\p{N}]+"; the hand-written scanner must give the same on any text.
    const IcuRegex hump(QStringLiteral("([\\p{Ll}\\p{Nd}])([\\p{Lu}])"));
    const IcuRegex word(QStringLiteral("[\\p{L}\\p{N}]+"));
    RandomTexts texts({QStringLiteral("a"), QStringLiteral("B"), QStringLiteral("7"), QStringLiteral("\u01C5"),
        QStringLiteral("\u00B2"), QStringLiteral("\u0301"), QStringLiteral(" "), QStringLiteral("_"),
        QStringLiteral(u"\U0001D400"), QStringLiteral(u"\U0001D7CE"), QStringLiteral("\u0661"),
        QString(QChar(0xD800))});
    for (int i = 0; i < 5000; ++i) {
        const QString text = texts.next();
        const QString spaced = hump.replaceAll(text, u"$1 $2");
        EXPECT_EQ(TransformSupport::identifierWords(text), TransformSupport::regexMatches(spaced, word))
            << text.toStdString();
    }
}

TEST(TransformSupport, GraphemeBoundariesAgreeWithIcu)
{
    // Every kind of character that takes part in the grapheme rules, and plain ones from several scripts.
    RandomTexts texts({QStringLiteral("a"), QStringLiteral("\r"), QStringLiteral("\n"), QStringLiteral("\u0007"),
        QStringLiteral("\u0301"), QStringLiteral("\u200D"), QStringLiteral("\u0903"), QStringLiteral("\u093F"),
        QStringLiteral("\u0915"), QStringLiteral("\u094D"), QStringLiteral("\u0600"), QStringLiteral("\u1100"),
        QStringLiteral("\u1161"), QStringLiteral("\u11A8"), QStringLiteral("\uAC00"), QStringLiteral("\uAC01"),
        QStringLiteral(u"\U0001F1EB"), QStringLiteral(u"\U0001F469"), QStringLiteral(u"\U0001F3FD"),
        QStringLiteral("\uFE0F"), QStringLiteral("\u0416"), QStringLiteral("\u6F22"), QStringLiteral("\uFF76"),
        QStringLiteral("\uFF9E"), QString(QChar(0xD800)), QString(QChar(0xDC00)), QStringLiteral(" ")});
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> icu(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    ASSERT_TRUE(U_SUCCESS(status));
    TransformSupport::GraphemeCursor cursor;
    for (int i = 0; i < 20000; ++i) {
        const QString text = texts.next(16);
        const icu::UnicodeString alias(false, reinterpret_cast<const UChar *>(text.utf16()), int32_t(text.size()));
        icu->setText(alias);
        QList<qsizetype> expected;
        for (int32_t b = icu->first(); b != icu::BreakIterator::DONE; b = icu->next())
            expected.append(b);
        cursor.setText(text);
        QList<qsizetype> boundaries {0};
        for (qsizetype position = 0; position < text.size();)
            boundaries.append(position = cursor.nextBoundary(position));
        ASSERT_EQ(boundaries, expected) << QStringList([&] {
            QStringList codes;
            for (const QChar c : text)
                codes.append(QString::number(c.unicode(), 16));
            return codes;
        }())
                                               .join(u' ')
                                               .toStdString();
    }
}
