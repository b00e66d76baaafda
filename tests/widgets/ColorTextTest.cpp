// The two readers of colours written as text: tags' colours and colour items'.

#include "ColorText.h"

#include <gtest/gtest.h>

namespace {

std::string show(const std::optional<QColor> &color)
{
    return color ? color->name(QColor::HexArgb).toStdString() : std::string("none");
}

} // namespace

TEST(ColorText, TagColoursReadSixHexadecimalCharactersBetweenHashes)
{
    const QColor blue(59, 133, 237);
    const QList<std::pair<QString, std::optional<QColor>>> cases = {
        {u"#3B85ED"_qs, blue},
        {u"3b85ed"_qs, blue},
        {u"##3B85ED#"_qs, blue},
        {u"+3B85E"_qs, QColor(3, 184, 94)},
        {u"-00001"_qs, QColor(255, 255, 255)},
        {u"#3B85E"_qs, std::nullopt},
        {u"#3B85EDFF"_qs, std::nullopt},
        {u" #3B85ED"_qs, std::nullopt},
        {u"12 456"_qs, std::nullopt},
        {u"１２３４５６"_qs, std::nullopt}, // full-width digits
        {u"12345\u0301"_qs, std::nullopt}, // five characters, one with a mark
        {u"123456\u0301"_qs, std::nullopt}, // six characters, but a mark is no digit
        {u"+"_qs, std::nullopt},
        {u"0x1234"_qs, std::nullopt},
        {u"#12345 #"_qs, std::nullopt},
        {u"red"_qs, std::nullopt}, // names are no tag colours
        {u""_qs, std::nullopt},
    };
    for (const auto &[text, color] : cases)
        EXPECT_EQ(colorFromHexString(text), color) << text.toStdString();
}

TEST(ColorText, ColourItemsReadHexAndFunctionalColours)
{
    struct Case
    {
        const char *text;
        std::optional<QColor> expected;
    };
    const QColor blue(0x3B, 0x85, 0xED);
    const std::vector<Case> cases {
        {"#3B85ED", blue},
        {"3B85ED", blue},
        {"##3B85ED#", blue},
        {"  #3b85ed \n", blue},
        {"#3B85ED80", QColor(0x3B, 0x85, 0xED, 0x80)},
        {"#FFF", std::nullopt}, // short forms are not expanded
        {"#FFFFFFF", std::nullopt},
        {"#3B#5ED", std::nullopt}, // a "#" inside stays and fails the number
        {"#GGGGGG", std::nullopt},
        {"+3B85E", QColor(3, 184, 94)}, // a sign counts among the six
        {"+3B85ED", std::nullopt},
        {"-0000001", QColor(255, 255, 255, 255)},
        // Only digits and one sign: Qt's integer reader would skip the "0x" and the blanks.
        {"0x1234", std::nullopt},
        {"# 12345", std::nullopt},
        {"#12345 #", std::nullopt},
        {"0x123456", std::nullopt},
        {"+-12345", std::nullopt},
        {"", std::nullopt},
        {"rgb(255, 0, 0)", QColor(255, 0, 0)},
        {"rgba(0,0,0,0.5)", QColor::fromRgbF(0, 0, 0, 0.5f)},
        {"RGB(10,20,30)", QColor(10, 20, 30)},
        {"Rgba(10,20,30)", QColor(10, 20, 30)}, // the word need not match the count
        {"rgb(10,20,30,1)", QColor(10, 20, 30)},
        {"rgb(1,,2,3)", QColor(1, 2, 3)}, // empty pieces are dropped
        {"  rgb(1,2,3)\n", QColor(1, 2, 3)},
        {"rgb(127.5, 0, 0)", QColor::fromRgbF(127.5f / 255.0f, 0, 0)},
        {"rgb(256, 0, 0)", std::nullopt},
        {"rgb(-1, 0, 0)", std::nullopt},
        {"rgba(0,0,0,2)", std::nullopt},
        {"rgba(0,0,0,50%)", std::nullopt},
        {"rgb(1,2)", std::nullopt},
        {"rgb(1,2,3,4,5)", std::nullopt},
        {"rgb(0x10,0,0)", std::nullopt},
        {"rgb(inf,0,0)", std::nullopt},
        {"rgb(1,2,3) ", QColor(1, 2, 3)},
        {"rgb(1,2,3)x", std::nullopt},
        {"hsl(1,2,3)", std::nullopt},
    };
    for (const Case &c : cases) {
        const std::optional<QColor> parsed = colorFromColorString(QString::fromUtf8(c.text));
        ASSERT_EQ(parsed.has_value(), c.expected.has_value()) << c.text << " gave " << show(parsed);
        if (parsed) {
            EXPECT_EQ(parsed->rgba(), c.expected->rgba()) << c.text << " gave " << show(parsed);
        }
    }
}
