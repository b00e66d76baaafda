// Every text transform on texts of 256 KiB, 512 KiB and 1 MiB (UTF-16 characters), grouped by family. The goal: each
// runs in linear time (n log n for the sorts) and takes under 200 ms on 1 MiB. The "worst case" entries feed the
// inputs that make a backtracking regular-expression engine quadratic.

#include "ClipboardTextTransform.h"

#include <QHash>
#include <QRandomGenerator>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <functional>

using T = ClipboardTextTransform;

namespace {

constexpr qsizetype kibibyte = 1024;
constexpr qsizetype mebibyte = 1024 * kibibyte;

// The text cut to about `size` characters, never between the halves of a surrogate pair.
QString cut(const QString &text, qsizetype size)
{
    qsizetype end = std::min(size, text.size());
    if (end > 0 && end < text.size() && text[end - 1].isHighSurrogate())
        --end;
    return text.left(end);
}

// Repeats the generator's pieces until the text holds at least `size` characters.
QString generated(qsizetype size, const std::function<QString(QRandomGenerator &, int)> &piece)
{
    QRandomGenerator random(1234);
    QString text;
    text.reserve(size + 256);
    for (int i = 0; text.size() < size; ++i)
        text += piece(random, i);
    return cut(text, size);
}

// Everyday text: prose with accents, identifiers, numbers, addresses and links, Markdown and HTML bits, tabs and
// trailing spaces, blank lines; every line differs from the others, so sorting has work to do.
QString everydayText(qsizetype size)
{
    static const QStringList words {QStringLiteral("the"), QStringLiteral("quick"), QStringLiteral("Brown"),
        QStringLiteral("fox"), QStringLiteral("jumps"), QStringLiteral("över"), QStringLiteral("lazy"),
        QStringLiteral("dog"), QStringLiteral("café"), QStringLiteral("naïve"), QStringLiteral("loadXMLData2Fast"),
        QStringLiteral("snake_case_name"), QStringLiteral("2020-01-02"), QStringLiteral("3.14"),
        QStringLiteral("john.doe@example.com"), QStringLiteral("https://example.org/a?b=1"), QStringLiteral("**bold**"),
        QStringLiteral("[link](http://x.y)"), QStringLiteral("<b>tag</b>"), QStringLiteral("\"quoted\""),
        QStringLiteral("it's"), QStringLiteral("—"), QStringLiteral("…"), QStringLiteral("\t"), QStringLiteral("of"),
        QStringLiteral("and"), QStringLiteral("file10"), QStringLiteral("File2"), QStringLiteral("ＡＢＣ")};
    return generated(size, [](QRandomGenerator &random, int line) {
        QString text;
        if (line % 17 == 0)
            text += QStringLiteral("# Heading %1\n").arg(line);
        if (line % 11 == 0)
            text += QStringLiteral("- item %1\n  \n\n").arg(line);
        const int count = 4 + int(random.bounded(14));
        for (int i = 0; i < count; ++i) {
            text += words.at(int(random.bounded(int(words.size()))));
            text += i + 1 < count ? QStringLiteral(" ") : QStringLiteral(". ");
        }
        text += QString::number(line);
        text += line % 5 == 0 ? QStringLiteral("   \r\n") : QStringLiteral("\n");
        return text;
    });
}

// A terminal session: prompts, escape sequences, continuations, output.
QString terminalText(qsizetype size)
{
    return generated(size, [](QRandomGenerator &, int line) {
        switch (line % 4) {
        case 0:
            return QStringLiteral("user@host ~/src %1 % make all \\\n    -j8\n").arg(line);
        case 1:
            return QStringLiteral("\x1B[1;32m$ \x1B[0mgit status --short %1\n").arg(line);
        case 2:
            return QStringLiteral(u"\u2502 \u276F npm test -- --grep case%1\n").arg(line);
        default:
            return QStringLiteral(" M src/file%1.cpp\n\n").arg(line);
        }
    });
}

QString encodedOf(T::Value encoder, qsizetype size)
{
    // Encodings grow the text: encode a prefix of whole lines whose encoding is about the size.
    QString prose = everydayText(size);
    QString encoded = T(encoder).apply(prose);
    if (encoded.size() > size) {
        prose = prose.left(prose.lastIndexOf(QLatin1Char('\n'), prose.size() * size / encoded.size()) + 1);
        encoded = T(encoder).apply(prose);
    }
    return encoded;
}

enum class Input {
    Everyday,
    Terminal,
    Base64,
    Hex,
    PercentEncoded,
    HtmlEncoded,
    BlankLines,
    LongToken,
    OpenTags,
    Accented,
    Graphemes,
    Scripts
};

QString input(Input kind, qsizetype size)
{
    static QHash<QPair<int, qsizetype>, QString> cache;
    const auto key = qMakePair(int(kind), size);
    if (const auto it = cache.constFind(key); it != cache.cend())
        return *it;
    QString text;
    switch (kind) {
    case Input::Everyday:
        text = everydayText(size);
        break;
    case Input::Terminal:
        text = terminalText(size);
        break;
    case Input::Base64:
        text = encodedOf(T::base64Encode, size);
        break;
    case Input::Hex:
        text = encodedOf(T::hexEncode, size);
        break;
    case Input::PercentEncoded:
        text = encodedOf(T::urlEncode, size);
        break;
    case Input::HtmlEncoded:
        text = encodedOf(T::htmlEncode, size);
        break;
    case Input::BlankLines:
        // Markdown line-start patterns on runs of blank lines.
        text = QStringLiteral("  \n\t\n").repeated(size / 5);
        break;
    case Input::LongToken:
        // One long run of address characters without an "@" (a Base64 blob, a minified script).
        text = QStringLiteral("abc.def-").repeated(size / 8);
        break;
    case Input::OpenTags:
        text = QStringLiteral("<<a").repeated(size / 3);
        break;
    case Input::Accented:
        text = QStringLiteral("éàüñçøﬁ ").repeated(size / 8);
        break;
    case Input::Scripts:
        // Words of scripts with combining signs and syllables: Devanagari, Korean, Russian, Vietnamese.
        text = QStringLiteral(u"नमस्ते दुनिया हिन्दी 한국어 문장 Привет мир Tiếng Việt\n").repeated(size / 48);
        break;
    case Input::Graphemes:
        text
            = QStringLiteral(u"漢字かな e\u0301 \U0001F1EB\U0001F1EE \U0001F469\u200D\U0001F4BB\n").repeated(size / 16);
        break;
    }
    cache.insert(key, text);
    return text;
}

void run(benchmark::State &state, T::Value transform, Input kind)
{
    const QString text = input(kind, qsizetype(state.range(0)));
    for (auto _ : state) {
        QString result = T(transform).apply(text);
        benchmark::DoNotOptimize(result);
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size() * 2);
}

struct Entry
{
    const char *family;
    T::Value transform;
    Input input = Input::Everyday;
    const char *variant = nullptr;
};

const Entry entries[] = {
    {"Case", T::apTitleCase},
    {"Case", T::camelCase},
    {"Case", T::lowerCase},
    {"Case", T::upperCase},
    {"Case", T::capitalizeWords},
    {"Case", T::capitalizeWords, Input::Scripts, "other scripts"},
    {"Case", T::dotCase},
    {"Case", T::kebabCase},
    {"Case", T::pascalCase},
    {"Case", T::screamingSnakeCase},
    {"Case", T::sentenceCase},
    {"Case", T::snakeCase},
    {"Case", T::titleCase},
    {"Lines", T::addBullets},
    {"Lines", T::addLineNumbers},
    {"Lines", T::csvToLines},
    {"Lines", T::doubleSpaceLines},
    {"Lines", T::indentLines},
    {"Lines", T::joinLines},
    {"Lines", T::linesToCSV},
    {"Lines", T::numberedList},
    {"Lines", T::quoteEachLine},
    {"Lines", T::removeDuplicateLines},
    {"Lines", T::reverseLines},
    {"Lines", T::shuffleLines},
    {"Lines", T::trimTrailingSpacesAllLines},
    {"Lines", T::trimLeadingWhitespaces},
    {"Lines", T::unindentLines},
    {"Lines", T::removeLineBreaks},
    {"Lines", T::removeEmptyLines},
    {"Sorting", T::naturalSortLines},
    {"Sorting", T::naturalSortLinesDescending},
    {"Sorting", T::sortLines},
    {"Sorting", T::sortLinesDescending},
    {"Sorting", T::sortLinesByLength},
    {"Sorting", T::sortLinesByLengthDescending},
    {"Whitespace", T::escapeNewlines},
    {"Whitespace", T::removeAllSpacing},
    {"Whitespace", T::removeExtraSpaces},
    {"Whitespace", T::removeWhitespaces},
    {"Whitespace", T::spacesToTabs},
    {"Whitespace", T::tabsToSpaces},
    {"Whitespace", T::trimTrailingNewlines},
    {"Whitespace", T::trimTrailingSpaces},
    {"Whitespace", T::unescapeNewlines},
    {"Whitespace", T::normalizeWhitespace},
    {"Whitespace", T::trimSurroundingWhitespaces},
    {"Wrapping", T::reverseWords},
    {"Wrapping", T::reverseText},
    {"Wrapping", T::reverseText, Input::Graphemes, "graphemes"},
    {"Wrapping", T::wrapInBrackets},
    {"Wrapping", T::wrapInParentheses},
    {"Wrapping", T::wrapInQuotes},
    {"Wrapping", T::wrapInSingleQuotes},
    {"Quotes", T::smartQuotes},
    {"Quotes", T::straightQuotes},
    {"Quotes", T::removeAccents},
    {"Quotes", T::removeAccents, Input::Accented, "accented"},
    {"Quotes", T::slugify},
    {"Markup", T::stripHTMLTags},
    {"Markup", T::stripHTMLTags, Input::OpenTags, "worst case"},
    {"Markup", T::stripMarkdown},
    {"Markup", T::stripMarkdown, Input::BlankLines, "worst case"},
    {"Encodings", T::base64Encode},
    {"Encodings", T::base64Decode, Input::Base64},
    {"Encodings", T::hexEncode},
    {"Encodings", T::hexDecode, Input::Hex},
    {"Encodings", T::urlEncode},
    {"Encodings", T::urlDecode, Input::PercentEncoded},
    {"Encodings", T::htmlEncode},
    {"Encodings", T::htmlDecode, Input::HtmlEncoded},
    {"Encodings", T::escapeRegex},
    {"Digests", T::md5Hash},
    {"Digests", T::sha256Hash},
    {"Digests", T::generateUUID},
    {"Extraction", T::extractEmails},
    {"Extraction", T::extractEmails, Input::LongToken, "worst case"},
    {"Extraction", T::extractNumbers},
    {"Extraction", T::extractURLs},
    {"Terminal", T::cleanTerminalCommand, Input::Terminal},
};

const bool registered = [] {
    QList<T::Value> covered;
    for (const Entry &entry : entries) {
        std::string name = std::string(entry.family) + "/" + T(entry.transform).englishTitle().toStdString();
        if (entry.variant)
            name += std::string(" (") + entry.variant + ")";
        benchmark::RegisterBenchmark(name.c_str(), run, entry.transform, entry.input)
            ->Arg(256 * kibibyte)
            ->Arg(512 * kibibyte)
            ->Arg(mebibyte)
            ->Complexity(benchmark::oN)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.2);
        covered.append(entry.transform);
    }
    for (const T::Value value : T::allCases()) {
        if (!covered.contains(value))
            qFatal("%s is not measured", qPrintable(T(value).englishTitle()));
    }
    return true;
}();

} // namespace
