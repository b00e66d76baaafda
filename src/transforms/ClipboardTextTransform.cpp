#include "ClipboardTextTransform.h"

#include "CaseStyles.h"
#include "EncodingsAndExtraction.h"
#include "LineOperations.h"
#include "Localization.h"
#include "TerminalCommandCleaning.h"
#include "WhitespaceAndMarkup.h"

#include <QHashFunctions>

namespace {

struct CaseInfo
{
    const char *title;
    const char *description;
};

// Indexed by ClipboardTextTransform::Value.
constexpr CaseInfo caseInfo[] = {
    {"AP Title Case", "Title case with lowercase minor words (AP style)."}, // apTitleCase
    {"Add Bullets", "Convert comma-separated or line-separated text to bullet points."}, // addBullets
    {"Add Line Numbers", "Prefix each line with a number."}, // addLineNumbers
    {"Base64 Decode", "Decode Base64 to text."}, // base64Decode
    {"Base64 Encode", "Encode text to Base64."}, // base64Encode
    {"CSV to Lines", "Convert comma separated to line separated."}, // csvToLines
    {"Camel Case", "Convert to camelCase."}, // camelCase
    {"Lowercase", "Convert all text to lowercase."}, // lowerCase
    {"Uppercase", "Convert all text to uppercase."}, // upperCase
    {"Capitalize words", "Capitalize the first letter of each word."}, // capitalizeWords
    {"Dot Case", "Convert to dot.case."}, // dotCase
    {"Double Space Lines", "Add blank line between each line."}, // doubleSpaceLines
    {"Escape Newlines", "Convert newlines to \\n literal."}, // escapeNewlines
    {"Escape Regex", "Escape special regex characters."}, // escapeRegex
    {"Extract Emails", "Extract all email addresses."}, // extractEmails
    {"Extract Numbers", "Extract all numbers from text."}, // extractNumbers
    {"Extract URLs", "Extract all URLs from text."}, // extractURLs
    {"HTML Decode", "Decode HTML entities to characters."}, // htmlDecode
    {"HTML Encode", "Encode special characters for HTML."}, // htmlEncode
    {"Hex Decode", "Convert hexadecimal to text."}, // hexDecode
    {"Hex Encode", "Convert text to hexadecimal."}, // hexEncode
    {"Generate UUID", "Replace text with a new UUID."}, // generateUUID
    {"Indent Lines", "Add 4 spaces to the start of each line."}, // indentLines
    {"Join Lines", "Combine all lines with comma separator."}, // joinLines
    {"Kebab Case", "Convert to kebab-case."}, // kebabCase
    {"Lines to CSV", "Convert line separated to comma separated."}, // linesToCSV
    {"MD5 Hash", "Generate MD5 hash of the text."}, // md5Hash
    {"Natural Sort Lines", "Sort lines naturally (1, 2, 10 not 1, 10, 2)."}, // naturalSortLines
    {"Natural Sort Lines (Z-A)", "Sort lines naturally in reverse order."}, // naturalSortLinesDescending
    {"Numbered List", "Convert lines to numbered list."}, // numberedList
    {"Pascal Case", "Convert to PascalCase."}, // pascalCase
    {"Quote Each Line", "Wrap each line in double quotes."}, // quoteEachLine
    {"Remove Accents", "Convert accented characters to plain ASCII."}, // removeAccents
    {"Remove All Spacing", "Collapse all whitespace including line breaks into single space."}, // removeAllSpacing
    {"Remove Duplicate Lines", "Keep only unique lines."}, // removeDuplicateLines
    {"Remove Extra Spaces", "Collapse multiple spaces into one, preserve line breaks."}, // removeExtraSpaces
    {"Remove Whitespaces", "Remove all spaces and whitespace characters."}, // removeWhitespaces
    {"Reverse Words", "Reverse the order of words."}, // reverseWords
    {"Reverse Lines", "Reverse the order of lines."}, // reverseLines
    {"Reverse Text", "Reverse the entire text."}, // reverseText
    {"SHA256 Hash", "Generate SHA256 hash of the text."}, // sha256Hash
    {"Screaming Snake Case", "Convert to SCREAMING_SNAKE_CASE."}, // screamingSnakeCase
    {"Sentence Case", "Capitalize the first letter of each sentence."}, // sentenceCase
    {"Shuffle Lines", "Randomize the order of lines."}, // shuffleLines
    {"Slugify", "Convert to URL-friendly slug."}, // slugify
    {"Smart Quotes", "Convert straight quotes to curly quotes."}, // smartQuotes
    {"Snake Case", "Convert to snake_case."}, // snakeCase
    {"Sort Lines", "Sort lines alphabetically."}, // sortLines
    {"Sort Lines (Z-A)", "Sort lines reverse alphabetically."}, // sortLinesDescending
    {"Sort Lines by Length", "Sort lines from shortest to longest."}, // sortLinesByLength
    {"Sort Lines by Length (long first)", "Sort lines from longest to shortest."}, // sortLinesByLengthDescending
    {"Spaces to Tabs", "Convert 4 spaces to tabs."}, // spacesToTabs
    {"Straight Quotes", "Convert smart typography to ASCII equivalents (quotes, dashes, ellipsis)."}, // straightQuotes
    {"Strip HTML Tags", "Remove all HTML markup."}, // stripHTMLTags
    {"Strip Markdown", "Remove Markdown formatting."}, // stripMarkdown
    {"Tabs to Spaces", "Convert tabs to 4 spaces."}, // tabsToSpaces
    {"Title Case", "Capitalize first letter of each word (proper title case)."}, // titleCase
    {"Trim Trailing Spaces All Lines", "Remove trailing spaces from every line."}, // trimTrailingSpacesAllLines
    {"Trim Leading Whitespaces", "Remove whitespace from start of each line."}, // trimLeadingWhitespaces
    {"Trim Trailing Newlines", "Remove newlines from start and end."}, // trimTrailingNewlines
    {"Trim Trailing Spaces", "Remove spaces from start and end of text."}, // trimTrailingSpaces
    {"URL Decode", "Decode URL-encoded text."}, // urlDecode
    {"URL Encode", "Encode text for URLs."}, // urlEncode
    {"Unescape Newlines", "Convert \\n literals to actual newlines."}, // unescapeNewlines
    {"Unindent Lines", "Remove leading spaces or tab from each line."}, // unindentLines
    {"Wrap in Brackets", "Surround text with square brackets."}, // wrapInBrackets
    {"Wrap in Parentheses", "Surround text with parentheses."}, // wrapInParentheses
    {"Wrap in Quotes", "Surround text with double quotes."}, // wrapInQuotes
    {"Wrap in Single Quotes", "Surround text with single quotes."}, // wrapInSingleQuotes
    {"Clean Terminal Command", "Remove prompts and terminal formatting from commands."}, // cleanTerminalCommand
    {"Normalize Whitespace", "Collapse repeated whitespace into single spaces."}, // normalizeWhitespace
    {"Remove Line Breaks", "Join lines into a single line of text."}, // removeLineBreaks
    {"Remove Empty Lines", "Collapse consecutive empty lines into one."}, // removeEmptyLines
    {"Trim Surrounding Whitespaces", "Remove whitespace from the beginning and end."}, // trimSurroundingWhitespaces
};
static_assert(std::size(caseInfo) == ClipboardTextTransform::caseCount);

constexpr std::array<ClipboardTextTransform::Value, ClipboardTextTransform::caseCount> makeAllCases()
{
    std::array<ClipboardTextTransform::Value, ClipboardTextTransform::caseCount> cases {};
    for (int i = 0; i < ClipboardTextTransform::caseCount; ++i)
        cases[i] = ClipboardTextTransform::Value(i);
    return cases;
}

} // namespace

const std::array<ClipboardTextTransform::Value, ClipboardTextTransform::caseCount> &ClipboardTextTransform::allCases()
{
    static constexpr auto cases = makeAllCases();
    return cases;
}

QString ClipboardTextTransform::englishTitle() const
{
    return QString::fromLatin1(caseInfo[m_value].title);
}

QString ClipboardTextTransform::englishDescription() const
{
    return QString::fromLatin1(caseInfo[m_value].description);
}

QString ClipboardTextTransform::title() const
{
    return localized(englishTitle());
}

QString ClipboardTextTransform::description() const
{
    return localized(englishDescription());
}

QString ClipboardTextTransform::apply(const QString &text) const
{
    switch (m_value) {
    case apTitleCase:
        return CaseStyles::apTitleCase(text);
    case addBullets:
        return LineOperations::addBullets(text);
    case addLineNumbers:
        return LineOperations::addLineNumbers(text);
    case base64Decode:
        return EncodingsAndExtraction::base64Decode(text);
    case base64Encode:
        return EncodingsAndExtraction::base64Encode(text);
    case csvToLines:
        return LineOperations::csvToLines(text);
    case camelCase:
        return CaseStyles::camelCase(text);
    case lowerCase:
        return CaseStyles::lowerCase(text);
    case upperCase:
        return CaseStyles::upperCase(text);
    case capitalizeWords:
        return CaseStyles::capitalizeWords(text);
    case dotCase:
        return CaseStyles::dotCase(text);
    case doubleSpaceLines:
        return LineOperations::doubleSpaceLines(text);
    case escapeNewlines:
        return WhitespaceAndMarkup::escapeNewlines(text);
    case escapeRegex:
        return EncodingsAndExtraction::escapeRegex(text);
    case extractEmails:
        return EncodingsAndExtraction::extractEmails(text);
    case extractNumbers:
        return EncodingsAndExtraction::extractNumbers(text);
    case extractURLs:
        return EncodingsAndExtraction::extractURLs(text);
    case htmlDecode:
        return EncodingsAndExtraction::htmlDecode(text);
    case htmlEncode:
        return EncodingsAndExtraction::htmlEncode(text);
    case hexDecode:
        return EncodingsAndExtraction::hexDecode(text);
    case hexEncode:
        return EncodingsAndExtraction::hexEncode(text);
    case generateUUID:
        return EncodingsAndExtraction::generateUUID();
    case indentLines:
        return LineOperations::indentLines(text);
    case joinLines:
        return LineOperations::joinLines(text);
    case kebabCase:
        return CaseStyles::kebabCase(text);
    case linesToCSV:
        return LineOperations::joinLines(text);
    case md5Hash:
        return EncodingsAndExtraction::md5Hash(text);
    case naturalSortLines:
        return LineOperations::naturalSortLines(text);
    case naturalSortLinesDescending:
        return LineOperations::naturalSortLinesDescending(text);
    case numberedList:
        return LineOperations::addLineNumbers(text);
    case pascalCase:
        return CaseStyles::pascalCase(text);
    case quoteEachLine:
        return LineOperations::quoteEachLine(text);
    case removeAccents:
        return WhitespaceAndMarkup::removeAccents(text);
    case removeAllSpacing:
        return WhitespaceAndMarkup::removeAllSpacing(text);
    case removeDuplicateLines:
        return LineOperations::removeDuplicateLines(text);
    case removeExtraSpaces:
        return WhitespaceAndMarkup::removeExtraSpaces(text);
    case removeWhitespaces:
        return WhitespaceAndMarkup::removeWhitespaces(text);
    case reverseWords:
        return WhitespaceAndMarkup::reverseWords(text);
    case reverseLines:
        return LineOperations::reverseLines(text);
    case reverseText:
        return WhitespaceAndMarkup::reverseText(text);
    case sha256Hash:
        return EncodingsAndExtraction::sha256Hash(text);
    case screamingSnakeCase:
        return CaseStyles::screamingSnakeCase(text);
    case sentenceCase:
        return CaseStyles::sentenceCase(text);
    case shuffleLines:
        return LineOperations::shuffleLines(text);
    case slugify:
        return WhitespaceAndMarkup::slugify(text);
    case smartQuotes:
        return WhitespaceAndMarkup::smartQuotes(text);
    case snakeCase:
        return CaseStyles::snakeCase(text);
    case sortLines:
        return LineOperations::sortLines(text);
    case sortLinesDescending:
        return LineOperations::sortLinesDescending(text);
    case sortLinesByLength:
        return LineOperations::sortLinesByLength(text);
    case sortLinesByLengthDescending:
        return LineOperations::sortLinesByLengthDescending(text);
    case spacesToTabs:
        return WhitespaceAndMarkup::spacesToTabs(text);
    case straightQuotes:
        return WhitespaceAndMarkup::straightQuotes(text);
    case stripHTMLTags:
        return WhitespaceAndMarkup::stripHTMLTags(text);
    case stripMarkdown:
        return WhitespaceAndMarkup::stripMarkdown(text);
    case tabsToSpaces:
        return WhitespaceAndMarkup::tabsToSpaces(text);
    case titleCase:
        return CaseStyles::capitalizeWords(text);
    case trimTrailingSpacesAllLines:
        return LineOperations::trimTrailingSpacesAllLines(text);
    case trimLeadingWhitespaces:
        return LineOperations::trimLeadingWhitespaces(text);
    case trimTrailingNewlines:
        return WhitespaceAndMarkup::trimTrailingNewlines(text);
    case trimTrailingSpaces:
        return WhitespaceAndMarkup::trimTrailingSpaces(text);
    case urlDecode:
        return EncodingsAndExtraction::urlDecode(text);
    case urlEncode:
        return EncodingsAndExtraction::urlEncode(text);
    case unescapeNewlines:
        return WhitespaceAndMarkup::unescapeNewlines(text);
    case unindentLines:
        return LineOperations::unindentLines(text);
    case wrapInBrackets:
        return WhitespaceAndMarkup::wrapInBrackets(text);
    case wrapInParentheses:
        return WhitespaceAndMarkup::wrapInParentheses(text);
    case wrapInQuotes:
        return WhitespaceAndMarkup::wrapInQuotes(text);
    case wrapInSingleQuotes:
        return WhitespaceAndMarkup::wrapInSingleQuotes(text);
    case cleanTerminalCommand:
        return TerminalCommandCleaning::cleanTerminalCommand(text);
    case normalizeWhitespace:
        return WhitespaceAndMarkup::removeAllSpacing(text);
    case removeLineBreaks:
        return LineOperations::removeLineBreaks(text);
    case removeEmptyLines:
        return LineOperations::removeEmptyLines(text);
    case trimSurroundingWhitespaces:
        return WhitespaceAndMarkup::trimSurroundingWhitespaces(text);
    }
    return text;
}

size_t qHash(ClipboardTextTransform transform, size_t seed)
{
    return ::qHash(int(ClipboardTextTransform::Value(transform)), seed);
}
