#pragma once

#include "AppWindows.h"
#include "AppearanceApplier.h"
#include "ClipboardItem.h"
#include "Expected.h"
#include "FilePreviewCache.h"
#include "HistoryStoreError.h"
#include "LaunchAtLoginService.h"
#include "LinkPreviewFetcher.h"
#include "PasteServiceError.h"
#include "PasteVariant.h"
#include "PasteboardMonitor.h"
#include "PasteboardMonitorDelegate.h"
#include "SettingsSection.h"
#include "SoundEffect.h"
#include "SoundService.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUuid>

#include <memory>
#include <optional>
#include <variant>

class AlertPresenter;
class AppModel;
class DefaultApplications;
class GlobalShortcutService;
class HistoryStore;
class IconProvider;
class PasteService;
class PreferencesStore;
class SystemBoot;
class UpdateService;

// The program's coordinator: it runs start-up and termination, opens and closes the windows, applies the
// preferences, takes in what the pasteboard monitor captured, and carries out the user's commands. Windows read the
// model and act only through it. It writes the history store first and tells the model after the write succeeded.
// Main thread only.
class AppCoordinator final : public QObject, public PasteboardMonitorDelegate
{
    Q_OBJECT
    Q_PROPERTY(SettingsSection settingsSection READ settingsSection NOTIFY settingsSectionChanged)

public:
    // Everything the coordinator works with. The services are shared with the application delegate, which owns
    // them; each must outlive the coordinator.
    struct Dependencies
    {
        AppModel &model;
        PreferencesStore &preferencesStore;
        HistoryStore &historyStore; // the same store the monitor writes
        PasteboardMonitor &clipboardMonitor;
        PasteService &pasteService;
        GlobalShortcutService &globalShortcuts;
        UpdateService &updateService;
        QString supportDirectory;
        const IconProvider &iconProvider; // for the file preview cache
        const DefaultApplications &defaultApplications; // which application opens a file or address
        AppWindowFactory &windowFactory;
        AlertPresenter &alerts;
        const SystemBoot &systemBoot;
        const Clock &clock;
        LaunchAtLoginService launchAtLogin;
    };

    // Why a paste did not go through: the paste service refused it, or the bookkeeping in the store failed.
    class CommandFailure
    {
    public:
        CommandFailure(PasteServiceError error) : m_error(error) { }
        CommandFailure(HistoryStoreError error) : m_error(std::move(error)) { }
        // In the interface language.
        QString description() const;
        bool isAccessibilityPermissionRequired() const;

    private:
        std::variant<PasteServiceError, HistoryStoreError> m_error;
    };

    explicit AppCoordinator(Dependencies dependencies, QObject *parent = nullptr);
    ~AppCoordinator() override;

    // --- Start-up and termination ------------------------------------------------------------------------------------

    // Runs once, when the application has finished launching: preferences, sort option and language, the two
    // shortcut migrations, the history, the reboot check, the history window, the global hot keys, the monitor, the
    // appearance, then onboarding or the history window.
    void start();
    // Saves the history window's frame and the preferences, clears the history when asked to on quitting, stops
    // the monitor and releases the hot keys.
    void prepareForTermination();

    // Makes the preferences' language the interface language (an unsupported one becomes "en", also in the
    // preferences) and renews the model's localisation revision when the language in effect changed.
    void applyLanguage();
    // Loads the tags and the newest items (at most maxHistoryItems) and selects the first item.
    void loadHistory();
    // Records the current boot, and clears the history when the system restarted since the last start and
    // clearHistoryOnReboot is on.
    void clearHistoryIfRebooted();
    // Registers the four global hot keys from the preferences, after releasing every earlier registration.
    void registerGlobalShortcuts();
    void applyAppearance();
    void showOnboarding();
    // Called by the onboarding window's last step.
    void completeOnboarding();
    // Called by the onboarding window when the user closes it by hand: onboarding stays incomplete.
    void onboardingWindowDidClose(OnboardingWindow *window);

    // Turns the older defaults "delete" (delete item) and "f" (toggle favourite) into "cmd+delete" and "cmd+s";
    // answers whether one of them changed.
    static bool migrateShortcutDefaults(AppPreferences &preferences);

    // --- Window commands and preferences -----------------------------------------------------------------------------

    // Shows the history window (it does not toggle). Nothing while an archive export or import runs.
    void showHistoryWindow(bool afterActivation, bool activate);
    void toggleHistoryWindow();
    // The paste-next position goes back to the first item that paste-next may paste.
    void resetPasteNextItem();
    void togglePin();
    void openSettings(SettingsSection section);
    // Called by the settings window when the user closes it, after it saved its frame into the preferences.
    void settingsWindowDidClose();
    // Saves the model's preferences and puts them into effect, in this order: appearance, interface language,
    // monitor settings, link-preview work, launch at login, global hot keys.
    void applyPreferences();
    // Saves the model's preferences without applying them (the windows keep their frames this way).
    void savePreferences();
    void cancelLinkPreviewTasks();
    // Pauses capture or resumes it (the pause hot key and the menus).
    void togglePaused();

    // --- Commands ----------------------------------------------------------------------------------------------------

    // Pastes one item into the application that was in front: hides the history window when it hides on focus
    // loss, writes the item to the clipboard in the variant's form, posts the paste keystroke, plays the paste
    // sound and counts the copy. A failure is shown as the model's last error (and the missing key input also as
    // an alert).
    void paste(const ClipboardItem &item, PasteVariant variant);
    // Pastes the item at the paste-next position and moves the position on (the two paste-next hot keys); without
    // a variant the item's default variant.
    void pasteNext(std::optional<PasteVariant> variant);
    // plainText for the five text-like kinds when preferPastingAsPlainText is on, else standard.
    PasteVariant defaultPasteVariant(const ClipboardItem &item) const;
    // The items paste-next may paste: without the favourites while favourites are pinned to the top.
    QList<ClipboardItem> pasteNextCandidates(const QList<ClipboardItem> &items) const;
    // Makes the item the whole selection (nothing: no selection).
    void selectSingleItem(const std::optional<QUuid> &id);
    // After a paste or a copy: the stored item with one more copy (when asked) and, when the history follows
    // actions and copy-sequence mode is off, the current time as its copy time. Nothing when the item is no
    // longer stored, or when there is nothing to change.
    Expected<std::optional<ClipboardItem>, HistoryStoreError> updateItemAfterAction(
        const ClipboardItem &item, bool incrementCopyCount);
    // Plays the effect when the sound switches allow it, from its start.
    void playSound(SoundEffect effect);
    // The alert that explains a paste without synthetic key input; other failures show nothing here.
    void showAccessibilityAlert(const CommandFailure &failure);

    // Empties the history (keeping favourites and tagged items when keepFavoritesOnClearHistory is on) and removes
    // the files of what was cleared. Asks nothing.
    void clearHistory();
    // Asks before a clear by hand when warnOnClearHistory is on; true to go ahead.
    bool confirmClearHistory();
    void removeLinkPreviewFiles(const ClipboardItem &item);
    // Drops the cached previews of files that only removed items listed.
    void removeFilePreviews(const QList<ClipboardItem> &removed, const QList<ClipboardItem> &kept);

    // --- Captures (PasteboardMonitorDelegate) ------------------------------------------------------------------------

    // The stored capture goes to the front of the model and becomes the selection; the model is trimmed to
    // maxHistoryItems, the paste-next position reset and the copy sound played.
    void handleCapturedItem(const ClipboardItem &item, const QList<ClipboardItem> &updatedItems);
    void pasteboardMonitorDidCapture(const ClipboardItem &item, const QList<ClipboardItem> &updatedItems) override
    {
        handleCapturedItem(item, updatedItems);
    }
    void pasteboardMonitorDidPrune(const HistoryRemoval &removal) override;
    void pasteboardMonitorDidUpdate(const ClipboardItem &item) override;

    // --- State -------------------------------------------------------------------------------------------------------

    AppModel &model() const { return m_model; }
    PreferencesStore &preferencesStore() const { return m_preferencesStore; }
    HistoryStore &historyStore() const { return m_historyStore; }
    PasteboardMonitor &clipboardMonitor() const { return m_clipboardMonitor; }
    PasteService &pasteService() const { return m_pasteService; }
    GlobalShortcutService &globalShortcuts() const { return m_globalShortcuts; }
    UpdateService &updateService() const { return m_updateService; }
    const QString &supportDirectory() const { return m_supportDirectory; }
    QString imagesDirectory() const;
    QString linkPreviewsDirectory() const;
    FilePreviewCache &filePreviewCache() { return m_filePreviewCache; }
    LinkPreviewFetcher &linkPreviewFetcher() { return m_linkPreviewFetcher; }
    SoundService &soundService() { return m_soundService; }
    AlertPresenter &alerts() const { return m_alerts; }
    const DefaultApplications &defaultApplications() const { return m_defaultApplications; }
    const Clock &clock() const { return m_clock; }

    SettingsSection settingsSection() const { return m_settingsSection; }
    HistoryWindow *historyWindow() const { return m_historyWindow.get(); }
    SettingsWindow *settingsWindow() const { return m_settingsWindow.get(); }
    OnboardingWindow *onboardingWindow() const { return m_onboardingWindow.get(); }
    const std::optional<QUuid> &pasteNextItemID() const { return m_pasteNextItemID; }
    bool isHistoryArchiveOperationRunning() const { return m_isHistoryArchiveOperationRunning; }
    void setHistoryArchiveOperationRunning(bool running) { m_isHistoryArchiveOperationRunning = running; }

Q_SIGNALS:
    void settingsSectionChanged(SettingsSection section);

private:
    // Steps 2 to 8 of a paste: everything after the window was hidden.
    Expected<void, CommandFailure> pasteWithoutHiding(const ClipboardItem &item, PasteVariant variant);
    void reportFailure(const CommandFailure &failure);
    void setSettingsSection(SettingsSection section);
    void ensureHistoryWindow();
    // Remembers the window the user works in as the paste target, unless our history window has the focus.
    void rememberPasteTarget();
    void removeUnreferencedImages();

    AppModel &m_model;
    PreferencesStore &m_preferencesStore;
    HistoryStore &m_historyStore;
    PasteboardMonitor &m_clipboardMonitor;
    PasteService &m_pasteService;
    GlobalShortcutService &m_globalShortcuts;
    UpdateService &m_updateService;
    const QString m_supportDirectory;
    FilePreviewCache m_filePreviewCache;
    LinkPreviewFetcher m_linkPreviewFetcher;
    // Link previews being fetched, by item id; fetched previews waiting for the batched model update; the timer of
    // that update.
    QHash<QUuid, QPointer<LinkPreviewFetch>> m_linkPreviewTasksByItemID;
    QHash<QUuid, ClipboardItem> m_pendingLinkPreviewModelUpdatesByItemID;
    QTimer m_linkPreviewModelUpdateTimer;
    SoundService m_soundService;
    SettingsSection m_settingsSection = SettingsSection::general;
    std::unique_ptr<HistoryWindow> m_historyWindow;
    std::unique_ptr<SettingsWindow> m_settingsWindow;
    std::unique_ptr<OnboardingWindow> m_onboardingWindow;
    std::optional<QUuid> m_pasteNextItemID;
    // The order of the paste-next candidates when the position was last reset; paste-next walks it, so that a
    // pasted item moving to the top does not change which item comes next.
    QList<QUuid> m_pasteNextOrder;
    bool m_isHistoryArchiveOperationRunning = false;
    bool m_historyLoaded = false; // the last loadHistory read the whole of what it asked for

    const DefaultApplications &m_defaultApplications;
    AppWindowFactory &m_windowFactory;
    AlertPresenter &m_alerts;
    const SystemBoot &m_systemBoot;
    const Clock &m_clock;
    const LaunchAtLoginService m_launchAtLogin;
    AppearanceApplier m_appearance;
};
