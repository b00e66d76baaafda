#include "HistoryPreviewText.h"

#include <QList>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

struct PreviewCase
{
    const char *name;
    QString text;
    std::optional<int> limit;
    QString expected;
};

const QString sep = QStringLiteral(" \u23CE ");
const QString emoji = QStringLiteral("\U0001F600"); // one character, two UTF-16 units

QString as(int count)
{
    return QString(count, u'a');
}

} // namespace

TEST(HistoryPreviewText, TurnsTextIntoOneMarkedLine)
{
    const QList<PreviewCase> cases = {
        {"empty", QString(), 2000, QString()},
        {"plain", u"hello world"_qs, 2000, u"hello world"_qs},
        {"empty line kept", u"a\n\nb"_qs, 2000, u"a"_qs + sep + sep + u"b"_qs},
        {"only newlines", u"\n\n"_qs, 2000, sep + sep},
        {"only blanks", u" \t \u00A0\u2003"_qs, 2000, QString()},
        {"line of tabs becomes empty", u"x\n\t\t\ny"_qs, 2000, u"x"_qs + sep + sep + u"y"_qs},
        {"leading blanks marked", u"  \tx"_qs, 2000, u"\u00B7\u00B7\u2192x"_qs},
        {"inner spaces stay, inner tabs marked", u"a  b\tc \t"_qs, 2000, u"a  b\u2192c \u2192"_qs},
        {"marks stop at a no-break space", u" \u00A0 x"_qs, 2000, u"\u00B7\u00A0 x"_qs},
        {"CRLF is one break", u"a\r\nb"_qs, 2000, u"a"_qs + sep + u"b"_qs},
        {"CR CR are two breaks", u"a\r\rb"_qs, 2000, u"a"_qs + sep + sep + u"b"_qs},
        {"LF CR are two breaks", u"a\n\rb"_qs, 2000, u"a"_qs + sep + sep + u"b"_qs},
        {"every newline character breaks", u"a\u000Bb\u000Cc\u0085d\u2028e\u2029f"_qs, 2000,
            QStringList {u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs, u"e"_qs, u"f"_qs}.join(sep)},
        {"exactly at the limit", as(2000), 2000, as(2000)},
        {"one over the limit", as(2001), 2000, as(2000) + u"..."_qs},
        {"no limit", as(5000), std::nullopt, as(5000)},
        {"limit below 1", as(5000), 0, as(5000)},
        {"negative limit", as(50), -3, as(50)},
        // A character of two units at the end: 2000 characters in 2001 units stay whole.
        {"surrogate pair as the last character", as(1999) + emoji, 2000, as(1999) + emoji},
        // The cut falls after the pair, never between its halves.
        {"surrogate pair at the cut", as(1999) + emoji + u"b"_qs, 2000, as(1999) + emoji + u"..."_qs},
        {"combining sequence at the cut", as(1999) + u"e\u0301x"_qs, 2000, as(1999) + u"e\u0301..."_qs},
        {"CRLF at the cut", as(1999) + u"\r\nb"_qs, 2000, as(1999) + sep + u"..."_qs},
        {"cut text still marked", u"  "_qs + as(2500), 2000, u"\u00B7\u00B7"_qs + as(1998) + u"..."_qs},
    };
    for (const PreviewCase &c : cases)
        EXPECT_EQ(historyPreviewText(c.text, c.limit), c.expected) << c.name;
}

TEST(HistoryPreviewText, CountsCharactersNotUnits)
{
    EXPECT_EQ(endOfCharacters(u"ab"_qs, 3), -1);
    EXPECT_EQ(endOfCharacters(QString(emoji + emoji), 1), 2);
    EXPECT_EQ(endOfCharacters(QString(emoji + emoji), 2), 4);
    EXPECT_EQ(endOfCharacters(QString(emoji + emoji), 3), -1);
    EXPECT_EQ(endOfCharacters(u"\r\nx"_qs, 1), 2);
}
