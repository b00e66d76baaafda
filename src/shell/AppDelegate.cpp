#include "AppDelegate.h"

#include "AppLogging.h"
#include "CrashLog.h"
#include "Localization.h"
#include "SourceApplicationLocator.h"
#include "SupportFolder.h"

#include <QDir>
#include <QStandardPaths>
#include <QTimer>

QString AppDelegate::makeSupportDirectory()
{
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        data = QDir::homePath() + QStringLiteral("/.local/share");
    const QString directory = data + QStringLiteral("/Varnisto2");
    QDir().mkpath(directory);
    return directory;
}

AppDelegate::AppDelegate(
    Locations locations, PlatformServices platform, std::unique_ptr<AlertPresenter> alerts, QObject *parent)
    : QObject(parent)
    , m_platform(std::move(platform))
    , m_alerts(std::move(alerts))
    , m_supportDirectory(std::move(locations.supportDirectory))
    , m_preferencesStore(locations.settingsFilePath)
    , m_historyStore(m_supportDirectory, {}, std::move(locations.mayWriteHistory))
    , m_model(std::make_shared<DesktopEntryLocator>())
    , m_pasteService(*m_platform.pasteboard, *m_platform.keyPoster, m_scheduler)
    , m_globalShortcuts(*m_platform.hotKeys)
    , m_updateService(m_clock, m_scheduler, locations.settingsFilePath)
    , m_clipboardMonitor(m_historyStore, *m_platform.pasteboard, *m_platform.workspace, *m_platform.textRecognizer,
          m_supportDirectory, m_clock)
    , m_filePreviewCache(SupportFolder(m_supportDirectory).filePreviewsDirectory(), *m_platform.iconProvider)
    , m_windowFactory(
          &m_applicationMenu, [this] { return m_platform.keyPoster->isTrusted(); },
          HistoryWindowDesktop {m_platform.keyPoster.get(), m_platform.windowFrames.get(),
              m_platform.caretLocator.get(), {}, {}, m_platform.workspace.get(), m_platform.defaultApplications.get()})
    , m_coordinator({m_model, m_preferencesStore, m_historyStore, m_clipboardMonitor, m_pasteService, m_globalShortcuts,
          m_updateService, m_supportDirectory, m_filePreviewCache, m_linkPreviewFetcher, m_soundService,
          *m_platform.defaultApplications, m_windowFactory, *m_alerts, m_fileDialogs, *m_platform.systemBoot, m_clock,
          m_scheduler, *m_platform.keyPoster, *m_platform.workspace, *m_platform.launcher, m_appearance,
          LaunchAtLoginService()})
    , m_statusItems(m_model, m_coordinator, m_applicationMenu)
{
    m_applicationMenu.setTitle(QStringLiteral("Varnisto"));
    connect(&m_updateService, &UpdateService::updateCheckFinished, this, &AppDelegate::showUpdateCheckResult);
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching()
{
    if (std::exchange(m_launched, true))
        return;
    // There is no dock icon to hide here: the windows are tool windows, out of the task bar.
    traceStartup("launching");
    m_coordinator.start();
    m_statusItems.updateMainMenuItem();
    traceStartup("application menu");
    // The tray icon comes with the history window, after the first capture has had its turn; so do the menus'
    // updates, which would otherwise be the first thing the event loop does.
    QTimer::singleShot(AppCoordinator::laterStartDelayMs, this, [this] {
        if (m_terminated)
            return;
        m_statusItems.updateStatusItem();
        m_statusItems.observeModel();
        traceStartup("status item");
    });
    followAutomaticUpdateChecks();
    tellOfLastCrash();
    traceStartup("launched");
    if (std::exchange(m_showHistoryWhenLaunched, false))
        showHistoryWindowOnRequest();
}

void AppDelegate::applicationWillTerminate()
{
    if (!m_launched || std::exchange(m_terminated, true))
        return;
    m_coordinator.prepareForTermination();
}

void AppDelegate::showHistoryWindowOnRequest()
{
    if (m_terminated)
        return;
    if (!m_launched) {
        m_showHistoryWhenLaunched = true;
        return;
    }
    // The user started the program (again) and expects it in front: the window keeps the focus through the
    // activation that follows.
    m_coordinator.showHistoryWindow(true, true);
}

void AppDelegate::tellOfLastCrash()
{
    const std::optional<QString> log = CrashLog::takeUnreportedLog(m_supportDirectory);
    if (!log)
        return;
    qCWarning(lcApp).noquote() << "the last run ended in a crash; its report is in" << *log;
    // After start-up, so that the alert does not hold up the tray icon and the windows.
    QTimer::singleShot(0, this, [this, path = *log] {
        if (m_terminated)
            return;
        m_alerts->inform(AlertPresenter::Style::warning,
            localized(QStringLiteral("Varnisto quit unexpectedly the last time it ran.")),
            localized(QStringLiteral("A report of what happened was saved in %@. You can send it along when you "
                                     "report the problem."),
                {path}));
    });
}

void AppDelegate::followAutomaticUpdateChecks()
{
    const auto follow
        = [this] { m_updateService.setAutomaticChecksEnabled(m_model.preferences().checkForUpdatesAutomatically); };
    connect(&m_model, &AppModel::preferencesChanged, this, follow);
    follow();
}

void AppDelegate::showUpdateCheckResult(const UpdateCheckResult &result)
{
    // The checks the user asked for always answer; a scheduled check speaks up only about a new version.
    if (!result.userInitiated && result.status != UpdateCheckResult::Status::updateAvailable)
        return;
    m_alerts->inform(AlertPresenter::Style::informational, result.title(), result.message());
}
