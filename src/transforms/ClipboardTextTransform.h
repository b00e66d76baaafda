#pragma once

#include <QString>

#include <array>

// The catalogue of text transforms the user can apply to the text of a history item. Each case has a title and a
// one-line description in the interface language, and a transform that never fails: text it cannot work on comes
// back unchanged. The cases are never stored.
class ClipboardTextTransform
{
public:
    enum Value : int {
        apTitleCase,
        addBullets,
        addLineNumbers,
        base64Decode,
        base64Encode,
        csvToLines,
        camelCase,
        lowerCase,
        upperCase,
        capitalizeWords,
        dotCase,
        doubleSpaceLines,
        escapeNewlines,
        escapeRegex,
        extractEmails,
        extractNumbers,
        extractURLs,
        htmlDecode,
        htmlEncode,
        hexDecode,
        hexEncode,
        generateUUID,
        indentLines,
        joinLines,
        kebabCase,
        linesToCSV,
        md5Hash,
        naturalSortLines,
        naturalSortLinesDescending,
        numberedList,
        pascalCase,
        quoteEachLine,
        removeAccents,
        removeAllSpacing,
        removeDuplicateLines,
        removeExtraSpaces,
        removeWhitespaces,
        reverseWords,
        reverseLines,
        reverseText,
        sha256Hash,
        screamingSnakeCase,
        sentenceCase,
        shuffleLines,
        slugify,
        smartQuotes,
        snakeCase,
        sortLines,
        sortLinesDescending,
        sortLinesByLength,
        sortLinesByLengthDescending,
        spacesToTabs,
        straightQuotes,
        stripHTMLTags,
        stripMarkdown,
        tabsToSpaces,
        titleCase,
        trimTrailingSpacesAllLines,
        trimLeadingWhitespaces,
        trimTrailingNewlines,
        trimTrailingSpaces,
        urlDecode,
        urlEncode,
        unescapeNewlines,
        unindentLines,
        wrapInBrackets,
        wrapInParentheses,
        wrapInQuotes,
        wrapInSingleQuotes,
        cleanTerminalCommand,
        normalizeWhitespace,
        removeLineBreaks,
        removeEmptyLines,
        trimSurroundingWhitespaces,
    };
    static constexpr int caseCount = trimSurroundingWhitespaces + 1;

    constexpr ClipboardTextTransform(Value value = apTitleCase) : m_value(value) { }
    constexpr operator Value() const { return m_value; }

    // Every case in declaration order. Menus sort them by their titles.
    static const std::array<Value, caseCount> &allCases();

    // The title and the description in the interface language.
    QString title() const;
    QString description() const;
    // The English texts, which are also the catalogue keys.
    QString englishTitle() const;
    QString englishDescription() const;

    // The transformed text. Never fails; only shuffleLines and generateUUID give different results for one input.
    QString apply(const QString &text) const;

private:
    Value m_value;
};

size_t qHash(ClipboardTextTransform transform, size_t seed = 0);
