#include "Coding.h"

#include <QJsonArray>

#include <limits>

namespace Coding {

QString iso8601String(const QDateTime &date)
{
    return wholeSeconds(date).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + QLatin1Char('Z');
}

QDateTime wholeSeconds(const QDateTime &date)
{
    if (!date.isValid())
        return date;
    return QDateTime::fromSecsSinceEpoch(date.toSecsSinceEpoch(), Qt::UTC);
}

namespace {

bool readDigits(QStringView text, qsizetype at, qsizetype count, int &value)
{
    value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        value = value * 10 + (c.unicode() - '0');
    }
    return true;
}

} // namespace

std::optional<QDateTime> dateFromIso8601(QStringView text)
{
    // yyyy-MM-ddTHH:mm:ssZ, 20 characters exactly.
    if (text.size() != 20 || text.at(4) != QLatin1Char('-') || text.at(7) != QLatin1Char('-')
        || text.at(10) != QLatin1Char('T') || text.at(13) != QLatin1Char(':') || text.at(16) != QLatin1Char(':')
        || text.at(19) != QLatin1Char('Z'))
        return std::nullopt;
    int year, month, day, hour, minute, second;
    if (!readDigits(text, 0, 4, year) || !readDigits(text, 5, 2, month) || !readDigits(text, 8, 2, day)
        || !readDigits(text, 11, 2, hour) || !readDigits(text, 14, 2, minute) || !readDigits(text, 17, 2, second))
        return std::nullopt;
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, Qt::UTC);
}

QString uuidString(const QUuid &uuid)
{
    return uuid.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> uuidFromString(QStringView text)
{
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool hyphenPosition = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphenPosition ? c != QLatin1Char('-') : !isxdigit(c.toLatin1()) || c.unicode() > 0x7f)
            return std::nullopt;
    }
    const QUuid uuid = QUuid::fromString(text);
    if (uuid.isNull() && text != QLatin1String("00000000-0000-0000-0000-000000000000"))
        return std::nullopt;
    return uuid;
}

QString base64String(const QByteArray &data)
{
    return QString::fromLatin1(data.toBase64());
}

namespace {

bool isBase64Alphabet(char16_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

std::optional<QByteArray> decodePadded(const QByteArray &latin1)
{
    if (latin1.size() % 4 != 0)
        return std::nullopt;
    // Padding only at the end, at most two characters.
    const qsizetype firstPad = latin1.indexOf('=');
    if (firstPad >= 0) {
        if (latin1.size() - firstPad > 2)
            return std::nullopt;
        for (qsizetype i = firstPad; i < latin1.size(); ++i) {
            if (latin1.at(i) != '=')
                return std::nullopt;
        }
    }
    auto result = QByteArray::fromBase64Encoding(latin1, QByteArray::AbortOnBase64DecodingErrors);
    if (!result)
        return std::nullopt;
    return result.decoded;
}

} // namespace

std::optional<QByteArray> bytesFromStrictBase64(QStringView text)
{
    QByteArray latin1;
    latin1.reserve(text.size());
    for (const QChar c : text) {
        if (!isBase64Alphabet(c.unicode()) && c != QLatin1Char('='))
            return std::nullopt;
        latin1.append(char(c.unicode()));
    }
    return decodePadded(latin1);
}

std::optional<QByteArray> bytesFromBase64IgnoringUnknownCharacters(QStringView text)
{
    QByteArray latin1;
    latin1.reserve(text.size());
    for (const QChar c : text) {
        if (isBase64Alphabet(c.unicode()) || c == QLatin1Char('='))
            latin1.append(char(c.unicode()));
    }
    return decodePadded(latin1);
}

namespace {

template<typename T> Member<T> absent()
{
    return {};
}

template<typename T> Member<T> wrongType()
{
    return {MemberState::WrongType, T {}};
}

template<typename T> Member<T> present(T value)
{
    return {MemberState::Present, std::move(value)};
}

bool isIntegral(const QJsonValue &value, qint64 &out)
{
    if (!value.isDouble())
        return false;
    // toInteger answers the fallback for numbers with a fraction or out of range.
    constexpr qint64 sentinel = std::numeric_limits<qint64>::min();
    out = value.toInteger(sentinel);
    return out != sentinel || value.toDouble() == double(sentinel);
}

} // namespace

Member<QString> readString(const QJsonObject &object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return absent<QString>();
    if (!value.isString())
        return wrongType<QString>();
    return present(value.toString());
}

Member<bool> readBool(const QJsonObject &object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return absent<bool>();
    if (!value.isBool())
        return wrongType<bool>();
    return present(value.toBool());
}

Member<qint64> readInt64(const QJsonObject &object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return absent<qint64>();
    qint64 result = 0;
    if (!isIntegral(value, result))
        return wrongType<qint64>();
    return present(result);
}

Member<double> readDouble(const QJsonObject &object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return absent<double>();
    if (!value.isDouble())
        return wrongType<double>();
    return present(value.toDouble());
}

Member<QDateTime> readDate(const QJsonObject &object, QLatin1StringView key)
{
    const auto text = readString(object, key);
    if (text.state != MemberState::Present)
        return {text.state, {}};
    const auto date = dateFromIso8601(text.value);
    if (!date)
        return wrongType<QDateTime>();
    return present(*date);
}

Member<QByteArray> readBase64(const QJsonObject &object, QLatin1StringView key)
{
    const auto text = readString(object, key);
    if (text.state != MemberState::Present)
        return {text.state, {}};
    const auto bytes = bytesFromStrictBase64(text.value);
    if (!bytes)
        return wrongType<QByteArray>();
    return present(*bytes);
}

Member<QStringList> readStringArray(const QJsonObject &object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return absent<QStringList>();
    if (!value.isArray())
        return wrongType<QStringList>();
    QStringList result;
    const QJsonArray array = value.toArray();
    result.reserve(array.size());
    for (const QJsonValue &element : array) {
        if (!element.isString())
            return wrongType<QStringList>();
        result.append(element.toString());
    }
    return present(std::move(result));
}

Member<QList<qint64>> readInt64Array(const QJsonObject &object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return absent<QList<qint64>>();
    if (!value.isArray())
        return wrongType<QList<qint64>>();
    QList<qint64> result;
    const QJsonArray array = value.toArray();
    result.reserve(array.size());
    for (const QJsonValue &element : array) {
        qint64 number = 0;
        if (!isIntegral(element, number))
            return wrongType<QList<qint64>>();
        result.append(number);
    }
    return present(std::move(result));
}

Member<QJsonObject> readObject(const QJsonObject &object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return absent<QJsonObject>();
    if (!value.isObject())
        return wrongType<QJsonObject>();
    return present(value.toObject());
}

QJsonValue int64Value(qint64 value)
{
    return QJsonValue(value);
}

} // namespace Coding
