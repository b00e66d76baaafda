#include "LineOperations.h"

#include "TextUtilities.h"
#include "TransformSupport.h"

#include <QCollatorSortKey>
#include <QRandomGenerator>
#include <QSet>

#include <algorithm>
#include <numeric>

#include <unicode/uchar.h>

using namespace TransformSupport;
using TextUtilities::isNewline;
using TextUtilities::isWhitespace;
using TextUtilities::isWhitespaceOrNewline;

namespace LineOperations {

namespace {

template<typename Map> QString mappedLines(const QString &text, Map map)
{
    QStringList lines = splitLines(text);
    for (QString &line : lines)
        line = map(line);
    return lines.join(QLatin1Char('\n'));
}

// The pieces of the text between separator characters, trimmed of white space and newlines, without the empty ones.
QStringList trimmedPieces(QStringView text, bool (*isSeparator)(char16_t))
{
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !isSeparator(text[i].unicode()))
            continue;
        QString piece = trimmed(text.mid(start, i - start), isWhitespaceOrNewline);
        if (!piece.isEmpty())
            pieces.append(std::move(piece));
        start = i + 1;
    }
    return pieces;
}

bool isComma(char16_t c)
{
    return c == u',';
}

bool isNewlineUnit(char16_t c)
{
    return isNewline(c);
}

} // namespace

QString addLineNumbers(const QString &text)
{
    const QStringList lines = splitLines(text);
    QString result;
    result.reserve(text.size() + lines.size() * 8);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            result.append(QLatin1Char('\n'));
        result.append(QString::number(i + 1));
        result.append(QLatin1String(". "));
        result.append(lines.at(i));
    }
    return result;
}

QString addBullets(const QString &text)
{
    QStringList items;
    for (const QString &line : splitLines(text))
        items.append(trimmedPieces(line, isComma));
    for (QString &item : items)
        item.prepend(QLatin1String("- "));
    return items.join(QLatin1Char('\n'));
}

QString quoteEachLine(const QString &text)
{
    return mappedLines(text, [](const QString &line) -> QString { return QLatin1Char('"') + line + QLatin1Char('"'); });
}

QString indentLines(const QString &text)
{
    return mappedLines(text, [](const QString &line) -> QString { return QLatin1String("    ") + line; });
}

QString unindentLines(const QString &text)
{
    return mappedLines(text, [](const QString &line) -> QString {
        if (line.startsWith(QLatin1String("    ")))
            return line.mid(4);
        if (line.startsWith(QLatin1Char('\t')) || line.startsWith(QLatin1Char(' ')))
            return line.mid(1);
        return line;
    });
}

QString doubleSpaceLines(const QString &text)
{
    return splitLines(text).join(QLatin1String("\n\n"));
}

namespace {

bool isPrepend(char32_t c)
{
    return u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK) == U_GCB_PREPEND;
}

} // namespace

QString trimTrailingSpacesAllLines(const QString &text)
{
    return mappedLines(text, [](const QString &line) -> QString {
        qsizetype end = line.size();
        while (end > 0 && isWhitespace(line[end - 1].unicode())) {
            const bool isTab = line[end - 1] == QLatin1Char('\t');
            --end;
            // A space separator ends the character of the prepended marks before it ("\u0600 " is one
            // character), and that whole character goes.
            while (!isTab && end > 0) {
                char32_t c = line[end - 1].unicode();
                qsizetype length = 1;
                if (line[end - 1].isLowSurrogate() && end > 1 && line[end - 2].isHighSurrogate()) {
                    c = QChar::surrogateToUcs4(line[end - 2], line[end - 1]);
                    length = 2;
                }
                if (!isPrepend(c))
                    break;
                end -= length;
            }
        }
        return line.left(end);
    });
}

QString trimLeadingWhitespaces(const QString &text)
{
    return mappedLines(text, [](const QString &line) -> QString {
        // Whole characters go: a space with a combining mark on it is one character.
        QStringView rest(line);
        while (!rest.isEmpty() && isWhitespace(rest[0].unicode()))
            rest = rest.mid(firstGraphemeLength(rest));
        return rest.toString();
    });
}

QString joinLines(const QString &text)
{
    QStringList kept;
    for (const QString &line : splitLines(text)) {
        QString piece = trimmed(line, isWhitespace);
        if (!piece.isEmpty())
            kept.append(std::move(piece));
    }
    return kept.join(QLatin1String(", "));
}

QString csvToLines(const QString &text)
{
    return trimmedPieces(text, isComma).join(QLatin1Char('\n'));
}

QString removeLineBreaks(const QString &text)
{
    return trimmedPieces(text, isNewlineUnit).join(QLatin1Char(' '));
}

QString reverseLines(const QString &text)
{
    QStringList lines = splitLines(text);
    std::reverse(lines.begin(), lines.end());
    return lines.join(QLatin1Char('\n'));
}

QString shuffleLines(const QString &text)
{
    QStringList lines = splitLines(text);
    // Fisher–Yates with unbiased bounded draws from the securely seeded generator.
    QRandomGenerator *random = QRandomGenerator::global();
    for (qsizetype i = lines.size() - 1; i > 0; --i) {
        const qsizetype j = qsizetype(random->bounded(qint64(i) + 1));
        if (j != i)
            lines.swapItemsAt(i, j);
    }
    return lines.join(QLatin1Char('\n'));
}

QString removeDuplicateLines(const QString &text)
{
    const QStringList lines = splitLines(text);
    QSet<QString> seen;
    seen.reserve(lines.size());
    QStringList kept;
    for (const QString &line : lines) {
        if (!seen.contains(line)) {
            seen.insert(line);
            kept.append(line);
        }
    }
    return kept.join(QLatin1Char('\n'));
}

QString removeEmptyLines(const QString &text)
{
    QStringList kept;
    bool previousBlank = false;
    for (const QString &line : splitLines(text)) {
        if (!TextUtilities::isBlank(line)) {
            kept.append(line);
            previousBlank = false;
        } else if (!previousBlank) {
            kept.append(QString());
            previousBlank = true;
        }
    }
    return kept.join(QLatin1Char('\n'));
}

namespace {

// The lines in the order of their collation keys; the sort is stable, so equal lines keep their order.
QString sortedByCollation(const QString &text, bool numeric, bool descending)
{
    QStringList lines = splitLines(text);
    QCollator collator = localeCollator();
    if (numeric) {
        // Digits by value, case as the last resort (so "a" and "A" still have an order), as file browsers sort.
        collator.setNumericMode(true);
        collator.setCaseSensitivity(Qt::CaseSensitive);
    } else {
        collator.setCaseSensitivity(Qt::CaseInsensitive);
    }
    std::vector<QCollatorSortKey> keys;
    keys.reserve(lines.size());
    for (const QString &line : lines)
        keys.push_back(collator.sortKey(line));
    std::vector<qsizetype> order(lines.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int comparison = keys[a].compare(keys[b]);
        return descending ? comparison > 0 : comparison < 0;
    });
    QStringList sorted;
    sorted.reserve(lines.size());
    for (const qsizetype index : order)
        sorted.append(lines.at(index));
    return sorted.join(QLatin1Char('\n'));
}

// Plain comparison by Unicode code point (UTF-16 order differs for characters above the surrogates).
int compareCodePoints(QStringView a, QStringView b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x == y)
            continue;
        if (x >= 0xD800 && y >= 0xD800) {
            x = x >= 0xE000 ? x - 0x800 : x + 0x2000;
            y = y >= 0xE000 ? y - 0x800 : y + 0x2000;
        }
        return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

QString sortedByLength(const QString &text, bool descending)
{
    const QStringList lines = splitLines(text);
    // Grapheme clusters never span a line feed, so one walk over the joined lines counts every line.
    const QString joined = lines.join(QLatin1Char('\n'));
    std::vector<qsizetype> lengths;
    lengths.reserve(lines.size());
    GraphemeCursor cursor(joined);
    qsizetype count = 0;
    for (qsizetype position = 0; position < joined.size();) {
        if (joined[position] == QLatin1Char('\n')) {
            lengths.push_back(count);
            count = 0;
            ++position;
            continue;
        }
        ++count;
        position = cursor.nextBoundary(position);
    }
    lengths.push_back(count);

    std::vector<qsizetype> order(lines.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        if (lengths[a] != lengths[b])
            return descending ? lengths[a] > lengths[b] : lengths[a] < lengths[b];
        const int comparison = compareCodePoints(lines.at(a), lines.at(b));
        return descending ? comparison > 0 : comparison < 0;
    });
    QStringList sorted;
    sorted.reserve(lines.size());
    for (const qsizetype index : order)
        sorted.append(lines.at(index));
    return sorted.join(QLatin1Char('\n'));
}

} // namespace

QString sortLines(const QString &text)
{
    return sortedByCollation(text, false, false);
}

QString sortLinesDescending(const QString &text)
{
    return sortedByCollation(text, false, true);
}

QString naturalSortLines(const QString &text)
{
    return sortedByCollation(text, true, false);
}

QString naturalSortLinesDescending(const QString &text)
{
    return sortedByCollation(text, true, true);
}

QString sortLinesByLength(const QString &text)
{
    return sortedByLength(text, false);
}

QString sortLinesByLengthDescending(const QString &text)
{
    return sortedByLength(text, true);
}

} // namespace LineOperations
