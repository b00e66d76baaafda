#include "ShortcutText.h"

#include "KeyboardCodes.h"
#include "Localization.h"

namespace {

struct KeyName
{
    const char16_t *name;
    quint32 keyCode;
    Qt::Key qtKey;
};

const KeyName keyNames[] = {
    {u"a", 0, Qt::Key_A},
    {u"s", 1, Qt::Key_S},
    {u"d", 2, Qt::Key_D},
    {u"f", 3, Qt::Key_F},
    {u"h", 4, Qt::Key_H},
    {u"g", 5, Qt::Key_G},
    {u"z", 6, Qt::Key_Z},
    {u"x", 7, Qt::Key_X},
    {u"c", 8, Qt::Key_C},
    {u"v", 9, Qt::Key_V},
    {u"b", 11, Qt::Key_B},
    {u"q", 12, Qt::Key_Q},
    {u"w", 13, Qt::Key_W},
    {u"e", 14, Qt::Key_E},
    {u"r", 15, Qt::Key_R},
    {u"y", 16, Qt::Key_Y},
    {u"t", 17, Qt::Key_T},
    {u"1", 18, Qt::Key_1},
    {u"2", 19, Qt::Key_2},
    {u"3", 20, Qt::Key_3},
    {u"4", 21, Qt::Key_4},
    {u"6", 22, Qt::Key_6},
    {u"5", 23, Qt::Key_5},
    {u"=", 24, Qt::Key_Equal},
    {u"9", 25, Qt::Key_9},
    {u"7", 26, Qt::Key_7},
    {u"-", 27, Qt::Key_Minus},
    {u"8", 28, Qt::Key_8},
    {u"0", 29, Qt::Key_0},
    {u"]", 30, Qt::Key_BracketRight},
    {u"o", 31, Qt::Key_O},
    {u"u", 32, Qt::Key_U},
    {u"[", 33, Qt::Key_BracketLeft},
    {u"i", 34, Qt::Key_I},
    {u"p", 35, Qt::Key_P},
    {u"l", 37, Qt::Key_L},
    {u"j", 38, Qt::Key_J},
    {u"'", 39, Qt::Key_Apostrophe},
    {u"k", 40, Qt::Key_K},
    {u";", 41, Qt::Key_Semicolon},
    {u"\\", 42, Qt::Key_Backslash},
    {u",", 43, Qt::Key_Comma},
    {u"/", 44, Qt::Key_Slash},
    {u"n", 45, Qt::Key_N},
    {u"m", 46, Qt::Key_M},
    {u".", 47, Qt::Key_Period},
    {u"space", VirtualKey::space, Qt::Key_Space},
    {u"return", VirtualKey::returnKey, Qt::Key_Return},
    {u"tab", VirtualKey::tab, Qt::Key_Tab},
    {u"escape", VirtualKey::escape, Qt::Key_Escape},
    {u"delete", VirtualKey::deleteKey, Qt::Key_Backspace},
    {u"left", VirtualKey::left, Qt::Key_Left},
    {u"right", VirtualKey::right, Qt::Key_Right},
    {u"down", VirtualKey::down, Qt::Key_Down},
    {u"up", VirtualKey::up, Qt::Key_Up},
};
static_assert(std::size(keyNames) == 55);

const KeyName *findKey(const QString &name)
{
    for (const KeyName &key : keyNames) {
        if (name == QStringView(key.name))
            return &key;
    }
    return nullptr;
}

} // namespace

const QHash<QString, quint32> &ShortcutText::keyTable()
{
    static const QHash<QString, quint32> table = [] {
        QHash<QString, quint32> result;
        for (const KeyName &key : keyNames)
            result.insert(QString::fromUtf16(key.name), key.keyCode);
        return result;
    }();
    return table;
}

quint32 ShortcutText::modifierForWord(const QString &word)
{
    if (word == u"cmd" || word == u"command")
        return HotKeyModifier::command;
    if (word == u"shift")
        return HotKeyModifier::shift;
    if (word == u"option" || word == u"alt")
        return HotKeyModifier::option;
    if (word == u"control" || word == u"ctrl")
        return HotKeyModifier::control;
    return 0;
}

QStringList ShortcutText::parts(const QString &text)
{
    return text.toLower().split(QLatin1Char('+'), Qt::SkipEmptyParts);
}

std::optional<ParsedShortcut> ShortcutText::parse(const QString &text)
{
    const QStringList words = parts(text);
    if (words.isEmpty())
        return std::nullopt;
    const auto key = keyTable().constFind(words.last());
    if (key == keyTable().cend())
        return std::nullopt;
    ParsedShortcut result;
    result.keyCode = *key;
    for (const QString &word : words)
        result.modifiers |= modifierForWord(word);
    return result;
}

std::optional<MenuKeyEquivalent> ShortcutText::menuKeyEquivalent(const QString &text)
{
    const auto parsed = parse(text);
    if (!parsed)
        return std::nullopt;
    MenuKeyEquivalent result;
    if (parsed->modifiers & HotKeyModifier::command)
        result.modifierFlags |= KeyEventFlag::command;
    if (parsed->modifiers & HotKeyModifier::shift)
        result.modifierFlags |= KeyEventFlag::shift;
    if (parsed->modifiers & HotKeyModifier::option)
        result.modifierFlags |= KeyEventFlag::option;
    if (parsed->modifiers & HotKeyModifier::control)
        result.modifierFlags |= KeyEventFlag::control;

    const QString keyName = parts(text).last();
    if (keyName == u"return")
        result.key = QStringLiteral("\r");
    else if (keyName == u"escape")
        result.key = QStringLiteral("\x1b");
    else if (keyName == u"delete")
        result.key = QStringLiteral("\x7f");
    else if (keyName == u"tab")
        result.key = QStringLiteral("\t");
    else if (keyName == u"space")
        result.key = QStringLiteral(" ");
    else
        result.key = keyName;
    return result;
}

std::optional<QKeySequence> ShortcutText::keySequence(const QString &text)
{
    const auto parsed = parse(text);
    if (!parsed)
        return std::nullopt;
    const KeyName *key = findKey(parts(text).last());
    Qt::KeyboardModifiers modifiers;
    if (parsed->modifiers & HotKeyModifier::command)
        modifiers |= Qt::ControlModifier;
    if (parsed->modifiers & HotKeyModifier::shift)
        modifiers |= Qt::ShiftModifier;
    if (parsed->modifiers & HotKeyModifier::option)
        modifiers |= Qt::AltModifier;
    if (parsed->modifiers & HotKeyModifier::control)
        modifiers |= Qt::MetaModifier;
    return QKeySequence(QKeyCombination(modifiers, key->qtKey));
}

QString ShortcutText::displayText(const QString &text)
{
    return displayNames(text).join(QLatin1Char('+'));
}

QStringList ShortcutText::displayNames(const QString &text)
{
    const auto parsed = parse(text);
    if (!parsed)
        return {};
    // Qt's order: Meta (Super), Ctrl, Alt, Shift, then the key.
    static const std::pair<quint32, const char16_t *> order[] = {
        {HotKeyModifier::control, u"control"},
        {HotKeyModifier::command, u"cmd"},
        {HotKeyModifier::option, u"option"},
        {HotKeyModifier::shift, u"shift"},
    };
    QStringList names;
    for (const auto &[bit, word] : order) {
        if (parsed->modifiers & bit)
            names.append(*modifierDisplayName(QString::fromUtf16(word)));
    }
    names.append(*keyDisplayName(parts(text).last()));
    return names;
}

std::optional<QString> ShortcutText::modifierDisplayName(const QString &word)
{
    switch (modifierForWord(word.toLower())) {
    case HotKeyModifier::command:
        return localized(QStringLiteral("Key: Ctrl"));
    case HotKeyModifier::shift:
        return localized(QStringLiteral("Key: Shift"));
    case HotKeyModifier::option:
        return localized(QStringLiteral("Key: Alt"));
    case HotKeyModifier::control:
        return localized(QStringLiteral("Key: Super"));
    }
    return std::nullopt;
}

std::optional<QString> ShortcutText::keyDisplayName(const QString &keyName)
{
    const QString name = keyName.toLower();
    if (!keyTable().contains(name))
        return std::nullopt;
    if (name == u"space")
        return localized(QStringLiteral("Key: Space"));
    if (name == u"return")
        return localized(QStringLiteral("Key: Enter"));
    if (name == u"tab")
        return localized(QStringLiteral("Key: Tab"));
    if (name == u"escape")
        return localized(QStringLiteral("Key: Esc"));
    if (name == u"delete")
        return localized(QStringLiteral("Key: Backspace"));
    if (name == u"left")
        return localized(QStringLiteral("Key: Left"));
    if (name == u"right")
        return localized(QStringLiteral("Key: Right"));
    if (name == u"down")
        return localized(QStringLiteral("Key: Down"));
    if (name == u"up")
        return localized(QStringLiteral("Key: Up"));
    return name.toUpper();
}
