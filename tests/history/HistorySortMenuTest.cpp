#include "HistorySortMenu.h"

#include <QActionGroup>
#include <QMenu>

#include <gtest/gtest.h>

namespace {

QMenu *submenu(QMenu &menu, const QString &title)
{
    for (QAction *action : menu.actions()) {
        if (action->text() == title)
            return action->menu();
    }
    return nullptr;
}

QAction *item(QMenu &menu, const QString &title)
{
    for (QAction *action : menu.actions()) {
        if (action->text() == title)
            return action;
    }
    return nullptr;
}

// The entries as text: "-" for a separator, "*" before a checked entry, "!" after a disabled one.
QStringList describe(QMenu &menu)
{
    QStringList lines;
    for (QAction *action : menu.actions()) {
        if (action->isSeparator())
            lines.append(u"-"_qs);
        else
            lines.append((action->isChecked() ? u"*"_qs : QString()) + action->text()
                + (action->isEnabled() ? QString() : u"!"_qs));
    }
    return lines;
}

} // namespace

// The orders exclude each other: they form one exclusive radio group, and Reverse Order stays outside it.
TEST(HistorySortMenu, TheSortOrdersAreOneRadioGroup)
{
    HistorySortMenuState state;
    state.sortOption = HistorySortOption::numberOfCopies;
    auto menu = makeHistorySortMenu(state, HistorySortMenuActions {});
    QMenu *sort = submenu(*menu, u"Sort By"_qs);
    ASSERT_TRUE(sort);
    QActionGroup *group = item(*sort, u"Size"_qs)->actionGroup();
    ASSERT_TRUE(group);
    EXPECT_EQ(group->exclusionPolicy(), QActionGroup::ExclusionPolicy::Exclusive);
    EXPECT_EQ(group->actions().size(), 4);
    EXPECT_FALSE(item(*sort, u"Reverse Order"_qs)->actionGroup());
    item(*sort, u"Size"_qs)->trigger();
    EXPECT_EQ(describe(*sort),
        QStringList({u"Last Copy Time"_qs, u"First Copy Time"_qs, u"Number of Copies"_qs, u"*Size"_qs, u"-"_qs,
            u"Reverse Order"_qs}));
}

TEST(HistorySortMenu, ShowsTheStateAndReportsChoicesAsToggles)
{
    HistorySortMenuState state;
    state.sortOption = HistorySortOption::numberOfCopies;
    state.filterTags = {Tag {4, u"Work"_qs, u"#3B85ED"_qs}, Tag {5, u"Odd"_qs, u"not a colour"_qs}};
    state.filterSourceApplications = {HistorySourceApplication {u"name:firefox"_qs, u"Firefox"_qs, std::nullopt}};
    QStringList reports;
    HistorySortMenuActions actions;
    actions.selectSortOption = [&](HistorySortOption option) { reports.append(u"sort "_qs + option.rawValue()); };
    actions.toggleSortOrder = [&] { reports.append(u"reverse"_qs); };
    actions.setContentTypeFilter = [&](HistoryFilterContentType type, bool on) {
        reports.append(u"type "_qs + type.rawValue() + (on ? u" on"_qs : u" off"_qs));
    };
    actions.setTagFilter
        = [&](qint64 id, bool on) { reports.append(u"tag %1 %2"_qs.arg(id).arg(on ? u"on" : u"off")); };
    actions.clearTagFilter = [&] { reports.append(u"all tags"_qs); };
    actions.setSourceApplicationFilter
        = [&](const QString &id, bool on) { reports.append(u"app "_qs + id + (on ? u" on"_qs : u" off"_qs)); };
    actions.clearFilters = [&] { reports.append(u"clear"_qs); };

    auto menu = makeHistorySortMenu(state, actions);
    EXPECT_EQ(describe(*menu), QStringList({u"Sort By"_qs, u"-"_qs, u"Filter By"_qs}));
    QMenu *sort = submenu(*menu, u"Sort By"_qs);
    ASSERT_TRUE(sort);
    EXPECT_EQ(describe(*sort),
        QStringList({u"Last Copy Time"_qs, u"First Copy Time"_qs, u"*Number of Copies"_qs, u"Size"_qs, u"-"_qs,
            u"Reverse Order"_qs}));
    QMenu *filter = submenu(*menu, u"Filter By"_qs);
    ASSERT_TRUE(filter);
    EXPECT_EQ(describe(*filter), QStringList({u"Type"_qs, u"Tags"_qs, u"Apps"_qs, u"-"_qs, u"Clear Filter!"_qs}));
    EXPECT_EQ(describe(*submenu(*filter, u"Type"_qs)),
        QStringList({u"*All Types"_qs, u"-"_qs, u"Favorites"_qs, u"-"_qs, u"Text"_qs, u"Images"_qs, u"Files"_qs,
            u"Links"_qs, u"Emails"_qs, u"Colors"_qs}));
    EXPECT_EQ(describe(*submenu(*filter, u"Tags"_qs)), QStringList({u"*All Tags"_qs, u"-"_qs, u"Work"_qs, u"Odd"_qs}));
    EXPECT_FALSE(item(*submenu(*filter, u"Tags"_qs), u"Odd"_qs)->icon().isNull());

    item(*sort, u"Size"_qs)->trigger();
    item(*sort, u"Reverse Order"_qs)->trigger();
    item(*submenu(*filter, u"Type"_qs), u"Images"_qs)->trigger();
    item(*submenu(*filter, u"Tags"_qs), u"Work"_qs)->trigger();
    item(*submenu(*filter, u"Apps"_qs), u"Firefox"_qs)->trigger();
    EXPECT_EQ(reports,
        QStringList({u"sort Size"_qs, u"reverse"_qs, u"type images on"_qs, u"tag 4 on"_qs, u"app name:firefox on"_qs}));

    // With filters on, the checked values report "off", the "All" entries lose their marks and Clear works.
    state.selectedFilterContentTypes = {HistoryFilterContentType::images};
    state.selectedFilterTagIDs = {4};
    state.selectedFilterSourceApplicationIDs = {u"name:firefox"_qs};
    state.isCopySequenceModeEnabled = true;
    reports.clear();
    menu = makeHistorySortMenu(state, actions);
    EXPECT_EQ(describe(*menu), QStringList({u"Filter By"_qs})); // copy sequences decide the order
    filter = submenu(*menu, u"Filter By"_qs);
    EXPECT_EQ(describe(*submenu(*filter, u"Tags"_qs)), QStringList({u"All Tags"_qs, u"-"_qs, u"*Work"_qs, u"Odd"_qs}));
    item(*submenu(*filter, u"Type"_qs), u"Images"_qs)->trigger();
    item(*submenu(*filter, u"Tags"_qs), u"Work"_qs)->trigger();
    item(*submenu(*filter, u"Tags"_qs), u"All Tags"_qs)->trigger();
    item(*submenu(*filter, u"Apps"_qs), u"Firefox"_qs)->trigger();
    item(*filter, u"Clear Filter"_qs)->trigger();
    EXPECT_EQ(reports,
        QStringList({u"type images off"_qs, u"tag 4 off"_qs, u"all tags"_qs, u"app name:firefox off"_qs, u"clear"_qs}));

    // Without tags or applications, only the "All" entries, without a separator.
    menu = makeHistorySortMenu(HistorySortMenuState {}, actions);
    filter = submenu(*menu, u"Filter By"_qs);
    EXPECT_EQ(describe(*submenu(*filter, u"Apps"_qs)), QStringList({u"*All Apps"_qs}));
}
