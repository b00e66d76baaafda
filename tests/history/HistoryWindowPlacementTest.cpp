#include "HistoryWindowPlacement.h"

#include "CaretLocator.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using HistoryWindowPlacement::Inputs;
using HistoryWindowPlacement::Screen;
using S = HistoryWindowOpenStrategy;

// Bottom-left coordinates: a 1440 x 900 primary screen with a 25-point bar at its top, and a second screen beside
// it or above it.
const Screen primary {{0, 0, 1440, 900}, {0, 0, 1440, 875}};
const Screen beside {{1440, 0, 1920, 1080}, {1440, 0, 1920, 1080}};
const Screen above {{0, 900, 1440, 900}, {0, 900, 1440, 900}};
const Screen narrow {{0, 0, 500, 900}, {0, 0, 500, 875}};

struct Case
{
    const char *name;
    S strategy;
    QList<Screen> screens;
    QPointF mouse;
    std::optional<QRectF> frontWindow;
    std::optional<QRectF> caret;
    std::optional<QPointF> saved;
    std::optional<QPointF> expected;
};

void PrintTo(const Case &c, std::ostream *out)
{
    *out << c.name;
}

class Placement : public testing::TestWithParam<Case>
{
};

TEST_P(Placement, PutsTheWindowWhereItsStrategySays)
{
    const Case &c = GetParam();
    Inputs inputs;
    inputs.screens = c.screens;
    if (!c.screens.isEmpty())
        inputs.mainScreen = 0;
    inputs.mouseLocation = c.mouse;
    inputs.frontWindowFrame = c.frontWindow;
    inputs.caretRect = c.caret;
    inputs.savedOrigin = c.saved;
    inputs.windowSize = QSizeF(620, 700);
    EXPECT_EQ(HistoryWindowPlacement::origin(c.strategy, inputs), c.expected);
}

const std::optional<QPointF> primaryCentre = QPointF(410, 87.5);

INSTANTIATE_TEST_SUITE_P(Strategies, Placement,
    testing::Values(
        // The middle of the active screen: the front window's screen, else the mouse's, else the main one.
        Case {"screen centre, one screen", S::activeScreenCenter, {primary}, {100, 100}, {}, {}, {}, primaryCentre},
        Case {"screen centre, front window beside", S::activeScreenCenter, {primary, beside}, {100, 100},
            QRectF(2000, 200, 400, 300), {}, {}, QPointF(2090, 190)},
        Case {"screen centre, mouse beside", S::activeScreenCenter, {primary, beside}, {3000, 500}, {}, {}, {},
            QPointF(2090, 190)},
        Case {"screen centre, mouse above", S::activeScreenCenter, {primary, above}, {700, 1200}, {}, {}, {},
            QPointF(410, 1000)},
        Case {"screen centre, no screen", S::activeScreenCenter, {}, {100, 100}, {}, {}, {}, {}},
        // The middle of the front window, clamped; without it the screen's middle.
        Case {"window centre, clamped", S::activeWindowCenter, {primary}, {100, 100}, QRectF(100, 100, 400, 300), {},
            {}, QPointF(0, 0)},
        Case {"window centre, inside", S::activeWindowCenter, {primary, beside}, {100, 100},
            QRectF(1800, 100, 1000, 900), {}, {}, QPointF(1990, 200)},
        Case {"window centre, no window", S::activeWindowCenter, {primary}, {100, 100}, {}, {}, {}, primaryCentre},
        Case {"window centre, no screen", S::activeWindowCenter, {}, {}, QRectF(100, 100, 400, 300), {}, {},
            QPointF(-10, -100)},
        // The screen under the mouse, else the main screen.
        Case {
            "cursor screen above", S::screenWithCursor, {primary, above}, {700, 1200}, {}, {}, {}, QPointF(410, 1000)},
        Case {"cursor screen beside", S::screenWithCursor, {primary, beside}, {1440, 500}, {}, {}, {},
            QPointF(2090, 190)},
        Case {
            "cursor off every screen", S::screenWithCursor, {primary, beside}, {-500, -500}, {}, {}, {}, primaryCentre},
        // Next to the pointer: below it, or above it where below does not fit.
        Case {"mouse, room below", S::mouseCursor, {primary}, {500, 800}, {}, {}, {}, QPointF(512, 88)},
        Case {"mouse near the bottom", S::mouseCursor, {primary}, {500, 100}, {}, {}, {}, QPointF(512, 112)},
        Case {"mouse at the right edge", S::mouseCursor, {primary, beside}, {1430, 800}, {}, {}, {}, QPointF(820, 88)},
        Case {"mouse on the upper screen", S::mouseCursor, {primary, above}, {10, 1790}, {}, {}, {}, QPointF(22, 1078)},
        // Where it was, clamped; off every screen it comes back to the first.
        Case {"last location", S::lastLocation, {primary}, {}, {}, {}, QPointF(200, 100), QPointF(200, 100)},
        Case {"last location off screen", S::lastLocation, {primary, beside}, {}, {}, {}, QPointF(5000, 5000),
            QPointF(820, 175)},
        Case {"last location on the second screen", S::lastLocation, {primary, beside}, {}, {}, {}, QPointF(3000, 600),
            QPointF(2740, 380)},
        Case {"last location never saved", S::lastLocation, {primary}, {100, 100}, {}, {}, {}, primaryCentre},
        Case {"last location, no screen", S::lastLocation, {}, {}, {}, {}, QPointF(5000, 5000), QPointF(5000, 5000)},
        // Below the text caret; without one (not found, or too late) the front window's middle.
        Case {"caret found", S::inputCursor, {primary}, {}, {}, QRectF(300, 800, 2, 16), {}, QPointF(304, 94)},
        Case {"caret on the screen beside", S::inputCursor, {primary, beside}, {}, {}, QRectF(2000, 500, 2, 16), {},
            QPointF(2004, 0)},
        Case {"caret on the screen above", S::inputCursor, {primary, above}, {}, {}, QRectF(40, 1700, 2, 16), {},
            QPointF(44, 994)},
        Case {"caret not found", S::inputCursor, {primary}, {100, 100}, QRectF(100, 100, 400, 300), {}, {},
            QPointF(0, 0)},
        Case {"caret and front window not found", S::inputCursor, {primary, beside}, {3000, 500}, {}, {}, {},
            QPointF(2090, 190)},
        // A screen narrower than the window centres it on that axis.
        Case {"narrow screen", S::mouseCursor, {narrow}, {400, 800}, {}, {}, {}, QPointF(-60, 88)}),
    [](const testing::TestParamInfo<Case> &info) {
        std::string name = info.param.name;
        for (char &c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        }
        return name;
    });

TEST(HistoryWindowPlacement, ScreenChoiceFollowsTheBottomLeftRulesAndBreaksTiesForTheFirst)
{
    const QList<Screen> screens {primary, beside};
    // A point on the shared edge belongs to the screen it starts; the bottom edge is outside, the top inside.
    EXPECT_EQ(HistoryWindowPlacement::screenContainingPoint(screens, {1440, 10}), 1);
    EXPECT_EQ(HistoryWindowPlacement::screenContainingPoint(screens, {10, 0}), std::nullopt);
    EXPECT_EQ(HistoryWindowPlacement::screenContainingPoint(screens, {10, 900}), 0);
    EXPECT_EQ(HistoryWindowPlacement::screenWithLargestOverlap(screens, {1340, 0, 200, 100}), 0);
    EXPECT_EQ(HistoryWindowPlacement::screenWithLargestOverlap(screens, {1400, 0, 200, 100}), 1);
    EXPECT_EQ(HistoryWindowPlacement::screenWithLargestOverlap(screens, {-900, -900, 10, 10}), 0);
    EXPECT_EQ(HistoryWindowPlacement::screenWithLargestOverlap({}, {0, 0, 10, 10}), std::nullopt);
}

// The main screen is the one the user works on: that of the active window's centre, then the pointer's, then the
// primary one; the strategies that fall back to it open there.
TEST(HistoryWindowPlacement, TheMainScreenIsTheActiveWindowsThenThePointersThenThePrimary)
{
    const Screen right {{1440, 0, 1920, 1080}, {1440, 0, 1920, 1080}};
    struct MainCase
    {
        const char *name;
        QList<Screen> screens;
        std::optional<QRectF> window;
        QPointF mouse;
        std::optional<int> expected;
    };
    const MainCase cases[] = {
        {"window beside, pointer on the primary", {primary, right}, QRectF(2000, 200, 400, 300), {100, 100}, 1},
        {"window mostly beside, its centre on the primary", {primary, right}, QRectF(1000, 100, 600, 300), {3000, 500},
            0},
        {"window centre on the shared edge", {primary, right}, QRectF(1240, 100, 400, 300), {100, 100}, 1},
        {"window above", {primary, above}, QRectF(100, 1000, 400, 300), {100, 100}, 1},
        {"window off every screen, pointer beside", {primary, right}, QRectF(-900, -900, 100, 100), {3000, 500}, 1},
        {"no window, pointer beside", {primary, right}, std::nullopt, {3000, 500}, 1},
        {"no window, pointer on no screen", {primary, right}, std::nullopt, {-5, -5}, 0},
        {"no screen", {}, QRectF(0, 0, 10, 10), {5, 5}, std::nullopt},
    };
    for (const MainCase &c : cases)
        EXPECT_EQ(HistoryWindowPlacement::mainScreen(c.screens, c.window, c.mouse), c.expected) << c.name;

    // The pointer on no screen: the screen under the cursor is the active window's.
    Inputs inputs;
    inputs.screens = {primary, right};
    inputs.mouseLocation = QPointF(-500, -500);
    inputs.mainScreen = HistoryWindowPlacement::mainScreen(inputs.screens, QRectF(2000, 200, 400, 300), {-500, -500});
    inputs.windowSize = QSizeF(620, 700);
    EXPECT_EQ(HistoryWindowPlacement::origin(S::screenWithCursor, inputs), QPointF(2090, 190));
    EXPECT_EQ(HistoryWindowPlacement::origin(S::mouseCursor, inputs), QPointF(1440, 0));
}

TEST(HistoryWindowPlacement, TopLeftRectanglesConvertByFormulaAboutThePrimaryScreen)
{
    const QRectF primaryTopLeft(0, 0, 1440, 900);
    // A window 100 below the top of the primary screen; and one on a screen above it (negative y in Qt).
    EXPECT_EQ(HistoryWindowPlacement::fromTopLeft({10, 100, 620, 700}, primaryTopLeft), QRectF(10, 100, 620, 700));
    EXPECT_EQ(HistoryWindowPlacement::fromTopLeft({10, -800, 620, 700}, primaryTopLeft), QRectF(10, 1000, 620, 700));
    for (const QRectF rect : {QRectF(3, 4, 5, 6), QRectF(-1440, -900, 1440, 900)})
        EXPECT_EQ(HistoryWindowPlacement::toTopLeft(
                      HistoryWindowPlacement::fromTopLeft(rect, primaryTopLeft), primaryTopLeft),
            rect);
    EXPECT_EQ(HistoryWindowPlacement::pointFromTopLeft({5, 0}, primaryTopLeft), QPointF(5, 900));
}

// The caret from the accessibility service's character extents (top-left pixels).
TEST(HistoryWindowPlacement, TheCaretComesFromTheCharacterAtItOrBeforeIt)
{
    const QRect at(120, 40, 7, 16);
    const QRect before(110, 40, 8, 16);
    EXPECT_EQ(CaretLocator::caretFromCharacterExtents(at, before, std::nullopt), at);
    // At the end of the text the character at the caret has no extents: the caret stands after the one before.
    EXPECT_EQ(CaretLocator::caretFromCharacterExtents(QRect(0, 0, 0, 0), before, std::nullopt), QRect(118, 40, 0, 16));
    EXPECT_EQ(CaretLocator::caretFromCharacterExtents(std::nullopt, before, std::nullopt), QRect(118, 40, 0, 16));
    EXPECT_EQ(CaretLocator::caretFromCharacterExtents(std::nullopt, std::nullopt, std::nullopt), std::nullopt);
    // Extents at x 0 inside a text that starts at x 300 are relative to it.
    EXPECT_EQ(CaretLocator::caretFromCharacterExtents(QRect(0, 40, 7, 16), std::nullopt, QRect(300, 30, 200, 30)),
        QRect(300, 40, 7, 16));
    EXPECT_EQ(CaretLocator::caretFromCharacterExtents(QRect(0, 40, 7, 16), std::nullopt, QRect(0, 30, 200, 30)),
        QRect(0, 40, 7, 16));
}

} // namespace
