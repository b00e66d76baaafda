#include "ShortcutRecording.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

struct KeyCase
{
    quint32 keycode; // X key code of a PC keyboard
    const char *name;
    const char *shown;
};

// The 55 keys that can be recorded, by their position.
const KeyCase keys[] = {
    {38, "a", "A"},
    {39, "s", "S"},
    {40, "d", "D"},
    {41, "f", "F"},
    {42, "g", "G"},
    {43, "h", "H"},
    {44, "j", "J"},
    {45, "k", "K"},
    {46, "l", "L"},
    {47, ";", ";"},
    {48, "'", "'"},
    {24, "q", "Q"},
    {25, "w", "W"},
    {26, "e", "E"},
    {27, "r", "R"},
    {28, "t", "T"},
    {29, "y", "Y"},
    {30, "u", "U"},
    {31, "i", "I"},
    {32, "o", "O"},
    {33, "p", "P"},
    {34, "[", "["},
    {35, "]", "]"},
    {52, "z", "Z"},
    {53, "x", "X"},
    {54, "c", "C"},
    {55, "v", "V"},
    {56, "b", "B"},
    {57, "n", "N"},
    {58, "m", "M"},
    {59, ",", ","},
    {60, ".", "."},
    {61, "/", "/"},
    {51, "\\", "\\"},
    {10, "1", "1"},
    {11, "2", "2"},
    {12, "3", "3"},
    {13, "4", "4"},
    {14, "5", "5"},
    {15, "6", "6"},
    {16, "7", "7"},
    {17, "8", "8"},
    {18, "9", "9"},
    {19, "0", "0"},
    {20, "-", "-"},
    {21, "=", "="},
    {36, "return", "Enter"},
    {23, "tab", "Tab"},
    {65, "space", "Space"},
    {22, "delete", "Backspace"},
    {9, "escape", "Esc"},
    {113, "left", "Left"},
    {114, "right", "Right"},
    {111, "up", "Up"},
    {116, "down", "Down"},
};
static_assert(std::size(keys) == 55);

QKeyEvent press(quint32 keycode, Qt::KeyboardModifiers modifiers, bool autoRepeat = false, int qtKey = Qt::Key_unknown)
{
    return QKeyEvent(QEvent::KeyPress, qtKey, modifiers, keycode, 0, 0, QString(), autoRepeat);
}

} // namespace

// Each key, bare and with modifiers held in any combination, is written with the modifiers in their fixed order
// and shown with Qt's names in Qt's order.
TEST(ShortcutRecording, EveryKeyWithModifiersBecomesShortcutTextAndDisplayText)
{
    struct ModifierCase
    {
        Qt::KeyboardModifiers held;
        const char *written;
        const char *shown;
    };
    const ModifierCase modifiers[] = {
        {Qt::NoModifier, "", ""},
        {Qt::ControlModifier | Qt::ShiftModifier, "cmd+shift+", "Ctrl+Shift+"},
        {Qt::AltModifier | Qt::MetaModifier, "option+control+", "Super+Alt+"},
        {Qt::MetaModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier, "cmd+shift+option+control+",
            "Super+Ctrl+Alt+Shift+"},
    };
    for (const KeyCase &key : keys) {
        for (const ModifierCase &modifier : modifiers) {
            const QKeyEvent event = press(key.keycode, modifier.held);
            const auto draft = recordedDraft(event);
            ASSERT_TRUE(draft) << key.name;
            const QString text = shortcutText(draft->modifiers, draft->key);
            EXPECT_EQ(text, QString::fromLatin1(modifier.written) + QString::fromLatin1(key.name));
            const QString shown = QString::fromLatin1(modifier.shown) + QString::fromLatin1(key.shown);
            EXPECT_EQ(shortcutDisplayText(text), shown) << qPrintable(text);
            EXPECT_EQ(draft->displayText(), shown);
        }
    }
}

TEST(ShortcutRecording, RepeatsAndKeysOutsideTheTableRecordNothing)
{
    EXPECT_FALSE(recordedDraft(press(55, Qt::ControlModifier, true))); // a held V repeating
    EXPECT_FALSE(recordedDraft(press(67, Qt::NoModifier))); // F1
    EXPECT_FALSE(recordedDraft(press(49, Qt::ControlModifier))); // the grave accent
    EXPECT_FALSE(recordedDraft(press(119, Qt::NoModifier))); // forward Delete
    EXPECT_FALSE(recordedDraft(press(104, Qt::NoModifier))); // keypad Enter
    // Without a key code (another platform) the key itself decides; Shift+Tab is Tab.
    const auto backtab = recordedDraft(press(0, Qt::ShiftModifier, false, Qt::Key_Backtab));
    ASSERT_TRUE(backtab);
    EXPECT_EQ(shortcutText(backtab->modifiers, backtab->key), QStringLiteral("shift+tab"));
}

TEST(ShortcutRecording, HeldModifiersShowWhileNoKeyIsPressed)
{
    // X11 reports a modifier key's own bit only after its event: pressing Ctrl holds Ctrl, releasing Shift lets it go.
    const QKeyEvent ctrlDown(QEvent::KeyPress, Qt::Key_Control, Qt::ShiftModifier, 37, 0, 0);
    EXPECT_EQ(heldModifiers(ctrlDown), Qt::ShiftModifier | Qt::ControlModifier);
    const QKeyEvent shiftUp(QEvent::KeyRelease, Qt::Key_Shift, Qt::ShiftModifier | Qt::ControlModifier, 50, 0, 0);
    EXPECT_EQ(heldModifiers(shiftUp), Qt::ControlModifier);
    const ShortcutDraft held {ShortcutModifiers::fromQt(Qt::ShiftModifier | Qt::ControlModifier), std::nullopt};
    EXPECT_EQ(held.displayText(), QStringLiteral("Ctrl+Shift"));
}

TEST(ShortcutRecording, DisplayTextOfStoredShortcuts)
{
    const std::pair<const char *, const char *> cases[] = {
        {"", "Not set"}, {"+", "Not set"}, {"shift+cmd+v", "Ctrl+Shift+V"}, {"cmd+shift+v", "Ctrl+Shift+V"},
        {"shift+cmd+return", "Ctrl+Shift+Enter"}, {"ctrl+alt+space", "Super+Alt+Space"},
        {"cmd+delete", "Ctrl+Backspace"}, {"cmd+,", "Ctrl+,"},
        {"hyper+cmd+f13", "Ctrl+F13"}, // not a key of the table: shown as written, unknown words skipped
    };
    for (const auto &[text, shown] : cases)
        EXPECT_EQ(shortcutDisplayText(QString::fromLatin1(text)), QString::fromUtf8(shown)) << text;
}

TEST(ShortcutRecording, SystemWideShortcutsNeedCtrlAltOrSuper)
{
    const std::pair<const char *, bool> cases[] = {
        {"cmd+option+h", true},
        {"control+v", true},
        {"option+space", true},
        {"shift+v", false},
        {"v", false},
        {"escape", false},
        {"return", false},
        {"shift+tab", false},
        {"", false},
    };
    for (const auto &[text, allowed] : cases)
        EXPECT_EQ(hasGlobalModifier(QString::fromLatin1(text)), allowed) << text;
}
