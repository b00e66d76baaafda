#include "HexColor.h"

#include <QTextBoundaryFinder>

namespace {

qsizetype characterCount(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() >= 0)
        ++count;
    return count;
}

} // namespace

std::optional<QColor> colorFromHexString(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == QLatin1Char('#'))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char('#'))
        --end;
    const QString digits = text.mid(start, end - start);
    if (characterCount(digits) != 6)
        return std::nullopt;

    // A sign, then hexadecimal digits only.
    qsizetype index = 0;
    bool negative = false;
    if (digits.at(0) == QLatin1Char('+') || digits.at(0) == QLatin1Char('-')) {
        negative = digits.at(0) == QLatin1Char('-');
        index = 1;
    }
    if (index >= digits.size())
        return std::nullopt;
    qint64 value = 0;
    for (; index < digits.size(); ++index) {
        const char16_t c = digits.at(index).unicode();
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + digit;
    }
    if (negative)
        value = -value;
    const quint64 bits = quint64(value);
    return QColor::fromRgb(int((bits >> 16) & 0xFF), int((bits >> 8) & 0xFF), int(bits & 0xFF));
}
