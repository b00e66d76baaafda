#include "OnboardingSteps.h"

#include "Localization.h"
#include "ShortcutText.h"

#include <QHash>

namespace OnboardingSteps {

const QList<OnboardingStep> &all()
{
    static const QList<OnboardingStep> steps {OnboardingStep::intro, OnboardingStep::historyShortcut,
        OnboardingStep::selectAndSearch, OnboardingStep::accessibility, OnboardingStep::organize,
        OnboardingStep::finish};
    return steps;
}

QString title(OnboardingStep step)
{
    switch (step) {
    case OnboardingStep::intro:
        return localized(QStringLiteral("Intro"));
    case OnboardingStep::historyShortcut:
        return localized(QStringLiteral("Open history"));
    case OnboardingStep::selectAndSearch:
        return localized(QStringLiteral("Select and search"));
    case OnboardingStep::accessibility:
        return localized(QStringLiteral("Paste permission"));
    case OnboardingStep::organize:
        return localized(QStringLiteral("Organize"));
    case OnboardingStep::finish:
        return localized(QStringLiteral("Finish"));
    }
    return {};
}

std::optional<OnboardingStep> previous(OnboardingStep step)
{
    const qsizetype index = all().indexOf(step);
    if (index <= 0)
        return std::nullopt;
    return all().at(index - 1);
}

std::optional<OnboardingStep> next(OnboardingStep step)
{
    const qsizetype index = all().indexOf(step);
    if (index < 0 || index + 1 >= all().size())
        return std::nullopt;
    return all().at(index + 1);
}

bool showsBackButton(OnboardingStep step)
{
    return previous(step).has_value();
}

QString primaryButtonTitle(OnboardingStep step)
{
    return step == OnboardingStep::finish ? localized(QStringLiteral("Open History"))
                                          : localized(QStringLiteral("Continue"));
}

bool primaryButtonIsProminent(OnboardingStep step)
{
    return step == OnboardingStep::finish;
}

QString heading(OnboardingStep step)
{
    switch (step) {
    case OnboardingStep::intro:
        return localized(QStringLiteral("Welcome to Varnisto"));
    case OnboardingStep::historyShortcut:
        return localized(QStringLiteral("Open clipboard history"));
    case OnboardingStep::selectAndSearch:
        return localized(QStringLiteral("Select & Paste"));
    case OnboardingStep::accessibility:
        return localized(QStringLiteral("Pasting into other apps"));
    case OnboardingStep::organize:
        return localized(QStringLiteral("Organize your history"));
    case OnboardingStep::finish:
        return localized(QStringLiteral("You are ready"));
    }
    return {};
}

QString subtitle(OnboardingStep step)
{
    switch (step) {
    case OnboardingStep::intro:
        return localized(QStringLiteral("Keep everything you copy and quickly access your\nclipboard history whenever "
                                        "you need it."));
    case OnboardingStep::historyShortcut:
        return localized(QStringLiteral("Access your clipboard history everywhere by pressing this global shortcut."));
    case OnboardingStep::selectAndSearch:
        return localized(QStringLiteral("Select an item and press Enter to paste it directly to the active app."));
    case OnboardingStep::accessibility:
        return localized(QStringLiteral("To paste directly into other apps, Varnisto needs an X11 session whose "
                                        "display allows synthetic key input (the XTEST extension)."));
    case OnboardingStep::organize:
        return localized(QStringLiteral("Mark important clips as favorites and add tags to easily find them later."));
    case OnboardingStep::finish:
        return localized(QStringLiteral("Varnisto is now watching your clipboard. Copy something, open history, "
                                        "and paste it back whenever you need it."));
    }
    return {};
}

} // namespace OnboardingSteps

namespace OnboardingLanguages {

const QList<OnboardingLanguage> &all()
{
    static const QList<OnboardingLanguage> languages {
        {QStringLiteral("en"), QStringLiteral("English")},
        {QStringLiteral("en-GB"), QStringLiteral("English (UK)")},
        {QStringLiteral("de"), QStringLiteral("Deutsch")},
        {QStringLiteral("it"), QStringLiteral("Italiano")},
        {QStringLiteral("pt-BR"), QStringLiteral("Português (Brasil)")},
        {QStringLiteral("es"), QStringLiteral("Español")},
        {QStringLiteral("ja"), QStringLiteral("日本語")},
        {QStringLiteral("zh-Hans"), QStringLiteral("简体中文")},
    };
    return languages;
}

std::optional<qsizetype> indexOf(const QString &code)
{
    for (qsizetype index = 0; index < all().size(); ++index) {
        if (all().at(index).code == code)
            return index;
    }
    return std::nullopt;
}

} // namespace OnboardingLanguages

QStringList shortcutKeyCaps(const QString &shortcutText)
{
    const QStringList parts = ShortcutText::parts(shortcutText);
    if (parts.isEmpty())
        return {localized(QStringLiteral("Not set"))};

    // Each modifier word that the text holds anywhere (the key's place included), in the fixed order.
    quint32 held = 0;
    for (const QString &part : parts)
        held |= ShortcutText::modifierForWord(part);
    QStringList caps;
    // Qt's order, as ShortcutText::displayText writes the same shortcut everywhere else.
    for (const char *word : {"control", "cmd", "option", "shift"}) {
        const QString modifier = QString::fromLatin1(word);
        if (held & ShortcutText::modifierForWord(modifier))
            caps.append(*ShortcutText::modifierDisplayName(modifier));
    }
    const QString &key = parts.last();
    caps.append(ShortcutText::keyDisplayName(key).value_or(key.toUpper()));
    return caps;
}
