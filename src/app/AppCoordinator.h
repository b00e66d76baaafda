#pragma once

#include "AppWindows.h"
#include "AppearanceApplier.h"
#include "ClipboardItem.h"
#include "ClipboardTextTransform.h"
#include "CommandFeedback.h"
#include "HistoryArchiveCommands.h"
#include "LaunchAtLoginService.h"
#include "PasteSeparator.h"
#include "PasteTarget.h"
#include "PasteVariant.h"
#include "PasteboardMonitor.h"
#include "PasteboardMonitorDelegate.h"
#include "SettingsSection.h"
#include "SoundEffect.h"
#include "SupportFolder.h"
#include "Tag.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>
#include <variant>

class AlertPresenter;
class AppModel;
class CopyCommands;
class DefaultApplications;
class DesktopLauncher;
class FileCommands;
class FileDialogPresenter;
class FilePreviewCache;
class GlobalShortcutService;
class HistoryStore;
class HistoryWrites;
class ItemCommands;
class KeyPoster;
class LinkPreviewFetcher;
class LinkPreviewRequests;
class PasteCommands;
class PasteService;
class PreferencesStore;
class QColor;
class QWindow;
class Scheduler;
class SoundService;
class SystemBoot;
class TagCommands;
class UpdateService;
class Workspace;

// The program's coordinator: it runs start-up and termination, opens and closes the windows, applies the
// preferences, takes in what the pasteboard monitor captured, and carries out the user's commands. Windows read the
// model and act only through it. It writes the history store first and tells the model after the write succeeded.
// Commands never fail towards their caller: a failure becomes the model's last error. The command groups live in
// their own classes (paste, copy and merge, items, tags, link previews, the archive, files), which the coordinator
// owns and builds with what each uses; its public methods of the same names are the one way in for the windows, and
// what only it calls stays private. It hands out none of its collaborators. Main thread only.
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
        FilePreviewCache &filePreviewCache; // the cached previews of the items' files
        LinkPreviewFetcher &linkPreviewFetcher;
        SoundService &soundService;
        const DefaultApplications &defaultApplications; // which application opens a file or address
        AppWindowFactory &windowFactory;
        AlertPresenter &alerts;
        FileDialogPresenter &fileDialogs;
        const SystemBoot &systemBoot;
        const Clock &clock;
        Scheduler &scheduler; // the pauses of multi-item pastes and the batched link-preview updates
        KeyPoster &keyPoster; // remembers the paste target when our window takes the focus
        Workspace &workspace; // names the paste target's application, for the source of merged items
        DesktopLauncher &launcher; // opening files and links in other applications
        AppearanceApplier &appearance;
        LaunchAtLoginService launchAtLogin;
    };

    using ArchiveProgress = HistoryArchiveCommands::ArchiveProgress;
    using ExportCompletion = HistoryArchiveCommands::ExportCompletion;
    using ImportCompletion = HistoryArchiveCommands::ImportCompletion;

    explicit AppCoordinator(Dependencies dependencies, QObject *parent = nullptr);
    ~AppCoordinator() override;

    // --- Start-up and termination ------------------------------------------------------------------------------------

    // Runs once, when the application has finished launching: preferences, sort option and language, the two
    // shortcut migrations, the history, the reboot check, the global hot keys, the monitor, the appearance, then
    // onboarding or the history window. The history window is made `laterStartDelayMs` after the start, unless it
    // was asked for before.
    void start();
    // What the first capture does not need waits this long after the start, so that a copy made as the program
    // starts is captured first.
    static constexpr int laterStartDelayMs = 400;
    // Saves the history window's frame and the preferences, clears the history when asked to on quitting, stops
    // the monitor and releases the hot keys.
    void prepareForTermination();

    // While suspended (the settings window records a shortcut) none of our hot keys is grabbed, so that every key
    // reaches the recorder; registering waits until the suspension ends.
    void setGlobalShortcutsSuspended(bool suspended);
    // Called by the onboarding window's last step.
    void completeOnboarding();
    // Called by the onboarding window when the user closes it by hand: onboarding stays incomplete.
    void onboardingWindowDidClose(OnboardingWindow *window);

    // --- Window commands and preferences -----------------------------------------------------------------------------

    // Shows the history window (it does not toggle). Nothing while an archive export or import runs.
    void showHistoryWindow(bool afterActivation, bool activate);
    void toggleHistoryWindow();
    void togglePin();
    void openSettings(SettingsSection section);
    // The section the user picked in the settings window's sidebar; publishes only when it differs.
    void selectSettingsSection(SettingsSection section);
    // Called by the settings window when the user closes it, after it saved its frame into the preferences.
    void settingsWindowDidClose();
    // Saves the model's preferences and puts them into effect, in this order: appearance, interface language,
    // monitor settings, link-preview work, launch at login, global hot keys.
    void applyPreferences();
    // Saves the model's preferences without applying them (the windows keep their frames this way).
    void savePreferences();
    // Pauses capture or resumes it (the pause hot key and the menus).
    void togglePaused();
    // Asks the updater to check for a new version now (the menus' "Check for Updates...").
    void checkForUpdates();

    // --- Paste commands ----------------------------------------------------------------------------------------------

    // Pastes one item into the application that was in front: hides the history window when it hides on focus
    // loss, writes the item to the clipboard in the variant's form, posts the paste keystroke, plays the paste
    // sound and counts the copy. A failure is shown as the model's last error (and the missing key input also as
    // an alert).
    void paste(const ClipboardItem &item, PasteVariant variant);
    // Pastes the selected items that the list shows, in the order of selection, each item in its default variant;
    // nothing when a search or a filter hides them all.
    void pasteSelectedItems();
    // Pastes the items one after another: the first at once, each further one 0.16 s after the previous, preceded
    // 0.08 s after the previous paste by the separator's key. Items without a variant are pasted as standard. The
    // first failure ends the whole paste.
    void pasteItems(const QList<ClipboardItem> &items, const QHash<QUuid, PasteVariant> &variantsByID,
        std::optional<PasteSeparator> separator = std::nullopt);
    // Plays the effect when the sound switches allow it, from its start.
    void playSound(SoundEffect effect);

    // --- Copy and merge commands -------------------------------------------------------------------------------------

    // Each answers whether the clipboard was written, so that the caller shows its confirmation only then. None
    // pastes, asks for key input or hides the window.

    // The item in the variant's form; the copy time follows the history's rule, the copy count stays.
    bool copyItem(const ClipboardItem &item, PasteVariant variant);
    // The item's plain text; the item itself is not touched.
    bool copyItemAsPlainText(const ClipboardItem &item);
    // A text of an item (its recognised text, its QR code) as a new copy: it comes back as a new history item.
    bool copyText(const QString &text);
    // Two or more items as one text, one a line. False without writing when an item has no text to give.
    bool copyMergedItems(const QList<ClipboardItem> &items);
    // Adds the items' merged text to the history as a new text item at the front. An item of the same content that
    // it replaces hands its favourite, tags and title on to it.
    void mergeSelectedItems(const QList<ClipboardItem> &items);

    // --- Clearing the history ----------------------------------------------------------------------------------------

    // Empties the history (keeping favourites and tagged items when keepFavoritesOnClearHistory is on) and removes
    // the files of what was cleared. Asks nothing.
    void clearHistory();
    // Asks before a clear by hand when warnOnClearHistory is on; true to go ahead.
    bool confirmClearHistory();

    // --- Archive export and import -----------------------------------------------------------------------------------

    // Asks where to export and writes the whole stored history with its tags there in the background. True when it
    // started; false when the user cancelled or another archive operation runs (the callbacks are then never
    // called). Progress and the result arrive on the main thread.
    bool exportHistoryArchive(ArchiveProgress progress, ExportCompletion completion);
    // Asks for an archive and adds its items and tags to the history in the background; capture pauses meanwhile
    // and the history is loaded again afterwards. True and false as for the export.
    bool importHistoryArchive(ArchiveProgress progress, ImportCompletion completion);

    // --- Item commands -----------------------------------------------------------------------------------------------

    // Deletes the items with their files and plays the delete sound. A failure stops at that item: the items
    // deleted before it are gone from the model too.
    void deleteItems(const QList<ClipboardItem> &items);
    // One new text item per non-empty line, at the front and selected; the item itself stays.
    void splitItem(const ClipboardItem &item);
    void toggleFavorite(const ClipboardItem &item);
    // Sets the state on each item that does not have it yet.
    void setFavorite(bool favorite, const QList<ClipboardItem> &items);
    // A blank title (or none) removes the title.
    void renameItem(const ClipboardItem &item, const std::optional<QString> &title);
    // New text for a text-like item; its kind follows the text. A blank text deletes the item. When the item has
    // left the history meanwhile, the text is stored as a new text item at the front.
    void editItem(const ClipboardItem &item, const QString &text);
    // Applies the transform to a text-like item's text; its kind follows the text.
    void transformItem(const ClipboardItem &item, ClipboardTextTransform transform);

    // --- Tag commands ------------------------------------------------------------------------------------------------

    // The tag of that name (an existing one, compared without regard to letter case, keeps its colour), or none
    // after a failure.
    std::optional<Tag> createTag(const QString &name, const QColor &color);
    void updateTag(qint64 id, const QString &name, const QColor &color);
    // Deletes the tag and takes it off every item and out of the tag filter.
    void deleteTag(qint64 id);
    // Removes the tag from the item when it has it, else adds it.
    void toggleTag(const ClipboardItem &item, qint64 tagID);
    // Adds the tag to the item when it lacks it.
    void assignTag(const ClipboardItem &item, qint64 tagID);
    // How many items of the whole stored history carry each tag, by tag id. When the store cannot say, the loaded
    // items are counted.
    QHash<qint64, qint64> tagItemCounts() const;

    // --- Link previews -----------------------------------------------------------------------------------------------

    // Fetches the preview of a link item that has none, while link previews are on (a link row is shown).
    void requestLinkPreviews(const ClipboardItem &item);
    // Fetches the preview of a link item; with `force` also when it has one (the update-preview command).
    void refreshLinkPreview(const ClipboardItem &item, bool force);

    // --- Saving, opening and revealing -------------------------------------------------------------------------------

    // Asks where to save an image item as PNG, in a dialog of the window; true when the dialog was shown. The
    // completion is called when it is all over (also after a refusal, a cancel or a failure).
    bool saveImage(const ClipboardItem &item, QWindow *window, std::function<void()> completion = {});
    // Opens the item's file (or a link item's address) with the application the desktop associates with it.
    void openInAssociatedApplication(const ClipboardItem &item);
    // Opens the item's file with the application of a desktop entry (its file URL).
    void openWithApplication(const ClipboardItem &item, const QUrl &applicationURL);
    // Opens a link item's address in the default browser. When no browser takes it, an alert says so.
    void openLink(const ClipboardItem &item);
    // Opens a web address (the program's own pages) in the default browser, with the same alert.
    void openWebAddress(const QUrl &url);
    // Shows the item's file selected in the file manager. When neither it nor the folder can be shown, an alert says
    // so.
    void showInFinder(const ClipboardItem &item);

    // --- Captures (PasteboardMonitorDelegate) ------------------------------------------------------------------------

    // The stored capture goes to the front of the model and becomes the selection; the model is trimmed to
    // maxHistoryItems, the paste-next position reset and the copy sound played.
    void pasteboardMonitorDidCapture(const ClipboardItem &item, const QList<ClipboardItem> &updatedItems) override;
    void pasteboardMonitorDidPrune(const HistoryRemoval &removal) override;
    void pasteboardMonitorDidUpdate(const ClipboardItem &item) override;
    // A copy too large to keep: the user is told why through captureNotice.
    void pasteboardMonitorDidRefuse(const OversizedContent &leftOut) override;
    // Why the last copy was not kept, in the interface language (the model's refusedCopyNotice); nothing once a
    // later copy was kept or the notice was dismissed.
    std::optional<QString> captureNotice() const;
    // The user has read the notice: it goes until another copy is refused.
    void dismissCaptureNotice();

    // --- State -------------------------------------------------------------------------------------------------------

    SettingsSection settingsSection() const { return m_settingsSection; }
    HistoryWindow *historyWindow() const { return m_historyWindow.get(); }
    bool isHistoryArchiveOperationRunning() const;

Q_SIGNALS:
    void settingsSectionChanged(SettingsSection section);
    // The capture notice changed: a copy was refused, or a later one was kept.
    void captureNoticeChanged();

private:
    // What the tests look into.
    friend class AppCoordinatorProbe;

    // Makes the preferences' language the interface language (an unsupported one becomes "en", also in the
    // preferences) and renews the model's localisation revision when the language in effect changed.
    void applyLanguage();
    // Turns the older defaults "delete" (delete item) and "f" (toggle favourite) into "cmd+delete" and "cmd+s";
    // answers whether one of them changed.
    static bool migrateShortcutDefaults(AppPreferences &preferences);
    // Loads the tags and the newest items (at most maxHistoryItems) and selects the first item.
    void loadHistory();
    // Records the current boot, and clears the history when the system restarted since the last start and
    // clearHistoryOnReboot is on.
    void clearHistoryIfRebooted();
    // Registers the four global hot keys from the preferences, after releasing every earlier registration.
    void registerGlobalShortcuts();
    void applyAppearance();
    void showOnboarding();
    // The paste-next position goes back to the first item that paste-next may paste.
    void resetPasteNextItem();
    // Pastes the item at the paste-next position and moves the position on (the two paste-next hot keys); without
    // a variant the item's default variant.
    void pasteNext(std::optional<PasteVariant> variant);
    void cancelLinkPreviewTasks();
    void setSettingsSection(SettingsSection section);
    void ensureHistoryWindow();
    // Remembers the window the user works in as the paste target, unless our history window has the focus.
    void rememberPasteTarget();
    void removeUnreferencedImages();
    // What the history store has to tell about the history as a whole (damaged and recovered, or read-only): the
    // last error, a log line and an alert once start-up is over.
    void reportHistoryStoreNotice();

    AppModel &m_model;
    PreferencesStore &m_preferencesStore;
    HistoryStore &m_historyStore;
    PasteboardMonitor &m_clipboardMonitor;
    GlobalShortcutService &m_globalShortcuts;
    UpdateService &m_updateService;
    const SupportFolder m_supportFolder;
    SettingsSection m_settingsSection = SettingsSection::general;
    std::unique_ptr<HistoryWindow> m_historyWindow;
    std::unique_ptr<SettingsWindow> m_settingsWindow;
    std::unique_ptr<OnboardingWindow> m_onboardingWindow;
    bool m_historyLoaded = false; // the last loadHistory read the whole of what it asked for
    bool m_globalShortcutsSuspended = false;

    AppWindowFactory &m_windowFactory;
    const SystemBoot &m_systemBoot;
    const Clock &m_clock;
    AppearanceApplier &m_appearance;
    const LaunchAtLoginService m_launchAtLogin;
    PasteTarget m_pasteTarget;
    AlertPresenter &m_alerts;
    CommandFeedback m_feedback;

    // The command groups, built last: they use the members above.
    std::unique_ptr<HistoryWrites> m_historyWrites;
    std::unique_ptr<PasteCommands> m_pasteCommands;
    std::unique_ptr<CopyCommands> m_copyCommands;
    std::unique_ptr<ItemCommands> m_itemCommands;
    std::unique_ptr<TagCommands> m_tagCommands;
    std::unique_ptr<LinkPreviewRequests> m_linkPreviews;
    std::unique_ptr<HistoryArchiveCommands> m_archive;
    std::unique_ptr<FileCommands> m_fileCommands;
};
