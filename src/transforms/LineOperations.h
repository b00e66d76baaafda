#pragma once

#include <QString>

// Transforms that treat the text as a list of lines (or of comma-separated items). Unless said otherwise they
// split with TransformSupport::splitLines and join the result with "\n".
namespace LineOperations {

// "1. ", "2. ", ... before every line, empty lines included.
QString addLineNumbers(const QString &text);
// "- " before every item, where the items are the comma-separated pieces of every line.
QString addBullets(const QString &text);
QString quoteEachLine(const QString &text);
QString indentLines(const QString &text);
// One level off every line: four spaces, else one tab or one space.
QString unindentLines(const QString &text);
QString doubleSpaceLines(const QString &text);
QString trimTrailingSpacesAllLines(const QString &text);
QString trimLeadingWhitespaces(const QString &text);
// The trimmed, non-empty lines joined with ", " (also what "Lines to CSV" does).
QString joinLines(const QString &text);
QString csvToLines(const QString &text);
QString removeLineBreaks(const QString &text);
QString reverseLines(const QString &text);
QString shuffleLines(const QString &text);
QString removeDuplicateLines(const QString &text);
// Runs of blank lines collapsed into one empty line.
QString removeEmptyLines(const QString &text);

QString sortLines(const QString &text);
QString sortLinesDescending(const QString &text);
QString naturalSortLines(const QString &text);
QString naturalSortLinesDescending(const QString &text);
QString sortLinesByLength(const QString &text);
QString sortLinesByLengthDescending(const QString &text);

} // namespace LineOperations
