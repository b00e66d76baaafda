#include "ShortcutConflicts.h"

#include "ShortcutText.h"

std::optional<QString> ShortcutConflicts::conflictingTitle(
    const QString &candidate, const QList<Assignment> &assignments)
{
    if (candidate.isEmpty())
        return std::nullopt;
    const auto parsedCandidate = ShortcutText::parse(candidate);
    for (const Assignment &assignment : assignments) {
        if (assignment.shortcut.isEmpty())
            continue;
        const auto parsed = ShortcutText::parse(assignment.shortcut);
        const bool collides = parsed && parsedCandidate
            ? *parsed == *parsedCandidate
            : assignment.shortcut.compare(candidate, Qt::CaseInsensitive) == 0;
        if (collides)
            return assignment.title;
    }
    return std::nullopt;
}
