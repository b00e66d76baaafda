#include "CoordinatorTestSupport.h"

#include <QApplication>
#include <QPalette>

// Preferences take effect in this order: saved, appearance, language, monitor, link previews, login item, hot keys.
TEST(CoordinatorPreferences, ApplyingPutsEveryPreferenceIntoEffectInOrder)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.coordinator->start();
    const QString autostartEntry = h.autostartDirectory + QStringLiteral("/varnisto.desktop");

    QStringList seen;
    QObject watcher;
    struct PaletteWatch : QObject
    {
        std::function<void()> changed;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::ApplicationPaletteChange && changed)
                std::exchange(changed, nullptr)();
            return false;
        }
    } paletteWatch;
    paletteWatch.changed = [&] {
        seen.append(
            QStringLiteral("appearance: saved %1, language %2, monitor %3")
                .arg(yesNo(h.preferencesStore.load().appearance == AppAppearance::dark), currentInterfaceLanguage(),
                    yesNo(h.monitor.preferences().appearance == AppAppearance::dark)));
    };
    qApp->installEventFilter(&paletteWatch);
    QObject::connect(&h.model, &AppModel::localizationRevisionChanged, &watcher, [&] {
        seen.append(QStringLiteral("language: dark %1, monitor %2, login item %3")
                        .arg(yesNo(QApplication::palette().color(QPalette::Window).lightness() < 128),
                            yesNo(h.monitor.preferences().appearance == AppAppearance::dark),
                            yesNo(QFile::exists(autostartEntry))));
    });

    h.changePreferences([](AppPreferences &p) {
        p.appearance = AppAppearance::dark;
        p.language = QStringLiteral("it");
        p.launchAtLogin = true;
        p.pauseShortcut = QStringLiteral("shift+cmd+x");
    });
    h.coordinator->applyPreferences();
    qApp->removeEventFilter(&paletteWatch);

    EXPECT_EQ(seen,
        QStringList({QStringLiteral("appearance: saved true, language en, monitor false"),
            QStringLiteral("language: dark true, monitor false, login item false")}));
    EXPECT_EQ(h.monitor.preferences(), h.model.preferences());
    EXPECT_TRUE(QFile::exists(autostartEntry));
    EXPECT_EQ(h.registeredShortcuts().at(1), CoordinatorHarness::registrationOf(2, QStringLiteral("shift+cmd+x")));
    EXPECT_EQ(h.hotKeys.registrations().size(), 4);

    // Turning launch at login off removes the entry again, at the next application.
    h.changePreferences([](AppPreferences &p) {
        p.launchAtLogin = false;
        p.appearance = AppAppearance::system;
    });
    h.coordinator->applyPreferences();
    EXPECT_FALSE(QFile::exists(autostartEntry));
}

TEST(CoordinatorPreferences, AnEmptyOrUnreadableShortcutRegistersNothingForItsAction)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences([](AppPreferences &p) {
        p.pauseShortcut = QString();
        p.pasteNextShortcut = QStringLiteral("cmd+nosuchkey");
    });
    h.coordinator->start();
    EXPECT_EQ(h.registeredShortcuts(),
        QStringList({CoordinatorHarness::registrationOf(1, QStringLiteral("cmd+option+v")),
            CoordinatorHarness::registrationOf(4, QStringLiteral("shift+control+v"))}));
}

// Quitting saves the window frame and the preferences first, then clears the history when asked to, stops the
// monitor and lets go of the hot keys.
TEST(CoordinatorTermination, SavesThenClearsThenStops)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences([](AppPreferences &p) {
        p.clearHistoryOnQuit = true;
        p.keepFavoritesOnClearHistory = false;
    });
    h.storeItems(testItems(3));
    h.startWithHistoryWindow();
    ASSERT_TRUE(h.monitor.isRunning());

    h.coordinator->prepareForTermination();
    const AppPreferences saved = h.preferencesStore.load();
    EXPECT_EQ(saved.historyWindowWidth, 300.0);
    EXPECT_EQ(saved.historyWindowY, 20.0);
    EXPECT_TRUE(saved.clearHistoryOnQuit);
    EXPECT_TRUE(h.storedItems().isEmpty());
    EXPECT_TRUE(h.model.items().isEmpty());
    EXPECT_FALSE(h.monitor.isRunning());
    EXPECT_TRUE(h.hotKeys.registrations().isEmpty());
    EXPECT_TRUE(h.alerts.shown.isEmpty());
}

TEST(CoordinatorTermination, KeepsTheHistoryUnlessAskedToClearIt)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems(testItems(3));
    h.coordinator->start();
    h.coordinator->prepareForTermination();
    EXPECT_EQ(h.storedItems().size(), 3);
    EXPECT_FALSE(h.monitor.isRunning());
}
