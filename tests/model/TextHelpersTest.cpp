#include "IcuRegex.h"
#include "RichTextConversion.h"
#include "Tag.h"
#include "TextUtilities.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

TEST(TextUtilities, CharacterSetsAndTrimming)
{
    EXPECT_EQ(TextUtilities::trimmedWhitespaceAndNewlines(u"\u00a0\t hi there\r\n\u2029"), QStringLiteral("hi there"));
    EXPECT_TRUE(TextUtilities::isBlank(u" \n\t\u3000"));
    EXPECT_FALSE(TextUtilities::isBlank(u" x "));
    EXPECT_TRUE(TextUtilities::isControl(0x200B)); // zero-width space is a format character
    EXPECT_FALSE(TextUtilities::isWhitespace(0x200B));
    EXPECT_EQ(TextUtilities::firstLine(u"one\u0085two"), QStringView(u"one"));
    EXPECT_EQ(TextUtilities::normalizedLineEndings(QStringLiteral("a\r\nb\rc\n")), QStringLiteral("a\nb\nc\n"));
}

TEST(IcuRegex, MatchesReplacesAndSplitsInUtf16Units)
{
    const IcuRegex words(QStringLiteral("(\\w+)@(\\w+)"));
    ASSERT_TRUE(words.isValid());
    const QString subject = QString::fromUtf8("😀 ab@cd ef@gh");
    const auto first = words.firstMatch(subject);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->range().start, 3); // the emoji is two code units
    EXPECT_EQ(first->captured(subject, 2), QStringView(u"cd"));
    EXPECT_EQ(words.countMatches(subject), 2);
    EXPECT_EQ(words.replaceAll(subject, u"$2 at $1 \\$"), QString::fromUtf8("😀 cd at ab $ gh at ef $"));

    EXPECT_TRUE(IcuRegex(QStringLiteral("^abc$"), IcuRegex::CaseInsensitive | IcuRegex::AnchorsMatchLines)
                    .search(u"x\nABC\ny"));
    EXPECT_EQ(IcuRegex(QStringLiteral(",\\s*")).split(u"a, b,c"),
        (QStringList {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_FALSE(IcuRegex(QStringLiteral("(unclosed")).isValid());
    EXPECT_FALSE(IcuRegex(QStringLiteral("(unclosed")).search(u"(unclosed"));

    const QString literal = QStringLiteral("a.b*c (d) $1 \\");
    EXPECT_TRUE(IcuRegex(QLatin1Char('^') + IcuRegex::escapedPattern(literal) + QLatin1Char('$')).search(literal));
    EXPECT_EQ(IcuRegex(QStringLiteral("x")).replaceAll(u"x", IcuRegex::escapedTemplate(literal)), literal);
}

TEST(RichTextConversion, HtmlToText)
{
    const struct
    {
        const char *html;
        const char *text;
    } cases[] = {
        {"<p>Hello <b>world</b></p>", "Hello world"},
        {"a<br>b<br/>c", "a\nb\nc"},
        {"<ul><li>one</li><li>two</li></ul>", "one\ntwo"},
        {"Fish &amp; chips &lt;3 &#169; &#x263A; &unknown;", "Fish & chips <3 © ☺ &unknown;"},
        {"Caf&eacute; cr&egrave;me &ndash; &Omega;", "Café crème – Ω"},
        {"<html><head><style>p{}</style><title>T</title></head><body>  spaced \n  out  </body></html>", "spaced out"},
        {"<pre>  keep\n    this</pre>", "  keep\n    this"},
        {"<!-- hidden --><script>var a = '<p>';</script>shown", "shown"},
        {"<table><tr><td>a</td><td>b</td></tr></table>", "a\tb"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RichTextConversion::plainTextFromHtml(QString::fromUtf8(c.html)), QString::fromUtf8(c.text))
            << c.html;
}

TEST(RichTextConversion, RtfToText)
{
    const struct
    {
        const char *rtf;
        const char *text;
    } cases[] = {
        {"{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Times;}}{\\colortbl;\\red0\\green0\\blue0;}\\f0\\fs24 Hello\\par World}",
            "Hello\nWorld"},
        {"{\\rtf1 caf\\'e9 \\u8364? and \\{braces\\}}", "café € and {braces}"},
        {"{\\rtf1{\\*\\generator Writer;}{\\*\\unknowndest skip me}kept\\tab col}", "kept\tcol"},
        {"{\\rtf1\\uc2 x\\u-10179??\\u-8704??y}", "x😀y"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RichTextConversion::plainTextFromRtf(QByteArray(c.rtf)), QString::fromUtf8(c.text)) << c.rtf;
}

TEST(Tag, JsonNeedsAllThreeMembers)
{
    const Tag tag {7, QStringLiteral("Work"), QStringLiteral("#3B85ED")};
    EXPECT_EQ(Tag::fromJson(tag.toJson()), tag);
    EXPECT_NE(tag, (Tag {7, QStringLiteral("work"), QStringLiteral("#3B85ED")}));
    EXPECT_FALSE(Tag::fromJson(QJsonDocument::fromJson(R"({"id": 7, "name": "Work"})").object()));
    EXPECT_FALSE(Tag::fromJson(QJsonDocument::fromJson(R"({"id": "7", "name": "Work", "color": "#FFFFFF"})").object()));
}
