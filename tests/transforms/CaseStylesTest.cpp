#include "TransformCases.h"

using T = ClipboardTextTransform;

TEST(CaseStyles, IdentifierStylesSplitWordsAndHumps)
{
    expectTransforms({
        {T::snakeCase, QStringLiteral("myVariableName2Go"), QStringLiteral("my_variable_name2_go")},
        {T::kebabCase, QStringLiteral("myVariableName2Go"), QStringLiteral("my-variable-name2-go")},
        {T::dotCase, QStringLiteral("myVariableName2Go"), QStringLiteral("my.variable.name2.go")},
        {T::camelCase, QStringLiteral("hello world-wide web"), QStringLiteral("helloWorldWideWeb")},
        {T::pascalCase, QStringLiteral("hello world-wide web"), QStringLiteral("HelloWorldWideWeb")},
        {T::camelCase, QStringLiteral("Hello"), QStringLiteral("hello")},
        {T::camelCase, QStringLiteral("HTTP_status code"), QStringLiteral("httpStatusCode")},
        // An acronym inside a word is not split.
        {T::snakeCase, QStringLiteral("XMLParser"), QStringLiteral("xmlparser")},
        {T::snakeCase, QStringLiteral("getXMLParser"), QStringLiteral("get_xmlparser")},
        {T::screamingSnakeCase, QStringLiteral("already_snake_case"), QStringLiteral("ALREADY_SNAKE_CASE")},
        // Line breaks and any punctuation only separate words.
        {T::kebabCase, QStringLiteral("one,\r\ntwo\tthree!"), QStringLiteral("one-two-three")},
        {T::pascalCase, QStringLiteral("élan vital"), QStringLiteral("ÉlanVital")},
    });
}

TEST(CaseStyles, TitleStyles)
{
    expectTransforms({
        {T::titleCase, QStringLiteral("don't stop-me now"), QStringLiteral("Don T Stop Me Now")},
        {T::capitalizeWords, QStringLiteral("don't stop-me now"), QStringLiteral("Don T Stop Me Now")},
        {T::capitalizeWords, QStringLiteral("ÉCOLE   straße"), QStringLiteral("École Straße")},
        {T::apTitleCase, QStringLiteral("the lord of the rings"), QStringLiteral("The Lord of the Rings")},
        {T::apTitleCase, QStringLiteral("what it is for"), QStringLiteral("What It Is For")},
        {T::apTitleCase, QStringLiteral("OF"), QStringLiteral("Of")},
        {T::apTitleCase, QStringLiteral("war AND peace VIA rail"), QStringLiteral("War and Peace via Rail")},
    });
}

TEST(CaseStyles, WholeTextCase)
{
    expectTransforms({
        {T::upperCase, QStringLiteral("straße ǆ\nab"), QStringLiteral("STRASSE Ǆ\nAB")},
        {T::lowerCase, QStringLiteral("ÀB\r\nΣΑΣ"), QStringLiteral("àb\r\nσας")},
        {T::sentenceCase, QStringLiteral("HELLO. WORLD? 3 apples"), QStringLiteral("Hello. World? 3 Apples")},
        {T::sentenceCase, QStringLiteral("one!two\nthree"), QStringLiteral("One!Two\nThree")},
        // Carriage return and line feed are one character, which is not a line feed.
        {T::sentenceCase, QStringLiteral("one\r\ntwo"), QStringLiteral("One\r\ntwo")},
        // The first character with a letter in it is capitalised whole, mark and all.
        {T::sentenceCase, QStringLiteral("...e\u0301CLAIR"), QStringLiteral("...E\u0301clair")},
    });
}

TEST(CaseStyles, TextWithoutLettersOrNumbers)
{
    const QString punctuation = QStringLiteral(" -- !? .. ");
    for (const T::Value style : {T::snakeCase, T::screamingSnakeCase, T::kebabCase, T::dotCase, T::camelCase,
             T::pascalCase, T::titleCase, T::capitalizeWords, T::apTitleCase})
        EXPECT_EQ(T(style).apply(punctuation), QString()) << T(style).englishTitle().toStdString();
    for (const T::Value style : {T::lowerCase, T::upperCase, T::sentenceCase})
        EXPECT_EQ(T(style).apply(punctuation), punctuation) << T(style).englishTitle().toStdString();
}

TEST(CaseStyles, FollowTheUserLocale)
{
    {
        const ScopedDefaultLocale turkish(QLocale(QLocale::Turkish, QLocale::Turkey));
        expectTransforms({
            {T::upperCase, QStringLiteral("istanbul"), QStringLiteral("İSTANBUL")},
            {T::lowerCase, QStringLiteral("ISPARTA"), QStringLiteral("ısparta")},
            {T::capitalizeWords, QStringLiteral("ilk IŞIK"), QStringLiteral("İlk Işık")},
            {T::sentenceCase, QStringLiteral("iyi. IYI"), QStringLiteral("İyi. Iyı")},
        });
    }
    expectTransforms({
        {T::upperCase, QStringLiteral("istanbul"), QStringLiteral("ISTANBUL")},
        {T::capitalizeWords, QStringLiteral("ilk IŞIK"), QStringLiteral("Ilk Işik")},
    });
}
