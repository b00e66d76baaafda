#include "CoordinatorTestSupport.h"

#include "AppearancePicker.h"
#include "GeneralSettingsView.h"
#include "SettingsBlocks.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

// A theme tile applies the preferences once, at once; the tile already chosen applies nothing; the other switches
// (but launching at login) only write their field.
TEST(GeneralSettingsView, ThemeAndLanguageApplyAtOnceTheRestWaits)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.coordinator->start();
    GeneralSettingsView pane(h.model, *h.coordinator);
    AppearancePicker &picker = pane.appearancePicker();
    int selected = 0;
    for (AppAppearance::Value appearance : AppAppearance::allCases)
        selected += picker.option(appearance).isSelected() ? 1 : 0;
    EXPECT_EQ(selected, 1);

    const qsizetype applies = h.appearance.applied.size();
    picker.option(AppAppearance::system).click();
    EXPECT_EQ(h.appearance.applied.size(), applies);
    picker.option(AppAppearance::dark).click();
    EXPECT_EQ(h.appearance.applied.size(), applies + 1);
    EXPECT_EQ(h.appearance.applied.last(), AppAppearance::dark);
    EXPECT_TRUE(picker.option(AppAppearance::dark).isSelected());
    EXPECT_FALSE(picker.option(AppAppearance::system).isSelected());
    EXPECT_EQ(h.preferencesStore.load().appearance, AppAppearance::dark);

    h.changePreferences([](AppPreferences &preferences) { preferences.showMainWindowAtStartup = true; });
    EXPECT_EQ(h.appearance.applied.size(), applies + 1);
    EXPECT_FALSE(h.preferencesStore.load().showMainWindowAtStartup);

    QComboBox &language = pane.languagePicker().comboBox();
    ASSERT_EQ(language.count(), 8);
    Q_EMIT language.activated(int(language.findData(QStringLiteral("de"))));
    EXPECT_EQ(currentInterfaceLanguage(), QStringLiteral("de"));
    EXPECT_EQ(h.appearance.applied.size(), applies + 2);
}

// The login switch writes and removes the autostart entry as it is flipped, while the settings stay open.
TEST(GeneralSettingsView, LaunchAtLoginTakesEffectAtOnce)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.coordinator->start();
    GeneralSettingsView pane(h.model, *h.coordinator);
    pane.show();
    const QString entry = h.autostartDirectory + QStringLiteral("/varnisto.desktop");
    ASSERT_FALSE(QFile::exists(entry));
    QAbstractButton &toggle = pane.launchAtLogin().toggle();
    QTest::mouseClick(&toggle, Qt::LeftButton);
    EXPECT_TRUE(toggle.isChecked());
    EXPECT_TRUE(QFile::exists(entry));
    EXPECT_TRUE(h.preferencesStore.load().launchAtLogin);
    QTest::mouseClick(&toggle, Qt::LeftButton);
    EXPECT_FALSE(toggle.isChecked());
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_FALSE(h.preferencesStore.load().launchAtLogin);
}

TEST(GeneralSettingsView, AnUnknownWindowPositionSelectsNothing)
{
    CoordinatorHarness h;
    h.changePreferences([](AppPreferences &preferences) { preferences.openWindowStrategy = QStringLiteral("Mouse"); });
    GeneralSettingsView pane(h.model, *h.coordinator);
    QComboBox &positions = pane.windowPositionPicker().comboBox();
    EXPECT_EQ(positions.count(), 6);
    EXPECT_EQ(positions.currentIndex(), -1);
    Q_EMIT positions.activated(4);
    EXPECT_EQ(h.model.preferences().openWindowStrategy, QStringLiteral("mouseCursor"));
    // Without an update feed in this build, the automatic checks cannot be switched.
    EXPECT_FALSE(pane.updateChecks().toggle().isEnabled());
}

// Without a system tray the tray icon's row says that none is shown and how to quit instead, in the interface
// language; with one it only describes the switch.
TEST(GeneralSettingsView, TheTrayRowSaysWhenTheDesktopShowsNoTray)
{
    CoordinatorHarness h;
    const QString note = QStringLiteral("This desktop shows no system tray. To quit Varnisto, press Ctrl+Q in this "
                                        "window.");
    const auto description = [&](bool trayAvailable) {
        GeneralSettingsView pane(h.model, *h.coordinator, [trayAvailable] { return trayAvailable; });
        EXPECT_EQ(pane.trayIcon().titleLabel().text(), localized(QStringLiteral("Show icon in system tray")));
        return pane.trayIcon().descriptionLabel()->text();
    };
    EXPECT_FALSE(description(true).contains(note));
    EXPECT_TRUE(description(false).endsWith(u'\n' + note)) << qPrintable(description(false));

    h.changePreferences([](AppPreferences &preferences) { preferences.language = QStringLiteral("de"); });
    h.coordinator->applyPreferences();
    EXPECT_TRUE(description(false).endsWith(
        QStringLiteral("Dieser Desktop hat keinen Infobereich. Um Varnisto zu beenden, drücke Strg+Q in diesem "
                       "Fenster.")))
        << qPrintable(description(false));
}
