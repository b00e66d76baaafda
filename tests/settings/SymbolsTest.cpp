// The settings draw their symbols as every other window does: from the kit's one table, as symbolic icons of the
// icon theme in the text colour, never the theme's full-colour icons.

#include "Symbols.h"
#include "RetentionPeriod.h"
#include "SettingsSectionInfo.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

// Whether the picture shows anything at all.
bool isPainted(const QIcon &icon)
{
    const QImage image = icon.pixmap(16, 16).toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 0)
                return true;
        }
    }
    return false;
}

} // namespace

TEST(SettingsSymbols, SectionsAndKindsUseTheSymbolicTable)
{
    QStringList symbols;
    for (const SettingsSection section : SettingsSection::allCases) {
        symbols.append(SettingsSectionInfo::systemImage(section));
        EXPECT_TRUE(isPainted(SettingsSectionInfo::icon(section))) << symbols.last().toStdString();
    }
    for (const RetentionClipType type : RetentionClipTypes::all())
        symbols.append(RetentionClipTypes::systemImage(type));
    for (const QString &symbol : symbols) {
        // "circle", the Tags section's, is drawn rather than taken from a theme.
        if (symbol == u"circle")
            continue;
        EXPECT_TRUE(Symbols::themeIconName(symbol).endsWith(u"-symbolic")) << symbol.toStdString();
        EXPECT_FALSE(Symbols::themeIcon(symbol).isNull()) << symbol.toStdString();
    }
    // The same symbol is the same icon in every window: the settings' General and the item menu's Settings...
    EXPECT_EQ(SettingsSectionInfo::systemImage(SettingsSection::general), u"gearshape"_qs);
}
