#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

class AlertPresenter;
class AppCoordinator;
class AppModel;
class QAction;
class QMenu;
class QSystemTrayIcon;

// The system tray icon with its menu, and the program's "Varnisto" menu that the settings and onboarding windows
// carry in their menu bars: the history and capture commands, then the program's own "Check for Updates...",
// "Settings..." (Ctrl+,) and "Quit Varnisto" (Ctrl+Q), whose key equivalents work in those windows. Both menus are
// filled afresh whenever the items, the pause state, the selection, the preferences or the interface language change.
// Their commands go to the coordinator.
//
// Without a tray on the desktop the icon is not seen; the hot keys still work, and the windows' menu quits.
class StatusItemController final : public QObject
{
    Q_OBJECT

public:
    // The application menu is filled here and shown by the windows that have a menu bar.
    StatusItemController(
        AppModel &model, AppCoordinator &coordinator, QMenu &applicationMenu, QObject *parent = nullptr);
    ~StatusItemController() override;

    // Creates, updates or removes the tray icon as showMenuBarIcon says.
    void updateStatusItem();
    // Fills the application menu.
    void updateMainMenuItem();
    // updateStatusItem, then updateMainMenuItem.
    void refreshMenus();
    // Rebuilds both menus, once per turn of the event loop, after each change of what they show.
    void observeModel();

    void fillStatusMenu(QMenu &menu);
    void fillApplicationMenu(QMenu &menu);

    QSystemTrayIcon *statusItem() const { return m_statusItem.get(); }
    QMenu *statusMenu() const { return m_statusMenu.get(); }
    QMenu &applicationMenu() const { return m_applicationMenu; }

    // --- The menus' commands -----------------------------------------------------------------------------------------

    // These three run on a later turn of the event loop, once the menu has closed.
    void showHistory();
    void toggleHistory();
    void aboutVarnisto();
    // These run at once.
    void togglePaused();
    void clearHistory();
    void openSettings();
    void checkForUpdates();
    void quit();

private:
    void scheduleRefresh();
    QAction *addAction(QMenu &menu, const QString &title, void (StatusItemController::*command)());

    AppModel &m_model;
    AppCoordinator &m_coordinator;
    QMenu &m_applicationMenu;
    std::unique_ptr<QSystemTrayIcon> m_statusItem;
    std::unique_ptr<QMenu> m_statusMenu;
    bool m_refreshScheduled = false;
};
