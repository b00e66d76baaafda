#include "AppCoordinator.h"

#include "AlertPresenter.h"
#include "AppLogging.h"
#include "AppModel.h"
#include "CopyCommands.h"
#include "FileCommands.h"
#include "GlobalShortcutService.h"
#include "HistorySortOption.h"
#include "HistoryWrites.h"
#include "ImageAssetCleanup.h"
#include "ItemCommands.h"
#include "LinkPreviewRequests.h"
#include "Localization.h"
#include "MemoryTuning.h"
#include "PasteCommands.h"
#include "PreferencesStore.h"
#include "RebootCheck.h"
#include "TagCommands.h"
#include "UpdateService.h"

#include <QLocale>
#include <QSet>
#include <QTimer>

#include <utility>

namespace {

// The global hot keys in the order of their action index.
enum GlobalAction : quint8 { showHistoryAction, pauseAction, pasteNextAction, pasteNextRichAction };

} // namespace

// --- Construction ----------------------------------------------------------------------------------------------------

AppCoordinator::AppCoordinator(Dependencies dependencies, QObject *parent)
    : QObject(parent)
    , m_model(dependencies.model)
    , m_preferencesStore(dependencies.preferencesStore)
    , m_historyStore(dependencies.historyStore)
    , m_clipboardMonitor(dependencies.clipboardMonitor)
    , m_globalShortcuts(dependencies.globalShortcuts)
    , m_updateService(dependencies.updateService)
    , m_supportFolder(dependencies.supportDirectory)
    , m_windowFactory(dependencies.windowFactory)
    , m_systemBoot(dependencies.systemBoot)
    , m_clock(dependencies.clock)
    , m_appearance(dependencies.appearance)
    , m_launchAtLogin(std::move(dependencies.launchAtLogin))
    , m_pasteTarget(dependencies.keyPoster, dependencies.workspace)
    , m_alerts(dependencies.alerts)
    , m_feedback(m_model, dependencies.soundService, dependencies.alerts)
    , m_historyWrites(std::make_unique<HistoryWrites>(
          m_model, m_historyStore, dependencies.filePreviewCache, m_supportFolder, m_clock))
    , m_pasteCommands(std::make_unique<PasteCommands>(m_model, dependencies.pasteService, m_clipboardMonitor,
          *m_historyWrites, m_feedback, m_clock, dependencies.scheduler, [this] { return m_historyWindow.get(); }))
    , m_copyCommands(std::make_unique<CopyCommands>(
          m_model, *m_historyWrites, dependencies.pasteService, m_clipboardMonitor, m_feedback, m_pasteTarget, m_clock))
    , m_itemCommands(std::make_unique<ItemCommands>(m_model, m_historyStore, *m_historyWrites,
          dependencies.filePreviewCache, m_supportFolder, m_feedback, dependencies.alerts, m_clock))
    , m_tagCommands(std::make_unique<TagCommands>(m_model, m_historyStore, *m_historyWrites))
    , m_linkPreviews(std::make_unique<LinkPreviewRequests>(m_model, m_historyStore, *m_historyWrites,
          dependencies.linkPreviewFetcher, m_supportFolder, dependencies.scheduler, m_clock))
    , m_archive(std::make_unique<HistoryArchiveCommands>(m_model, m_historyStore, m_clipboardMonitor,
          dependencies.fileDialogs, m_supportFolder.path(), [this] { loadHistory(); }))
    , m_fileCommands(std::make_unique<FileCommands>(m_model, dependencies.fileDialogs, dependencies.launcher,
          dependencies.defaultApplications, dependencies.alerts))
{ }

AppCoordinator::~AppCoordinator()
{
    // The monitor outlives us; it must not report to a coordinator that is gone.
    if (m_clipboardMonitor.delegate() == this)
        m_clipboardMonitor.setDelegate(nullptr);
    cancelLinkPreviewTasks();
    // An archive operation still running finishes first: it works on the store, which outlives us.
    m_archive.reset();
}

// --- Start-up and termination ----------------------------------------------------------------------------------------

void AppCoordinator::start()
{
    m_model.setPreferences(m_preferencesStore.load());
    const AppPreferences &loaded = m_model.preferences();
    m_model.setHistorySortOption(
        HistorySortOption::fromRawValue(loaded.historySortOption).value_or(HistorySortOption::lastCopyTime));
    m_model.setHistorySortReversed(loaded.isHistorySortReversed);
    applyLanguage();

    AppPreferences migrated = m_model.preferences();
    if (migrateShortcutDefaults(migrated)) {
        m_model.setPreferences(migrated);
        m_preferencesStore.save(migrated);
    }

    traceStartup("preferences");
    loadHistory();
    traceStartup("history loaded");
    reportHistoryStoreNotice();
    removeUnreferencedImages();
    clearHistoryIfRebooted();
    traceStartup("history checked");
    registerGlobalShortcuts();
    m_clipboardMonitor.setDelegate(this);
    m_clipboardMonitor.start(m_model.preferences());
    traceStartup("monitor");
    applyAppearance();
    traceStartup("appearance");

    if (!m_model.preferences().hasCompletedOnboarding)
        showOnboarding();
    else if (m_model.preferences().showMainWindowAtStartup)
        showHistoryWindow(false, false);
    // Laying out a long history takes longer than everything else at start-up together, and the first capture does
    // not need the window: it is made once that capture has had its turn, so that the hot key finds it ready. A
    // hot key pressed before then makes it at once.
    QTimer::singleShot(laterStartDelayMs, this, [this] {
        ensureHistoryWindow();
        traceStartup("history window");
        // Once the window has laid out its rows (on later turns of the event loop) start-up is done: what its steps
        // freed goes back to the system before the program idles.
        QTimer::singleShot(laterStartDelayMs, this, [] { releaseAllFreedMemory(); });
    });
    traceStartup("started");
    qCInfo(lcApp).noquote() << "started with" << m_model.items().size() << "items in" << m_supportFolder.path();
}

bool AppCoordinator::migrateShortcutDefaults(AppPreferences &preferences)
{
    bool changed = false;
    if (preferences.deleteItemShortcut == QLatin1String("delete")) {
        preferences.deleteItemShortcut = QStringLiteral("cmd+delete");
        changed = true;
    }
    if (preferences.toggleFavoriteShortcut == QLatin1String("f")) {
        preferences.toggleFavoriteShortcut = QStringLiteral("cmd+s");
        changed = true;
    }
    return changed;
}

void AppCoordinator::applyLanguage()
{
    const QString previous = currentInterfaceLanguage();
    const QString requested = m_model.preferences().language;
    const QString language = supportedLanguageCode(requested);
    setCurrentInterfaceLanguage(language);
    if (requested != language) {
        AppPreferences preferences = m_model.preferences();
        preferences.language = language;
        m_model.setPreferences(preferences);
    }
    if (language != previous)
        m_model.setLocalizationRevision(QUuid::createUuid());
}

void AppCoordinator::loadHistory()
{
    m_historyLoaded = false;
    const auto tags = m_historyStore.loadTags();
    if (!tags) {
        m_model.setLastError(tags.error().description());
        return;
    }
    m_model.setTags(*tags);

    const auto items = m_historyStore.loadRecentItems(m_model.preferences().historyItemLimit());
    if (!items) {
        m_model.setLastError(items.error().description());
        return;
    }
    m_model.setItems(*items);
    m_itemCommands->removeUnusedFilePreviews();

    PasteCommands::selectSingleItem(
        m_model, m_model.items().isEmpty() ? std::nullopt : std::optional<QUuid>(m_model.items().first().id));
    m_historyLoaded = true;
}

void AppCoordinator::reportHistoryStoreNotice()
{
    const auto notice = m_historyStore.takeNotice();
    if (!notice)
        return;
    m_model.setLastError(notice->message);
    qCWarning(lcApp).noquote() << notice->message;
    // Image files of items that could not be read back from a damaged file, or that may not be changed, stay.
    m_historyLoaded = false;
    // After start-up, so that the alert does not hold up the tray icon and the windows.
    QTimer::singleShot(0, this,
        [this, message = notice->message] { m_alerts.inform(AlertPresenter::Style::warning, message, QString()); });
}

void AppCoordinator::removeUnreferencedImages()
{
    // Only a history that loaded tells which images are still in use.
    if (!m_historyLoaded)
        return;
    const QStringList removed
        = ImageAssetCleanup::removeUnreferencedImages(m_supportFolder, m_model.items(), m_historyStore);
    if (!removed.isEmpty())
        qCInfo(lcApp) << "removed image files without an item:" << removed;
}

void AppCoordinator::clearHistoryIfRebooted()
{
    const bool restarted = RebootCheck::recordBoot(m_preferencesStore.settingsFilePath(), m_systemBoot.currentBoot());
    if (restarted && m_model.preferences().clearHistoryOnReboot)
        clearHistory();
}

void AppCoordinator::registerGlobalShortcuts()
{
    m_globalShortcuts.unregisterAll();
    if (m_globalShortcutsSuspended)
        return;
    const AppPreferences &preferences = m_model.preferences();
    m_globalShortcuts.registerShortcut(
        showHistoryAction, preferences.showHistoryShortcut, this, [this] { showHistoryWindow(false, false); });
    m_globalShortcuts.registerShortcut(pauseAction, preferences.pauseShortcut, this, [this] { togglePaused(); });
    m_globalShortcuts.registerShortcut(
        pasteNextAction, preferences.pasteNextShortcut, this, [this] { pasteNext(std::nullopt); });
    m_globalShortcuts.registerShortcut(
        pasteNextRichAction, preferences.pasteNextRichShortcut, this, [this] { pasteNext(PasteVariant::standard); });
}

void AppCoordinator::setGlobalShortcutsSuspended(bool suspended)
{
    if (std::exchange(m_globalShortcutsSuspended, suspended) == suspended)
        return;
    registerGlobalShortcuts();
}

void AppCoordinator::applyAppearance()
{
    m_appearance.apply(m_model.preferences().appearance);
}

void AppCoordinator::showOnboarding()
{
    if (!m_onboardingWindow)
        m_onboardingWindow = m_windowFactory.createOnboardingWindow(m_model, *this);
    // No dock and no activation policy here: bringing the window to the front is all it takes.
    m_onboardingWindow->centerOnMouseScreen();
    m_onboardingWindow->makeKeyAndOrderFront();
}

namespace {

// A window may be the one whose button or close event is running: it goes on a later turn of the event loop.
template<typename Window> void disposeLater(QObject *context, std::unique_ptr<Window> window)
{
    if (!window)
        return;
    QMetaObject::invokeMethod(
        context, [window = std::shared_ptr<Window>(std::move(window))] {}, Qt::QueuedConnection);
}

} // namespace

void AppCoordinator::completeOnboarding()
{
    AppPreferences preferences = m_model.preferences();
    preferences.hasCompletedOnboarding = true;
    m_model.setPreferences(preferences);
    applyPreferences();
    if (std::unique_ptr<OnboardingWindow> window = std::move(m_onboardingWindow)) {
        window->close();
        disposeLater(this, std::move(window));
    }
    showHistoryWindow(true, true);
}

void AppCoordinator::onboardingWindowDidClose(OnboardingWindow *window)
{
    if (!window || window != m_onboardingWindow.get())
        return;
    disposeLater(this, std::move(m_onboardingWindow));
}

void AppCoordinator::prepareForTermination()
{
    qCInfo(lcApp) << "preparing for termination";
    if (m_historyWindow)
        m_historyWindow->saveWindowFrame();
    applyPreferences();
    if (m_model.preferences().clearHistoryOnQuit)
        clearHistory();
    cancelLinkPreviewTasks();
    m_clipboardMonitor.stop();
    m_globalShortcuts.unregisterAll();
}

// --- Window commands and preferences ---------------------------------------------------------------------------------

void AppCoordinator::ensureHistoryWindow()
{
    if (!m_historyWindow)
        m_historyWindow = m_windowFactory.createHistoryWindow(m_model, *this);
}

void AppCoordinator::rememberPasteTarget()
{
    // Our window takes the focus on this platform, so the paste target is remembered before it does. While it is
    // already up, the window in front is our own and the target stays as it was.
    if (!m_historyWindow || !m_historyWindow->isVisible())
        m_pasteTarget.remember();
}

void AppCoordinator::showHistoryWindow(bool afterActivation, bool activate)
{
    Q_UNUSED(activate) // showing the window brings it to the front with the focus in any case
    if (isHistoryArchiveOperationRunning())
        return;
    ensureHistoryWindow();
    m_clipboardMonitor.setLastCopySequencePasteTime(m_clock.now());
    resetPasteNextItem();
    rememberPasteTarget();
    m_historyWindow->show(afterActivation);
}

void AppCoordinator::toggleHistoryWindow()
{
    if (isHistoryArchiveOperationRunning())
        return;
    ensureHistoryWindow();
    if (m_historyWindow->isVisible()) {
        m_historyWindow->hide();
        return;
    }
    m_clipboardMonitor.setLastCopySequencePasteTime(m_clock.now());
    resetPasteNextItem();
    rememberPasteTarget();
    m_historyWindow->show(false);
}

void AppCoordinator::resetPasteNextItem()
{
    m_pasteCommands->resetPasteNextItem();
}

void AppCoordinator::togglePin()
{
    AppPreferences preferences = m_model.preferences();
    preferences.hideOnFocusLoss = !preferences.hideOnFocusLoss;
    m_model.setPreferences(preferences);
    applyPreferences();
    // The window stays a stay-on-top tool window either way (its flags are set once, when it is built: changing
    // them would hide it); whether it hides on focus loss it reads from the preferences.
}

void AppCoordinator::setSettingsSection(SettingsSection section)
{
    m_settingsSection = section;
    Q_EMIT settingsSectionChanged(section);
}

void AppCoordinator::openSettings(SettingsSection section)
{
    setSettingsSection(section);
    if (!m_settingsWindow)
        m_settingsWindow = m_windowFactory.createSettingsWindow(m_model, *this);
    m_settingsWindow->restoreWindowFrame();
    m_settingsWindow->centerOnMouseScreen();
    m_settingsWindow->makeKeyAndOrderFront();
}

void AppCoordinator::selectSettingsSection(SettingsSection section)
{
    if (section != m_settingsSection)
        setSettingsSection(section);
}

QHash<qint64, qint64> AppCoordinator::tagItemCounts() const
{
    if (auto counts = m_historyStore.tagItemCounts())
        return *counts;
    QHash<qint64, qint64> counts;
    for (const ClipboardItem &item : m_model.items()) {
        for (qint64 tag : item.tags)
            ++counts[tag];
    }
    return counts;
}

void AppCoordinator::settingsWindowDidClose()
{
    applyPreferences();
}

void AppCoordinator::savePreferences()
{
    m_preferencesStore.save(m_model.preferences());
}

void AppCoordinator::applyPreferences()
{
    savePreferences();
    applyAppearance();
    applyLanguage();
    m_clipboardMonitor.updatePreferences(m_model.preferences());
    if (!m_model.preferences().showPreviewForLinks)
        cancelLinkPreviewTasks();
    m_launchAtLogin.updateLaunchAtLogin(m_model.preferences().launchAtLogin);
    registerGlobalShortcuts();
}

void AppCoordinator::cancelLinkPreviewTasks()
{
    if (m_linkPreviews)
        m_linkPreviews->cancelLinkPreviewTasks();
}

void AppCoordinator::togglePaused()
{
    m_model.setPaused(!m_model.isPaused());
    m_clipboardMonitor.setPaused(m_model.isPaused());
}

void AppCoordinator::checkForUpdates()
{
    m_updateService.checkForUpdates();
}

// --- Paste -----------------------------------------------------------------------------------------------------------

void AppCoordinator::paste(const ClipboardItem &item, PasteVariant variant)
{
    m_pasteCommands->paste(item, variant);
}

void AppCoordinator::pasteSelectedItems()
{
    m_pasteCommands->pasteSelectedItems();
}

void AppCoordinator::pasteItems(const QList<ClipboardItem> &items, const QHash<QUuid, PasteVariant> &variantsByID,
    std::optional<PasteSeparator> separator)
{
    m_pasteCommands->pasteItems(items, variantsByID, separator);
}

void AppCoordinator::pasteNext(std::optional<PasteVariant> variant)
{
    m_pasteCommands->pasteNext(variant);
}

void AppCoordinator::playSound(SoundEffect effect)
{
    m_feedback.playSound(effect);
}

// --- Copy and merge --------------------------------------------------------------------------------------------------

bool AppCoordinator::copyItem(const ClipboardItem &item, PasteVariant variant)
{
    return m_copyCommands->copyItem(item, variant);
}

bool AppCoordinator::copyItemAsPlainText(const ClipboardItem &item)
{
    return m_copyCommands->copyItemAsPlainText(item);
}

bool AppCoordinator::copyText(const QString &text)
{
    return m_copyCommands->copyText(text);
}

bool AppCoordinator::copyMergedItems(const QList<ClipboardItem> &items)
{
    return m_copyCommands->copyMergedItems(items);
}

void AppCoordinator::mergeSelectedItems(const QList<ClipboardItem> &items)
{
    m_copyCommands->mergeSelectedItems(items);
}

// --- Clearing --------------------------------------------------------------------------------------------------------

void AppCoordinator::clearHistory()
{
    m_itemCommands->clearHistory();
}

bool AppCoordinator::confirmClearHistory()
{
    return m_itemCommands->confirmClearHistory();
}

// --- Archive ---------------------------------------------------------------------------------------------------------

bool AppCoordinator::exportHistoryArchive(ArchiveProgress progress, ExportCompletion completion)
{
    return m_archive->exportHistoryArchive(std::move(progress), std::move(completion));
}

bool AppCoordinator::importHistoryArchive(ArchiveProgress progress, ImportCompletion completion)
{
    return m_archive->importHistoryArchive(std::move(progress), std::move(completion));
}

// --- Items -----------------------------------------------------------------------------------------------------------

void AppCoordinator::deleteItems(const QList<ClipboardItem> &items)
{
    m_itemCommands->deleteItems(items);
}

void AppCoordinator::splitItem(const ClipboardItem &item)
{
    m_itemCommands->splitItem(item);
}

void AppCoordinator::toggleFavorite(const ClipboardItem &item)
{
    m_itemCommands->toggleFavorite(item);
}

void AppCoordinator::setFavorite(bool favorite, const QList<ClipboardItem> &items)
{
    m_itemCommands->setFavorite(favorite, items);
}

void AppCoordinator::renameItem(const ClipboardItem &item, const std::optional<QString> &title)
{
    m_itemCommands->renameItem(item, title);
}

void AppCoordinator::editItem(const ClipboardItem &item, const QString &text)
{
    m_itemCommands->editItem(item, text);
}

void AppCoordinator::transformItem(const ClipboardItem &item, ClipboardTextTransform transform)
{
    m_itemCommands->transformItem(item, transform);
}

// --- Tags ------------------------------------------------------------------------------------------------------------

std::optional<Tag> AppCoordinator::createTag(const QString &name, const QColor &color)
{
    return m_tagCommands->createTag(name, color);
}

void AppCoordinator::updateTag(qint64 id, const QString &name, const QColor &color)
{
    m_tagCommands->updateTag(id, name, color);
}

void AppCoordinator::deleteTag(qint64 id)
{
    m_tagCommands->deleteTag(id);
}

void AppCoordinator::toggleTag(const ClipboardItem &item, qint64 tagID)
{
    m_tagCommands->toggleTag(item, tagID);
}

void AppCoordinator::assignTag(const ClipboardItem &item, qint64 tagID)
{
    m_tagCommands->assignTag(item, tagID);
}

// --- Link previews ---------------------------------------------------------------------------------------------------

void AppCoordinator::requestLinkPreviews(const ClipboardItem &item)
{
    m_linkPreviews->requestLinkPreviews(item);
}

void AppCoordinator::refreshLinkPreview(const ClipboardItem &item, bool force)
{
    m_linkPreviews->refreshLinkPreview(item, force);
}

bool AppCoordinator::isHistoryArchiveOperationRunning() const
{
    return m_archive->isRunning();
}

// --- Saving, opening and revealing -----------------------------------------------------------------------------------

bool AppCoordinator::saveImage(const ClipboardItem &item, QWindow *window, std::function<void()> completion)
{
    return m_fileCommands->saveImage(item, window, std::move(completion));
}

void AppCoordinator::openInAssociatedApplication(const ClipboardItem &item)
{
    m_fileCommands->openInAssociatedApplication(item);
}

void AppCoordinator::openWithApplication(const ClipboardItem &item, const QUrl &applicationURL)
{
    m_fileCommands->openWithApplication(item, applicationURL);
}

void AppCoordinator::openLink(const ClipboardItem &item)
{
    m_fileCommands->openLink(item);
}

void AppCoordinator::openWebAddress(const QUrl &url)
{
    m_fileCommands->openWebAddress(url);
}

void AppCoordinator::showInFinder(const ClipboardItem &item)
{
    m_fileCommands->showInFinder(item);
}

// --- Captures --------------------------------------------------------------------------------------------------------

void AppCoordinator::pasteboardMonitorDidCapture(const ClipboardItem &item, const QList<ClipboardItem> &updatedItems)
{
    qCInfo(lcApp).noquote() << "captured" << item.kind.rawValue() << "item"
                            << item.id.toString(QUuid::WithoutBraces).toUpper();
    for (const ClipboardItem &updated : updatedItems)
        m_model.updateItem(updated);
    m_model.upsertItem(item);
    m_model.trimItems(m_model.preferences().maxHistoryItems);
    resetPasteNextItem();
    playSound(SoundEffect::copy);
    if (m_model.refusedCopyLimit()) {
        m_model.setRefusedCopyLimit(std::nullopt);
        Q_EMIT captureNoticeChanged();
    }
}

void AppCoordinator::pasteboardMonitorDidRefuse(const OversizedContent &leftOut)
{
    m_model.setRefusedCopyLimit(leftOut.limit);
    Q_EMIT captureNoticeChanged();
}

void AppCoordinator::dismissCaptureNotice()
{
    if (!m_model.refusedCopyLimit())
        return;
    m_model.setRefusedCopyLimit(std::nullopt);
    Q_EMIT captureNoticeChanged();
}

std::optional<QString> AppCoordinator::captureNotice() const
{
    return m_model.refusedCopyNotice();
}

void AppCoordinator::pasteboardMonitorDidPrune(const HistoryRemoval &removal)
{
    const QSet<QUuid> removedIDs(removal.itemIDs.cbegin(), removal.itemIDs.cend());
    QList<ClipboardItem> removed;
    QList<ClipboardItem> kept;
    for (const ClipboardItem &item : m_model.items())
        (removedIDs.contains(item.id) ? removed : kept).append(item);
    m_historyWrites->removeFilePreviews(removed, kept);
    if (!removed.isEmpty())
        m_model.removeItems(removedIDs);
}

void AppCoordinator::pasteboardMonitorDidUpdate(const ClipboardItem &item)
{
    // An item that left the model meanwhile (deleted, cleared, trimmed) is not brought back.
    for (const ClipboardItem &loaded : m_model.items()) {
        if (loaded.id == item.id) {
            m_model.updateItem(item);
            return;
        }
    }
}
