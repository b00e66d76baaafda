#pragma once

#include <QString>

// Letter case and identifier styles. Case changes follow the user's locale; the identifier styles are built from
// the text's identifier words, so punctuation, spaces and line breaks only separate words.
namespace CaseStyles {

QString lowerCase(const QString &text);
QString upperCase(const QString &text);
// The first letter of the text and the first letter after ".", "!", "?" or a line feed capitalised, everything
// else in lower case.
QString sentenceCase(const QString &text);
// Every word capitalised, joined with single spaces (also what title case does).
QString capitalizeWords(const QString &text);
// Like capitalizeWords, but minor words inside the title stay in lower case.
QString apTitleCase(const QString &text);
QString camelCase(const QString &text);
QString pascalCase(const QString &text);
QString snakeCase(const QString &text);
QString screamingSnakeCase(const QString &text);
QString kebabCase(const QString &text);
QString dotCase(const QString &text);

} // namespace CaseStyles
