#include "StyleAppearanceApplier.h"
#include "HistoryColors.h"
#include "ItemCommandMenu.h"
#include "ItemCommandRegistry.h"
#include "SettingsLook.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QProxyStyle>
#include <QStyle>

// Light and dark come with the Fusion style; the system appearance gives back the style and palette the
// application started with.
TEST(StyleAppearanceApplier, SwitchesStyleAndPaletteAndComesBack)
{
    const QString startStyle = QApplication::style()->name();
    const QColor startWindow = QApplication::palette().color(QPalette::Window);
    StyleAppearanceApplier applier;

    applier.apply(AppAppearance::dark);
    // Fusion, wrapped in the style that gives menus their frame.
    const auto *proxy = qobject_cast<QProxyStyle *>(QApplication::style());
    ASSERT_NE(proxy, nullptr);
    EXPECT_EQ(proxy->baseStyle()->name().toLower(), QStringLiteral("fusion"));
    EXPECT_LT(QApplication::palette().color(QPalette::Window).lightness(), 128);

    applier.apply(AppAppearance::light);
    EXPECT_GT(QApplication::palette().color(QPalette::Window).lightness(), 128);

    applier.apply(AppAppearance::system);
    EXPECT_EQ(QApplication::style()->name(), startStyle);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), startWindow);
}

// Menus and buttons read on the light and the dark palette alike (a ratio of at least 4.5, as WCAG asks for text),
// and a menu stands apart from the window behind it: its frame and separators are drawn in a colour well off the
// window's.
TEST(StyleAppearanceApplier, MenusAndButtonsKeepTheirContrastInLightAndDark)
{
    StyleAppearanceApplier applier;
    for (const AppAppearance appearance : {AppAppearance::light, AppAppearance::dark}) {
        SCOPED_TRACE(appearance == AppAppearance::dark ? "dark" : "light");
        applier.apply(appearance);
        const QPalette palette = QApplication::palette();
        const auto ratio = [&](QPalette::ColorRole text, QPalette::ColorRole fill) {
            return SettingsColors::contrastRatio(palette.color(text), palette.color(fill));
        };
        EXPECT_GE(ratio(QPalette::WindowText, QPalette::Window), 4.5) << "menu text";
        EXPECT_GE(ratio(QPalette::Text, QPalette::Base), 4.5) << "menu text on the base";
        EXPECT_GE(ratio(QPalette::HighlightedText, QPalette::Highlight), 4.5) << "highlighted menu entry";
        EXPECT_GE(ratio(QPalette::ButtonText, QPalette::Button), 4.5) << "button and default button";

        const QColor frame = StyleAppearanceApplier::menuFrameColor(palette);
        EXPECT_GE(SettingsColors::contrastRatio(frame, palette.color(QPalette::Window)), 1.8);

        QMenu menu;
        menu.addAction(QStringLiteral("Copy"));
        menu.addSeparator();
        menu.addAction(QStringLiteral("Delete"));
        menu.ensurePolished();
        menu.adjustSize();
        const QImage drawn = menu.grab().toImage();
        EXPECT_EQ(drawn.pixelColor(0, drawn.height() / 2).rgb(), frame.rgb()) << "the frame";
        const QRect separator = menu.actionGeometry(menu.actions().at(1));
        bool separatorDrawn = false;
        for (int y = separator.top(); y <= separator.bottom(); ++y)
            separatorDrawn = separatorDrawn || drawn.pixelColor(separator.center().x(), y).rgb() == frame.rgb();
        EXPECT_TRUE(separatorDrawn) << "the separator";
    }
    applier.apply(AppAppearance::system);
}

// An item's menu (with its red Delete) stands apart from the rows behind it in every appearance: its frame is drawn
// all round in a colour well off the list's and the window's, and Delete is red.
TEST(StyleAppearanceApplier, ItemMenusHaveAFrameAndARedDeleteInEveryAppearance)
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.kind = ClipboardKind::text;
    item.text = QStringLiteral("menu words");
    ItemCommandContext context;
    context.pasteTargetName = QStringLiteral("Receiver");
    const QList<ItemCommandEntry> entries = ItemCommandRegistry::itemMenu(item, context);

    StyleAppearanceApplier applier;
    for (const AppAppearance appearance : {AppAppearance::light, AppAppearance::dark, AppAppearance::system}) {
        const char *name = appearance == AppAppearance::dark ? "dark"
            : appearance == AppAppearance::light             ? "light"
                                                             : "system";
        SCOPED_TRACE(name);
        applier.apply(appearance);
        QMenu menu;
        ItemCommandMenu::fill(menu, entries, {}, {});
        menu.ensurePolished();
        menu.adjustSize();
        const QImage drawn = menu.grab().toImage();
        const QPalette palette = QApplication::palette();
        const QColor rows = HistoryColors::textBackground(palette);
        const QColor window = palette.color(QPalette::Window);
        const QColor fill = drawn.pixelColor(drawn.width() / 2, 2);
        const auto standsApart = [&](const QColor &frame) {
            return SettingsColors::contrastRatio(frame, rows) >= 1.8
                && SettingsColors::contrastRatio(frame, window) >= 1.8
                && SettingsColors::contrastRatio(frame, fill) >= 1.5;
        };
        // Every side of the frame, at its middle.
        const QPoint sides[] = {{0, drawn.height() / 2}, {drawn.width() - 1, drawn.height() / 2},
            {drawn.width() / 2, 0}, {drawn.width() / 2, drawn.height() - 1}};
        if (appearance != AppAppearance::system) {
            for (const QPoint &side : sides) {
                EXPECT_EQ(drawn.pixelColor(side).rgb(), StyleAppearanceApplier::menuFrameColor(palette).rgb())
                    << side.x() << "," << side.y();
                EXPECT_TRUE(standsApart(drawn.pixelColor(side))) << side.x() << "," << side.y();
            }
        }

        QAction *deletion = nullptr;
        for (QAction *action : menu.actions()) {
            if (ItemCommandMenu::commandOf(*action) == ItemCommandID::deleteItem)
                deletion = action;
        }
        ASSERT_TRUE(deletion);
        const QRect entry = menu.actionGeometry(deletion);
        int red = 0;
        for (int y = entry.top(); y <= entry.bottom(); ++y) {
            for (int x = entry.left(); x <= entry.right(); ++x) {
                const QColor pixel = drawn.pixelColor(x, y);
                red += pixel.red() > 200 && pixel.green() < 120 && pixel.blue() < 120 ? 1 : 0;
            }
        }
        EXPECT_GT(red, 20) << "the red Delete";
    }
}
