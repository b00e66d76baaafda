#pragma once

#include "HistoryToolbar.h"
#include "Scheduler.h"
#include "SearchSuggestions.h"
#include "SearchTokenField.h"
#include "Workspace.h"

#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QMenu;
class QToolButton;
class SearchSuggestionsPopup;

// The history window's toolbar: the search field with its filter chips and suggestions at the leading end, then a
// flexible space, the action items that fit the selection (paste into the application in front, copy, open in
// browser, copy text from an image or a QR code, merge), the sort and filter menu, copy sequence, the command
// palette and the pin. Every item is built once and kept; the selection's state, the sort and the filters are
// pushed in by the window's controller, and every click is reported to it.
class HistoryToolbarView final : public QWidget, public HistoryToolbar, private SearchTokenFieldDelegate
{
    Q_OBJECT

public:
    enum class ToolbarAction { paste, copy, openInBrowser, copyTextFromImage, copyTextFromQRCode, merge };
    static constexpr ToolbarAction allActions[]
        = {ToolbarAction::paste, ToolbarAction::copy, ToolbarAction::openInBrowser, ToolbarAction::copyTextFromImage,
            ToolbarAction::copyTextFromQRCode, ToolbarAction::merge};

    static constexpr int searchBaseWidth = 160;
    static constexpr int searchTrailingGap = 12;
    // The empty search field's width: the base width, or the placeholder's in the interface language when wider.
    int collapsedSearchWidth() const;
    static constexpr int suggestionLimit = 8;
    static constexpr int copySuccessMs = 1000;
    static constexpr int copyIconAnimationSteps = 8;
    static constexpr int copyIconAnimationStepMs = 20;

    // Item identifiers.
    static const QString searchIdentifier;
    static const QString flexibleSpaceIdentifier;
    static const QString sortIdentifier;
    static const QString pinIdentifier;
    static const QString copySequenceIdentifier;
    static const QString commandIdentifier;
    static QString identifier(ToolbarAction action);
    static std::optional<ToolbarAction> actionForIdentifier(const QString &identifier);
    // The items a fresh toolbar shows, in order.
    static QStringList defaultItemIdentifiers();

    // Where the toolbar learns the application a paste goes to, and the icon of a source application; either may
    // be empty (a paste then names the active application, an application gets a generic symbol).
    explicit HistoryToolbarView(std::function<std::optional<RunningApplication>()> pasteTarget = {},
        std::function<QIcon(const HistorySourceApplication &)> applicationIcon = {}, QWidget *parent = nullptr);
    ~HistoryToolbarView() override;

    // Where the copy notice and the width update wait (the event loop's timers unless a test sets its own).
    void setScheduler(Scheduler &scheduler) { m_scheduler = &scheduler; }

    // HistoryToolbar
    QWidget &widget() override { return *this; }
    void setDelegate(HistoryToolbarDelegate *delegate) override { m_delegate = delegate; }
    void relabel() override;
    const HistoryToolbarState &state() const override { return m_state; }
    void setState(const HistoryToolbarState &state) override;
    bool showsFilterTokens() const override { return true; }
    const HistoryToolbarFilters &filters() const override { return m_filters; }
    void setFilters(const HistoryToolbarFilters &filters) override;
    QString searchText() const override;
    void setSearchText(const QString &text) override;
    bool hasSearchTokens() const override { return !m_searchField->tokens().isEmpty(); }
    bool hasSelectedSearchText() const override;
    bool isSearchFieldFocused() const override;
    void focusSearchField() override;
    void selectSearchText() override;
    void clearSearch() override;
    void insertKeyEvent(const QKeyEvent &event) override;
    bool handleKeyDown(const HistoryKeyEvent &event) override;
    void showCopySuccess() override;
    void updateAppearanceColors() override;

    // The items in the order they stand, by identifier.
    QStringList itemIdentifiers() const { return m_itemIdentifiers; }
    // The button of an item (nothing for the search item, the flexible space or an unknown identifier).
    QToolButton *button(const QString &identifier) const;
    SearchTokenField &searchField() const { return *m_searchField; }
    SearchSuggestionsPopup &suggestionsPopup() const { return *m_suggestionsPopup; }
    QWidget &searchContainer() const { return *m_searchContainer; }
    // The sort item's menu as it stands.
    QMenu *sortMenu() const;

    // The tokens for the filters, in the toolbar's token order.
    void syncSearchTokensWithFilters();
    void acceptSuggestion(const SearchSuggestion &suggestion);
    void updateSuggestions();
    // The search is 160 pixels wide while empty, else it reaches to 12 pixels before the item after it.
    void updateSearchContainerWidth();
    void scheduleSearchContainerWidthUpdate();
    void updateActionItemsVisibility();
    void updateActionItems();

    // The order tokens stand in: content types, then applications, then tags, each in its list's order.
    static QList<SearchToken> sortedTokens(
        QList<SearchToken> tokens, const QList<Tag> &tags, const QList<HistorySourceApplication> &applications);
    // The old picture fading into the new one (progress 0 to 1), each centred on a canvas of the larger size.
    static QPixmap crossFade(const QPixmap &from, const QPixmap &to, qreal progress);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class WindowProbe;

    // SearchTokenFieldDelegate
    void searchTokenFieldDidChangeText(SearchTokenField &field) override;
    void searchTokenFieldDidRemoveToken(SearchTokenField &field, const SearchToken &token) override;
    void searchTokenFieldMoveSelection(SearchTokenField &field, HistorySelectionDirection direction) override;
    bool searchTokenFieldPerform(SearchTokenField &field, SearchTokenFieldCommand command) override;

    QToolButton *makeButton(const QString &identifier);
    void layOutItems();
    void applyTokenFilter(const SearchTokenKind &kind, bool isSelected);
    void moveHighlight(HistorySelectionDirection direction);
    bool acceptHighlightedSuggestion();
    void performAction(ToolbarAction action);
    void rebuildSortMenu();
    // Draws the sort button as the pointer finds it once its menu has closed.
    void releaseSortButton();
    void updatePinItem();
    void updateCopySequenceItem();
    void updateSearchPlaceholder();
    void animateCopyImage(const QPixmap &to);
    QPixmap symbol(const QString &name, const QColor &color) const;
    QPixmap actionImage(ToolbarAction action, const std::optional<RunningApplication> &target) const;
    QString actionTitle(ToolbarAction action, const std::optional<RunningApplication> &target) const;
    bool isActionShown(ToolbarAction action) const;
    bool isActionEnabled(ToolbarAction action) const;
    QImage cachedApplicationIcon(const HistorySourceApplication &application);
    void setCopyImage(const QPixmap &pixmap);

    HistoryToolbarDelegate *m_delegate = nullptr;
    std::function<std::optional<RunningApplication>()> m_pasteTarget;
    std::function<QIcon(const HistorySourceApplication &)> m_applicationIcon;
    EventLoopScheduler m_eventLoopScheduler;
    Scheduler *m_scheduler = &m_eventLoopScheduler;

    QWidget *m_searchContainer = nullptr;
    QLabel *m_searchLogo = nullptr;
    SearchTokenField *m_searchField = nullptr;
    std::unique_ptr<SearchSuggestionsPopup> m_suggestionsPopup;
    QWidget *m_flexibleSpace = nullptr;
    QHash<QString, QToolButton *> m_buttons;
    QStringList m_itemIdentifiers;
    std::unique_ptr<QMenu> m_sortMenu;
    bool m_isSortMenuStale = false;

    HistoryToolbarState m_state;
    HistoryToolbarFilters m_filters;
    QHash<QString, QImage> m_applicationIcons; // by application id, for tokens and suggestions

    bool m_isShowingCopySuccess = false;
    ScheduledCall m_copySuccessReset;
    QList<ScheduledCall> m_copyIconAnimationSteps;
    int m_copyIconAnimationID = 0;
    int m_copyImageChangeCount = 0; // each step of the copy item's cross-fade counts
    QPixmap m_copyImage;
    bool m_isSearchContainerWidthUpdateScheduled = false;
    bool m_isSearchExpanded = false;
    QPointer<QWidget> m_observedWindow;
};
