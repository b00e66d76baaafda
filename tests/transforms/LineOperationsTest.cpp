#include "TransformCases.h"

#include <algorithm>

using T = ClipboardTextTransform;

TEST(LineOperations, PerLineTransforms)
{
    expectTransforms({
        {T::addLineNumbers, QStringLiteral("a\nb\n"), QStringLiteral("1. a\n2. b\n3. ")},
        {T::numberedList, QStringLiteral("a\r\n\rb"), QStringLiteral("1. a\n2. \n3. b")},
        {T::quoteEachLine, QStringLiteral("a\n"), QStringLiteral("\"a\"\n\"\"")},
        {T::indentLines, QStringLiteral("a\r\n"), QStringLiteral("    a\n    ")},
        {T::unindentLines, QStringLiteral("      six\n\t    tab\n  two\nnone\n    "),
            QStringLiteral("  six\n    tab\n two\nnone\n")},
        {T::doubleSpaceLines, QStringLiteral("a\r\nb\n"), QStringLiteral("a\n\nb\n\n")},
        {T::trimTrailingSpacesAllLines, QStringLiteral("a \t\nb\u3000\u00A0\r\n c \u2028"),
            QStringLiteral("a\nb\n c \u2028")},
        {T::trimLeadingWhitespaces, QStringLiteral(" \ta \n\u2003b\n\u2028c"), QStringLiteral("a \nb\n\u2028c")},
        // A prepended mark and the space after it are one character, and it goes whole.
        {T::trimTrailingSpacesAllLines, QStringLiteral("x\u0600 \t"), QStringLiteral("x")},
        // A space carrying a combining mark is one character, and it goes whole.
        {T::trimLeadingWhitespaces, QStringLiteral(" \u0301x"), QStringLiteral("x")},
        {T::reverseLines, QStringLiteral("a\nb\n"), QStringLiteral("\nb\na")},
    });
}

TEST(LineOperations, JoiningAndSplittingItems)
{
    expectTransforms({
        {T::joinLines, QStringLiteral("  a \n\n\tb\r\n  \nc"), QStringLiteral("a, b, c")},
        {T::linesToCSV, QStringLiteral("  a \n\n\tb\r\n  \nc"), QStringLiteral("a, b, c")},
        {T::joinLines, QStringLiteral("  \n\t\n"), QString()},
        {T::csvToLines, QStringLiteral("a, b,,c"), QStringLiteral("a\nb\nc")},
        // Quotes are not interpreted, and line breaks inside a piece stay.
        {T::csvToLines, QStringLiteral("\"x, y\",z\n,w\nv"), QStringLiteral("\"x\ny\"\nz\nw\nv")},
        {T::addBullets, QStringLiteral("a, b\nc\n\n d ,"), QStringLiteral("- a\n- b\n- c\n- d")},
        {T::addBullets, QStringLiteral(" , \n"), QString()},
        {T::removeLineBreaks, QStringLiteral("one\r\ntwo \r\n\r\n  three\u2029four"),
            QStringLiteral("one two three four")},
    });
}

TEST(LineOperations, DuplicatesAndBlankLines)
{
    expectTransforms({
        {T::removeDuplicateLines, QStringLiteral("Apple\napple\nApple\n\n\n"), QStringLiteral("Apple\napple\n")},
        {T::removeDuplicateLines, QStringLiteral("a\r\nb\na"), QStringLiteral("a\nb")},
        {T::removeEmptyLines, QStringLiteral("a\n\n  \n\t\nb"), QStringLiteral("a\n\nb")},
        {T::removeEmptyLines, QStringLiteral("\n\na\n \n\n"), QStringLiteral("\na\n")},
        {T::removeEmptyLines, QStringLiteral("  a  \n"), QStringLiteral("  a  \n")},
    });
}

TEST(LineOperations, Sorting)
{
    expectTransforms({
        {T::naturalSortLines, QStringLiteral("file10\nfile2\nFile1"), QStringLiteral("File1\nfile2\nfile10")},
        {T::naturalSortLinesDescending, QStringLiteral("file2\nfile10\nfile1"), QStringLiteral("file10\nfile2\nfile1")},
        {T::sortLines, QStringLiteral("file10\nfile2\nFile1"), QStringLiteral("File1\nfile10\nfile2")},
        // Lines that differ only in case compare equal and keep their order, in both directions.
        {T::sortLines, QStringLiteral("b\nApple\napple\nAPPLE\na"), QStringLiteral("a\nApple\napple\nAPPLE\nb")},
        {T::sortLinesDescending, QStringLiteral("APPLE\nb\napple\nc"), QStringLiteral("c\nb\nAPPLE\napple")},
        // Accents sort with their letters, not after "z".
        {T::sortLines, QStringLiteral("zebra\nÉclair\neagle"), QStringLiteral("eagle\nÉclair\nzebra")},
        {T::sortLinesByLength, QStringLiteral("bb\na\nB\nccc"), QStringLiteral("B\na\nbb\nccc")},
        {T::sortLinesByLengthDescending, QStringLiteral("bb\na\nB\nccc"), QStringLiteral("ccc\nbb\na\nB")},
        // Length counts characters: a flag is one, "e" with a combining accent is one.
        {T::sortLinesByLength, QStringLiteral(u"abc\n\U0001F1EB\U0001F1EEx\ne\u0301"),
            QStringLiteral(u"e\u0301\n\U0001F1EB\U0001F1EEx\nabc")},
        {T::sortLines, QStringLiteral("b\r\na\r\n"), QStringLiteral("\na\nb")},
    });
}

TEST(LineOperations, ShuffleKeepsEveryLine)
{
    QStringList lines;
    for (int i = 0; i < 40; ++i)
        lines.append(QStringLiteral("line %1").arg(i));
    const QString text = lines.join(QStringLiteral("\r\n"));
    bool anyChanged = false;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const QString shuffled = T(T::shuffleLines).apply(text);
        QStringList result = shuffled.split(QLatin1Char('\n'));
        anyChanged = anyChanged || result != lines;
        std::sort(result.begin(), result.end());
        QStringList expected = lines;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(result, expected);
    }
    EXPECT_TRUE(anyChanged) << "five shuffles of forty lines all gave the input order";
}
