// The command palette on a real display, in the light and the dark appearance, with sections, descriptions,
// key caps, a checked and a destructive command. Each run leaves its pictures in the screenshots folder.

#include "CommandPalette.h"
#include "StyleAppearanceApplier.h"

#include <QDir>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QList<CommandPaletteCommand> commands()
{
    const auto make = [](const QString &title, const QString &symbol, int section, std::optional<QString> header,
                          std::optional<QString> shortcut, std::optional<QString> description = {}) {
        CommandPaletteCommand command;
        command.title = title;
        command.systemImageName = symbol;
        command.section = section;
        command.sectionTitle = std::move(header);
        command.shortcut = std::move(shortcut);
        command.description = std::move(description);
        return command;
    };
    QList<CommandPaletteCommand> list = {
        make(u"Paste"_qs, u"clipboard"_qs, 0, {}, u"return"_qs),
        make(u"Paste as Plain Text"_qs, u"text.page"_qs, 0, {}, u"shift+cmd+v"_qs),
        make(u"Copy"_qs, u"document.on.document"_qs, 0, {}, u"cmd+c"_qs),
        make(u"Upper Case"_qs, u"text.page"_qs, 1, u"Transform"_qs, {}, u"Turns every letter into a capital"_qs),
        make(u"Favorite"_qs, u"star"_qs, 2, {}, u"cmd+f"_qs),
        make(u"Delete"_qs, u"clipboard"_qs, 2, {}, u"cmd+delete"_qs),
    };
    list[4].isChecked = true;
    list[5].isDestructive = true;
    return list;
}

} // namespace

TEST(CommandPalette, ShowsItsRowsInLightAndDark)
{
    QDir().mkpath(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY));
    StyleAppearanceApplier appearance;
    for (const AppAppearance mode : {AppAppearance::light, AppAppearance::dark}) {
        appearance.apply(mode);
        CommandPalette palette(commands(), QSize(400, 450), u"Search for actions..."_qs, u"cmd+k"_qs);
        palette.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&palette));
        QTest::keyClick(&palette.searchField(), Qt::Key_Down);
        QTest::qWait(30);
        EXPECT_EQ(palette.selectedRow(), 1);
        const QImage shot = palette.grab().toImage();
        const QString name
            = mode == AppAppearance::light ? u"command-palette-light.png"_qs : u"command-palette-dark.png"_qs;
        EXPECT_TRUE(shot.save(QDir(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY)).filePath(name)));
        const QColor background = shot.pixelColor(shot.width() - 4, shot.height() - 4);
        EXPECT_EQ(background.lightness() < 128, mode == AppAppearance::dark) << background.name().toStdString();
    }
    appearance.apply(AppAppearance::system);
}
