#include "HistoryContentViewController.h"

#include "AppCoordinator.h"
#include "AppModel.h"
#include "History.h"
#include "HistoryItemActionPreference.h"
#include "HistoryTableView.h"
#include "HistoryWindowCommands.h"
#include "ItemCommandRegistry.h"
#include "KeyboardCodes.h"
#include "SettingsSection.h"
#include "TagOrder.h"
#include "TextUtilities.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimeZone>
#include <QVBoxLayout>

#include <cmath>

namespace {

// The filter set with the value put in or taken out; nothing when that changes nothing.
template<typename Value>
std::optional<QSet<Value>> withValue(const QSet<Value> &set, const Value &value, bool isSelected)
{
    QSet<Value> result = set;
    if (isSelected)
        result.insert(value);
    else
        result.remove(value);
    return result == set ? std::nullopt : std::optional(result);
}

bool isInside(const QWidget *widget, const QWidget *container)
{
    for (; widget; widget = widget->parentWidget()) {
        if (widget == container)
            return true;
    }
    return false;
}

} // namespace

HistoryItems historyItemsOf(const AppModel &model)
{
    return HistoryItems::ofModel(
        model.visibleItems(), [&model, revision = model.itemsRevision()] { return model.itemsRevision() == revision; },
        [&model](const QUuid &id) { return model.item(id); });
}

// --- Root view -------------------------------------------------------------------------------------------------------

void HistoryKeyHandlingView::keyPressEvent(QKeyEvent *event)
{
    if (HistoryTableView::startsSearch(HistoryKeyEvent::fromQKeyEvent(*event))) {
        if (onSearchKeyDown)
            onSearchKeyDown(*event);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void HistoryKeyHandlingView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if ((event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) && onEffectiveAppearanceChange)
        onEffectiveAppearanceChange();
}

// --- Controller ------------------------------------------------------------------------------------------------------

QSize HistoryContentViewController::rootViewSize(const AppPreferences &preferences)
{
    // The content is never narrower than 640 nor lower than 400, whatever the stored frame says.
    const double width = preferences.historyWindowWidth.value_or(620);
    const double height = preferences.historyWindowHeight.value_or(700);
    return QSize(int(std::lround(std::max(width, 640.0))), int(std::lround(std::max(height, 400.0))));
}

HistoryContentViewController::HistoryContentViewController(
    AppModel &model, AppCoordinator &coordinator, HistoryWindowCommands &commands, QWidget *viewParent, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_coordinator(coordinator)
    , m_commands(commands)
    , m_runner(model, coordinator, commands)
{
    if (viewParent) {
        m_view = new HistoryKeyHandlingView(viewParent);
    } else {
        m_ownedView = std::make_unique<HistoryKeyHandlingView>();
        m_view = m_ownedView.get();
    }
    m_view->setObjectName(QStringLiteral("historyContent"));
    m_view->resize(rootViewSize(m_model.preferences()));
    m_view->setFocusPolicy(Qt::NoFocus);
    m_view->setAutoFillBackground(true);
    m_view->setBackgroundRole(QPalette::Base);
    m_list = new History(m_view);
    m_list->setDelegate(this);
    auto *layout = new QVBoxLayout(m_view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);

    m_view->onSearchKeyDown = [this](const QKeyEvent &event) {
        if (m_toolbar)
            m_toolbar->insertKeyEvent(event);
    };
    m_view->onEffectiveAppearanceChange = [this] {
        if (m_toolbar)
            m_toolbar->updateAppearanceColors();
    };
    bindModel();
}

HistoryContentViewController::~HistoryContentViewController()
{
    m_list->setDelegate(nullptr);
    if (m_toolbar)
        m_toolbar->setDelegate(nullptr);
}

void HistoryContentViewController::setHistoryToolbar(HistoryToolbar *toolbar)
{
    if (m_toolbar)
        m_toolbar->setDelegate(nullptr);
    m_toolbar = toolbar;
    if (m_toolbar)
        m_toolbar->setDelegate(this);
}

// --- Subscriptions ---------------------------------------------------------------------------------------------------

void HistoryContentViewController::bindModel()
{
    // Every change arrives on a later turn of the event loop, after the model stored it; each subscription also
    // delivers the value it starts with. The handlers read the model then: a signal's value carried along to that
    // turn would be a second hold on the model's list of items, which its next change would copy whole.
    const auto subscribe = [this](auto signal, auto handler) {
        connect(&m_model, signal, this,
            [this, handler] { QMetaObject::invokeMethod(this, handler, Qt::QueuedConnection); });
        QMetaObject::invokeMethod(this, handler, Qt::QueuedConnection);
    };
    subscribe(&AppModel::itemsChanged, [this] {
        setNeedsReload();
        // The preview looks at the items once the list has them.
        QMetaObject::invokeMethod(
            this, [this] { m_commands.refreshPreviewSheetItem(); }, Qt::QueuedConnection);
    });
    // Delivered after the itemsChanged of the same change, and before the reload it asked for.
    connect(
        &m_model, &AppModel::itemsChangedByID, this, [this](const QSet<QUuid> &ids) { m_changedItemIDs.unite(ids); },
        Qt::QueuedConnection);
    subscribe(&AppModel::tagsChanged, [this] { setNeedsReload(); });
    subscribe(&AppModel::selectedItemIDChanged, [this] { scheduleSelectionSyncFromModel(); });
    subscribe(&AppModel::selectedItemIDsChanged, [this] { scheduleSelectionSyncFromModel(); });
    subscribe(&AppModel::preferencesChanged, [this] {
        setNeedsReload();
        updateToolbarState();
    });
    subscribe(&AppModel::localizationRevisionChanged, [this] {
        relabelToolbar();
        m_list->relabel();
        setNeedsReload();
    });
    subscribe(&AppModel::searchQueryChanged, [this] { setNeedsReload(); });
    subscribe(&AppModel::historySortOptionChanged, [this] { setNeedsReload(); });
    subscribe(&AppModel::isHistorySortReversedChanged, [this] { setNeedsReload(); });
    subscribe(&AppModel::selectedHistoryFilterContentTypesChanged, [this] { setNeedsReload(); });
    subscribe(&AppModel::selectedHistoryFilterTagIDsChanged, [this] { setNeedsReload(); });
    subscribe(&AppModel::selectedHistoryFilterSourceApplicationIDsChanged, [this] { setNeedsReload(); });
}

void HistoryContentViewController::setNeedsReload()
{
    // The deliveries of one turn rebuild the list once, after the last of them.
    if (std::exchange(m_isReloadScheduled, true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_isReloadScheduled)
                reloadHistoryList();
        },
        Qt::QueuedConnection);
}

void HistoryContentViewController::relabelToolbar()
{
    if (m_toolbar)
        m_toolbar->relabel();
}

// --- The list --------------------------------------------------------------------------------------------------------

void HistoryContentViewController::reloadHistoryList()
{
    m_isReloadScheduled = false;
    ++m_reloadCount;
    const AppPreferences &preferences = m_model.preferences();
    HistoryUpdate update;
    // The model's own items: the list copies none.
    update.modelItems = historyItemsOf(m_model);
    update.changedItemIDs = std::exchange(m_changedItemIDs, {});
    update.availableTags = TagOrder::sortedByName(m_model.tags());
    update.searchQuery = m_model.searchQuery();
    update.showCommandNumberShortcut = preferences.showCommandNumberShortcut;
    update.showPreviewForLinks = preferences.showPreviewForLinks;
    update.pinFavoritesToTop = preferences.pinFavoritesToTop;
    update.sectionDate = historySectionDate(m_model.historySortOption(), preferences.copySequenceModeEnabled);
    const QTimeZone zone = QTimeZone::systemTimeZone();
    update.calendar = HistoryCalendar {zone, m_dayClock->now().toTimeZone(zone).date()};
    update.selectedItemID = m_model.selectedItemID();
    update.selectedItemIDs = m_model.selectedItemIDs();
    update.fallbackSelection = [this](const ClipboardItem &item) { writeSingleSelection(item.id); };
    const QDate sectionsDate = update.calendar->today;
    m_list->update(std::move(update));
    if (sectionsDate != m_sectionsDate || !m_midnightCall.isPending()) {
        m_sectionsDate = sectionsDate;
        scheduleMidnightRebuild();
    }
    syncToolbarFilterState();
    updateToolbarState();
}

void HistoryContentViewController::reloadIfNeeded()
{
    // A window opened in the morning labels yesterday's items "Yesterday", also when nothing changed overnight.
    if (m_isReloadScheduled || (m_sectionsDate.isValid() && currentDate() != m_sectionsDate))
        reloadHistoryList();
}

void HistoryContentViewController::setDayClock(const Clock &clock, Scheduler &scheduler)
{
    m_midnightCall.cancel();
    m_dayClock = &clock;
    m_dayScheduler = &scheduler;
    if (m_sectionsDate.isValid())
        scheduleMidnightRebuild();
}

QDate HistoryContentViewController::currentDate() const
{
    const QTimeZone zone = QTimeZone::systemTimeZone();
    return m_dayClock->now().toTimeZone(zone).date();
}

void HistoryContentViewController::scheduleMidnightRebuild()
{
    m_midnightCall.cancel();
    const QTimeZone zone = QTimeZone::systemTimeZone();
    const QDateTime now = m_dayClock->now();
    const QDateTime midnight = QDateTime(m_sectionsDate.addDays(1), QTime(0, 0), zone);
    // A moment after midnight, so that the clock shows the new day; at once when it already does.
    const qint64 delay = qMax<qint64>(0, now.msecsTo(midnight)) + 1;
    m_midnightCall = m_dayScheduler->schedule(std::chrono::milliseconds(delay), this, [this] {
        if (currentDate() == m_sectionsDate) {
            scheduleMidnightRebuild(); // woken early
            return;
        }
        // A hidden window is rebuilt when it is shown next (reloadIfNeeded).
        if (m_view->isVisible())
            reloadHistoryList();
    });
}

void HistoryContentViewController::syncToolbarFilterState()
{
    if (!m_toolbar || !m_toolbar->showsFilterTokens())
        return;
    HistoryToolbarFilters filters;
    filters.contentTypes = m_model.selectedHistoryFilterContentTypes();
    filters.tags = TagOrder::sortedByName(m_model.tags());
    filters.tagIDs = m_model.selectedHistoryFilterTagIDs();
    filters.sourceApplications = m_model.sourceApplications();
    filters.sourceApplicationIDs = m_model.selectedHistoryFilterSourceApplicationIDs();
    if (filters != m_toolbar->filters())
        m_toolbar->setFilters(filters);
}

void HistoryContentViewController::updateToolbarState()
{
    // The actions stand for what the list shows: a selection that the search hides enables none of them.
    const QList<ClipboardItem> selection = m_model.visibleSelectedItems();
    const QList<ItemCommandEntry> actions = ItemCommandRegistry::toolbarActions(selection);
    const auto shown = [&](ItemCommandID id) {
        return std::any_of(
            actions.cbegin(), actions.cend(), [id](const ItemCommandEntry &entry) { return entry.id == id; });
    };
    const bool canPaste = !selection.isEmpty();
    const bool canCopy = shown(ItemCommandID::copyItems);
    std::optional<int> itemCount;
    if (selection.size() == 1 && selection.first().kind == ClipboardKind::file
        && selection.first().filePaths.size() >= 2)
        itemCount = int(selection.first().filePaths.size());
    if (!m_toolbar)
        return;

    const AppPreferences &preferences = m_model.preferences();
    HistoryToolbarState state = m_toolbar->state();
    state.isPinned = !preferences.hideOnFocusLoss;
    state.isCopySequenceModeEnabled = preferences.copySequenceModeEnabled;
    state.sortOption = m_model.historySortOption();
    state.isSortReversed = m_model.isHistorySortReversed();
    state.canPaste = canPaste;
    state.canCopy = canCopy;
    state.pasteItemCount = itemCount;
    state.copyItemCount = itemCount;
    state.showsCopy = canCopy;
    state.showsCopyTextFromImage = shown(ItemCommandID::copyTextFromImage);
    state.showsCopyTextFromQRCode = shown(ItemCommandID::copyTextFromQRCode);
    state.showsOpenInBrowser = shown(ItemCommandID::openInBrowser);
    state.showsMerge = shown(ItemCommandID::mergeItems);
    m_toolbar->setState(state);

    // The search text on one line.
    QString text = m_pendingSearchQuery.value_or(m_model.searchQuery());
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (m_toolbar->searchText() != text)
        m_toolbar->setSearchText(text);
}

void HistoryContentViewController::viewDidAppear()
{
    m_list->scrollToTopIfFirstItemSelected();
    // A search kept from the last opening has the keyboard, all of it selected: typing replaces it and Escape
    // clears it.
    if (m_toolbar && !m_toolbar->searchText().isEmpty()) {
        m_toolbar->selectSearchText();
        return;
    }
    m_list->tableView().setFocus(Qt::ActiveWindowFocusReason);
}

void HistoryContentViewController::resetSearch()
{
    if (!hasActiveSearchQuery())
        return;
    m_searchQueryDebounceCall.cancel();
    m_pendingSearchQuery.reset();
    if (m_model.searchQuery().isEmpty()) {
        updateToolbarState();
        selectFirstVisibleItem(true);
        return;
    }
    m_model.setSearchQuery(QString());
    selectFirstVisibleItem(false);
}

void HistoryContentViewController::keepSelectionOrSelectFirstVisibleItem(bool pushToList)
{
    const std::optional<QUuid> selected = m_model.selectedItemID();
    if (!selected || !m_model.visibleItemIDs().contains(*selected)) {
        selectFirstVisibleItem(pushToList);
        return;
    }
    if (pushToList) {
        pushSelectionToList();
        updateToolbarState();
    }
}

// --- Selection -------------------------------------------------------------------------------------------------------

void HistoryContentViewController::selectFirstVisibleItem(bool pushToList)
{
    const QList<QUuid> visible = m_model.visibleItemIDs();
    writeSingleSelection(visible.isEmpty() ? std::nullopt : std::optional(visible.first()));
    if (pushToList) {
        pushSelectionToList();
        updateToolbarState();
    }
}

void HistoryContentViewController::writeSingleSelection(const std::optional<QUuid> &id)
{
    // Not counted: the change comes back through the subscriptions and is pushed into the list then.
    m_model.setSelectedItemID(id);
    m_model.setSelectedItemIDs(id ? QSet<QUuid> {*id} : QSet<QUuid>());
    m_model.setSelectedItemIDsInSelectionOrder(id ? QList<QUuid> {*id} : QList<QUuid>());
}

void HistoryContentViewController::historySelectionDidChange(
    const QList<QUuid> &idsInSelectionOrder, const std::optional<QUuid> &primaryItemID)
{
    const QList<QUuid> &order = idsInSelectionOrder;
    const QSet<QUuid> ids(order.cbegin(), order.cend());
    // The focused item is the list's lead (the row clicked or moved to last), not the first in the order of
    // selection: the list takes it back as its lead whenever the model's selection is pushed in again.
    std::optional<QUuid> primary = primaryItemID;
    if (!primary && !order.isEmpty())
        primary = order.first();
    if (ids != m_model.selectedItemIDs()) {
        ++m_selectionModelUpdatesOriginatingFromList;
        m_model.setSelectedItemIDs(ids);
    }
    if (order != m_model.selectedItemIDsInSelectionOrder())
        m_model.setSelectedItemIDsInSelectionOrder(order);
    if (primary != m_model.selectedItemID()) {
        ++m_selectionModelUpdatesOriginatingFromList;
        m_model.setSelectedItemID(primary);
    }
    updateToolbarState();
    const ClipboardItem *first = order.isEmpty() ? nullptr : m_model.item(order.first());
    m_commands.retargetPreview(first ? std::optional(*first) : std::nullopt);
}

void HistoryContentViewController::scheduleSelectionSyncFromModel()
{
    if (m_selectionModelUpdatesOriginatingFromList > 0) {
        --m_selectionModelUpdatesOriginatingFromList; // the echo of a write made for the list
        return;
    }
    if (std::exchange(m_isSelectionSyncFromModelScheduled, true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_isSelectionSyncFromModelScheduled = false;
            pushSelectionToList();
            updateToolbarState();
        },
        Qt::QueuedConnection);
}

void HistoryContentViewController::pushSelectionToList()
{
    ++m_selectionPushCount;
    m_list->selectItems(m_model.selectedItemID(), m_model.selectedItemIDs(),
        [this](const ClipboardItem &item) { writeSingleSelection(item.id); });
}

// --- Requests of the list and the toolbar ----------------------------------------------------------------------------

void HistoryContentViewController::historyDidDoubleClickItem(const ClipboardItem &item)
{
    const AppPreferences &preferences = m_model.preferences();
    if (HistoryItemActionPreference::resolved(preferences.doubleClickAction) == HistoryItemActionPreference::copy) {
        if (m_coordinator.copyItem(item, PasteVariant::standard) && m_toolbar)
            m_toolbar->showCopySuccess();
        return;
    }
    m_coordinator.paste(item, PasteVariant::defaultFor(item.kind, preferences.preferPastingAsPlainText));
}

void HistoryContentViewController::historyContextMenu(
    QMenu &menu, const QList<ClipboardItem> &items, const std::optional<ClipboardItem> &)
{
    m_commands.fillContextMenu(menu, items);
}

void HistoryContentViewController::historyDidClickItem(const ClipboardItem &item)
{
    const AppPreferences &preferences = m_model.preferences();
    if (!preferences.pasteOnClick)
        return;
    m_coordinator.paste(item, PasteVariant::defaultFor(item.kind, preferences.preferPastingAsPlainText));
}

void HistoryContentViewController::historyNeedsLinkPreview(const ClipboardItem &item)
{
    m_coordinator.requestLinkPreviews(item);
}

void HistoryContentViewController::historyPlaySound(SoundEffect effect)
{
    m_coordinator.playSound(effect);
}

void HistoryContentViewController::historyForwardSearchKeyDown(const QKeyEvent &event)
{
    if (m_toolbar)
        m_toolbar->insertKeyEvent(event);
}

// --- Search, filters and sort from the toolbar ----------------------------------------------------------------------

bool HistoryContentViewController::hasActiveSearchQuery() const
{
    return !m_pendingSearchQuery.value_or(m_model.searchQuery()).trimmed().isEmpty();
}

void HistoryContentViewController::searchQueryDidChange(const QString &query)
{
    m_searchQueryDebounceCall.cancel();
    if (!query.trimmed().isEmpty()) {
        m_pendingSearchQuery = query;
        m_searchQueryDebounceCall = m_searchScheduler->schedule(
            searchQueryDebounce, this, [this, query] { applyDebouncedSearchQuery(query); });
        return;
    }
    const bool hadQuery = hasActiveSearchQuery();
    m_pendingSearchQuery.reset();
    // An emptied search (Escape, or its text deleted) widens the list around the item the user had among the
    // results, found or just edited there: it stays selected. The first item is selected when it is gone.
    applySearchQuery(query, hadQuery, true);
}

void HistoryContentViewController::applyDebouncedSearchQuery(const QString &query)
{
    if (m_pendingSearchQuery != query)
        return; // replaced or cleared meanwhile
    m_pendingSearchQuery.reset();
    m_searchQueryDebounceCall = {};
    if (m_model.searchQuery() == query)
        updateToolbarState();
    else
        m_model.setSearchQuery(query);
}

void HistoryContentViewController::applyPendingSearchNow()
{
    if (!m_pendingSearchQuery)
        return;
    const QString query = *m_pendingSearchQuery;
    m_searchQueryDebounceCall.cancel();
    applyDebouncedSearchQuery(query);
    reloadHistoryList();
}

void HistoryContentViewController::applySearchQuery(const QString &query, bool selectFirst, bool keepsVisibleSelection)
{
    const auto select = [&](bool pushToList) {
        if (keepsVisibleSelection)
            keepSelectionOrSelectFirstVisibleItem(pushToList);
        else
            selectFirstVisibleItem(pushToList);
    };
    if (m_model.searchQuery() != query) {
        m_model.setSearchQuery(query);
        if (selectFirst)
            select(false);
        return;
    }
    updateToolbarState();
    if (selectFirst)
        select(true);
}

void HistoryContentViewController::setContentTypeFilter(HistoryFilterContentType type, bool isSelected)
{
    if (type == HistoryFilterContentType::all) {
        if (m_model.selectedHistoryFilterContentTypes().isEmpty())
            return;
        m_model.setSelectedHistoryFilterContentTypes({});
        selectFirstVisibleItem(false);
    } else if (const auto types = withValue(m_model.selectedHistoryFilterContentTypes(), type, isSelected)) {
        m_model.setSelectedHistoryFilterContentTypes(*types);
        selectFirstVisibleItem(false);
    }
}

void HistoryContentViewController::setTagFilter(qint64 tagID, bool isSelected)
{
    if (const auto ids = withValue(m_model.selectedHistoryFilterTagIDs(), tagID, isSelected)) {
        m_model.setSelectedHistoryFilterTagIDs(*ids);
        selectFirstVisibleItem(false);
    }
}

void HistoryContentViewController::setSourceApplicationFilter(const QString &applicationID, bool isSelected)
{
    if (const auto ids = withValue(m_model.selectedHistoryFilterSourceApplicationIDs(), applicationID, isSelected)) {
        m_model.setSelectedHistoryFilterSourceApplicationIDs(*ids);
        selectFirstVisibleItem(false);
    }
}

void HistoryContentViewController::clearTagFilter()
{
    if (m_model.selectedHistoryFilterTagIDs().isEmpty())
        return;
    m_model.setSelectedHistoryFilterTagIDs({});
    selectFirstVisibleItem(false);
}

void HistoryContentViewController::clearSourceApplicationFilter()
{
    if (m_model.selectedHistoryFilterSourceApplicationIDs().isEmpty())
        return;
    m_model.setSelectedHistoryFilterSourceApplicationIDs({});
    selectFirstVisibleItem(false);
}

void HistoryContentViewController::clearFilters()
{
    if (!m_model.hasActiveHistoryFilters())
        return;
    m_model.clearHistoryFilters();
    selectFirstVisibleItem(false);
}

void HistoryContentViewController::selectSortOption(HistorySortOption option)
{
    m_model.setHistorySortOption(option);
    AppPreferences preferences = m_model.preferences();
    preferences.historySortOption = option.rawValue(); // the English title, in every language
    m_model.setPreferences(preferences);
    m_coordinator.savePreferences();
}

void HistoryContentViewController::toggleSortOrder()
{
    const bool reversed = !m_model.isHistorySortReversed();
    m_model.setHistorySortReversed(reversed);
    AppPreferences preferences = m_model.preferences();
    preferences.isHistorySortReversed = reversed;
    m_model.setPreferences(preferences);
    m_coordinator.savePreferences();
}

// --- Item requests from the toolbar ---------------------------------------------------------------------------------

void HistoryContentViewController::pasteSelectedItems()
{
    m_coordinator.pasteSelectedItems();
}

void HistoryContentViewController::copySelectedItems()
{
    const QList<ClipboardItem> selection = m_model.visibleSelectedItems();
    bool copied = false;
    if (selection.size() == 1)
        copied = m_coordinator.copyItem(selection.first(), PasteVariant::standard);
    else if (selection.size() >= 2 && ItemCommandRegistry::areMergeable(selection))
        copied = m_coordinator.copyMergedItems(selection);
    if (copied && m_toolbar)
        m_toolbar->showCopySuccess();
}

void HistoryContentViewController::runOnSelectedItem(ItemCommandID command)
{
    if (const auto item = m_model.visibleSelectedItem())
        m_runner.run({command, {item->id}});
}

void HistoryContentViewController::openSelectedItemInBrowser()
{
    runOnSelectedItem(ItemCommandID::openInBrowser);
}

void HistoryContentViewController::copyTextFromSelectedImage()
{
    runOnSelectedItem(ItemCommandID::copyTextFromImage);
}

void HistoryContentViewController::copyTextFromSelectedQRCode()
{
    runOnSelectedItem(ItemCommandID::copyTextFromQRCode);
}

void HistoryContentViewController::mergeSelectedItems()
{
    m_coordinator.mergeSelectedItems(m_model.visibleSelectedItems());
}

void HistoryContentViewController::togglePin()
{
    m_coordinator.togglePin();
    updateToolbarState();
}

void HistoryContentViewController::toggleCopySequenceMode()
{
    AppPreferences preferences = m_model.preferences();
    preferences.copySequenceModeEnabled = !preferences.copySequenceModeEnabled;
    m_model.setPreferences(preferences);
    m_coordinator.applyPreferences();
    reloadHistoryList();
}

void HistoryContentViewController::showCommandPalette()
{
    m_commands.presentCommandPalette();
}

void HistoryContentViewController::moveListSelection(HistorySelectionDirection direction)
{
    m_list->moveSelection(direction);
    m_list->tableView().setFocus(Qt::OtherFocusReason);
}

// --- Keys ------------------------------------------------------------------------------------------------------------

HistoryKeyFocus HistoryContentViewController::currentKeyFocus() const
{
    const QWidget *focus = QApplication::focusWidget();
    if (isInside(focus, &m_list->tableView()))
        return HistoryKeyFocus::list;
    if (m_toolbar && m_toolbar->isSearchFieldFocused())
        return HistoryKeyFocus::searchField;
    return HistoryKeyFocus::other;
}

HistoryKeyDispatchState HistoryContentViewController::keyDispatchState(HistoryKeyFocus focus) const
{
    HistoryKeyDispatchState state;
    state.isCommandPaletteOpen = m_commands.isCommandPaletteOpen();
    state.isOverlayOpen = m_commands.isOverlayOpen() || state.isCommandPaletteOpen;
    state.focus = focus;
    state.searchQuery = m_pendingSearchQuery.value_or(m_model.searchQuery());
    if (m_toolbar) {
        state.searchFieldHasText = !m_toolbar->searchText().isEmpty();
        state.searchFieldHasSelectedText = m_toolbar->hasSelectedSearchText();
    }
    state.isKeyboardMultipleSelectionMode = m_list->isKeyboardMultipleSelectionMode();
    return state;
}

bool HistoryContentViewController::handleKeyDown(const HistoryKeyEvent &event)
{
    return handleKeyDown(event, currentKeyFocus());
}

bool HistoryContentViewController::handleKeyDown(const HistoryKeyEvent &event, HistoryKeyFocus focus)
{
    using Kind = HistoryKeyDecision::Kind;
    const HistoryKeyDispatchState state = keyDispatchState(focus);
    if (state.isOverlayOpen) {
        if (HistoryKeyDispatch::decideOverlayKey(event, state).kind == Kind::closeCommandPalette) {
            m_commands.closeCommandPalette();
            return true;
        }
        return false; // the overlay's own widgets take the key
    }
    if (m_toolbar && m_toolbar->handleKeyDown(event))
        return true;
    // Select All in the list (the list's own key) takes the rows of the search as typed, never the rows of the
    // whole history that the list still shows until that search applies.
    if (focus == HistoryKeyFocus::list && event.modifiers() == KeyEventFlag::command && event.keyCode == VirtualKey::a)
        applyPendingSearchNow();

    const HistoryKeyDecision decision = HistoryKeyDispatch::decideWindowKey(event, state, m_model.preferences());
    switch (decision.kind) {
    case Kind::notHandled:
    case Kind::closeCommandPalette:
        return false;
    case Kind::showPreview:
        if (const auto item = m_model.visibleSelectedItem())
            m_commands.presentPreview(*item, false);
        return true;
    case Kind::numberKey:
        performNumberKeyAction(decision.number);
        return true;
    case Kind::removeCurrentFromSelection:
        m_list->applyKeyboardMultipleSelectionCommand(HistoryKeyboardMultipleSelectionCommand::removeCurrent);
        return true;
    case Kind::addCurrentToSelection:
        m_list->applyKeyboardMultipleSelectionCommand(HistoryKeyboardMultipleSelectionCommand::addCurrent);
        return true;
    case Kind::moveKeyboardFocusDown:
        m_list->moveKeyboardSelectionFocus(HistorySelectionDirection::down);
        return true;
    case Kind::moveKeyboardFocusUp:
        m_list->moveKeyboardSelectionFocus(HistorySelectionDirection::up);
        return true;
    case Kind::extendSelectionDown:
        m_list->extendSelection(HistorySelectionDirection::down);
        return true;
    case Kind::extendSelectionUp:
        m_list->extendSelection(HistorySelectionDirection::up);
        return true;
    case Kind::closeHistoryOrClearSearch:
        closeHistoryOrClearSearch();
        return true;
    case Kind::shortcut:
        applyPendingSearchNow();
        performShortcutAction(decision.action, focus);
        return true;
    }
    return false;
}

void HistoryContentViewController::closeHistoryOrClearSearch()
{
    if (m_toolbar && (!m_toolbar->searchText().isEmpty() || m_toolbar->hasSearchTokens())) {
        m_toolbar->clearSearch();
        return;
    }
    if (HistoryWindow *window = m_coordinator.historyWindow())
        window->hide();
}

void HistoryContentViewController::performNumberKeyAction(int number)
{
    const QList<QUuid> visible = m_model.visibleItemIDs();
    if (number < 1 || number > visible.size())
        return;
    const ClipboardItem *found = m_model.item(visible.at(number - 1));
    if (!found)
        return;
    const ClipboardItem item = *found;
    if (HistoryItemActionPreference::resolved(m_model.preferences().numberKeyAction)
        == HistoryItemActionPreference::copy) {
        if (m_coordinator.copyItem(item, PasteVariant::standard) && m_toolbar)
            m_toolbar->showCopySuccess();
        return;
    }
    m_coordinator.paste(item, PasteVariant::standard);
}

void HistoryContentViewController::performShortcutAction(HistoryShortcutAction action, HistoryKeyFocus focus)
{
    // The item commands act on what the list shows, never on a selection that the search hides.
    switch (action) {
    case HistoryShortcutAction::closeHistory:
        if (HistoryWindow *window = m_coordinator.historyWindow())
            window->hide();
        break;
    case HistoryShortcutAction::selectNextItem:
        m_list->moveSelection(HistorySelectionDirection::down);
        break;
    case HistoryShortcutAction::selectPreviousItem:
        if (!m_list->moveSelection(HistorySelectionDirection::up) && focus == HistoryKeyFocus::list && m_toolbar)
            m_toolbar->focusSearchField();
        break;
    case HistoryShortcutAction::pasteSelected:
        m_coordinator.pasteSelectedItems();
        break;
    case HistoryShortcutAction::pasteSelectedSecondary:
        m_commands.pasteSelectedSecondary();
        break;
    case HistoryShortcutAction::copySelected:
        if (m_commands.copySelected() && m_toolbar)
            m_toolbar->showCopySuccess();
        break;
    case HistoryShortcutAction::copySelectedSecondary:
        if (m_commands.copySelectedSecondary() && m_toolbar)
            m_toolbar->showCopySuccess();
        break;
    case HistoryShortcutAction::deleteItem: {
        QList<QUuid> ids;
        for (const ClipboardItem &item : m_model.visibleSelectedItems())
            ids.append(item.id);
        if (!ids.isEmpty())
            m_runner.run({ItemCommandID::deleteItems, ids});
        break;
    }
    case HistoryShortcutAction::toggleFavorite:
        runOnSelectedItem(ItemCommandID::favorite);
        break;
    case HistoryShortcutAction::showInFinder:
        runOnSelectedItem(ItemCommandID::showInFileManager);
        break;
    case HistoryShortcutAction::openInBrowser:
        runOnSelectedItem(ItemCommandID::openInBrowser);
        break;
    case HistoryShortcutAction::editItem:
        runOnSelectedItem(ItemCommandID::edit);
        break;
    case HistoryShortcutAction::renameItem:
        runOnSelectedItem(ItemCommandID::rename);
        break;
    case HistoryShortcutAction::transformItem:
        runOnSelectedItem(ItemCommandID::transform);
        break;
    case HistoryShortcutAction::focusSearchField:
        if (m_toolbar)
            m_toolbar->focusSearchField();
        break;
    case HistoryShortcutAction::filterHistoryByType:
        m_runner.run({ItemCommandID::filterByType});
        break;
    case HistoryShortcutAction::openSettings:
        m_runner.run({ItemCommandID::settings});
        break;
    case HistoryShortcutAction::showCommandPalette:
        m_commands.presentCommandPalette();
        break;
    }
}
