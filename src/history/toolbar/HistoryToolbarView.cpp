#include "HistoryToolbarView.h"

#include "HistoryColors.h"
#include "HistoryPasteTarget.h"
#include "HistorySortMenu.h"
#include "Localization.h"
#include "SearchSuggestionsPopup.h"
#include "Symbols.h"

#include <QApplication>
#include <QCursor>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <QWindow>

#include <algorithm>
#include <limits>

using namespace std::chrono_literals;

const QString HistoryToolbarView::searchIdentifier = QStringLiteral("HistoryToolbarSearch");
const QString HistoryToolbarView::flexibleSpaceIdentifier = QStringLiteral("HistoryToolbarFlexibleSpace");
const QString HistoryToolbarView::sortIdentifier = QStringLiteral("HistoryToolbarSort");
const QString HistoryToolbarView::pinIdentifier = QStringLiteral("HistoryToolbarPin");
const QString HistoryToolbarView::copySequenceIdentifier = QStringLiteral("HistoryToolbarCopySequence");
const QString HistoryToolbarView::commandIdentifier = QStringLiteral("HistoryToolbarCommand");

namespace {

constexpr int symbolSize = 16;
constexpr int pasteTargetIconSize = 22;

const QColor systemGreen(52, 199, 89);

// The container of the search field: a click anywhere in it beside the chips puts the caret into the text.
class SearchFieldContainerView final : public QWidget
{
public:
    SearchFieldContainerView(SearchTokenField &field, QWidget *parent) : QWidget(parent), m_field(field) { }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton) {
            m_field.deselectChip();
            m_field.textField().setFocus(Qt::MouseFocusReason);
            event->accept();
            return;
        }
        QWidget::mousePressEvent(event);
    }

private:
    SearchTokenField &m_field;
};

QImage imageOf(const QIcon &icon, int size)
{
    if (icon.isNull())
        return {};
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QImage image = icon.pixmap(QSize(size, size), ratio).toImage();
    image.setDevicePixelRatio(ratio);
    return image;
}

} // namespace

QString HistoryToolbarView::identifier(ToolbarAction action)
{
    switch (action) {
    case ToolbarAction::paste:
        return QStringLiteral("HistoryToolbarPaste");
    case ToolbarAction::copy:
        return QStringLiteral("HistoryToolbarCopy");
    case ToolbarAction::openInBrowser:
        return QStringLiteral("HistoryToolbarOpenInBrowser");
    case ToolbarAction::copyTextFromImage:
        return QStringLiteral("HistoryToolbarCopyTextFromImage");
    case ToolbarAction::copyTextFromQRCode:
        return QStringLiteral("HistoryToolbarCopyTextFromQRCode");
    case ToolbarAction::merge:
        return QStringLiteral("HistoryToolbarMerge");
    }
    return {};
}

std::optional<HistoryToolbarView::ToolbarAction> HistoryToolbarView::actionForIdentifier(const QString &identifier)
{
    for (const ToolbarAction action : allActions) {
        if (HistoryToolbarView::identifier(action) == identifier)
            return action;
    }
    return std::nullopt;
}

QStringList HistoryToolbarView::defaultItemIdentifiers()
{
    return {searchIdentifier, flexibleSpaceIdentifier, identifier(ToolbarAction::paste),
        identifier(ToolbarAction::copy), sortIdentifier, copySequenceIdentifier, commandIdentifier, pinIdentifier};
}

HistoryToolbarView::HistoryToolbarView(std::function<std::optional<RunningApplication>()> pasteTarget,
    std::function<QIcon(const HistorySourceApplication &)> applicationIcon, QWidget *parent)
    : QWidget(parent)
    , m_pasteTarget(std::move(pasteTarget))
    , m_applicationIcon(std::move(applicationIcon))
    , m_suggestionsPopup(std::make_unique<SearchSuggestionsPopup>())
{
    setObjectName(QStringLiteral("historyToolbar"));

    // The search item: the lens, then the field.
    m_searchField = new SearchTokenField();
    m_searchContainer = new SearchFieldContainerView(*m_searchField, this);
    m_searchContainer->setObjectName(QStringLiteral("historySearchContainer"));
    m_searchField->setParent(m_searchContainer);
    m_searchField->setObjectName(QStringLiteral("historySearchField"));
    m_searchLogo = new QLabel(this);
    m_searchLogo->setFixedSize(20, 20);
    QFont font = m_searchField->textField().font();
    font.setPixelSize(18);
    font.setWeight(QFont::Light);
    m_searchField->textField().setFont(font);
    m_searchField->setFixedHeight(32);
    m_searchField->setDelegate(this);
    m_searchField->onTokensWidthChange = [this] { updateSearchContainerWidth(); };
    // The lens stands before the container, which is the field's alone.
    auto *searchLayout = new QHBoxLayout(m_searchContainer);
    searchLayout->setContentsMargins(0, 0, 0, 0);
    searchLayout->addWidget(m_searchField, 1, Qt::AlignVCenter);
    m_searchContainer->setFixedHeight(52);
    m_searchContainer->setFixedWidth(collapsedSearchWidth());
    m_suggestionsPopup->onSelect = [this](const SearchSuggestion &suggestion) { acceptSuggestion(suggestion); };

    m_flexibleSpace = new QWidget(this);
    m_flexibleSpace->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);

    for (const ToolbarAction action : allActions) {
        QToolButton *button = makeButton(identifier(action));
        connect(button, &QToolButton::clicked, this, [this, action] { performAction(action); });
    }
    QToolButton *sort = makeButton(sortIdentifier);
    sort->setPopupMode(QToolButton::InstantPopup);
    connect(makeButton(copySequenceIdentifier), &QToolButton::clicked, this, [this] {
        if (m_delegate)
            m_delegate->toggleCopySequenceMode();
    });
    connect(makeButton(commandIdentifier), &QToolButton::clicked, this, [this] {
        if (m_delegate)
            m_delegate->showCommandPalette();
    });
    connect(makeButton(pinIdentifier), &QToolButton::clicked, this, [this] {
        if (m_delegate)
            m_delegate->togglePin();
    });

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 0, 10, 0);
    layout->setSpacing(4);
    m_itemIdentifiers = defaultItemIdentifiers();
    layOutItems();

    rebuildSortMenu();
    updateAppearanceColors();
    relabel();
}

HistoryToolbarView::~HistoryToolbarView()
{
    m_copySuccessReset.cancel();
    for (ScheduledCall &step : m_copyIconAnimationSteps)
        step.cancel();
    if (m_observedWindow)
        m_observedWindow->removeEventFilter(this);
    m_searchField->setDelegate(nullptr);
    m_searchField->onTokensWidthChange = nullptr;
}

QToolButton *HistoryToolbarView::makeButton(const QString &identifier)
{
    auto *button = new QToolButton(this);
    button->setObjectName(identifier);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setIconSize(QSize(symbolSize, symbolSize));
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedHeight(28);
    button->setMinimumWidth(30);
    m_buttons.insert(identifier, button);
    return button;
}

QToolButton *HistoryToolbarView::button(const QString &identifier) const
{
    return m_buttons.value(identifier);
}

void HistoryToolbarView::layOutItems()
{
    auto *layout = static_cast<QHBoxLayout *>(this->layout());
    while (layout->count() > 0)
        delete layout->takeAt(0);
    for (QToolButton *button : std::as_const(m_buttons))
        button->hide();
    for (const QString &identifier : std::as_const(m_itemIdentifiers)) {
        if (identifier == searchIdentifier) {
            layout->addSpacing(1);
            layout->addWidget(m_searchLogo, 0, Qt::AlignVCenter);
            layout->addSpacing(11 - layout->spacing());
            layout->addWidget(m_searchContainer, m_isSearchExpanded ? 1 : 0);
        } else if (identifier == flexibleSpaceIdentifier) {
            layout->addWidget(m_flexibleSpace, m_isSearchExpanded ? 0 : 1);
        } else if (QToolButton *button = m_buttons.value(identifier)) {
            layout->addWidget(button);
            button->show();
        }
    }
    layout->invalidate();
}

// --- Texts and pictures ----------------------------------------------------------------------------------------------

QPixmap HistoryToolbarView::symbol(const QString &name, const QColor &color) const
{
    return Symbols::tintedPixmap(name, symbolSize, color, devicePixelRatioF());
}

QString HistoryToolbarView::actionTitle(ToolbarAction action, const std::optional<RunningApplication> &target) const
{
    const bool named = target && !target->name.isEmpty();
    switch (action) {
    case ToolbarAction::paste:
        if (m_state.pasteItemCount) {
            return named ? localized(QStringLiteral("Paste %d Items to %@"), {*m_state.pasteItemCount, target->name})
                         : localized(QStringLiteral("Paste %d Items to Active App"), {*m_state.pasteItemCount});
        }
        return named ? localized(QStringLiteral("Paste to %@"), {target->name})
                     : localized(QStringLiteral("Paste to Active App"));
    case ToolbarAction::copy:
        return m_state.copyItemCount ? localized(QStringLiteral("Copy %d Items to Clipboard"), {*m_state.copyItemCount})
                                     : localized(QStringLiteral("Copy to Clipboard"));
    case ToolbarAction::openInBrowser:
        return localized(QStringLiteral("Open in Browser"));
    case ToolbarAction::copyTextFromImage:
        return localized(QStringLiteral("Copy Text from Image"));
    case ToolbarAction::copyTextFromQRCode:
        return localized(QStringLiteral("Copy Text from QR Code"));
    case ToolbarAction::merge:
        return localized(QStringLiteral("Merge"));
    }
    return {};
}

QPixmap HistoryToolbarView::actionImage(ToolbarAction action, const std::optional<RunningApplication> &target) const
{
    const QColor text = HistoryColors::label(palette());
    switch (action) {
    case ToolbarAction::paste:
        return HistoryPasteTarget::pasteTargetIcon(target, pasteTargetIconSize)
            .pixmap(QSize(pasteTargetIconSize, pasteTargetIconSize), devicePixelRatioF());
    case ToolbarAction::copy:
        return m_isShowingCopySuccess ? symbol(QStringLiteral("checkmark"), systemGreen)
                                      : symbol(QStringLiteral("square.on.square"), text);
    case ToolbarAction::openInBrowser:
        return symbol(QStringLiteral("globe"), text);
    case ToolbarAction::copyTextFromImage:
        return symbol(QStringLiteral("text.viewfinder"), text);
    case ToolbarAction::copyTextFromQRCode:
        return symbol(QStringLiteral("qrcode.viewfinder"), text);
    case ToolbarAction::merge:
        return symbol(QStringLiteral("arrow.down.and.line.horizontal.and.arrow.up"), text);
    }
    return {};
}

bool HistoryToolbarView::isActionShown(ToolbarAction action) const
{
    switch (action) {
    case ToolbarAction::paste:
        return true;
    case ToolbarAction::copy:
        return m_state.showsCopy;
    case ToolbarAction::openInBrowser:
        return m_state.showsOpenInBrowser;
    case ToolbarAction::copyTextFromImage:
        return m_state.showsCopyTextFromImage;
    case ToolbarAction::copyTextFromQRCode:
        return m_state.showsCopyTextFromQRCode;
    case ToolbarAction::merge:
        return m_state.showsMerge;
    }
    return false;
}

bool HistoryToolbarView::isActionEnabled(ToolbarAction action) const
{
    switch (action) {
    case ToolbarAction::paste:
        return m_state.canPaste;
    case ToolbarAction::copy:
        return m_state.canCopy;
    default:
        return isActionShown(action);
    }
}

void HistoryToolbarView::updateActionItems()
{
    const std::optional<RunningApplication> target = m_pasteTarget ? m_pasteTarget() : std::nullopt;
    for (const ToolbarAction action : allActions) {
        QToolButton *item = m_buttons.value(identifier(action));
        const QString title = actionTitle(action, target);
        item->setText(title);
        item->setToolTip(title);
        item->setAccessibleName(title);
        item->setEnabled(isActionEnabled(action));
        if (action == ToolbarAction::paste)
            item->setIconSize(QSize(pasteTargetIconSize, pasteTargetIconSize));
        if (action == ToolbarAction::copy)
            setCopyImage(actionImage(action, target));
        else
            item->setIcon(QIcon(actionImage(action, target)));
    }
}

void HistoryToolbarView::updateActionItemsVisibility()
{
    // The wanted action items stand in their order between the flexible space and the sort item; paste stays.
    for (const ToolbarAction action : {ToolbarAction::copy, ToolbarAction::copyTextFromImage,
             ToolbarAction::copyTextFromQRCode, ToolbarAction::openInBrowser, ToolbarAction::merge}) {
        if (!isActionShown(action))
            m_itemIdentifiers.removeOne(identifier(action));
    }
    for (const ToolbarAction action : allActions) {
        const QString id = identifier(action);
        if (!isActionShown(action) || m_itemIdentifiers.contains(id))
            continue;
        qsizetype index = -1;
        for (int before = int(action) - 1; before >= 0 && index < 0; --before) {
            const qsizetype found = m_itemIdentifiers.indexOf(identifier(ToolbarAction(before)));
            if (found >= 0)
                index = found + 1;
        }
        if (index < 0)
            index = m_itemIdentifiers.contains(sortIdentifier) ? m_itemIdentifiers.indexOf(sortIdentifier)
                                                               : m_itemIdentifiers.size();
        m_itemIdentifiers.insert(index, id);
    }
    layOutItems();
}

void HistoryToolbarView::updatePinItem()
{
    const QString title = m_state.isPinned ? localized(QStringLiteral("Stop always displaying"))
                                           : localized(QStringLiteral("Always display"));
    QToolButton *item = m_buttons.value(pinIdentifier);
    item->setText(title);
    item->setToolTip(title);
    item->setAccessibleName(title);
    item->setCheckable(true);
    item->setChecked(m_state.isPinned);
    item->setIcon(QIcon(symbol(m_state.isPinned ? QStringLiteral("pin.fill") : QStringLiteral("pin"),
        m_state.isPinned ? palette().color(QPalette::Highlight) : HistoryColors::label(palette()))));
}

void HistoryToolbarView::updateCopySequenceItem()
{
    const bool enabled = m_state.isCopySequenceModeEnabled;
    const QString title = enabled ? localized(QStringLiteral("Disable Copy Sequence"))
                                  : localized(QStringLiteral("Enable Copy Sequence"));
    QToolButton *item = m_buttons.value(copySequenceIdentifier);
    item->setText(title);
    item->setToolTip(title);
    item->setAccessibleName(title);
    item->setIcon(
        QIcon(enabled ? symbol(QStringLiteral("square.stack.3d.up.fill"), palette().color(QPalette::Highlight))
                      : symbol(QStringLiteral("square.stack.3d.up"), HistoryColors::label(palette()))));
}

void HistoryToolbarView::updateSearchPlaceholder()
{
    m_searchField->setPlaceholderText(localized(QStringLiteral("Type to search...")));
    // The empty field is as wide as its placeholder in this language, so that it is never cut short.
    if (!m_searchContainer)
        return;
    if (!m_isSearchExpanded)
        m_searchContainer->setFixedWidth(collapsedSearchWidth());
    else
        m_searchContainer->setMinimumWidth(collapsedSearchWidth());
}

int HistoryToolbarView::collapsedSearchWidth() const
{
    const SearchTokenTextField &text = m_searchField->textField();
    const QMargins margins = text.textMargins();
    // The line edit keeps two pixels beside its text on either side; one more for the rounding of the advance.
    const int placeholder = QFontMetrics(text.font()).horizontalAdvance(localized(QStringLiteral("Type to search...")))
        + margins.left() + margins.right() + 2 * 2 + 1;
    return qMax(searchBaseWidth, placeholder);
}

void HistoryToolbarView::relabel()
{
    updateSearchPlaceholder();
    m_searchContainer->setToolTip(localized(QStringLiteral("Search history")));
    m_searchContainer->setAccessibleName(localized(QStringLiteral("Search")));
    QToolButton *sort = m_buttons.value(sortIdentifier);
    sort->setText(localized(QStringLiteral("Sort")));
    sort->setToolTip(localized(QStringLiteral("Sort history")));
    sort->setAccessibleName(localized(QStringLiteral("Sort")));
    QToolButton *command = m_buttons.value(commandIdentifier);
    command->setText(localized(QStringLiteral("Command")));
    command->setToolTip(localized(QStringLiteral("Command")));
    command->setAccessibleName(localized(QStringLiteral("Command")));
    updateActionItems();
    updatePinItem();
    updateCopySequenceItem();
    rebuildSortMenu();
    syncSearchTokensWithFilters(); // the content types' titles
}

void HistoryToolbarView::updateAppearanceColors()
{
    const QColor placeholder = palette().color(QPalette::PlaceholderText);
    m_searchLogo->setPixmap(
        Symbols::tintedPixmap(QStringLiteral("magnifyingglass"), 20, placeholder, devicePixelRatioF()));
    QPalette textColors = m_searchField->textField().palette();
    textColors.setColor(QPalette::PlaceholderText, placeholder);
    textColors.setColor(QPalette::Base, Qt::transparent);
    m_searchField->textField().setPalette(textColors);
    m_buttons.value(sortIdentifier)
        ->setIcon(QIcon(symbol(QStringLiteral("line.3.horizontal.decrease"), HistoryColors::label(palette()))));
    m_buttons.value(commandIdentifier)
        ->setIcon(QIcon(symbol(QStringLiteral("command"), HistoryColors::label(palette()))));
    updateActionItems();
    updatePinItem();
    updateCopySequenceItem();
    m_searchLogo->update();
    m_searchField->update();
}

// --- State from the controller ---------------------------------------------------------------------------------------

void HistoryToolbarView::setState(const HistoryToolbarState &state)
{
    const HistoryToolbarState previous = std::exchange(m_state, state);
    if (!previous.sameVisibility(state))
        updateActionItemsVisibility();
    updateActionItems();
    if (previous.isPinned != state.isPinned)
        updatePinItem();
    if (previous.isCopySequenceModeEnabled != state.isCopySequenceModeEnabled)
        updateCopySequenceItem();
    if (previous.sortOption != state.sortOption || previous.isSortReversed != state.isSortReversed
        || previous.isCopySequenceModeEnabled != state.isCopySequenceModeEnabled)
        rebuildSortMenu();
}

void HistoryToolbarView::setFilters(const HistoryToolbarFilters &filters)
{
    m_filters = filters;
    syncSearchTokensWithFilters();
    rebuildSortMenu();
}

QMenu *HistoryToolbarView::sortMenu() const
{
    return m_sortMenu.get();
}

void HistoryToolbarView::rebuildSortMenu()
{
    // An open menu is a snapshot: it is replaced once it closed.
    if (m_sortMenu && m_sortMenu->isVisible()) {
        m_isSortMenuStale = true;
        return;
    }
    m_isSortMenuStale = false;
    HistorySortMenuState state;
    state.isCopySequenceModeEnabled = m_state.isCopySequenceModeEnabled;
    state.sortOption = m_state.sortOption;
    state.isSortReversed = m_state.isSortReversed;
    state.selectedFilterContentTypes = m_filters.contentTypes;
    state.filterTags = m_filters.tags;
    state.selectedFilterTagIDs = m_filters.tagIDs;
    state.filterSourceApplications = m_filters.sourceApplications;
    state.selectedFilterSourceApplicationIDs = m_filters.sourceApplicationIDs;
    // Each choice reports to whoever is the delegate when it is made.
    const QPointer<HistoryToolbarView> self(this);
    const auto delegate = [self]() -> HistoryToolbarDelegate * { return self ? self->m_delegate : nullptr; };
    HistorySortMenuActions actions;
    actions.selectSortOption = [delegate](HistorySortOption option) {
        if (auto *d = delegate())
            d->selectSortOption(option);
    };
    actions.toggleSortOrder = [delegate] {
        if (auto *d = delegate())
            d->toggleSortOrder();
    };
    actions.setContentTypeFilter = [delegate](HistoryFilterContentType type, bool isSelected) {
        if (auto *d = delegate())
            d->setContentTypeFilter(type, isSelected);
    };
    actions.setTagFilter = [delegate](qint64 id, bool isSelected) {
        if (auto *d = delegate())
            d->setTagFilter(id, isSelected);
    };
    actions.clearTagFilter = [delegate] {
        if (auto *d = delegate())
            d->clearTagFilter();
    };
    actions.setSourceApplicationFilter = [delegate](const QString &id, bool isSelected) {
        if (auto *d = delegate())
            d->setSourceApplicationFilter(id, isSelected);
    };
    actions.clearSourceApplicationFilter = [delegate] {
        if (auto *d = delegate())
            d->clearSourceApplicationFilter();
    };
    actions.clearFilters = [delegate] {
        if (auto *d = delegate())
            d->clearFilters();
    };
    std::unique_ptr<QMenu> menu = makeHistorySortMenu(state, actions, m_applicationIcon);
    menu->setObjectName(QStringLiteral("historySortMenu"));
    connect(menu.get(), &QMenu::aboutToHide, this, [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                releaseSortButton();
                if (m_isSortMenuStale)
                    rebuildSortMenu();
            },
            Qt::QueuedConnection);
    });
    m_buttons.value(sortIdentifier)->setMenu(menu.get());
    // The old menu may be the one whose choice is being reported right now: it goes once that is over.
    if (m_sortMenu)
        m_sortMenu.release()->deleteLater();
    m_sortMenu = std::move(menu);
}

void HistoryToolbarView::releaseSortButton()
{
    // While the menu was open it had the pointer: the button saw it leave for a click elsewhere neither then nor
    // at the next move, and went on being drawn under the pointer, as if pressed.
    QToolButton *sort = m_buttons.value(sortIdentifier);
    if (!sort || sort->rect().contains(sort->mapFromGlobal(QCursor::pos())))
        return;
    if (sort->isDown())
        sort->setDown(false);
    if (sort->testAttribute(Qt::WA_UnderMouse)) {
        sort->setAttribute(Qt::WA_UnderMouse, false);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(sort, &leave);
    }
    sort->update();
}

// --- Search field ----------------------------------------------------------------------------------------------------

QString HistoryToolbarView::searchText() const
{
    return m_searchField->textField().text();
}

void HistoryToolbarView::setSearchText(const QString &text)
{
    if (m_searchField->textField().text() == text)
        return;
    m_searchField->textField().setText(text);
    updateSearchContainerWidth();
}

bool HistoryToolbarView::hasSelectedSearchText() const
{
    return m_searchField->textField().hasSelectedText();
}

bool HistoryToolbarView::isSearchFieldFocused() const
{
    return m_searchField->textField().hasFocus() || m_searchField->hasFocus();
}

void HistoryToolbarView::focusSearchField()
{
    m_searchField->deselectChip();
    SearchTokenTextField &text = m_searchField->textField();
    text.setFocus(Qt::ShortcutFocusReason);
    text.deselect();
    text.end(false);
}

void HistoryToolbarView::selectSearchText()
{
    m_searchField->deselectChip();
    SearchTokenTextField &text = m_searchField->textField();
    text.setFocus(Qt::ShortcutFocusReason);
    text.selectAll();
}

void HistoryToolbarView::insertKeyEvent(const QKeyEvent &event)
{
    m_searchField->insertKeyEvent(event);
}

void HistoryToolbarView::searchTokenFieldDidChangeText(SearchTokenField &field)
{
    // The search is one line.
    SearchTokenTextField &text = field.textField();
    QString cleaned = text.text();
    cleaned.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (QChar &character : cleaned) {
        if (character == u'\n' || character == u'\r' || character == QChar(0x2028) || character == QChar(0x2029)
            || character == QChar(0x0B) || character == QChar(0x0C) || character == QChar(0x85))
            character = u' ';
    }
    if (cleaned != text.text()) {
        const int position = text.cursorPosition();
        text.setText(cleaned);
        text.setCursorPosition(qMin(position, int(cleaned.size())));
    }
    if (m_delegate)
        m_delegate->searchQueryDidChange(text.text());
    updateSearchContainerWidth();
    updateSuggestions();
}

void HistoryToolbarView::searchTokenFieldDidRemoveToken(SearchTokenField &, const SearchToken &token)
{
    applyTokenFilter(token.kind, false);
    updateSearchContainerWidth();
    updateSuggestions();
}

void HistoryToolbarView::searchTokenFieldMoveSelection(SearchTokenField &, HistorySelectionDirection direction)
{
    if (!m_suggestionsPopup->isVisible()) {
        if (m_delegate)
            m_delegate->moveListSelection(direction);
        return;
    }
    moveHighlight(direction);
}

bool HistoryToolbarView::searchTokenFieldPerform(SearchTokenField &, SearchTokenFieldCommand command)
{
    if (command == SearchTokenFieldCommand::accept)
        return m_suggestionsPopup->isVisible() && acceptHighlightedSuggestion();
    if (m_suggestionsPopup->isVisible()) {
        m_suggestionsPopup->hide();
        return true;
    }
    if (searchText().isEmpty() && !hasSearchTokens())
        return false;
    clearSearch();
    return true;
}

void HistoryToolbarView::moveHighlight(HistorySelectionDirection direction)
{
    m_suggestionsPopup->moveHighlight(direction);
}

bool HistoryToolbarView::acceptHighlightedSuggestion()
{
    const int index = m_suggestionsPopup->selectedIndex();
    const QList<SearchSuggestion> &suggestions = m_suggestionsPopup->suggestions();
    if (index < 0 || index >= suggestions.size())
        return false;
    acceptSuggestion(suggestions.at(index));
    return true;
}

bool HistoryToolbarView::handleKeyDown(const HistoryKeyEvent &event)
{
    if (!m_suggestionsPopup->isVisible() || !m_searchField->isEditing() || event.modifiers() != 0)
        return false;
    switch (event.keyCode) {
    case 125: // Down
    case 126: // Up
        moveHighlight(event.keyCode == 125 ? HistorySelectionDirection::down : HistorySelectionDirection::up);
        return true;
    case 36: // Return
    case 76: // Enter
    case 48: // Tab
        return acceptHighlightedSuggestion();
    case 53: // Escape
        m_suggestionsPopup->hide();
        return true;
    default:
        return false;
    }
}

void HistoryToolbarView::applyTokenFilter(const SearchTokenKind &kind, bool isSelected)
{
    if (!m_delegate)
        return;
    if (kind.isContentType())
        m_delegate->setContentTypeFilter(kind.contentTypeValue(), isSelected);
    else if (kind.isTag())
        m_delegate->setTagFilter(kind.tagID(), isSelected);
    else
        m_delegate->setSourceApplicationFilter(kind.sourceApplicationID(), isSelected);
}

QList<SearchToken> HistoryToolbarView::sortedTokens(
    QList<SearchToken> tokens, const QList<Tag> &tags, const QList<HistorySourceApplication> &applications)
{
    constexpr int missing = std::numeric_limits<int>::max();
    const auto key = [&](const SearchToken &token) -> std::pair<int, int> {
        if (token.kind.isContentType())
            return {0, int(token.kind.contentTypeValue())};
        if (token.kind.isSourceApplication()) {
            const auto found = std::find_if(applications.cbegin(), applications.cend(),
                [&](const HistorySourceApplication &a) { return a.id == token.kind.sourceApplicationID(); });
            return {1, found == applications.cend() ? missing : int(found - applications.cbegin())};
        }
        const auto found
            = std::find_if(tags.cbegin(), tags.cend(), [&](const Tag &t) { return t.id == token.kind.tagID(); });
        return {2, found == tags.cend() ? missing : int(found - tags.cbegin())};
    };
    std::stable_sort(
        tokens.begin(), tokens.end(), [&](const SearchToken &a, const SearchToken &b) { return key(a) < key(b); });
    return tokens;
}

void HistoryToolbarView::acceptSuggestion(const SearchSuggestion &suggestion)
{
    m_suggestionsPopup->hide();
    QList<SearchToken> tokens = m_searchField->tokens();
    const bool present = std::any_of(
        tokens.cbegin(), tokens.cend(), [&](const SearchToken &token) { return token.kind == suggestion.token.kind; });
    if (!present) {
        tokens.append(suggestion.token);
        tokens = sortedTokens(tokens, m_filters.tags, m_filters.sourceApplications);
    }
    m_searchField->setTokens(tokens);
    updateSearchContainerWidth();
    if (!searchText().isEmpty()) {
        m_searchField->textField().setText(QString());
        if (m_delegate)
            m_delegate->searchQueryDidChange(QString());
    }
    applyTokenFilter(suggestion.token.kind, true);
    m_searchField->textField().setFocus(Qt::OtherFocusReason);
}

QImage HistoryToolbarView::cachedApplicationIcon(const HistorySourceApplication &application)
{
    const auto found = m_applicationIcons.constFind(application.id);
    if (found != m_applicationIcons.constEnd())
        return *found;
    const QImage image = m_applicationIcon ? imageOf(m_applicationIcon(application), 16) : QImage();
    m_applicationIcons.insert(application.id, image);
    return image;
}

void HistoryToolbarView::updateSuggestions()
{
    QWidget *window = this->window();
    if (!m_searchField->isEditing() || !window || !window->isVisible()) {
        m_suggestionsPopup->hide();
        return;
    }
    QSet<SearchTokenKind> excluded;
    for (const SearchToken &token : m_searchField->tokens())
        excluded.insert(token.kind);
    const QList<SearchSuggestion> suggestions
        = buildSearchSuggestions(searchText(), m_filters.tags, m_filters.sourceApplications, excluded, suggestionLimit,
            [this](const HistorySourceApplication &application) { return cachedApplicationIcon(application); });
    if (suggestions.isEmpty()) {
        m_suggestionsPopup->hide();
        return;
    }
    const SearchTokenTextField &text = m_searchField->textField();
    const QRect anchor(text.mapToGlobal(QPoint(0, 0)), text.size());
    m_suggestionsPopup->show(suggestions, anchor, window);
}

void HistoryToolbarView::syncSearchTokensWithFilters()
{
    QList<SearchToken> tokens;
    for (const auto value : HistoryFilterContentType::allCases) {
        const HistoryFilterContentType type(value);
        if (m_filters.contentTypes.contains(type))
            tokens.append(
                SearchToken {SearchTokenKind::contentType(type), searchTokenTitle(type), searchTokenImage(type)});
    }
    for (const HistorySourceApplication &application : std::as_const(m_filters.sourceApplications)) {
        if (m_filters.sourceApplicationIDs.contains(application.id))
            tokens.append(SearchToken {SearchTokenKind::sourceApplication(application.id), application.name,
                cachedApplicationIcon(application)});
    }
    for (const Tag &tag : std::as_const(m_filters.tags)) {
        if (m_filters.tagIDs.contains(tag.id))
            tokens.append(SearchToken {
                SearchTokenKind::tag(tag.id), tag.name, imageOf(HistoryPasteTarget::tagColorDotImage(tag.color), 12)});
    }
    m_searchField->setTokens(tokens);
    updateSearchContainerWidth();
    updateSuggestions();
}

void HistoryToolbarView::clearSearch()
{
    m_suggestionsPopup->hide();
    if (!searchText().isEmpty())
        m_searchField->textField().setText(QString());
    if (m_delegate)
        m_delegate->searchQueryDidChange(QString());
    if (!m_searchField->tokens().isEmpty()) {
        m_searchField->setTokens({});
        updateSearchContainerWidth();
        if (m_delegate)
            m_delegate->clearFilters();
    }
    updateSearchContainerWidth();
    if (window())
        m_searchField->textField().setFocus(Qt::OtherFocusReason);
}

void HistoryToolbarView::updateSearchContainerWidth()
{
    const bool expanded = !searchText().isEmpty() || !m_searchField->tokens().isEmpty();
    if (expanded == m_isSearchExpanded)
        return;
    m_isSearchExpanded = expanded;
    if (expanded) {
        m_searchContainer->setMinimumWidth(collapsedSearchWidth());
        m_searchContainer->setMaximumWidth(QWIDGETSIZE_MAX);
        m_flexibleSpace->setFixedWidth(searchTrailingGap);
    } else {
        m_searchContainer->setFixedWidth(collapsedSearchWidth());
        m_flexibleSpace->setMinimumWidth(0);
        m_flexibleSpace->setMaximumWidth(QWIDGETSIZE_MAX);
    }
    layOutItems();
    layout()->activate();
}

void HistoryToolbarView::scheduleSearchContainerWidthUpdate()
{
    if (std::exchange(m_isSearchContainerWidthUpdateScheduled, true))
        return;
    m_scheduler->schedule(0ms, this, [this] {
        m_isSearchContainerWidthUpdateScheduled = false;
        updateSearchContainerWidth();
    });
}

// --- Item actions and the copy notice --------------------------------------------------------------------------------

void HistoryToolbarView::performAction(ToolbarAction action)
{
    if (!m_delegate)
        return;
    switch (action) {
    case ToolbarAction::paste:
        m_delegate->pasteSelectedItems();
        break;
    case ToolbarAction::copy:
        m_delegate->copySelectedItems();
        break;
    case ToolbarAction::openInBrowser:
        m_delegate->openSelectedItemInBrowser();
        break;
    case ToolbarAction::copyTextFromImage:
        m_delegate->copyTextFromSelectedImage();
        break;
    case ToolbarAction::copyTextFromQRCode:
        m_delegate->copyTextFromSelectedQRCode();
        break;
    case ToolbarAction::merge:
        m_delegate->mergeSelectedItems();
        break;
    }
}

void HistoryToolbarView::setCopyImage(const QPixmap &pixmap)
{
    m_copyImage = pixmap;
    ++m_copyImageChangeCount;
    m_buttons.value(identifier(ToolbarAction::copy))->setIcon(QIcon(pixmap));
}

void HistoryToolbarView::showCopySuccess()
{
    m_copySuccessReset.cancel();
    m_isShowingCopySuccess = true;
    const std::optional<RunningApplication> target = m_pasteTarget ? m_pasteTarget() : std::nullopt;
    animateCopyImage(actionImage(ToolbarAction::copy, target));
    m_copySuccessReset = m_scheduler->schedule(std::chrono::milliseconds(copySuccessMs), this, [this] {
        m_isShowingCopySuccess = false;
        animateCopyImage(actionImage(ToolbarAction::copy, std::nullopt));
    });
}

void HistoryToolbarView::animateCopyImage(const QPixmap &to)
{
    ++m_copyIconAnimationID;
    for (ScheduledCall &step : m_copyIconAnimationSteps)
        step.cancel();
    m_copyIconAnimationSteps.clear();
    const int id = m_copyIconAnimationID;
    const QPixmap from = m_copyImage;
    if (from.isNull() || to.isNull()) {
        setCopyImage(to);
        return;
    }
    for (int k = 1; k <= copyIconAnimationSteps; ++k) {
        m_copyIconAnimationSteps.append(m_scheduler->schedule(
            std::chrono::milliseconds(k * copyIconAnimationStepMs), this, [this, id, k, from, to] {
                if (id != m_copyIconAnimationID)
                    return;
                setCopyImage(
                    k == copyIconAnimationSteps ? to : crossFade(from, to, k / double(copyIconAnimationSteps)));
            }));
    }
}

QPixmap HistoryToolbarView::crossFade(const QPixmap &from, const QPixmap &to, qreal progress)
{
    if (from.isNull())
        return to;
    if (to.isNull())
        return from;
    const qreal ratio = qMax(from.devicePixelRatio(), to.devicePixelRatio());
    const QSize size(qMax(from.width(), to.width()), qMax(from.height(), to.height()));
    QPixmap canvas(size);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const auto drawCentred = [&](const QPixmap &pixmap, qreal opacity) {
        painter.setOpacity(opacity);
        painter.drawPixmap((size.width() - pixmap.width()) / 2, (size.height() - pixmap.height()) / 2, pixmap);
    };
    drawCentred(from, 1.0 - progress);
    drawCentred(to, progress);
    painter.end();
    canvas.setDevicePixelRatio(ratio);
    return canvas;
}

// --- Widget ----------------------------------------------------------------------------------------------------------

void HistoryToolbarView::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(historySeparatorColor(*this));
    painter.drawLine(0, height() - 1, width(), height() - 1);
}

void HistoryToolbarView::mousePressEvent(QMouseEvent *event)
{
    // The window moves when its toolbar is dragged.
    QWindow *window = this->window()->windowHandle();
    if (event->button() == Qt::LeftButton && window && window->startSystemMove()) {
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void HistoryToolbarView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        updateAppearanceColors();
}

void HistoryToolbarView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The window's own events: the suggestions go when it loses the focus or hides, and follow it when it moves.
    QWidget *window = this->window();
    if (window != this && window != m_observedWindow) {
        if (m_observedWindow)
            m_observedWindow->removeEventFilter(this);
        m_observedWindow = window;
        window->installEventFilter(this);
    }
}

bool HistoryToolbarView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_observedWindow) {
        switch (event->type()) {
        case QEvent::WindowDeactivate:
        case QEvent::Hide:
            m_suggestionsPopup->hide();
            break;
        case QEvent::Resize:
            scheduleSearchContainerWidthUpdate();
            break;
        case QEvent::Move:
            if (m_suggestionsPopup->isVisible())
                updateSuggestions();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}
