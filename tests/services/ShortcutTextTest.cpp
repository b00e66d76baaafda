#include "ShortcutText.h"
#include "GlobalShortcutService.h"
#include "KeyNameTranslator.h"
#include "KeyboardCodes.h"
#include "Localization.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

struct ParseCase
{
    const char16_t *text;
    std::optional<ParsedShortcut> expected;
};

constexpr quint32 cmd = HotKeyModifier::command;
constexpr quint32 shift = HotKeyModifier::shift;
constexpr quint32 option = HotKeyModifier::option;
constexpr quint32 control = HotKeyModifier::control;

} // namespace

TEST(ShortcutText, ParsesKeyCodeAndModifierMask)
{
    const ParseCase cases[] = {
        {u"cmd+shift+v", ParsedShortcut {9, 768}},
        {u"shift+cmd+v", ParsedShortcut {9, 768}},
        {u"Shift+Command+V", ParsedShortcut {9, 768}},
        {u"alt+ctrl+space", ParsedShortcut {49, 6144}},
        {u"option+control+delete", ParsedShortcut {51, option | control}},
        {u"command+shift+option+control+up", ParsedShortcut {126, cmd | shift | option | control}},
        {u"cmd+cmd+return", ParsedShortcut {36, cmd}},
        {u"cmd++v", ParsedShortcut {9, cmd}},
        {u"foo+v", ParsedShortcut {9, 0}},
        {u" cmd+v", ParsedShortcut {9, 0}}, // a part with a blank is no modifier word
        {u"escape", ParsedShortcut {53, 0}},
        {u"cmd+\\", ParsedShortcut {42, cmd}},
        {u"cmd+'", ParsedShortcut {39, cmd}},
        {u"cmd+=", ParsedShortcut {24, cmd}},
        {u"cmd+]", ParsedShortcut {30, cmd}},
        {u"tab", ParsedShortcut {48, 0}},
        {u"v+cmd+shift", std::nullopt},
        {u"cmd", std::nullopt},
        {u"", std::nullopt},
        {u"+", std::nullopt},
        {u"cmd+", std::nullopt},
        {u"cmd+f1", std::nullopt},
        {u"cmd+ v", std::nullopt},
        {u"cmd+`", std::nullopt},
    };
    for (const ParseCase &testCase : cases) {
        const QString text = QString::fromUtf16(testCase.text);
        EXPECT_EQ(GlobalShortcutService::parseShortcut(text), testCase.expected) << qPrintable(text);
    }
}

TEST(ShortcutText, KeyTableHasTheFiftyFiveKeysWithDistinctCodes)
{
    const auto &table = ShortcutText::keyTable();
    EXPECT_EQ(table.size(), 55);
    QSet<quint32> codes;
    for (const quint32 code : table)
        codes.insert(code);
    EXPECT_EQ(codes.size(), 55);
    EXPECT_EQ(table.value(QStringLiteral("a")), 0u);
    EXPECT_EQ(table.value(QStringLiteral("6")), 22u);
    EXPECT_EQ(table.value(QStringLiteral("5")), 23u);
    EXPECT_EQ(table.value(QStringLiteral(".")), 47u);
    EXPECT_EQ(table.value(QStringLiteral("right")), 124u);
}

TEST(ShortcutText, MenuKeyEquivalents)
{
    const struct
    {
        const char16_t *text;
        std::optional<MenuKeyEquivalent> expected;
    } cases[] = {
        {u"cmd+return", MenuKeyEquivalent {QStringLiteral("\r"), KeyEventFlag::command}},
        {u"cmd+delete", MenuKeyEquivalent {QStringLiteral("\x7f"), KeyEventFlag::command}},
        {u"down", MenuKeyEquivalent {QStringLiteral("down"), 0}},
        {u"escape", MenuKeyEquivalent {QStringLiteral("\x1b"), 0}},
        {u"shift+tab", MenuKeyEquivalent {QStringLiteral("\t"), KeyEventFlag::shift}},
        {u"option+control+space",
            MenuKeyEquivalent {QStringLiteral(" "), KeyEventFlag::option | KeyEventFlag::control}},
        {u"Shift+Cmd+K", MenuKeyEquivalent {QStringLiteral("k"), 0x120000}},
        {u"cmd+f1", std::nullopt},
    };
    for (const auto &testCase : cases) {
        const QString text = QString::fromUtf16(testCase.text);
        EXPECT_EQ(GlobalShortcutService::menuKeyEquivalent(text), testCase.expected) << qPrintable(text);
    }
}

// One way of writing a key: our own text and Qt's native text (menus, key sequence fields) agree in every
// interface language once the key-name translator is installed, modifiers in Qt's order.
TEST(ShortcutText, OurTextAndQtsNativeTextAgreeInEveryLanguage)
{
    KeyNameTranslator translator;
    ASSERT_TRUE(QCoreApplication::installTranslator(&translator));
    const struct
    {
        const char *language;
        const char16_t *text;
        const char16_t *display;
    } cases[] = {
        {"en", u"shift+cmd+c", u"Ctrl+Shift+C"},
        {"en", u"option+cmd+h", u"Ctrl+Alt+H"},
        {"en", u"shift+option+cmd+control+return", u"Super+Ctrl+Alt+Shift+Enter"},
        {"de", u"option+cmd+h", u"Strg+Alt+H"},
        {"de", u"shift+cmd+c", u"Strg+Umschalt+C"},
        {"de", u"cmd+delete", u"Strg+Rücktaste"},
        {"de", u"control+shift+v", u"Super+Umschalt+V"},
        {"es", u"shift+cmd+space", u"Ctrl+Mayús+Espacio"},
        {"it", u"shift+escape", u"Maiusc+Esc"},
        {"zh-Hans", u"cmd+return", u"Ctrl+回车"},
        {"ja", u"cmd+up", u"Ctrl+上"},
        {"pt-BR", u"option+left", u"Alt+Esquerda"},
        {"en-GB", u"cmd+tab", u"Ctrl+Tab"},
    };
    for (const auto &c : cases) {
        setCurrentInterfaceLanguage(QString::fromLatin1(c.language));
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(ShortcutText::displayText(text), QString::fromUtf16(c.display))
            << c.language << " " << qPrintable(text);
        EXPECT_EQ(ShortcutText::keySequence(text)->toString(QKeySequence::NativeText), ShortcutText::displayText(text))
            << c.language << " " << qPrintable(text);
        EXPECT_EQ(ShortcutText::displayNames(text).join(QLatin1Char('+')), ShortcutText::displayText(text));
    }
    setCurrentInterfaceLanguage(QStringLiteral("en"));
    QCoreApplication::removeTranslator(&translator);
}

TEST(ShortcutText, KeySequenceAndDisplayTextUseThisPlatformsKeys)
{
    const struct
    {
        const char16_t *text;
        QKeySequence sequence;
        const char16_t *display;
    } cases[] = {
        {u"shift+cmd+v", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V), u"Ctrl+Shift+V"},
        {u"control+v", QKeySequence(Qt::META | Qt::Key_V), u"Super+V"},
        {u"cmd+delete", QKeySequence(Qt::CTRL | Qt::Key_Backspace), u"Ctrl+Backspace"},
        {u"option+return", QKeySequence(Qt::ALT | Qt::Key_Return), u"Alt+Enter"},
        {u"shift+option+cmd+control+left", QKeySequence(Qt::META | Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_Left),
            u"Super+Ctrl+Alt+Shift+Left"},
        {u"escape", QKeySequence(Qt::Key_Escape), u"Esc"},
        {u"cmd+space", QKeySequence(Qt::CTRL | Qt::Key_Space), u"Ctrl+Space"},
        {u"cmd+/", QKeySequence(Qt::CTRL | Qt::Key_Slash), u"Ctrl+/"},
    };
    for (const auto &testCase : cases) {
        const QString text = QString::fromUtf16(testCase.text);
        EXPECT_EQ(ShortcutText::keySequence(text), testCase.sequence) << qPrintable(text);
        EXPECT_EQ(ShortcutText::displayText(text), QString::fromUtf16(testCase.display)) << qPrintable(text);
    }
    EXPECT_EQ(ShortcutText::keySequence(QStringLiteral("cmd+f1")), std::nullopt);
    EXPECT_EQ(ShortcutText::displayText(QStringLiteral("cmd+f1")), QString());

    setCurrentInterfaceLanguage(QStringLiteral("de"));
    const QString german = ShortcutText::displayText(QStringLiteral("cmd+shift+space"));
    setCurrentInterfaceLanguage(QStringLiteral("en"));
    EXPECT_EQ(german, QStringLiteral("Strg+Umschalt+Leertaste"));
}
