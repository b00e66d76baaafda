#pragma once

#include <QList>
#include <QString>

#include <optional>

// Whether a shortcut that the user records is already taken by another action.
namespace ShortcutConflicts {

struct Assignment
{
    QString title; // the action's title as the user sees it
    QString shortcut; // its current shortcut text, possibly empty

    bool operator==(const Assignment &) const = default;
};

// The title of the first assignment that the candidate collides with, or nothing. Two texts that both parse
// collide when their key codes and modifier masks are equal (so "cmd+shift+v" and "shift+command+v" do);
// otherwise when the texts are equal ignoring case. Empty texts collide with nothing.
std::optional<QString> conflictingTitle(const QString &candidate, const QList<Assignment> &assignments);

} // namespace ShortcutConflicts
