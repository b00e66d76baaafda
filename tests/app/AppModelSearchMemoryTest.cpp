#include "AppModelTestSupport.h"
#include "CaseFoldedTextProbe.h"
#include "TextUtilities.h"

namespace {

bool sameBuffer(const QString &a, const QString &b)
{
    return QStringView(a).utf16() == QStringView(b).utf16();
}

} // namespace

// A text that folding leaves as it is is searched where it lies; one that folding changes is folded once.
TEST(HistorySearchMemory, AnUnchangedTextIsNotFoldedIntoASecondCopy)
{
    const QString lower = QStringLiteral("lower case, digits 123 and signs: ü ss");
    const CaseFoldedText unchanged(lower);
    EXPECT_TRUE(sameBuffer(unchanged.toString(), lower));
    EXPECT_TRUE(unchanged.contains(CaseFoldedText::needle(u"DIGITS 1")));
    EXPECT_TRUE(unchanged.contains(CaseFoldedText::needle(u"Ü ẞ"))); // the capital sharp s folds to "ss"
    EXPECT_TRUE(unchanged.contains(CaseFoldedText::needle(u"ü ß")));
    EXPECT_TRUE(CaseFoldedTextProbe::isLatin1(unchanged));

    // The sharp s folds to two letters: such a text is folded, into Latin-1.
    const QString sharp = QStringLiteral("lower case: ß");
    EXPECT_FALSE(sameBuffer(CaseFoldedText(sharp).toString(), sharp));
    EXPECT_EQ(CaseFoldedText(sharp).toString(), QStringLiteral("lower case: ss"));
    EXPECT_TRUE(CaseFoldedTextProbe::isLatin1(CaseFoldedText(sharp)));

    const QString greek = QStringLiteral("άλφα δέλτα");
    EXPECT_TRUE(sameBuffer(CaseFoldedText(greek).toString(), greek));
    EXPECT_FALSE(CaseFoldedTextProbe::isLatin1(CaseFoldedText(greek)));
    EXPECT_TRUE(CaseFoldedText(greek).contains(CaseFoldedText::needle(u"ΔΈΛ")));

    const QString mixed = QStringLiteral("Mixed Case");
    EXPECT_FALSE(sameBuffer(CaseFoldedText(mixed).toString(), mixed));
}

// A text too long to hold twice is folded piece by piece while it is searched: matches across the borders of the
// pieces (64 Ki code units), a surrogate pair split by a border, and the very end are found as Qt finds them.
TEST(HistorySearchMemory, AVeryLongTextIsFoldedWhileItIsSearched)
{
    const qsizetype piece = 64 * 1024;
    QString text(CaseFoldedText::foldWhileSearchingAbove + 3 * piece, u'x');
    const auto place = [&](qsizetype position, const QString &word) { text.replace(position, word.size(), word); };
    place(piece - 3, QStringLiteral("NeedLE"));
    place(2 * piece - 1, QStringLiteral("\U00010400")); // a Deseret capital, its pair split by the border
    place(3 * piece - 2, QStringLiteral("STRAẞE"));
    place(text.size() - 3, QStringLiteral("EnD"));
    const CaseFoldedText folded(text);
    const QString needles[] = {u"needle"_qs, u"xneedlex"_qs, u"x\U00010428x"_qs, u"\U00010400"_qs, u"straße"_qs,
        u"strasse"_qs, u"xend"_qs, u"endx"_qs, u"xxxxxxxx"_qs, u"y"_qs};
    for (const QString &needle : needles) {
        EXPECT_EQ(folded.contains(CaseFoldedText::needle(needle)),
            TextUtilities::fullCaseFolded(text).contains(TextUtilities::fullCaseFolded(needle)))
            << qPrintable(needle);
    }
    EXPECT_TRUE(folded.toString() == TextUtilities::fullCaseFolded(text));
    EXPECT_FALSE(CaseFoldedTextProbe::isLatin1(folded));

    // Left as it is by folding, it is searched where it lies.
    const QString lower = TextUtilities::fullCaseFolded(text);
    const CaseFoldedText unchanged(lower);
    EXPECT_TRUE(sameBuffer(unchanged.toString(), lower));
    EXPECT_TRUE(unchanged.contains(CaseFoldedText::needle(u"XNEEDLEX")));
}
