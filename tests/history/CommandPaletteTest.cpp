#include "CommandPalette.h"
#include "CommandPaletteRows.h"
#include "ItemCommandMenu.h"
#include "Localization.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

CommandPaletteCommand command(const QString &title, int section = 0, std::optional<QString> sectionTitle = {},
    std::optional<QString> shortcut = {}, std::optional<QString> description = {})
{
    CommandPaletteCommand made;
    made.title = title;
    made.section = section;
    made.sectionTitle = std::move(sectionTitle);
    made.shortcut = std::move(shortcut);
    made.description = std::move(description);
    made.systemImageName = QStringLiteral("doc.on.doc");
    made.id = title;
    return made;
}

// Rows as text: "# title" (with "^" for space above), "---" for a divider, a command by its title.
QStringList describe(const QList<CommandPaletteRow> &rows)
{
    QStringList lines;
    for (const CommandPaletteRow &row : rows) {
        switch (row.kind) {
        case CommandPaletteRow::Kind::sectionHeader:
            lines.append(QStringLiteral("# ") + row.title + (row.hasTopSpacing ? QStringLiteral("^") : QString()));
            break;
        case CommandPaletteRow::Kind::divider:
            lines.append(QStringLiteral("---"));
            break;
        case CommandPaletteRow::Kind::command:
            lines.append(row.command.title);
            break;
        }
    }
    return lines;
}

QString selectedTitle(const CommandPalette &palette)
{
    const int row = palette.selectedRow();
    return row < 0 ? QString() : palette.rows().at(row).command.title;
}

void press(QWidget &target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(&target, Qt::Key(key), modifiers);
}

} // namespace

TEST(CommandPaletteRows, SectionsGiveHeadersAndDividers)
{
    EXPECT_EQ(describe(commandPaletteRows({command(u"a"_qs, 1), command(u"b"_qs, 1), command(u"c"_qs, 2)})),
        QStringList({u"a"_qs, u"b"_qs, u"---"_qs, u"c"_qs}));
    EXPECT_EQ(describe(commandPaletteRows(
                  {command(u"a"_qs, 1, u"A"_qs), command(u"b"_qs, 1, u"A"_qs), command(u"c"_qs, 2, u"B"_qs)})),
        QStringList({u"# A"_qs, u"a"_qs, u"b"_qs, u"# B^"_qs, u"c"_qs}));
    // The first section after filtering has no space above; an empty title adds nothing; a section number that
    // comes back opens a new section.
    EXPECT_EQ(describe(commandPaletteRows({command(u"c"_qs, 2, u"B"_qs)})), QStringList({u"# B"_qs, u"c"_qs}));
    EXPECT_EQ(describe(commandPaletteRows({command(u"a"_qs, 1), command(u"b"_qs, 2, u""_qs), command(u"c"_qs, 1)})),
        QStringList({u"a"_qs, u"b"_qs, u"---"_qs, u"c"_qs}));

    EXPECT_EQ(commandPaletteRowHeight(commandPaletteRows({command(u"a"_qs)}).first()), 34);
    EXPECT_EQ(commandPaletteRowHeight(commandPaletteRows({command(u"a"_qs, 0, {}, {}, u""_qs)}).first()), 34);
    EXPECT_EQ(commandPaletteRowHeight(commandPaletteRows({command(u"a"_qs, 0, {}, {}, u"what"_qs)}).first()), 50);
}

// The palette's badge and the item menu write the same shortcut the same way, in any interface language.
TEST(CommandPaletteRows, BadgesAndTheItemMenuWriteAShortcutAlike)
{
    for (const char *language : {"en", "de", "es"}) {
        setCurrentInterfaceLanguage(QString::fromLatin1(language));
        for (const QString &shortcut :
            {u"shift+cmd+c"_qs, u"option+cmd+h"_qs, u"cmd+delete"_qs, u"shift+cmd+return"_qs, u"control+shift+v"_qs}) {
            EXPECT_EQ(shortcutKeyCaps(shortcut).join(u'+'), ItemCommandMenu::keyText(shortcut).value_or(QString()))
                << language << " " << qPrintable(shortcut);
        }
    }
    setCurrentInterfaceLanguage(u"en"_qs);
}

TEST(CommandPaletteRows, KeyCapsAsThisPlatformWritesKeys)
{
    const QList<std::pair<std::optional<QString>, QStringList>> cases = {
        {u"cmd+delete"_qs, {u"Ctrl"_qs, u"Backspace"_qs}},
        {u"return"_qs, {u"Enter"_qs}},
        {u"shift+cmd+up"_qs, {u"Ctrl"_qs, u"Shift"_qs, u"Up"_qs}},
        {u"Cmd+Shift+K"_qs, {u"Ctrl"_qs, u"Shift"_qs, u"K"_qs}},
        {u"option+control+v"_qs, {u"Super"_qs, u"Alt"_qs, u"V"_qs}},
        {u"escape"_qs, {u"Esc"_qs}},
        {u"cmd+"_qs, {u"CMD"_qs}},
        {u"fn+f1"_qs, {u"Fn"_qs, u"F1"_qs}},
        {u"hyper+x"_qs, {u"Hyper"_qs, u"X"_qs}},
        {u"+"_qs, {u"+"_qs}},
        {u""_qs, {}},
        {std::nullopt, {}},
    };
    for (const auto &[shortcut, caps] : cases)
        EXPECT_EQ(shortcutKeyCaps(shortcut), caps) << shortcut.value_or(u"(none)"_qs).toStdString();
}

TEST(CommandPalette, FiltersByTitleDescriptionShortcutAndKeyCaps)
{
    CommandPalette palette({command(u"Paste"_qs, 0, {}, u"return"_qs), command(u"Copy"_qs, 0, {}, u"cmd+c"_qs),
                               command(u"Upper Case"_qs, 1, u"Transforms"_qs, {}, u"MAKE IT LOUD"_qs)},
        QSize(400, 450), u"Search for actions..."_qs, u"cmd+k"_qs);
    const auto titlesFor = [&](const QString &query) {
        palette.searchField().setText(query);
        QStringList titles;
        for (const CommandPaletteRow &row : palette.rows())
            titles.append(row.isCommand() ? row.command.title : u"#"_qs);
        return titles;
    };
    EXPECT_EQ(titlesFor(u"   "_qs), QStringList({u"Paste"_qs, u"Copy"_qs, u"#"_qs, u"Upper Case"_qs}));
    EXPECT_FALSE(palette.noResultsLabel().isVisibleTo(&palette));
    EXPECT_EQ(titlesFor(u"loud"_qs), QStringList({u"#"_qs, u"Upper Case"_qs})); // a description, any case
    EXPECT_EQ(titlesFor(u"cmd"_qs), QStringList({u"Copy"_qs})); // the shortcut text
    EXPECT_EQ(titlesFor(u"ctrlc"_qs), QStringList({u"Copy"_qs})); // its key caps run together
    EXPECT_EQ(titlesFor(u"enter"_qs), QStringList({u"Paste"_qs}));
    EXPECT_EQ(titlesFor(u"nothing like it"_qs), QStringList());
    EXPECT_TRUE(palette.noResultsLabel().isVisibleTo(&palette));
    EXPECT_FALSE(palette.listView().isVisibleTo(&palette));

    // An empty list shows no "No Results" until something is typed.
    CommandPalette empty({}, QSize(400, 450), QString(), u"cmd+k"_qs);
    EXPECT_FALSE(empty.noResultsLabel().isVisibleTo(&empty));
}

// The filter folds case fully, as the history's search does: the sharp s matches "ss" both ways, a ligature its
// letters; accents count, as they do in the history's search.
TEST(CommandPalette, FoldsCaseFullyAndAccentsCount)
{
    const struct
    {
        QString title;
        QString query;
        bool matches;
    } cases[] = {
        {u"Großbuchstaben"_qs, u"gross"_qs, true},
        {u"Großbuchstaben"_qs, u"GROSSBUCH"_qs, true},
        {u"Großbuchstaben"_qs, u"groß"_qs, true},
        {u"straße"_qs, u"STRASSE"_qs, true},
        {u"STRASSE"_qs, u"straße"_qs, true},
        {u"STRASSE"_qs, u"STRAẞE"_qs, true},
        {u"Oﬃce"_qs, u"office"_qs, true},
        {u"Ελληνικά"_qs, u"ΕΛΛΗΝΙΚΆ"_qs, true},
        {u"Résumé"_qs, u"RÉSUMÉ"_qs, true},
        {u"Résumé"_qs, u"resume"_qs, false},
        {u"Resume"_qs, u"résumé"_qs, false},
        {u"Maße"_qs, u"masse"_qs, true},
        {u"Masse"_qs, u"mase"_qs, false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(commandPaletteCommandMatches(command(c.title), commandPaletteQuery(c.query)), c.matches)
            << qPrintable(c.title) << " / " << qPrintable(c.query);
        // In the description too, and through the palette's own field.
        EXPECT_EQ(commandPaletteCommandMatches(command(u"x"_qs, 0, {}, {}, c.title), c.query), c.matches);
        CommandPalette palette({command(c.title)}, QSize(400, 450), QString(), u"cmd+k"_qs);
        palette.searchField().setText(c.query);
        EXPECT_EQ(palette.rows().size(), c.matches ? 1 : 0) << qPrintable(c.title) << " / " << qPrintable(c.query);
    }
}

TEST(CommandPalette, MovesOverCommandsOnlyAndHighlightsTheFirstAfterEachQuery)
{
    CommandPalette palette(
        {command(u"a"_qs, 1, u"One"_qs), command(u"ab"_qs, 1, u"One"_qs), command(u"abc"_qs, 2, u"Two"_qs)},
        QSize(400, 450), QString(), u"cmd+k"_qs);
    EXPECT_EQ(selectedTitle(palette), u"a"_qs);
    press(palette.searchField(), Qt::Key_Up); // nothing above
    EXPECT_EQ(selectedTitle(palette), u"a"_qs);
    press(palette.searchField(), Qt::Key_Down);
    press(palette.searchField(), Qt::Key_Down); // over the header of the next section
    EXPECT_EQ(selectedTitle(palette), u"abc"_qs);
    press(palette.searchField(), Qt::Key_Down); // no wrap-around
    EXPECT_EQ(selectedTitle(palette), u"abc"_qs);
    // A new query highlights the first command, even when the highlighted one still shows.
    palette.searchField().setText(u"ab"_qs);
    EXPECT_EQ(selectedTitle(palette), u"ab"_qs);
}

TEST(CommandPalette, ReturnOrAClickRunsTheCommandThenCloses)
{
    QStringList log;
    CommandPaletteCommand first = command(u"first"_qs);
    first.action = [&] { log.append(u"first"_qs); };
    CommandPaletteCommand second = command(u"second"_qs);
    CommandPalette *palettePointer = nullptr;
    second.action = [&] { log.append(palettePointer->isDismissed() ? u"second after"_qs : u"second before"_qs); };
    CommandPalette palette({first, second}, QSize(400, 450), QString(), u"cmd+k"_qs);
    palettePointer = &palette;
    palette.onDismiss = [&] { log.append(u"dismissed"_qs); };
    palette.show();

    press(palette.searchField(), Qt::Key_Down);
    press(palette.searchField(), Qt::Key_Return);
    EXPECT_EQ(log, QStringList({u"second before"_qs, u"dismissed"_qs}));
    // Closed once: further keys and clicks do nothing.
    press(palette.searchField(), Qt::Key_Return);
    palette.runRow(0);
    EXPECT_EQ(log.size(), 2);
}

TEST(CommandPalette, EscapeClearsTheQueryThenCloses)
{
    int dismissals = 0;
    CommandPalette palette({command(u"Paste"_qs), command(u"Copy"_qs)}, QSize(400, 450), QString(), u"cmd+k"_qs);
    palette.onDismiss = [&] { ++dismissals; };
    palette.show();
    palette.searchField().setText(u"copy"_qs);
    press(palette.searchField(), Qt::Key_Escape);
    EXPECT_TRUE(palette.searchField().text().isEmpty());
    EXPECT_EQ(palette.rows().size(), 2);
    EXPECT_EQ(dismissals, 0);
    press(palette.searchField(), Qt::Key_Escape);
    EXPECT_EQ(dismissals, 1);
    EXPECT_FALSE(palette.isVisible());

    // The shortcut that opened it closes it whatever the query.
    CommandPalette other({command(u"Paste"_qs)}, QSize(400, 450), QString(), u"cmd+k"_qs);
    other.onDismiss = [&] { ++dismissals; };
    other.show();
    other.searchField().setText(u"pa"_qs);
    press(other.searchField(), Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier); // not the shortcut
    EXPECT_EQ(dismissals, 1);
    press(other.searchField(), Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(dismissals, 2);
}
