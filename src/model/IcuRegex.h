#pragma once

#include <QFlags>
#include <QList>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>

// A regular expression in ICU syntax, run by ICU's own engine over UTF-16 text without conversion.
// Ranges are in UTF-16 code units. Compile once (for example as a function-local static) and reuse:
// matching from several threads at once is safe.
class IcuRegex
{
public:
    enum Option {
        NoOptions = 0,
        CaseInsensitive = 1,
        DotMatchesLineSeparators = 2,
        AnchorsMatchLines = 4,
        AllowCommentsAndWhitespace = 8,
    };
    Q_DECLARE_FLAGS(Options, Option)

    struct Range
    {
        qsizetype start = -1; // -1 when the group took no part in the match
        qsizetype length = 0;
        bool isValid() const { return start >= 0; }
        bool operator==(const Range &) const = default;
    };

    struct Match
    {
        QList<Range> groups; // groups[0] is the whole match
        Range range() const { return groups.value(0); }
        QStringView captured(QStringView subject, int group = 0) const;
    };

    explicit IcuRegex(const QString &pattern, Options options = NoOptions);
    ~IcuRegex();
    IcuRegex(IcuRegex &&) noexcept;
    IcuRegex &operator=(IcuRegex &&) noexcept;

    bool isValid() const { return m_pattern != nullptr; }
    const QString &pattern() const { return m_source; }

    // Whether the expression matches anywhere in the text.
    bool search(QStringView text) const;
    std::optional<Match> firstMatch(QStringView text, qsizetype from = 0) const;
    QList<Match> allMatches(QStringView text) const;
    qsizetype countMatches(QStringView text) const;
    // Every match replaced by the template, in which "$0" to "$9" stand for groups and "\" escapes a character.
    QString replaceAll(QStringView text, QStringView replacementTemplate) const;
    // The pieces between the matches.
    QStringList split(QStringView text) const;

    // The text with every regular-expression metacharacter escaped, so that it matches itself.
    static QString escapedPattern(QStringView text);
    // The text with "$" and "\" escaped, so that it is inserted as it stands by replaceAll.
    static QString escapedTemplate(QStringView text);

private:
    QString m_source;
    struct Compiled;
    std::unique_ptr<const Compiled> m_pattern;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(IcuRegex::Options)
