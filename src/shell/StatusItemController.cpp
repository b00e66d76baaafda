#include "StatusItemController.h"

#include "AppCoordinator.h"
#include "AppModel.h"
#include "HistoryColors.h"
#include "Localization.h"
#include "ShortcutText.h"
#include "StatusBarIcon.h"
#include "Symbols.h"
#include "UpdateService.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QKeySequence>
#include <QMenu>
#include <QSystemTrayIcon>

namespace {

QKeySequence settingsKeyEquivalent()
{
    return QKeySequence(Qt::CTRL | Qt::Key_Comma);
}

QKeySequence quitKeyEquivalent()
{
    return QKeySequence(Qt::CTRL | Qt::Key_Q);
}

void setKeyEquivalent(QAction &action, const QString &shortcutText)
{
    // The hot keys themselves are global grabs; here the shortcut is shown beside the command.
    if (const auto sequence = ShortcutText::keySequence(shortcutText))
        action.setShortcut(*sequence);
    action.setShortcutVisibleInContextMenu(true);
}

} // namespace

StatusItemController::StatusItemController(
    AppModel &model, AppCoordinator &coordinator, QMenu &applicationMenu, QObject *parent)
    : QObject(parent), m_model(model), m_coordinator(coordinator), m_applicationMenu(applicationMenu)
{
    // A copy that was not kept says why: in a desktop notice at once, and in the icon's tool tip until a later
    // copy is kept.
    connect(&m_coordinator, &AppCoordinator::captureNoticeChanged, this, [this] {
        updateStatusItem();
        const auto notice = m_coordinator.captureNotice();
        if (notice && m_statusItem)
            m_statusItem->showMessage(QStringLiteral("Varnisto"), *notice, QSystemTrayIcon::Warning);
    });
}

StatusItemController::~StatusItemController() = default;

QAction *StatusItemController::addAction(QMenu &menu, const QString &title, void (StatusItemController::*command)())
{
    QAction *action = menu.addAction(title);
    action->setEnabled(true);
    connect(action, &QAction::triggered, this, command);
    return action;
}

void StatusItemController::fillStatusMenu(QMenu &menu)
{
    menu.clear();
    const AppPreferences &preferences = m_model.preferences();
    const bool paused = m_model.isPaused();

    QAction *open = addAction(menu, localized(QStringLiteral("Open Varnisto")), &StatusItemController::showHistory);
    setKeyEquivalent(*open, preferences.showHistoryShortcut);
    menu.addSeparator();
    QAction *about = addAction(menu, localized(QStringLiteral("About Varnisto")), &StatusItemController::aboutVarnisto);
    about->setIcon(Symbols::icon(QStringLiteral("info.circle")));
    QAction *updates
        = addAction(menu, localized(QStringLiteral("Check for Updates...")), &StatusItemController::checkForUpdates);
    updates->setIcon(Symbols::icon(QStringLiteral("arrow.clockwise")));
    // No key beside Settings here: no window takes Ctrl+, while the tray menu is open.
    addAction(menu, localized(QStringLiteral("Settings...")), &StatusItemController::openSettings);
    menu.addSeparator();
    QAction *pause = addAction(menu, paused ? localized(QStringLiteral("Resume")) : localized(QStringLiteral("Pause")),
        &StatusItemController::togglePaused);
    pause->setIcon(Symbols::icon(paused ? QStringLiteral("play.fill") : QStringLiteral("pause.fill")));
    setKeyEquivalent(*pause, preferences.pauseShortcut);
    QAction *quit = addAction(menu, localized(QStringLiteral("Quit")), &StatusItemController::quit);
    quit->setIcon(Symbols::icon(QStringLiteral("power")));
}

void StatusItemController::fillApplicationMenu(QMenu &menu)
{
    menu.clear();
    menu.setTitle(QStringLiteral("Varnisto"));
    const AppPreferences &preferences = m_model.preferences();
    const bool paused = m_model.isPaused();

    QAction *show
        = addAction(menu, localized(QStringLiteral("Show Clipboard History")), &StatusItemController::toggleHistory);
    setKeyEquivalent(*show, preferences.showHistoryShortcut);
    QAction *pause = addAction(menu,
        paused ? localized(QStringLiteral("Resume Clipboard Capture"))
               : localized(QStringLiteral("Pause Clipboard Capture")),
        &StatusItemController::togglePaused);
    setKeyEquivalent(*pause, preferences.pauseShortcut);
    menu.addSeparator();
    QAction *clear = addAction(menu, localized(QStringLiteral("Clear History")), &StatusItemController::clearHistory);
    clear->setEnabled(!m_model.items().isEmpty());

    // The program's own commands, which the windows carry wherever the menu goes.
    menu.addSeparator();
    addAction(menu, localized(QStringLiteral("Check for Updates...")), &StatusItemController::checkForUpdates);
    QAction *settings = addAction(menu, localized(QStringLiteral("Settings...")), &StatusItemController::openSettings);
    settings->setShortcut(settingsKeyEquivalent());
    settings->setShortcutVisibleInContextMenu(true);
    // Without a tray on the desktop this is the only way to end the program.
    menu.addSeparator();
    QAction *quit = addAction(menu, localized(QStringLiteral("Quit Varnisto")), &StatusItemController::quit);
    quit->setIcon(Symbols::icon(QStringLiteral("power")));
    quit->setShortcut(quitKeyEquivalent());
    quit->setShortcutVisibleInContextMenu(true);
}

void StatusItemController::updateStatusItem()
{
    if (!m_model.preferences().showMenuBarIcon) {
        m_statusItem.reset();
        m_statusMenu.reset();
        return;
    }
    if (!m_statusItem) {
        m_statusMenu = std::make_unique<QMenu>();
        m_statusItem = std::make_unique<QSystemTrayIcon>();
        m_statusItem->setContextMenu(m_statusMenu.get());
        // A click on the icon opens its menu, as a right click does.
        connect(m_statusItem.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
            if (why == QSystemTrayIcon::Trigger && m_statusMenu)
                m_statusMenu->popup(QCursor::pos());
        });
    }
    m_statusItem->setIcon(StatusBarIcon::icon(m_model.isPaused(), HistoryColors::isDark(QApplication::palette())));
    const auto notice = m_coordinator.captureNotice();
    m_statusItem->setToolTip(notice ? QStringLiteral("Varnisto\n") + *notice : QStringLiteral("Varnisto"));
    fillStatusMenu(*m_statusMenu);
    m_statusItem->show();
}

void StatusItemController::updateMainMenuItem()
{
    fillApplicationMenu(m_applicationMenu);
}

void StatusItemController::refreshMenus()
{
    m_refreshScheduled = false;
    updateStatusItem();
    updateMainMenuItem();
}

void StatusItemController::scheduleRefresh()
{
    // Several changes of one step (a capture changes the items and the selection) rebuild the menus once.
    if (std::exchange(m_refreshScheduled, true))
        return;
    QMetaObject::invokeMethod(this, &StatusItemController::refreshMenus, Qt::QueuedConnection);
}

void StatusItemController::observeModel()
{
    connect(&m_model, &AppModel::itemsChanged, this, &StatusItemController::scheduleRefresh);
    connect(&m_model, &AppModel::isPausedChanged, this, &StatusItemController::scheduleRefresh);
    connect(&m_model, &AppModel::selectedItemIDChanged, this, &StatusItemController::scheduleRefresh);
    connect(&m_model, &AppModel::preferencesChanged, this, &StatusItemController::scheduleRefresh);
    connect(&m_model, &AppModel::localizationRevisionChanged, this, &StatusItemController::scheduleRefresh);
    scheduleRefresh();
}

// --- Commands --------------------------------------------------------------------------------------------------------

void StatusItemController::showHistory()
{
    QMetaObject::invokeMethod(
        &m_coordinator, [this] { m_coordinator.showHistoryWindow(false, false); }, Qt::QueuedConnection);
}

void StatusItemController::toggleHistory()
{
    QMetaObject::invokeMethod(&m_coordinator, &AppCoordinator::toggleHistoryWindow, Qt::QueuedConnection);
}

void StatusItemController::aboutVarnisto()
{
    QMetaObject::invokeMethod(
        &m_coordinator, [this] { m_coordinator.openSettings(SettingsSection::about); }, Qt::QueuedConnection);
}

void StatusItemController::togglePaused()
{
    m_coordinator.togglePaused();
    // The menu whose command runs now is rebuilt once the command has returned.
    scheduleRefresh();
}

void StatusItemController::clearHistory()
{
    if (m_coordinator.confirmClearHistory())
        m_coordinator.clearHistory();
}

void StatusItemController::openSettings()
{
    m_coordinator.openSettings(SettingsSection::general);
}

void StatusItemController::checkForUpdates()
{
    m_coordinator.checkForUpdates();
}

void StatusItemController::quit()
{
    // Not quit(): a window that declines to close (the open preview) would cancel it.
    QCoreApplication::exit(0);
}
