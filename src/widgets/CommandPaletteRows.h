#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// One command of the command palette: what it is called, how it is found and shown, and what it does.
struct CommandPaletteCommand
{
    QString title;
    std::optional<QString> description; // one line under the title; a non-empty one makes the row taller
    std::optional<QString> shortcut; // shortcut text such as "shift+cmd+v", shown as key caps
    QImage image; // a custom icon (an application's), shown instead of the symbol
    QString systemImageName; // the symbol when there is no image
    bool showsIcon = true;
    std::optional<QString> sectionTitle; // the title of the section this command opens
    int section = 0; // consecutive commands with the same number form one section
    bool isDestructive = false;
    bool isChecked = false; // the current choice of a picker
    std::function<void()> action;
    QString id; // what callers tell commands apart by; titles are translated
};

// One row of the palette's list: a section title, a command or a divider between untitled sections.
struct CommandPaletteRow
{
    enum class Kind { sectionHeader, command, divider };

    Kind kind = Kind::divider;
    QString title; // of a header
    bool hasTopSpacing = false; // of a header below commands
    CommandPaletteCommand command; // of a command row

    bool isCommand() const { return kind == Kind::command; }
};

// The rows for the commands in their order: a header where a titled section starts (with space above it unless
// it is the first), a divider where an untitled section starts below commands, then the command.
QList<CommandPaletteRow> commandPaletteRows(const QList<CommandPaletteCommand> &commands);

// The query trimmed; an empty one lets everything pass. Otherwise the title, the description, the shortcut text
// or its key caps run together must contain it, without regard to case (folded fully: "ss" matches "ß"); accents
// count.
QString commandPaletteQuery(const QString &searchText);
bool commandPaletteCommandMatches(const CommandPaletteCommand &command, const QString &query);

// The key caps of shortcut text as this platform writes keys, modifiers in the order the text has them:
// "shift+cmd+v" gives "Shift", "Ctrl", "V". Unknown modifier words are capitalised, unknown keys upper-cased.
QStringList shortcutKeyCaps(const std::optional<QString> &shortcut);
// The key cap of a key name: "return" is "Enter", "delete" "Backspace", "escape" "Esc", arrows by name, any other
// name upper-cased.
QString shortcutKeyGlyph(const QString &keyName);

// Heights of the rows: divider 12; header 34 with space above, else 24; command 50 with a description, else 34.
qreal commandPaletteRowHeight(const CommandPaletteRow &row);
