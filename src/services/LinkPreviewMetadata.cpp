#include "LinkPreviewMetadata.h"

#include "IcuRegex.h"
#include "TextUtilities.h"

#include <QSet>
#include <QUrl>

#include <algorithm>

namespace {

const IcuRegex::Options elementOptions = IcuRegex::CaseInsensitive | IcuRegex::DotMatchesLineSeparators;

const QString &metaPattern()
{
    static const QString pattern = QStringLiteral(R"re(<meta\b[^>]*>)re");
    return pattern;
}

const QString &linkPattern()
{
    static const QString pattern = QStringLiteral(R"re(<link\b[^>]*>)re");
    return pattern;
}

// The title element is "<title\b[^>]*>(.*?)</title>", searched in two steps (see titleElementText).
const IcuRegex &titleOpening()
{
    static const IcuRegex expression(QStringLiteral(R"re(<title\b[^>]*>)re"), elementOptions);
    return expression;
}

const IcuRegex &titleClosing()
{
    static const IcuRegex expression(QStringLiteral(R"re(</title>)re"), elementOptions);
    return expression;
}

// An attribute: ([^\s=/"'>]+)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'=<>]+)), with one addition in front: a name starts
// where the previous match ended (\G) or where no name character precedes it. Without it, a long run of name
// characters that is not followed by "=" would be scanned again from each of its characters, which takes minutes
// for a hostile page; the matches found are the same, because every start inside such a run fails the same way.
const IcuRegex &attributeExpression()
{
    static const IcuRegex expression(
        QStringLiteral(R"re((?:\G|(?<![^\s=/"'>]))([^\s=/"'>]+)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'=<>]+)))re"),
        IcuRegex::CaseInsensitive);
    return expression;
}

const IcuRegex &whitespaceRun()
{
    static const IcuRegex expression(QStringLiteral(R"re(\s+)re"));
    return expression;
}

std::optional<QString> nonEmptyTrimmed(const QString &text)
{
    QString trimmed = TextUtilities::trimmedWhitespaceAndNewlines(text);
    if (trimmed.isEmpty())
        return std::nullopt;
    return trimmed;
}

// The character a reference names: one of the five XML entities or a numeric reference; nothing for anything
// else, which then stays as written.
std::optional<QString> entityText(QStringView name)
{
    if (name == u"amp")
        return QStringLiteral("&");
    if (name == u"lt")
        return QStringLiteral("<");
    if (name == u"gt")
        return QStringLiteral(">");
    if (name == u"quot")
        return QStringLiteral("\"");
    if (name == u"apos")
        return QStringLiteral("'");
    if (name.size() < 2 || name.at(0) != u'#')
        return std::nullopt;
    const bool hexadecimal = name.at(1) == u'x';
    const QStringView digits = name.mid(hexadecimal ? 2 : 1);
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    char32_t codePoint = 0;
    for (const QChar c : digits) {
        const char16_t u = c.unicode();
        int value = -1;
        if (u >= u'0' && u <= u'9')
            value = u - u'0';
        else if (hexadecimal && u >= u'a' && u <= u'f')
            value = u - u'a' + 10;
        else if (hexadecimal && u >= u'A' && u <= u'F')
            value = u - u'A' + 10;
        if (value < 0)
            return std::nullopt;
        codePoint = codePoint * (hexadecimal ? 16 : 10) + char32_t(value);
        if (codePoint > 0x10FFFF)
            return std::nullopt;
    }
    if (codePoint == 0 || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return std::nullopt;
    return QString::fromUcs4(&codePoint, 1);
}

QString unescapedEntities(const QString &text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    QString result;
    result.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype ampersand = text.indexOf(QLatin1Char('&'), i);
        if (ampersand < 0) {
            result += QStringView(text).mid(i);
            break;
        }
        result += QStringView(text).mid(i, ampersand - i);
        // A reference is at most "&#x" and eight digits long; its ";" is looked for only that far.
        const QStringView reference = QStringView(text).mid(ampersand + 1, 11);
        if (const qsizetype semicolon = reference.indexOf(QLatin1Char(';')); semicolon >= 0) {
            if (const auto replacement = entityText(reference.left(semicolon))) {
                result += *replacement;
                i = ampersand + 1 + semicolon + 1;
                continue;
            }
        }
        result += QLatin1Char('&');
        i = ampersand + 1;
    }
    return result;
}

QList<LinkPreviewMetadata::Attributes> elementAttributes(const QString &pattern, const QString &html)
{
    QList<LinkPreviewMetadata::Attributes> elements;
    const QStringList matches = LinkPreviewMetadata::tagMatches(pattern, html);
    elements.reserve(matches.size());
    for (const QString &element : matches)
        elements.append(LinkPreviewMetadata::tagAttributes(element));
    return elements;
}

// The part of the page up to its last ">". Every element pattern ends with ">", so no match lies beyond it; and
// within it, each "<meta", "<link" or "<title" finds its ">" at once. Searched whole, a page full of "<meta"
// without any ">" would be scanned to its end from each of them.
QStringView upToLastElementEnd(QStringView html)
{
    return html.left(html.lastIndexOf(QLatin1Char('>')) + 1);
}

// The first match of "<title\b[^>]*>(.*?)</title>", group 1 cleaned. When the first opening element has no
// "</title>" after it, no later one has either; so the closing element is looked for once, after the first
// opening element, instead of from every "<title" of the page.
std::optional<QString> titleElementText(const QString &html)
{
    const auto opening = titleOpening().firstMatch(upToLastElementEnd(html));
    if (!opening)
        return std::nullopt;
    const qsizetype contentStart = opening->range().start + opening->range().length;
    const auto closing = titleClosing().firstMatch(html, contentStart);
    if (!closing)
        return std::nullopt;
    const QString content = html.mid(contentStart, closing->range().start - contentStart);
    return nonEmptyTrimmed(LinkPreviewMetadata::cleanedText(content));
}

QList<Url> uniqueURLs(const QList<Url> &urls)
{
    QList<Url> unique;
    QSet<QString> seen;
    for (const Url &url : urls) {
        const QString text = url.toString();
        if (seen.contains(text))
            continue;
        seen.insert(text);
        unique.append(url);
    }
    return unique;
}

QList<Url> collectFaviconURLs(const QString &html, const Url &baseURL)
{
    QList<LinkPreviewMetadata::FaviconCandidate> candidates;
    const QList<LinkPreviewMetadata::Attributes> links = elementAttributes(linkPattern(), html);
    for (const LinkPreviewMetadata::Attributes &link : links) {
        if (auto candidate = LinkPreviewMetadata::faviconCandidate(link, baseURL))
            candidates.append(std::move(*candidate));
    }
    std::stable_sort(
        candidates.begin(), candidates.end(), [](const auto &a, const auto &b) { return a.priority < b.priority; });

    QList<Url> urls;
    urls.reserve(candidates.size() + 2);
    for (const auto &candidate : std::as_const(candidates))
        urls.append(candidate.url);
    urls = uniqueURLs(urls);
    for (const QString &fallback : {QStringLiteral("/favicon.png"), QStringLiteral("/favicon.ico")}) {
        if (auto url = LinkPreviewMetadata::resolvedURL(fallback, baseURL))
            urls.append(std::move(*url));
    }
    return uniqueURLs(urls);
}

} // namespace

QStringList LinkPreviewMetadata::tagMatches(const QString &pattern, const QString &html)
{
    const IcuRegex expression(pattern, elementOptions);
    if (!expression.isValid())
        return {};
    const QStringView searched = upToLastElementEnd(html);
    QStringList texts;
    const QList<IcuRegex::Match> matches = expression.allMatches(searched);
    texts.reserve(matches.size());
    for (const IcuRegex::Match &match : matches)
        texts.append(match.captured(searched).toString());
    return texts;
}

LinkPreviewMetadata::Attributes LinkPreviewMetadata::tagAttributes(const QString &element)
{
    Attributes attributes;
    const IcuRegex &expression = attributeExpression();
    if (!expression.isValid())
        return attributes;
    const QList<IcuRegex::Match> matches = expression.allMatches(element);
    for (const IcuRegex::Match &match : matches) {
        if (!match.groups.value(1).isValid())
            continue;
        std::optional<QString> value;
        for (int group = 2; group <= 4 && !value; ++group) {
            if (match.groups.value(group).isValid())
                value = match.captured(element, group).toString();
        }
        if (!value)
            continue;
        attributes.insert(match.captured(element, 1).toString().toLower(), cleanedText(*value));
    }
    return attributes;
}

QString LinkPreviewMetadata::cleanedText(const QString &text)
{
    const QString collapsed = whitespaceRun().replaceAll(unescapedEntities(text), u" ");
    return TextUtilities::trimmedWhitespaceAndNewlines(collapsed);
}

std::optional<QString> LinkPreviewMetadata::firstMetaContent(
    const QStringList &keys, const QList<Attributes> &metaElements)
{
    for (const QString &key : keys) {
        const auto carriesKey = [&key](const Attributes &meta) {
            const auto property = meta.constFind(QStringLiteral("property"));
            if (property != meta.constEnd() && property->toLower() == key)
                return true;
            const auto name = meta.constFind(QStringLiteral("name"));
            return name != meta.constEnd() && name->toLower() == key;
        };
        const auto meta = std::find_if(metaElements.cbegin(), metaElements.cend(), carriesKey);
        if (meta == metaElements.cend())
            continue;
        if (auto content = nonEmptyTrimmed(meta->value(QStringLiteral("content"))))
            return content;
    }
    return std::nullopt;
}

std::optional<Url> LinkPreviewMetadata::resolvedURL(const QString &reference, const Url &baseURL)
{
    if (reference.isEmpty())
        return std::nullopt;
    const auto parsed = Url::parse(reference);
    if (!parsed)
        return std::nullopt;
    if (parsed->scheme)
        return parsed; // already absolute: kept as written
    const QUrl base = baseURL.toQUrl();
    const QUrl relative(parsed->toString(), QUrl::TolerantMode);
    if (!base.isValid() || !relative.isValid())
        return std::nullopt;
    const QUrl resolved = base.resolved(relative);
    if (!resolved.isValid() || resolved.scheme().isEmpty())
        return std::nullopt;
    return Url::parse(resolved.toString(QUrl::FullyEncoded));
}

std::optional<LinkPreviewMetadata::FaviconCandidate> LinkPreviewMetadata::faviconCandidate(
    const Attributes &link, const Url &baseURL)
{
    const QString rel = link.value(QStringLiteral("rel")).toLower();
    if (!rel.contains(QLatin1String("icon")))
        return std::nullopt;
    const auto href = link.constFind(QStringLiteral("href"));
    if (href == link.constEnd())
        return std::nullopt;
    auto url = resolvedURL(*href, baseURL);
    if (!url)
        return std::nullopt;

    const QString type = link.value(QStringLiteral("type")).toLower();
    const QString path = url->path.toLower();
    const bool isPNG = type.contains(QLatin1String("png")) || path.endsWith(QLatin1String(".png"));
    const bool isICO = type.contains(QLatin1String("x-icon")) || path.endsWith(QLatin1String(".ico"));

    int priority = 2;
    if (rel.contains(QLatin1String("apple-touch-icon")))
        priority = 0;
    else if (isPNG)
        priority = 1;
    else if (isICO)
        priority = 3;
    return FaviconCandidate {priority, std::move(*url)};
}

LinkPreviewMetadata LinkPreviewMetadata::parse(const QString &html, const Url &baseURL)
{
    const QList<Attributes> metaElements = elementAttributes(metaPattern(), html);

    LinkPreviewMetadata metadata;
    metadata.title = firstMetaContent({QStringLiteral("og:title"), QStringLiteral("twitter:title")}, metaElements);
    if (!metadata.title)
        metadata.title = titleElementText(html);
    metadata.description = firstMetaContent(
        {QStringLiteral("og:description"), QStringLiteral("description"), QStringLiteral("twitter:description")},
        metaElements);
    if (const auto image = firstMetaContent({QStringLiteral("og:image"), QStringLiteral("og:image:url"),
                                                QStringLiteral("twitter:image"), QStringLiteral("twitter:image:src")},
            metaElements))
        metadata.imageURL = resolvedURL(*image, baseURL);
    metadata.faviconURLs = collectFaviconURLs(html, baseURL);
    return metadata;
}
