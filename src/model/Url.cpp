#include "Url.h"

namespace {

bool isAlpha(char16_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char16_t c)
{
    return c >= '0' && c <= '9';
}

bool isHex(char16_t c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isAllowedAscii(char16_t c)
{
    if (isAlpha(c) || isDigit(c))
        return true;
    switch (c) {
    case '-':
    case '.':
    case '_':
    case '~': // unreserved
    case ':':
    case '/':
    case '?':
    case '#':
    case '[':
    case ']':
    case '@': // general delimiters
    case '!':
    case '$':
    case '&':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '+':
    case ',':
    case ';':
    case '=': // sub-delimiters
    case '%':
        return true;
    default:
        return false;
    }
}

bool hasOnlyAddressCharacters(const QString &text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= 0x80) {
            // Beyond ASCII: accepted, apart from controls and white space.
            const auto category = QChar::category(c);
            if (category == QChar::Other_Control || category == QChar::Separator_Space
                || category == QChar::Separator_Line || category == QChar::Separator_Paragraph)
                return false;
            continue;
        }
        if (!isAllowedAscii(c))
            return false;
        if (c == '%' && (i + 2 >= n || !isHex(text.at(i + 1).unicode()) || !isHex(text.at(i + 2).unicode())))
            return false;
    }
    return true;
}

bool isValidScheme(QStringView scheme)
{
    if (scheme.isEmpty() || !isAlpha(scheme.at(0).unicode()))
        return false;
    for (const QChar c : scheme) {
        const char16_t u = c.unicode();
        if (!isAlpha(u) && !isDigit(u) && u != '+' && u != '-' && u != '.')
            return false;
    }
    return true;
}

} // namespace

std::optional<Url> Url::parse(const QString &text)
{
    if (!hasOnlyAddressCharacters(text))
        return std::nullopt;

    Url url;
    QStringView rest(text);

    // Fragment, then query: the first "#" ends everything before it, the first "?" before that the path.
    if (const qsizetype hash = rest.indexOf(QLatin1Char('#')); hash >= 0) {
        url.fragment = rest.mid(hash + 1).toString();
        rest = rest.left(hash);
    }
    if (const qsizetype question = rest.indexOf(QLatin1Char('?')); question >= 0) {
        url.query = rest.mid(question + 1).toString();
        rest = rest.left(question);
    }
    // Scheme: the text before the first ":" when no "/" comes earlier and it is a valid scheme name.
    const qsizetype colon = rest.indexOf(QLatin1Char(':'));
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    if (colon > 0 && (slash < 0 || colon < slash) && isValidScheme(rest.left(colon))) {
        url.scheme = rest.left(colon).toString();
        rest = rest.mid(colon + 1);
    }
    if (rest.startsWith(QLatin1String("//"))) {
        url.hasAuthority = true;
        rest = rest.mid(2);
        const qsizetype end = rest.indexOf(QLatin1Char('/'));
        QStringView authority = end < 0 ? rest : rest.left(end);
        rest = end < 0 ? QStringView() : rest.mid(end);

        if (const qsizetype at = authority.lastIndexOf(QLatin1Char('@')); at >= 0) {
            url.userInfo = authority.left(at).toString();
            authority = authority.mid(at + 1);
        }
        if (authority.startsWith(QLatin1Char('['))) {
            const qsizetype close = authority.indexOf(QLatin1Char(']'));
            if (close < 0)
                return std::nullopt;
            url.host = authority.left(close + 1).toString();
            authority = authority.mid(close + 1);
            if (!authority.isEmpty()) {
                if (!authority.startsWith(QLatin1Char(':')))
                    return std::nullopt;
                url.port = authority.mid(1).toString();
            }
        } else {
            if (const qsizetype portColon = authority.lastIndexOf(QLatin1Char(':')); portColon >= 0) {
                url.port = authority.mid(portColon + 1).toString();
                authority = authority.left(portColon);
            }
            if (authority.contains(QLatin1Char('[')) || authority.contains(QLatin1Char(']')))
                return std::nullopt;
            url.host = authority.toString();
        }
        if (url.port) {
            for (const QChar c : *url.port) {
                if (!isDigit(c.unicode()))
                    return std::nullopt;
            }
        }
    }
    if (rest.contains(QLatin1Char('[')) || rest.contains(QLatin1Char(']')))
        return std::nullopt;
    url.path = rest.toString();
    return url;
}

QString Url::toString() const
{
    QString result;
    if (scheme)
        result += *scheme + QLatin1Char(':');
    if (hasAuthority) {
        result += QLatin1String("//");
        if (userInfo)
            result += *userInfo + QLatin1Char('@');
        result += host;
        if (port)
            result += QLatin1Char(':') + *port;
    }
    result += path;
    if (query)
        result += QLatin1Char('?') + *query;
    if (fragment)
        result += QLatin1Char('#') + *fragment;
    return result;
}
