#pragma once

// A coordinator on a real history store and settings file in a temporary folder, with the desktop in memory:
// pasteboard, key poster, hot keys, workspace, system boot, alerts and windows that record what is done to them.

#include "AlertPresenter.h"
#include "AppCoordinator.h"
#include "AppCoordinatorProbe.h"
#include "AppModel.h"
#include "AppModelTestSupport.h"
#include "AppearanceApplier.h"
#include "DefaultApplications.h"
#include "DesktopLauncher.h"
#include "FileDialogPresenter.h"
#include "FilePreviewCache.h"
#include "GlobalShortcutService.h"
#include "IconProvider.h"
#include "LaunchAtLoginService.h"
#include "LinkPreviewFetcher.h"
#include "Localization.h"
#include "ManualScheduler.h"
#include "MemoryHotKeyBackend.h"
#include "MemoryKeyPoster.h"
#include "MemoryPasteboard.h"
#include "PasteService.h"
#include "PasteboardMonitor.h"
#include "PreferencesStore.h"
#include "SQLiteHistoryStore.h"
#include "ShortcutText.h"
#include "SoundService.h"
#include "SystemBoot.h"
#include "TestSupport.h"
#include "TextRecognizer.h"
#include "UpdateService.h"
#include "Workspace.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class CountingUpdateService final : public UpdateService
{
public:
    void checkForUpdates() override { ++checks; }
    int checks = 0;
};

class FixedSystemBoot final : public SystemBoot
{
public:
    BootRecord currentBoot() const override { return boot; }
    BootRecord boot {1'700'000'000.0, QStringLiteral("boot-a")};
};

// Answers confirmations as told and records every alert.
class ScriptedAlerts final : public AlertPresenter
{
public:
    void inform(Style, const QString &message, const QString &informativeText) override
    {
        shown.append(message + QLatin1Char('|') + informativeText);
    }
    bool confirm(const QString &message, const QString &informativeText, const QString &confirmButton,
        const QString &cancelButton) override
    {
        shown.append(message + QLatin1Char('|') + informativeText + QLatin1Char('|') + confirmButton + QLatin1Char('|')
            + cancelButton);
        return answer;
    }

    QStringList shown;
    bool answer = true;
};

// Windows that only record: each call appends an event to the shared log, and the observer sees the log grow.
struct WindowLog
{
    QStringList events;
    std::function<void(const QString &)> observer;

    void add(const QString &event)
    {
        events.append(event);
        if (observer)
            observer(event);
    }
};

class RecordingHistoryWindow final : public HistoryWindow
{
public:
    RecordingHistoryWindow(WindowLog &log, AppModel &model, AppCoordinator &coordinator)
        : m_log(log), m_model(model), m_coordinator(coordinator)
    { }
    void show(bool afterActivation) override
    {
        visible = true;
        m_log.add(afterActivation ? QStringLiteral("history shown after activation") : QStringLiteral("history shown"));
    }
    void hide() override
    {
        saveWindowFrame();
        visible = false;
        m_log.add(QStringLiteral("history hidden"));
    }
    void hideForPaste() override
    {
        visible = false;
        m_log.add(QStringLiteral("history hidden for paste"));
    }
    void saveWindowFrame() override
    {
        AppPreferences preferences = m_model.preferences();
        preferences.historyWindowX = 10;
        preferences.historyWindowY = 20;
        preferences.historyWindowWidth = 300;
        preferences.historyWindowHeight = 400;
        m_model.setPreferences(preferences);
        m_coordinator.savePreferences();
        m_log.add(QStringLiteral("history frame saved"));
    }
    bool isVisible() const override { return visible; }

    bool visible = false;

private:
    WindowLog &m_log;
    AppModel &m_model;
    AppCoordinator &m_coordinator;
};

class RecordingSettingsWindow final : public SettingsWindow
{
public:
    explicit RecordingSettingsWindow(WindowLog &log) : m_log(log) { }
    void restoreWindowFrame() override { m_log.add(QStringLiteral("settings frame restored")); }
    void centerOnMouseScreen() override { m_log.add(QStringLiteral("settings centred")); }
    void makeKeyAndOrderFront() override { m_log.add(QStringLiteral("settings shown")); }

private:
    WindowLog &m_log;
};

class RecordingOnboardingWindow final : public OnboardingWindow
{
public:
    explicit RecordingOnboardingWindow(WindowLog &log) : m_log(log) { }
    ~RecordingOnboardingWindow() override { m_log.add(QStringLiteral("onboarding gone")); }
    void centerOnMouseScreen() override { m_log.add(QStringLiteral("onboarding centred")); }
    void makeKeyAndOrderFront() override { m_log.add(QStringLiteral("onboarding shown")); }
    void close() override { m_log.add(QStringLiteral("onboarding closed")); }

private:
    WindowLog &m_log;
};

class RecordingWindowFactory final : public AppWindowFactory
{
public:
    explicit RecordingWindowFactory(WindowLog &log) : m_log(log) { }

    std::unique_ptr<HistoryWindow> createHistoryWindow(AppModel &model, AppCoordinator &coordinator) override
    {
        m_log.add(QStringLiteral("history created"));
        auto window = std::make_unique<RecordingHistoryWindow>(m_log, model, coordinator);
        history = window.get();
        return window;
    }
    std::unique_ptr<SettingsWindow> createSettingsWindow(AppModel &, AppCoordinator &) override
    {
        m_log.add(QStringLiteral("settings created"));
        return std::make_unique<RecordingSettingsWindow>(m_log);
    }
    std::unique_ptr<OnboardingWindow> createOnboardingWindow(AppModel &, AppCoordinator &) override
    {
        m_log.add(QStringLiteral("onboarding created"));
        return std::make_unique<RecordingOnboardingWindow>(m_log);
    }

    RecordingHistoryWindow *history = nullptr;

private:
    WindowLog &m_log;
};

// The appearance as a palette alone: light, dark, or the desktop's own for the system appearance.
class PaletteAppearanceApplier final : public AppearanceApplier
{
public:
    void apply(AppAppearance appearance) override
    {
        applied.append(appearance);
        switch (appearance) {
        case AppAppearance::system:
            QGuiApplication::setPalette(QPalette());
            break;
        case AppAppearance::light:
            QGuiApplication::setPalette(lightPalette());
            break;
        case AppAppearance::dark:
            QGuiApplication::setPalette(darkPalette());
            break;
        }
    }

    QList<AppAppearance> applied;
};

// Answers file dialogs as told and records what they asked.
class ScriptedFileDialogs final : public FileDialogPresenter
{
public:
    std::optional<QString> chooseSaveLocation(const SaveRequest &request) override
    {
        saveRequests.append(request);
        return answer;
    }
    std::optional<QString> chooseFolder(const QString &title) override
    {
        folderTitles.append(title);
        return answer;
    }
    // The answer waits until answerPending() unless answerAtOnce is set.
    void chooseSaveLocation(QWindow *, const SaveRequest &request, Completion completion) override
    {
        saveRequests.append(request);
        if (answerAtOnce)
            completion(answer);
        else
            pending = std::move(completion);
    }
    void answerPending(const std::optional<QString> &path)
    {
        if (auto completion = std::exchange(pending, {}))
            completion(path);
    }

    std::optional<QString> answer;
    bool answerAtOnce = true;
    Completion pending;
    QList<SaveRequest> saveRequests;
    QStringList folderTitles;
};

// One default application for every file and address (or none), and the addresses it was asked about.
class FixedDefaultApplications final : public DefaultApplications
{
public:
    std::optional<DefaultApplication> forURL(const QUrl &url) const override
    {
        asked.append(url);
        return application;
    }
    std::optional<DefaultApplication> application;
    mutable QList<QUrl> asked;
};

// The real store, with failures that a test arms: a failing operation answers the error and writes nothing.
class FaultInjectingStore final : public HistoryStore
{
public:
    enum class Operation { upsert, deleteItem, touchItem, loadItems, clearHistory, ensureTag, updateTag, deleteTag };

    explicit FaultInjectingStore(HistoryStore &store) : m_store(store) { }

    // The operation fails for the item (any item when none is named) from its `after`-th call on (0: at once).
    void failOn(Operation operation, std::optional<QUuid> id = std::nullopt, int after = 0)
    {
        m_faults.append({operation, id, after});
    }
    void heal() { m_faults.clear(); }
    int count(Operation operation) const { return m_counts.value(operation); }
    static HistoryStoreError error()
    {
        return HistoryStoreError(HistoryStoreError::stepFailed, QStringLiteral("disk I/O error"));
    }

    Result<QList<ClipboardItem>> loadRecentItems(qint64 limit) override { return m_store.loadRecentItems(limit); }
    Result<QList<Tag>> loadTags() override { return m_store.loadTags(); }
    std::optional<HistoryStoreNotice> takeNotice() override { return m_store.takeNotice(); }
    Result<ClipboardItem> insertOrMerge(const ClipboardItem &item, bool sequence) override
    {
        return m_store.insertOrMerge(item, sequence);
    }
    Result<void> upsert(const ClipboardItem &item) override
    {
        if (fails(Operation::upsert, item.id))
            return Result<void>::failure(error());
        return m_store.upsert(item);
    }
    Result<void> upsertItems(const QList<ClipboardItem> &items) override { return m_store.upsertItems(items); }
    Result<std::optional<ClipboardItem>> touchItem(
        const QUuid &id, const std::optional<QDateTime> &copiedAt, bool incrementCopyCount) override
    {
        if (fails(Operation::touchItem, id))
            return Result<std::optional<ClipboardItem>>::failure(error());
        return m_store.touchItem(id, copiedAt, incrementCopyCount);
    }
    Result<void> deleteItem(const QUuid &id) override
    {
        if (fails(Operation::deleteItem, id))
            return Result<void>::failure(error());
        return m_store.deleteItem(id);
    }
    Result<HistoryRemoval> clearHistory(bool keepFavorites) override
    {
        if (fails(Operation::clearHistory, std::nullopt))
            return Result<HistoryRemoval>::failure(error());
        return m_store.clearHistory(keepFavorites);
    }
    Result<HistoryRemoval> pruneItems(const RetentionPolicy &policy) override { return m_store.pruneItems(policy); }
    Result<Tag> ensureTag(const QString &name, const QString &color) override
    {
        if (fails(Operation::ensureTag, std::nullopt))
            return Result<Tag>::failure(error());
        return m_store.ensureTag(name, color);
    }
    Result<Tag> updateTag(const Tag &tag) override
    {
        if (fails(Operation::updateTag, std::nullopt))
            return Result<Tag>::failure(error());
        return m_store.updateTag(tag);
    }
    Result<void> deleteTag(qint64 id) override
    {
        if (fails(Operation::deleteTag, std::nullopt))
            return Result<void>::failure(error());
        return m_store.deleteTag(id);
    }
    Result<QList<QUuid>> loadItemIDs() override { return m_store.loadItemIDs(); }
    Result<QHash<qint64, qint64>> tagItemCounts() override { return m_store.tagItemCounts(); }
    Result<QList<ClipboardItem>> loadItems(const QList<QUuid> &ids) override
    {
        if (fails(Operation::loadItems, std::nullopt))
            return Result<QList<ClipboardItem>>::failure(error());
        return m_store.loadItems(ids);
    }

private:
    struct Fault
    {
        Operation operation;
        std::optional<QUuid> id;
        int after = 0;
    };
    bool fails(Operation operation, const std::optional<QUuid> &id)
    {
        const int call = m_counts.value(operation);
        m_counts.insert(operation, call + 1);
        for (const Fault &fault : std::as_const(m_faults)) {
            if (fault.operation == operation && (!fault.id || fault.id == id) && call >= fault.after)
                return true;
        }
        return false;
    }

    HistoryStore &m_store;
    QList<Fault> m_faults;
    QHash<Operation, int> m_counts;
};

class PlainIconProvider final : public IconProvider
{
public:
    QImage fileIcon(const QString &, int pixelSize) const override
    {
        QImage image(pixelSize, pixelSize, QImage::Format_ARGB32);
        image.fill(Qt::gray);
        return image;
    }
};

// Everything a coordinator needs, in a fresh temporary folder. Preferences written with storePreferences() are
// what start() loads.
class CoordinatorHarness
{
public:
    CoordinatorHarness()
        : supportDirectory(makeSupportDirectory(root))
        , settingsFile(root.path() + QStringLiteral("/Varnisto.conf"))
        , autostartDirectory(root.path() + QStringLiteral("/autostart"))
        , preferencesStore(settingsFile)
        , store(supportDirectory)
        , faults(store)
        , scheduler(clock)
        , pasteService(pasteboard, keyPoster, scheduler)
        , shortcuts(hotKeys)
        , monitor(store, pasteboard, workspace, recognizer, supportDirectory, clock)
        , filePreviews(supportDirectory + QStringLiteral("/FilePreviews"), icons)
        , factory(log)
    {
        // The coordinator's tests go through each capture within the tick, on the manual clock.
        monitor.setCaptureThread(PasteboardMonitor::CaptureThread::caller);
        coordinator = std::make_unique<AppCoordinator>(dependencies(faults, supportDirectory, factory));
    }
    AppCoordinatorProbe probe() { return AppCoordinatorProbe(*coordinator); }
    // Whether the history window is on screen; it is made on demand or a moment after the start.
    bool historyWindowVisible() const { return factory.history && factory.history->isVisible(); }
    // Starts the coordinator and lets the event loop run until the history window has been made, as it is a moment
    // after the start.
    void startWithHistoryWindow()
    {
        coordinator->start();
        waitUntil([this] { return factory.history != nullptr; });
    }
    // What the coordinator is built with: this harness's desktop, with the store, folder and windows given.
    AppCoordinator::Dependencies dependencies(
        HistoryStore &historyStore, const QString &support, AppWindowFactory &windows)
    {
        return {model, preferencesStore, historyStore, monitor, pasteService, shortcuts, updates, support, filePreviews,
            linkPreviewFetcher, sounds, applications, windows, alerts, fileDialogs, boot, clock, scheduler, keyPoster,
            workspace, launcher, appearance,
            LaunchAtLoginService(autostartDirectory, QStringLiteral("/usr/bin/varnisto"))};
    }
    ~CoordinatorHarness()
    {
        coordinator.reset();
        setCurrentInterfaceLanguage(QStringLiteral("en"));
    }

    void storePreferences(const std::function<void(AppPreferences &)> &change)
    {
        AppPreferences preferences;
        change(preferences);
        preferencesStore.save(preferences);
    }
    // Preferences of a user who has been through onboarding, changed as asked.
    void storeOnboardedPreferences(const std::function<void(AppPreferences &)> &change = {})
    {
        storePreferences([&](AppPreferences &preferences) {
            preferences.hasCompletedOnboarding = true;
            if (change)
                change(preferences);
        });
    }
    // The model's preferences changed as asked (not saved).
    void changePreferences(const std::function<void(AppPreferences &)> &change)
    {
        AppPreferences preferences = model.preferences();
        change(preferences);
        model.setPreferences(preferences);
    }

    // The user works in a window of another application.
    void activateApplication(quint32 window, const RunningApplication &application)
    {
        workspace.setApplicationOfWindow(window, application);
        workspace.setFrontApplication(application);
        keyPoster.setActiveWindow(window);
    }
    // One of our own windows is in front: the desktop names no front application.
    void activateOurWindow()
    {
        workspace.setFrontApplication(std::nullopt);
        keyPoster.setActiveWindow(0);
    }

    void storeItems(const QList<ClipboardItem> &items)
    {
        for (const ClipboardItem &item : items)
            ASSERT_TRUE(store.upsert(item));
    }
    QList<ClipboardItem> storedItems()
    {
        auto items = store.loadRecentItems(100000);
        return items ? *items : QList<ClipboardItem>();
    }
    std::optional<ClipboardItem> storedItem(const QUuid &id)
    {
        for (const ClipboardItem &item : storedItems()) {
            if (item.id == id)
                return item;
        }
        return std::nullopt;
    }
    // The raw stored preference document, to see whether anything was saved.
    QByteArray storedPreferenceDocument() const
    {
        return QSettings(settingsFile, QSettings::IniFormat).value(PreferencesStore::key).toByteArray();
    }
    // The shortcut texts that the hot-key backend holds, in registration order.
    QStringList registeredShortcuts() const
    {
        QStringList texts;
        for (const auto &registration : hotKeys.registrations())
            texts.append(QStringLiteral("%1/%2:%3")
                             .arg(registration.id.id)
                             .arg(registration.keyCode)
                             .arg(registration.modifiers));
        return texts;
    }
    static QString registrationOf(quint32 id, const QString &shortcut)
    {
        const auto parsed = ShortcutText::parse(shortcut);
        return parsed ? QStringLiteral("%1/%2:%3").arg(id).arg(parsed->keyCode).arg(parsed->modifiers) : QString();
    }
    // Presses a registered hot key and lets its handler run.
    bool pressHotKey(const QString &shortcut)
    {
        const auto parsed = ShortcutText::parse(shortcut);
        if (!parsed || !hotKeys.press(parsed->keyCode, parsed->modifiers))
            return false;
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return true;
    }

    QTemporaryDir root;
    const QString supportDirectory;
    const QString settingsFile;
    const QString autostartDirectory;
    PreferencesStore preferencesStore;
    SQLiteHistoryStore store;
    FaultInjectingStore faults; // the coordinator's store: the real one, failing where a test says
    AppModel model;
    MemoryPasteboard pasteboard;
    MemoryWorkspace workspace;
    MemoryKeyPoster keyPoster;
    MemoryHotKeyBackend hotKeys;
    MemoryTextRecognizer recognizer;
    ManualClock clock;
    ManualScheduler scheduler; // moves the clock along
    PasteService pasteService;
    GlobalShortcutService shortcuts;
    CountingUpdateService updates;
    PasteboardMonitor monitor;
    PlainIconProvider icons;
    FilePreviewCache filePreviews;
    LinkPreviewFetcher linkPreviewFetcher;
    SoundService sounds;
    FixedDefaultApplications applications;
    MemoryDesktopLauncher launcher;
    WindowLog log;
    RecordingWindowFactory factory;
    ScriptedAlerts alerts;
    ScriptedFileDialogs fileDialogs;
    PaletteAppearanceApplier appearance;
    FixedSystemBoot boot;
    std::unique_ptr<AppCoordinator> coordinator;

private:
    static QString makeSupportDirectory(const QTemporaryDir &root)
    {
        const QString directory = root.path() + QStringLiteral("/Varnisto2");
        QDir().mkpath(directory);
        return directory;
    }
};

inline QString yesNo(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

inline void writeFile(const QString &path, const QByteArray &content = QByteArray("x"))
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}
