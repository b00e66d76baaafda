#include "TerminalCommandCleaning.h"

#include "IcuRegex.h"
#include "TextUtilities.h"
#include "TransformSupport.h"
#include "WhitespaceAndMarkup.h"

#include <algorithm>

using namespace TransformSupport;
using TextUtilities::isWhitespace;
using TextUtilities::isWhitespaceOrNewline;

namespace TerminalCommandCleaning {

QString cleanTerminalCommand(const QString &text)
{
    // Control sequences as ECMA-48 writes them: ESC "[", parameter bytes, intermediate bytes, a final byte.
    static const IcuRegex escapeSequence(QStringLiteral("\\x{1B}\\[[0-?]*[ -/]*[@-~]"));
    const QString plain = escapeSequence.replaceAll(TextUtilities::normalizedLineEndings(text), u"");
    QStringList kept;
    for (const QString &line : plain.split(QLatin1Char('\n'))) {
        if (auto cleaned = cleanCommandLine(line))
            kept.append(std::move(*cleaned));
    }
    return WhitespaceAndMarkup::removeAllSpacing(kept.join(QLatin1Char(' ')));
}

std::optional<QString> cleanCommandLine(const QString &input)
{
    QString line = trimmed(input, isWhitespaceOrNewline);
    line = stripPromptDecorations(line);
    line = stripPromptPrefix(line);
    line = trimmed(line, isWhitespaceOrNewline);
    if (line.isEmpty())
        return std::nullopt;
    if (line.endsWith(QLatin1Char('\\'))) {
        line = trimmed(QStringView(line).chopped(1), isWhitespaceOrNewline);
        if (line.isEmpty())
            return std::nullopt;
    }
    return line;
}

QString stripPromptDecorations(const QString &input)
{
    static const QString decorations = QStringLiteral(u"\u2502\u2503\u2551\u258F\u258E\u258C\u2590>");
    QString line = input;
    // A decoration counts only as a character of its own, not with a combining mark on it.
    while (!line.isEmpty() && decorations.contains(line.front()) && firstGraphemeLength(line) == 1)
        line = trimmed(QStringView(line).mid(1), isWhitespace);
    return line;
}

QString stripPromptPrefix(const QString &line)
{
    static const IcuRegex prompts[] = {
        // A bare prompt character: "$ ", "# ", "% ", "❯ ", "➜ ".
        IcuRegex(QStringLiteral(u"^\\s*(?:[$#%\u276F\u279C])\\s+(.+)$")),
        // The usual bash prompt of Linux distributions, user@host:directory$, with the prompt character glued to
        // the directory. Tried before the next pattern, which would cut such a line at a later "#" or "$".
        IcuRegex(QStringLiteral("^\\s*[^ \\t\\n@]+@[^ \\t\\n:]+:[^ \\t\\n]*?[$#]\\s+(.+)$")),
        // user@host, then anything, then a prompt character.
        IcuRegex(QStringLiteral("^\\s*[^ \\t\\n]+@[^ \\t\\n]+\\s+.+?[$#%]\\s+(.+)$")),
        // One or two words (a host, a directory), then a prompt character.
        IcuRegex(QStringLiteral("^\\s*[^ \\t\\n]+(?:\\s+[^ \\t\\n]+)?\\s+[$#%]\\s+(.+)$")),
    };
    // Every pattern needs one of its prompt characters, the second and third an "@": most lines of output have
    // neither, and need not be matched at all.
    const auto contains = [&line](QStringView characters) {
        return std::any_of(line.cbegin(), line.cend(), [characters](QChar c) { return characters.contains(c); });
    };
    const bool hasPromptCharacter = contains(u"$#%");
    const bool hasAt = line.contains(QLatin1Char('@'));
    const bool mayMatch[] = {hasPromptCharacter || contains(u"\u276F\u279C"), hasPromptCharacter && hasAt,
        hasPromptCharacter && hasAt, hasPromptCharacter};
    for (int i = 0; i < int(std::size(prompts)); ++i) {
        const IcuRegex &prompt = prompts[i];
        if (!mayMatch[i] || !prompt.isValid())
            continue;
        const auto match = prompt.firstMatch(line);
        if (!match || !match->groups.value(1).isValid())
            continue;
        return match->captured(line, 1).toString();
    }
    return line;
}

} // namespace TerminalCommandCleaning
