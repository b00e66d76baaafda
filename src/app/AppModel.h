#pragma once

#include "AppPreferences.h"
#include "ClipboardItem.h"
#include "HistoryFilterContentType.h"
#include "HistoryItemCache.h"
#include "HistoryOrder.h"
#include "HistorySortOption.h"
#include "HistorySourceApplication.h"
#include "SourceApplicationLocator.h"
#include "Tag.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>

#include <compare>
#include <memory>
#include <optional>
#include <vector>

// The state every window reads: the loaded history and tags, the selection of the history list, the search
// text, the filter tokens, the sort, the working copy of the preferences, the pause flag, the last error shown
// to the user and the revision of the interface texts. It never touches storage: the coordinator writes the
// store first and then tells the model.
//
// Every member is a property whose setter publishes on each assignment, also when the value does not change:
// aboutToChange() first, then the member's own signal with the new value, which the member holds by then. An
// operation that changes a list or a set in place publishes it once per step.
class AppModel final : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QList<ClipboardItem> items READ items WRITE setItems NOTIFY itemsChanged)
    Q_PROPERTY(QList<Tag> tags READ tags WRITE setTags NOTIFY tagsChanged)
    Q_PROPERTY(
        std::optional<QUuid> selectedItemID READ selectedItemID WRITE setSelectedItemID NOTIFY selectedItemIDChanged)
    Q_PROPERTY(QSet<QUuid> selectedItemIDs READ selectedItemIDs WRITE setSelectedItemIDs NOTIFY selectedItemIDsChanged)
    Q_PROPERTY(QList<QUuid> selectedItemIDsInSelectionOrder READ selectedItemIDsInSelectionOrder WRITE
            setSelectedItemIDsInSelectionOrder NOTIFY selectedItemIDsInSelectionOrderChanged)
    Q_PROPERTY(QString searchQuery READ searchQuery WRITE setSearchQuery NOTIFY searchQueryChanged)
    Q_PROPERTY(AppPreferences preferences READ preferences WRITE setPreferences NOTIFY preferencesChanged)
    Q_PROPERTY(HistorySortOption historySortOption READ historySortOption WRITE setHistorySortOption NOTIFY
            historySortOptionChanged)
    Q_PROPERTY(bool isHistorySortReversed READ isHistorySortReversed WRITE setHistorySortReversed NOTIFY
            isHistorySortReversedChanged)
    Q_PROPERTY(QSet<HistoryFilterContentType> selectedHistoryFilterContentTypes READ selectedHistoryFilterContentTypes
            WRITE setSelectedHistoryFilterContentTypes NOTIFY selectedHistoryFilterContentTypesChanged)
    Q_PROPERTY(QSet<qint64> selectedHistoryFilterTagIDs READ selectedHistoryFilterTagIDs WRITE
            setSelectedHistoryFilterTagIDs NOTIFY selectedHistoryFilterTagIDsChanged)
    Q_PROPERTY(QSet<QString> selectedHistoryFilterSourceApplicationIDs READ selectedHistoryFilterSourceApplicationIDs
            WRITE setSelectedHistoryFilterSourceApplicationIDs NOTIFY selectedHistoryFilterSourceApplicationIDsChanged)
    Q_PROPERTY(bool isPaused READ isPaused WRITE setPaused NOTIFY isPausedChanged)
    Q_PROPERTY(std::optional<QString> lastError READ lastError WRITE setLastError NOTIFY lastErrorChanged)
    Q_PROPERTY(QUuid localizationRevision READ localizationRevision WRITE setLocalizationRevision NOTIFY
            localizationRevisionChanged)

public:
    // The locator finds the installed application of a source application; without one, none is found.
    explicit AppModel(std::shared_ptr<const SourceApplicationLocator> locator = nullptr, QObject *parent = nullptr);

    // --- Members -----------------------------------------------------------------------------------------------------

    // The loaded history in list order: loading puts the latest copy first, and upsertItem puts each capture
    // at the front. Neither filtered nor sorted for display.
    const QList<ClipboardItem> &items() const { return m_items; }
    void setItems(QList<ClipboardItem> items);
    const QList<Tag> &tags() const { return m_tags; }
    void setTags(const QList<Tag> &tags);
    // The focused item of the history list.
    const std::optional<QUuid> &selectedItemID() const { return m_selectedItemID; }
    void setSelectedItemID(const std::optional<QUuid> &id);
    // The multi-selection, and the same ids in the order the user added them.
    const QSet<QUuid> &selectedItemIDs() const { return m_selectedItemIDs; }
    void setSelectedItemIDs(const QSet<QUuid> &ids);
    const QList<QUuid> &selectedItemIDsInSelectionOrder() const { return m_selectedItemIDsInSelectionOrder; }
    void setSelectedItemIDsInSelectionOrder(const QList<QUuid> &ids);
    const QString &searchQuery() const { return m_searchQuery; }
    void setSearchQuery(const QString &query);
    const AppPreferences &preferences() const { return m_preferences; }
    void setPreferences(const AppPreferences &preferences);
    HistorySortOption historySortOption() const { return m_historySortOption; }
    void setHistorySortOption(HistorySortOption option);
    bool isHistorySortReversed() const { return m_isHistorySortReversed; }
    void setHistorySortReversed(bool reversed);
    const QSet<HistoryFilterContentType> &selectedHistoryFilterContentTypes() const { return m_contentTypes; }
    void setSelectedHistoryFilterContentTypes(const QSet<HistoryFilterContentType> &types);
    const QSet<qint64> &selectedHistoryFilterTagIDs() const { return m_tagIDs; }
    void setSelectedHistoryFilterTagIDs(const QSet<qint64> &ids);
    const QSet<QString> &selectedHistoryFilterSourceApplicationIDs() const { return m_sourceApplicationIDs; }
    void setSelectedHistoryFilterSourceApplicationIDs(const QSet<QString> &ids);
    bool isPaused() const { return m_isPaused; }
    void setPaused(bool paused);
    // The size limit (in bytes) that the last copy passed, so that it was not kept; nothing once a later copy was
    // kept or the user dismissed the notice. The coordinator sets it.
    const std::optional<qint64> &refusedCopyLimit() const { return m_refusedCopyLimit; }
    void setRefusedCopyLimit(const std::optional<qint64> &limit);
    // Why the last copy was not kept, in the interface language; nothing while refusedCopyLimit() is nothing.
    std::optional<QString> refusedCopyNotice() const;
    // The last error text shown to the user; the coordinator's commands set it.
    const std::optional<QString> &lastError() const { return m_lastError; }
    void setLastError(const std::optional<QString> &error);
    // Renewed whenever the interface language changes, so that views and menus look their texts up again.
    const QUuid &localizationRevision() const { return m_localizationRevision; }
    void setLocalizationRevision(const QUuid &revision);

    // --- Reads -------------------------------------------------------------------------------------------------------

    // The focused item; without focus, the first row of the list. An id that is no longer loaded gives none.
    std::optional<ClipboardItem> selectedItem() const;
    // The selected items in the order of selection (also those the filters hide); without a multi-selection,
    // the selected item alone.
    QList<ClipboardItem> selectedItems() const;
    // What the window's commands act on: the selected items the list shows now, in the order of selection; none
    // when a search or a filter hides them all.
    QList<ClipboardItem> visibleSelectedItems() const;
    // The focused item when the list shows it, else the first visible one of the selection; none when no selected
    // item is visible.
    std::optional<ClipboardItem> visibleSelectedItem() const;
    // Whether a content-type, tag or source-application token is set. The search text does not count.
    bool hasActiveHistoryFilters() const;
    // The names of these tags, in the order of the ids; unknown ids are skipped, repeated ones repeated.
    QStringList tagNames(const QList<qint64> &tagIDs) const;

    // What the history list shows: the items narrowed by the tokens and the search text, in the history order.
    // Computed on each read.
    QList<ClipboardItem> filteredItems() const;
    // The ids of the items filteredItems() lists, in the same order, without copying an item: what a list view
    // reads on each change of the items, the tokens, the search text or the sort.
    QList<QUuid> visibleItemIDs() const;
    // The loaded item with this id (the first, should two share it), found through an index of the ids; none when
    // the id is not loaded. The pointer is valid until the items next change.
    const ClipboardItem *item(const QUuid &id) const;
    // The items filteredItems() lists, in place: valid while itemsRevision() stays what it was.
    std::vector<const ClipboardItem *> visibleItems() const;
    // Changes with every change of the loaded items.
    quint64 itemsRevision() const { return m_itemsRevision; }
    // The history order: favourites first when pinned, then the sort option (or copy sequences) in its
    // direction, then the later copy, then the id text.
    bool sortsBefore(const ClipboardItem &a, const ClipboardItem &b) const;
    // Less is ascending (a's value below b's), greater descending.
    std::strong_ordering compareForSort(const ClipboardItem &a, const ClipboardItem &b) const;
    std::strong_ordering compareCopySequence(const ClipboardItem &a, const ClipboardItem &b) const;

    // The applications the loaded items were copied from, one entry per name without regard to case and
    // accents, sorted by name.
    QList<HistorySourceApplication> sourceApplications() const;
    // The desktop entry of a source application: by its desktop-entry id, else by its name. Lookups are
    // remembered for the life of the model.
    std::optional<QString> applicationPath(const HistorySourceApplication &application) const;

    // --- Operations --------------------------------------------------------------------------------------------------

    // Sets the three filter token sets to empty, each published.
    void clearHistoryFilters();
    // The operations take their arguments by value, so that the model's own members may be passed.
    // Removes these items and moves the focus off a removed item to its nearest visible neighbour.
    void removeItems(QSet<QUuid> ids);
    // Replaces the loaded item of the same id in place, or inserts it as upsertItem does.
    void updateItem(ClipboardItem item);
    // Puts the item at the front, first removing every item with its id or with its kind and content key, and
    // makes it the whole selection.
    void upsertItem(ClipboardItem item);
    // Keeps the first `limit` items; a limit of 0 or less keeps the default number.
    void trimItems(qint64 limit);
    // Replaces items by id in one change; updates for items no longer loaded come back at the front.
    void applyItemUpdates(QList<ClipboardItem> updates);
    // Drops source-application tokens that no loaded item has; publishes only when that changes the set.
    void pruneSourceApplicationFilter();

Q_SIGNALS:
    void aboutToChange();
    void itemsChanged(const QList<ClipboardItem> &items);
    // The items that stayed loaded through a change of the items but now hold another value (an update, a repeated
    // capture of a loaded item, a batch of link previews, a list replaced as a whole), sent right after the
    // itemsChanged of that change, and only when there are any. Insertions, removals and moves are not reported
    // here: a view re-reads visibleItemIDs() on itemsChanged, and refreshes the contents of these rows alone.
    void itemsChangedByID(const QSet<QUuid> &ids);
    void tagsChanged(const QList<Tag> &tags);
    void selectedItemIDChanged(const std::optional<QUuid> &id);
    void selectedItemIDsChanged(const QSet<QUuid> &ids);
    void selectedItemIDsInSelectionOrderChanged(const QList<QUuid> &ids);
    void searchQueryChanged(const QString &query);
    void preferencesChanged(const AppPreferences &preferences);
    void historySortOptionChanged(HistorySortOption option);
    void isHistorySortReversedChanged(bool reversed);
    void selectedHistoryFilterContentTypesChanged(const QSet<HistoryFilterContentType> &types);
    void selectedHistoryFilterTagIDsChanged(const QSet<qint64> &ids);
    void selectedHistoryFilterSourceApplicationIDsChanged(const QSet<QString> &ids);
    void isPausedChanged(bool paused);
    void lastErrorChanged(const std::optional<QString> &error);
    void refusedCopyLimitChanged(const std::optional<qint64> &limit);
    void localizationRevisionChanged(const QUuid &revision);

private:
    HistoryOrder currentOrder() const;
    HistorySortKey sortKey(qsizetype position) const;
    static HistorySortKey sortKey(const ClipboardItem &item);
    struct Visibility;
    Visibility visibility() const;
    bool isVisible(const Visibility &visibility, qsizetype position) const;
    // The positions of the items that pass the tokens and the search text, in list order.
    std::vector<qsizetype> visiblePositions() const;
    // Puts the item at the position where it belongs in the kept visible order, or takes it out when it is not
    // visible: a change of one item that sorts the rest of them again.
    void placeInVisibleOrder(qsizetype position);
    // The same in the history order: what filteredItems() lists, without copying the items.
    std::vector<qsizetype> visibleOrder() const;
    std::vector<qsizetype> sortedVisibleOrder() const;
    void forgetVisibleOrder();
    // Whether a token or the search text narrows the list at all.
    bool narrowsItems() const;
    // The selected items among those that pass the tokens and the search text.
    QList<ClipboardItem> visibleAmong(const QList<ClipboardItem> &items) const;
    QList<ClipboardItem> itemsAt(const std::vector<qsizetype> &positions) const;
    // Positions in `m_items` to drop, ascending; the list and the cache lose them together.
    void removePositions(const std::vector<qsizetype> &positions);
    void selectOnly(const std::optional<QUuid> &id);
    // The position of the first item with this id, through the index of the ids, which is built again after the
    // list has changed other than by a capture or a trim.
    std::optional<qsizetype> positionOf(const QUuid &id) const;
    void reportChangedItems(const QSet<QUuid> &ids);

    QList<ClipboardItem> m_items;
    quint64 m_itemsRevision = 0;
    QList<Tag> m_tags;
    std::optional<QUuid> m_selectedItemID;
    QSet<QUuid> m_selectedItemIDs;
    QList<QUuid> m_selectedItemIDsInSelectionOrder;
    QString m_searchQuery;
    AppPreferences m_preferences;
    HistorySortOption m_historySortOption = HistorySortOption::lastCopyTime;
    bool m_isHistorySortReversed = false;
    QSet<HistoryFilterContentType> m_contentTypes;
    QSet<qint64> m_tagIDs;
    QSet<QString> m_sourceApplicationIDs;
    bool m_isPaused = false;
    std::optional<QString> m_lastError;
    std::optional<qint64> m_refusedCopyLimit;
    QUuid m_localizationRevision;

    std::shared_ptr<const SourceApplicationLocator> m_locator;
    mutable HistoryItemCache m_cache;
    // The items' positions by id, less m_positionBase, which a capture lowers by one instead of moving every entry.
    mutable QHash<QUuid, qsizetype> m_positionByID;
    mutable qsizetype m_positionBase = 0;
    mutable bool m_positionsValid = false;
    mutable std::optional<std::vector<qsizetype>> m_visibleOrder; // until what decides it changes
    // The visible order before the search text was set, while the items stay those of m_unsearchedOrderRevision.
    std::optional<std::vector<qsizetype>> m_unsearchedOrder;
    quint64 m_unsearchedOrderRevision = 0;
    mutable std::optional<QList<HistorySourceApplication>> m_sourceApplications; // of m_sourceApplicationsRevision
    mutable quint64 m_sourceApplicationsRevision = 0;
    mutable QHash<QString, std::optional<QString>> m_pathsByIdentifier;
    mutable QHash<QString, std::optional<QString>> m_pathsByName;
};
