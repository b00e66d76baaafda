#include "RichTextConversion.h"

#include <QHash>
#include <QSet>

#include <cctype>

namespace RichTextConversion {

namespace {

const QHash<QString, char32_t> &namedEntities()
{
    // The character entities of HTML 4 (Latin-1, symbols and Greek, special characters), plus "apos".
    static const QHash<QString, char32_t> entities {
        {QStringLiteral("AElig"), 0xC6},
        {QStringLiteral("Aacute"), 0xC1},
        {QStringLiteral("Acirc"), 0xC2},
        {QStringLiteral("Agrave"), 0xC0},
        {QStringLiteral("Alpha"), 0x391},
        {QStringLiteral("Aring"), 0xC5},
        {QStringLiteral("Atilde"), 0xC3},
        {QStringLiteral("Auml"), 0xC4},
        {QStringLiteral("Beta"), 0x392},
        {QStringLiteral("Ccedil"), 0xC7},
        {QStringLiteral("Chi"), 0x3A7},
        {QStringLiteral("Dagger"), 0x2021},
        {QStringLiteral("Delta"), 0x394},
        {QStringLiteral("ETH"), 0xD0},
        {QStringLiteral("Eacute"), 0xC9},
        {QStringLiteral("Ecirc"), 0xCA},
        {QStringLiteral("Egrave"), 0xC8},
        {QStringLiteral("Epsilon"), 0x395},
        {QStringLiteral("Eta"), 0x397},
        {QStringLiteral("Euml"), 0xCB},
        {QStringLiteral("Gamma"), 0x393},
        {QStringLiteral("Iacute"), 0xCD},
        {QStringLiteral("Icirc"), 0xCE},
        {QStringLiteral("Igrave"), 0xCC},
        {QStringLiteral("Iota"), 0x399},
        {QStringLiteral("Iuml"), 0xCF},
        {QStringLiteral("Kappa"), 0x39A},
        {QStringLiteral("Lambda"), 0x39B},
        {QStringLiteral("Mu"), 0x39C},
        {QStringLiteral("Ntilde"), 0xD1},
        {QStringLiteral("Nu"), 0x39D},
        {QStringLiteral("OElig"), 0x152},
        {QStringLiteral("Oacute"), 0xD3},
        {QStringLiteral("Ocirc"), 0xD4},
        {QStringLiteral("Ograve"), 0xD2},
        {QStringLiteral("Omega"), 0x3A9},
        {QStringLiteral("Omicron"), 0x39F},
        {QStringLiteral("Oslash"), 0xD8},
        {QStringLiteral("Otilde"), 0xD5},
        {QStringLiteral("Ouml"), 0xD6},
        {QStringLiteral("Phi"), 0x3A6},
        {QStringLiteral("Pi"), 0x3A0},
        {QStringLiteral("Prime"), 0x2033},
        {QStringLiteral("Psi"), 0x3A8},
        {QStringLiteral("Rho"), 0x3A1},
        {QStringLiteral("Scaron"), 0x160},
        {QStringLiteral("Sigma"), 0x3A3},
        {QStringLiteral("THORN"), 0xDE},
        {QStringLiteral("Tau"), 0x3A4},
        {QStringLiteral("Theta"), 0x398},
        {QStringLiteral("Uacute"), 0xDA},
        {QStringLiteral("Ucirc"), 0xDB},
        {QStringLiteral("Ugrave"), 0xD9},
        {QStringLiteral("Upsilon"), 0x3A5},
        {QStringLiteral("Uuml"), 0xDC},
        {QStringLiteral("Xi"), 0x39E},
        {QStringLiteral("Yacute"), 0xDD},
        {QStringLiteral("Yuml"), 0x178},
        {QStringLiteral("Zeta"), 0x396},
        {QStringLiteral("aacute"), 0xE1},
        {QStringLiteral("acirc"), 0xE2},
        {QStringLiteral("acute"), 0xB4},
        {QStringLiteral("aelig"), 0xE6},
        {QStringLiteral("agrave"), 0xE0},
        {QStringLiteral("alefsym"), 0x2135},
        {QStringLiteral("alpha"), 0x3B1},
        {QStringLiteral("amp"), 0x26},
        {QStringLiteral("and"), 0x2227},
        {QStringLiteral("ang"), 0x2220},
        {QStringLiteral("aring"), 0xE5},
        {QStringLiteral("asymp"), 0x2248},
        {QStringLiteral("atilde"), 0xE3},
        {QStringLiteral("auml"), 0xE4},
        {QStringLiteral("bdquo"), 0x201E},
        {QStringLiteral("beta"), 0x3B2},
        {QStringLiteral("brvbar"), 0xA6},
        {QStringLiteral("bull"), 0x2022},
        {QStringLiteral("cap"), 0x2229},
        {QStringLiteral("ccedil"), 0xE7},
        {QStringLiteral("cedil"), 0xB8},
        {QStringLiteral("cent"), 0xA2},
        {QStringLiteral("chi"), 0x3C7},
        {QStringLiteral("circ"), 0x2C6},
        {QStringLiteral("clubs"), 0x2663},
        {QStringLiteral("cong"), 0x2245},
        {QStringLiteral("copy"), 0xA9},
        {QStringLiteral("crarr"), 0x21B5},
        {QStringLiteral("cup"), 0x222A},
        {QStringLiteral("curren"), 0xA4},
        {QStringLiteral("dArr"), 0x21D3},
        {QStringLiteral("dagger"), 0x2020},
        {QStringLiteral("darr"), 0x2193},
        {QStringLiteral("deg"), 0xB0},
        {QStringLiteral("delta"), 0x3B4},
        {QStringLiteral("diams"), 0x2666},
        {QStringLiteral("divide"), 0xF7},
        {QStringLiteral("eacute"), 0xE9},
        {QStringLiteral("ecirc"), 0xEA},
        {QStringLiteral("egrave"), 0xE8},
        {QStringLiteral("empty"), 0x2205},
        {QStringLiteral("emsp"), 0x2003},
        {QStringLiteral("ensp"), 0x2002},
        {QStringLiteral("epsilon"), 0x3B5},
        {QStringLiteral("equiv"), 0x2261},
        {QStringLiteral("eta"), 0x3B7},
        {QStringLiteral("eth"), 0xF0},
        {QStringLiteral("euml"), 0xEB},
        {QStringLiteral("euro"), 0x20AC},
        {QStringLiteral("exist"), 0x2203},
        {QStringLiteral("fnof"), 0x192},
        {QStringLiteral("forall"), 0x2200},
        {QStringLiteral("frac12"), 0xBD},
        {QStringLiteral("frac14"), 0xBC},
        {QStringLiteral("frac34"), 0xBE},
        {QStringLiteral("frasl"), 0x2044},
        {QStringLiteral("gamma"), 0x3B3},
        {QStringLiteral("ge"), 0x2265},
        {QStringLiteral("gt"), 0x3E},
        {QStringLiteral("hArr"), 0x21D4},
        {QStringLiteral("harr"), 0x2194},
        {QStringLiteral("hearts"), 0x2665},
        {QStringLiteral("hellip"), 0x2026},
        {QStringLiteral("iacute"), 0xED},
        {QStringLiteral("icirc"), 0xEE},
        {QStringLiteral("iexcl"), 0xA1},
        {QStringLiteral("igrave"), 0xEC},
        {QStringLiteral("image"), 0x2111},
        {QStringLiteral("infin"), 0x221E},
        {QStringLiteral("int"), 0x222B},
        {QStringLiteral("iota"), 0x3B9},
        {QStringLiteral("iquest"), 0xBF},
        {QStringLiteral("isin"), 0x2208},
        {QStringLiteral("iuml"), 0xEF},
        {QStringLiteral("kappa"), 0x3BA},
        {QStringLiteral("lArr"), 0x21D0},
        {QStringLiteral("lambda"), 0x3BB},
        {QStringLiteral("lang"), 0x2329},
        {QStringLiteral("laquo"), 0xAB},
        {QStringLiteral("larr"), 0x2190},
        {QStringLiteral("lceil"), 0x2308},
        {QStringLiteral("ldquo"), 0x201C},
        {QStringLiteral("le"), 0x2264},
        {QStringLiteral("lfloor"), 0x230A},
        {QStringLiteral("lowast"), 0x2217},
        {QStringLiteral("loz"), 0x25CA},
        {QStringLiteral("lrm"), 0x200E},
        {QStringLiteral("lsaquo"), 0x2039},
        {QStringLiteral("lsquo"), 0x2018},
        {QStringLiteral("lt"), 0x3C},
        {QStringLiteral("macr"), 0xAF},
        {QStringLiteral("mdash"), 0x2014},
        {QStringLiteral("micro"), 0xB5},
        {QStringLiteral("middot"), 0xB7},
        {QStringLiteral("minus"), 0x2212},
        {QStringLiteral("mu"), 0x3BC},
        {QStringLiteral("nabla"), 0x2207},
        {QStringLiteral("nbsp"), 0xA0},
        {QStringLiteral("ndash"), 0x2013},
        {QStringLiteral("ne"), 0x2260},
        {QStringLiteral("ni"), 0x220B},
        {QStringLiteral("not"), 0xAC},
        {QStringLiteral("notin"), 0x2209},
        {QStringLiteral("nsub"), 0x2284},
        {QStringLiteral("ntilde"), 0xF1},
        {QStringLiteral("nu"), 0x3BD},
        {QStringLiteral("oacute"), 0xF3},
        {QStringLiteral("ocirc"), 0xF4},
        {QStringLiteral("oelig"), 0x153},
        {QStringLiteral("ograve"), 0xF2},
        {QStringLiteral("oline"), 0x203E},
        {QStringLiteral("omega"), 0x3C9},
        {QStringLiteral("omicron"), 0x3BF},
        {QStringLiteral("oplus"), 0x2295},
        {QStringLiteral("or"), 0x2228},
        {QStringLiteral("ordf"), 0xAA},
        {QStringLiteral("ordm"), 0xBA},
        {QStringLiteral("oslash"), 0xF8},
        {QStringLiteral("otilde"), 0xF5},
        {QStringLiteral("otimes"), 0x2297},
        {QStringLiteral("ouml"), 0xF6},
        {QStringLiteral("para"), 0xB6},
        {QStringLiteral("part"), 0x2202},
        {QStringLiteral("permil"), 0x2030},
        {QStringLiteral("perp"), 0x22A5},
        {QStringLiteral("phi"), 0x3C6},
        {QStringLiteral("pi"), 0x3C0},
        {QStringLiteral("piv"), 0x3D6},
        {QStringLiteral("plusmn"), 0xB1},
        {QStringLiteral("pound"), 0xA3},
        {QStringLiteral("prime"), 0x2032},
        {QStringLiteral("prod"), 0x220F},
        {QStringLiteral("prop"), 0x221D},
        {QStringLiteral("psi"), 0x3C8},
        {QStringLiteral("quot"), 0x22},
        {QStringLiteral("rArr"), 0x21D2},
        {QStringLiteral("radic"), 0x221A},
        {QStringLiteral("rang"), 0x232A},
        {QStringLiteral("raquo"), 0xBB},
        {QStringLiteral("rarr"), 0x2192},
        {QStringLiteral("rceil"), 0x2309},
        {QStringLiteral("rdquo"), 0x201D},
        {QStringLiteral("real"), 0x211C},
        {QStringLiteral("reg"), 0xAE},
        {QStringLiteral("rfloor"), 0x230B},
        {QStringLiteral("rho"), 0x3C1},
        {QStringLiteral("rlm"), 0x200F},
        {QStringLiteral("rsaquo"), 0x203A},
        {QStringLiteral("rsquo"), 0x2019},
        {QStringLiteral("sbquo"), 0x201A},
        {QStringLiteral("scaron"), 0x161},
        {QStringLiteral("sdot"), 0x22C5},
        {QStringLiteral("sect"), 0xA7},
        {QStringLiteral("shy"), 0xAD},
        {QStringLiteral("sigma"), 0x3C3},
        {QStringLiteral("sigmaf"), 0x3C2},
        {QStringLiteral("sim"), 0x223C},
        {QStringLiteral("spades"), 0x2660},
        {QStringLiteral("sub"), 0x2282},
        {QStringLiteral("sube"), 0x2286},
        {QStringLiteral("sum"), 0x2211},
        {QStringLiteral("sup"), 0x2283},
        {QStringLiteral("sup1"), 0xB9},
        {QStringLiteral("sup2"), 0xB2},
        {QStringLiteral("sup3"), 0xB3},
        {QStringLiteral("supe"), 0x2287},
        {QStringLiteral("szlig"), 0xDF},
        {QStringLiteral("tau"), 0x3C4},
        {QStringLiteral("there4"), 0x2234},
        {QStringLiteral("theta"), 0x3B8},
        {QStringLiteral("thetasym"), 0x3D1},
        {QStringLiteral("thinsp"), 0x2009},
        {QStringLiteral("thorn"), 0xFE},
        {QStringLiteral("tilde"), 0x2DC},
        {QStringLiteral("times"), 0xD7},
        {QStringLiteral("trade"), 0x2122},
        {QStringLiteral("uArr"), 0x21D1},
        {QStringLiteral("uacute"), 0xFA},
        {QStringLiteral("uarr"), 0x2191},
        {QStringLiteral("ucirc"), 0xFB},
        {QStringLiteral("ugrave"), 0xF9},
        {QStringLiteral("uml"), 0xA8},
        {QStringLiteral("upsih"), 0x3D2},
        {QStringLiteral("upsilon"), 0x3C5},
        {QStringLiteral("uuml"), 0xFC},
        {QStringLiteral("weierp"), 0x2118},
        {QStringLiteral("xi"), 0x3BE},
        {QStringLiteral("yacute"), 0xFD},
        {QStringLiteral("yen"), 0xA5},
        {QStringLiteral("yuml"), 0xFF},
        {QStringLiteral("zeta"), 0x3B6},
        {QStringLiteral("zwj"), 0x200D},
        {QStringLiteral("zwnj"), 0x200C},
        {QStringLiteral("apos"), 0x27},
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
