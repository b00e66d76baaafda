#include "EncodingsAndExtraction.h"

#include "Coding.h"
#include "IcuRegex.h"
#include "TextUtilities.h"
#include "TransformSupport.h"

#include <QCryptographicHash>
#include <QUuid>

#include <unicode/uchar.h>
#include <unicode/uniset.h>

using namespace TransformSupport;

namespace EncodingsAndExtraction {

QString base64Encode(const QString &text)
{
    return QString::fromLatin1(utf8Bytes(text).toBase64());
}

QString base64Decode(const QString &text)
{
    // Characters outside the alphabet (inner line breaks and spaces) are skipped; the padding must still be right.
    const auto bytes
        = Coding::bytesFromBase64IgnoringUnknownCharacters(TextUtilities::trimmedWhitespaceAndNewlines(text));
    if (!bytes)
        return text;
    return decodedUtf8(*bytes).value_or(text);
}

QString hexEncode(const QString &text)
{
    return QString::fromLatin1(utf8Bytes(text).toHex());
}

namespace {

int hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

} // namespace

QString hexDecode(const QString &text)
{
    // Only the hexadecimal digits count: spaces, colons, line breaks and the "x" of "0x" are dropped.
    QByteArray digits;
    digits.reserve(text.size());
    for (const QChar c : text) {
        if (hexValue(c.unicode()) >= 0)
            digits.append(char(c.unicode()));
    }
    if (digits.isEmpty() || digits.size() % 2 != 0)
        return text;
    QByteArray bytes;
    bytes.reserve(digits.size() / 2);
    for (qsizetype i = 0; i < digits.size(); i += 2)
        bytes.append(char(hexValue(uchar(digits[i])) * 16 + hexValue(uchar(digits[i + 1]))));
    return decodedUtf8(bytes).value_or(text);
}

QString urlEncode(const QString &text)
{
    // Letters, marks and digits of every script stay, and so do "-", ".", "_" and "~".
    static const char hexDigits[] = "0123456789ABCDEF";
    QString result;
    result.reserve(text.size() * 3);
    for (qsizetype i = 0; i < text.size();) {
        char16_t unit = text[i].unicode();
        char32_t c = unit;
        qsizetype length = 1;
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(unit, text[i + 1].unicode());
            length = 2;
        } else if (QChar::isSurrogate(unit)) {
            c = QChar::ReplacementCharacter;
        }
        if (isAlphanumeric(c) || c == U'-' || c == U'.' || c == U'_' || c == U'~') {
            result.append(QStringView(text).mid(i, length));
        } else {
            uchar bytes[4];
            int count = 0;
            if (c < 0x80) {
                bytes[count++] = uchar(c);
            } else if (c < 0x800) {
                bytes[count++] = uchar(0xC0 | (c >> 6));
                bytes[count++] = uchar(0x80 | (c & 0x3F));
            } else if (c < 0x10000) {
                bytes[count++] = uchar(0xE0 | (c >> 12));
                bytes[count++] = uchar(0x80 | ((c >> 6) & 0x3F));
                bytes[count++] = uchar(0x80 | (c & 0x3F));
            } else {
                bytes[count++] = uchar(0xF0 | (c >> 18));
                bytes[count++] = uchar(0x80 | ((c >> 12) & 0x3F));
                bytes[count++] = uchar(0x80 | ((c >> 6) & 0x3F));
                bytes[count++] = uchar(0x80 | (c & 0x3F));
            }
            for (int b = 0; b < count; ++b) {
                const char16_t escape[3]
                    = {u'%', char16_t(hexDigits[bytes[b] >> 4]), char16_t(hexDigits[bytes[b] & 0xF])};
                result.append(QStringView(escape, 3));
            }
        }
        i += length;
    }
    return result;
}

QString urlDecode(const QString &text)
{
    // Each run of escapes is decoded on its own: a character written as it is always starts a new UTF-8 sequence,
    // so a run must hold whole, valid sequences.
    QString result;
    result.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size;) {
        if (text[i] != QLatin1Char('%')) {
            result.append(text[i++]);
            continue;
        }
        QByteArray bytes;
        while (i < size && text[i] == QLatin1Char('%')) {
            if (i + 2 >= size)
                return text;
            const int high = hexValue(text[i + 1].unicode());
            const int low = hexValue(text[i + 2].unicode());
            if (high < 0 || low < 0)
                return text;
            bytes.append(char(high * 16 + low));
            i += 3;
        }
        const auto decoded = decodedUtf8(bytes);
        if (!decoded)
            return text;
        result.append(*decoded);
    }
    return result;
}

QString htmlEncode(const QString &text)
{
    QString result;
    result.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            result.append(QLatin1String("&amp;"));
            break;
        case u'"':
            result.append(QLatin1String("&quot;"));
            break;
        case u'\'':
            result.append(QLatin1String("&#39;"));
            break;
        case u'<':
            result.append(QLatin1String("&lt;"));
            break;
        case u'>':
            result.append(QLatin1String("&gt;"));
            break;
        default:
            result.append(c);
        }
    }
    return result;
}

namespace {

// Every "&#" digits ";" whose number (in the base) is a Unicode scalar value replaced by that character; other
// references stay as they are. Only ASCII digits give a number, so a reference with any other digit stays too.
QString replacedNumericReferences(const QString &text, int base)
{
    const QLatin1String opening = base == 16 ? QLatin1String("&#x") : QLatin1String("&#");
    qsizetype found = text.indexOf(opening);
    if (found < 0)
        return text;
    QString result;
    result.reserve(text.size());
    qsizetype copyFrom = 0;
    while (found >= 0) {
        const qsizetype digitsStart = found + opening.size();
        qsizetype end = digitsStart;
        char32_t value = 0;
        bool tooLarge = false;
        while (end < text.size()) {
            const int digit = hexValue(text[end].unicode());
            if (digit < 0 || digit >= base)
                break;
            value = value * base + digit;
            if (value > 0x10FFFF) {
                tooLarge = true;
                value = 0x110000; // keeps the arithmetic bounded; the reference stays as it is
            }
            ++end;
        }
        const bool isReference = end > digitsStart && end < text.size() && text[end] == QLatin1Char(';');
        if (isReference && !tooLarge && !(value >= 0xD800 && value <= 0xDFFF)) {
            result.append(QStringView(text).mid(copyFrom, found - copyFrom));
            result.append(QString::fromUcs4(&value, 1));
            copyFrom = end + 1;
            found = text.indexOf(opening, end + 1);
        } else {
            found = text.indexOf(opening, found + 1);
        }
    }
    result.append(QStringView(text).mid(copyFrom));
    return result;
}

} // namespace

QString htmlDecode(const QString &text)
{
    QString result = text;
    result = replacedLiterally(result, u"&quot;", u"\"");
    result = replacedLiterally(result, u"&#39;", u"'");
    result = replacedLiterally(result, u"&apos;", u"'");
    result = replacedLiterally(result, u"&lt;", u"<");
    result = replacedLiterally(result, u"&gt;", u">");
    result = replacedLiterally(result, u"&amp;", u"&");
    result = replacedNumericReferences(result, 10);
    return replacedNumericReferences(result, 16);
}

QString escapeRegex(const QString &text)
{
    static const QString specials = QStringLiteral("\\.^$*+?()[]{}|");
    QString result;
    result.reserve(text.size() + text.size() / 4);
    for (const QChar c : text) {
        if (specials.contains(c))
            result.append(QLatin1Char('\\'));
        result.append(c);
    }
    return result;
}

QString md5Hash(const QString &text)
{
    return QString::fromLatin1(QCryptographicHash::hash(utf8Bytes(text), QCryptographicHash::Md5).toHex());
}

QString sha256Hash(const QString &text)
{
    return QString::fromLatin1(QCryptographicHash::hash(utf8Bytes(text), QCryptographicHash::Sha256).toHex());
}

QString generateUUID()
{
    return Coding::uuidString(QUuid::createUuid());
}

namespace {

// "[A-Z0-9._%+-]+@[A-Z0-9.-]+\.[A-Z]{2,}" without regard to case, matched by hand: a backtracking engine takes
// quadratic time on a long run of address characters without an "@" (a Base64 blob, a minified script).
struct EmailCharacterSets
{
    icu::UnicodeSet local;
    icu::UnicodeSet domain;
    icu::UnicodeSet letter;

    EmailCharacterSets()
    {
        // The sets the case-insensitive expression matches: ASCII letters of both cases and the characters that
        // fold to them (the Kelvin sign, the long s).
        UErrorCode status = U_ZERO_ERROR;
        local.applyPattern(icu::UnicodeString(u"[A-Z0-9._%+\\-]"), status);
        domain.applyPattern(icu::UnicodeString(u"[A-Z0-9.\\-]"), status);
        letter.applyPattern(icu::UnicodeString(u"[A-Z]"), status);
        for (icu::UnicodeSet *set : {&local, &domain, &letter})
            set->closeOver(USET_CASE_INSENSITIVE).freeze();
    }
};

const EmailCharacterSets &emailCharacterSets()
{
    static const EmailCharacterSets sets;
    return sets;
}

} // namespace

QString extractEmails(const QString &text)
{
    // Every character of the sets lies in the Basic Multilingual Plane, so UTF-16 units are tested directly.
    const EmailCharacterSets &sets = emailCharacterSets();
    const qsizetype size = text.size();
    auto in = [&](const icu::UnicodeSet &set, qsizetype i) { return i < size && set.contains(text[i].unicode()); };
    QStringList found;
    qsizetype i = 0;
    while (i < size) {
        if (!in(sets.local, i)) {
            ++i;
            continue;
        }
        // The local part is the whole run of local characters, and it must end at an "@". Every later start
        // inside the run reaches the same "@", so a failure skips the run.
        qsizetype at = i;
        while (in(sets.local, at))
            ++at;
        if (at >= size || text[at] != QLatin1Char('@')) {
            i = at;
            continue;
        }
        // The domain: the longest prefix of the run of domain characters after the "@" that ends in ".", two or
        // more letters; the letters then run as far as they go.
        const qsizetype domainStart = at + 1;
        qsizetype domainEnd = domainStart;
        while (in(sets.domain, domainEnd))
            ++domainEnd;
        qsizetype matchEnd = -1;
        for (qsizetype dot = domainEnd - 1; dot > domainStart; --dot) {
            if (text[dot] == QLatin1Char('.') && in(sets.letter, dot + 1) && in(sets.letter, dot + 2)) {
                matchEnd = dot + 1;
                while (in(sets.letter, matchEnd))
                    ++matchEnd;
                break;
            }
        }
        if (matchEnd < 0) {
            i = at + 1;
            continue;
        }
        found.append(text.mid(i, matchEnd - i));
        i = matchEnd;
    }
    return found.join(QLatin1Char('\n'));
}

QString extractURLs(const QString &text)
{
    static const IcuRegex urls(QStringLiteral("https?://[^\\s<>\"']+|www\\.[^\\s<>\"']+"), IcuRegex::CaseInsensitive);
    return regexMatches(text, urls).join(QLatin1Char('\n'));
}

QString extractNumbers(const QString &text)
{
    static const IcuRegex numbers(QStringLiteral("-?(?:\\d+(?:\\.\\d+)?|\\.\\d+)"));
    return regexMatches(text, numbers).join(QLatin1Char('\n'));
}

} // namespace EncodingsAndExtraction
