// The onboarding window on a real coordinator: walking the steps, the language applied at once, the pasting step's
// answer renewed on activation, finishing into the history, and closing by hand.

#include "AppearanceApplier.h"
#include "CoordinatorTestSupport.h"
#include "HistoryColors.h"
#include "OnboardingView.h"
#include "OnboardingWindowController.h"
#include "SettingsLook.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The recording history window, and the real onboarding window with a display whose key input the test decides.
class OnboardingWindowFactory final : public AppWindowFactory
{
public:
    explicit OnboardingWindowFactory(WindowLog &log) : m_log(log) { }

    std::unique_ptr<HistoryWindow> createHistoryWindow(AppModel &model, AppCoordinator &coordinator) override
    {
        return std::make_unique<RecordingHistoryWindow>(m_log, model, coordinator);
    }
    std::unique_ptr<SettingsWindow> createSettingsWindow(AppModel &, AppCoordinator &) override
    {
        return std::make_unique<RecordingSettingsWindow>(m_log);
    }
    std::unique_ptr<OnboardingWindow> createOnboardingWindow(AppModel &model, AppCoordinator &coordinator) override
    {
        return std::make_unique<OnboardingWindowController>(model, coordinator, [this] { return canPostKeys; });
    }

    bool canPostKeys = true;

private:
    WindowLog &m_log;
};

// A first start: the coordinator shows the onboarding window.
struct FirstStart
{
    FirstStart()
    {
        coordinator = std::make_unique<AppCoordinator>(h.dependencies(h.store, h.supportDirectory, factory));
        coordinator->start();
    }
    ~FirstStart()
    {
        coordinator.reset();
        QCoreApplication::processEvents();
    }

    OnboardingWindowController *window() const
    {
        return dynamic_cast<OnboardingWindowController *>(AppCoordinatorProbe(*coordinator).onboardingWindow());
    }
    // The widgets of the current step (the replaced step's go on the next turn of the event loop).
    template<typename Widget> QList<Widget *> shown(const QString &name) const
    {
        QList<Widget *> widgets;
        for (Widget *widget : window()->window().findChildren<Widget *>(name)) {
            if (widget->isVisibleTo(&window()->window()))
                widgets.append(widget);
        }
        return widgets;
    }
    QString heading() const
    {
        const auto labels = shown<QLabel>(QStringLiteral("onboardingHeading"));
        return labels.size() == 1 ? labels.first()->text() : QString();
    }
    QStringList keyCaps() const
    {
        QStringList caps;
        for (const OnboardingKeyCap *cap : shown<OnboardingKeyCap>(QStringLiteral("onboardingKeyCap")))
            caps.append(cap->text());
        return caps;
    }
    QPushButton &button(const char *name) const
    {
        return *window()->window().findChild<QPushButton *>(QString::fromLatin1(name));
    }

    CoordinatorHarness h;
    OnboardingWindowFactory factory {h.log};
    std::unique_ptr<AppCoordinator> coordinator;
};

} // namespace

TEST(OnboardingWindow, AFirstStartShowsItCentredWithoutResizingOrMinimising)
{
    FirstStart start;
    ASSERT_NE(start.window(), nullptr);
    QWidget &window = start.window()->window();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.size(), QSize(700, 490));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_FALSE(window.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(window.frameGeometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(window.frameGeometry().center().y() - screen.center().y()), 1);
    EXPECT_EQ(start.window()->view().currentStep(), OnboardingStep::intro);
}

// Continue walks forward, Back and the left arrow walk back; the progress shows the current step wide.
TEST(OnboardingWindow, ContinueAndBackWalkTheSteps)
{
    FirstStart start;
    OnboardingView &view = start.window()->view();
    QPushButton &back = start.button("onboardingBack");
    QPushButton &primary = start.button("onboardingPrimary");
    const auto *progress = start.window()->window().findChild<OnboardingProgress *>();
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->accessibleName(), QStringLiteral("Onboarding progress"));
    EXPECT_FALSE(back.focusPolicy() & Qt::TabFocus);
    EXPECT_FALSE(primary.focusPolicy() & Qt::TabFocus);

    // The left arrow does nothing on the first step.
    EXPECT_FALSE(back.isVisibleTo(&start.window()->window()));
    QTest::keyClick(&start.window()->window(), Qt::Key_Left);
    EXPECT_EQ(view.currentStep(), OnboardingStep::intro);

    for (qsizetype index = 0; index < OnboardingSteps::all().size(); ++index) {
        const OnboardingStep step = OnboardingSteps::all().at(index);
        SCOPED_TRACE(index);
        ASSERT_EQ(view.currentStep(), step);
        EXPECT_EQ(back.isVisibleTo(&start.window()->window()), index > 0);
        EXPECT_EQ(primary.text(), index == 5 ? QStringLiteral("Open History") : QStringLiteral("Continue"));
        // Whether prominent or not, the button's text stands out from the fill as drawn.
        const QImage drawn = primary.grab().toImage();
        EXPECT_GE(SettingsColors::contrastRatio(
                      drawn.pixelColor(drawn.width() / 2, 5), primary.palette().color(QPalette::ButtonText)),
            4.5);
        EXPECT_EQ(start.heading(), OnboardingSteps::heading(step));
        EXPECT_TRUE(waitUntil([&] {
            QList<qreal> expected(6, 8.0);
            expected[index] = 28.0;
            return progress->capsuleWidths() == expected;
        }));
        if (index < 5)
            primary.click();
    }

    back.click();
    EXPECT_EQ(view.currentStep(), OnboardingStep::organize);
    QTest::keyClick(&start.window()->window(), Qt::Key_Left);
    EXPECT_EQ(view.currentStep(), OnboardingStep::accessibility);
    while (view.currentStep() != OnboardingStep::intro)
        QTest::keyClick(&start.window()->window(), Qt::Key_Left);
    EXPECT_FALSE(start.h.model.preferences().hasCompletedOnboarding);
}

// The shortcut steps draw the stored shortcuts as key caps, and follow a change of them.
// "Open History" on the last step is filled with the highlight; its text stays readable on the light and the dark
// palette, as drawn.
TEST(OnboardingWindow, TheProminentButtonsTextStandsOutInLightAndDark)
{
    const QPalette before = QApplication::palette();
    for (const QPalette &palette : {AppearanceApplier::lightPalette(), AppearanceApplier::darkPalette()}) {
        SCOPED_TRACE(HistoryColors::isDark(palette) ? "dark" : "light");
        QApplication::setPalette(palette);
        FirstStart start;
        QPushButton &primary = start.button("onboardingPrimary");
        while (start.window()->view().currentStep() != OnboardingStep::finish)
            primary.click();
        ASSERT_EQ(primary.text(), QStringLiteral("Open History"));
        // Above and below the text, where the style's gradient is lightest and darkest.
        const QImage drawn = primary.grab().toImage();
        for (const int y : {5, drawn.height() - 6}) {
            const QColor fill = drawn.pixelColor(drawn.width() / 2, y);
            EXPECT_GE(SettingsColors::contrastRatio(fill, primary.palette().color(QPalette::ButtonText)), 4.5)
                << fill.name().toStdString();
        }
    }
    QApplication::setPalette(before);
}

TEST(OnboardingWindow, TheShortcutStepsShowTheStoredShortcutsAsKeys)
{
    FirstStart start;
    start.window()->view().advance();
    EXPECT_EQ(start.keyCaps(), QStringList({QStringLiteral("Ctrl"), QStringLiteral("Alt"), QStringLiteral("V")}));

    start.h.changePreferences([](AppPreferences &preferences) { preferences.showHistoryShortcut.clear(); });
    EXPECT_TRUE(waitUntil([&] { return start.keyCaps() == QStringList({QStringLiteral("Not set")}); }));

    start.window()->view().advance();
    EXPECT_EQ(start.keyCaps(), QStringList({QStringLiteral("Up"), QStringLiteral("Down"), QStringLiteral("Enter")}));
}

// Choosing a language writes it, saves and applies it, and the window speaks it at once, still on the first step.
TEST(OnboardingWindow, ChoosingALanguageAppliesItAtOnce)
{
    FirstStart start;
    auto pickers = start.shown<QComboBox>(QStringLiteral("onboardingLanguage"));
    ASSERT_EQ(pickers.size(), 1);
    QComboBox *picker = pickers.first();
    EXPECT_EQ(picker->count(), 8);
    EXPECT_EQ(picker->currentText(), QStringLiteral("English"));

    // The entry that is already chosen changes nothing and saves nothing.
    start.h.changePreferences([](AppPreferences &preferences) { preferences.soundEffectsEnabled = false; });
    Q_EMIT picker->activated(0);
    EXPECT_TRUE(start.h.preferencesStore.load().soundEffectsEnabled);

    Q_EMIT picker->activated(2);
    EXPECT_EQ(start.h.model.preferences().language, QStringLiteral("de"));
    EXPECT_EQ(start.h.preferencesStore.load().language, QStringLiteral("de"));
    EXPECT_EQ(currentInterfaceLanguage(), QStringLiteral("de"));
    EXPECT_TRUE(waitUntil([&] { return start.heading() == QStringLiteral("Willkommen bei Varnisto"); }));
    EXPECT_EQ(start.button("onboardingPrimary").text(), QStringLiteral("Weiter"));
    EXPECT_EQ(start.window()->view().currentStep(), OnboardingStep::intro);
    pickers = start.shown<QComboBox>(QStringLiteral("onboardingLanguage"));
    ASSERT_EQ(pickers.size(), 1);
    EXPECT_EQ(pickers.first()->currentText(), QStringLiteral("Deutsch"));
}

// Without key input the pasting step says so and offers to check again; the answer is asked anew when the program
// becomes active, and the check mark replaces the button without a click.
TEST(OnboardingWindow, ThePastingStepAsksTheDisplayAgainOnActivation)
{
    FirstStart start;
    start.factory.canPostKeys = false;
    OnboardingView &view = start.window()->view();
    view.recheckKeyInput();
    while (view.currentStep() != OnboardingStep::accessibility)
        view.advance();
    EXPECT_EQ(start.shown<QLabel>(QStringLiteral("onboardingKeyInputMissing")).size(), 1);
    const auto checkAgain = start.shown<QPushButton>(QStringLiteral("onboardingCheckAgain"));
    ASSERT_EQ(checkAgain.size(), 1);
    checkAgain.first()->click();
    EXPECT_TRUE(start.shown<QLabel>(QStringLiteral("onboardingKeyInputAvailable")).isEmpty());

    start.factory.canPostKeys = true;
    QMetaObject::invokeMethod(qApp, "applicationStateChanged", Q_ARG(Qt::ApplicationState, Qt::ApplicationActive));
    EXPECT_TRUE(view.canPostKeys());
    EXPECT_EQ(start.shown<QLabel>(QStringLiteral("onboardingKeyInputAvailable")).size(), 1);
    EXPECT_TRUE(start.shown<QPushButton>(QStringLiteral("onboardingCheckAgain")).isEmpty());
    // Either way the step can be left.
    view.advance();
    EXPECT_EQ(view.currentStep(), OnboardingStep::organize);
}

TEST(OnboardingWindow, OpenHistoryCompletesOnboardingAndShowsTheHistory)
{
    FirstStart start;
    while (start.window()->view().currentStep() != OnboardingStep::finish)
        start.button("onboardingPrimary").click();
    start.h.log.events.clear();
    start.button("onboardingPrimary").click();
    EXPECT_EQ(AppCoordinatorProbe(*start.coordinator).onboardingWindow(), nullptr);
    EXPECT_TRUE(start.h.preferencesStore.load().hasCompletedOnboarding);
    EXPECT_TRUE(start.h.log.events.contains(QStringLiteral("history shown after activation")));
    QCoreApplication::processEvents();
}

// Closing the window by hand leaves onboarding to do at the next start.
TEST(OnboardingWindow, ClosingItByHandLeavesOnboardingIncomplete)
{
    FirstStart start;
    start.window()->view().advance();
    start.window()->window().close();
    EXPECT_EQ(AppCoordinatorProbe(*start.coordinator).onboardingWindow(), nullptr);
    EXPECT_FALSE(start.h.model.preferences().hasCompletedOnboarding);
    EXPECT_FALSE(start.h.preferencesStore.load().hasCompletedOnboarding);
    EXPECT_FALSE(start.h.log.events.contains(QStringLiteral("history shown after activation")));
    QCoreApplication::processEvents();
}

// In every language each step's heading fits across the window, and its text in three lines.
TEST(OnboardingWindow, EveryStepFitsInEveryLanguage)
{
    FirstStart start;
    OnboardingView &view = start.window()->view();
    for (const OnboardingLanguage &language : OnboardingLanguages::all()) {
        view.languageChanged(language.code);
        QCoreApplication::processEvents();
        while (view.currentStep() != OnboardingStep::intro)
            view.goBack();
        for (const OnboardingStep step : OnboardingSteps::all()) {
            SCOPED_TRACE(qPrintable(language.code + QLatin1Char('/') + OnboardingSteps::heading(step)));
            const auto headings = start.shown<QLabel>(QStringLiteral("onboardingHeading"));
            const auto subtitles = start.shown<QLabel>(QStringLiteral("onboardingSubtitle"));
            ASSERT_EQ(headings.size(), 1);
            ASSERT_EQ(subtitles.size(), 1);
            EXPECT_EQ(headings.first()->text(), OnboardingSteps::heading(step));
            EXPECT_LE(headings.first()->sizeHint().width(), 700 - 2 * 72);
            const QLabel &subtitle = *subtitles.first();
            EXPECT_LE(subtitle.heightForWidth(subtitle.width()), subtitle.fontMetrics().lineSpacing() * 3 + 2);
            if (step != OnboardingStep::finish)
                view.advance();
        }
    }
}
