#include "SearchSuggestionsPopup.h"

#include <gtest/gtest.h>

namespace {

SearchSuggestion suggestion(const QString &title, qint64 tag)
{
    return SearchSuggestion {SearchToken {SearchTokenKind::tag(tag), title, {}}, std::pair<qsizetype, qsizetype>(0, 1)};
}

} // namespace

TEST(SearchSuggestionsPopup, HangsUnderTheFieldInsideTheScreen)
{
    const QRect screen(0, 0, 1000, 800);
    // One short title: the narrowest panel, one row and its padding, titles aligned with the text above.
    EXPECT_EQ(SearchSuggestionsPopup::frame({suggestion(u"Ab"_qs, 1)}, QRect(200, 100, 150, 20), screen),
        QRect(164, 126, 120, 36));
    // Near the bottom it is raised to stay 4 pixels above it; near the right edge pushed left.
    EXPECT_EQ(SearchSuggestionsPopup::frame({suggestion(u"Ab"_qs, 1)}, QRect(200, 770, 150, 20), screen).bottom(),
        800 - 4 - 1);
    EXPECT_EQ(SearchSuggestionsPopup::frame({suggestion(u"Ab"_qs, 1)}, QRect(990, 100, 50, 20), screen).right(),
        1000 - 4 - 1);
    // Off every screen: as computed. A very long title is capped.
    EXPECT_EQ(
        SearchSuggestionsPopup::frame({suggestion(QString(200, u'w'), 1)}, QRect(0, 0, 10, 10), std::nullopt).width(),
        340);
}

TEST(SearchSuggestionsPopup, KeepsTheHighlightOnItsTokenAndWrapsAround)
{
    SearchSuggestionsPopup popup;
    const QRect anchor(100, 100, 200, 20);
    popup.show({suggestion(u"a"_qs, 1), suggestion(u"b"_qs, 2), suggestion(u"c"_qs, 3)}, anchor, nullptr);
    ASSERT_TRUE(popup.isVisible());
    popup.moveHighlight(HistorySelectionDirection::up); // from the first to the last
    EXPECT_EQ(popup.highlightedSuggestion()->token.title, u"c"_qs);
    popup.moveHighlight(HistorySelectionDirection::down);
    EXPECT_EQ(popup.selectedIndex(), 0);
    popup.moveHighlight(HistorySelectionDirection::down);
    popup.moveHighlight(HistorySelectionDirection::down);

    // Typing on keeps "c" highlighted at its new place; when it drops out, the first row is.
    popup.show({suggestion(u"c"_qs, 3), suggestion(u"d"_qs, 4)}, anchor, nullptr);
    EXPECT_EQ(popup.highlightedSuggestion()->token.title, u"c"_qs);
    popup.show({suggestion(u"d"_qs, 4), suggestion(u"e"_qs, 5)}, anchor, nullptr);
    EXPECT_EQ(popup.selectedIndex(), 0);

    popup.show({}, anchor, nullptr);
    EXPECT_FALSE(popup.isVisible());
    EXPECT_FALSE(popup.highlightedSuggestion());
}
