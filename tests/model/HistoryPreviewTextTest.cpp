#include "HistoryPreviewText.h"

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

using HistoryPreviewText::historyPreviewText;

TEST(HistoryPreviewText, CutsFirstThenJoinsTheLinesWithVisibleWhitespace)
{
    const QString a2000(2000, u'a');
    const QString emoji = QStringLiteral("\U0001F600");
    const struct
    {
        QString text;
        std::optional<qsizetype> limit;
        QString preview;
    } cases[] = {
        {a2000, 2000, a2000},
        {a2000 + u'b', 2000, a2000 + QStringLiteral("...")},
        {QString(1998, u'a') + emoji, 2000, QString(1998, u'a') + emoji},
        {QString(1999, u'a') + emoji, 2000, QString(1999, u'a') + QStringLiteral("...")}, // the pair stays whole
        {a2000 + u'b', std::nullopt, a2000 + u'b'},
        {a2000 + u'b', 0, a2000 + u'b'},
        // Cut before the lines are joined: the line after the cut never shows.
        {a2000 + QStringLiteral("\nlater"), 2000, a2000 + QStringLiteral("...")},
        {QStringLiteral("a\n\nb"), 2000, QStringLiteral("a \u23CE  \u23CE b")},
        {QStringLiteral("\n\n"), 2000, QStringLiteral(" \u23CE  \u23CE ")},
        {QStringLiteral("a\r\nb\rc\u2028d\u000Be\u0085f"), 2000,
            QStringLiteral("a \u23CE b \u23CE c \u23CE d \u23CE e \u23CE f")},
        {QStringLiteral("\t\t\nx"), 2000, QStringLiteral(" \u23CE x")}, // tabs alone: an empty line, not arrows
        {QStringLiteral(" \u3000 "), 2000, QString()}, // other space separators count as white space too
        {QStringLiteral("  x"), 2000, QStringLiteral("\u00B7\u00B7x")},
        {QStringLiteral("\t if (a)\treturn  b;"), 2000, QStringLiteral("\u2192\u00B7if (a)\u2192return  b;")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(historyPreviewText(c.text, c.limit), c.preview) << c.text.left(40).toStdString();
}
