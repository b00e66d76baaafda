#pragma once

#include "IcuRegex.h"

#include <QByteArray>
#include <QCollator>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>
#include <optional>

// The mechanisms that several transform families share: lines, regular-expression matches, identifier words,
// case mapping in the user's locale, grapheme clusters, and the character classes the transforms name.
namespace TransformSupport {

// "\r\n" and then "\r" become "\n", and the text is split at every "\n". Empty lines stay: an empty text is
// one empty line, and a text that ends with a line break has an empty last line.
QStringList splitLines(const QString &text);

// The text of every match (group 0) in order of occurrence; nothing when the expression is invalid.
QStringList regexMatches(QStringView text, const IcuRegex &regex);

// The words of an identifier or a phrase: a lower-case letter or decimal digit followed by an upper-case letter
// starts a new word, and everything that is neither a letter nor a number separates words and is dropped.
// "loadXMLData2Fast" gives "load", "XMLData2", "Fast".
QStringList identifierWords(QStringView text);
// The same words as views into the text.
QList<QStringView> identifierWordViews(QStringView text);

// Unicode general categories L* and M* ("letters" as the platform defines the set).
bool isLetterOrMark(char32_t c);
// Unicode general categories L*, M* and N*.
bool isAlphanumeric(char32_t c);

// The text without leading and trailing UTF-16 units for which the predicate holds. Every character of the
// white-space and newline sets lies in the Basic Multilingual Plane, so units suffice for them.
QString trimmed(QStringView text, bool (*shouldTrim)(char32_t));

// Every occurrence of `from` replaced by `to`, found from the start without overlap; replaced text is never
// searched again. Linear in the length of the text.
QString replacedLiterally(QStringView text, QStringView from, QStringView to);

// The UTF-8 bytes of the text; an unpaired surrogate is written as U+FFFD.
QByteArray utf8Bytes(QStringView text);
// The text of well-formed UTF-8 bytes (a byte order mark is kept as a character); nothing for anything else.
std::optional<QString> decodedUtf8(const QByteArray &bytes);

// Walks the grapheme cluster boundaries of a text. Most pairs of characters are decided from their grapheme break
// properties alone; combining sequences, emoji sequences, flags and the like are asked of ICU.
class GraphemeCursor
{
public:
    explicit GraphemeCursor(QStringView text = {});
    ~GraphemeCursor();
    GraphemeCursor(const GraphemeCursor &) = delete;
    GraphemeCursor &operator=(const GraphemeCursor &) = delete;

    // Starts over on another text, keeping what was set up for the previous one.
    void setText(QStringView text);
    // The boundary after `position`, which must itself be a boundary; the text's length at the end.
    qsizetype nextBoundary(qsizetype position);

private:
    QStringView m_text;
    struct Icu; // created on the first pair of characters that needs it
    std::unique_ptr<Icu> m_icu;
};

// Upper and lower case in the user's locale (the default QLocale), so that language rules such as the Turkish
// dotted and dotless i apply. One object serves one call of a transform, on one thread.
class LocaleCaseMapping
{
public:
    LocaleCaseMapping();
    ~LocaleCaseMapping();

    QString lowercased(QStringView text) const;
    QString uppercased(QStringView text) const;
    // The first grapheme cluster upper-cased and the rest lower-cased; an empty word stays empty.
    QString capitalizedWord(QStringView word) const;

    // The same, appended to `out`.
    void appendLowercased(QString &out, QStringView text) const;
    void appendUppercased(QString &out, QStringView text) const;
    void appendCapitalizedWord(QString &out, QStringView word) const;

private:
    QByteArray m_icuLocale;
    bool m_asciiIsPlain = true; // ASCII letters map to ASCII letters (not so in Turkish and Azerbaijani)
    mutable GraphemeCursor m_graphemes; // reused from word to word
};

// A collator for the user's locale. Qt compares code points in the C locale; there the root collation of the
// Unicode Collation Algorithm stands in, so that sorting stays locale-aware on a system without a locale.
QCollator localeCollator();

// The length in UTF-16 units of the first grapheme cluster of the text (0 for an empty text).
qsizetype firstGraphemeLength(QStringView text);

} // namespace TransformSupport
