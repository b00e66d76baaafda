#include "HistoryKeyDispatch.h"

#include "AppPreferences.h"
#include "KeyboardCodes.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace {

using Kind = HistoryKeyDecision::Kind;
using Action = HistoryShortcutAction;
using Focus = HistoryKeyFocus;

HistoryKeyDecision handled(Kind kind)
{
    HistoryKeyDecision decision;
    decision.kind = kind;
    return decision;
}
HistoryKeyDecision shortcut(Action action)
{
    HistoryKeyDecision decision = handled(Kind::shortcut);
    decision.action = action;
    return decision;
}
HistoryKeyDecision number(int n)
{
    HistoryKeyDecision decision = handled(Kind::numberKey);
    decision.number = n;
    return decision;
}
const HistoryKeyDecision notHandled = handled(Kind::notHandled);

struct Case
{
    const char *key; // shortcut text of the press
    Focus focus;
    const char *query = ""; // the search text, also the field's
    HistoryKeyDecision expected;
    std::function<void(HistoryKeyDispatchState &, AppPreferences &)> setUp = {};
};

void PrintTo(const Case &c, std::ostream *out)
{
    *out << c.key << " focus " << int(c.focus) << " query \"" << c.query << '"';
}

class Dispatch : public testing::TestWithParam<Case>
{
};

// The decision the window's dispatch takes for a key, as the controller asks for it: the overlay's share first,
// then the window's own rules.
TEST_P(Dispatch, DecidesWhatTheKeyDoes)
{
    const Case &c = GetParam();
    HistoryKeyDispatchState state;
    state.focus = c.focus;
    state.searchQuery = QString::fromUtf8(c.query);
    state.searchFieldHasText = !state.searchQuery.isEmpty();
    AppPreferences preferences;
    if (c.setUp)
        c.setUp(state, preferences);
    const HistoryKeyEvent event = HistoryKeyEvent::fromShortcutText(QString::fromUtf8(c.key));
    HistoryKeyDecision decision = HistoryKeyDispatch::decideOverlayKey(event, state);
    if (!decision.isHandled() && !state.isOverlayOpen)
        decision = HistoryKeyDispatch::decideWindowKey(event, state, preferences);
    EXPECT_EQ(decision, c.expected);
}

const auto paletteOpen = [](HistoryKeyDispatchState &s, AppPreferences &) {
    s.isCommandPaletteOpen = true;
    s.isOverlayOpen = true;
};
const auto overlayOpen = [](HistoryKeyDispatchState &s, AppPreferences &) { s.isOverlayOpen = true; };
const auto multipleSelection
    = [](HistoryKeyDispatchState &s, AppPreferences &) { s.isKeyboardMultipleSelectionMode = true; };
const auto textSelected = [](HistoryKeyDispatchState &s, AppPreferences &) { s.searchFieldHasSelectedText = true; };
const auto favouriteOnF = [](HistoryKeyDispatchState &, AppPreferences &p) { p.toggleFavoriteShortcut = u"f"_qs; };

INSTANTIATE_TEST_SUITE_P(Keys, Dispatch,
    testing::Values(
        // An open overlay takes the keys; Escape closes the palette only.
        Case {"escape", Focus::other, "", handled(Kind::closeCommandPalette), paletteOpen},
        Case {"return", Focus::other, "", notHandled, paletteOpen},
        Case {"down", Focus::list, "", notHandled, paletteOpen},
        Case {"escape", Focus::other, "", notHandled, overlayOpen},
        Case {"space", Focus::list, "", notHandled, overlayOpen},
        Case {"cmd+2", Focus::list, "", notHandled, overlayOpen},
        // Space previews, unless it types into a search with text.
        Case {"space", Focus::list, "", handled(Kind::showPreview)},
        Case {"space", Focus::list, "abc", handled(Kind::showPreview)},
        Case {"space", Focus::searchField, "", handled(Kind::showPreview)},
        Case {"space", Focus::searchField, "abc", notHandled}, Case {"shift+space", Focus::list, "", notHandled},
        // Ctrl and a digit: the n-th visible item; never a shortcut bound to it, and not with Shift.
        Case {"cmd+2", Focus::searchField, "abc", number(2)}, Case {"cmd+9", Focus::list, "", number(9)},
        Case {"cmd+0", Focus::list, "", notHandled}, Case {"shift+cmd+3", Focus::list, "", notHandled},
        Case {"cmd+1", Focus::list, "", number(1),
            [](HistoryKeyDispatchState &, AppPreferences &p) { p.pasteSelectedShortcut = u"cmd+1"_qs; }},
        // The list's own keys.
        Case {"left", Focus::list, "", handled(Kind::removeCurrentFromSelection)},
        Case {"right", Focus::list, "", handled(Kind::addCurrentToSelection)},
        Case {"left", Focus::searchField, "", notHandled},
        Case {"down", Focus::list, "", shortcut(Action::selectNextItem)},
        Case {"down", Focus::list, "", handled(Kind::moveKeyboardFocusDown), multipleSelection},
        Case {"up", Focus::list, "", handled(Kind::moveKeyboardFocusUp), multipleSelection},
        Case {"up", Focus::searchField, "", shortcut(Action::selectPreviousItem), multipleSelection},
        Case {"shift+down", Focus::list, "", handled(Kind::extendSelectionDown)},
        Case {"shift+up", Focus::list, "", handled(Kind::extendSelectionUp)},
        Case {"shift+down", Focus::searchField, "", notHandled},
        Case {"right", Focus::list, "", handled(Kind::addCurrentToSelection),
            [](HistoryKeyDispatchState &, AppPreferences &p) { p.openSettingsShortcut = u"right"_qs; }},
        // The window shortcuts, with the search field focused and with text in it.
        Case {"return", Focus::searchField, "abc", shortcut(Action::pasteSelected)},
        Case {"shift+return", Focus::list, "", shortcut(Action::pasteSelectedSecondary)},
        Case {"escape", Focus::searchField, "abc", handled(Kind::closeHistoryOrClearSearch)},
        Case {"escape", Focus::list, "", handled(Kind::closeHistoryOrClearSearch)},
        Case {"cmd+s", Focus::list, "", shortcut(Action::toggleFavorite)},
        Case {"shift+cmd+t", Focus::list, "", shortcut(Action::filterHistoryByType)},
        Case {"cmd+t", Focus::list, "", shortcut(Action::transformItem)},
        Case {"cmd+k", Focus::searchField, "", shortcut(Action::showCommandPalette)},
        Case {"cmd+,", Focus::list, "", shortcut(Action::openSettings)},
        Case {"option+cmd+s", Focus::list, "", notHandled}, Case {"a", Focus::list, "", notHandled},
        Case {"cmd+w", Focus::list, "", shortcut(Action::closeHistory),
            [](HistoryKeyDispatchState &, AppPreferences &p) { p.closeHistoryShortcut = u"cmd+w"_qs; }},
        Case {"cmd+k", Focus::list, "", shortcut(Action::showCommandPalette),
            [](HistoryKeyDispatchState &, AppPreferences &p) { p.openSettingsShortcut = u"cmd+k"_qs; }},
        Case {"down", Focus::list, "", notHandled,
            [](HistoryKeyDispatchState &, AppPreferences &p) { p.selectNextItemShortcut = u""_qs; }},
        // Ctrl+Backspace and Ctrl+C edit a search that has text; with an empty field they act on the items.
        Case {"cmd+delete", Focus::list, "", shortcut(Action::deleteItem)},
        Case {"cmd+delete", Focus::searchField, "abc", notHandled}, Case {"cmd+delete", Focus::list, "abc", notHandled},
        Case {"cmd+c", Focus::list, "", shortcut(Action::copySelected)},
        Case {"cmd+c", Focus::searchField, "abc", shortcut(Action::copySelected)},
        Case {"cmd+c", Focus::searchField, "abc", notHandled, textSelected},
        Case {"shift+cmd+c", Focus::searchField, "abc", shortcut(Action::copySelectedSecondary), textSelected},
        // A bare key types into the search field, and acts in the list.
        Case {"f", Focus::searchField, "", notHandled, favouriteOnF},
        Case {"f", Focus::list, "", shortcut(Action::toggleFavorite), favouriteOnF},
        Case {"f", Focus::other, "", shortcut(Action::toggleFavorite), favouriteOnF}));

TEST(HistoryKeyDispatch, OnlyTheFourModifierFlagsCount)
{
    HistoryKeyEvent down = HistoryKeyEvent::fromShortcutText(u"down"_qs);
    down.flags |= 0x10000 | 0x800000; // Caps Lock, Function
    EXPECT_EQ(HistoryKeyDispatch::decideWindowKey(down, {}, AppPreferences()), shortcut(Action::selectNextItem));
}

TEST(HistoryKeyDispatch, TheTableTriesThePaletteBeforeTheSettingsAndSpaceIsBare)
{
    const auto table = HistoryKeyDispatch::windowShortcutTable(AppPreferences());
    ASSERT_EQ(table.size(), 18);
    EXPECT_EQ(table.at(0), qMakePair(u"escape"_qs, Action::closeHistory));
    EXPECT_EQ(table.at(15), qMakePair(u"shift+cmd+t"_qs, Action::filterHistoryByType));
    EXPECT_EQ(table.at(16), qMakePair(u"cmd+k"_qs, Action::showCommandPalette));
    EXPECT_EQ(table.at(17), qMakePair(u"cmd+,"_qs, Action::openSettings));
    for (const auto &[text, bare] : {std::pair {u"f"_qs, true}, {u"SPACE"_qs, true}, {u"+,+"_qs, true},
             {u"return"_qs, false}, {u"shift+f"_qs, false}, {u""_qs, false}, {u"down"_qs, false}})
        EXPECT_EQ(HistoryKeyDispatch::isBareKeyShortcut(text), bare) << text.toStdString();
}

// Qt's key presses become the same records as the shortcut text names them.
TEST(HistoryKeyEvent, QtKeyPressesBecomeTheirShortcutRecords)
{
    struct Press
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        const char *shortcut;
    };
    const Press presses[] = {
        {Qt::Key_Return, Qt::NoModifier, u"\r"_qs, "return"},
        {Qt::Key_Enter, Qt::KeypadModifier, u"\r"_qs, "return"},
        {Qt::Key_Backspace, Qt::ControlModifier, u"\b"_qs, "cmd+delete"},
        {Qt::Key_C, Qt::ControlModifier, QString(QChar(3)), "cmd+c"},
        {Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier, QString(QChar(3)), "shift+cmd+c"},
        {Qt::Key_Exclam, Qt::ControlModifier | Qt::ShiftModifier, u"!"_qs, "shift+cmd+1"},
        {Qt::Key_2, Qt::ControlModifier, u"2"_qs, "cmd+2"},
        {Qt::Key_V, Qt::MetaModifier | Qt::AltModifier, u"v"_qs, "control+option+v"},
        {Qt::Key_Escape, Qt::NoModifier, QString(QChar(0x1B)), "escape"},
        {Qt::Key_Down, Qt::ShiftModifier, QString(), "shift+down"},
        {Qt::Key_Comma, Qt::ControlModifier, u","_qs, "cmd+,"},
    };
    for (const Press &press : presses) {
        SCOPED_TRACE(press.shortcut);
        const QKeyEvent event(QEvent::KeyPress, press.key, press.modifiers, press.text);
        const HistoryKeyEvent record = HistoryKeyEvent::fromQKeyEvent(event);
        const HistoryKeyEvent expected = HistoryKeyEvent::fromShortcutText(QString::fromUtf8(press.shortcut));
        EXPECT_EQ(record.keyCode, expected.keyCode);
        EXPECT_EQ(record.modifiers(), expected.modifiers());
        EXPECT_EQ(record.charactersIgnoringModifiers, expected.charactersIgnoringModifiers);
    }
    // A key outside the table keeps its text and matches no shortcut.
    const HistoryKeyEvent e(
        HistoryKeyEvent::fromQKeyEvent(QKeyEvent(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, u"é"_qs)));
    EXPECT_EQ(e.keyCode, HistoryKeyEvent::noKeyCode);
    EXPECT_EQ(e.characters, u"é"_qs);
}

} // namespace
