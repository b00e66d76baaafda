#include "IcuRegex.h"

#include "ModelLogging.h"

#include <unicode/regex.h>
#include <unicode/unistr.h>

struct IcuRegex::Compiled
{
    std::unique_ptr<icu::RegexPattern> pattern;
};

namespace {

icu::UnicodeString aliasOf(QStringView text)
{
    // A read-only alias: ICU reads the QString's UTF-16 storage directly.
    return icu::UnicodeString(false, reinterpret_cast<const UChar *>(text.utf16()), int32_t(text.size()));
}

QString toQString(const icu::UnicodeString &text)
{
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

} // namespace

QStringView IcuRegex::Match::captured(QStringView subject, int group) const
{
    const Range r = groups.value(group);
    if (!r.isValid())
        return {};
    return subject.mid(r.start, r.length);
}

IcuRegex::IcuRegex(const QString &pattern, Options options) : m_source(pattern)
{
    uint32_t flags = 0;
    if (options & CaseInsensitive)
        flags |= UREGEX_CASE_INSENSITIVE;
    if (options & DotMatchesLineSeparators)
        flags |= UREGEX_DOTALL;
    if (options & AnchorsMatchLines)
        flags |= UREGEX_MULTILINE;
    if (options & AllowCommentsAndWhitespace)
        flags |= UREGEX_COMMENTS;
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError;
    std::unique_ptr<icu::RegexPattern> compiled(
        icu::RegexPattern::compile(aliasOf(pattern), flags, parseError, status));
    if (U_FAILURE(status) || !compiled) {
        qCWarning(lcModel) << "invalid regular expression" << pattern << u_errorName(status);
        return;
    }
    m_pattern.reset(new Compiled {std::move(compiled)});
}

IcuRegex::~IcuRegex() = default;
IcuRegex::IcuRegex(IcuRegex &&) noexcept = default;
IcuRegex &IcuRegex::operator=(IcuRegex &&) noexcept = default;

namespace {

struct MatcherRun
{
    std::unique_ptr<icu::RegexMatcher> matcher;
    icu::UnicodeString subject;
};

std::optional<MatcherRun> startMatcher(const icu::RegexPattern *pattern, QStringView text)
{
    if (!pattern)
        return std::nullopt;
    MatcherRun run;
    run.subject = aliasOf(text);
    UErrorCode status = U_ZERO_ERROR;
    run.matcher.reset(pattern->matcher(run.subject, status));
    if (U_FAILURE(status))
        return std::nullopt;
    return run;
}

IcuRegex::Match currentMatch(icu::RegexMatcher &matcher)
{
    IcuRegex::Match match;
    const int32_t count = matcher.groupCount();
    match.groups.reserve(count + 1);
    for (int32_t g = 0; g <= count; ++g) {
        UErrorCode status = U_ZERO_ERROR;
        const int32_t start = matcher.start(g, status);
        const int32_t end = matcher.end(g, status);
        if (U_FAILURE(status) || start < 0)
            match.groups.append(IcuRegex::Range {});
        else
            match.groups.append(IcuRegex::Range {start, end - start});
    }
    return match;
}

} // namespace

bool IcuRegex::search(QStringView text) const
{
    auto run = startMatcher(m_pattern ? m_pattern->pattern.get() : nullptr, text);
    if (!run)
        return false;
    UErrorCode status = U_ZERO_ERROR;
    const bool found = run->matcher->find(0, status);
    return U_SUCCESS(status) && found;
}

std::optional<IcuRegex::Match> IcuRegex::firstMatch(QStringView text, qsizetype from) const
{
    auto run = startMatcher(m_pattern ? m_pattern->pattern.get() : nullptr, text);
    if (!run || from < 0 || from > text.size())
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    if (!run->matcher->find(int64_t(from), status) || U_FAILURE(status))
        return std::nullopt;
    return currentMatch(*run->matcher);
}

QList<IcuRegex::Match> IcuRegex::allMatches(QStringView text) const
{
    QList<Match> matches;
    auto run = startMatcher(m_pattern ? m_pattern->pattern.get() : nullptr, text);
    if (!run)
        return matches;
    while (run->matcher->find())
        matches.append(currentMatch(*run->matcher));
    return matches;
}

qsizetype IcuRegex::countMatches(QStringView text) const
{
    qsizetype count = 0;
    auto run = startMatcher(m_pattern ? m_pattern->pattern.get() : nullptr, text);
    if (!run)
        return 0;
    while (run->matcher->find())
        ++count;
    return count;
}

QString IcuRegex::replaceAll(QStringView text, QStringView replacementTemplate) const
{
    auto run = startMatcher(m_pattern ? m_pattern->pattern.get() : nullptr, text);
    if (!run)
        return text.toString();
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString result = run->matcher->replaceAll(aliasOf(replacementTemplate), status);
    if (U_FAILURE(status))
        return text.toString();
    return toQString(result);
}

QStringList IcuRegex::split(QStringView text) const
{
    QStringList pieces;
    auto run = startMatcher(m_pattern ? m_pattern->pattern.get() : nullptr, text);
    if (!run)
        return {text.toString()};
    qsizetype position = 0;
    while (run->matcher->find()) {
        const Range r = currentMatch(*run->matcher).range();
        pieces.append(text.mid(position, r.start - position).toString());
        position = r.start + r.length;
    }
    pieces.append(text.mid(position).toString());
    return pieces;
}

QString IcuRegex::escapedPattern(QStringView text)
{
    static const QString metacharacters = QStringLiteral("\\^$.|?*+()[]{}-/#&~ ");
    QString result;
    result.reserve(text.size() * 2);
    for (const QChar c : text) {
        if (metacharacters.contains(c))
            result.append(QLatin1Char('\\'));
        result.append(c);
    }
    return result;
}

QString IcuRegex::escapedTemplate(QStringView text)
{
    QString result;
    result.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == QLatin1Char('$') || c == QLatin1Char('\\'))
            result.append(QLatin1Char('\\'));
        result.append(c);
    }
    return result;
}
