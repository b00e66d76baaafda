#include "ColorStringParser.h"

#include "TextUtilities.h"

#include <QRegularExpression>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

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
    char *end = nullptr;
    errno = 0;
    const double value = std::strtod(ascii.c_str(), &end);
    if (end != ascii.c_str() + ascii.size() || errno == ERANGE || !std::isfinite(value))
        return std::nullopt;
    // strtod also reads hexadecimal numbers, "inf" and "nan": only plain decimals count.
    for (const char c : ascii) {
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E'))
            return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<QColor> colorFromString(QStringView text)
{
    const QString trimmed = TextUtilities::trimmedWhitespaceAndNewlines(text);
    if (auto color = colorFromHexString(trimmed))
        return color;
    return colorFromRGBString(trimmed);
}

std::optional<QColor> colorFromHexString(QStringView text)
{
    QStringView digits = text;
    while (digits.startsWith(u'#'))
        digits = digits.mid(1);
    while (digits.endsWith(u'#'))
        digits.chop(1);
    if (digits.size() != 6 && digits.size() != 8)
        return std::nullopt;
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok, 16);
    if (!ok)
        return std::nullopt;
    // A signed value is read as the integer reader reads it, its bits taken as they are.
    const quint32 bits = quint32(value);
    QColor color;
    if (digits.size() == 6)
        color = QColor::fromRgbF(float(((bits >> 16) & 0xFF) / 255.0), float(((bits >> 8) & 0xFF) / 255.0),
            float((bits & 0xFF) / 255.0), 1.0f);
    else
        color = QColor::fromRgbF(float(((bits >> 24) & 0xFF) / 255.0), float(((bits >> 16) & 0xFF) / 255.0),
            float(((bits >> 8) & 0xFF) / 255.0), float((bits & 0xFF) / 255.0));
    return color;
}

std::optional<QColor> colorFromRGBString(QStringView text)
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
