#include "ShortcutSettingsView.h"

#include "AppCoordinator.h"
#include "AppModel.h"
#include "Localization.h"
#include "SettingsBlocks.h"
#include "ShortcutConflicts.h"
#include "ShortcutRecorder.h"

#include <QVBoxLayout>

namespace {

// The record without what the windows write when they move: those changes are saved, not applied.
AppPreferences withoutWindowFrames(AppPreferences preferences)
{
    preferences.historyWindowX.reset();
    preferences.historyWindowY.reset();
    preferences.historyWindowWidth.reset();
    preferences.historyWindowHeight.reset();
    preferences.settingsWindowX.reset();
    preferences.settingsWindowY.reset();
    preferences.settingsWindowWidth.reset();
    preferences.settingsWindowHeight.reset();
    return preferences;
}

} // namespace

ShortcutSettingsView::ShortcutSettingsView(AppModel &model, AppCoordinator &coordinator, QWidget *parent)
    : QWidget(parent), m_model(model), m_coordinator(coordinator), m_applied(withoutWindowFrames(model.preferences()))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(22);
    const std::pair<Group, const char *> groups[] = {
        {Group::global, "Global shortcuts"},
        {Group::navigation, "Navigation"},
        {Group::itemActions, "Item actions"},
    };
    for (const auto &[group, title] : groups) {
        QList<QWidget *> rows;
        for (const ShortcutEntry &entry : entries(group)) {
            const auto field = entry.field;
            ShortcutRow::Binding binding {
                [this, field] { return m_model.preferences().*field; },
                [this, field](const QString &text) {
                    AppPreferences preferences = m_model.preferences();
                    preferences.*field = text;
                    m_model.setPreferences(preferences);
                },
            };
            auto *row = new ShortcutRow(
                entry.title, binding, entry.defaultValue, false,
                [this, field](const QString &candidate) { return conflictingActionTitle(candidate, field); },
                group == Group::global);
            connect(row, &ShortcutRow::recordingChanged, this, &ShortcutSettingsView::setRecording);
            m_rows.append(row);
            m_fields.append(field);
            rows.append(row);
        }
        column->addWidget(new SettingsSectionGroup(localized(QString::fromLatin1(title)), rows, this));
    }
    connect(&m_model, &AppModel::preferencesChanged, this, &ShortcutSettingsView::preferencesChanged);
}

ShortcutSettingsView::~ShortcutSettingsView()
{
    // The rows go after this pane's own members: what they report on their way out is not heard.
    for (ShortcutRow *row : std::as_const(m_rows))
        disconnect(row, nullptr, this, nullptr);
    if (m_recordingRows > 0)
        m_coordinator.setGlobalShortcutsSuspended(false);
}

QList<ShortcutSettingsView::ShortcutEntry> ShortcutSettingsView::entries(Group group)
{
    const auto entry = [](const char *title, QString AppPreferences::*field, const char *defaultValue) {
        return ShortcutEntry {localized(QString::fromLatin1(title)), field, QString::fromLatin1(defaultValue)};
    };
    switch (group) {
    case Group::global:
        return {
            entry("Show clipboard history", &AppPreferences::showHistoryShortcut, "cmd+option+v"),
            entry("Pause or resume capture", &AppPreferences::pauseShortcut, "cmd+option+p"),
            entry("Paste next item", &AppPreferences::pasteNextShortcut, "control+v"),
            entry("Paste next rich item", &AppPreferences::pasteNextRichShortcut, "shift+control+v"),
        };
    case Group::navigation:
        return {
            entry("Close history window", &AppPreferences::closeHistoryShortcut, "escape"),
            entry("Select next item", &AppPreferences::selectNextItemShortcut, "down"),
            entry("Select previous item", &AppPreferences::selectPreviousItemShortcut, "up"),
            entry("Show Command Palette", &AppPreferences::showCommandPaletteShortcut, "cmd+k"),
            entry("Focus search field", &AppPreferences::focusSearchFieldShortcut, "cmd+f"),
            entry("Filter history by type", &AppPreferences::filterHistoryByTypeShortcut, "shift+cmd+t"),
            entry("Open settings", &AppPreferences::openSettingsShortcut, "cmd+,"),
        };
    case Group::itemActions:
        return {
            entry("Paste selected item", &AppPreferences::pasteSelectedShortcut, "return"),
            entry("Paste selected item with secondary action", &AppPreferences::pasteSelectedSecondaryShortcut,
                "shift+return"),
            entry("Copy selected item", &AppPreferences::copySelectedShortcut, "cmd+c"),
            entry("Copy selected item with secondary action", &AppPreferences::copySelectedSecondaryShortcut,
                "shift+cmd+c"),
            entry("Delete item", &AppPreferences::deleteItemShortcut, "cmd+delete"),
            entry("Toggle favorite", &AppPreferences::toggleFavoriteShortcut, "cmd+s"),
            entry("Show in File Manager", &AppPreferences::showInFinderShortcut, "cmd+o"),
            entry("Open in Browser", &AppPreferences::openInBrowserShortcut, "cmd+b"),
            entry("Edit item", &AppPreferences::editItemShortcut, "cmd+e"),
            entry("Rename item", &AppPreferences::renameItemShortcut, "cmd+r"),
            entry("Transform item", &AppPreferences::transformItemShortcut, "cmd+t"),
        };
    }
    return {};
}

QList<ShortcutSettingsView::ShortcutEntry> ShortcutSettingsView::allEntries()
{
    return entries(Group::global) + entries(Group::navigation) + entries(Group::itemActions);
}

std::optional<QString> ShortcutSettingsView::conflictingActionTitle(
    const QString &candidate, QString AppPreferences::*excluding) const
{
    QList<ShortcutConflicts::Assignment> assignments;
    const AppPreferences &preferences = m_model.preferences();
    for (const ShortcutEntry &entry : allEntries()) {
        if (entry.field != excluding)
            assignments.append({entry.title, preferences.*entry.field});
    }
    return ShortcutConflicts::conflictingTitle(candidate, assignments);
}

ShortcutRow *ShortcutSettingsView::row(QString AppPreferences::*field) const
{
    const qsizetype index = m_fields.indexOf(field);
    return index < 0 ? nullptr : m_rows.at(index);
}

void ShortcutSettingsView::preferencesChanged(const AppPreferences &preferences)
{
    for (ShortcutRow *row : std::as_const(m_rows))
        row->refresh();
    if (m_applying || !isVisible())
        return;
    const AppPreferences current = withoutWindowFrames(preferences);
    if (current == m_applied)
        return;
    m_applied = current;
    m_applying = true;
    m_coordinator.applyPreferences();
    m_applied = withoutWindowFrames(m_model.preferences());
    m_applying = false;
}

void ShortcutSettingsView::setRecording(bool recording)
{
    const int before = m_recordingRows;
    m_recordingRows = std::max(0, m_recordingRows + (recording ? 1 : -1));
    if ((before == 0) != (m_recordingRows == 0))
        m_coordinator.setGlobalShortcutsSuspended(m_recordingRows > 0);
}
