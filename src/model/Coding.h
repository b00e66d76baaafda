#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QUuid>

#include <optional>

// The value forms of the stored JSON documents: ISO 8601 dates in whole seconds, upper-case UUID text and
// Base64 bytes, with the strict readers that refuse anything else.
namespace Coding {

// "2024-05-01T12:30:00Z": UTC, whole seconds (fractions are dropped), always with "Z".
QString iso8601String(const QDateTime &date);
// Reads exactly the form above; fractions of a second, offsets other than "Z" and missing parts are refused.
std::optional<QDateTime> dateFromIso8601(QStringView text);
// The date cut to whole seconds, in UTC: what a date is after a trip through the stored form.
QDateTime wholeSeconds(const QDateTime &date);

// 36 characters, upper-case hexadecimal with hyphens.
QString uuidString(const QUuid &uuid);
// Accepts the 36-character form in either case; anything else (braces included) is refused.
std::optional<QUuid> uuidFromString(QStringView text);

QString base64String(const QByteArray &data);
// Standard alphabet with padding; any other character or a bad length is refused.
std::optional<QByteArray> bytesFromStrictBase64(QStringView text);
// Characters outside the alphabet are ignored first; what remains must still be correctly padded.
std::optional<QByteArray> bytesFromBase64IgnoringUnknownCharacters(QStringView text);

// Strict member readers for JSON decoding. Each distinguishes "absent or null" from "present with the wrong type".
enum class MemberState { Absent, Present, WrongType };

template<typename T> struct Member
{
    MemberState state = MemberState::Absent;
    T value {};
    bool isPresent() const { return state == MemberState::Present; }
    bool isWrongType() const { return state == MemberState::WrongType; }
    std::optional<T> optional() const { return isPresent() ? std::optional<T>(value) : std::nullopt; }
};

Member<QString> readString(const QJsonObject &object, QLatin1StringView key);
Member<bool> readBool(const QJsonObject &object, QLatin1StringView key);
// Integral JSON numbers only (no fraction); must fit a signed 64-bit integer.
Member<qint64> readInt64(const QJsonObject &object, QLatin1StringView key);
// Any JSON number.
Member<double> readDouble(const QJsonObject &object, QLatin1StringView key);
Member<QDateTime> readDate(const QJsonObject &object, QLatin1StringView key);
Member<QByteArray> readBase64(const QJsonObject &object, QLatin1StringView key);
Member<QStringList> readStringArray(const QJsonObject &object, QLatin1StringView key);
Member<QList<qint64>> readInt64Array(const QJsonObject &object, QLatin1StringView key);
Member<QJsonObject> readObject(const QJsonObject &object, QLatin1StringView key);

// A JSON number for a 64-bit integer. Qt keeps integers exactly up to 2^53 through QJsonValue(qint64).
QJsonValue int64Value(qint64 value);

} // namespace Coding
