#include "AppCoordinator.h"

#include "AlertPresenter.h"
#include "AppModel.h"
#include "GlobalShortcutService.h"
#include "HistorySortOption.h"
#include "ImageAssetCleanup.h"
#include "Localization.h"
#include "PasteService.h"
#include "PreferencesStore.h"
#include "RebootCheck.h"
#include "UpdateService.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QSet>

namespace {

Q_LOGGING_CATEGORY(lcCoordinator, "varnisto.app.coordinator", QtWarningMsg)

// The batched model update of fetched link previews waits this long for more previews to arrive.
constexpr int linkPreviewModelUpdateDelayMs = 150;

// The global hot keys in the order of their action index.
enum GlobalAction : quint8 { showHistoryAction, pauseAction, pasteNextAction, pasteNextRichAction };

} // namespace

// --- CommandFailure --------------------------------------------------------------------------------------------------

QString AppCoordinator::CommandFailure::description() const
{
    if (const auto *paste = std::get_if<PasteServiceError>(&m_error))
        return paste->errorDescription();
    return std::get<HistoryStoreError>(m_error).description();
}

bool AppCoordinator::CommandFailure::isAccessibilityPermissionRequired() const
{
    const auto *paste = std::get_if<PasteServiceError>(&m_error);
    return paste && *paste == PasteServiceError::accessibilityPermissionRequired;
}

// --- Construction ----------------------------------------------------------------------------------------------------

AppCoordinator::AppCoordinator(Dependencies dependencies, QObject *parent)
    : QObject(parent)
    , m_model(dependencies.model)
    , m_preferencesStore(dependencies.preferencesStore)
    , m_historyStore(dependencies.historyStore)
    , m_clipboardMonitor(dependencies.clipboardMonitor)
    , m_pasteService(dependencies.pasteService)
    , m_globalShortcuts(dependencies.globalShortcuts)
    , m_updateService(dependencies.updateService)
    , m_supportDirectory(dependencies.supportDirectory)
    , m_filePreviewCache(m_supportDirectory + QStringLiteral("/FilePreviews"), dependencies.iconProvider)
    , m_defaultApplications(dependencies.defaultApplications)
    , m_windowFactory(dependencies.windowFactory)
    , m_alerts(dependencies.alerts)
    , m_systemBoot(dependencies.systemBoot)
    , m_clock(dependencies.clock)
    , m_launchAtLogin(std::move(dependencies.launchAtLogin))
{
    m_linkPreviewModelUpdateTimer.setSingleShot(true);
    m_linkPreviewModelUpdateTimer.setInterval(linkPreviewModelUpdateDelayMs);
}

AppCoordinator::~AppCoordinator()
{
    // The monitor outlives us; it must not report to a coordinator that is gone.
    if (m_clipboardMonitor.delegate() == this)
        m_clipboardMonitor.setDelegate(nullptr);
    cancelLinkPreviewTasks();
}

QString AppCoordinator::imagesDirectory() const
{
    return m_supportDirectory + QStringLiteral("/Images");
}

QString AppCoordinator::linkPreviewsDirectory() const
{
    return m_supportDirectory + QStringLiteral("/LinkPreviews");
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

    loadHistory();
    removeUnreferencedImages();
    clearHistoryIfRebooted();
    ensureHistoryWindow();
    registerGlobalShortcuts();
    m_clipboardMonitor.setDelegate(this);
    m_clipboardMonitor.start(m_model.preferences());
    applyAppearance();

    if (!m_model.preferences().hasCompletedOnboarding)
        showOnboarding();
    else if (m_model.preferences().showMainWindowAtStartup)
        showHistoryWindow(false, false);
    qCInfo(lcCoordinator).noquote() << "started with" << m_model.items().size() << "items in" << m_supportDirectory;
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

    QSet<QString> filePaths;
    for (const ClipboardItem &item : m_model.items()) {
        for (const QString &path : item.filePaths)
            filePaths.insert(path);
    }
    m_filePreviewCache.removePreviewsExcept(filePaths);

    selectSingleItem(m_model.items().isEmpty() ? std::nullopt : std::optional<QUuid>(m_model.items().first().id));
    m_historyLoaded = true;
}

void AppCoordinator::removeUnreferencedImages()
{
    // Only a history that loaded tells which images are still in use.
    if (!m_historyLoaded)
        return;
    const QStringList removed
        = ImageAssetCleanup::removeUnreferencedImages(imagesDirectory(), m_model.items(), m_historyStore);
    if (!removed.isEmpty())
        qCInfo(lcCoordinator) << "removed image files without an item:" << removed;
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
    const AppPreferences &preferences = m_model.preferences();
    m_globalShortcuts.registerShortcut(
        showHistoryAction, preferences.showHistoryShortcut, this, [this] { showHistoryWindow(false, false); });
    m_globalShortcuts.registerShortcut(pauseAction, preferences.pauseShortcut, this, [this] { togglePaused(); });
    m_globalShortcuts.registerShortcut(
        pasteNextAction, preferences.pasteNextShortcut, this, [this] { pasteNext(std::nullopt); });
    m_globalShortcuts.registerShortcut(
        pasteNextRichAction, preferences.pasteNextRichShortcut, this, [this] { pasteNext(PasteVariant::standard); });
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
    qCInfo(lcCoordinator) << "preparing for termination";
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
        m_pasteService.keyPoster().rememberTargetWindow();
}

void AppCoordinator::showHistoryWindow(bool afterActivation, bool activate)
{
    Q_UNUSED(activate) // showing the window brings it to the front with the focus in any case
    if (m_isHistoryArchiveOperationRunning)
        return;
    ensureHistoryWindow();
    m_clipboardMonitor.setLastCopySequencePasteTime(m_clock.now());
    resetPasteNextItem();
    rememberPasteTarget();
    m_historyWindow->show(afterActivation);
}

void AppCoordinator::toggleHistoryWindow()
{
    if (m_isHistoryArchiveOperationRunning)
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

QList<ClipboardItem> AppCoordinator::pasteNextCandidates(const QList<ClipboardItem> &items) const
{
    if (!m_model.preferences().pinFavoritesToTop)
        return items;
    QList<ClipboardItem> candidates;
    for (const ClipboardItem &item : items) {
        if (!item.isFavorite)
            candidates.append(item);
    }
    return candidates;
}

void AppCoordinator::resetPasteNextItem()
{
    const QList<ClipboardItem> candidates = pasteNextCandidates(m_model.filteredItems());
    m_pasteNextOrder.clear();
    for (const ClipboardItem &item : candidates)
        m_pasteNextOrder.append(item.id);
    m_pasteNextItemID = m_pasteNextOrder.isEmpty() ? std::nullopt : std::optional<QUuid>(m_pasteNextOrder.first());
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
    const auto tasks = std::exchange(m_linkPreviewTasksByItemID, {});
    for (const QPointer<LinkPreviewFetch> &fetch : tasks) {
        if (fetch)
            fetch->cancel();
    }
    m_linkPreviewModelUpdateTimer.stop();
    m_pendingLinkPreviewModelUpdatesByItemID.clear();
}

void AppCoordinator::togglePaused()
{
    m_model.setPaused(!m_model.isPaused());
    m_clipboardMonitor.setPaused(m_model.isPaused());
}

// --- Paste -----------------------------------------------------------------------------------------------------------

PasteVariant AppCoordinator::defaultPasteVariant(const ClipboardItem &item) const
{
    const bool textLike = item.kind != ClipboardKind::image && item.kind != ClipboardKind::file;
    return textLike && m_model.preferences().preferPastingAsPlainText ? PasteVariant::plainText
                                                                      : PasteVariant::standard;
}

void AppCoordinator::paste(const ClipboardItem &item, PasteVariant variant)
{
    if (m_model.preferences().hideOnFocusLoss && m_historyWindow)
        m_historyWindow->hideForPaste();
    if (auto pasted = pasteWithoutHiding(item, variant); !pasted)
        reportFailure(pasted.error());
}

Expected<void, AppCoordinator::CommandFailure> AppCoordinator::pasteWithoutHiding(
    const ClipboardItem &item, PasteVariant variant)
{
    using Result = Expected<void, CommandFailure>;
    if (!m_pasteService.keyPoster().isTrusted())
        return Result::failure(PasteServiceError(PasteServiceError::accessibilityPermissionRequired));
    if (auto written = m_pasteService.write(item, variant); !written)
        return Result::failure(written.error());
    m_pasteService.postPasteKeystroke(variant);
    playSound(SoundEffect::paste);
    const auto updated = updateItemAfterAction(item, true);
    if (!updated)
        return Result::failure(updated.error());
    if (*updated)
        m_model.updateItem(**updated);
    m_clipboardMonitor.setLastCopySequencePasteTime(m_clock.now());
    return {};
}

void AppCoordinator::pasteNext(std::optional<PasteVariant> variant)
{
    const QList<ClipboardItem> candidates = pasteNextCandidates(m_model.filteredItems());
    if (candidates.isEmpty())
        return;
    const auto find = [&](const std::optional<QUuid> &id) -> const ClipboardItem * {
        if (!id)
            return nullptr;
        for (const ClipboardItem &candidate : candidates) {
            if (candidate.id == *id)
                return &candidate;
        }
        return nullptr;
    };
    const ClipboardItem *target = find(m_pasteNextItemID);
    if (!target)
        target = find(m_model.selectedItemID());
    if (!target)
        target = &candidates.first();

    // The next item follows in the order of the last reset, skipping items that are gone since; an item that was
    // not in that order walks the list as it is now.
    QSet<QUuid> candidateIDs;
    for (const ClipboardItem &candidate : candidates)
        candidateIDs.insert(candidate.id);
    QList<QUuid> order;
    for (const QUuid &id : std::as_const(m_pasteNextOrder)) {
        if (candidateIDs.contains(id))
            order.append(id);
    }
    if (!order.contains(target->id)) {
        order.clear();
        for (const ClipboardItem &candidate : candidates)
            order.append(candidate.id);
    }
    const qsizetype position = order.indexOf(target->id);
    const QUuid nextID = order.at((position + 1) % order.size());

    const ClipboardItem item = *target;
    if (m_model.preferences().hideOnFocusLoss && m_historyWindow)
        m_historyWindow->hideForPaste();
    if (auto pasted = pasteWithoutHiding(item, variant.value_or(defaultPasteVariant(item))); !pasted) {
        reportFailure(pasted.error());
        return;
    }
    m_pasteNextItemID = nextID;
    selectSingleItem(nextID);
}

void AppCoordinator::selectSingleItem(const std::optional<QUuid> &id)
{
    m_model.setSelectedItemID(id);
    m_model.setSelectedItemIDs(id ? QSet<QUuid> {*id} : QSet<QUuid>());
    m_model.setSelectedItemIDsInSelectionOrder(id ? QList<QUuid> {*id} : QList<QUuid>());
}

Expected<std::optional<ClipboardItem>, HistoryStoreError> AppCoordinator::updateItemAfterAction(
    const ClipboardItem &item, bool incrementCopyCount)
{
    const AppPreferences &preferences = m_model.preferences();
    std::optional<QDateTime> copiedAt;
    if (preferences.updateHistoryAfterAction && !preferences.copySequenceModeEnabled)
        copiedAt = m_clock.now();
    if (!copiedAt && !incrementCopyCount)
        return std::optional<ClipboardItem>();
    return m_historyStore.touchItem(item.id, copiedAt, incrementCopyCount);
}

void AppCoordinator::playSound(SoundEffect effect)
{
    m_soundService.playIfEnabled(effect, SoundSwitches::from(m_model.preferences()));
}

void AppCoordinator::reportFailure(const CommandFailure &failure)
{
    m_model.setLastError(failure.description());
    showAccessibilityAlert(failure);
}

void AppCoordinator::showAccessibilityAlert(const CommandFailure &failure)
{
    if (!failure.isAccessibilityPermissionRequired())
        return;
    // This desktop has no permission to grant and no settings page to open: the display either takes synthetic
    // key input or it does not.
    m_alerts.inform(AlertPresenter::Style::warning, localized(QStringLiteral("Synthetic key input is required")),
        localized(QStringLiteral("Varnisto needs an X11 session whose display allows synthetic key input (the "
                                 "XTEST extension) to paste into the previously active app.")));
}

// --- Clearing --------------------------------------------------------------------------------------------------------

void AppCoordinator::clearHistory()
{
    const bool keep = m_model.preferences().keepFavoritesOnClearHistory;
    const auto removal = m_historyStore.clearHistory(keep);
    if (!removal) {
        m_model.setLastError(removal.error().description());
        return;
    }
    const QSet<QUuid> removedIDs(removal->itemIDs.cbegin(), removal->itemIDs.cend());
    QList<ClipboardItem> removed;
    QList<ClipboardItem> kept;
    for (const ClipboardItem &item : m_model.items())
        (removedIDs.contains(item.id) ? removed : kept).append(item);

    // The files the cleared rows referred to: their images, link previews and icons.
    for (const QString &path : removal->assetPaths)
        QFile::remove(path);
    if (!keep) {
        QDir(linkPreviewsDirectory()).removeRecursively();
        m_filePreviewCache.removeAll();
    } else {
        for (const ClipboardItem &item : std::as_const(removed))
            removeLinkPreviewFiles(item);
        removeFilePreviews(removed, kept);
    }
    m_model.removeItems(removedIDs);
}

bool AppCoordinator::confirmClearHistory()
{
    const AppPreferences &preferences = m_model.preferences();
    if (!preferences.warnOnClearHistory)
        return true;
    const QString informative = preferences.keepFavoritesOnClearHistory
        ? localized(QStringLiteral("This will delete all history items except favorites and tagged items. This "
                                   "action cannot be undone."))
        : localized(QStringLiteral("This will delete all history items including favorites and tagged items. This "
                                   "action cannot be undone."));
    return m_alerts.confirm(localized(QStringLiteral("Are you sure you want to clear entire history?")), informative,
        localized(QStringLiteral("Delete All")), localized(QStringLiteral("Cancel")));
}

void AppCoordinator::removeLinkPreviewFiles(const ClipboardItem &item)
{
    if (!item.linkPreviewDetails)
        return;
    if (item.linkPreviewDetails->imagePath)
        QFile::remove(*item.linkPreviewDetails->imagePath);
    if (item.linkPreviewDetails->faviconPath)
        QFile::remove(*item.linkPreviewDetails->faviconPath);
}

void AppCoordinator::removeFilePreviews(const QList<ClipboardItem> &removed, const QList<ClipboardItem> &kept)
{
    QSet<QString> paths;
    for (const ClipboardItem &item : removed) {
        for (const QString &path : item.filePaths)
            paths.insert(path);
    }
    if (paths.isEmpty())
        return;
    for (const ClipboardItem &item : kept) {
        for (const QString &path : item.filePaths)
            paths.remove(path);
    }
    if (!paths.isEmpty())
        m_filePreviewCache.removePreviews(paths);
}

// --- Captures --------------------------------------------------------------------------------------------------------

void AppCoordinator::handleCapturedItem(const ClipboardItem &item, const QList<ClipboardItem> &updatedItems)
{
    qCInfo(lcCoordinator).noquote() << "captured" << item.kind.rawValue() << "item"
                                    << item.id.toString(QUuid::WithoutBraces).toUpper();
    for (const ClipboardItem &updated : updatedItems)
        m_model.updateItem(updated);
    m_model.upsertItem(item);
    m_model.trimItems(m_model.preferences().maxHistoryItems);
    resetPasteNextItem();
    playSound(SoundEffect::copy);
}

void AppCoordinator::pasteboardMonitorDidPrune(const HistoryRemoval &removal)
{
    const QSet<QUuid> removedIDs(removal.itemIDs.cbegin(), removal.itemIDs.cend());
    QList<ClipboardItem> removed;
    QList<ClipboardItem> kept;
    for (const ClipboardItem &item : m_model.items())
        (removedIDs.contains(item.id) ? removed : kept).append(item);
    removeFilePreviews(removed, kept);
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
