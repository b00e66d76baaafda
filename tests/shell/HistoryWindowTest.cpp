#include "CoordinatorTestSupport.h"

#include "CaretLocator.h"
#include "EmptyHistory.h"
#include "FloatingHistoryWindow.h"
#include "History.h"
#include "HistoryContentViewController.h"
#include "HistoryItemCommands.h"
#include "HistoryTableView.h"
#include "HistoryToolbarView.h"
#include "KeyInput.h"
#include "KeyboardCodes.h"
#include "OnboardingView.h"
#include "OnboardingWindowController.h"
#include "QtWindowFactory.h"
#include "RefusedCopyNotice.h"
#include "SettingsWindowController.h"
#include "StatusItemController.h"
#include "WindowFrame.h"
#include "WindowFrames.h"
#include "WindowProbe.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimeZone>
#include <QToolButton>

namespace {

// A coordinator whose history window is the real one, on the offscreen display.
struct WindowHarness
{
    // With `desktopScreens` the window sees these screens (bottom-left, the primary first) and the pointer at
    // `mouse`, else the offscreen display's.
    explicit WindowHarness(const std::function<void(AppPreferences &)> &preferences = {},
        QList<HistoryWindowPlacement::Screen> desktopScreens = {})
    {
        h.storeOnboardedPreferences(preferences);
        ClipboardItem link = testItem(3, QStringLiteral("https://example.com/cherry"));
        link.kind = ClipboardKind::link;
        h.storeItems({testItem(1, QStringLiteral("apple pie")), testItem(2, QStringLiteral("banana bread")), link});
        HistoryWindowDesktop desktop {&h.keyPoster, &frames, &caret, {}, {}};
        if (!desktopScreens.isEmpty()) {
            desktop.screens = [desktopScreens] { return desktopScreens; };
            desktop.mouseLocation = [this] { return mouse; };
        }
        factory = std::make_unique<QtWindowFactory>(nullptr, std::function<bool()>(), desktop);
        coordinator = std::make_unique<AppCoordinator>(h.dependencies(h.store, h.supportDirectory, *factory));
        coordinator->start();
        // The window is made a moment after the start.
        waitUntil([this] { return coordinator->historyWindow() != nullptr; });
        window = dynamic_cast<FloatingHistoryWindow *>(coordinator->historyWindow());
    }
    ~WindowHarness() { coordinator.reset(); }

    void show()
    {
        coordinator->showHistoryWindow(false, false);
        QCoreApplication::processEvents();
    }
    // Shown again after a hide: the offscreen display keeps the window focused throughout and so never activates
    // it again, as a desktop does when the window comes back.
    void showAgain()
    {
        show();
        QApplication::setActiveWindow(&window->panel());
        QCoreApplication::processEvents();
    }
    QStringList rows() const
    {
        QStringList texts;
        History &list = window->contentViewController().list();
        const QList<int> selected = list.tableView().selectedRows();
        for (int row = 0; row < list.tableRows().size(); ++row) {
            if (const ClipboardItem *item = list.itemAtRow(row))
                texts.append(item->displayTitle() + (selected.contains(row) ? QStringLiteral(" *") : QString()));
        }
        return texts;
    }
    // A key press as the user makes it: to the widget with the focus.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        pressKey(window->panel(), key, modifiers);
    }
    void type(const QString &text) { typeText(window->panel(), text); }
    QString pasted() const
    {
        const auto data = h.pasteboard.content().data(PasteboardType::plainText());
        return data ? QString::fromUtf8(*data) : QString();
    }

    CoordinatorHarness h;
    MemoryWindowFrames frames;
    MemoryCaretLocator caret;
    QPointF mouse;
    std::unique_ptr<QtWindowFactory> factory;
    std::unique_ptr<AppCoordinator> coordinator;
    FloatingHistoryWindow *window = nullptr;
};

} // namespace

TEST(HistoryWindow, ShowsTheListWithTheFirstItemSelectedAndMovesWithTheArrows)
{
    WindowHarness s;
    ASSERT_NE(s.window, nullptr);
    s.show();
    ASSERT_TRUE(s.window->isVisible());
    const Qt::WindowFlags flags = s.window->panel().windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint) && flags.testFlag(Qt::WindowStaysOnTopHint)
        && (flags & Qt::WindowType_Mask) == Qt::Tool);
    EXPECT_EQ(s.rows(),
        QStringList({QStringLiteral("https://example.com/cherry *"), QStringLiteral("banana bread"),
            QStringLiteral("apple pie")}));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return s.window->contentViewController().currentKeyFocus() == HistoryKeyFocus::list; }));

    s.press(Qt::Key_Down);
    s.press(Qt::Key_Down);
    s.press(Qt::Key_Down); // stays on the last row
    EXPECT_EQ(s.h.model.selectedItemID(), testId(1));
    s.press(Qt::Key_Up);
    EXPECT_EQ(s.h.model.selectedItemID(), testId(2));
    EXPECT_EQ(s.rows().at(1), QStringLiteral("banana bread *"));
    s.press(Qt::Key_Down, Qt::ShiftModifier); // extends
    EXPECT_EQ(s.h.model.selectedItemIDs(), QSet<QUuid>({testId(2), testId(1)}));

    // A new capture comes in at the top, selected.
    s.coordinator->pasteboardMonitorDidCapture(testItem(4, QStringLiteral("date")), {});
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.rows().value(0) == QStringLiteral("date *"); }));
}

TEST(HistoryWindow, TypingInTheListSearchesAndEscapeClearsTheSearchBeforeItHides)
{
    WindowHarness s;
    s.show();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return s.window->contentViewController().currentKeyFocus() == HistoryKeyFocus::list; }));
    s.type(QStringLiteral("br"));
    EXPECT_EQ(s.window->toolbar().searchText(), QStringLiteral("br"));
    // The typed search reaches the model once typing paused.
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.h.model.searchQuery() == QStringLiteral("br"); }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.rows() == QStringList({QStringLiteral("banana bread *")}); }))
        << s.rows().join(u'|').toStdString();

    // Space types into a search with text; Ctrl+Backspace deletes a word of it, never the item.
    s.press(Qt::Key_Space);
    EXPECT_EQ(s.window->toolbar().searchText(), QStringLiteral("br "));
    s.press(Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_TRUE(s.window->toolbar().searchText().isEmpty());
    EXPECT_EQ(s.h.model.items().size(), 3);
    s.type(QStringLiteral("br"));

    // The first Escape clears the search, the second hides the window and saves its frame.
    s.press(Qt::Key_Escape);
    EXPECT_TRUE(s.window->isVisible());
    EXPECT_TRUE(s.h.model.searchQuery().isEmpty());
    s.press(Qt::Key_Escape);
    EXPECT_FALSE(s.window->isVisible());
    EXPECT_TRUE(s.h.preferencesStore.load().historyWindowWidth.has_value());
    // A search left when hiding is reset only after a while hidden; showing again in between keeps it.
    EXPECT_TRUE(WindowProbe::isSearchResetPending(*s.window));
    s.show();
    EXPECT_FALSE(WindowProbe::isSearchResetPending(*s.window));
}

TEST(HistoryWindow, ReturnAndTheNumberKeysPasteIntoTheApplicationInFront)
{
    {
        WindowHarness s;
        s.show();
        s.press(Qt::Key_Down);
        s.press(Qt::Key_Return);
        EXPECT_FALSE(s.window->isVisible());
        EXPECT_EQ(s.pasted(), QStringLiteral("banana bread"));
        EXPECT_EQ(s.h.keyPoster.presses(), QList<MemoryKeyPoster::Press>({{VirtualKey::v, KeyEventFlag::command}}));
    }
    {
        WindowHarness s;
        s.show();
        s.press(Qt::Key_2, Qt::ControlModifier);
        EXPECT_EQ(s.pasted(), QStringLiteral("banana bread"));
        EXPECT_FALSE(s.window->isVisible());
    }
    {
        // Beyond the visible items nothing happens; with the copy action the number keys copy and keep the window.
        WindowHarness s([](AppPreferences &p) { p.numberKeyAction = QStringLiteral("copy"); });
        s.show();
        s.press(Qt::Key_9, Qt::ControlModifier);
        EXPECT_TRUE(s.pasted().isEmpty());
        s.press(Qt::Key_3, Qt::ControlModifier);
        EXPECT_EQ(s.pasted(), QStringLiteral("apple pie"));
        EXPECT_TRUE(s.window->isVisible());
        EXPECT_TRUE(s.h.keyPoster.presses().isEmpty());
    }
}

TEST(HistoryWindow, HidesOnFocusLossUnlessPinnedOrJustActivated)
{
    const auto loseFocus = [](WindowHarness &s) {
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&s.window->panel(), &activate);
        QEvent deactivate(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(&s.window->panel(), &deactivate);
    };
    {
        WindowHarness s;
        s.show();
        loseFocus(s);
        EXPECT_FALSE(s.window->isVisible());
    }
    {
        WindowHarness s([](AppPreferences &p) { p.hideOnFocusLoss = false; });
        s.show();
        loseFocus(s);
        EXPECT_TRUE(s.window->isVisible());
    }
    {
        // Shown after the application was activated, the first loss is ignored; the next one hides.
        WindowHarness s;
        s.coordinator->showHistoryWindow(true, true);
        loseFocus(s);
        EXPECT_TRUE(s.window->isVisible());
        loseFocus(s);
        EXPECT_FALSE(s.window->isVisible());
    }
}

// A search that finds nothing leaves the selection the list had in the model, out of sight: no key, toolbar item or
// command of the window acts on it, and the toolbar's item actions are disabled, as they are under a tag that
// matches nothing.
TEST(HistoryWindow, CommandsActOnlyOnSelectedItemsTheListShows)
{
    using Act = std::function<void(WindowHarness &)>;
    const auto key = [](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) -> Act {
        return [=](WindowHarness &s) { s.press(key, modifiers); };
    };
    const auto request = [](void (HistoryToolbarDelegate::*operation)()) -> Act {
        return [=](WindowHarness &s) { (s.window->contentViewController().toolbarDelegate().*operation)(); };
    };
    const struct Case
    {
        const char *name;
        Act act;
    } cases[] = {
        {"Return", key(Qt::Key_Return)},
        {"Shift+Return", key(Qt::Key_Return, Qt::ShiftModifier)},
        {"Ctrl+C", key(Qt::Key_C, Qt::ControlModifier)},
        {"Ctrl+Shift+C", key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier)},
        {"Ctrl+S", key(Qt::Key_S, Qt::ControlModifier)},
        {"Ctrl+B", key(Qt::Key_B, Qt::ControlModifier)},
        {"Ctrl+E", key(Qt::Key_E, Qt::ControlModifier)},
        {"Ctrl+R", key(Qt::Key_R, Qt::ControlModifier)},
        {"Ctrl+T", key(Qt::Key_T, Qt::ControlModifier)},
        {"Space", key(Qt::Key_Space)},
        {"toolbar Paste", request(&HistoryToolbarDelegate::pasteSelectedItems)},
        {"toolbar Copy", request(&HistoryToolbarDelegate::copySelectedItems)},
        {"toolbar Open in Browser", request(&HistoryToolbarDelegate::openSelectedItemInBrowser)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        WindowHarness s;
        s.show();
        HistoryContentViewController &controller = s.window->contentViewController();
        ASSERT_TRUE(QTest::qWaitFor([&] { return controller.currentKeyFocus() == HistoryKeyFocus::list; }));
        s.type(QStringLiteral("zzz"));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return s.h.model.searchQuery() == QStringLiteral("zzz") && s.rows().isEmpty(); }));
        QCoreApplication::processEvents();
        ASSERT_EQ(s.h.model.selectedItemID(), testId(3)); // the link, selected before the search, now hidden
        const HistoryToolbarState state = s.window->toolbar().state();
        EXPECT_FALSE(state.canPaste || state.canCopy || state.showsCopy || state.showsOpenInBrowser);
        EXPECT_FALSE(s.window->toolbar()
                         .button(HistoryToolbarView::identifier(HistoryToolbarView::ToolbarAction::paste))
                         ->isEnabled());
        controller.list().tableView().setFocus(); // the user clicked into the empty list

        c.act(s);
        for (int turn = 0; turn < 3; ++turn)
            QCoreApplication::processEvents();
        EXPECT_TRUE(s.pasted().isEmpty()) << s.pasted().toStdString();
        EXPECT_TRUE(s.window->isVisible());
        EXPECT_FALSE(s.h.model.item(testId(3))->isFavorite);
        EXPECT_EQ(s.h.model.lastError(), std::nullopt);
        EXPECT_FALSE(controller.keyDispatchState(HistoryKeyFocus::list).isOverlayOpen);
        EXPECT_TRUE(s.h.launcher.openedURLs.isEmpty());
        EXPECT_TRUE(s.h.keyPoster.presses().isEmpty());
    }
}

// Of a selection that a search hides in part, Return pastes what the list still shows; Select All in the list takes
// the rows of a search typed a moment ago, never the whole history the list showed until it applied.
TEST(HistoryWindow, ReturnAndSelectAllTakeOnlyTheItemsTheSearchShows)
{
    {
        WindowHarness s;
        s.show();
        s.press(Qt::Key_Down);
        s.press(Qt::Key_Down, Qt::ShiftModifier); // banana bread, then apple pie
        ASSERT_EQ(s.h.model.selectedItemIDs(), QSet<QUuid>({testId(2), testId(1)}));
        s.type(QStringLiteral("apple"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return s.rows() == QStringList({QStringLiteral("apple pie *")}); }))
            << s.rows().join(u'|').toStdString();
        s.press(Qt::Key_Return);
        s.h.scheduler.advance(std::chrono::seconds(1)); // when a second item were pasted, it would come by now
        EXPECT_EQ(s.pasted(), QStringLiteral("apple pie"));
        EXPECT_EQ(s.h.keyPoster.presses().size(), 1);
    }
    {
        WindowHarness s;
        s.show();
        HistoryContentViewController &controller = s.window->contentViewController();
        ASSERT_TRUE(QTest::qWaitFor([&] { return controller.currentKeyFocus() == HistoryKeyFocus::list; }));
        s.type(QStringLiteral("b"));
        ASSERT_EQ(WindowProbe::pendingSearchQuery(controller), QStringLiteral("b"));
        controller.list().tableView().setFocus();
        s.press(Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(s.h.model.searchQuery(), QStringLiteral("b"));
        EXPECT_EQ(s.h.model.selectedItemIDs(), QSet<QUuid>({testId(2)}));
        EXPECT_EQ(s.rows(), QStringList({QStringLiteral("banana bread *")}));
    }
}

// Shown again within the search memory, the window gives the kept search the keyboard with its text selected:
// typing replaces it, Ctrl+A and Backspace empty it, and Escape, with nothing left to clear, hides the window.
TEST(HistoryWindow, AKeptSearchHasTheKeyboardWithItsTextSelected)
{
    WindowHarness s;
    s.show();
    HistoryContentViewController &controller = s.window->contentViewController();
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.currentKeyFocus() == HistoryKeyFocus::list; }));
    s.type(QStringLiteral("banana"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return s.h.model.searchQuery() == QStringLiteral("banana"); }));
    s.window->hide();
    s.showAgain();
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.currentKeyFocus() == HistoryKeyFocus::searchField; }));
    EXPECT_TRUE(s.window->toolbar().hasSelectedSearchText());
    s.type(QStringLiteral("app"));
    EXPECT_EQ(s.window->toolbar().searchText(), QStringLiteral("app"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.rows() == QStringList({QStringLiteral("apple pie *")}); }))
        << s.rows().join(u'|').toStdString();

    s.window->hide();
    s.showAgain();
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.currentKeyFocus() == HistoryKeyFocus::searchField; }));
    s.press(Qt::Key_A, Qt::ControlModifier);
    s.press(Qt::Key_Backspace);
    EXPECT_TRUE(s.window->toolbar().searchText().isEmpty());
    EXPECT_TRUE(s.h.model.searchQuery().isEmpty());
    s.press(Qt::Key_Escape);
    EXPECT_FALSE(s.window->isVisible());

    // Without a kept search the list has the keyboard, as before.
    s.showAgain();
    EXPECT_TRUE(QTest::qWaitFor([&] { return controller.currentKeyFocus() == HistoryKeyFocus::list; }));
}

// A typed character starts a search by one rule wherever the key arrives: at the list with the keyboard focus, and
// at the content's root view when nothing inside the list has it. Function keys and control characters never do;
// full-width letters, compatibility ideographs, ligatures and emoji do.
TEST(HistoryWindow, TheListAndTheRootViewStartASearchForTheSameKeys)
{
    WindowHarness s;
    s.show();
    HistoryContentViewController &controller = s.window->contentViewController();
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.currentKeyFocus() == HistoryKeyFocus::list; }));
    HistoryKeyHandlingView &root = controller.view();
    root.setFocusPolicy(Qt::StrongFocus); // so that the root view can be the one a key reaches first
    const struct
    {
        QString text;
        bool searches;
    } cases[] = {
        {u"a"_qs, true}, {u"\u00E4"_qs, true}, {u"\u00DF"_qs, true}, {u"\u3042"_qs, true},
        {u"\U0001F600"_qs, true}, // an emoji
        {u"\U0001F468\u200D\U0001F469\u200D\U0001F467"_qs, true}, // an emoji sequence joined by format characters
        {u"\uFF41"_qs, true}, // full-width a
        {u"\uF900"_qs, true}, // a compatibility ideograph
        {u"\uFB01"_qs, true}, // the fi ligature
        {u"\u200B"_qs, false}, // a zero-width space, a format character alone
        {u"\u001B"_qs, false}, // Escape's text
        {u"\uF700"_qs, false}, // the first function key
        {u"\uF8FF"_qs, false}, // the last
    };
    const QStringList paths {QStringLiteral("list"), QStringLiteral("root view")};
    for (const auto &c : cases) {
        const QString &text = c.text;
        const std::string code = QString::number(text.toUcs4().value(0), 16).toStdString();
        HistoryKeyEvent record;
        record.characters = text;
        EXPECT_EQ(HistoryTableView::startsSearch(record), c.searches) << code;
        for (const QString &path : paths) {
            QWidget &target = path == paths.first() ? static_cast<QWidget &>(controller.list().tableView()) : root;
            target.setFocus();
            ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == &target; }));
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
            QApplication::sendEvent(&target, &press);
            QCoreApplication::processEvents();
            EXPECT_EQ(s.window->toolbar().searchText(), c.searches ? text : QString())
                << code << " at the " << path.toStdString();
            // Escape closes the suggestions the search may show, then clears the search.
            for (int n = 0; n < 3 && !s.window->toolbar().searchText().isEmpty(); ++n)
                s.press(Qt::Key_Escape);
            ASSERT_TRUE(s.window->toolbar().searchText().isEmpty());
            ASSERT_TRUE(s.window->isVisible());
        }
    }
}

// A copy too large to keep is told in one line above the list when the window opens: in the interface language,
// until a later copy is kept or the line's close button dismisses it. Pictures of it, light and dark, in English,
// German and Japanese, go to the screenshots folder of the build.
TEST(HistoryWindow, SaysAboveTheListWhyTheLastCopyWasNotKept)
{
    WindowHarness s;
    RefusedCopyNotice &notice = s.window->refusedCopyNotice();
    const OversizedContent image {QStringLiteral("image/png"), 75 * 1024 * 1024, 64 * 1024 * 1024};
    s.coordinator->pasteboardMonitorDidRefuse(image);
    s.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return notice.isVisible(); }));
    EXPECT_EQ(notice.text(),
        QStringLiteral("The copy was not kept: copies larger than 64 MB are not taken into the history."));
    // Between the toolbar and the list, the whole width of the window.
    const QWidget &list = s.window->contentViewController().view();
    EXPECT_GE(notice.geometry().top(), s.window->toolbar().geometry().bottom());
    EXPECT_LE(notice.geometry().bottom(), list.geometry().top());
    EXPECT_GE(notice.width(), list.width());

    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/../../screenshots");
    QDir().mkpath(folder);
    const struct
    {
        const char *language;
        AppAppearance appearance;
        const char *name;
    } looks[] = {{"en", AppAppearance::light, "light"}, {"en", AppAppearance::dark, "dark"},
        {"de", AppAppearance::dark, "dark-de"}, {"ja", AppAppearance::light, "light-ja"}};
    for (const auto &look : looks) {
        s.h.changePreferences([&](AppPreferences &p) {
            p.language = QString::fromLatin1(look.language);
            p.appearance = look.appearance;
        });
        s.coordinator->applyPreferences();
        QCoreApplication::processEvents();
        EXPECT_EQ(notice.text(), s.h.model.refusedCopyNotice().value_or(QString())) << look.name;
        const QString file
            = folder + QStringLiteral("/history-window-refused-copy-%1.png").arg(QLatin1String(look.name));
        EXPECT_TRUE(s.window->panel().grab().save(file)) << file.toStdString();
    }
    EXPECT_EQ(
        notice.text(), QStringLiteral("コピーは保存されませんでした: 64 MB を超えるコピーは履歴に追加されません。"));
    EXPECT_EQ(notice.closeButton().toolTip(), QStringLiteral("閉じる"));

    // The close button dismisses it.
    QTest::mouseClick(&notice.closeButton(), Qt::LeftButton);
    EXPECT_FALSE(notice.isVisible());
    EXPECT_EQ(s.h.model.refusedCopyLimit(), std::nullopt);

    // Refused again while the window is open, then a kept copy takes it away.
    s.coordinator->pasteboardMonitorDidRefuse(image);
    EXPECT_TRUE(QTest::qWaitFor([&] { return notice.isVisible(); }));
    s.coordinator->pasteboardMonitorDidCapture(testItem(4, QStringLiteral("date")), {});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !notice.isVisible(); }));
}

// The empty states follow a change of the interface language at once.
TEST(HistoryWindow, TheEmptyStatesFollowTheInterfaceLanguage)
{
    WindowHarness s;
    s.show();
    History &list = s.window->contentViewController().list();
    s.h.changePreferences([](AppPreferences &p) { p.language = QStringLiteral("de"); });
    s.coordinator->applyPreferences();
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return list.emptySearchResultsView().title() == QStringLiteral("Keine Ergebnisse");
    })) << list.emptySearchResultsView().title().toStdString();
    EXPECT_EQ(list.emptyListView().title(), QStringLiteral("Keine Einträge in der Zwischenablage"));
    EXPECT_EQ(list.emptyListView().message(),
        std::optional(QStringLiteral(
            "Kopiere Text, Bilder, Dateien, Links, E-Mail-Adressen oder Farben, um deinen Verlauf aufzubauen.")));
    EXPECT_EQ(list.emptySearchResultsView().message(), std::nullopt);
}

TEST(HistoryWindow, RestoresItsSizeClampedToTheScreenAndReopensWhereTheUserMovedIt)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    {
        WindowHarness s([](AppPreferences &p) {
            p.historyWindowWidth = 300;
            p.historyWindowHeight = 2000;
        });
        s.show();
        EXPECT_EQ(s.window->panel().size(), QSize(400, std::min(2000, available.height())));
    }
    {
        WindowHarness s([](AppPreferences &p) { p.openWindowStrategy = QStringLiteral("lastLocation"); });
        s.show();
        const QRect placed(120, 80, 500, 420);
        s.window->panel().setGeometry(placed); // the user moves and resizes it
        s.coordinator->toggleHistoryWindow();
        s.coordinator->toggleHistoryWindow();
        QCoreApplication::processEvents();
        EXPECT_EQ(s.window->panel().geometry(), placed);

        // A move, then a paste (which hides without saving): the move is kept.
        const QPoint moved(150, 60);
        s.window->panel().move(moved);
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return s.h.preferencesStore.load().historyWindowX == s.window->storedFrame().x()
                && s.h.preferencesStore.load().historyWindowY == s.window->storedFrame().y();
        }));
        s.press(Qt::Key_Return);
        ASSERT_FALSE(s.window->isVisible());
        s.show();
        EXPECT_EQ(s.window->panel().pos(), moved);
    }
}

// On two screens the window's main screen is the one of the window the user works in: its size is clamped to that
// screen, and the strategies that fall back to the main screen use it.
TEST(HistoryWindow, TheMainScreenIsTheOneOfTheWindowTheUserWorksIn)
{
    // Bottom-left: a tall primary screen and a low one beside it, on which the user works.
    const QList<HistoryWindowPlacement::Screen> screens {
        {{0, 0, 1440, 1200}, {0, 0, 1440, 1175}}, {{1440, 0, 1280, 600}, {1440, 0, 1280, 600}}};
    WindowHarness s([](AppPreferences &p) { p.historyWindowHeight = 1000; }, screens);
    s.mouse = QPointF(-10, -10); // on no screen
    s.h.keyPoster.setActiveWindow(7);
    s.frames.window = 7;
    s.frames.frame = QRect(1600, 700, 400, 300); // top-left: on the low screen
    s.show();
    EXPECT_EQ(s.window->panel().height(), 600);
    EXPECT_EQ(s.window->placementInputs(HistoryWindowOpenStrategy::activeScreenCenter).mainScreen, 1);
    EXPECT_EQ(s.window->placementInputs(HistoryWindowOpenStrategy::screenWithCursor).mainScreen, 1);

    // Without the window, the pointer's screen; with neither, the primary.
    s.frames.frame.reset();
    s.mouse = QPointF(1500, 100);
    EXPECT_EQ(s.window->placementInputs(HistoryWindowOpenStrategy::activeScreenCenter).mainScreen, 1);
    s.mouse = QPointF(-10, -10);
    EXPECT_EQ(s.window->placementInputs(HistoryWindowOpenStrategy::activeScreenCenter).mainScreen, 0);
}

// A window that was built but never shown has no frame of its own: quitting keeps what an earlier run stored (or
// nothing), and the next start opens where the user last had the window.
TEST(HistoryWindow, AWindowNeverShownSavesNoFrame)
{
    const StoredWindowFrame earlier {120, 90, 420, 400};
    for (const bool storedBefore : {false, true}) {
        SCOPED_TRACE(storedBefore);
        WindowHarness s([&](AppPreferences &p) {
            p.openWindowStrategy = QStringLiteral("lastLocation");
            if (!storedBefore)
                return;
            p.historyWindowX = earlier.x;
            p.historyWindowY = earlier.y;
            p.historyWindowWidth = earlier.width;
            p.historyWindowHeight = earlier.height;
        });
        ASSERT_NE(s.window, nullptr);
        s.coordinator->prepareForTermination();
        const AppPreferences saved = s.h.preferencesStore.load();
        const auto frame = WindowFrame::fromPreferences(
            saved.historyWindowX, saved.historyWindowY, saved.historyWindowWidth, saved.historyWindowHeight);
        EXPECT_EQ(frame, storedBefore ? std::optional(earlier) : std::nullopt);

        s.show();
        if (storedBefore) {
            EXPECT_EQ(
                s.window->panel().geometry(), WindowFrame::fromStored(earlier, WindowFrame::primaryScreenGeometry()));
        }
        // Shown once, it saves where it is.
        s.coordinator->prepareForTermination();
        EXPECT_TRUE(s.h.preferencesStore.load().historyWindowWidth.has_value());
    }
}

// The caret and the front window share one budget: a caret that comes too late is not waited for beyond it, and the
// front window's middle is used instead.
TEST(HistoryWindow, TheCaretIsAskedWithinTheBudgetThenTheFrontWindowIsUsed)
{
    WindowHarness s([](AppPreferences &p) { p.openWindowStrategy = QStringLiteral("inputCursor"); });
    s.h.keyPoster.setActiveWindow(7);
    s.frames.window = 7;
    s.frames.frame = QRect(20, 30, 300, 200);
    s.caret.caret = QRect(100, 50, 2, 16);
    const QRectF primary(QGuiApplication::primaryScreen()->geometry());

    auto inputs = s.window->placementInputs(HistoryWindowOpenStrategy::inputCursor);
    EXPECT_EQ(inputs.caretRect, HistoryWindowPlacement::fromTopLeft(QRectF(100, 50, 2, 16), primary));

    s.caret.answerDelayMs = 1000; // a peer that never answers in time
    QElapsedTimer timer;
    timer.start();
    inputs = s.window->placementInputs(HistoryWindowOpenStrategy::inputCursor);
    EXPECT_LT(timer.elapsed(), FloatingHistoryWindow::placementBudgetMs + 100);
    EXPECT_FALSE(inputs.caretRect);
    EXPECT_EQ(inputs.frontWindowFrame, HistoryWindowPlacement::fromTopLeft(QRectF(20, 30, 300, 200), primary));

    s.caret.trusted = false;
    s.caret.queries = 0;
    inputs = s.window->placementInputs(HistoryWindowOpenStrategy::inputCursor);
    EXPECT_EQ(s.caret.queries, 0);
    EXPECT_TRUE(inputs.frontWindowFrame);
    // The mouse strategies never ask for the front window.
    EXPECT_FALSE(s.window->placementInputs(HistoryWindowOpenStrategy::mouseCursor).frontWindowFrame);
}

// The controller's bookkeeping: the list's own selection changes are written to the model and their echoes ignored;
// the model's changes reach the list once per turn of the event loop, and so do rebuilds.
TEST(HistoryContentViewController, SelectionEchoesAreIgnoredAndChangesOfOneTurnCoalesce)
{
    WindowHarness s;
    s.show();
    HistoryContentViewController &controller = s.window->contentViewController();
    QCoreApplication::processEvents();

    const int pushes = WindowProbe::selectionPushCount(controller);
    controller.list().moveSelection(HistorySelectionDirection::down);
    EXPECT_EQ(s.h.model.selectedItemID(), testId(2));
    EXPECT_EQ(WindowProbe::selectionModelUpdatesOriginatingFromList(controller), 2); // the set and the focused id
    QCoreApplication::processEvents();
    EXPECT_EQ(WindowProbe::selectionModelUpdatesOriginatingFromList(controller), 0);
    EXPECT_EQ(WindowProbe::selectionPushCount(controller), pushes); // nothing was pushed back into the list

    // Three model changes in one turn: one push.
    s.h.model.setSelectedItemID(testId(1));
    s.h.model.setSelectedItemIDs({testId(1)});
    s.h.model.setSelectedItemIDsInSelectionOrder({testId(1)});
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(WindowProbe::selectionPushCount(controller), pushes + 1);
    EXPECT_EQ(s.rows().at(2), QStringLiteral("apple pie *"));

    // Several changes of what the list shows in one turn: one rebuild.
    const int reloads = WindowProbe::reloadCount(controller);
    s.h.model.setSearchQuery(QStringLiteral("a"));
    s.h.model.setHistorySortReversed(true);
    s.h.model.setTags({});
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(WindowProbe::reloadCount(controller), reloads + 1);

    // A selected item that the filter hides gives way to the first listed one; an empty list selects nothing.
    s.h.model.setSearchQuery(QStringLiteral("cherry"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.h.model.selectedItemID() == testId(3); }));
    s.h.model.setSearchQuery(QStringLiteral("nothing matches"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.rows().isEmpty(); }));
}

TEST(HistoryContentViewController, TheFocusedItemIsTheListsLeadAndStaysItThroughAReload)
{
    WindowHarness s;
    s.show();
    HistoryContentViewController &controller = s.window->contentViewController();
    History &list = controller.list();
    QCoreApplication::processEvents();
    const auto click = [&](const QString &title, Qt::KeyboardModifiers modifiers) {
        for (int row = 0; row < list.tableRows().size(); ++row) {
            if (const ClipboardItem *item = list.itemAtRow(row); item && item->displayTitle() == title) {
                const QRect rect = list.tableView().visualRect(list.tableView().model()->index(row, 0));
                QTest::mouseClick(list.tableView().viewport(), Qt::LeftButton, modifiers, rect.center());
                QCoreApplication::processEvents();
                return;
            }
        }
        ADD_FAILURE() << title.toStdString();
    };

    // From the bottom up: the order of selection starts at apple, the lead is where the Shift-click went.
    click(u"apple pie"_qs, Qt::NoModifier);
    click(u"https://example.com/cherry"_qs, Qt::ShiftModifier);
    EXPECT_EQ(s.h.model.selectedItemIDsInSelectionOrder(), QList<QUuid>({testId(1), testId(2), testId(3)}));
    EXPECT_EQ(s.h.model.selectedItemID(), testId(3));

    // The list reloads with the model's selection and keeps its lead: Shift+Down goes on from cherry.
    const int reloads = WindowProbe::reloadCount(controller);
    s.h.model.setTags({});
    EXPECT_TRUE(QTest::qWaitFor([&] { return WindowProbe::reloadCount(controller) > reloads; }));
    QCoreApplication::processEvents();
    s.press(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(s.rows(), QStringList({u"https://example.com/cherry *"_qs, u"banana bread *"_qs, u"apple pie"_qs}));
    EXPECT_EQ(s.h.model.selectedItemID(), testId(2));
}

TEST(HistoryContentViewController, TheDaySectionsTurnAtLocalMidnight)
{
    WindowHarness s;
    HistoryContentViewController &controller = s.window->contentViewController();
    const QTimeZone zone = QTimeZone::systemTimeZone();
    const QDate day(2025, 3, 14);
    s.h.clock.setNow(QDateTime(day, QTime(23, 59), zone).toUTC());
    controller.setDayClock(s.h.clock, s.h.scheduler);
    const auto copiedOn = [&](int n, const QDate &date) {
        ClipboardItem item = testItem(n, u"item %1"_qs.arg(n));
        item.copiedAt = QDateTime(date, QTime(10, 0), zone).toUTC();
        item.firstCopiedAt = item.copiedAt;
        return item;
    };
    s.h.model.setItems({copiedOn(1, day), copiedOn(2, day.addDays(-1))});
    const auto headers = [&] {
        QStringList titles;
        for (const HistoryTableRow &row : controller.list().tableRows()) {
            if (const auto *header = row.asSectionHeader())
                titles.append(header->title);
        }
        return titles;
    };
    s.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(headers(), QStringList({u"Today"_qs, u"Yesterday"_qs}));

    // Open over midnight: relabelled at midnight with nothing else changing.
    s.h.scheduler.advance(std::chrono::minutes(2));
    EXPECT_EQ(headers().value(0), u"Yesterday"_qs);
    EXPECT_EQ(headers().size(), 2);
    EXPECT_NE(headers().value(1), u"Today"_qs);

    // Hidden over the next midnight: not rebuilt while hidden, relabelled when shown.
    s.window->hide();
    QCoreApplication::processEvents();
    const int reloads = WindowProbe::reloadCount(controller);
    s.h.scheduler.advance(std::chrono::hours(24));
    EXPECT_EQ(WindowProbe::reloadCount(controller), reloads);
    s.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(headers().size(), 2);
    EXPECT_FALSE(headers().contains(u"Today"_qs) || headers().contains(u"Yesterday"_qs))
        << headers().join(u',').toStdString();
}

// The root view takes its size from the stored window size, at least 640 wide and 400 high.
TEST(HistoryContentViewController, TheRootViewIsAtLeast640WideAnd400High)
{
    const struct Case
    {
        std::optional<double> width, height;
        QSize size;
    } cases[] = {
        {std::nullopt, std::nullopt, {640, 700}},
        {500, std::nullopt, {640, 700}},
        {std::nullopt, 300, {640, 400}},
        {std::nullopt, 401, {640, 401}},
        {640, 400, {640, 400}},
        {900, 820, {900, 820}},
    };
    CoordinatorHarness h;
    HistoryItemCommands commands(h.model, *h.coordinator, {});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.width.value_or(-1));
        SCOPED_TRACE(c.height.value_or(-1));
        h.changePreferences([&](AppPreferences &p) {
            p.historyWindowWidth = c.width;
            p.historyWindowHeight = c.height;
        });
        EXPECT_EQ(HistoryContentViewController::rootViewSize(h.model.preferences()), c.size);
        const HistoryContentViewController controller(h.model, *h.coordinator, commands);
        EXPECT_EQ(controller.view().size(), c.size);
    }
}

TEST(HistoryContentViewController, ToolbarStateFollowsTheSelection)
{
    WindowHarness s;
    s.show();
    HistoryContentViewController &controller = s.window->contentViewController();
    const auto stateFor = [&](const QList<ClipboardItem> &items) {
        QList<QUuid> ids;
        for (const ClipboardItem &item : items)
            ids.append(item.id);
        s.h.model.setItems(items);
        s.h.model.setSelectedItemID(ids.value(0));
        s.h.model.setSelectedItemIDs(QSet<QUuid>(ids.cbegin(), ids.cend()));
        s.h.model.setSelectedItemIDsInSelectionOrder(ids);
        controller.updateToolbarState();
        return s.window->toolbar().state();
    };
    ClipboardItem files = testItem(10, QString());
    files.kind = ClipboardKind::file;
    files.text.reset();
    files.filePaths = {u"/a"_qs, u"/b"_qs, u"/c"_qs};
    ClipboardItem image = testItem(11, QString());
    image.kind = ClipboardKind::image;
    image.text.reset();
    ClipboardItem spacedLink = testItem(12, u"https://example.com/a b"_qs);
    spacedLink.kind = ClipboardKind::link;

    HistoryToolbarState state = stateFor({files});
    EXPECT_EQ(state.pasteItemCount, 3);
    EXPECT_EQ(state.copyItemCount, 3);
    files.filePaths = {u"/a"_qs};
    EXPECT_EQ(stateFor({files}).pasteItemCount, std::nullopt);
    state = stateFor({testItem(13, u"text"_qs), files});
    EXPECT_TRUE(state.canCopy && state.showsMerge);
    state = stateFor({testItem(13, u"text"_qs), image});
    EXPECT_TRUE(state.canPaste);
    EXPECT_FALSE(state.canCopy || state.showsMerge);
    EXPECT_TRUE(stateFor({image}).canCopy);
    EXPECT_FALSE(stateFor({spacedLink}).showsOpenInBrowser);
    EXPECT_TRUE(stateFor({}).isPinned == false && !stateFor({}).canPaste);

    // A search with a line break shows on one line.
    s.h.model.setSearchQuery(u"two\nlines"_qs);
    controller.updateToolbarState();
    EXPECT_EQ(s.window->toolbar().searchText(), u"two lines"_qs);
}

// The program's commands reach the settings and onboarding windows with their menu: Ctrl+, there opens the general
// settings.
TEST(QtWindowFactory, TheMenuBarsKeyEquivalentOpensTheGeneralSettings)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    QMenu applicationMenu;
    QtWindowFactory factory(&applicationMenu);
    AppCoordinator coordinator(h.dependencies(h.store, h.supportDirectory, factory));
    StatusItemController menus(h.model, coordinator, applicationMenu);
    coordinator.start();
    menus.updateMainMenuItem();

    coordinator.openSettings(SettingsSection::about);
    auto *settings = dynamic_cast<SettingsWindowController *>(AppCoordinatorProbe(coordinator).settingsWindow());
    ASSERT_NE(settings, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&settings->window()));
    QTest::keyClick(&settings->window(), Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_EQ(coordinator.settingsSection(), SettingsSection::general);
    settings->window().close();
}

TEST(WindowFrame, TheStoredOriginIsTheBottomLeftCorner)
{
    const QRect primary(0, 0, 1920, 1080);
    const QRect geometry(100, 50, 400, 300);
    const StoredWindowFrame stored = WindowFrame::toStored(geometry, primary);
    EXPECT_EQ(stored, (StoredWindowFrame {100, 730, 400, 300}));
    EXPECT_EQ(WindowFrame::fromStored(stored, primary), geometry);
    EXPECT_FALSE(WindowFrame::fromPreferences(1, 2, 0, 3));
    EXPECT_FALSE(WindowFrame::fromPreferences(1, std::nullopt, 10, 3));
}

TEST(QtWindowFactory, OnboardingShowsTheHotKeyAndItsLastStepCompletesIt)
{
    CoordinatorHarness h;
    QMenu applicationMenu;
    QtWindowFactory factory(&applicationMenu, [] { return true; });
    AppCoordinator coordinator(h.dependencies(h.store, h.supportDirectory, factory));
    coordinator.start();
    auto *onboarding = dynamic_cast<OnboardingWindowController *>(AppCoordinatorProbe(coordinator).onboardingWindow());
    ASSERT_NE(onboarding, nullptr);
    EXPECT_TRUE(onboarding->window().isVisible());
    OnboardingView &view = onboarding->view();
    view.advance();
    QStringList caps;
    for (const OnboardingKeyCap *cap : onboarding->window().findChildren<OnboardingKeyCap *>()) {
        if (cap->isVisibleTo(&onboarding->window()))
            caps.append(cap->text());
    }
    EXPECT_EQ(caps, QStringList({QStringLiteral("Ctrl"), QStringLiteral("Alt"), QStringLiteral("V")}));

    while (view.currentStep() != OnboardingStep::finish)
        view.advance();
    view.advance();
    EXPECT_EQ(AppCoordinatorProbe(coordinator).onboardingWindow(), nullptr);
    EXPECT_TRUE(h.preferencesStore.load().hasCompletedOnboarding);
    EXPECT_TRUE(coordinator.historyWindow()->isVisible());
    QCoreApplication::processEvents();
}
