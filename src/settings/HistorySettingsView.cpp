#include "HistorySettingsView.h"

#include "AppModel.h"
#include "CopyAndMergeSeparatorPreference.h"
#include "HistoryItemActionPreference.h"
#include "Localization.h"
#include "SettingsBlocks.h"

#include <QVBoxLayout>

namespace {

QString text(const char *english)
{
    return localized(QString::fromUtf8(english));
}

} // namespace

HistorySettingsView::HistorySettingsView(AppModel &model, QWidget *parent) : QWidget(parent), m_model(model)
{
    const auto toggle = [&model](const char *title, const char *description, bool AppPreferences::*field) {
        return new SettingsToggle(text(title), description ? std::optional(text(description)) : std::nullopt,
            PreferenceBinding<bool>(model, field));
    };
    const auto picker = [&model](const char *title, const char *description, QList<PreferencePicker::Option> options,
                            QString AppPreferences::*field) {
        return new PickerRow(text(title), text(description),
            new PreferencePicker(text(title), std::move(options), PreferenceBinding<QString>(model, field)));
    };
    QList<PreferencePicker::Option> actions;
    for (HistoryItemActionPreference::Value action : HistoryItemActionPreference::allCases)
        actions.append({HistoryItemActionPreference(action).title(), HistoryItemActionPreference(action).rawValue()});
    QList<PreferencePicker::Option> separators;
    for (CopyAndMergeSeparatorPreference::Value separator : CopyAndMergeSeparatorPreference::allCases) {
        separators.append({CopyAndMergeSeparatorPreference(separator).title(),
            CopyAndMergeSeparatorPreference(separator).rawValue()});
    }

    m_updateHistoryAfterAction
        = toggle("Update history after action", "Move an item to the top of the history after a copy or paste action.",
            &AppPreferences::updateHistoryAfterAction);
    const QList<QWidget *> general = {
        m_updateHistoryAfterAction,
        toggle("Pin favorites to top", "Keep favorite items above regular clipboard history.",
            &AppPreferences::pinFavoritesToTop),
        toggle("Show quick paste shortcuts", nullptr, &AppPreferences::showCommandNumberShortcut),
        toggle("Show preview for links", "Fetch and display link preview details when available.",
            &AppPreferences::showPreviewForLinks),
        toggle("Treat digit numbers as colors", "Detect hex color values copied without a leading number sign.",
            &AppPreferences::treatDigitNumbersAsColor),
        toggle("Prefer pasting as plain text", "Use the default paste shortcut for plain-text paste actions.",
            &AppPreferences::preferPastingAsPlainText),
    };
    m_doubleClickAction = picker("Double-click action", "Choose what double-clicking a history item does.", actions,
        &AppPreferences::doubleClickAction);
    m_numberKeyAction = picker(
        "Number key action", "Choose what quick number shortcuts do.", actions, &AppPreferences::numberKeyAction);
    const QList<QWidget *> actionRows = {
        toggle("Paste on single click", "Paste an item immediately when it is clicked.", &AppPreferences::pasteOnClick),
        m_doubleClickAction,
        m_numberKeyAction,
    };
    m_separator = picker("Separator", "Choose how merged text fragments are separated.", separators,
        &AppPreferences::copyAndMergeSeparator);
    m_copyToClipboardAfterMerge = toggle("Copy merged item to clipboard",
        "Put the merged value back on the system clipboard.", &AppPreferences::copyToClipboardAfterMerge);
    const QList<QWidget *> merge = {
        toggle("Enable copy and merge",
            "Press Ctrl+C twice to append the currently selected text to the previously copied text in the "
            "clipboard history.",
            &AppPreferences::copyAndMergeEnabled),
        m_separator,
        m_copyToClipboardAfterMerge,
    };

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(22);
    column->addWidget(new SettingsSectionGroup(std::nullopt, general, this));
    column->addWidget(new SettingsSectionGroup(text("Actions"), actionRows, this));
    column->addWidget(new SettingsSectionGroup(text("Copy and merge"), merge, this));
    refresh();
    connect(&m_model, &AppModel::preferencesChanged, this, &HistorySettingsView::refresh);
}

void HistorySettingsView::refresh()
{
    const AppPreferences &preferences = m_model.preferences();
    m_updateHistoryAfterAction->setEnabled(!preferences.copySequenceModeEnabled);
    m_separator->setEnabled(preferences.copyAndMergeEnabled);
    m_copyToClipboardAfterMerge->setEnabled(preferences.copyAndMergeEnabled);
}
