#include "StyleAppearanceApplier.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QStyle>

// Light and dark come with the Fusion style; the system appearance gives back the style and palette the
// application started with.
TEST(StyleAppearanceApplier, SwitchesStyleAndPaletteAndComesBack)
{
    const QString startStyle = QApplication::style()->name();
    const QColor startWindow = QApplication::palette().color(QPalette::Window);
    StyleAppearanceApplier applier;

    applier.apply(AppAppearance::dark);
    EXPECT_EQ(QApplication::style()->name().toLower(), QStringLiteral("fusion"));
    EXPECT_LT(QApplication::palette().color(QPalette::Window).lightness(), 128);

    applier.apply(AppAppearance::light);
    EXPECT_GT(QApplication::palette().color(QPalette::Window).lightness(), 128);

    applier.apply(AppAppearance::system);
    EXPECT_EQ(QApplication::style()->name(), startStyle);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), startWindow);
}
