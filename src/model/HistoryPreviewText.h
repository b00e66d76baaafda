#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// The one-string preview of an item's text that a text row of the history shows and measures, so that the measured
// and the shown text are the same string. The text is cut first, so a text of many megabytes costs no more than its
// first `limit` characters.
namespace HistoryPreviewText {

// The limit the history rows use.
constexpr qsizetype rowLimit = 2000;

// The text cut to `limit` characters with "..." after it, its lines joined with " ⏎ " and their white space made
// visible (visibleWhitespaceLine); a line of white space only becomes empty. No limit, or one below 1, keeps the
// whole text.
QString historyPreviewText(QStringView text, std::optional<qsizetype> limit);
// The first `limit` characters followed by "..." when the text is longer (a surrogate pair is not split); else the
// text.
QString truncatedPreviewText(QStringView text, std::optional<qsizetype> limit);
// Leading spaces become "·" and leading tabs "→"; after the first other character, tabs become "→" and spaces stay.
QString visibleWhitespaceLine(QStringView line);

} // namespace HistoryPreviewText
