#include "TextUtilities.h"

#include <QChar>

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

} // namespace TextUtilities
