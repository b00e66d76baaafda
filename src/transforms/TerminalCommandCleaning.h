#pragma once

#include <QString>

#include <optional>

// Turns a command copied from a terminal or from rendered documentation into one line for a shell: escape
// sequences, decoration bars, prompts and backslash continuations go, and everything is joined into one line.
namespace TerminalCommandCleaning {

QString cleanTerminalCommand(const QString &text);

// One line cleaned; nothing when nothing is left of it.
std::optional<QString> cleanCommandLine(const QString &line);
// Leading bars and block characters (and ">") that terminals and renderers draw before a command.
QString stripPromptDecorations(const QString &line);
// The command after a shell prompt ("$ ", "user@host dir % ", "host dir # "); the line itself without one.
QString stripPromptPrefix(const QString &line);

} // namespace TerminalCommandCleaning
