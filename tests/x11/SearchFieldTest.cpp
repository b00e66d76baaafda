// The search field with its chips and the suggestions under it, on a real display in light and dark. Each run
// leaves its pictures in the screenshots folder.

#include "SearchSuggestionsPopup.h"
#include "SearchTokenField.h"
#include "StyleAppearanceApplier.h"

#include <QDir>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

TEST(SearchField, ShowsChipsAndSuggestionsInLightAndDark)
{
    QDir().mkpath(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY));
    StyleAppearanceApplier appearance;
    const QList<Tag> tags = {Tag {1, u"Work"_qs, u"#3B85ED"_qs}, Tag {2, u"Recipes"_qs, u"#E5484D"_qs}};
    const QList<HistorySourceApplication> applications
        = {HistorySourceApplication {u"name:text editor"_qs, u"Text Editor"_qs, std::nullopt}};
    for (const AppAppearance mode : {AppAppearance::light, AppAppearance::dark}) {
        appearance.apply(mode);
        QWidget window;
        window.resize(420, 260);
        SearchTokenField field(&window);
        QFont font;
        font.setPixelSize(18);
        font.setWeight(QFont::Light);
        field.textField().setFont(font);
        field.setGeometry(12, 12, 396, 36);
        field.setTokens({SearchToken {SearchTokenKind::contentType(HistoryFilterContentType::images),
                             searchTokenTitle(HistoryFilterContentType::images),
                             searchTokenImage(HistoryFilterContentType::images)},
            SearchToken {SearchTokenKind::tag(2), u"Recipes"_qs, {}}});
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        field.textField().setText(u"te"_qs);

        SearchSuggestionsPopup popup;
        const QList<SearchSuggestion> suggestions = buildSearchSuggestions(u"te"_qs, tags, applications,
            {SearchTokenKind::contentType(HistoryFilterContentType::images), SearchTokenKind::tag(2)}, 8);
        ASSERT_FALSE(suggestions.isEmpty());
        const QRect anchor(field.textField().mapToGlobal(QPoint(0, 0)), field.textField().size());
        popup.show(suggestions, anchor, &window);
        popup.moveHighlight(HistorySelectionDirection::down);
        QTest::qWait(50);

        const QString suffix = mode == AppAppearance::light ? u"light"_qs : u"dark"_qs;
        const QDir folder(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY));
        EXPECT_TRUE(window.grab().save(folder.filePath(u"search-field-"_qs + suffix + u".png"_qs)));
        EXPECT_TRUE(popup.panel()->grab().save(folder.filePath(u"search-suggestions-"_qs + suffix + u".png"_qs)));
        EXPECT_EQ(field.chipViews().size(), 2);
    }
    appearance.apply(AppAppearance::system);
}
