#pragma once

#include "AppAppearance.h"
#include "ClipboardKind.h"
#include "Expected.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

// Every setting of the program in one value, kept by PreferencesStore as one JSON document. The JSON key of a
// field is its name. Reading is tolerant: a missing or null key takes the field's default, and the sort option,
// window strategy, merge separator and item actions are brought to their canonical stored form.
struct AppPreferences
{
    static constexpr qint64 defaultMaxHistoryItems = 5000;

    // Appearance, language, start-up
    AppAppearance appearance = AppAppearance::system;
    QString language = QStringLiteral("en"); // not checked here; the coordinator normalises it when applying
    bool launchAtLogin = false;
    bool showMainWindowAtStartup = false;
    bool checkForUpdatesAutomatically = true;

    // Sounds
    bool soundEffectsEnabled = true;
    bool playSoundOnCopy = true;
    bool playSoundOnPaste = true;
    bool playSoundOnDelete = true;
    bool playSoundOnSelectionAdd = true;
    bool playSoundOnSelectionRemove = true;

    // Windows
    bool showMenuBarIcon = true;
    bool hideOnFocusLoss = true;
    QString openWindowStrategy = QStringLiteral("activeScreenCenter"); // a HistoryWindowOpenStrategy raw value
    std::optional<double> historyWindowX; // the history window's last frame; origin at the bottom left
    std::optional<double> historyWindowY;
    std::optional<double> historyWindowWidth;
    std::optional<double> historyWindowHeight;
    std::optional<double> settingsWindowX; // the settings window's last frame
    std::optional<double> settingsWindowY;
    std::optional<double> settingsWindowWidth;
    std::optional<double> settingsWindowHeight;

    // History list
    QString historySortOption = QStringLiteral("Last Copy Time"); // a HistorySortOption raw value
    bool isHistorySortReversed = false;
    bool copySequenceModeEnabled = false;
    bool pinFavoritesToTop = true;
    bool pasteOnClick = false;
    bool updateHistoryAfterAction = true;
    bool copyAndMergeEnabled = false;
    bool copyToClipboardAfterMerge = true;
    QString copyAndMergeSeparator = QStringLiteral("newLine"); // a CopyAndMergeSeparatorPreference raw value
    bool showPreviewForLinks = true;
    bool showCommandNumberShortcut = true;
    bool treatDigitNumbersAsColor = true;
    bool preferPastingAsPlainText = true;
    QString doubleClickAction = QStringLiteral("paste"); // a HistoryItemActionPreference raw value
    QString numberKeyAction = QStringLiteral("paste");

    // Capture
    bool ignoreTransientContent = true;
    bool ignoreConcealedContent = true;
    QString ignoredAppsText; // one entry a line: an application name, or the path of its desktop entry

    // Limits, retention and clearing
    qint64 maxHistoryItems = defaultMaxHistoryItems;
    qint64 retentionDays = 90;
    qint64 textRetentionDays = 90; // text and rich text; a negative value keeps the kind forever
    qint64 imageRetentionDays = 90;
    qint64 fileRetentionDays = 90;
    qint64 linkRetentionDays = 90;
    qint64 emailRetentionDays = 90;
    qint64 colorRetentionDays = 90;
    bool keepFavoritesOnClearHistory = true;
    bool warnOnClearHistory = true;
    bool clearHistoryOnQuit = false;
    bool clearHistoryOnReboot = false;

    // Shortcuts: the four global hot keys, then the actions of the history window
    QString showHistoryShortcut = QStringLiteral("cmd+option+v");
    QString pauseShortcut = QStringLiteral("cmd+option+p");
    QString pasteNextShortcut = QStringLiteral("control+v");
    QString pasteNextRichShortcut = QStringLiteral("shift+control+v");
    QString closeHistoryShortcut = QStringLiteral("escape");
    QString selectNextItemShortcut = QStringLiteral("down");
    QString selectPreviousItemShortcut = QStringLiteral("up");
    QString pasteSelectedShortcut = QStringLiteral("return");
    QString pasteSelectedSecondaryShortcut = QStringLiteral("shift+return");
    QString copySelectedShortcut = QStringLiteral("cmd+c");
    QString copySelectedSecondaryShortcut = QStringLiteral("shift+cmd+c");
    QString deleteItemShortcut = QStringLiteral("cmd+delete");
    QString toggleFavoriteShortcut = QStringLiteral("cmd+s");
    QString showInFinderShortcut = QStringLiteral("cmd+o");
    QString openInBrowserShortcut = QStringLiteral("cmd+b");
    QString editItemShortcut = QStringLiteral("cmd+e");
    QString renameItemShortcut = QStringLiteral("cmd+r");
    QString transformItemShortcut = QStringLiteral("cmd+t");
    QString focusSearchFieldShortcut = QStringLiteral("cmd+f");
    QString filterHistoryByTypeShortcut = QStringLiteral("shift+cmd+t");
    QString openSettingsShortcut = QStringLiteral("cmd+,");
    QString showCommandPaletteShortcut = QStringLiteral("cmd+k");

    bool hasCompletedOnboarding = false;

    bool operator==(const AppPreferences &) const = default;

    // --- JSON --------------------------------------------------------------------------------------------------------

    // Fails as a whole when a present key holds the wrong JSON type or `appearance` names no appearance.
    static Expected<AppPreferences, QString> fromJson(const QJsonObject &object);
    // The same from the document's bytes; a document that is not a JSON object fails too.
    static Expected<AppPreferences, QString> fromJsonDocument(const QByteArray &document);
    // Every field; the window frames only when present. Fails when a frame number is not finite.
    Expected<QJsonObject, QString> toJson() const;
    // The compact UTF-8 document of toJson().
    Expected<QByteArray, QString> toJsonDocument() const;

    // --- Use of the stored values ------------------------------------------------------------------------------------

    // The number of items to load and keep: maxHistoryItems, or the default when that is 0 or less.
    qint64 historyItemLimit() const;
    // The retention period that prunes items of this kind (retentionDaysField); negative = forever.
    qint64 retentionDaysFor(ClipboardKind kind) const;

    // --- Ignored applications ----------------------------------------------------------------------------------------

    // The lines of ignoredAppsText, trimmed, blank ones dropped; order and duplicates kept.
    QStringList ignoredApplicationEntries() const;
    // Whether an application is ignored. An entry that begins with "/" and ends with ".desktop" is compared with
    // the application's desktop-entry path (both with "." and ".." resolved, links not followed); any other
    // entry with its name. Both comparisons are exact. An empty name or path is no name or path.
    bool isIgnoredApplication(const QString &name, const QString &desktopEntryPath) const;
};

// The field that holds the retention period of a kind, in any record with the six per-kind periods (these
// preferences, the history store's retention policy): text and rich text share textRetentionDays, every other
// kind has its own. The only place that maps kinds to their periods.
template<typename Periods> constexpr auto &retentionDaysField(Periods &periods, ClipboardKind kind)
{
    switch (kind) {
    case ClipboardKind::text:
    case ClipboardKind::richText:
        return periods.textRetentionDays;
    case ClipboardKind::image:
        return periods.imageRetentionDays;
    case ClipboardKind::file:
        return periods.fileRetentionDays;
    case ClipboardKind::link:
        return periods.linkRetentionDays;
    case ClipboardKind::email:
        return periods.emailRetentionDays;
    case ClipboardKind::color:
        return periods.colorRetentionDays;
    }
    return periods.textRetentionDays;
}
