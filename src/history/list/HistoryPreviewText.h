#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// The one-line preview of an item's text that a text row shows and that the row heights measure, so that the
// measured and the shown text are the same string. Pure functions of their arguments.

// The limit of characters that the history rows and their measuring use.
inline constexpr int historyPreviewTextLimit = 2000;

// The text cut to the limit, its lines joined with " ⏎ ": leading blanks of a line are marked ("·" for a space,
// "→" for a tab), every other tab becomes "→", and a line of nothing but white space becomes empty. No limit, or a
// limit below 1, keeps the whole text. Lines break at line feed, vertical tab, form feed, carriage return, carriage
// return plus line feed (one break), U+0085, U+2028 and U+2029.
QString historyPreviewText(const QString &text, std::optional<int> limit = historyPreviewTextLimit);

// With a limit of at least 1 and a text of more characters than that, its first `limit` characters followed by
// "..."; otherwise the text unchanged. Characters are grapheme clusters: a cut never splits a surrogate pair, a
// combining sequence or a carriage return plus line feed.
QString truncatedPreviewText(const QString &text, std::optional<int> limit);

// The line with each leading space as "·" and each leading tab as "→", up to the first other character; in the
// rest of the line tabs become "→" and spaces stay.
QString visibleWhitespaceLine(QStringView line);

// Where the first `count` characters (grapheme clusters) of the text end, in UTF-16 units; -1 when the text has
// fewer characters.
qsizetype endOfCharacters(QStringView text, qsizetype count);
