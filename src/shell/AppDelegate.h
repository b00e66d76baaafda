#pragma once

#include "AppCoordinator.h"
#include "AppModel.h"
#include "FilePreviewCache.h"
#include "GlobalShortcutService.h"
#include "LinkPreviewFetcher.h"
#include "MessageBoxAlertPresenter.h"
#include "PasteService.h"
#include "PasteboardMonitor.h"
#include "PlatformServices.h"
#include "PreferencesStore.h"
#include "QtFileDialogPresenter.h"
#include "QtWindowFactory.h"
#include "SQLiteHistoryStore.h"
#include "Scheduler.h"
#include "SoundService.h"
#include "StatusItemController.h"
#include "StyleAppearanceApplier.h"
#include "UpdateService.h"

#include <QMenu>
#include <QObject>
#include <QString>

#include <memory>

// The root of the program: it builds every long-lived object once, in order, and keeps them for the life of the
// process; then it starts the coordinator when the event loop runs, puts up the tray icon and its menus, and has
// the coordinator prepare for termination when the application quits.
class AppDelegate final : public QObject
{
    Q_OBJECT

public:
    // Where the program keeps its files.
    struct Locations
    {
        QString supportDirectory; // "Varnisto2" in the user's data folder
        QString settingsFilePath; // the user settings file: preferences, reboot check, last update check
        // Asked before the history is first written: whether this copy holds the history's lock (none: always).
        SQLiteHistoryStore::WriteGate mayWriteHistory = {};
    };

    AppDelegate(Locations locations, PlatformServices platform, std::unique_ptr<AlertPresenter> alerts,
        QObject *parent = nullptr);
    ~AppDelegate() override;

    // The support directory in the user's data folder ($XDG_DATA_HOME/Varnisto2), created with the folders above
    // it; a failure to create it is ignored (each file operation in it then fails and reports on its own).
    static QString makeSupportDirectory();

    // The event loop runs: the coordinator starts, then the tray icon and the menus are put up.
    void applicationDidFinishLaunching();
    // The application is about to quit. Runs the coordinator's termination once.
    void applicationWillTerminate();
    // Another start of the program asked this one for its history window: shown once launching has finished.
    void showHistoryWindowOnRequest();

    const QString &supportDirectory() const { return m_supportDirectory; }
    AppModel &model() { return m_model; }
    AppCoordinator &coordinator() { return m_coordinator; }
    PreferencesStore &preferencesStore() { return m_preferencesStore; }
    HistoryStore &historyStore() { return m_historyStore; }
    PasteboardMonitor &clipboardMonitor() { return m_clipboardMonitor; }
    PasteService &pasteService() { return m_pasteService; }
    GlobalShortcutService &globalShortcuts() { return m_globalShortcuts; }
    AppcastUpdateService &updateService() { return m_updateService; }
    StatusItemController &statusItems() { return m_statusItems; }
    const PlatformServices &platform() const { return m_platform; }

private:
    void showUpdateCheckResult(const UpdateCheckResult &result);
    // The automatic update checks follow the checkForUpdatesAutomatically switch from the start on.
    void followAutomaticUpdateChecks();
    // A crash log that no start has told of yet is named to the user once.
    void tellOfLastCrash();

    PlatformServices m_platform;
    std::unique_ptr<AlertPresenter> m_alerts;
    QtFileDialogPresenter m_fileDialogs;
    StyleAppearanceApplier m_appearance;
    SystemClock m_clock;
    EventLoopScheduler m_scheduler;
    const QString m_supportDirectory;
    PreferencesStore m_preferencesStore;
    SQLiteHistoryStore m_historyStore;
    AppModel m_model;
    PasteService m_pasteService;
    GlobalShortcutService m_globalShortcuts;
    AppcastUpdateService m_updateService;
    PasteboardMonitor m_clipboardMonitor;
    FilePreviewCache m_filePreviewCache;
    LinkPreviewFetcher m_linkPreviewFetcher;
    SoundService m_soundService;
    QMenu m_applicationMenu; // the "Varnisto" menu of the windows' menu bars
    QtWindowFactory m_windowFactory;
    AppCoordinator m_coordinator;
    StatusItemController m_statusItems;
    bool m_launched = false;
    bool m_terminated = false;
    bool m_showHistoryWhenLaunched = false;
};
