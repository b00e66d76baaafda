#pragma once

#include <QColor>
#include <QString>
#include <QStringView>

#include <optional>

// Colours written as text, the way colour items hold them: hexadecimal ("#3B85ED", "3B85ED80") or functional
// ("rgb(59, 133, 237)", "rgba(0, 0, 0, 0.5)"). Every result is an sRGB colour; a text of neither form gives
// nothing. Pure functions.

// Outer white space trimmed, then the hexadecimal form, else the functional form.
std::optional<QColor> colorFromString(QStringView text);
// "#" characters at either end dropped; then exactly six (RRGGBB) or eight (RRGGBBAA) characters that read as one
// base-16 number (a leading "+" or "-" counts among them, as the integer reader allows it).
std::optional<QColor> colorFromHexString(QStringView text);
// "rgb(" or "rgba(" in any letter case, up to a closing ")" at the very end; three or four comma-separated numbers
// (empty pieces dropped): red, green and blue from 0 to 255, fractions allowed, and alpha from 0 to 1.
std::optional<QColor> colorFromRGBString(QStringView text);
