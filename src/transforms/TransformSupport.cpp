#include "TransformSupport.h"

#include <QLocale>
#include <QStringDecoder>

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

namespace TransformSupport {

QStringList splitLines(const QString &text)
{
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return normalized.split(QLatin1Char('\n'));
}

QStringList regexMatches(QStringView text, const IcuRegex &regex)
{
    QStringList matches;
    if (!regex.isValid())
        return matches;
    const QList<IcuRegex::Match> found = regex.allMatches(text);
    matches.reserve(found.size());
    for (const IcuRegex::Match &match : found)
        matches.append(match.captured(text).toString());
    return matches;
}

namespace {

// The code point at `index` and the number of UTF-16 units it takes; an unpaired surrogate stands for itself.
inline char32_t codePointAt(QStringView text, qsizetype index, int *length)
{
    const char16_t c = text[index].unicode();
    if (QChar::isHighSurrogate(c) && index + 1 < text.size() && QChar::isLowSurrogate(text[index + 1].unicode())) {
        *length = 2;
        return QChar::surrogateToUcs4(c, text[index + 1].unicode());
    }
    *length = 1;
    return c;
}

} // namespace

QStringList identifierWords(QStringView text)
{
    QStringList words;
    qsizetype wordStart = -1;
    int8_t previousType = U_UNASSIGNED;
    for (qsizetype i = 0; i < text.size();) {
        int length = 1;
        const char32_t c = codePointAt(text, i, &length);
        const int8_t type = u_charType(c);
        const bool isWordCharacter = (U_MASK(type) & (U_GC_L_MASK | U_GC_N_MASK)) != 0;
        if (!isWordCharacter) {
            if (wordStart >= 0)
                words.append(text.mid(wordStart, i - wordStart).toString());
            wordStart = -1;
        } else if (wordStart < 0) {
            wordStart = i;
        } else if (type == U_UPPERCASE_LETTER
            && (previousType == U_LOWERCASE_LETTER || previousType == U_DECIMAL_DIGIT_NUMBER)) {
            // A camel hump: "myName" is two words.
            words.append(text.mid(wordStart, i - wordStart).toString());
            wordStart = i;
        }
        previousType = type;
        i += length;
    }
    if (wordStart >= 0)
        words.append(text.mid(wordStart).toString());
    return words;
}

bool isLetterOrMark(char32_t c)
{
    return (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_M_MASK)) != 0;
}

bool isAlphanumeric(char32_t c)
{
    return (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0;
}

QString trimmed(QStringView text, bool (*shouldTrim)(char32_t))
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && shouldTrim(text[begin].unicode()))
        ++begin;
    while (end > begin && shouldTrim(text[end - 1].unicode()))
        --end;
    return text.mid(begin, end - begin).toString();
}

QString replacedLiterally(QStringView text, QStringView from, QStringView to)
{
    if (from.isEmpty())
        return text.toString();
    qsizetype found = text.indexOf(from);
    if (found < 0)
        return text.toString();
    QString result;
    result.reserve(text.size() + (to.size() > from.size() ? text.size() / 4 : 0));
    qsizetype position = 0;
    while (found >= 0) {
        result.append(text.mid(position, found - position));
        result.append(to);
        position = found + from.size();
        found = text.indexOf(from, position);
    }
    result.append(text.mid(position));
    return result;
}

QByteArray utf8Bytes(QStringView text)
{
    bool wellFormed = true;
    for (qsizetype i = 0; i < text.size() && wellFormed; ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode()))
            ++i;
        else if (QChar::isSurrogate(c))
            wellFormed = false;
    }
    if (wellFormed)
        return text.toUtf8();
    QString repaired;
    repaired.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            repaired.append(text[i]);
            repaired.append(text[++i]);
        } else if (QChar::isSurrogate(c)) {
            repaired.append(QChar(QChar::ReplacementCharacter));
        } else {
            repaired.append(text[i]);
        }
    }
    return repaired.toUtf8();
}

std::optional<QString> decodedUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(
        QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

namespace {

bool isAscii(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

using IcuCaseFunction = int32_t (*)(UChar *, int32_t, const UChar *, int32_t, const char *, UErrorCode *);

QString mappedCase(QStringView text, const QByteArray &locale, IcuCaseFunction function)
{
    if (text.isEmpty())
        return QString();
    const auto *source = reinterpret_cast<const UChar *>(text.utf16());
    // Mapping may lengthen the text ("ß" becomes "SS"); a second pass takes the exact length ICU asks for.
    QString result(text.size() + 16, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = function(reinterpret_cast<UChar *>(result.data()), int32_t(result.size()), source,
        int32_t(text.size()), locale.constData(), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        result.resize(length);
        status = U_ZERO_ERROR;
        length = function(reinterpret_cast<UChar *>(result.data()), int32_t(result.size()), source,
            int32_t(text.size()), locale.constData(), &status);
    }
    if (U_FAILURE(status))
        return text.toString();
    result.resize(length);
    return result;
}

} // namespace

LocaleCaseMapping::LocaleCaseMapping()
{
    const QLocale locale;
    if (locale.language() != QLocale::C) {
        // Case mapping depends on the language alone.
        m_icuLocale = QLocale::languageToCode(locale.language()).toLatin1();
        m_asciiIsPlain = m_icuLocale != "tr" && m_icuLocale != "az";
    }
}

LocaleCaseMapping::~LocaleCaseMapping() = default;

QString LocaleCaseMapping::lowercased(QStringView text) const
{
    if (m_asciiIsPlain && isAscii(text)) {
        QString result = text.toString();
        for (QChar &c : result) {
            if (c.unicode() >= 'A' && c.unicode() <= 'Z')
                c = QChar(c.unicode() + 32);
        }
        return result;
    }
    return mappedCase(text, m_icuLocale, u_strToLower);
}

QString LocaleCaseMapping::uppercased(QStringView text) const
{
    if (m_asciiIsPlain && isAscii(text)) {
        QString result = text.toString();
        for (QChar &c : result) {
            if (c.unicode() >= 'a' && c.unicode() <= 'z')
                c = QChar(c.unicode() - 32);
        }
        return result;
    }
    return mappedCase(text, m_icuLocale, u_strToUpper);
}

QString LocaleCaseMapping::capitalizedWord(QStringView word) const
{
    if (word.isEmpty())
        return QString();
    const qsizetype first = firstGraphemeLength(word);
    return uppercased(word.left(first)) + lowercased(word.mid(first));
}

QCollator localeCollator()
{
    const QLocale locale;
    if (locale.language() == QLocale::C)
        return QCollator(QLocale(QLocale::English));
    return QCollator(locale);
}

struct GraphemeCursor::Icu
{
    icu::UnicodeString alias;
    std::unique_ptr<icu::BreakIterator> iterator;
    qsizetype position = -1; // where the iterator stands
};

GraphemeCursor::GraphemeCursor(QStringView text) : m_text(text) { }

GraphemeCursor::~GraphemeCursor() = default;

qsizetype GraphemeCursor::nextBoundary(qsizetype position)
{
    const qsizetype size = m_text.size();
    if (position + 1 >= size)
        return size;
    const char16_t c = m_text[position].unicode();
    const char16_t d = m_text[position + 1].unicode();
    if (c < 0x300 && d < 0x300)
        return (c == u'\r' && d == u'\n') ? position + 2 : position + 1;

    if (!m_icu) {
        UErrorCode status = U_ZERO_ERROR;
        auto icu = std::make_unique<Icu>();
        icu->alias.setTo(false, reinterpret_cast<const UChar *>(m_text.utf16()), int32_t(size));
        icu->iterator.reset(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status) || !icu->iterator)
            return position + 1;
        icu->iterator->setText(icu->alias);
        m_icu = std::move(icu);
    }
    const int32_t boundary
        = m_icu->position == position ? m_icu->iterator->next() : m_icu->iterator->following(int32_t(position));
    if (boundary == icu::BreakIterator::DONE) {
        m_icu->position = -1;
        return size;
    }
    m_icu->position = boundary;
    return boundary;
}

qsizetype firstGraphemeLength(QStringView text)
{
    if (text.isEmpty())
        return 0;
    GraphemeCursor cursor(text);
    return cursor.nextBoundary(0);
}

qsizetype graphemeCount(QStringView text)
{
    GraphemeCursor cursor(text);
    qsizetype count = 0;
    for (qsizetype position = 0; position < text.size(); position = cursor.nextBoundary(position))
        ++count;
    return count;
}

} // namespace TransformSupport
