#include "ShortcutConflicts.h"

#include <gtest/gtest.h>

using ShortcutConflicts::Assignment;
using ShortcutConflicts::conflictingTitle;

TEST(ShortcutConflicts, FindsTheFirstActionThatHoldsTheSameShortcut)
{
    const QList<Assignment> assignments {
        {QStringLiteral("Show clipboard history"), QString()},
        {QStringLiteral("Paste next item"), QStringLiteral("shift+command+v")},
        {QStringLiteral("Favorite"), QStringLiteral("cmd+s")},
        {QStringLiteral("Unknown key"), QStringLiteral("cmd+F1")},
        {QStringLiteral("Save"), QStringLiteral("command+s")},
    };
    const struct
    {
        const char16_t *candidate;
        std::optional<QString> title;
    } cases[] = {
        {u"", std::nullopt}, // even though an action has an empty shortcut
        {u"cmd+shift+v", QStringLiteral("Paste next item")},
        {u"command+s", QStringLiteral("Favorite")}, // the earlier of two
        {u"CMD+f1", QStringLiteral("Unknown key")}, // neither parses: equal ignoring case
        {u"cmd+f2", std::nullopt}, {u"cmd+ctrl+s", std::nullopt}, {u"cmd+v", std::nullopt},
        {u"foo+s", std::nullopt}, // parses to a plain S
    };
    for (const auto &testCase : cases) {
        const QString candidate = QString::fromUtf16(testCase.candidate);
        EXPECT_EQ(conflictingTitle(candidate, assignments), testCase.title) << qPrintable(candidate);
    }
}
