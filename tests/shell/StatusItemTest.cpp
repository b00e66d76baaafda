#include "CoordinatorTestSupport.h"

#include "StatusBarIcon.h"
#include "StatusItemController.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

namespace {

// "Title [shortcut] (disabled)" per entry, "-" for a separator.
QStringList entries(const QMenu &menu)
{
    QStringList result;
    for (const QAction *action : menu.actions()) {
        if (action->isSeparator()) {
            result.append(QStringLiteral("-"));
            continue;
        }
        QString entry = action->text();
        if (!action->shortcut().isEmpty())
            entry += QStringLiteral(" [%1]").arg(action->shortcut().toString());
        if (!action->isEnabled())
            entry += QStringLiteral(" (disabled)");
        result.append(entry);
    }
    return result;
}

struct StatusHarness
{
    StatusHarness()
    {
        h.storeOnboardedPreferences();
        h.startWithHistoryWindow();
        controller.updateStatusItem();
        controller.updateMainMenuItem();
        controller.observeModel();
        QCoreApplication::processEvents();
    }
    QAction *statusAction(const QString &title) const
    {
        for (QAction *action : controller.statusMenu()->actions()) {
            if (action->text() == title)
                return action;
        }
        return nullptr;
    }

    CoordinatorHarness h;
    QMenu applicationMenu;
    StatusItemController controller {h.model, *h.coordinator, applicationMenu};
};

} // namespace

TEST(StatusItem, MenusFollowThePauseStateAndTheHistory)
{
    StatusHarness s;
    EXPECT_EQ(entries(*s.controller.statusMenu()),
        QStringList({QStringLiteral("Open Varnisto [Ctrl+Alt+V]"), QStringLiteral("-"),
            QStringLiteral("About Varnisto"), QStringLiteral("Check for Updates..."), QStringLiteral("Settings..."),
            QStringLiteral("-"), QStringLiteral("Pause [Ctrl+Alt+P]"), QStringLiteral("Quit")}));
    EXPECT_EQ(entries(s.applicationMenu),
        QStringList({QStringLiteral("Show Clipboard History [Ctrl+Alt+V]"),
            QStringLiteral("Pause Clipboard Capture [Ctrl+Alt+P]"), QStringLiteral("-"),
            QStringLiteral("Clear History (disabled)"), QStringLiteral("-"), QStringLiteral("Check for Updates..."),
            QStringLiteral("Settings... [Ctrl+,]"), QStringLiteral("-"), QStringLiteral("Quit Varnisto [Ctrl+Q]")}));
    EXPECT_EQ(s.applicationMenu.title(), QStringLiteral("Varnisto"));
    EXPECT_EQ(s.controller.statusItem()->toolTip(), QStringLiteral("Varnisto"));

    // Pausing by the hot key and a first capture show in both menus on the next turn.
    ASSERT_TRUE(s.h.pressHotKey(QStringLiteral("cmd+option+p")));
    s.h.coordinator->pasteboardMonitorDidCapture(testItem(1), {});
    QCoreApplication::processEvents();
    EXPECT_EQ(entries(*s.controller.statusMenu()).at(6), QStringLiteral("Resume [Ctrl+Alt+P]"));
    EXPECT_EQ(entries(s.applicationMenu).mid(0, 4),
        QStringList({QStringLiteral("Show Clipboard History [Ctrl+Alt+V]"),
            QStringLiteral("Resume Clipboard Capture [Ctrl+Alt+P]"), QStringLiteral("-"),
            QStringLiteral("Clear History")}));
}

TEST(StatusItem, ShortcutsLanguageAndTheIconFollowThePreferences)
{
    StatusHarness s;
    s.h.changePreferences([](AppPreferences &p) {
        p.pauseShortcut = QString();
        p.language = QStringLiteral("de");
    });
    s.h.coordinator->applyPreferences();
    QCoreApplication::processEvents();
    EXPECT_EQ(entries(*s.controller.statusMenu()).at(6), QStringLiteral("Pausieren"));
    EXPECT_EQ(entries(*s.controller.statusMenu()).last(), QStringLiteral("Beenden"));

    s.h.changePreferences([](AppPreferences &p) { p.showMenuBarIcon = false; });
    QCoreApplication::processEvents();
    EXPECT_EQ(s.controller.statusItem(), nullptr);
    s.h.changePreferences([](AppPreferences &p) { p.showMenuBarIcon = true; });
    QCoreApplication::processEvents();
    ASSERT_NE(s.controller.statusItem(), nullptr);
    EXPECT_EQ(entries(*s.controller.statusMenu()).first(), QStringLiteral("Varnisto öffnen [Ctrl+Alt+V]"));
}

TEST(StatusItem, MenuCommandsReachTheCoordinator)
{
    StatusHarness s;
    s.h.log.events.clear();

    // Opening the history waits for the menu to close: it runs on a later turn.
    s.statusAction(QStringLiteral("Open Varnisto"))->trigger();
    EXPECT_TRUE(s.h.log.events.isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(s.h.log.events, QStringList({QStringLiteral("history shown")}));

    s.statusAction(QStringLiteral("Pause"))->trigger();
    EXPECT_TRUE(s.h.model.isPaused());
    EXPECT_TRUE(s.h.monitor.isPaused());

    s.statusAction(QStringLiteral("Check for Updates..."))->trigger();
    EXPECT_EQ(s.h.updates.checks, 1);

    s.statusAction(QStringLiteral("About Varnisto"))->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(s.h.coordinator->settingsSection(), SettingsSection::about);
    s.statusAction(QStringLiteral("Settings..."))->trigger();
    EXPECT_EQ(s.h.coordinator->settingsSection(), SettingsSection::general);
}

// The windows' menu carries the program's own commands beside those of the history.
TEST(StatusItem, TheWindowsMenuChecksForUpdatesAndOpensTheGeneralSettings)
{
    StatusHarness s;
    const auto action = [&](const QString &title) -> QAction * {
        for (QAction *candidate : s.applicationMenu.actions()) {
            if (candidate->text() == title)
                return candidate;
        }
        ADD_FAILURE() << "no action " << qPrintable(title);
        return nullptr;
    };
    QAction *updates = action(QStringLiteral("Check for Updates..."));
    ASSERT_NE(updates, nullptr);
    EXPECT_TRUE(updates->shortcut().isEmpty());
    updates->trigger();
    EXPECT_EQ(s.h.updates.checks, 1);

    // Whatever section was shown last, the command opens the general one, at once.
    s.h.coordinator->openSettings(SettingsSection::about);
    QAction *settings = action(QStringLiteral("Settings..."));
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    settings->trigger();
    EXPECT_EQ(s.h.coordinator->settingsSection(), SettingsSection::general);

    // The menu is rebuilt in the interface language.
    s.h.changePreferences([](AppPreferences &p) { p.language = QStringLiteral("ja"); });
    s.h.coordinator->applyPreferences();
    QCoreApplication::processEvents();
    EXPECT_EQ(entries(s.applicationMenu).mid(4),
        QStringList({QStringLiteral("-"), QStringLiteral("アップデートを確認..."), QStringLiteral("設定... [Ctrl+,]"),
            QStringLiteral("-"), QStringLiteral("Varnisto を終了 [Ctrl+Q]")}));
}

// "Clear History" from the menu asks first, as every clear by hand does.
TEST(StatusItem, ClearHistoryAsksBeforeClearing)
{
    StatusHarness s;
    s.h.coordinator->pasteboardMonitorDidCapture(testItem(1), {});
    ASSERT_TRUE(s.h.store.upsert(testItem(1)));
    s.h.alerts.answer = false;
    s.controller.clearHistory();
    EXPECT_EQ(s.h.alerts.shown.size(), 1);
    EXPECT_EQ(s.h.model.items().size(), 1);
    s.h.alerts.answer = true;
    s.controller.clearHistory();
    EXPECT_TRUE(s.h.model.items().isEmpty());
    EXPECT_TRUE(s.h.storedItems().isEmpty());
}

TEST(StatusItem, TheIconSaysWhyACopyWasNotKeptUntilALaterOneIs)
{
    StatusHarness s;
    const OversizedContent leftOut {QStringLiteral("image/png"), 96 * 1024 * 1024, 64 * 1024 * 1024};
    s.h.coordinator->pasteboardMonitorDidRefuse(leftOut);
    EXPECT_EQ(s.controller.statusItem()->toolTip(),
        QStringLiteral("Varnisto\nThe copy was not kept: copies larger than 64 MB are not taken into the history."));

    // In the user's language.
    s.h.changePreferences([](AppPreferences &p) { p.language = QStringLiteral("de"); });
    s.h.coordinator->applyPreferences();
    QCoreApplication::processEvents();
    EXPECT_EQ(s.controller.statusItem()->toolTip(),
        QStringLiteral("Varnisto\nDie Kopie wurde nicht übernommen: Kopien über 64 MB nimmt der Verlauf nicht auf."));

    s.h.coordinator->pasteboardMonitorDidCapture(testItem(1), {});
    QCoreApplication::processEvents();
    EXPECT_EQ(s.controller.statusItem()->toolTip(), QStringLiteral("Varnisto"));
}

// The tray icon reads on the panel it is made for: its darkest ink against a white panel, its lightest against a
// black one, at least 4.5:1 as for text.
TEST(StatusBarIcon, EachVariantStandsOutOnItsPanel)
{
    const auto luminance = [](const QColor &color) {
        const auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) + 0.0722 * channel(color.blueF());
    };
    const auto contrast = [&](const QColor &a, const QColor &b) {
        const double la = luminance(a), lb = luminance(b);
        return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
    };
    for (const bool paused : {false, true}) {
        for (const bool dark : {false, true}) {
            const QImage image = StatusBarIcon::icon(paused, dark).pixmap(22, 22).toImage();
            const QColor panel = dark ? QColor(Qt::black) : QColor(Qt::white);
            double best = 1;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QColor pixel = image.pixelColor(x, y);
                    if (pixel.alpha() == 255)
                        best = std::max(best, contrast(pixel, panel));
                }
            }
            EXPECT_GE(best, 4.5) << (paused ? "paused " : "") << (dark ? "dark" : "light");
        }
    }
}
