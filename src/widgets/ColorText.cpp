#include "ColorText.h"

#include "TextUtilities.h"

#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

QStringView withoutOuterHashes(QStringView text)
{
    while (text.startsWith(u'#'))
        text = text.mid(1);
    while (text.endsWith(u'#'))
        text.chop(1);
    return text;
}

qsizetype characterCount(QStringView text)
{
    // Printable ASCII is one character per code unit; the menus read dozens of tag colours per opening.
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7F; }))
        return text.size();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.toString());
    qsizetype count = 0;
    while (finder.toNextBoundary() >= 0)
        ++count;
    return count;
}

// The whole text as one hexadecimal number with an optional leading sign: no "0x", no blanks, no other digits.
// Qt's own integer reader skips both, which is why it is not used.
std::optional<qint64> hexadecimalNumber(QStringView text)
{
    qsizetype index = 0;
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        index = 1;
    }
    if (index >= text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; index < text.size(); ++index) {
        const char16_t c = text.at(index).unicode();
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
    return negative ? -value : value;
}

// The whole piece as a C-locale decimal number, nothing left over.
std::optional<double> decimalNumber(const QString &piece)
{
    if (piece.isEmpty())
        return std::nullopt;
    for (const QChar c : piece) {
        if (c.unicode() > 0x7F)
            return std::nullopt;
    }
    const std::string ascii = piece.toStdString();
    // strtod also reads hexadecimal numbers, "inf" and "nan": only plain decimals count.
    for (const char c : ascii) {
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E'))
            return std::nullopt;
    }
    char *end = nullptr;
    errno = 0;
    const double value = std::strtod(ascii.c_str(), &end);
    if (end != ascii.c_str() + ascii.size() || errno == ERANGE || !std::isfinite(value))
        return std::nullopt;
    return value;
}

float channel(quint64 bits, int shift)
{
    return float(((bits >> shift) & 0xFF) / 255.0);
}

} // namespace

std::optional<QColor> colorFromHexString(QStringView text)
{
    const QStringView digits = withoutOuterHashes(text);
    if (characterCount(digits) != 6)
        return std::nullopt;
    const std::optional<qint64> value = hexadecimalNumber(digits);
    if (!value)
        return std::nullopt;
    const quint64 bits = quint64(*value);
    return QColor::fromRgb(int((bits >> 16) & 0xFF), int((bits >> 8) & 0xFF), int(bits & 0xFF));
}

std::optional<QColor> colorFromColorString(QStringView text)
{
    const QString trimmed = TextUtilities::trimmedWhitespaceAndNewlines(text);
    if (auto color = colorFromHexColorString(trimmed))
        return color;
    return colorFromRGBColorString(trimmed);
}

std::optional<QColor> colorFromHexColorString(QStringView text)
{
    const QStringView digits = withoutOuterHashes(text);
    if (digits.size() != 6 && digits.size() != 8)
        return std::nullopt;
    const std::optional<qint64> value = hexadecimalNumber(digits);
    if (!value)
        return std::nullopt;
    // A negative value gives the bits of its two's complement.
    const quint64 bits = quint64(*value);
    if (digits.size() == 6)
        return QColor::fromRgbF(channel(bits, 16), channel(bits, 8), channel(bits, 0), 1.0f);
    return QColor::fromRgbF(channel(bits, 24), channel(bits, 16), channel(bits, 8), channel(bits, 0));
}

std::optional<QColor> colorFromRGBColorString(QStringView text)
{
    static const QRegularExpression form(
        QStringLiteral("^rgba?\\(([^)]*)\\)$"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = form.match(text.toString());
    if (!match.hasMatch())
        return std::nullopt;
    QStringList pieces;
    for (const QStringView piece : match.capturedView(1).split(u',')) {
        if (piece.isEmpty())
            continue;
        pieces.append(TextUtilities::trimmedWhitespaceAndNewlines(piece));
    }
    if (pieces.size() != 3 && pieces.size() != 4)
        return std::nullopt;
    double channels[4] = {0, 0, 0, 1};
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const std::optional<double> value = decimalNumber(pieces.at(i));
        const double limit = i < 3 ? 255.0 : 1.0;
        if (!value || *value < 0 || *value > limit)
            return std::nullopt;
        channels[i] = *value;
    }
    return QColor::fromRgbF(
        float(channels[0] / 255.0), float(channels[1] / 255.0), float(channels[2] / 255.0), float(channels[3]));
}
