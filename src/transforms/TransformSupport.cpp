#include "TransformSupport.h"

#include "TextUtilities.h"

#include <QLocale>
#include <QStringDecoder>

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

namespace TransformSupport {

QStringList splitLines(const QString &text)
{
    return TextUtilities::normalizedLineEndings(text).split(QLatin1Char('\n'));
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

QList<QStringView> identifierWordViews(QStringView text)
{
    QList<QStringView> words;
    qsizetype wordStart = -1;
    int8_t previousType = U_UNASSIGNED;
    for (qsizetype i = 0; i < text.size();) {
        int length = 1;
        const char32_t c = codePointAt(text, i, &length);
        const int8_t type = u_charType(c);
        const bool isWordCharacter = (U_MASK(type) & (U_GC_L_MASK | U_GC_N_MASK)) != 0;
        if (!isWordCharacter) {
            if (wordStart >= 0)
                words.append(text.mid(wordStart, i - wordStart));
            wordStart = -1;
        } else if (wordStart < 0) {
            wordStart = i;
        } else if (type == U_UPPERCASE_LETTER
            && (previousType == U_LOWERCASE_LETTER || previousType == U_DECIMAL_DIGIT_NUMBER)) {
            // A camel hump: "myName" is two words.
            words.append(text.mid(wordStart, i - wordStart));
            wordStart = i;
        }
        previousType = type;
        i += length;
    }
    if (wordStart >= 0)
        words.append(text.mid(wordStart));
    return words;
}

QStringList identifierWords(QStringView text)
{
    QStringList words;
    for (const QStringView word : identifierWordViews(text))
        words.append(word.toString());
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

void appendMappedCase(QString &out, QStringView text, const QByteArray &locale, IcuCaseFunction function)
{
    if (text.isEmpty())
        return;
    const qsizetype start = out.size();
    const auto *source = reinterpret_cast<const UChar *>(text.utf16());
    // Mapping may lengthen the text ("ß" becomes "SS"); a second pass takes the exact length ICU asks for.
    out.resize(start + text.size() + 16);
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = function(reinterpret_cast<UChar *>(out.data() + start), int32_t(out.size() - start), source,
        int32_t(text.size()), locale.constData(), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        out.resize(start + length);
        status = U_ZERO_ERROR;
        length = function(reinterpret_cast<UChar *>(out.data() + start), int32_t(out.size() - start), source,
            int32_t(text.size()), locale.constData(), &status);
    }
    if (U_FAILURE(status)) {
        out.resize(start);
        out.append(text);
        return;
    }
    out.resize(start + length);
}

void appendAsciiCase(QString &out, QStringView text, char16_t from, char16_t to, int offset)
{
    const qsizetype start = out.size();
    out.append(text);
    QChar *data = out.data() + start;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (data[i].unicode() >= from && data[i].unicode() <= to)
            data[i] = QChar(char16_t(data[i].unicode() + offset));
    }
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

void LocaleCaseMapping::appendLowercased(QString &out, QStringView text) const
{
    if (m_asciiIsPlain && isAscii(text))
        appendAsciiCase(out, text, u'A', u'Z', 32);
    else
        appendMappedCase(out, text, m_icuLocale, u_strToLower);
}

void LocaleCaseMapping::appendUppercased(QString &out, QStringView text) const
{
    if (m_asciiIsPlain && isAscii(text))
        appendAsciiCase(out, text, u'a', u'z', -32);
    else
        appendMappedCase(out, text, m_icuLocale, u_strToUpper);
}

void LocaleCaseMapping::appendCapitalizedWord(QString &out, QStringView word) const
{
    if (word.isEmpty())
        return;
    m_graphemes.setText(word);
    const qsizetype first = m_graphemes.nextBoundary(0);
    appendUppercased(out, word.left(first));
    appendLowercased(out, word.mid(first));
}

QString LocaleCaseMapping::lowercased(QStringView text) const
{
    QString result;
    result.reserve(text.size());
    appendLowercased(result, text);
    return result;
}

QString LocaleCaseMapping::uppercased(QStringView text) const
{
    QString result;
    result.reserve(text.size());
    appendUppercased(result, text);
    return result;
}

QString LocaleCaseMapping::capitalizedWord(QStringView word) const
{
    QString result;
    result.reserve(word.size());
    appendCapitalizedWord(result, word);
    return result;
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
    bool hasText = false;
    qsizetype position = -1; // where the iterator stands
};

GraphemeCursor::GraphemeCursor(QStringView text) : m_text(text) { }

GraphemeCursor::~GraphemeCursor() = default;

void GraphemeCursor::setText(QStringView text)
{
    m_text = text;
    if (m_icu) {
        m_icu->hasText = false;
        m_icu->position = -1;
    }
}

namespace {

int graphemeBreakProperty(char32_t c)
{
    return u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK);
}

// Whether there is certainly a boundary between two characters, whatever stands before them. Only the rules that
// join a character to a following extending mark, Hangul jamo sequences, prepended marks, emoji joined with a
// zero-width joiner and pairs of regional indicators keep characters together; where none of them can apply, the
// characters are separate.
bool certainlyBreaksBetween(char32_t c, char32_t d)
{
    const int after = graphemeBreakProperty(d);
    if (after == U_GCB_EXTEND || after == U_GCB_ZWJ || after == U_GCB_SPACING_MARK)
        return false;
    switch (graphemeBreakProperty(c)) {
    case U_GCB_OTHER:
    case U_GCB_CONTROL:
    case U_GCB_CR:
    case U_GCB_LF:
    case U_GCB_SPACING_MARK:
        return true;
    case U_GCB_LV:
    case U_GCB_LVT:
        return after != U_GCB_V && after != U_GCB_T;
    default:
        return false;
    }
}

} // namespace

qsizetype GraphemeCursor::nextBoundary(qsizetype position)
{
    const qsizetype size = m_text.size();
    if (position + 1 >= size)
        return size;
    const char16_t first = m_text[position].unicode();
    const char16_t second = m_text[position + 1].unicode();
    // Below U+0300 there are no extending marks: every pair breaks except carriage return and line feed.
    if (first < 0x300 && second < 0x300)
        return (first == u'\r' && second == u'\n') ? position + 2 : position + 1;
    int firstLength = 1;
    const char32_t c = codePointAt(m_text, position, &firstLength);
    if (position + firstLength >= size)
        return size;
    int secondLength = 1;
    if (certainlyBreaksBetween(c, codePointAt(m_text, position + firstLength, &secondLength)))
        return position + firstLength;

    if (!m_icu) {
        UErrorCode status = U_ZERO_ERROR;
        auto icu = std::make_unique<Icu>();
        icu->iterator.reset(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status) || !icu->iterator)
            return position + firstLength;
        m_icu = std::move(icu);
    }
    if (!m_icu->hasText) {
        m_icu->alias.setTo(false, reinterpret_cast<const UChar *>(m_text.utf16()), int32_t(size));
        m_icu->iterator->setText(m_icu->alias);
        m_icu->hasText = true;
        m_icu->position = -1;
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

} // namespace TransformSupport
