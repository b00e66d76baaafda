#pragma once

// A coordinator on a real history store and settings file in a temporary folder, with the desktop in memory:
// pasteboard, key poster, hot keys, workspace, system boot, alerts and windows that record what is done to them.

#include "AlertPresenter.h"
#include "AppCoordinator.h"
#include "AppModel.h"
#include "AppModelTestSupport.h"
#include "DefaultApplications.h"
#include "GlobalShortcutService.h"
#include "IconProvider.h"
#include "LaunchAtLoginService.h"
#include "Localization.h"
#include "MemoryHotKeyBackend.h"
#include "MemoryKeyPoster.h"
#include "MemoryPasteboard.h"
#include "PasteService.h"
#include "PasteboardMonitor.h"
#include "PreferencesStore.h"
#include "SQLiteHistoryStore.h"
#include "ShortcutText.h"
#include "SystemBoot.h"
#include "TestSupport.h"
#include "TextRecognizer.h"
#include "UpdateService.h"
#include "Workspace.h"

#include <QDir>
#include <QFile>
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
        , pasteService(pasteboard, keyPoster)
        , shortcuts(hotKeys)
        , monitor(store, pasteboard, workspace, recognizer, supportDirectory, clock)
        , factory(log)
    {
        coordinator = std::make_unique<AppCoordinator>(AppCoordinator::Dependencies {model, preferencesStore, store,
            monitor, pasteService, shortcuts, updates, supportDirectory, icons, applications, factory, alerts, boot,
            clock, LaunchAtLoginService(autostartDirectory, QStringLiteral("/usr/bin/varnisto"))});
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
    AppModel model;
    MemoryPasteboard pasteboard;
    MemoryWorkspace workspace;
    MemoryKeyPoster keyPoster;
    MemoryHotKeyBackend hotKeys;
    MemoryTextRecognizer recognizer;
    ManualClock clock;
    PasteService pasteService;
    GlobalShortcutService shortcuts;
    CountingUpdateService updates;
    PasteboardMonitor monitor;
    PlainIconProvider icons;
    DesktopDefaultApplications applications;
    WindowLog log;
    RecordingWindowFactory factory;
    ScriptedAlerts alerts;
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
