#include "HistorySortMenu.h"

#include "HistoryPasteTarget.h"
#include "Localization.h"
#include "Symbols.h"

#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QPalette>

namespace {

QIcon symbol(const QString &name)
{
    return Symbols::themeIcon(name);
}

QIcon tagDot(const Tag &tag)
{
    return HistoryPasteTarget::tagColorDotImage(tag.color);
}

QAction *checkable(QMenu &menu, const QString &title, bool checked, const QVariant &value = {})
{
    QAction *action = menu.addAction(title);
    action->setCheckable(true);
    action->setChecked(checked);
    action->setData(value);
    return action;
}

const char *const contentTypeSymbols[]
    = {"list.bullet", "star.fill", "text.page", "photo", "document", "link", "envelope", "paintpalette"};

} // namespace

std::unique_ptr<QMenu> makeHistorySortMenu(const HistorySortMenuState &state, const HistorySortMenuActions &actions,
    const std::function<QIcon(const HistorySourceApplication &)> &applicationIcon)
{
    auto menu = std::make_unique<QMenu>();
    QMenu *root = menu.get();

    if (!state.isCopySequenceModeEnabled) {
        QMenu *sort
            = root->addMenu(symbol(QStringLiteral("arrow.up.arrow.down")), localized(QStringLiteral("Sort By")));
        // The orders exclude each other: one radio group.
        auto *orders = new QActionGroup(sort);
        orders->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
        for (const auto value : {HistorySortOption::lastCopyTime, HistorySortOption::firstCopyTime,
                 HistorySortOption::numberOfCopies, HistorySortOption::size}) {
            const HistorySortOption option(value);
            QAction *item = checkable(*sort, option.title(), option == state.sortOption, option.rawValue());
            orders->addAction(item);
            QObject::connect(item, &QAction::triggered, root, [item, actions] {
                const auto chosen = HistorySortOption::fromRawValue(item->data().toString());
                if (chosen && actions.selectSortOption)
                    actions.selectSortOption(*chosen);
            });
        }
        sort->addSeparator();
        QAction *reverse = checkable(*sort, localized(QStringLiteral("Reverse Order")), state.isSortReversed);
        QObject::connect(reverse, &QAction::triggered, root, [actions] {
            if (actions.toggleSortOrder)
                actions.toggleSortOrder();
        });
        root->addSeparator();
    }

    QMenu *filter
        = root->addMenu(symbol(QStringLiteral("line.3.horizontal.decrease")), localized(QStringLiteral("Filter By")));

    QMenu *types = filter->addMenu(symbol(QStringLiteral("list.bullet")), localized(QStringLiteral("Type")));
    for (const auto value : HistoryFilterContentType::allCases) {
        const HistoryFilterContentType type(value);
        const bool checked = type == HistoryFilterContentType::all ? state.selectedFilterContentTypes.isEmpty()
                                                                   : state.selectedFilterContentTypes.contains(type);
        QAction *item = checkable(*types, type.title(), checked, type.rawValue());
        item->setIcon(symbol(QString::fromLatin1(contentTypeSymbols[int(value)])));
        const bool isSelected = !state.selectedFilterContentTypes.contains(type);
        QObject::connect(item, &QAction::triggered, root, [item, actions, isSelected] {
            const auto chosen = HistoryFilterContentType::fromRawValue(item->data().toString());
            if (!chosen || !actions.setContentTypeFilter)
                return;
            if (*chosen == HistoryFilterContentType::all)
                actions.setContentTypeFilter(*chosen, true);
            else
                actions.setContentTypeFilter(*chosen, isSelected);
        });
        if (type == HistoryFilterContentType::all || type == HistoryFilterContentType::favorites)
            types->addSeparator();
    }

    QMenu *tags = filter->addMenu(symbol(QStringLiteral("circle")), localized(QStringLiteral("Tags")));
    QAction *allTags = checkable(*tags, localized(QStringLiteral("All Tags")), state.selectedFilterTagIDs.isEmpty());
    allTags->setIcon(symbol(QStringLiteral("circle")));
    QObject::connect(allTags, &QAction::triggered, root, [actions] {
        if (actions.clearTagFilter)
            actions.clearTagFilter();
    });
    if (!state.filterTags.isEmpty())
        tags->addSeparator();
    for (const Tag &tag : state.filterTags) {
        const bool selected = state.selectedFilterTagIDs.contains(tag.id);
        QAction *item = checkable(*tags, tag.name, selected, tag.id);
        item->setIcon(tagDot(tag));
        QObject::connect(item, &QAction::triggered, root, [actions, id = tag.id, selected] {
            if (actions.setTagFilter)
                actions.setTagFilter(id, !selected);
        });
    }

    QMenu *apps = filter->addMenu(symbol(QStringLiteral("rectangle.grid.2x2")), localized(QStringLiteral("Apps")));
    QAction *allApps
        = checkable(*apps, localized(QStringLiteral("All Apps")), state.selectedFilterSourceApplicationIDs.isEmpty());
    allApps->setIcon(symbol(QStringLiteral("rectangle.grid.2x2")));
    QObject::connect(allApps, &QAction::triggered, root, [actions] {
        if (actions.clearSourceApplicationFilter)
            actions.clearSourceApplicationFilter();
    });
    if (!state.filterSourceApplications.isEmpty())
        apps->addSeparator();
    for (const HistorySourceApplication &application : state.filterSourceApplications) {
        const bool selected = state.selectedFilterSourceApplicationIDs.contains(application.id);
        QAction *item = checkable(*apps, application.name, selected, application.id);
        if (applicationIcon)
            item->setIcon(applicationIcon(application));
        QObject::connect(item, &QAction::triggered, root, [actions, id = application.id, selected] {
            if (actions.setSourceApplicationFilter)
                actions.setSourceApplicationFilter(id, !selected);
        });
    }

    filter->addSeparator();
    QAction *clear
        = filter->addAction(symbol(QStringLiteral("xmark.circle")), localized(QStringLiteral("Clear Filter")));
    clear->setEnabled(!state.selectedFilterContentTypes.isEmpty() || !state.selectedFilterTagIDs.isEmpty()
        || !state.selectedFilterSourceApplicationIDs.isEmpty());
    QObject::connect(clear, &QAction::triggered, root, [actions] {
        if (actions.clearFilters)
            actions.clearFilters();
    });
    return menu;
}
