#include "TransformCases.h"

#include "IcuRegex.h"

using T = ClipboardTextTransform;

TEST(WhitespaceAndMarkup, WhiteSpaceAndTrimming)
{
    expectTransforms({
        {T::removeAllSpacing, QStringLiteral("  one\n\t  two  \r\n three\u00A0four "),
            QStringLiteral("one two three four")},
        {T::normalizeWhitespace, QStringLiteral("  one\n\t  two  \r\n three "), QStringLiteral("one two three")},
        {T::removeExtraSpaces, QStringLiteral("  a   b \t c  \r\n\r\n d  "), QStringLiteral("a b c\n\nd")},
        {T::removeWhitespaces, QStringLiteral("a b\tc\r\nd\u3000e\u2028f"), QStringLiteral("abcdef")},
        {T::trimSurroundingWhitespaces, QStringLiteral(" \n abc \u3000\n"), QStringLiteral("abc")},
        // Trimming stops at the first character that is not a line break.
        {T::trimTrailingNewlines, QStringLiteral("\r\n\nabc\n  \n"), QStringLiteral("abc\n  ")},
        {T::trimTrailingSpaces, QStringLiteral(" \t abc \n "), QStringLiteral("abc \n")},
        {T::tabsToSpaces, QStringLiteral("a\tb\t"), QStringLiteral("a    b    ")},
        {T::spacesToTabs, QStringLiteral("      "), QStringLiteral("\t  ")},
        {T::spacesToTabs, QStringLiteral("        x"), QStringLiteral("\t\tx")},
        {T::spacesToTabs, QStringLiteral("   "), QStringLiteral("   ")},
        {T::escapeNewlines, QStringLiteral("a\r\nb\n"), QStringLiteral("a\r\\nb\\n")},
        {T::unescapeNewlines, QStringLiteral("one\\ntwo C:\\new"), QStringLiteral("one\ntwo C:\new")},
    });
}

TEST(WhitespaceAndMarkup, WrappingAndReversing)
{
    expectTransforms({
        {T::wrapInQuotes, QString(), QStringLiteral("\"\"")},
        {T::wrapInSingleQuotes, QStringLiteral("a"), QStringLiteral("'a'")},
        {T::wrapInBrackets, QStringLiteral("a\nb"), QStringLiteral("[a\nb]")},
        {T::wrapInParentheses, QStringLiteral("a"), QStringLiteral("(a)")},
        // Flags, combined characters and Windows line breaks stay whole.
        {T::reverseText, QStringLiteral(u"\U0001F1EB\U0001F1EEab"), QStringLiteral(u"ba\U0001F1EB\U0001F1EE")},
        {T::reverseText, QStringLiteral("e\u0301x\r\ny"), QStringLiteral("y\r\nxe\u0301")},
        {T::reverseWords, QStringLiteral(" one two\nthree\t"), QStringLiteral("three two one")},
    });
}

TEST(WhitespaceAndMarkup, Quotes)
{
    expectTransforms({
        {T::smartQuotes, QStringLiteral("\"a\" \"b\""), QStringLiteral("“a” “b”")},
        {T::smartQuotes, QStringLiteral("\"a\" \""), QStringLiteral("“a” “")},
        // Strict alternation: the apostrophe also toggles.
        {T::smartQuotes, QStringLiteral("it's 'x'"), QStringLiteral("it‘s ’x‘")},
        {T::straightQuotes, QStringLiteral("“a” ‘b’ – — … «c» „d‚"), QStringLiteral("\"a\" 'b' - - ... \"c\" \"d'")},
    });
}

TEST(WhitespaceAndMarkup, AccentsAndSlugs)
{
    expectTransforms({
        {T::slugify, QStringLiteral("Crème Brûlée à la Mode!"), QStringLiteral("creme-brulee-a-la-mode")},
        {T::slugify, QStringLiteral("--Ｆｕｌｌ　Width__2--"), QStringLiteral("full-width-2")},
        {T::slugify, QStringLiteral("!!! ¿? "), QString()},
        {T::removeAccents, QStringLiteral("Crème Brûlée, Tiếng Việt, Ångström"),
            QStringLiteral("Creme Brulee, Tieng Viet, Angstrom")},
        // Already decomposed accents go too.
        {T::removeAccents, QStringLiteral("e\u0301te\u0301"), QStringLiteral("ete")},
        {T::removeAccents, QStringLiteral("ＡＢＣ１２　ｶﾞｷﾞ"), QStringLiteral("ABC12 ガギ")},
        // Letters without accents, kana voiced marks and symbols built with an overlay stay as they are.
        {T::removeAccents, QStringLiteral("ø ł ß ﬁ が ≠ 한국"), QStringLiteral("ø ł ß ﬁ が ≠ 한국")},
    });
}

TEST(WhitespaceAndMarkup, StripMarkup)
{
    expectTransforms({
        {T::stripHTMLTags, QStringLiteral("<p>Hi <b>there</b></p>\n<script>run()</script>"),
            QStringLiteral("Hi there\nrun()")},
        {T::stripHTMLTags, QStringLiteral("a <> b &amp; <c"), QStringLiteral("a <> b &amp; <c")},
        {T::stripHTMLTags, QStringLiteral("x < y > z"), QStringLiteral("x  z")},
        {T::stripMarkdown, QStringLiteral("![alt text](img.png) and [link](http://x.y)"),
            QStringLiteral("alt text and link")},
        {T::stripMarkdown, QStringLiteral("snake_case_name"), QStringLiteral("snakecasename")},
        // The white space before a bullet spans line breaks, so the blank line before it goes.
        {T::stripMarkdown, QStringLiteral("Intro\n\n- item"), QStringLiteral("Intro\nitem")},
        {T::stripMarkdown, QStringLiteral("# Title\n> quote\n1. one\n**bold** and `code` ~~old~~"),
            QStringLiteral("Title\nquote\none\nbold and code old")},
    });
}

namespace {

// The Markdown steps as the regular expressions they are defined by.
QString markdownByRegularExpressions(QString text)
{
    static const std::vector<std::pair<IcuRegex, QString>> steps = [] {
        std::vector<std::pair<IcuRegex, QString>> list;
        list.emplace_back(IcuRegex(QStringLiteral("!\\[([^\\]]*)\\]\\([^)]+\\)")), QStringLiteral("$1"));
        list.emplace_back(IcuRegex(QStringLiteral("\\[([^\\]]+)\\]\\([^)]+\\)")), QStringLiteral("$1"));
        list.emplace_back(IcuRegex(QStringLiteral("(?m)^\\s{0,3}#{1,6}\\s*")), QString());
        list.emplace_back(IcuRegex(QStringLiteral("(?m)^\\s*>\\s?")), QString());
        list.emplace_back(IcuRegex(QStringLiteral("(?m)^\\s*[-*+]\\s+")), QString());
        list.emplace_back(IcuRegex(QStringLiteral("(?m)^\\s*\\d+\\.\\s+")), QString());
        list.emplace_back(IcuRegex(QStringLiteral("`{1,3}")), QString());
        list.emplace_back(IcuRegex(QStringLiteral("[*_~]{1,3}")), QString());
        return list;
    }();
    for (const auto &[regex, replacement] : steps)
        text = regex.replaceAll(text, replacement);
    return text;
}

} // namespace

TEST(WhitespaceAndMarkup, StripMarkdownAgreesWithItsRegularExpressions)
{
    RandomTexts texts({QStringLiteral("!"), QStringLiteral("["), QStringLiteral("]"), QStringLiteral("("),
        QStringLiteral(")"), QStringLiteral("#"), QStringLiteral(">"), QStringLiteral("-"), QStringLiteral("*"),
        QStringLiteral("+"), QStringLiteral("1"), QStringLiteral("\u0663"), QStringLiteral(u"\U0001D7CE"),
        QStringLiteral("."), QStringLiteral(" "), QStringLiteral("\t"), QStringLiteral("\n"), QStringLiteral("\r"),
        QStringLiteral("\u2028"), QStringLiteral("\u00A0"), QStringLiteral("\u000B"), QStringLiteral("a"),
        QStringLiteral("`"), QStringLiteral("_")});
    for (int i = 0; i < 20000; ++i) {
        const QString text = texts.next(30);
        ASSERT_EQ(T(T::stripMarkdown).apply(text), markdownByRegularExpressions(text)) << text.toStdString();
    }
}

TEST(WhitespaceAndMarkup, StripHtmlTagsAgreesWithItsRegularExpression)
{
    const IcuRegex tag(QStringLiteral("<[^>]+>"));
    RandomTexts texts({QStringLiteral("<"), QStringLiteral(">"), QStringLiteral("a"), QStringLiteral("\n")});
    for (int i = 0; i < 5000; ++i) {
        const QString text = texts.next();
        ASSERT_EQ(T(T::stripHTMLTags).apply(text), tag.replaceAll(text, u"")) << text.toStdString();
    }
}
