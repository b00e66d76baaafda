#pragma once

#include <QString>

// Transforms of the text as a whole: white space and trimming, tabs, escaped line breaks, wrapping, reversing,
// quotes, accent folding, slugs, and stripping HTML tags and Markdown formatting.
namespace WhitespaceAndMarkup {

QString trimSurroundingWhitespaces(const QString &text);
// Line breaks off both ends.
QString trimTrailingNewlines(const QString &text);
// Spaces and tabs off both ends.
QString trimTrailingSpaces(const QString &text);
// Every run of spaces, tabs and line breaks becomes one space, none at either end (also what "Normalize
// Whitespace" does).
QString removeAllSpacing(const QString &text);
// Runs of spaces and tabs become one space and every line is trimmed; line breaks stay.
QString removeExtraSpaces(const QString &text);
QString removeWhitespaces(const QString &text);
QString tabsToSpaces(const QString &text);
QString spacesToTabs(const QString &text);
QString escapeNewlines(const QString &text);
QString unescapeNewlines(const QString &text);
QString wrapInBrackets(const QString &text);
QString wrapInParentheses(const QString &text);
QString wrapInQuotes(const QString &text);
QString wrapInSingleQuotes(const QString &text);
// The characters (grapheme clusters) in reverse order.
QString reverseText(const QString &text);
QString reverseWords(const QString &text);
// Straight quotes become opening and closing curly quotes in turn.
QString smartQuotes(const QString &text);
// Curly quotes, guillemets, dashes and the ellipsis become their ASCII forms.
QString straightQuotes(const QString &text);
// Accents and other diacritics off letters; full-width and half-width forms to their normal forms.
QString removeAccents(const QString &text);
QString slugify(const QString &text);
QString stripHTMLTags(const QString &text);
QString stripMarkdown(const QString &text);

} // namespace WhitespaceAndMarkup
