#include "TextUtilities.h"

#include <QChar>

#include <algorithm>

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

QString fullCaseFolded(QStringView text)
{
    static_assert(sizeof(UChar) == sizeof(char16_t));
    if (text.isEmpty())
        return QString();
    const auto *source = reinterpret_cast<const UChar *>(text.utf16());
    // Most texts keep their length; the few that grow are folded again with the room they need.
    QString result(text.size() + 8, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = u_strFoldCase(reinterpret_cast<UChar *>(result.data()), int32_t(result.size()), source,
        int32_t(text.size()), U_FOLD_CASE_DEFAULT, &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        result.resize(length);
        status = U_ZERO_ERROR;
        length = u_strFoldCase(reinterpret_cast<UChar *>(result.data()), int32_t(result.size()), source,
            int32_t(text.size()), U_FOLD_CASE_DEFAULT, &status);
    }
    if (U_FAILURE(status))
        return text.toString().toCaseFolded();
    result.resize(length);
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
