#include "HistoryPreviewText.h"

#include "TextUtilities.h"

namespace HistoryPreviewText {

namespace {

constexpr char16_t middleDot = 0x00B7;
constexpr char16_t rightwardsArrow = 0x2192;

// Whether the line holds anything besides spaces, tabs and the other space separators.
bool hasVisibleCharacter(QStringView line)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c.isHighSurrogate() && i + 1 < line.size() && line.at(i + 1).isLowSurrogate())
            return true; // no space separator lies beyond the Basic Multilingual Plane
        if (!TextUtilities::isWhitespace(c.unicode()))
            return true;
    }
    return false;
}

} // namespace

QString truncatedPreviewText(QStringView text, std::optional<qsizetype> limit)
{
    if (!limit || *limit < 1 || text.size() <= *limit)
        return text.toString();
    qsizetype length = *limit;
    if (text.at(length - 1).isHighSurrogate() && text.at(length).isLowSurrogate())
        --length;
    return text.first(length) + QStringLiteral("...");
}

QString visibleWhitespaceLine(QStringView line)
{
    QString result(line.size(), Qt::Uninitialized);
    QChar *out = result.data();
    bool leading = true;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'\t')
            out[i] = QChar(rightwardsArrow);
        else if (c == u' ' && leading)
            out[i] = QChar(middleDot);
        else
            out[i] = c;
        leading = leading && (c == u' ' || c == u'\t');
    }
    return result;
}

QString historyPreviewText(QStringView text, std::optional<qsizetype> limit)
{
    const QString truncated = truncatedPreviewText(text, limit);
    const QStringView whole(truncated);
    const QString separator = QStringLiteral(" \u23CE ");
    QString result;
    result.reserve(truncated.size());
    qsizetype start = 0;
    for (qsizetype i = 0;; ++i) {
        const bool end = i == whole.size();
        if (!end && !TextUtilities::isNewline(whole.at(i).unicode()))
            continue;
        const QStringView line = whole.sliced(start, i - start);
        if (start > 0)
            result += separator;
        if (hasVisibleCharacter(line))
            result += visibleWhitespaceLine(line);
        if (end)
            break;
        // A carriage return and line feed end one line together.
        if (whole.at(i) == u'\r' && i + 1 < whole.size() && whole.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    return result;
}

} // namespace HistoryPreviewText
