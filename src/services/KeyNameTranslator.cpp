#include "KeyNameTranslator.h"

#include "Localization.h"

#include <cstring>

QString KeyNameTranslator::translate(const char *context, const char *sourceText, const char *, int) const
{
    if (!context || !sourceText || std::strcmp(context, "QShortcut") != 0)
        return {};
    // Qt's names of the keys that shortcuts here use, and the catalogue entries that name them for the user.
    static const std::pair<const char *, const char *> names[] = {
        {"Ctrl", "Key: Ctrl"},
        {"Shift", "Key: Shift"},
        {"Alt", "Key: Alt"},
        {"Meta", "Key: Super"},
        {"Space", "Key: Space"},
        {"Return", "Key: Enter"},
        {"Enter", "Key: Enter"},
        {"Tab", "Key: Tab"},
        {"Esc", "Key: Esc"},
        {"Backspace", "Key: Backspace"},
        {"Left", "Key: Left"},
        {"Right", "Key: Right"},
        {"Up", "Key: Up"},
        {"Down", "Key: Down"},
    };
    for (const auto &[qtName, key] : names) {
        if (std::strcmp(sourceText, qtName) == 0)
            return localized(QString::fromLatin1(key));
    }
    return {};
}
