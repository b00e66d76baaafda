#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The six steps of the first-start walk-through, in order: a welcome with the language, the hot key that opens the
// history, choosing and pasting, the key input that pasting needs, favourites and tags, and the end.
enum class OnboardingStep { intro, historyShortcut, selectAndSearch, accessibility, organize, finish };

// What each step shows and where its buttons lead. Pure functions; the texts come in the interface language.
namespace OnboardingSteps {

// Every step in order.
const QList<OnboardingStep> &all();
// The step's name under its progress capsule, for assistive technologies ("Intro", "Open history", ...).
QString title(OnboardingStep step);
// The step before this one; nothing for the first.
std::optional<OnboardingStep> previous(OnboardingStep step);
// The step after this one; nothing for the last.
std::optional<OnboardingStep> next(OnboardingStep step);
// Back is offered on every step but the first.
bool showsBackButton(OnboardingStep step);
// "Continue", and on the last step "Open History", which is then the prominent button.
QString primaryButtonTitle(OnboardingStep step);
bool primaryButtonIsProminent(OnboardingStep step);
// The step's heading and the line under it.
QString heading(OnboardingStep step);
QString subtitle(OnboardingStep step);

} // namespace OnboardingSteps

// The interface languages the welcome step offers, each under its own name, which is never translated.
struct OnboardingLanguage
{
    QString code; // "en", "en-GB", "de", "it", "pt-BR", "es", "ja", "zh-Hans"
    QString displayName; // "English", "English (UK)", "Deutsch", ...

    bool operator==(const OnboardingLanguage &) const = default;
};

namespace OnboardingLanguages {

// The eight languages in the picker's order.
const QList<OnboardingLanguage> &all();
// The position of exactly this code in all(); nothing for any other text.
std::optional<qsizetype> indexOf(const QString &code);

} // namespace OnboardingLanguages

// A stored shortcut as a row of keyboard keys, one text per key: the modifiers first in a fixed order (Ctrl, Shift,
// Alt, Super, whatever order the text has them in), each at most once, then the key, all written as this platform
// names its keys. An empty text, or one without any part, is the single key "Not set".
QStringList shortcutKeyCaps(const QString &shortcutText);
