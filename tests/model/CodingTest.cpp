#include "Coding.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

TEST(Coding, Iso8601DatesAreWholeSecondsInUtc)
{
    const QDateTime date = QDateTime::fromMSecsSinceEpoch(1714566600987, Qt::UTC);
    EXPECT_EQ(Coding::iso8601String(date), QStringLiteral("2024-05-01T12:30:00Z"));
    EXPECT_EQ(Coding::dateFromIso8601(u"2024-05-01T12:30:00Z"), Coding::wholeSeconds(date));

    const char *refused[] = {
        "2024-05-01T12:30:00.5Z",
        "2024-05-01T12:30:00+02:00",
        "2024-05-01T12:30:00",
        "2024-05-01",
        "2024-13-01T12:30:00Z",
        "2024-02-30T12:30:00Z",
        " 2024-05-01T12:30:00Z",
        "",
    };
    for (const char *text : refused)
        EXPECT_FALSE(Coding::dateFromIso8601(QString::fromUtf8(text))) << text;
}

TEST(Coding, UuidTextIsUpperCase)
{
    const QUuid uuid = QUuid::fromString(u"6f1b9a0e-3c2d-4e5f-8a7b-1c2d3e4f5a6b");
    EXPECT_EQ(Coding::uuidString(uuid), QStringLiteral("6F1B9A0E-3C2D-4E5F-8A7B-1C2D3E4F5A6B"));
    EXPECT_EQ(Coding::uuidFromString(u"6F1B9A0E-3C2D-4E5F-8A7B-1C2D3E4F5A6B"), uuid);
    EXPECT_EQ(Coding::uuidFromString(u"6f1b9a0e-3c2d-4e5f-8a7b-1c2d3e4f5a6b"), uuid);
    EXPECT_FALSE(Coding::uuidFromString(u"{6f1b9a0e-3c2d-4e5f-8a7b-1c2d3e4f5a6b}"));
    EXPECT_FALSE(Coding::uuidFromString(u"6f1b9a0e3c2d4e5f8a7b1c2d3e4f5a6b"));
    EXPECT_FALSE(Coding::uuidFromString(u"6f1b9a0e-3c2d-4e5f-8a7b-1c2d3e4f5a6g"));
}

TEST(Coding, Base64StrictAndLenient)
{
    EXPECT_EQ(Coding::base64String("hello"), QStringLiteral("aGVsbG8="));
    EXPECT_EQ(Coding::bytesFromStrictBase64(u"aGVsbG8="), QByteArray("hello"));
    EXPECT_FALSE(Coding::bytesFromStrictBase64(u"aGVsbG8")); // unpadded
    EXPECT_FALSE(Coding::bytesFromStrictBase64(u"aGVs bG8=")); // foreign character
    EXPECT_FALSE(Coding::bytesFromStrictBase64(u"aGVsbG8=aGVs")); // padding inside
    EXPECT_EQ(Coding::bytesFromBase64IgnoringUnknownCharacters(u"aGVs\nbG8=\n"), QByteArray("hello"));
    EXPECT_FALSE(Coding::bytesFromBase64IgnoringUnknownCharacters(u"aGVsbG8"));
}

TEST(Coding, MemberReadersTellAbsentFromWrongType)
{
    const QJsonObject object = QJsonDocument::fromJson(R"({"s": "x", "n": null, "i": 3, "f": 1.5, "b": true,
        "big": 9007199254740993, "a": [1, 2], "mixed": [1, "x"]})")
                                   .object();
    EXPECT_TRUE(Coding::readString(object, QLatin1StringView("s")).isPresent());
    EXPECT_EQ(Coding::readString(object, QLatin1StringView("n")).state, Coding::MemberState::Absent);
    EXPECT_EQ(Coding::readString(object, QLatin1StringView("missing")).state, Coding::MemberState::Absent);
    EXPECT_TRUE(Coding::readString(object, QLatin1StringView("i")).isWrongType());
    EXPECT_EQ(Coding::readInt64(object, QLatin1StringView("i")).value, 3);
    EXPECT_TRUE(Coding::readInt64(object, QLatin1StringView("f")).isWrongType());
    EXPECT_TRUE(Coding::readInt64(object, QLatin1StringView("b")).isWrongType());
    EXPECT_TRUE(Coding::readBool(object, QLatin1StringView("i")).isWrongType());
    EXPECT_EQ(Coding::readInt64(object, QLatin1StringView("big")).value, 9007199254740993LL);
    EXPECT_EQ(Coding::readInt64Array(object, QLatin1StringView("a")).value, (QList<qint64> {1, 2}));
    EXPECT_TRUE(Coding::readInt64Array(object, QLatin1StringView("mixed")).isWrongType());
}
