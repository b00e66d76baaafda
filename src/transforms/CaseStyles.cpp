#include "CaseStyles.h"

#include "TransformSupport.h"

#include <QSet>

#include <unicode/uchar.h>

using namespace TransformSupport;

namespace CaseStyles {

QString lowerCase(const QString &text)
{
    return LocaleCaseMapping().lowercased(text);
}

QString upperCase(const QString &text)
{
    return LocaleCaseMapping().uppercased(text);
}

namespace {

bool containsLetter(QStringView cluster)
{
    for (qsizetype i = 0; i < cluster.size(); ++i) {
        char32_t c = cluster[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < cluster.size() && cluster[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), cluster[++i].unicode());
        if (isLetterOrMark(c))
            return true;
    }
    return false;
}

bool endsSentence(QStringView cluster)
{
    if (cluster.size() != 1)
        return false;
    const char16_t c = cluster[0].unicode();
    return c == u'.' || c == u'!' || c == u'?' || c == u'\n';
}

} // namespace

QString sentenceCase(const QString &text)
{
    const LocaleCaseMapping caseMapping;
    const QString lower = caseMapping.lowercased(text);
    QString result;
    result.reserve(lower.size());
    GraphemeCursor cursor(lower);
    bool capitalizeNext = true;
    for (qsizetype position = 0; position < lower.size();) {
        const qsizetype end = cursor.nextBoundary(position);
        const QStringView cluster = QStringView(lower).mid(position, end - position);
        if (capitalizeNext && containsLetter(cluster)) {
            caseMapping.appendUppercased(result, cluster);
            capitalizeNext = false;
        } else {
            result.append(cluster);
        }
        if (endsSentence(cluster))
            capitalizeNext = true;
        position = end;
    }
    return result;
}

namespace {

// The identifier words of the text, each appended by `append` (with its position), joined with the separator.
template<typename Append> QString joinedWords(const QString &text, QStringView separator, Append append)
{
    const QList<QStringView> words = identifierWordViews(text);
    QString result;
    result.reserve(text.size() + words.size() * separator.size());
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (i > 0)
            result.append(separator);
        append(result, i, words.size(), words.at(i));
    }
    return result;
}

const QSet<QString> &apMinorWords()
{
    static const QSet<QString> words {
        QStringLiteral("a"),
        QStringLiteral("an"),
        QStringLiteral("and"),
        QStringLiteral("as"),
        QStringLiteral("at"),
        QStringLiteral("but"),
        QStringLiteral("by"),
        QStringLiteral("for"),
        QStringLiteral("in"),
        QStringLiteral("nor"),
        QStringLiteral("of"),
        QStringLiteral("on"),
        QStringLiteral("or"),
        QStringLiteral("per"),
        QStringLiteral("the"),
        QStringLiteral("to"),
        QStringLiteral("vs"),
        QStringLiteral("via"),
    };
    return words;
}

QString lowerWordsJoined(const QString &text, QStringView separator)
{
    const LocaleCaseMapping caseMapping;
    return joinedWords(text, separator,
        [&](QString &out, qsizetype, qsizetype, QStringView word) { caseMapping.appendLowercased(out, word); });
}

} // namespace

QString capitalizeWords(const QString &text)
{
    const LocaleCaseMapping caseMapping;
    return joinedWords(text, u" ",
        [&](QString &out, qsizetype, qsizetype, QStringView word) { caseMapping.appendCapitalizedWord(out, word); });
}

QString apTitleCase(const QString &text)
{
    const LocaleCaseMapping caseMapping;
    QString lower;
    return joinedWords(text, u" ", [&](QString &out, qsizetype i, qsizetype count, QStringView word) {
        if (i > 0 && i < count - 1) {
            lower.resize(0);
            caseMapping.appendLowercased(lower, word);
            if (apMinorWords().contains(lower)) {
                out.append(lower);
                return;
            }
        }
        caseMapping.appendCapitalizedWord(out, word);
    });
}

QString camelCase(const QString &text)
{
    const LocaleCaseMapping caseMapping;
    return joinedWords(text, u"", [&](QString &out, qsizetype i, qsizetype, QStringView word) {
        if (i == 0)
            caseMapping.appendLowercased(out, word);
        else
            caseMapping.appendCapitalizedWord(out, word);
    });
}

QString pascalCase(const QString &text)
{
    const LocaleCaseMapping caseMapping;
    return joinedWords(text, u"",
        [&](QString &out, qsizetype, qsizetype, QStringView word) { caseMapping.appendCapitalizedWord(out, word); });
}

QString snakeCase(const QString &text)
{
    return lowerWordsJoined(text, u"_");
}

QString screamingSnakeCase(const QString &text)
{
    const LocaleCaseMapping caseMapping;
    return joinedWords(text, u"_",
        [&](QString &out, qsizetype, qsizetype, QStringView word) { caseMapping.appendUppercased(out, word); });
}

QString kebabCase(const QString &text)
{
    return lowerWordsJoined(text, u"-");
}

QString dotCase(const QString &text)
{
    return lowerWordsJoined(text, u".");
}

} // namespace CaseStyles
