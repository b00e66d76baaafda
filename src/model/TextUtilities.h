#pragma once

#include <QString>
#include <QStringView>

// Character classes as the history's text rules name them, written out exactly so that every area agrees.
namespace TextUtilities {

// Line feed, vertical tab, form feed, carriage return, next line, line and paragraph separators.
bool isNewline(char32_t c);
// Space separators (Unicode Zs) and the tab.
bool isWhitespace(char32_t c);
// Either of the two above.
bool isWhitespaceOrNewline(char32_t c);
// Unicode control (Cc) and format (Cf) characters.
bool isControl(char32_t c);

// The text without white space and newlines at either end.
QString trimmedWhitespaceAndNewlines(QStringView text);
// True when nothing but white space and newlines is in the text.
bool isBlank(QStringView text);
// The text up to (not including) its first newline character; all of it when it has none.
QStringView firstLine(QStringView text);
// "\r\n" and "\r" become "\n".
QString normalizedLineEndings(const QString &text);

// Full Unicode case folding, the default mapping (no Turkic rules), as searches without regard to case compare:
// "ß" and "ẞ" become "ss", the ligature "ﬁ" "fi", so a text may grow. Characters that folding leaves alone stay.
QString fullCaseFolded(QStringView text);
// Whether the full folding of a code point of the Basic Multilingual Plane is other than QChar::toCaseFolded (the
// simple one); beyond that plane the two are the same.
bool isFoldedOtherwiseThanSimply(char16_t c);
// The full case folding of one code point into `out`, which has room for maxFoldedUnits code units; the number of
// units written.
constexpr int maxFoldedUnits = 4;
int fullCaseFoldedInto(char32_t c, char16_t *out);
// False when no case mapping, and so no case folding, changes the code point (most characters of scripts without
// case); true for every code point that case folding changes, and for some that it leaves alone.
bool mayChangeWhenCaseFolded(char32_t c);

} // namespace TextUtilities
