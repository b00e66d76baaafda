// The onboarding's pure parts: where each step's buttons lead, the languages offered, and shortcuts as key caps.

#include "OnboardingSteps.h"
#include "Localization.h"

#include <gtest/gtest.h>

TEST(OnboardingSteps, EachStepsButtonsAndNeighbours)
{
    using S = OnboardingStep;
    struct Case
    {
        S step;
        std::optional<S> previous;
        std::optional<S> next;
        bool back;
        const char *primary;
    };
    const Case cases[] = {
        {S::intro, std::nullopt, S::historyShortcut, false, "Continue"},
        {S::historyShortcut, S::intro, S::selectAndSearch, true, "Continue"},
        {S::selectAndSearch, S::historyShortcut, S::accessibility, true, "Continue"},
        {S::accessibility, S::selectAndSearch, S::organize, true, "Continue"},
        {S::organize, S::accessibility, S::finish, true, "Continue"},
        {S::finish, S::organize, std::nullopt, true, "Open History"},
    };
    ASSERT_EQ(OnboardingSteps::all().size(), std::size(cases));
    for (qsizetype index = 0; index < OnboardingSteps::all().size(); ++index) {
        const Case &c = cases[index];
        SCOPED_TRACE(index);
        EXPECT_EQ(OnboardingSteps::all().at(index), c.step);
        EXPECT_EQ(OnboardingSteps::previous(c.step), c.previous);
        EXPECT_EQ(OnboardingSteps::next(c.step), c.next);
        EXPECT_EQ(OnboardingSteps::showsBackButton(c.step), c.back);
        EXPECT_EQ(OnboardingSteps::primaryButtonTitle(c.step), QString::fromUtf8(c.primary));
        EXPECT_EQ(OnboardingSteps::primaryButtonIsProminent(c.step), c.step == S::finish);
        EXPECT_FALSE(OnboardingSteps::heading(c.step).isEmpty());
        EXPECT_FALSE(OnboardingSteps::subtitle(c.step).isEmpty());
    }
}

// The pasting step explains what this platform needs, not the other one's permission.
TEST(OnboardingSteps, ThePastingStepNamesTheXTestExtension)
{
    EXPECT_TRUE(OnboardingSteps::subtitle(OnboardingStep::accessibility).contains(QStringLiteral("XTEST")));
    for (const OnboardingStep step : OnboardingSteps::all()) {
        EXPECT_FALSE(OnboardingSteps::subtitle(step).contains(QStringLiteral("Accessibility")));
        EXPECT_FALSE(OnboardingSteps::subtitle(step).contains(QStringLiteral("Return")));
    }
}

TEST(OnboardingLanguages, TheEightLanguagesUnderTheirOwnNames)
{
    const QList<OnboardingLanguage> expected {
        {QStringLiteral("en"), QStringLiteral("English")},
        {QStringLiteral("en-GB"), QStringLiteral("English (UK)")},
        {QStringLiteral("de"), QStringLiteral("Deutsch")},
        {QStringLiteral("it"), QStringLiteral("Italiano")},
        {QStringLiteral("pt-BR"), QStringLiteral("Português (Brasil)")},
        {QStringLiteral("es"), QStringLiteral("Español")},
        {QStringLiteral("ja"), QStringLiteral("日本語")},
        {QStringLiteral("zh-Hans"), QStringLiteral("简体中文")},
    };
    EXPECT_EQ(OnboardingLanguages::all(), expected);
    QStringList codes;
    for (const OnboardingLanguage &language : expected)
        codes.append(language.code);
    EXPECT_EQ(codes, supportedInterfaceLanguages());

    // The names stay as they are in every interface language.
    setCurrentInterfaceLanguage(QStringLiteral("ja"));
    EXPECT_EQ(OnboardingLanguages::all(), expected);
    setCurrentInterfaceLanguage(QStringLiteral("en"));

    EXPECT_EQ(OnboardingLanguages::indexOf(QStringLiteral("pt-BR")), 4);
    for (const char *other : {"", "EN", "pt", "zh", "fr"})
        EXPECT_EQ(OnboardingLanguages::indexOf(QString::fromLatin1(other)), std::nullopt) << other;
}

TEST(ShortcutKeyCaps, ModifiersInTheirFixedOrderThenTheKey)
{
    const std::pair<const char *, QStringList> cases[] = {
        {"shift+cmd+v", {QStringLiteral("Ctrl"), QStringLiteral("Shift"), QStringLiteral("V")}},
        {"cmd+shift+v", {QStringLiteral("Ctrl"), QStringLiteral("Shift"), QStringLiteral("V")}},
        {"control+option+shift+command+k",
            {QStringLiteral("Super"), QStringLiteral("Ctrl"), QStringLiteral("Alt"), QStringLiteral("Shift"),
                QStringLiteral("K")}},
        {"ctrl+alt+delete", {QStringLiteral("Super"), QStringLiteral("Alt"), QStringLiteral("Backspace")}},
        {"cmd+cmd+command+c", {QStringLiteral("Ctrl"), QStringLiteral("C")}},
        {"SHIFT+Up", {QStringLiteral("Shift"), QStringLiteral("Up")}},
        {"up", {QStringLiteral("Up")}},
        {"return", {QStringLiteral("Enter")}},
        {"hyper+space", {QStringLiteral("Space")}},
        {"", {QStringLiteral("Not set")}},
        {"+", {QStringLiteral("Not set")}},
        {"++", {QStringLiteral("Not set")}},
    };
    for (const auto &[text, caps] : cases)
        EXPECT_EQ(shortcutKeyCaps(QString::fromUtf8(text)), caps) << text;
}

TEST(ShortcutKeyCaps, KeyNamesFollowTheInterfaceLanguage)
{
    setCurrentInterfaceLanguage(QStringLiteral("de"));
    EXPECT_EQ(shortcutKeyCaps(QStringLiteral("shift+cmd+delete")),
        QStringList({QStringLiteral("Strg"), QStringLiteral("Umschalt"), localized(QStringLiteral("Key: Backspace"))}));
    EXPECT_EQ(shortcutKeyCaps(QString()), QStringList({QStringLiteral("Nicht festgelegt")}));
    setCurrentInterfaceLanguage(QStringLiteral("en"));
}
