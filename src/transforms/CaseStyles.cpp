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
            result.append(caseMapping.uppercased(cluster));
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

// Each word mapped, joined with the separator.
template<typename Map> QString joinedWords(const QStringList &words, QStringView separator, Map map)
{
    QString result;
    qsizetype length = 0;
    for (const QString &word : words)
        length += word.size() + separator.size();
    result.reserve(length);
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (i > 0)
            result.append(separator);
        result.append(map(i, words.at(i)));
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

} // namespace

QString capitalizeWords(const QString &text)
{
    const LocaleCaseMapping caseMapping;
    return joinedWords(
        identifierWords(text), u" ", [&](qsizetype, const QString &word) { return caseMapping.capitalizedWord(word); });
}

QString apTitleCase(const QString &text)
{
    const LocaleCaseMapping caseMapping;
    const QStringList words = identifierWords(text);
    const qsizetype count = words.size();
    return joinedWords(words, u" ", [&](qsizetype i, const QString &word) {
        if (i > 0 && i < count - 1) {
            QString lower = caseMapping.lowercased(word);
            if (apMinorWords().contains(lower))
                return lower;
        }
        return caseMapping.capitalizedWord(word);
    });
}

QString camelCase(const QString &text)
{
    const LocaleCaseMapping caseMapping;
    return joinedWords(identifierWords(text), u"", [&](qsizetype i, const QString &word) {
        return i == 0 ? caseMapping.lowercased(word) : caseMapping.capitalizedWord(word);
    });
}

QString pascalCase(const QString &text)
{
    const LocaleCaseMapping caseMapping;
    return joinedWords(
        identifierWords(text), u"", [&](qsizetype, const QString &word) { return caseMapping.capitalizedWord(word); });
}

namespace {

QString lowerWordsJoined(const QString &text, QStringView separator)
{
    const LocaleCaseMapping caseMapping;
    return joinedWords(
        identifierWords(text), separator, [&](qsizetype, const QString &word) { return caseMapping.lowercased(word); });
}

} // namespace

QString snakeCase(const QString &text)
{
    return lowerWordsJoined(text, u"_");
}

QString screamingSnakeCase(const QString &text)
{
    const LocaleCaseMapping caseMapping;
    return joinedWords(
        identifierWords(text), u"_", [&](qsizetype, const QString &word) { return caseMapping.uppercased(word); });
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
