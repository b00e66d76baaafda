#include "RichTextConversion.h"

#include <QHash>
#include <QSet>

#include <cctype>

namespace RichTextConversion {

namespace {

const QHash<QString, char32_t> &namedEntities()
{
    static const QHash<QString, char32_t> entities {
        {QStringLiteral("amp"), U'&'},
        {QStringLiteral("lt"), U'<'},
        {QStringLiteral("gt"), U'>'},
        {QStringLiteral("quot"), U'"'},
        {QStringLiteral("apos"), U'\''},
        {QStringLiteral("nbsp"), 0xA0},
        {QStringLiteral("copy"), 0xA9},
        {QStringLiteral("reg"), 0xAE},
        {QStringLiteral("trade"), 0x2122},
        {QStringLiteral("hellip"), 0x2026},
        {QStringLiteral("mdash"), 0x2014},
        {QStringLiteral("ndash"), 0x2013},
        {QStringLiteral("lsquo"), 0x2018},
        {QStringLiteral("rsquo"), 0x2019},
        {QStringLiteral("ldquo"), 0x201C},
        {QStringLiteral("rdquo"), 0x201D},
        {QStringLiteral("bull"), 0x2022},
        {QStringLiteral("middot"), 0xB7},
        {QStringLiteral("euro"), 0x20AC},
        {QStringLiteral("pound"), 0xA3},
        {QStringLiteral("yen"), 0xA5},
        {QStringLiteral("cent"), 0xA2},
        {QStringLiteral("sect"), 0xA7},
        {QStringLiteral("deg"), 0xB0},
        {QStringLiteral("laquo"), 0xAB},
        {QStringLiteral("raquo"), 0xBB},
        {QStringLiteral("times"), 0xD7},
        {QStringLiteral("divide"), 0xF7},
        {QStringLiteral("shy"), 0xAD},
        {QStringLiteral("ensp"), 0x2002},
        {QStringLiteral("emsp"), 0x2003},
        {QStringLiteral("thinsp"), 0x2009},
        {QStringLiteral("zwj"), 0x200D},
        {QStringLiteral("zwnj"), 0x200C},
    };
    return entities;
}

void appendCodePoint(QString &out, char32_t c)
{
    if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = 0xFFFD;
    const char32_t codePoint[1] = {c};
    out += QString::fromUcs4(codePoint, 1);
}

} // namespace

QString decodeHtmlEntities(const QString &text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('&')) {
            out.append(c);
            continue;
        }
        const qsizetype semicolon = text.indexOf(QLatin1Char(';'), i + 1);
        if (semicolon < 0 || semicolon - i > 12) {
            out.append(c);
            continue;
        }
        const QStringView name = QStringView(text).mid(i + 1, semicolon - i - 1);
        if (name.startsWith(QLatin1Char('#'))) {
            bool ok = false;
            const uint value = (name.size() > 1 && (name.at(1) == QLatin1Char('x') || name.at(1) == QLatin1Char('X')))
                ? name.mid(2).toUInt(&ok, 16)
                : name.mid(1).toUInt(&ok, 10);
            if (ok) {
                appendCodePoint(out, value);
                i = semicolon;
                continue;
            }
        } else if (const auto it = namedEntities().constFind(name.toString()); it != namedEntities().cend()) {
            appendCodePoint(out, it.value());
            i = semicolon;
            continue;
        }
        out.append(c);
    }
    return out;
}

namespace {

bool isHtmlSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')
        || c == QLatin1Char('\f');
}

const QSet<QString> &blockElements()
{
    static const QSet<QString> names {
        QStringLiteral("p"),
        QStringLiteral("div"),
        QStringLiteral("li"),
        QStringLiteral("ul"),
        QStringLiteral("ol"),
        QStringLiteral("tr"),
        QStringLiteral("table"),
        QStringLiteral("h1"),
        QStringLiteral("h2"),
        QStringLiteral("h3"),
        QStringLiteral("h4"),
        QStringLiteral("h5"),
        QStringLiteral("h6"),
        QStringLiteral("pre"),
        QStringLiteral("blockquote"),
        QStringLiteral("section"),
        QStringLiteral("article"),
        QStringLiteral("header"),
        QStringLiteral("footer"),
        QStringLiteral("dt"),
        QStringLiteral("dd"),
        QStringLiteral("hr"),
        QStringLiteral("address"),
        QStringLiteral("figure"),
        QStringLiteral("main"),
        QStringLiteral("nav"),
        QStringLiteral("aside"),
        QStringLiteral("form"),
    };
    return names;
}

} // namespace

QString plainTextFromHtml(const QString &html)
{
    QString out;
    out.reserve(html.size());
    const qsizetype n = html.size();
    int preDepth = 0;
    bool pendingSpace = false;

    auto breakLine = [&out, &pendingSpace] {
        pendingSpace = false;
        if (!out.isEmpty() && !out.endsWith(QLatin1Char('\n')))
            out.append(QLatin1Char('\n'));
    };

    QString textRun;
    auto flushText = [&] {
        if (textRun.isEmpty())
            return;
        const QString decoded = decodeHtmlEntities(textRun);
        textRun.clear();
        if (preDepth > 0) {
            out.append(decoded);
            return;
        }
        for (const QChar c : decoded) {
            if (isHtmlSpace(c)) {
                pendingSpace = true;
                continue;
            }
            if (pendingSpace && !out.isEmpty() && !out.endsWith(QLatin1Char('\n')))
                out.append(QLatin1Char(' '));
            pendingSpace = false;
            out.append(c == QChar(0xA0) ? QLatin1Char(' ') : c);
        }
    };

    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = html.at(i);
        if (c != QLatin1Char('<')) {
            textRun.append(c);
            continue;
        }
        // Comments and declarations.
        if (QStringView(html).mid(i, 4) == QLatin1String("<!--")) {
            const qsizetype end = html.indexOf(QLatin1String("-->"), i + 4);
            i = end < 0 ? n : end + 2;
            continue;
        }
        const qsizetype close = html.indexOf(QLatin1Char('>'), i + 1);
        if (close < 0) {
            textRun.append(html.mid(i));
            break;
        }
        flushText();
        QStringView tag = QStringView(html).mid(i + 1, close - i - 1).trimmed();
        const bool closing = tag.startsWith(QLatin1Char('/'));
        if (closing)
            tag = tag.mid(1);
        qsizetype nameEnd = 0;
        while (nameEnd < tag.size() && (tag.at(nameEnd).isLetterOrNumber() || tag.at(nameEnd) == QLatin1Char('-')))
            ++nameEnd;
        const QString name = tag.left(nameEnd).toString().toLower();
        i = close;

        if (!closing
            && (name == QLatin1String("script") || name == QLatin1String("style") || name == QLatin1String("head")
                || name == QLatin1String("title"))) {
            const qsizetype end = html.indexOf(QLatin1String("</") + name, i + 1, Qt::CaseInsensitive);
            if (end < 0)
                break;
            const qsizetype endClose = html.indexOf(QLatin1Char('>'), end);
            i = endClose < 0 ? n : endClose;
            continue;
        }
        if (name == QLatin1String("br")) {
            out.append(QLatin1Char('\n'));
            pendingSpace = false;
        } else if (name == QLatin1String("pre")) {
            breakLine();
            preDepth = qMax(0, preDepth + (closing ? -1 : 1));
        } else if (name == QLatin1String("td") || name == QLatin1String("th")) {
            if (closing)
                out.append(QLatin1Char('\t'));
        } else if (blockElements().contains(name)) {
            breakLine();
        }
    }
    flushText();
    while (out.endsWith(QLatin1Char('\n')) || out.endsWith(QLatin1Char('\t')))
        out.chop(1);
    return out;
}

namespace {

// Windows-1252 for the bytes 0x80 to 0x9F; the rest of the upper half is Latin-1.
char16_t windows1252(uchar byte)
{
    static const char16_t upper[32] = {
        0x20AC,
        0xFFFD,
        0x201A,
        0x0192,
        0x201E,
        0x2026,
        0x2020,
        0x2021,
        0x02C6,
        0x2030,
        0x0160,
        0x2039,
        0x0152,
        0xFFFD,
        0x017D,
        0xFFFD,
        0xFFFD,
        0x2018,
        0x2019,
        0x201C,
        0x201D,
        0x2022,
        0x2013,
        0x2014,
        0x02DC,
        0x2122,
        0x0161,
        0x203A,
        0x0153,
        0xFFFD,
        0x017E,
        0x0178,
    };
    if (byte >= 0x80 && byte <= 0x9F)
        return upper[byte - 0x80];
    return byte;
}

const QSet<QByteArray> &skippedDestinations()
{
    static const QSet<QByteArray> names {
        "fonttbl",
        "colortbl",
        "stylesheet",
        "info",
        "pict",
        "header",
        "footer",
        "headerl",
        "headerr",
        "headerf",
        "footerl",
        "footerr",
        "footerf",
        "listtable",
        "listoverridetable",
        "revtbl",
        "rsidtbl",
        "generator",
        "xmlnstbl",
        "themedata",
        "colorschememapping",
        "latentstyles",
        "datastore",
        "object",
        "fldinst",
        "filetbl",
        "expandedcolortbl",
    };
    return names;
}

} // namespace

QString plainTextFromRtf(const QByteArray &rtf)
{
    struct GroupState
    {
        bool skip = false;
        int unicodeSkip = 1;
    };
    QList<GroupState> stack {GroupState {}};
    QString out;
    out.reserve(rtf.size() / 2);
    int pendingSkip = 0; // fallback characters still to drop after a \uN
    const qsizetype n = rtf.size();

    auto put = [&](QChar c) {
        if (pendingSkip > 0) {
            --pendingSkip;
            return;
        }
        if (!stack.last().skip)
            out.append(c);
    };

    for (qsizetype i = 0; i < n; ++i) {
        const char c = rtf.at(i);
        if (c == '{') {
            stack.append(stack.last());
            pendingSkip = 0;
            continue;
        }
        if (c == '}') {
            if (stack.size() > 1)
                stack.removeLast();
            pendingSkip = 0;
            continue;
        }
        if (c == '\r' || c == '\n')
            continue;
        if (c != '\\') {
            put(QLatin1Char(c));
            continue;
        }
        if (++i >= n)
            break;
        const char next = rtf.at(i);
        if (next == '\\' || next == '{' || next == '}') {
            put(QLatin1Char(next));
            continue;
        }
        if (next == '\'') {
            if (i + 2 < n) {
                bool ok = false;
                const uint byte = rtf.mid(i + 1, 2).toUInt(&ok, 16);
                i += 2;
                if (ok)
                    put(QChar(windows1252(uchar(byte))));
            }
            continue;
        }
        if (next == '*') {
            stack.last().skip = true; // an ignorable destination we do not know
            continue;
        }
        if (next == '~') {
            put(QChar(0xA0));
            continue;
        }
        if (next == '-' || next == '_' || next == ':' || next == '|') {
            if (next == '_')
                put(QLatin1Char('-'));
            continue;
        }
        if (next == '\n' || next == '\r') {
            put(QLatin1Char('\n'));
            continue;
        }
        // A control word: letters, an optional signed number, an optional space delimiter.
        qsizetype start = i;
        while (i < n && std::isalpha(uchar(rtf.at(i))))
            ++i;
        const QByteArray word = rtf.mid(start, i - start);
        QByteArray numberText;
        if (i < n && (rtf.at(i) == '-' || std::isdigit(uchar(rtf.at(i))))) {
            const qsizetype numberStart = i++;
            while (i < n && std::isdigit(uchar(rtf.at(i))))
                ++i;
            numberText = rtf.mid(numberStart, i - numberStart);
        }
        if (i < n && rtf.at(i) != ' ')
            --i; // the delimiter belongs to the text
        if (word.isEmpty())
            continue;

        if (skippedDestinations().contains(word)) {
            stack.last().skip = true;
        } else if (word == "par" || word == "line" || word == "sect" || word == "page") {
            put(QLatin1Char('\n'));
        } else if (word == "tab" || word == "cell") {
            put(QLatin1Char('\t'));
        } else if (word == "row") {
            put(QLatin1Char('\n'));
        } else if (word == "uc") {
            stack.last().unicodeSkip = numberText.toInt();
        } else if (word == "u") {
            int value = numberText.toInt();
            if (value < 0)
                value += 65536;
            put(QChar(char16_t(value)));
            pendingSkip = stack.last().unicodeSkip;
        } else if (word == "emdash") {
            put(QChar(0x2014));
        } else if (word == "endash") {
            put(QChar(0x2013));
        } else if (word == "bullet") {
            put(QChar(0x2022));
        } else if (word == "lquote") {
            put(QChar(0x2018));
        } else if (word == "rquote") {
            put(QChar(0x2019));
        } else if (word == "ldblquote") {
            put(QChar(0x201C));
        } else if (word == "rdblquote") {
            put(QChar(0x201D));
        }
    }
    while (out.endsWith(QLatin1Char('\n')))
        out.chop(1);
    return out;
}

} // namespace RichTextConversion
