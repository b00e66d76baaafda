#pragma once

#include "Clock.h"
#include "HistoryDelegate.h"
#include "HistoryItems.h"
#include "HistoryKeyDispatch.h"
#include "HistoryToolbar.h"
#include "ItemCommandRunner.h"
#include "Scheduler.h"

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSize>
#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class AppCoordinator;
class AppModel;
struct AppPreferences;
class History;
class HistoryWindowCommands;

// The model's visible items as the history list reads them: in place, each found again by its id once the model's
// items have changed.
HistoryItems historyItemsOf(const AppModel &model);

// The root of the history window's content: the list fills it. Typed keys that nothing else took start a search
// (HistoryTableView::startsSearch, the list's own rule), and a change of the palette (light or dark) is reported.
class HistoryKeyHandlingView final : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;

    std::function<void(const QKeyEvent &)> onSearchKeyDown;
    std::function<void()> onEffectiveAppearanceChange;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
};

// The controller of the history window's content: it owns the history list, keeps it in step with the model (every
// change the model publishes arrives on a later turn of the event loop, and the changes of one turn rebuild the list
// once), keeps the model's selection and the list's in step both ways, pushes the selection's state into the
// toolbar, and dispatches the window's keys.
class HistoryContentViewController final : public QObject, private HistoryDelegate, private HistoryToolbarDelegate
{
    Q_OBJECT

public:
    // The root view goes into viewParent; without one the controller keeps it.
    HistoryContentViewController(AppModel &model, AppCoordinator &coordinator, HistoryWindowCommands &commands,
        QWidget *viewParent = nullptr, QObject *parent = nullptr);
    ~HistoryContentViewController() override;

    // The root view's size from the stored window size: 640 wide at least (the default width of 620 too), 400 high
    // at least.
    static QSize rootViewSize(const AppPreferences &preferences);

    // The content's root view and the list inside it.
    HistoryKeyHandlingView &view() const { return *m_view; }
    History &list() const { return *m_list; }

    // The window's toolbar; not owned. Every toolbar update is skipped while there is none.
    void setHistoryToolbar(HistoryToolbar *toolbar);
    HistoryToolbar *historyToolbar() const { return m_toolbar; }

    // --- Called by the window ---------------------------------------------------------------------------------------

    // Makes the first visible item the model's selection; with pushToList the list follows at once, else on a
    // later turn.
    void selectFirstVisibleItem(bool pushToList);
    // Keeps the model's selection when its focused item is visible, else selects the first visible item.
    void keepSelectionOrSelectFirstVisibleItem(bool pushToList);
    void updateToolbarState();
    void reloadHistoryList();
    // Rebuilds the list now when a rebuild is waiting for the next turn, or when the date changed since the day
    // sections were made (the window is about to be shown).
    void reloadIfNeeded();
    // After the window appeared: the first row is shown with its header and the list takes the focus.
    void viewDidAppear();
    // Empties a typed or applied search (the window was hidden a while); the filters stay.
    void resetSearch();
    // The window's key dispatch; true when the key was handled and goes nowhere else.
    bool handleKeyDown(const HistoryKeyEvent &event);
    bool handleKeyDown(const HistoryKeyEvent &event, HistoryKeyFocus focus);
    // Where the keyboard focus is now, as the dispatch sees it.
    HistoryKeyFocus currentKeyFocus() const;
    HistoryKeyDispatchState keyDispatchState(HistoryKeyFocus focus) const;

    void performShortcutAction(HistoryShortcutAction action, HistoryKeyFocus focus);
    void closeHistoryOrClearSearch();
    void performNumberKeyAction(int number);

    // Typed search text reaches the model this long after the last change; clearing it applies at once.
    static constexpr std::chrono::milliseconds searchQueryDebounce {500};
    // Where the typed search waits (the event loop's timers unless a test sets its own).
    void setSearchScheduler(Scheduler &scheduler) { m_searchScheduler = &scheduler; }
    // Where the day sections take today's date from, and what wakes them at local midnight (tests).
    void setDayClock(const Clock &clock, Scheduler &scheduler);
    // The toolbar's requests, as the toolbar makes them.
    HistoryToolbarDelegate &toolbarDelegate() { return *this; }

private:
    friend class WindowProbe;

    void bindModel();
    void setNeedsReload();
    void relabelToolbar();
    void syncToolbarFilterState();
    void scheduleSelectionSyncFromModel();
    void pushSelectionToList();
    // Today in the system's time zone by the day clock.
    QDate currentDate() const;
    // Waits for the local midnight after the sections' date: an open window is rebuilt then.
    void scheduleMidnightRebuild();
    void writeSingleSelection(const std::optional<QUuid> &id);

    // HistoryDelegate
    void historySelectionDidChange(
        const QList<QUuid> &idsInSelectionOrder, const std::optional<QUuid> &primaryItemID) override;
    void historyDidClickItem(const ClipboardItem &item) override;
    void historyDidDoubleClickItem(const ClipboardItem &item) override;
    void historyContextMenu(
        QMenu &menu, const QList<ClipboardItem> &items, const std::optional<ClipboardItem> &clickedItem) override;
    void historyNeedsLinkPreview(const ClipboardItem &item) override;
    void historyPlaySound(SoundEffect effect) override;
    void historyForwardSearchKeyDown(const QKeyEvent &event) override;

    // HistoryToolbarDelegate
    void searchQueryDidChange(const QString &query) override;
    void setContentTypeFilter(HistoryFilterContentType type, bool isSelected) override;
    void setTagFilter(qint64 tagID, bool isSelected) override;
    void setSourceApplicationFilter(const QString &applicationID, bool isSelected) override;
    void clearTagFilter() override;
    void clearSourceApplicationFilter() override;
    void clearFilters() override;
    void selectSortOption(HistorySortOption option) override;
    void toggleSortOrder() override;
    void pasteSelectedItems() override;
    void copySelectedItems() override;
    void openSelectedItemInBrowser() override;
    void copyTextFromSelectedImage() override;
    void copyTextFromSelectedQRCode() override;
    void mergeSelectedItems() override;
    void togglePin() override;
    void toggleCopySequenceMode() override;
    void showCommandPalette() override;
    void moveListSelection(HistorySelectionDirection direction) override;

    // Runs the item command on the selected item the list shows; nothing when there is none.
    void runOnSelectedItem(ItemCommandID command);
    bool hasActiveSearchQuery() const;
    // With keepsVisibleSelection a selected item that stays visible stays selected instead of the first one.
    void applySearchQuery(const QString &query, bool selectFirst, bool keepsVisibleSelection = false);
    void applyDebouncedSearchQuery(const QString &query);
    // A command on the selection typed before the search was applied acts on what the search finds.
    void applyPendingSearchNow();

    AppModel &m_model;
    AppCoordinator &m_coordinator;
    HistoryWindowCommands &m_commands;
    ItemCommandRunner m_runner;
    std::unique_ptr<HistoryKeyHandlingView> m_ownedView; // without a parent for the view
    HistoryKeyHandlingView *m_view = nullptr;
    History *m_list = nullptr;
    HistoryToolbar *m_toolbar = nullptr;
    // The count of selection writes made for the list whose published echo has not come back yet.
    int m_selectionModelUpdatesOriginatingFromList = 0;
    bool m_isSelectionSyncFromModelScheduled = false;
    bool m_isReloadScheduled = false;
    QSet<QUuid> m_changedItemIDs; // items whose value changed since the list was last given them
    std::optional<QString> m_pendingSearchQuery; // typed, not yet handed to the model
    EventLoopScheduler m_eventLoopScheduler;
    Scheduler *m_searchScheduler = &m_eventLoopScheduler;
    ScheduledCall m_searchQueryDebounceCall;
    // The day sections: the date they were made for, and the call that makes them again at the next local midnight.
    SystemClock m_systemClock;
    const Clock *m_dayClock = &m_systemClock;
    Scheduler *m_dayScheduler = &m_eventLoopScheduler;
    QDate m_sectionsDate;
    ScheduledCall m_midnightCall;
    int m_reloadCount = 0; // how often the list was rebuilt
    int m_selectionPushCount = 0; // how often the model's selection was pushed into the list
};
