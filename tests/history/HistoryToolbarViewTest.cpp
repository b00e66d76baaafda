#include "HistoryToolbarView.h"

#include "HistoryKeyEvent.h"
#include "Localization.h"
#include "ManualScheduler.h"
#include "SearchSuggestionsPopup.h"
#include "WindowProbe.h"

#include <QApplication>
#include <QLayout>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Action = HistoryToolbarView::ToolbarAction;

namespace {

// Every request of the toolbar, written down as text.
struct RecordingDelegate final : HistoryToolbarDelegate
{
    void searchQueryDidChange(const QString &query) override { log.append(u"query "_qs + query); }
    void setContentTypeFilter(HistoryFilterContentType type, bool isSelected) override
    {
        log.append(u"type %1 %2"_qs.arg(type.rawValue()).arg(isSelected));
    }
    void setTagFilter(qint64 tagID, bool isSelected) override
    {
        log.append(u"tag %1 %2"_qs.arg(tagID).arg(isSelected));
    }
    void setSourceApplicationFilter(const QString &id, bool isSelected) override
    {
        log.append(u"app %1 %2"_qs.arg(id).arg(isSelected));
    }
    void clearTagFilter() override { log.append(u"clearTags"_qs); }
    void clearSourceApplicationFilter() override { log.append(u"clearApps"_qs); }
    void clearFilters() override { log.append(u"clearFilters"_qs); }
    void selectSortOption(HistorySortOption option) override { log.append(u"sort "_qs + option.rawValue()); }
    void toggleSortOrder() override { log.append(u"reverse"_qs); }
    void pasteSelectedItems() override { log.append(u"paste"_qs); }
    void copySelectedItems() override { log.append(u"copy"_qs); }
    void openSelectedItemInBrowser() override { log.append(u"browser"_qs); }
    void copyTextFromSelectedImage() override { log.append(u"imageText"_qs); }
    void copyTextFromSelectedQRCode() override { log.append(u"qrText"_qs); }
    void mergeSelectedItems() override { log.append(u"merge"_qs); }
    void togglePin() override { log.append(u"pin"_qs); }
    void toggleCopySequenceMode() override { log.append(u"sequence"_qs); }
    void showCommandPalette() override { log.append(u"palette"_qs); }
    void moveListSelection(HistorySelectionDirection direction) override
    {
        log.append(direction == HistorySelectionDirection::up ? u"list up"_qs : u"list down"_qs);
    }
    QStringList take() { return std::exchange(log, {}); }

    QStringList log;
};

const QList<Tag> tags = {Tag {1, u"Work"_qs, u"#3B85ED"_qs}, Tag {2, u"Texas"_qs, u"not a colour"_qs}};
const QList<HistorySourceApplication> applications
    = {HistorySourceApplication {u"name:text editor"_qs, u"Text Editor"_qs, std::nullopt},
        HistorySourceApplication {u"org.example.Terminal"_qs, u"Terminal"_qs, std::nullopt}};

// A toolbar across the top of a window that has the focus, typing into the search.
struct ToolbarHarness
{
    explicit ToolbarHarness(std::optional<RunningApplication> target = std::nullopt)
        : toolbar([target] { return target; }, {}, &window)
    {
        toolbar.setScheduler(scheduler);
        toolbar.setDelegate(&delegate);
        HistoryToolbarFilters filters;
        filters.tags = tags;
        filters.sourceApplications = applications;
        toolbar.setFilters(filters);
        window.resize(640, 60);
        toolbar.setGeometry(0, 0, 640, 60);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        toolbar.focusSearchField();
    }
    QStringList titles() const
    {
        QStringList result;
        for (const SearchToken &token : toolbar.searchField().tokens())
            result.append(token.title);
        return result;
    }
    void type(const QString &text) { QTest::keyClicks(&toolbar.searchField().textField(), text); }
    bool key(const QString &shortcut) { return toolbar.handleKeyDown(HistoryKeyEvent::fromShortcutText(shortcut)); }
    QString actionID(Action action) const { return HistoryToolbarView::identifier(action); }

    ManualClock clock;
    ManualScheduler scheduler {clock};
    RecordingDelegate delegate;
    QWidget window;
    HistoryToolbarView toolbar;
};

} // namespace

TEST(HistoryToolbarView, OptionalActionItemsStandInTheirOrderBeforeTheSortItem)
{
    ToolbarHarness h;
    const QString search = HistoryToolbarView::searchIdentifier, space = HistoryToolbarView::flexibleSpaceIdentifier,
                  sort = HistoryToolbarView::sortIdentifier, sequence = HistoryToolbarView::copySequenceIdentifier,
                  command = HistoryToolbarView::commandIdentifier, pin = HistoryToolbarView::pinIdentifier;
    const QString paste = h.actionID(Action::paste), copy = h.actionID(Action::copy),
                  browser = h.actionID(Action::openInBrowser), merge = h.actionID(Action::merge);
    EXPECT_EQ(h.toolbar.itemIdentifiers(), QStringList({search, space, paste, copy, sort, sequence, command, pin}));
    EXPECT_FALSE(h.toolbar.button(paste)->isEnabled());
    EXPECT_FALSE(h.toolbar.button(copy)->isEnabled());
    EXPECT_EQ(h.toolbar.button(paste)->toolTip(), u"Paste to Active App"_qs);

    HistoryToolbarState state = h.toolbar.state();
    state.showsCopy = true;
    state.showsMerge = true;
    state.showsOpenInBrowser = true;
    h.toolbar.setState(state);
    EXPECT_EQ(h.toolbar.itemIdentifiers(),
        QStringList({search, space, paste, copy, browser, merge, sort, sequence, command, pin}));
    state.showsCopy = false;
    h.toolbar.setState(state);
    EXPECT_EQ(
        h.toolbar.itemIdentifiers(), QStringList({search, space, paste, browser, merge, sort, sequence, command, pin}));
    state.showsCopy = true;
    h.toolbar.setState(state);
    EXPECT_EQ(h.toolbar.itemIdentifiers().mid(2, 4), QStringList({paste, copy, browser, merge}));

    // Each item reports its click.
    state.canPaste = state.canCopy = true;
    state.showsCopyTextFromImage = state.showsCopyTextFromQRCode = true;
    h.toolbar.setState(state);
    for (const Action action : HistoryToolbarView::allActions)
        h.toolbar.button(h.actionID(action))->click();
    h.toolbar.button(sequence)->click();
    h.toolbar.button(command)->click();
    h.toolbar.button(pin)->click();
    EXPECT_EQ(h.delegate.take(),
        QStringList({u"paste"_qs, u"copy"_qs, u"browser"_qs, u"imageText"_qs, u"qrText"_qs, u"merge"_qs, u"sequence"_qs,
            u"palette"_qs, u"pin"_qs}));
}

// A fresh toolbar shows Copy and says so: turning on other items keeps it, turning it off takes it away.
TEST(HistoryToolbarView, AFreshToolbarShowsCopyUntilToldOtherwise)
{
    ToolbarHarness h;
    const QString copy = h.actionID(Action::copy);
    EXPECT_TRUE(h.toolbar.state().showsCopy);
    HistoryToolbarState state = h.toolbar.state();
    state.showsMerge = true;
    state.showsOpenInBrowser = true;
    h.toolbar.setState(state);
    EXPECT_EQ(h.toolbar.itemIdentifiers().mid(2, 4),
        QStringList({h.actionID(Action::paste), copy, h.actionID(Action::openInBrowser), h.actionID(Action::merge)}));

    ToolbarHarness empty;
    HistoryToolbarState nothingSelected = empty.toolbar.state();
    nothingSelected.showsCopy = false; // what the controller pushes for an empty history
    empty.toolbar.setState(nothingSelected);
    EXPECT_FALSE(empty.toolbar.itemIdentifiers().contains(copy));
}

TEST(HistoryToolbarView, ItemTitlesNameThePasteTargetAndTheCount)
{
    ToolbarHarness h(RunningApplication {u"Text Editor"_qs, u"org.example.Editor"_qs, {}, 0, {}});
    const auto title = [&](Action action) { return h.toolbar.button(h.actionID(action))->toolTip(); };
    EXPECT_EQ(title(Action::paste), u"Paste to Text Editor"_qs);
    HistoryToolbarState state = h.toolbar.state();
    state.pasteItemCount = 3;
    state.copyItemCount = 3;
    state.isPinned = true;
    state.isCopySequenceModeEnabled = true;
    h.toolbar.setState(state);
    EXPECT_EQ(title(Action::paste), u"Paste 3 Items to Text Editor"_qs);
    EXPECT_EQ(title(Action::copy), u"Copy 3 Items to Clipboard"_qs);
    EXPECT_EQ(h.toolbar.button(HistoryToolbarView::pinIdentifier)->toolTip(), u"Stop always displaying"_qs);
    EXPECT_EQ(h.toolbar.button(HistoryToolbarView::copySequenceIdentifier)->toolTip(), u"Disable Copy Sequence"_qs);
    // In copy-sequence mode the menu only filters.
    ASSERT_NE(h.toolbar.sortMenu(), nullptr);
    EXPECT_EQ(h.toolbar.sortMenu()->actions().size(), 1);

    ToolbarHarness nameless(RunningApplication {});
    HistoryToolbarState counted = nameless.toolbar.state();
    counted.pasteItemCount = 2;
    nameless.toolbar.setState(counted);
    EXPECT_EQ(nameless.toolbar.button(nameless.actionID(Action::paste))->toolTip(), u"Paste 2 Items to Active App"_qs);
}

// With no application to paste into (the window was opened from one of this program's own windows) or one whose
// icon the theme lacks, the paste item shows the generic application icon, not an empty outline.
TEST(HistoryToolbarView, ThePasteItemShowsTheGenericApplicationIconWithoutATarget)
{
    for (const std::optional<RunningApplication> &target : {std::optional<RunningApplication>(),
             std::optional(RunningApplication {u"Tool"_qs, u"tool"_qs, {}, 0, u"no-such-icon-anywhere"_qs})}) {
        SCOPED_TRACE(target ? "unknown icon" : "no target");
        ToolbarHarness h(target);
        const QToolButton *paste = h.toolbar.button(h.actionID(Action::paste));
        const QImage icon = paste->icon().pixmap(22, 22).toImage();
        ASSERT_FALSE(icon.isNull());
        // An outline leaves its middle empty; the application icon is filled there.
        EXPECT_GT(qAlpha(icon.pixel(icon.width() / 2, icon.height() / 2)), 200);
    }
}

TEST(HistoryToolbarView, TheCopyCheckMarkLastsASecondAfterTheLastCopyAndFadesInEightSteps)
{
    ToolbarHarness h;
    const int changes = WindowProbe::copyImageChangeCount(h.toolbar);
    h.toolbar.showCopySuccess();
    EXPECT_TRUE(WindowProbe::isShowingCopySuccess(h.toolbar));
    h.scheduler.advance(160ms);
    EXPECT_EQ(WindowProbe::copyImageChangeCount(h.toolbar), changes + 8);
    h.scheduler.advance(340ms);
    h.toolbar.showCopySuccess(); // half a second later: the second starts again
    h.scheduler.advance(900ms);
    EXPECT_TRUE(WindowProbe::isShowingCopySuccess(h.toolbar));
    h.scheduler.advance(100ms);
    EXPECT_FALSE(WindowProbe::isShowingCopySuccess(h.toolbar));
    h.scheduler.advance(160ms);
    EXPECT_EQ(WindowProbe::copyImageChangeCount(h.toolbar), changes + 8 + 8 + 8);
    EXPECT_EQ(h.scheduler.pendingCount(), 0);

    // Halfway, both pictures show at half strength, centred on the larger canvas.
    QPixmap black(4, 4), white(8, 8);
    black.fill(Qt::black);
    white.fill(Qt::white);
    const QImage half = HistoryToolbarView::crossFade(black, white, 0.5).toImage();
    EXPECT_EQ(half.size(), QSize(8, 8));
    EXPECT_NEAR(qAlpha(half.pixel(0, 0)), 128, 1);
    EXPECT_NEAR(qGray(half.pixel(4, 4)), 128, 2);
    EXPECT_EQ(HistoryToolbarView::crossFade(QPixmap(), white, 0.3).size(), QSize(8, 8));
}

// The empty field shows its whole placeholder in every language (German's is longer than the base width).
TEST(HistoryToolbarView, TheEmptySearchFieldShowsItsWholePlaceholder)
{
    ToolbarHarness h;
    for (const QString &language : supportedInterfaceLanguages()) {
        setCurrentInterfaceLanguage(language);
        h.toolbar.relabel();
        h.toolbar.layout()->activate();
        const SearchTokenTextField &text = h.toolbar.searchField().textField();
        const QString placeholder = text.placeholderText();
        EXPECT_EQ(placeholder, localized(u"Type to search..."_qs)) << language.toStdString();
        const QMargins margins = text.textMargins();
        EXPECT_LE(QFontMetrics(text.font()).horizontalAdvance(placeholder) + margins.left() + margins.right() + 4,
            text.width())
            << language.toStdString();
    }
    setCurrentInterfaceLanguage(u"en"_qs);
    h.toolbar.relabel();
    h.toolbar.layout()->activate();
    EXPECT_EQ(h.toolbar.searchContainer().width(), HistoryToolbarView::searchBaseWidth);
}

TEST(HistoryToolbarView, TheSearchWidensWithTextOrTokensAndNarrowsWhenEmpty)
{
    ToolbarHarness h;
    EXPECT_EQ(h.toolbar.searchContainer().width(), HistoryToolbarView::searchBaseWidth);
    h.type(u"a"_qs);
    const int wide = h.toolbar.searchContainer().width();
    const QWidget *paste = h.toolbar.button(h.actionID(Action::paste));
    EXPECT_GT(wide, HistoryToolbarView::searchBaseWidth);
    EXPECT_EQ(paste->x() - h.toolbar.searchContainer().geometry().right() - 1,
        HistoryToolbarView::searchTrailingGap + 2 * h.toolbar.layout()->spacing());
    h.toolbar.setSearchText(QString());
    EXPECT_EQ(h.toolbar.searchContainer().width(), HistoryToolbarView::searchBaseWidth);
    h.toolbar.setFilters([&] {
        HistoryToolbarFilters filters = h.toolbar.filters();
        filters.tagIDs = {1};
        return filters;
    }());
    EXPECT_EQ(h.toolbar.searchContainer().width(), wide);
}

TEST(HistoryToolbarView, TokensFollowTheFiltersAndReportTheirChanges)
{
    ToolbarHarness h;
    HistoryToolbarFilters filters = h.toolbar.filters();
    filters.contentTypes = {HistoryFilterContentType::text, HistoryFilterContentType::favorites};
    filters.tagIDs = {2, 1, 99}; // 99 is offered nowhere: no token
    filters.sourceApplicationIDs = {u"org.example.Terminal"_qs};
    h.toolbar.setFilters(filters);
    EXPECT_EQ(h.titles(), QStringList({u"Favorites"_qs, u"Text"_qs, u"Terminal"_qs, u"Work"_qs, u"Texas"_qs}));

    // Backspace at the start of the text selects the last chip, a second removes it: the filter is told.
    h.delegate.take();
    QTest::keyClick(&h.toolbar.searchField().textField(), Qt::Key_Backspace);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    EXPECT_EQ(h.delegate.take(), QStringList({u"tag 2 0"_qs}));
    EXPECT_EQ(h.titles().size(), 4);

    // Clearing empties text and tokens and clears the filters.
    h.type(u"x"_qs);
    h.delegate.take();
    h.toolbar.clearSearch();
    EXPECT_TRUE(h.titles().isEmpty());
    EXPECT_TRUE(h.toolbar.searchText().isEmpty());
    EXPECT_EQ(h.delegate.take(), QStringList({u"query "_qs, u"clearFilters"_qs}));
}

TEST(HistoryToolbarView, AcceptingASuggestionAddsItsTokenInOrderAndSelectsItsFilter)
{
    ToolbarHarness h;
    HistoryToolbarFilters filters = h.toolbar.filters();
    filters.contentTypes = {HistoryFilterContentType::text};
    filters.tagIDs = {1};
    h.toolbar.setFilters(filters);
    h.type(u"term"_qs);
    ASSERT_TRUE(h.toolbar.suggestionsPopup().isVisible());
    ASSERT_EQ(h.toolbar.suggestionsPopup().suggestions().first().token.title, u"Terminal"_qs);
    h.delegate.take();
    EXPECT_TRUE(h.key(u"return"_qs));
    EXPECT_EQ(h.titles(), QStringList({u"Text"_qs, u"Terminal"_qs, u"Work"_qs}));
    // The typed text goes first, then the filter.
    EXPECT_EQ(h.delegate.take(), QStringList({u"query "_qs, u"app org.example.Terminal 1"_qs}));
    EXPECT_FALSE(h.toolbar.suggestionsPopup().isVisible());
    EXPECT_TRUE(h.toolbar.searchField().isEditing());

    // A tag that is a token already: no second chip, but reported as selected.
    h.toolbar.acceptSuggestion(SearchSuggestion {SearchToken {SearchTokenKind::tag(1), u"Work"_qs, {}}, {}});
    EXPECT_EQ(h.titles().size(), 3);
    EXPECT_EQ(h.delegate.take(), QStringList({u"tag 1 1"_qs}));
}

TEST(HistoryToolbarView, KeysWhileTheSuggestionsShow)
{
    ToolbarHarness h;
    h.type(u"te"_qs); // Text, Favorites, Text Editor, Terminal, Texas
    ASSERT_TRUE(h.toolbar.suggestionsPopup().isVisible());
    const int count = int(h.toolbar.suggestionsPopup().suggestions().size());
    ASSERT_EQ(count, 5);
    // Held modifiers leave the keys to the window.
    EXPECT_FALSE(h.key(u"shift+down"_qs));
    EXPECT_FALSE(h.key(u"cmd+up"_qs));
    EXPECT_TRUE(h.key(u"up"_qs)); // from the first row round to the last
    EXPECT_EQ(h.toolbar.suggestionsPopup().selectedIndex(), count - 1);
    EXPECT_TRUE(h.key(u"down"_qs));
    EXPECT_EQ(h.toolbar.suggestionsPopup().selectedIndex(), 0);
    EXPECT_FALSE(h.key(u"a"_qs));

    // Escape: first hides the popup, then clears the search, then is the window's.
    h.delegate.take();
    EXPECT_TRUE(h.key(u"escape"_qs));
    EXPECT_FALSE(h.toolbar.suggestionsPopup().isVisible());
    EXPECT_EQ(h.toolbar.searchText(), u"te"_qs);
    EXPECT_FALSE(h.key(u"escape"_qs)); // the hook only acts while the popup shows
    QTest::keyClick(&h.toolbar.searchField().textField(), Qt::Key_Escape);
    EXPECT_TRUE(h.toolbar.searchText().isEmpty());
    EXPECT_EQ(h.delegate.take(), QStringList({u"query "_qs}));

    // Return with the popup hidden is not the toolbar's; Up and Down then move the list.
    EXPECT_FALSE(h.key(u"return"_qs));
    QTest::keyClick(&h.toolbar.searchField().textField(), Qt::Key_Down);
    EXPECT_EQ(h.delegate.take(), QStringList({u"list down"_qs}));

    // Two lines pasted in become one, reported as such.
    h.toolbar.searchField().textField().insert(u"two\nlines"_qs);
    EXPECT_EQ(h.toolbar.searchText(), u"two lines"_qs);
    EXPECT_EQ(h.delegate.take(), QStringList({u"query two lines"_qs}));
}

TEST(HistoryToolbarView, TheSortMenuReportsChoicesAndIsRebuiltWithTheState)
{
    ToolbarHarness h;
    const auto find = [&](const QString &title) -> QAction * {
        QList<QMenu *> menus = {h.toolbar.sortMenu()};
        while (!menus.isEmpty()) {
            QMenu *menu = menus.takeFirst();
            for (QAction *action : menu->actions()) {
                if (action->text() == title)
                    return action;
                if (action->menu())
                    menus.append(action->menu());
            }
        }
        return nullptr;
    };
    ASSERT_NE(find(u"Number of Copies"_qs), nullptr);
    find(u"Number of Copies"_qs)->trigger();
    find(u"Images"_qs)->trigger();
    EXPECT_EQ(h.delegate.take(), QStringList({u"sort Number of Copies"_qs, u"type images 1"_qs}));

    HistoryToolbarState state = h.toolbar.state();
    state.sortOption = HistorySortOption::numberOfCopies;
    h.toolbar.setState(state);
    HistoryToolbarFilters filters = h.toolbar.filters();
    filters.contentTypes = {HistoryFilterContentType::images};
    h.toolbar.setFilters(filters);
    EXPECT_TRUE(find(u"Number of Copies"_qs)->isChecked());
    find(u"Images"_qs)->trigger(); // checked now: unselects
    EXPECT_EQ(h.delegate.take(), QStringList({u"type images 0"_qs}));
}
