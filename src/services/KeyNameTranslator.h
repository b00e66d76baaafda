#pragma once

#include <QTranslator>

// Gives Qt's own key texts (QKeySequence::NativeText, which menus, key sequence fields and tool tips use) the
// names that ShortcutText::displayText writes, in the interface language in effect: "Strg+Umschalt+V" in a German
// interface wherever Qt writes a key. Installed once on the application; it reads the language at each lookup.
class KeyNameTranslator final : public QTranslator
{
    Q_OBJECT

public:
    using QTranslator::QTranslator;

    QString translate(
        const char *context, const char *sourceText, const char *disambiguation = nullptr, int n = -1) const override;
    bool isEmpty() const override { return false; }
};
