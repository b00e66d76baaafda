#include "PlainHistoryWindow.h"

#include "AppCoordinator.h"
#include "AppModel.h"
#include "History.h"
#include "HistoryTableView.h"
#include "Localization.h"
#include "TextUtilities.h"
#include "WindowActivation.h"
#include "WindowFrame.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

namespace {

constexpr QSize defaultSize(460, 420);

} // namespace

PlainHistoryWindow::PlainHistoryWindow(AppModel &model, AppCoordinator &coordinator, QObject *parent)
    : QObject(parent), m_model(model), m_coordinator(coordinator), m_panel(std::make_unique<QWidget>())
{
    // Tool windows stay out of the task bar; the flags are set once, as changing them would hide the window.
    m_panel->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    m_panel->setObjectName(QStringLiteral("historyWindow"));
    m_panel->installEventFilter(this);

    m_searchField = new QLineEdit(m_panel.get());
    m_searchField->setClearButtonEnabled(true);
    m_searchField->installEventFilter(this);

    m_list = new History(m_panel.get());
    m_list->setDelegate(this);
    m_list->tableView().setFocusPolicy(Qt::NoFocus); // typing stays in the search field

    auto *layout = new QVBoxLayout(m_panel.get());
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_searchField);
    layout->addWidget(m_list);

    m_reloadTimer.setSingleShot(true);
    m_reloadTimer.setInterval(0);
    connect(&m_reloadTimer, &QTimer::timeout, this, &PlainHistoryWindow::reload);

    connect(m_searchField, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_model.setSearchQuery(text);
        const QList<QUuid> visible = m_model.visibleItemIDs();
        m_coordinator.selectSingleItem(visible.isEmpty() ? std::nullopt : std::optional<QUuid>(visible.first()));
    });
    // The list follows whatever changes what it shows.
    connect(&m_model, &AppModel::itemsChanged, this, &PlainHistoryWindow::scheduleReload);
    connect(&m_model, &AppModel::tagsChanged, this, &PlainHistoryWindow::scheduleReload);
    connect(&m_model, &AppModel::selectedItemIDChanged, this, &PlainHistoryWindow::scheduleReload);
    connect(&m_model, &AppModel::searchQueryChanged, this, &PlainHistoryWindow::scheduleReload);
    connect(&m_model, &AppModel::preferencesChanged, this, &PlainHistoryWindow::scheduleReload);
    connect(&m_model, &AppModel::historySortOptionChanged, this, &PlainHistoryWindow::scheduleReload);
    connect(&m_model, &AppModel::isHistorySortReversedChanged, this, &PlainHistoryWindow::scheduleReload);
    connect(&m_model, &AppModel::selectedHistoryFilterContentTypesChanged, this, &PlainHistoryWindow::scheduleReload);
    connect(&m_model, &AppModel::selectedHistoryFilterTagIDsChanged, this, &PlainHistoryWindow::scheduleReload);
    connect(&m_model, &AppModel::selectedHistoryFilterSourceApplicationIDsChanged, this,
        &PlainHistoryWindow::scheduleReload);
    connect(&m_model, &AppModel::localizationRevisionChanged, this, &PlainHistoryWindow::scheduleReload);
    reload();
}

PlainHistoryWindow::~PlainHistoryWindow()
{
    // Destroying a visible window closes and deactivates it: nothing of that is a user's action.
    m_list->setDelegate(nullptr);
    m_panel->removeEventFilter(this);
    m_searchField->removeEventFilter(this);
}

void PlainHistoryWindow::show(bool afterActivation)
{
    if (!m_panel->isVisible()) {
        const AppPreferences &preferences = m_model.preferences();
        m_panel->setGeometry(
            WindowFrame::placement(WindowFrame::fromPreferences(preferences.historyWindowX, preferences.historyWindowY,
                                       preferences.historyWindowWidth, preferences.historyWindowHeight),
                defaultSize));
    }
    reload();
    WindowActivation::bringToFront(*m_panel);
    m_hasBeenShown = true;
    m_searchField->setFocus();
    if (afterActivation) {
        m_ignoreFocusLossUntil.setRemainingTime(focusLossGraceMs);
        QTimer::singleShot(0, this, [this] {
            if (m_panel->isVisible())
                WindowActivation::bringToFront(*m_panel);
        });
    }
}

void PlainHistoryWindow::hide()
{
    if (m_panel->isVisible())
        saveWindowFrame();
    hidePanel();
}

void PlainHistoryWindow::hideForPaste()
{
    hidePanel();
}

void PlainHistoryWindow::hidePanel()
{
    m_panel->hide();
    m_searchField->clear();
    if (!m_model.searchQuery().isEmpty())
        m_model.setSearchQuery(QString());
}

void PlainHistoryWindow::saveWindowFrame()
{
    if (!m_hasBeenShown)
        return;
    const StoredWindowFrame frame = WindowFrame::toStored(m_panel->geometry(), WindowFrame::primaryScreenGeometry());
    AppPreferences preferences = m_model.preferences();
    preferences.historyWindowX = frame.x;
    preferences.historyWindowY = frame.y;
    preferences.historyWindowWidth = frame.width;
    preferences.historyWindowHeight = frame.height;
    m_model.setPreferences(preferences);
    m_coordinator.savePreferences();
}

bool PlainHistoryWindow::isVisible() const
{
    return m_panel->isVisible();
}

QList<QUuid> PlainHistoryWindow::rowIDs() const
{
    QList<QUuid> ids;
    for (const HistoryTableRow &row : m_list->tableRows()) {
        if (const HistoryTableRow::Item *item = row.asItem())
            ids.append(item->item.id);
    }
    return ids;
}

void PlainHistoryWindow::scheduleReload()
{
    // A hidden window lists the items afresh when it is shown.
    if (m_panel->isVisible())
        m_reloadTimer.start();
}

void PlainHistoryWindow::reload()
{
    m_reloadTimer.stop();
    m_reloading = true;
    m_panel->setWindowTitle(localized(QStringLiteral("Clipboard History")));
    m_searchField->setPlaceholderText(localized(QStringLiteral("Search")));
    if (m_searchField->text() != m_model.searchQuery())
        m_searchField->setText(m_model.searchQuery());

    const AppPreferences &preferences = m_model.preferences();
    HistoryUpdate update;
    update.items = m_model.filteredItems();
    update.availableTags = m_model.tags();
    update.searchQuery = m_model.searchQuery();
    update.showCommandNumberShortcut = preferences.showCommandNumberShortcut;
    update.showPreviewForLinks = preferences.showPreviewForLinks;
    update.pinFavoritesToTop = preferences.pinFavoritesToTop;
    update.sectionDate = historySectionDate(m_model.historySortOption(), preferences.copySequenceModeEnabled);
    update.selectedItemID = m_model.selectedItemID();
    update.selectedItemIDs = m_model.selectedItemIDs();
    update.fallbackSelection = [this](const ClipboardItem &item) { m_coordinator.selectSingleItem(item.id); };
    m_list->update(std::move(update));
    m_reloading = false;
}

std::optional<QUuid> PlainHistoryWindow::selectedVisibleID() const
{
    const QList<QUuid> rows = rowIDs();
    const std::optional<QUuid> selected = m_model.selectedItemID();
    if (selected && rows.contains(*selected))
        return selected;
    return std::nullopt;
}

void PlainHistoryWindow::moveSelection(int offset)
{
    reload();
    const QList<QUuid> rows = rowIDs();
    if (rows.isEmpty())
        return;
    const std::optional<QUuid> selected = selectedVisibleID();
    const qsizetype position = selected ? rows.indexOf(*selected) + offset : (offset > 0 ? 0 : rows.size() - 1);
    m_coordinator.selectSingleItem(rows.at(std::clamp<qsizetype>(position, 0, rows.size() - 1)));
    reload();
}

void PlainHistoryWindow::pasteSelectedItem()
{
    reload();
    const QList<QUuid> rows = rowIDs();
    const std::optional<QUuid> id
        = selectedVisibleID() ? selectedVisibleID() : (rows.isEmpty() ? std::nullopt : std::optional(rows.first()));
    if (!id)
        return;
    if (const ClipboardItem *item = m_model.item(*id)) {
        const ClipboardItem pasted = *item;
        m_coordinator.paste(pasted, m_coordinator.defaultPasteVariant(pasted));
    }
}

bool PlainHistoryWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_panel.get() && event->type() == QEvent::WindowDeactivate) {
        if (m_panel->isVisible() && m_model.preferences().hideOnFocusLoss && m_ignoreFocusLossUntil.hasExpired())
            hide();
        return false;
    }
    if (event->type() != QEvent::KeyPress || (watched != m_searchField && watched != m_panel.get()))
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() & ~(Qt::KeypadModifier))
        return false;
    switch (key->key()) {
    case Qt::Key_Down:
        moveSelection(1);
        return true;
    case Qt::Key_Up:
        moveSelection(-1);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        pasteSelectedItem();
        return true;
    case Qt::Key_Escape:
        hide();
        return true;
    default:
        return false;
    }
}

void PlainHistoryWindow::historySelectionDidChange(
    const QList<ClipboardItem> &itemsInSelectionOrder, const std::optional<ClipboardItem> &primaryItem)
{
    if (m_reloading)
        return;
    QList<QUuid> order;
    for (const ClipboardItem &item : itemsInSelectionOrder)
        order.append(item.id);
    m_model.setSelectedItemID(primaryItem ? std::optional<QUuid>(primaryItem->id) : std::nullopt);
    m_model.setSelectedItemIDs(QSet<QUuid>(order.cbegin(), order.cend()));
    m_model.setSelectedItemIDsInSelectionOrder(order);
}

void PlainHistoryWindow::historyDidDoubleClickItem(const ClipboardItem &item)
{
    m_coordinator.paste(item, m_coordinator.defaultPasteVariant(item));
}

void PlainHistoryWindow::historyNeedsLinkPreview(const ClipboardItem &item)
{
    m_coordinator.requestLinkPreviews(item);
}

void PlainHistoryWindow::historyPlaySound(SoundEffect effect)
{
    m_coordinator.playSound(effect);
}

void PlainHistoryWindow::historyForwardSearchKeyDown(const QKeyEvent &event)
{
    m_searchField->setFocus();
    m_searchField->insert(event.text());
}
