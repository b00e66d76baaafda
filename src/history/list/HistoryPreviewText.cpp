#include "HistoryPreviewText.h"

#include "TextUtilities.h"
#include "TransformSupport.h"

namespace {

constexpr char16_t middleDot = u'\u00B7';
constexpr char16_t rightwardsArrow = u'\u2192';
const QString lineSeparator = QStringLiteral(" \u23CE ");

// Whether the line holds a character outside space, tab and the other space separators.
bool hasVisibleCharacter(QStringView line)
{
    // Every white-space character lies in the Basic Multilingual Plane, and a surrogate is never one of them.
    for (const QChar c : line) {
        if (!TextUtilities::isWhitespace(c.unicode()))
            return true;
    }
    return false;
}

void appendLine(QString &result, QStringView line)
{
    if (hasVisibleCharacter(line))
        result += visibleWhitespaceLine(line);
}

} // namespace

qsizetype endOfCharacters(QStringView text, qsizetype count)
{
    if (count <= 0)
        return 0;
    if (text.size() < count) // a character takes at least one code unit
        return -1;
    TransformSupport::GraphemeCursor cursor(text);
    qsizetype position = 0;
    for (qsizetype i = 0; i < count; ++i) {
        if (position >= text.size())
            return -1;
        position = cursor.nextBoundary(position);
    }
    return position;
}

QString truncatedPreviewText(const QString &text, std::optional<int> limit)
{
    if (!limit || *limit < 1 || text.size() <= *limit)
        return text;
    const qsizetype end = endOfCharacters(text, *limit);
    if (end < 0 || end >= text.size())
        return text;
    return text.left(end) + QStringLiteral("...");
}

QString visibleWhitespaceLine(QStringView line)
{
    QString result;
    result.reserve(line.size());
    qsizetype i = 0;
    for (; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u' ')
            result += middleDot;
        else if (c == u'\t')
            result += rightwardsArrow;
        else
            break;
    }
    for (; i < line.size(); ++i) {
        const QChar c = line.at(i);
        result += c == u'\t' ? QChar(rightwardsArrow) : c;
    }
    return result;
}

QString historyPreviewText(const QString &text, std::optional<int> limit)
{
    const QString truncated = truncatedPreviewText(text, limit);
    const QStringView view(truncated);
    QString result;
    result.reserve(truncated.size() + 16);
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < view.size(); ++i) {
        const char16_t c = view.at(i).unicode();
        if (!TextUtilities::isNewline(c))
            continue;
        appendLine(result, view.mid(lineStart, i - lineStart));
        result += lineSeparator;
        if (c == u'\r' && i + 1 < view.size() && view.at(i + 1) == u'\n')
            ++i;
        lineStart = i + 1;
    }
    appendLine(result, view.mid(lineStart));
    return result;
}
