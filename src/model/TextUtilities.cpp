#include "TextUtilities.h"

#include <QChar>

#include <algorithm>
#include <bitset>

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

namespace TextUtilities {

bool isNewline(char32_t c)
{
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

bool isWhitespace(char32_t c)
{
    return c == 0x09 || QChar::category(c) == QChar::Separator_Space;
}

bool isWhitespaceOrNewline(char32_t c)
{
    return isNewline(c) || isWhitespace(c);
}

bool isControl(char32_t c)
{
    const auto category = QChar::category(c);
    return category == QChar::Other_Control || category == QChar::Other_Format;
}

QString trimmedWhitespaceAndNewlines(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    // All characters of both sets lie in the Basic Multilingual Plane, so code units suffice.
    while (begin < end && isWhitespaceOrNewline(text.at(begin).unicode()))
        ++begin;
    while (end > begin && isWhitespaceOrNewline(text.at(end - 1).unicode()))
        --end;
    return text.mid(begin, end - begin).toString();
}

bool isBlank(QStringView text)
{
    for (const QChar c : text) {
        if (!isWhitespaceOrNewline(c.unicode()))
            return false;
    }
    return true;
}

QStringView firstLine(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isNewline(text.at(i).unicode()))
            return text.left(i);
    }
    return text;
}

QString normalizedLineEndings(const QString &text)
{
    if (!text.contains(QLatin1Char('\r')))
        return text;
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

namespace {

// The code points of the Basic Multilingual Plane whose full folding is not their simple one (the sharp s, the
// ligatures ff to st, the n with apostrophe, some Greek letters with iota): found once. Every other code point, and
// every one beyond that plane, folds fully as it folds simply.
const std::bitset<65536> &foldedOtherwiseThanSimply()
{
    static const std::bitset<65536> found = [] {
        std::bitset<65536> characters;
        for (char32_t c = 0; c < 65536; ++c) {
            if (QChar::isSurrogate(c))
                continue;
            char16_t units[maxFoldedUnits];
            const int count = fullCaseFoldedInto(c, units);
            characters[c] = count != 1 || units[0] != char16_t(QChar::toCaseFolded(c));
        }
        return characters;
    }();
    return found;
}

} // namespace

bool isFoldedOtherwiseThanSimply(char16_t c)
{
    return foldedOtherwiseThanSimply()[c];
}

QString fullCaseFolded(QStringView text)
{
    const auto &special = foldedOtherwiseThanSimply();
    const char16_t *in = text.utf16();
    const qsizetype size = text.size();
    QString result(size, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(result.data());
    qsizetype written = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = in[i];
        if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(in[i + 1])) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(c, in[++i]));
            out[written++] = QChar::highSurrogate(folded);
            out[written++] = QChar::lowSurrogate(folded);
        } else if (!special[c]) {
            out[written++] = char16_t(QChar::toCaseFolded(char32_t(c)));
        } else {
            char16_t units[maxFoldedUnits];
            const int count = fullCaseFoldedInto(c, units);
            // The text grows: room for this and, at most as often again, for the rest.
            if (written + count > result.size() - (size - i - 1)) {
                result.resize(std::max(result.size() + result.size() / 2, written + count + (size - i - 1)));
                out = reinterpret_cast<char16_t *>(result.data());
            }
            for (int k = 0; k < count; ++k)
                out[written++] = units[k];
        }
    }
    result.resize(written);
    return result;
}

int fullCaseFoldedInto(char32_t c, char16_t *out)
{
    UChar source[2];
    int32_t sourceLength = 0;
    U16_APPEND_UNSAFE(source, sourceLength, UChar32(c));
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = u_strFoldCase(
        reinterpret_cast<UChar *>(out), maxFoldedUnits, source, sourceLength, U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status) || length > maxFoldedUnits) {
        std::copy(source, source + sourceLength, out);
        return sourceLength;
    }
    return length;
}

bool mayChangeWhenCaseFolded(char32_t c)
{
    // Not the property "changes when case folded", which compares the decomposed forms: the j with caron folds to a
    // j and a combining caron, its decomposition, and so does not count there.
    return u_hasBinaryProperty(UChar32(c), UCHAR_CHANGES_WHEN_CASEMAPPED);
}

} // namespace TextUtilities
