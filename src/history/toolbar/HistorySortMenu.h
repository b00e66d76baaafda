#pragma once

#include "HistoryFilterContentType.h"
#include "HistorySortOption.h"
#include "HistorySourceApplication.h"
#include "Tag.h"

#include <QIcon>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>

class QMenu;

// What the sort and filter menu shows: the toolbar's copy of the model's sort and filter state.
struct HistorySortMenuState
{
    bool isCopySequenceModeEnabled = false;
    HistorySortOption sortOption = HistorySortOption::lastCopyTime;
    bool isSortReversed = false;
    QSet<HistoryFilterContentType> selectedFilterContentTypes;
    QList<Tag> filterTags;
    QSet<qint64> selectedFilterTagIDs;
    QList<HistorySourceApplication> filterSourceApplications;
    QSet<QString> selectedFilterSourceApplicationIDs;
};

// What the menu's choices report; the menu never changes the state itself. A filter value comes with whether it
// is to be selected: choosing a checked value unselects it.
struct HistorySortMenuActions
{
    std::function<void(HistorySortOption)> selectSortOption;
    std::function<void()> toggleSortOrder;
    std::function<void(HistoryFilterContentType, bool isSelected)> setContentTypeFilter;
    std::function<void(qint64 tagID, bool isSelected)> setTagFilter;
    std::function<void()> clearTagFilter;
    std::function<void(const QString &applicationID, bool isSelected)> setSourceApplicationFilter;
    std::function<void()> clearSourceApplicationFilter;
    std::function<void()> clearFilters;
};

// The toolbar's sort and filter menu: "Sort By" (unless copy sequences order the list) with the four options and
// "Reverse Order", and "Filter By" with the Type, Tags and Apps submenus and "Clear Filter". A snapshot of the
// state: the owner builds a new one after every change. Items carry their values (sort options by their English
// titles, content types by raw value, tags by id, applications by id), so a choice works in any language.
std::unique_ptr<QMenu> makeHistorySortMenu(const HistorySortMenuState &state, const HistorySortMenuActions &actions,
    const std::function<QIcon(const HistorySourceApplication &)> &applicationIcon = {});
