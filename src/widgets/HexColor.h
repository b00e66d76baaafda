#pragma once

#include <QColor>
#include <QString>

#include <optional>

// The colour of a tag's colour text such as "#3B85ED": "#" characters at either end are dropped, and the rest
// must be exactly six characters read as one hexadecimal number (with an optional sign, in either case); its low
// 24 bits are red, green and blue. Nothing for any other text.
std::optional<QColor> colorFromHexString(const QString &text);
