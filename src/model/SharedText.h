#pragma once

#include <QString>

// A part of a text that shares the text's buffer instead of copying it: the two strings hold one allocation between
// them, which lives as long as either does, and writing to either detaches it as it does for any shared string.
// Unlike other strings, the part is followed in memory by the rest of the text rather than by a '\0': read it with
// its size, as every Qt function and this code base do, never as a zero-terminated array from utf16().
// A text without a buffer of its own (a literal) gives a copy of the part.
QString sharedPart(const QString &text, qsizetype position, qsizetype length);
