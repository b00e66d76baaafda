#include "CoordinatorTestSupport.h"

#include "History.h"
#include "HistoryTableView.h"
#include "KeyboardCodes.h"
#include "OnboardingView.h"
#include "OnboardingWindowController.h"
#include "PlainHistoryWindow.h"
#include "SettingsWindowController.h"
#include "StandInWindows.h"
#include "StatusItemController.h"
#include "WindowFrame.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

namespace {

// A coordinator whose windows are the real stand-ins.
struct StandInHarness
{
    explicit StandInHarness(const std::function<void(AppPreferences &)> &preferences = {})
    {
        h.storeOnboardedPreferences(preferences);
        ClipboardItem link = testItem(3, QStringLiteral("https://example.com/cherry"));
        link.kind = ClipboardKind::link;
        h.storeItems({testItem(1, QStringLiteral("apple pie")), testItem(2, QStringLiteral("banana bread")), link});
        coordinator = std::make_unique<AppCoordinator>(h.dependencies(h.store, h.supportDirectory, factory));
        coordinator->start();
        window = dynamic_cast<PlainHistoryWindow *>(coordinator->historyWindow());
    }
    ~StandInHarness() { coordinator.reset(); }

    QStringList rows() const
    {
        QStringList texts;
        const QList<int> selected = window->list().tableView().selectedRows();
        for (int row = 0; row < window->list().tableRows().size(); ++row) {
            if (const HistoryTableRow::Item *item = window->list().tableRows().at(row).asItem())
                texts.append(item->item.displayTitle() + QStringLiteral(" / ") + item->item.kind.title()
                    + (selected.contains(row) ? QStringLiteral(" *") : QString()));
        }
        return texts;
    }
    void press(Qt::Key key)
    {
        QTest::keyClick(&window->searchField(), key);
        QCoreApplication::processEvents();
    }

    CoordinatorHarness h;
    StandInWindowFactory factory;
    std::unique_ptr<AppCoordinator> coordinator;
    PlainHistoryWindow *window = nullptr;
};

} // namespace

TEST(PlainHistoryWindow, ListsTheVisibleItemsAndMovesTheSelectionWithTheArrows)
{
    StandInHarness s;
    ASSERT_NE(s.window, nullptr);
    s.coordinator->showHistoryWindow(false, false);
    ASSERT_TRUE(s.window->isVisible());
    const Qt::WindowFlags flags = s.window->panel().windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint) && flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(s.rows(),
        QStringList({QStringLiteral("https://example.com/cherry / Link *"), QStringLiteral("banana bread / Text"),
            QStringLiteral("apple pie / Text")}));

    s.press(Qt::Key_Down);
    s.press(Qt::Key_Down);
    s.press(Qt::Key_Down); // stays on the last row
    EXPECT_EQ(s.h.model.selectedItemID(), testId(1));
    s.press(Qt::Key_Up);
    EXPECT_EQ(s.h.model.selectedItemID(), testId(2));
    EXPECT_TRUE(s.rows().at(1).endsWith(QStringLiteral(" *")));

    // A new capture appears at the top, selected.
    s.coordinator->handleCapturedItem(testItem(4, QStringLiteral("date")), {});
    QCoreApplication::processEvents();
    EXPECT_EQ(s.rows().first(), QStringLiteral("date / Text *"));
}

TEST(PlainHistoryWindow, TheSearchNarrowsTheListAndSelectsItsFirstRow)
{
    StandInHarness s;
    s.coordinator->showHistoryWindow(false, false);
    QTest::keyClicks(&s.window->searchField(), QStringLiteral("br"));
    QCoreApplication::processEvents();
    EXPECT_EQ(s.h.model.searchQuery(), QStringLiteral("br"));
    EXPECT_EQ(s.rows(), QStringList({QStringLiteral("banana bread / Text *")}));

    // Escape closes the window, saves its frame and resets the search.
    s.press(Qt::Key_Escape);
    EXPECT_FALSE(s.window->isVisible());
    EXPECT_TRUE(s.h.model.searchQuery().isEmpty());
    EXPECT_TRUE(s.h.preferencesStore.load().historyWindowWidth.has_value());
}

TEST(PlainHistoryWindow, ReturnPastesTheSelectedItem)
{
    StandInHarness s;
    s.coordinator->showHistoryWindow(false, false);
    s.press(Qt::Key_Down);
    s.press(Qt::Key_Return);
    EXPECT_FALSE(s.window->isVisible());
    const auto pasted = s.h.pasteboard.content().data(PasteboardType::plainText());
    ASSERT_TRUE(pasted);
    EXPECT_EQ(*pasted, QByteArray("banana bread"));
    EXPECT_EQ(s.h.keyPoster.presses(), QList<MemoryKeyPoster::Press>({{VirtualKey::v, KeyEventFlag::command}}));
}

TEST(PlainHistoryWindow, HidesOnFocusLossUnlessPinnedOrJustActivated)
{
    const auto loseFocus = [](StandInHarness &s) {
        QEvent deactivate(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(&s.window->panel(), &deactivate);
    };
    {
        StandInHarness s;
        s.coordinator->showHistoryWindow(false, false);
        loseFocus(s);
        EXPECT_FALSE(s.window->isVisible());
    }
    {
        StandInHarness s([](AppPreferences &p) { p.hideOnFocusLoss = false; });
        s.coordinator->showHistoryWindow(false, false);
        loseFocus(s);
        EXPECT_TRUE(s.window->isVisible());
    }
    {
        // Shown after the application was activated, the first loss within half a second is ignored.
        StandInHarness s;
        s.coordinator->showHistoryWindow(true, true);
        loseFocus(s);
        EXPECT_TRUE(s.window->isVisible());
    }
}

TEST(PlainHistoryWindow, ReopensWhereItWasClosed)
{
    StandInHarness s;
    s.coordinator->showHistoryWindow(false, false);
    const QRect placed(120, 80, 500, 360);
    s.window->panel().setGeometry(placed);
    s.coordinator->toggleHistoryWindow();
    const AppPreferences saved = s.h.preferencesStore.load();
    const StoredWindowFrame expected = WindowFrame::toStored(placed, WindowFrame::primaryScreenGeometry());
    EXPECT_EQ(saved.historyWindowY, expected.y);
    s.coordinator->toggleHistoryWindow();
    EXPECT_EQ(s.window->panel().geometry(), placed);
}

// A window that was built but never shown has no frame of its own: quitting keeps what an earlier run stored (or
// nothing), and the next start opens where the user last had the window.
TEST(PlainHistoryWindow, AWindowNeverShownSavesNoFrame)
{
    const StoredWindowFrame earlier {120, 90, 420, 300};
    for (const bool storedBefore : {false, true}) {
        SCOPED_TRACE(storedBefore);
        StandInHarness s([&](AppPreferences &p) {
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

        s.coordinator->showHistoryWindow(false, false);
        if (storedBefore) {
            EXPECT_EQ(
                s.window->panel().geometry(), WindowFrame::fromStored(earlier, WindowFrame::primaryScreenGeometry()));
        }
        // Shown once, it saves where it is.
        s.coordinator->prepareForTermination();
        EXPECT_TRUE(s.h.preferencesStore.load().historyWindowWidth.has_value());
    }
}

// The program's commands reach the settings and onboarding windows with their menu: Ctrl+, there opens the general
// settings.
TEST(StandInWindows, TheMenuBarsKeyEquivalentOpensTheGeneralSettings)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    QMenu applicationMenu;
    StandInWindowFactory factory(&applicationMenu);
    AppCoordinator coordinator(h.dependencies(h.store, h.supportDirectory, factory));
    StatusItemController menus(h.model, coordinator, applicationMenu);
    coordinator.start();
    menus.updateMainMenuItem();

    coordinator.openSettings(SettingsSection::about);
    auto *settings = dynamic_cast<SettingsWindowController *>(coordinator.settingsWindow());
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

TEST(StandInWindows, OnboardingShowsTheHotKeyAndItsLastStepCompletesIt)
{
    CoordinatorHarness h;
    QMenu applicationMenu;
    StandInWindowFactory factory(&applicationMenu, [] { return true; });
    AppCoordinator coordinator(h.dependencies(h.store, h.supportDirectory, factory));
    coordinator.start();
    auto *onboarding = dynamic_cast<OnboardingWindowController *>(coordinator.onboardingWindow());
    ASSERT_NE(onboarding, nullptr);
    EXPECT_TRUE(onboarding->window().isVisible());
    OnboardingView &view = onboarding->view();
    view.advance();
    QStringList caps;
    for (const OnboardingKeyCap *cap : onboarding->window().findChildren<OnboardingKeyCap *>()) {
        if (cap->isVisibleTo(&onboarding->window()))
            caps.append(cap->text());
    }
    EXPECT_EQ(caps, QStringList({QStringLiteral("Ctrl"), QStringLiteral("Shift"), QStringLiteral("V")}));

    while (view.currentStep() != OnboardingStep::finish)
        view.advance();
    view.advance();
    EXPECT_EQ(coordinator.onboardingWindow(), nullptr);
    EXPECT_TRUE(h.preferencesStore.load().hasCompletedOnboarding);
    EXPECT_TRUE(coordinator.historyWindow()->isVisible());
    QCoreApplication::processEvents();
}
