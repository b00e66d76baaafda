// Every tag dot reads the tag's colour text the same way: the search suggestion, the sort and filter menu's entry
// and the token it becomes show one colour, and a text that is no tag colour shows the text colour in all three.

#include "HistoryPasteTarget.h"
#include "HistorySortMenu.h"
#include "SearchSuggestions.h"

#include <QGuiApplication>
#include <QMenu>
#include <QPalette>

#include <gtest/gtest.h>

namespace {

QRgb centre(const QImage &image)
{
    return image.pixel(image.width() / 2, image.height() / 2);
}

QRgb centre(const QIcon &icon)
{
    return centre(icon.pixmap(12).toImage());
}

QAction *tagEntry(QMenu &menu, const QString &title)
{
    for (QAction *action : menu.actions()) {
        if (QMenu *submenu = action->menu()) {
            if (QAction *found = tagEntry(*submenu, title))
                return found;
        } else if (action->text() == title) {
            return action;
        }
    }
    return nullptr;
}

} // namespace

TEST(TagDots, EveryDotReadsTheTagColourAlike)
{
    const QRgb text = QGuiApplication::palette().color(QPalette::WindowText).rgb();
    const QList<std::pair<QString, QRgb>> cases = {
        {u"#3B85ED"_qs, qRgb(0x3B, 0x85, 0xED)},
        {u"3B85ED"_qs, qRgb(0x3B, 0x85, 0xED)},
        {u"##ed2626#"_qs, qRgb(0xED, 0x26, 0x26)},
        {u"red"_qs, text}, // a colour name is no tag colour
        {u"#12345"_qs, text},
    };
    for (const auto &[color, expected] : cases) {
        const Tag tag {7, u"Work"_qs, color};
        const QList<SearchSuggestion> suggestions = buildSearchSuggestions(u"wo"_qs, {tag}, {}, {}, 8);
        ASSERT_EQ(suggestions.size(), 1);
        EXPECT_EQ(centre(suggestions.first().token.image), expected) << color.toStdString();

        HistorySortMenuState state;
        state.filterTags = {tag};
        const std::unique_ptr<QMenu> menu = makeHistorySortMenu(state, {});
        QAction *entry = tagEntry(*menu, u"Work"_qs);
        ASSERT_TRUE(entry);
        EXPECT_EQ(centre(entry->icon()), expected) << color.toStdString();

        EXPECT_EQ(centre(HistoryPasteTarget::tagColorDotImage(color)), expected) << color.toStdString();
    }
}
