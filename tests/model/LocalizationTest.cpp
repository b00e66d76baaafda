#include "Localization.h"

#include <gtest/gtest.h>

namespace {

struct LanguageGuard
{
    explicit LanguageGuard(const QString &code) { setCurrentInterfaceLanguage(code); }
    ~LanguageGuard() { setCurrentInterfaceLanguage(QStringLiteral("en")); }
};

StringCatalog catalogWith(const char *json)
{
    return StringCatalog::fromDocuments({QByteArray(json)});
}

} // namespace

TEST(Localization, SupportedLanguageCode)
{
    const struct
    {
        const char *code;
        const char *expected;
    } cases[] = {
        {"en", "en"},
        {"en-GB", "en-GB"},
        {"de", "de"},
        {"pt-BR", "pt-BR"},
        {"zh-Hans", "zh-Hans"},
        {"fr", "en"},
        {"EN", "en"},
        {"pt", "en"},
        {"", "en"},
        {"zh-hans", "en"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(supportedLanguageCode(QString::fromUtf8(c.code)), QString::fromUtf8(c.expected)) << c.code;
}

TEST(Localization, BundleFallsBackToTheLanguageThenTheMainBundle)
{
    const StringCatalog onlyPortuguese = catalogWith(R"({"Copy": {"pt": "Copiar"}})");
    const LocalizationBundle viaBase = localizationBundle(QStringLiteral("pt-BR"), onlyPortuguese);
    EXPECT_EQ(viaBase.languageCode(), QStringLiteral("pt"));
    EXPECT_EQ(viaBase.string(QStringLiteral("Copy")), QStringLiteral("Copiar"));

    const StringCatalog none = catalogWith(R"({"Copy": {"de": "Kopieren"}})");
    const LocalizationBundle main = localizationBundle(QStringLiteral("pt-BR"), none);
    EXPECT_TRUE(main.isMainBundle());
    EXPECT_EQ(main.string(QStringLiteral("Copy")), QStringLiteral("Copy"));
}

TEST(Localization, LookupAnswersTheChosenLanguageAndFallsBackToEnglish)
{
    {
        const LanguageGuard german(QStringLiteral("de"));
        EXPECT_EQ(localized(QStringLiteral("Image")), QStringLiteral("Bild"));
        EXPECT_EQ(localized(QStringLiteral("A text nobody translated")), QStringLiteral("A text nobody translated"));
        EXPECT_EQ(localizedStringForKey(QStringLiteral("Rich Text")), QStringLiteral("Formatierter Text"));
        EXPECT_EQ(localizedStringForKey(QStringLiteral("no.such.key")), QStringLiteral("no.such.key"));
    }
    {
        const LanguageGuard british(QStringLiteral("en-GB"));
        EXPECT_EQ(localized(QStringLiteral("Color")), QStringLiteral("Colour"));
    }
    EXPECT_EQ(localized(QStringLiteral("Color")), QStringLiteral("Color"));
}

TEST(Localization, FormattingFollowsTheLookup)
{
    // Without arguments a "%@" stays as written; with them the translated format receives them.
    EXPECT_EQ(localized(QStringLiteral("100%@ sure")), QStringLiteral("100%@ sure"));
    EXPECT_EQ(localized(QStringLiteral("Copied %@ from %@"), {QStringLiteral("hello"), QStringLiteral("Notes")}),
        QStringLiteral("Copied hello from Notes"));

    const struct
    {
        const char *format;
        QVariantList arguments;
        const char *expected;
    } cases[] = {
        {"%d items", {42}, "42 items"},
        {"%lld bytes", {qint64(5'000'000'000)}, "5000000000 bytes"},
        {"%2$@ before %1$@", {QStringLiteral("one"), QStringLiteral("two")}, "two before one"},
        {"%.1f MB", {2.345}, "2.3 MB"},
        {"100%% of %@", {QStringLiteral("it")}, "100% of it"},
        {"%@ and %@", {QStringLiteral("only one")}, "only one and "},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formatLocalized(QString::fromUtf8(c.format), c.arguments), QString::fromUtf8(c.expected)) << c.format;
}

TEST(Localization, PluralFormsFollowTheCount)
{
    const StringCatalog catalog = catalogWith(R"({"%d items": {"en": {"one": "%d item", "other": "%d items"},
                                                             "ja": {"other": "%d 件"}}})");
    const LocalizationBundle english = localizationBundle(QStringLiteral("en"), catalog);
    EXPECT_EQ(english.string(QStringLiteral("%d items"), {1}), QStringLiteral("%d item"));
    EXPECT_EQ(english.string(QStringLiteral("%d items"), {3}), QStringLiteral("%d items"));
    const LocalizationBundle japanese = localizationBundle(QStringLiteral("ja"), catalog);
    EXPECT_EQ(japanese.string(QStringLiteral("%d items"), {1}), QStringLiteral("%d 件"));
}
