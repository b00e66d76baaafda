// Where the history table sends each key: a table of keys and modifiers, as the neutral key record and as the Qt
// key press it is made from, with and without keyboard multiple-selection mode.

#include "HistoryKeyEvent.h"
#include "HistoryTableView.h"
#include "KeyboardCodes.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

using Route = HistoryTableKeyRoute;

std::string routeName(Route route)
{
    switch (route) {
    case Route::extendSelectionUp:
        return "extend up";
    case Route::extendSelectionDown:
        return "extend down";
    case Route::addCurrent:
        return "add current";
    case Route::removeCurrent:
        return "remove current";
    case Route::moveFocusUp:
        return "move focus up";
    case Route::moveFocusDown:
        return "move focus down";
    case Route::search:
        return "search";
    case Route::list:
        return "list";
    }
    return "?";
}

HistoryKeyEvent qtKey(Qt::Key key, Qt::KeyboardModifiers modifiers, const QString &text = QString())
{
    return HistoryKeyEvent::fromQKeyEvent(QKeyEvent(QEvent::KeyPress, key, modifiers, text));
}

} // namespace

TEST(HistoryTableInput, RoutesEachKeyAndModifier)
{
    struct Case
    {
        const char *name;
        HistoryKeyEvent event;
        bool keyboardMode;
        Route route;
    };
    const QList<Case> cases = {
        {"Shift+Down", qtKey(Qt::Key_Down, Qt::ShiftModifier), false, Route::extendSelectionDown},
        {"Shift+Up", qtKey(Qt::Key_Up, Qt::ShiftModifier), true, Route::extendSelectionUp},
        {"Shift+Up, Keypad", qtKey(Qt::Key_Up, Qt::ShiftModifier | Qt::KeypadModifier), false,
            Route::extendSelectionUp},
        {"Right", qtKey(Qt::Key_Right, Qt::NoModifier), false, Route::addCurrent},
        {"Left", qtKey(Qt::Key_Left, Qt::NoModifier), true, Route::removeCurrent},
        {"Down in the mode", qtKey(Qt::Key_Down, Qt::NoModifier), true, Route::moveFocusDown},
        {"Up in the mode", qtKey(Qt::Key_Up, Qt::NoModifier), true, Route::moveFocusUp},
        // Plain arrows outside the mode are the list's own moves.
        {"Down", qtKey(Qt::Key_Down, Qt::NoModifier), false, Route::list},
        {"Up", qtKey(Qt::Key_Up, Qt::NoModifier), false, Route::list},
        // Modifiers other than Shift alone are no extension, and arrows type nothing.
        {"Shift+Alt+Down", qtKey(Qt::Key_Down, Qt::ShiftModifier | Qt::AltModifier), false, Route::list},
        {"Ctrl+Shift+Down", qtKey(Qt::Key_Down, Qt::ShiftModifier | Qt::ControlModifier), false, Route::list},
        {"Shift+Right", qtKey(Qt::Key_Right, Qt::ShiftModifier), true, Route::list},
        {"Ctrl+Down in the mode", qtKey(Qt::Key_Down, Qt::ControlModifier), true, Route::list},
        // Typing: printable text without Ctrl or Super, Alt and Shift allowed.
        {"a", qtKey(Qt::Key_A, Qt::NoModifier, u"a"_qs), false, Route::search},
        {"Shift+a", qtKey(Qt::Key_A, Qt::ShiftModifier, u"A"_qs), false, Route::search},
        {"Alt+a", qtKey(Qt::Key_A, Qt::AltModifier, u"a"_qs), true, Route::search},
        {"é", qtKey(Qt::Key_Eacute, Qt::NoModifier, u"é"_qs), false, Route::search},
        {"Space", qtKey(Qt::Key_Space, Qt::NoModifier, u" "_qs), false, Route::search},
        {"1", qtKey(Qt::Key_1, Qt::NoModifier, u"1"_qs), false, Route::search},
        {"Ctrl+a", qtKey(Qt::Key_A, Qt::ControlModifier, QString(QChar(1))), false, Route::list},
        {"Super+a", qtKey(Qt::Key_A, Qt::MetaModifier, u"a"_qs), false, Route::list},
        {"Tab", qtKey(Qt::Key_Tab, Qt::NoModifier, u"\t"_qs), false, Route::list},
        {"Escape", qtKey(Qt::Key_Escape, Qt::NoModifier, QString(QChar(0x1B))), false, Route::list},
        {"Return", qtKey(Qt::Key_Return, Qt::NoModifier, u"\r"_qs), false, Route::list},
        {"Backspace", qtKey(Qt::Key_Backspace, Qt::NoModifier, u"\b"_qs), false, Route::list},
        {"F5", qtKey(Qt::Key_F5, Qt::NoModifier), false, Route::list},
        {"a function-key scalar", qtKey(Qt::Key_unknown, Qt::NoModifier, QString(QChar(0xF704))), false, Route::list},
        {"an emoji", qtKey(Qt::Key_unknown, Qt::NoModifier, u"😀"_qs), false, Route::search},
        {"a zero-width space", qtKey(Qt::Key_unknown, Qt::NoModifier, QString(QChar(0x200B))), false, Route::list},
        // The same keys as shortcut text reach the same lines.
        {"shift+down as text", HistoryKeyEvent::fromShortcutText(u"shift+down"_qs, QString()), false,
            Route::extendSelectionDown},
        {"right as text", HistoryKeyEvent::fromShortcutText(u"right"_qs, QString()), false, Route::addCurrent},
    };
    for (const Case &c : cases)
        EXPECT_EQ(routeName(HistoryTableView::routeKey(c.event, c.keyboardMode)), routeName(c.route)) << c.name;
}

TEST(HistoryTableInput, ARoutedKeyIsConsumedEvenWithoutItsCallback)
{
    HistoryTableView table;
    EXPECT_TRUE(table.handleKeyDown(qtKey(Qt::Key_Right, Qt::NoModifier)));
    EXPECT_TRUE(table.handleKeyDown(qtKey(Qt::Key_A, Qt::NoModifier, u"a"_qs)));
    EXPECT_FALSE(table.handleKeyDown(qtKey(Qt::Key_Down, Qt::NoModifier)));

    QStringList calls;
    table.onKeyboardMultipleSelectionMoveKeyDown = [&](HistorySelectionDirection direction) {
        calls.append(direction == HistorySelectionDirection::down ? u"focus down"_qs : u"focus up"_qs);
    };
    table.onSearchKeyDown = [&](const HistoryKeyEvent &event) { calls.append(u"type "_qs + event.characters); };
    table.keyboardMultipleSelectionMode = [] { return true; };
    EXPECT_TRUE(table.handleKeyDown(qtKey(Qt::Key_Down, Qt::NoModifier)));
    EXPECT_TRUE(table.handleKeyDown(qtKey(Qt::Key_Q, Qt::AltModifier, u"q"_qs)));
    EXPECT_EQ(calls, QStringList({u"focus down"_qs, u"type q"_qs}));
}
