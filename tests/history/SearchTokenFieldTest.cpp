#include "SearchTokenField.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace {

SearchToken token(const QString &title, qint64 tag)
{
    return SearchToken {SearchTokenKind::tag(tag), title, {}};
}

struct RecordingOwner final : SearchTokenFieldDelegate
{
    void searchTokenFieldDidChangeText(SearchTokenField &field) override
    {
        log.append(u"text "_qs + field.textField().text());
    }
    void searchTokenFieldDidRemoveToken(SearchTokenField &, const SearchToken &removed) override
    {
        log.append(u"removed "_qs + removed.title);
    }
    void searchTokenFieldMoveSelection(SearchTokenField &, HistorySelectionDirection direction) override
    {
        log.append(direction == HistorySelectionDirection::up ? u"up"_qs : u"down"_qs);
    }
    bool searchTokenFieldPerform(SearchTokenField &, SearchTokenFieldCommand command) override
    {
        log.append(command == SearchTokenFieldCommand::accept ? u"accept"_qs : u"cancel"_qs);
        return consume;
    }
    QStringList log;
    bool consume = false;
};

// A field on screen with the keyboard focus in its text.
struct FieldHarness
{
    FieldHarness()
    {
        field.setDelegate(&owner);
        field.resize(300, 36);
        field.setPlaceholderText(u"Search"_qs);
        field.show();
        field.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&field));
        field.textField().setFocus();
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : &field;
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }
    void type(const QString &text) { QTest::keyClicks(QApplication::focusWidget(), text); }

    RecordingOwner owner;
    SearchTokenField field;
};

} // namespace

TEST(SearchTokenField, ChipsShareTheRoomFairly)
{
    EXPECT_EQ(searchTokenChipWidths({50, 60, 140, 150}, 300), QList<int>({50, 60, 70, 71}));
    EXPECT_EQ(searchTokenChipWidths({100, 100, 100}, 150), QList<int>({44, 44, 44}));
    EXPECT_EQ(searchTokenChipWidths({50, 60}, 300), QList<int>({50, 60})); // they fit
    EXPECT_EQ(searchTokenChipWidths({80, 90}, 30), QList<int>({80, 90})); // no room at all
    EXPECT_EQ(searchTokenChipWidths({}, 300), QList<int>());
}

TEST(SearchTokenField, BackspaceSelectsThenRemovesTheLastChip)
{
    FieldHarness h;
    int widthChanges = 0;
    h.field.onTokensWidthChange = [&] { ++widthChanges; };
    EXPECT_EQ(h.field.textField().placeholderText(), u"Search"_qs);
    h.field.setTokens({token(u"Work"_qs, 1), token(u"Home"_qs, 2)});
    EXPECT_TRUE(h.field.textField().placeholderText().isEmpty());
    EXPECT_EQ(widthChanges, 1);
    h.field.setTokens({token(u"Work"_qs, 1), token(u"Home"_qs, 2)}); // the same: nothing happens
    EXPECT_EQ(widthChanges, 1);

    h.type(u"abc"_qs);
    h.field.textField().setCursorPosition(0);
    h.press(Qt::Key_Backspace);
    ASSERT_EQ(h.field.selectedChipIndex(), 1);
    h.press(Qt::Key_Left);
    h.press(Qt::Key_Left); // stays on the first chip
    EXPECT_EQ(h.field.selectedChipIndex(), 0);
    h.press(Qt::Key_Right); // back to the text, at its start
    EXPECT_FALSE(h.field.selectedChipIndex());
    h.press(Qt::Key_Backspace);
    h.press(Qt::Key_Backspace);
    EXPECT_EQ(h.owner.log, QStringList({u"text a"_qs, u"text ab"_qs, u"text abc"_qs, u"removed Home"_qs}));
    EXPECT_EQ(h.field.tokens().size(), 1);
    EXPECT_EQ(h.field.textField().text(), u"abc"_qs);
    EXPECT_TRUE(h.field.textField().hasFocus());
    EXPECT_EQ(h.field.textField().cursorPosition(), 0);

    // A letter typed on a selected chip goes to the start of the text.
    h.press(Qt::Key_Left);
    ASSERT_EQ(h.field.selectedChipIndex(), 0);
    h.type(u"x"_qs);
    EXPECT_FALSE(h.field.selectedChipIndex());
    EXPECT_EQ(h.field.textField().text(), u"xabc"_qs);

    // The last chip gone: the placeholder is back.
    h.field.textField().setCursorPosition(0);
    h.press(Qt::Key_Backspace);
    h.press(Qt::Key_Delete);
    EXPECT_TRUE(h.field.tokens().isEmpty());
    EXPECT_EQ(h.field.textField().placeholderText(), u"Search"_qs);
}

TEST(SearchTokenField, SelectedTextIsDeletedRatherThanAChipSelected)
{
    FieldHarness h;
    h.field.setTokens({token(u"Work"_qs, 1)});
    h.type(u"abc"_qs);
    h.field.textField().setSelection(0, 2);
    h.press(Qt::Key_Backspace);
    EXPECT_FALSE(h.field.selectedChipIndex());
    EXPECT_EQ(h.field.textField().text(), u"c"_qs);
}

TEST(SearchTokenField, ArrowsTabReturnAndEscapeGoToTheOwner)
{
    FieldHarness h;
    h.press(Qt::Key_Down);
    h.press(Qt::Key_Up);
    h.press(Qt::Key_Return);
    h.press(Qt::Key_Escape);
    EXPECT_EQ(h.owner.log, QStringList({u"down"_qs, u"up"_qs, u"accept"_qs, u"cancel"_qs}));
    // Backspace at the start without chips is the text's own.
    h.owner.log.clear();
    h.press(Qt::Key_Backspace);
    EXPECT_TRUE(h.owner.log.isEmpty());

    // Type-to-search appends at the end and tells the owner.
    h.field.textField().setText(u"ab"_qs);
    h.field.textField().setCursorPosition(0);
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_C, Qt::NoModifier, u"c"_qs);
    h.field.insertKeyEvent(typed);
    EXPECT_EQ(h.field.textField().text(), u"abc"_qs);
    EXPECT_EQ(h.owner.log, QStringList({u"text abc"_qs}));
}
