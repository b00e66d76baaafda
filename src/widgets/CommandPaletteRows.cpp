#include "CommandPaletteRows.h"

#include "CaseFoldedText.h"
#include "ShortcutText.h"

#include <algorithm>

QList<CommandPaletteRow> commandPaletteRows(const QList<CommandPaletteCommand> &commands)
{
    QList<CommandPaletteRow> rows;
    std::optional<int> previousSection;
    bool hasCommandRow = false;
    for (const CommandPaletteCommand &command : commands) {
        if (!previousSection || *previousSection != command.section) {
            if (!command.sectionTitle) {
                if (hasCommandRow)
                    rows.append(CommandPaletteRow {CommandPaletteRow::Kind::divider, {}, false, {}});
            } else if (!command.sectionTitle->isEmpty()) {
                rows.append(CommandPaletteRow {
                    CommandPaletteRow::Kind::sectionHeader, *command.sectionTitle, hasCommandRow, {}});
            }
        }
        rows.append(CommandPaletteRow {CommandPaletteRow::Kind::command, {}, false, command});
        hasCommandRow = true;
        previousSection = command.section;
    }
    return rows;
}

QString commandPaletteQuery(const QString &searchText)
{
    return searchText.trimmed();
}

bool commandPaletteCommandMatches(const CommandPaletteCommand &command, const QString &query)
{
    if (query.isEmpty())
        return true;
    // Case folded fully, as the history's search folds it: "gross" finds "Großbuchstaben"; accents count.
    const CaseFoldedText needle = CaseFoldedText::needle(query);
    const auto contains = [&](const QString &text) { return CaseFoldedText(text).contains(needle); };
    return contains(command.title) || (command.description && contains(*command.description))
        || (command.shortcut && contains(*command.shortcut))
        || contains(shortcutKeyCaps(command.shortcut).join(QString()));
}

QStringList shortcutKeyCaps(const std::optional<QString> &shortcut)
{
    QStringList caps;
    if (!shortcut || shortcut->isEmpty())
        return caps;
    // A shortcut of known modifier words: the names every other surface writes, in the same order.
    const QStringList words = ShortcutText::parts(*shortcut);
    const bool onlyModifiers = std::all_of(words.cbegin(), words.cend() - (words.isEmpty() ? 0 : 1),
        [](const QString &word) { return ShortcutText::modifierForWord(word) != 0; });
    if (const QStringList names = ShortcutText::displayNames(*shortcut); onlyModifiers && !names.isEmpty())
        return names;
    QStringList parts;
    for (const QString &part : shortcut->split(QLatin1Char('+'), Qt::SkipEmptyParts))
        parts.append(part.toLower());
    const QString key = parts.isEmpty() ? *shortcut : parts.takeLast();
    for (const QString &modifier : std::as_const(parts)) {
        if (const auto name = ShortcutText::modifierDisplayName(modifier))
            caps.append(*name);
        else
            caps.append(modifier.left(1).toUpper() + modifier.mid(1).toLower());
    }
    caps.append(shortcutKeyGlyph(key));
    return caps;
}

QString shortcutKeyGlyph(const QString &keyName)
{
    if (const auto name = ShortcutText::keyDisplayName(keyName))
        return *name;
    return keyName.toUpper();
}

qreal commandPaletteRowHeight(const CommandPaletteRow &row)
{
    switch (row.kind) {
    case CommandPaletteRow::Kind::divider:
        return 12;
    case CommandPaletteRow::Kind::sectionHeader:
        return row.hasTopSpacing ? 34 : 24;
    case CommandPaletteRow::Kind::command:
        return row.command.description && !row.command.description->isEmpty() ? 50 : 34;
    }
    return 34;
}
