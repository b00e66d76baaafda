#pragma once

#include <QColor>
#include <QStringView>

#include <optional>

// Colours written as text. Two readers, each with its own rules: the one of tags' colours and the one of colour
// items. Every result is an opaque or translucent sRGB colour; a text that breaks the rules gives nothing. Pure
// functions, for every window that shows a tag or a colour item.

// A tag's colour such as "#3B85ED": "#" characters at either end are dropped (nothing else is trimmed), and the rest
// must be exactly six user-perceived characters read as one hexadecimal number, with an optional sign; the low 24
// bits of its two's complement are red, green and blue.
std::optional<QColor> colorFromHexString(QStringView text);

// A colour item's text: outer white space trimmed, then the hexadecimal form, else the functional form.
std::optional<QColor> colorFromColorString(QStringView text);
// "#" characters at either end dropped; then exactly six (RRGGBB) or eight (RRGGBBAA) characters: hexadecimal
// digits, the first of which may be a "+" or "-" sign counted among them.
std::optional<QColor> colorFromHexColorString(QStringView text);
// "rgb(" or "rgba(" in any letter case, up to a closing ")" at the very end; three or four comma-separated numbers
// (empty pieces dropped): red, green and blue from 0 to 255, fractions allowed, and alpha from 0 to 1.
std::optional<QColor> colorFromRGBColorString(QStringView text);
