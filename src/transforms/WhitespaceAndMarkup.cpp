#include "WhitespaceAndMarkup.h"

#include "TextUtilities.h"
#include "TransformSupport.h"

#include <QHash>

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

using namespace TransformSupport;
using TextUtilities::isNewline;
using TextUtilities::isWhitespace;
using TextUtilities::isWhitespaceOrNewline;

namespace WhitespaceAndMarkup {

QString trimSurroundingWhitespaces(const QString &text)
{
    return trimmed(text, isWhitespaceOrNewline);
}

QString trimTrailingNewlines(const QString &text)
{
    return trimmed(text, isNewline);
}

QString trimTrailingSpaces(const QString &text)
{
    return trimmed(text, isWhitespace);
}

namespace {

// The non-empty pieces between white-space and newline characters.
QList<QStringView> spacedWords(QStringView text)
{
    QList<QStringView> words;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !isWhitespaceOrNewline(text[i].unicode()))
            continue;
        if (i > start)
            words.append(text.mid(start, i - start));
        start = i + 1;
    }
    return words;
}

QString joinedWithSpaces(const QList<QStringView> &words, qsizetype lengthHint)
{
    QString result;
    result.reserve(lengthHint);
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (i > 0)
            result.append(QLatin1Char(' '));
        result.append(words.at(i));
    }
    return result;
}

} // namespace

QString removeAllSpacing(const QString &text)
{
    return joinedWithSpaces(spacedWords(text), text.size());
}

QString removeExtraSpaces(const QString &text)
{
    QStringList lines = splitLines(text);
    for (QString &line : lines) {
        QString collapsed;
        collapsed.reserve(line.size());
        bool inRun = false;
        for (const QChar c : std::as_const(line)) {
            const bool spaceOrTab = c == QLatin1Char(' ') || c == QLatin1Char('\t');
            if (spaceOrTab && inRun)
                continue;
            collapsed.append(spaceOrTab ? QChar(QLatin1Char(' ')) : c);
            inRun = spaceOrTab;
        }
        line = trimmed(collapsed, isWhitespace);
    }
    return lines.join(QLatin1Char('\n'));
}

QString removeWhitespaces(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (!isWhitespaceOrNewline(c.unicode()))
            result.append(c);
    }
    return result;
}

QString tabsToSpaces(const QString &text)
{
    return replacedLiterally(text, u"\t", u"    ");
}

QString spacesToTabs(const QString &text)
{
    return replacedLiterally(text, u"    ", u"\t");
}

QString escapeNewlines(const QString &text)
{
    return replacedLiterally(text, u"\n", u"\\n");
}

QString unescapeNewlines(const QString &text)
{
    return replacedLiterally(text, u"\\n", u"\n");
}

QString wrapInBrackets(const QString &text)
{
    return QLatin1Char('[') + text + QLatin1Char(']');
}

QString wrapInParentheses(const QString &text)
{
    return QLatin1Char('(') + text + QLatin1Char(')');
}

QString wrapInQuotes(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString wrapInSingleQuotes(const QString &text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

QString reverseText(const QString &text)
{
    std::vector<qsizetype> boundaries;
    boundaries.reserve(text.size() + 1);
    GraphemeCursor cursor(text);
    for (qsizetype position = 0; position < text.size(); position = cursor.nextBoundary(position))
        boundaries.push_back(position);
    boundaries.push_back(text.size());
    QString result;
    result.reserve(text.size());
    for (size_t i = boundaries.size() - 1; i > 0; --i)
        result.append(QStringView(text).mid(boundaries[i - 1], boundaries[i] - boundaries[i - 1]));
    return result;
}

QString reverseWords(const QString &text)
{
    QList<QStringView> words = spacedWords(text);
    std::reverse(words.begin(), words.end());
    return joinedWithSpaces(words, text.size());
}

QString smartQuotes(const QString &text)
{
    QString result;
    result.reserve(text.size());
    bool doubleOpens = true;
    bool singleOpens = true;
    GraphemeCursor cursor(text);
    for (qsizetype position = 0; position < text.size();) {
        const qsizetype end = cursor.nextBoundary(position);
        // A quote with a combining mark on it is another character and stays as it is.
        const char16_t c = end - position == 1 ? text[position].unicode() : 0;
        if (c == u'"') {
            result.append(QChar(doubleOpens ? 0x201C : 0x201D));
            doubleOpens = !doubleOpens;
        } else if (c == u'\'') {
            result.append(QChar(singleOpens ? 0x2018 : 0x2019));
            singleOpens = !singleOpens;
        } else {
            result.append(QStringView(text).mid(position, end - position));
        }
        position = end;
    }
    return result;
}

QString straightQuotes(const QString &text)
{
    // The replacements are all ASCII and none of them is replaced again, so one pass does every row.
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case 0x201C:
        case 0x201D:
        case 0x201E:
        case 0x00AB:
        case 0x00BB:
            result.append(QLatin1Char('"'));
            break;
        case 0x2018:
        case 0x2019:
        case 0x201A:
            result.append(QLatin1Char('\''));
            break;
        case 0x2013:
        case 0x2014:
            result.append(QLatin1Char('-'));
            break;
        case 0x2026:
            result.append(QLatin1String("..."));
            break;
        default:
            result.append(c);
        }
    }
    return result;
}

namespace {

// The code point at `i` and its length in UTF-16 units; an unpaired surrogate stands for itself.
char32_t codePointAt(QStringView text, qsizetype i, qsizetype *length)
{
    const char16_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        *length = 2;
        return QChar::surrogateToUcs4(c, text[i + 1].unicode());
    }
    *length = 1;
    return c;
}

// Combining marks that are accents: the blocks of combining diacritical marks. Marks of other scripts (the kana
// voiced-sound marks, Indic vowel signs and viramas, Hebrew and Arabic points) are parts of their letters.
bool isCombiningDiacritic(char32_t c)
{
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF)
        || (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F);
}

bool isWidthVariant(char32_t c)
{
    const int type = u_getIntPropertyValue(c, UCHAR_DECOMPOSITION_TYPE);
    return type == U_DT_WIDE || type == U_DT_NARROW;
}

// Continues the character before it: combining marks, and the half-width voiced-sound marks of half-width kana.
bool continuesCharacter(char32_t c)
{
    return (U_GET_GC_MASK(c) & U_GC_M_MASK) != 0 || c == 0xFF9E || c == 0xFF9F;
}

// Folds one character (a base and the marks that follow it); nothing when it stays as it is.
std::optional<QString> foldedCharacter(const icu::UnicodeString &character)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2 *compatibility = icu::Normalizer2::getNFKCInstance(status);
    const icu::Normalizer2 *decomposition = icu::Normalizer2::getNFDInstance(status);
    const icu::Normalizer2 *composition = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status))
        return std::nullopt;

    bool changed = false;
    icu::UnicodeString widthFolded;
    for (int32_t i = 0; i < character.length();) {
        const UChar32 c = character.char32At(i);
        icu::UnicodeString mapping;
        if (isWidthVariant(c) && compatibility->getRawDecomposition(c, mapping)) {
            widthFolded.append(mapping);
            changed = true;
        } else {
            widthFolded.append(c);
        }
        i += U16_LENGTH(c);
    }

    icu::UnicodeString folded = widthFolded;
    if (widthFolded.length() > 0 && (U_GET_GC_MASK(widthFolded.char32At(0)) & U_GC_L_MASK)) {
        const icu::UnicodeString decomposed = decomposition->normalize(widthFolded, status);
        if (U_FAILURE(status))
            return std::nullopt;
        icu::UnicodeString stripped;
        for (int32_t i = 0; i < decomposed.length();) {
            const UChar32 c = decomposed.char32At(i);
            if (i > 0 && isCombiningDiacritic(c))
                changed = true;
            else
                stripped.append(c);
            i += U16_LENGTH(c);
        }
        folded = stripped;
    }
    if (!changed)
        return std::nullopt;
    const icu::UnicodeString composed = composition->normalize(folded, status);
    if (U_FAILURE(status))
        return std::nullopt;
    return QString(reinterpret_cast<const QChar *>(composed.getBuffer()), composed.length());
}

// Diacritic- and width-insensitive folding: accents come off letters, full-width and half-width forms become
// their normal forms. Characters that do not change keep their exact code points (no normalisation elsewhere).
QString folded(const QString &text)
{
    QString result;
    result.reserve(text.size());
    QHash<char32_t, std::optional<QString>> singleCharacters; // most characters stand alone: fold each once
    const qsizetype size = text.size();
    for (qsizetype start = 0; start < size;) {
        const char16_t unit = text[start].unicode();
        if (unit < 0x80 && (start + 1 == size || text[start + 1].unicode() < 0x80)) {
            result.append(QChar(unit));
            ++start;
            continue;
        }
        qsizetype baseLength = 1;
        const char32_t base = codePointAt(text, start, &baseLength);
        qsizetype end = start + baseLength;
        while (end < size) {
            qsizetype length = 1;
            if (!continuesCharacter(codePointAt(text, end, &length)))
                break;
            end += length;
        }
        const QStringView original = QStringView(text).mid(start, end - start);
        const bool single = end - start == baseLength;
        std::optional<QString> replacement;
        if (single && singleCharacters.contains(base)) {
            replacement = singleCharacters.value(base);
        } else {
            const icu::UnicodeString character(
                false, reinterpret_cast<const UChar *>(original.utf16()), int32_t(original.size()));
            replacement = foldedCharacter(character);
            if (single)
                singleCharacters.insert(base, replacement);
        }
        result.append(replacement ? QStringView(*replacement) : original);
        start = end;
    }
    return result;
}

} // namespace

QString removeAccents(const QString &text)
{
    return folded(text);
}

QString slugify(const QString &text)
{
    const QString lower = LocaleCaseMapping().lowercased(folded(text));
    QString result;
    result.reserve(lower.size());
    bool inRun = false;
    for (const QChar c : lower) {
        const char16_t u = c.unicode();
        if ((u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9')) {
            result.append(c);
            inRun = false;
        } else if (!inRun) {
            result.append(QLatin1Char('-'));
            inRun = true;
        }
    }
    return trimmed(result, [](char32_t c) { return c == U'-'; });
}

namespace {

// The next index at or after `from` that holds `c`, or the text's size when there is none. `cache` remembers the
// previous answer; callers ask with growing `from`, so every search together reads the text once.
qsizetype nextIndexOf(QStringView text, char16_t c, qsizetype from, qsizetype &cache)
{
    if (cache < from) {
        cache = text.indexOf(QChar(c), from);
        if (cache < 0)
            cache = text.size();
    }
    return cache;
}

} // namespace

QString stripHTMLTags(const QString &text)
{
    // Every "<", at least one character other than ">", then ">": the tag "<[^>]+>".
    const qsizetype size = text.size();
    QString result;
    result.reserve(size);
    qsizetype nextClose = -1;
    qsizetype copyFrom = 0;
    for (qsizetype i = 0; i < size; ++i) {
        if (text[i] != QLatin1Char('<') || i + 1 >= size || text[i + 1] == QLatin1Char('>'))
            continue;
        const qsizetype close = nextIndexOf(text, u'>', i + 1, nextClose);
        if (close >= size)
            break;
        result.append(QStringView(text).mid(copyFrom, i - copyFrom));
        copyFrom = close + 1;
        i = close;
    }
    result.append(QStringView(text).mid(copyFrom));
    return result;
}

namespace {

// The Markdown steps below are hand-written forms of regular expressions, so that each runs in linear time
// where a backtracking engine would be quadratic on long runs of blank lines. `\s` is Unicode White_Space and
// `^` in multi-line mode matches at the start and after every line terminator (not between "\r" and "\n").

bool isRegexSpace(char16_t c)
{
    return u_isUWhiteSpace(c);
}

bool isLineTerminator(char16_t c)
{
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool isLineStart(QStringView text, qsizetype i)
{
    if (i == 0)
        return true;
    if (i >= text.size() || !isLineTerminator(text[i - 1].unicode()))
        return false;
    return !(text[i - 1] == QLatin1Char('\r') && text[i] == QLatin1Char('\n'));
}

qsizetype skipSpaces(QStringView text, qsizetype i)
{
    while (i < text.size() && isRegexSpace(text[i].unicode()))
        ++i;
    return i;
}

// "!\[([^\]]*)\]\([^)]+\)" (an image) or "\[([^\]]+)\]\([^)]+\)" (a link), replaced by the bracketed text.
QString replacedLinks(QStringView text, bool image)
{
    const qsizetype size = text.size();
    QString result;
    result.reserve(size);
    qsizetype nextBracket = -1;
    qsizetype nextParenthesis = -1;
    qsizetype copyFrom = 0;
    for (qsizetype i = 0; i < size; ++i) {
        qsizetype contentStart;
        if (image) {
            if (text[i] != QLatin1Char('!') || i + 1 >= size || text[i + 1] != QLatin1Char('['))
                continue;
            contentStart = i + 2;
        } else {
            if (text[i] != QLatin1Char('['))
                continue;
            contentStart = i + 1;
            if (contentStart >= size || text[contentStart] == QLatin1Char(']'))
                continue;
        }
        const qsizetype close = nextIndexOf(text, u']', contentStart, nextBracket);
        if (close + 1 >= size || text[close + 1] != QLatin1Char('('))
            continue;
        const qsizetype targetStart = close + 2;
        if (targetStart >= size || text[targetStart] == QLatin1Char(')'))
            continue;
        const qsizetype end = nextIndexOf(text, u')', targetStart, nextParenthesis);
        if (end >= size)
            continue;
        result.append(text.mid(copyFrom, i - copyFrom));
        result.append(text.mid(contentStart, close - contentStart));
        copyFrom = end + 1;
        i = end;
    }
    result.append(text.mid(copyFrom));
    return result;
}

// What a pattern anchored at a line start does there: it matches up to `end`, or it does not, and no line start
// before `resumeAt` can start a match either.
struct LineStartAttempt
{
    bool matched = false;
    qsizetype end = 0;
    qsizetype resumeAt = 0;
    static LineStartAttempt match(qsizetype end) { return {true, end, end}; }
    static LineStartAttempt noMatch(qsizetype resumeAt) { return {false, 0, resumeAt}; }
};

// Removes every match of a pattern anchored at line starts, found from left to right without overlap.
template<typename MatchAt> QString removedAtLineStarts(QStringView text, MatchAt matchAt)
{
    const qsizetype size = text.size();
    QString result;
    result.reserve(size);
    qsizetype copyFrom = 0;
    for (qsizetype i = 0; i < size;) {
        if (!isLineStart(text, i)) {
            ++i;
            continue;
        }
        const LineStartAttempt attempt = matchAt(i);
        if (attempt.matched) {
            result.append(text.mid(copyFrom, i - copyFrom));
            copyFrom = attempt.end;
        }
        i = std::max(i + 1, attempt.resumeAt);
    }
    result.append(text.mid(copyFrom));
    return result;
}

QString removedCharacters(QStringView text, QStringView characters)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (!characters.contains(c))
            result.append(c);
    }
    return result;
}

} // namespace

QString stripMarkdown(const QString &input)
{
    // 1. images keep their alternative text, 2. links keep their text.
    QString text = replacedLinks(input, true);
    text = replacedLinks(text, false);

    // 3. "(?m)^\s{0,3}#{1,6}\s*": heading marks.
    text = removedAtLineStarts(text, [&text](qsizetype i) {
        qsizetype j = i;
        while (j < text.size() && j - i < 3 && isRegexSpace(text[j].unicode()))
            ++j;
        if (j >= text.size() || text[j] != QLatin1Char('#'))
            return LineStartAttempt::noMatch(i + 1);
        qsizetype k = j;
        while (k < text.size() && k - j < 6 && text[k] == QLatin1Char('#'))
            ++k;
        return LineStartAttempt::match(skipSpaces(text, k));
    });

    // 4. "(?m)^\s*>\s?": block-quote marks. When the spaces from a line start lead to anything else, no line start
    // within those spaces can match either.
    text = removedAtLineStarts(text, [&text](qsizetype i) {
        const qsizetype q = skipSpaces(text, i);
        if (q >= text.size() || text[q] != QLatin1Char('>'))
            return LineStartAttempt::noMatch(q + 1);
        return LineStartAttempt::match((q + 1 < text.size() && isRegexSpace(text[q + 1].unicode())) ? q + 2 : q + 1);
    });

    // 5. "(?m)^\s*[-*+]\s+": bullet marks.
    text = removedAtLineStarts(text, [&text](qsizetype i) {
        const qsizetype q = skipSpaces(text, i);
        if (q + 1 >= text.size() || !QStringView(u"-*+").contains(text[q]) || !isRegexSpace(text[q + 1].unicode()))
            return LineStartAttempt::noMatch(q + 1);
        return LineStartAttempt::match(skipSpaces(text, q + 1));
    });

    // 6. "(?m)^\s*\d+\.\s+": numbers of numbered-list items (\d is any decimal digit).
    text = removedAtLineStarts(text, [&text](qsizetype i) {
        const qsizetype q = skipSpaces(text, i);
        qsizetype r = q;
        while (r < text.size()) {
            qsizetype length = 1;
            if (u_charType(codePointAt(text, r, &length)) != U_DECIMAL_DIGIT_NUMBER)
                break;
            r += length;
        }
        if (r == q || r + 1 >= text.size() || text[r] != QLatin1Char('.') || !isRegexSpace(text[r + 1].unicode()))
            return LineStartAttempt::noMatch(q + 1);
        return LineStartAttempt::match(skipSpaces(text, r + 1));
    });

    // 7. "`{1,3}" and 8. "[*_~]{1,3}": every code tick and emphasis mark.
    return removedCharacters(text, u"`*_~");
}

} // namespace WhitespaceAndMarkup
