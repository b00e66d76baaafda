#include "StorageSettingsView.h"

#include "AppModel.h"
#include "Localization.h"
#include "RetentionRow.h"
#include "SettingsBlocks.h"
#include "SettingsLook.h"

#include <QLabel>
#include <QVBoxLayout>

StorageSettingsView::StorageSettingsView(AppModel &model, QWidget *parent) : QWidget(parent)
{
    const auto toggle = [&model](const QString &title, const QString &description, bool AppPreferences::*field) {
        return new SettingsToggle(title, description, PreferenceBinding<bool>(model, field));
    };
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(22);
    column->addWidget(new SettingsSectionGroup(std::nullopt,
        {toggle(localized(QStringLiteral("Always keep favorites and tagged items")),
            localized(QStringLiteral("Preserve favorite and tagged items during clear-history actions.")),
            &AppPreferences::keepFavoritesOnClearHistory)},
        this));

    auto *keep = new QVBoxLayout;
    keep->setSpacing(10);
    auto *heading = new QLabel(localized(QStringLiteral("Keep history")), this);
    heading->setFont(SettingsFonts::headline());
    heading->setContentsMargins(14, 0, 14, 0);
    keep->addWidget(heading);
    auto *explanation = new QLabel(
        localized(QStringLiteral("Select how long to keep individual history items. Items older than this "
                                 "period will be automatically removed from the history, except favorites and "
                                 "tagged items.")),
        this);
    explanation->setFont(SettingsFonts::sized(11));
    explanation->setWordWrap(true);
    explanation->setContentsMargins(14, 0, 14, 0);
    QPalette secondary = explanation->palette();
    secondary.setColor(QPalette::WindowText, SettingsColors::secondaryText(palette()));
    explanation->setPalette(secondary);
    keep->addWidget(explanation);
    auto *rows = new QVBoxLayout;
    rows->setSpacing(16);
    for (RetentionClipType type : RetentionClipTypes::all()) {
        auto *row = new RetentionRow(type, PreferenceBinding<qint64>(model, retentionField(type)), this);
        m_rows.append(row);
        rows->addWidget(row);
    }
    keep->addLayout(rows);
    column->addLayout(keep);

    column->addWidget(new SettingsSectionGroup(std::nullopt,
        {toggle(localized(QStringLiteral("Warn before manually clearing history")),
            localized(QStringLiteral("Display a confirmation dialog when clearing history manually using the "
                                     "'Delete All' command.")),
            &AppPreferences::warnOnClearHistory)},
        this));
    column->addWidget(new SettingsSectionGroup(std::nullopt,
        {toggle(localized(QStringLiteral("Clear history on quit")),
             localized(QStringLiteral("Delete unprotected items when Varnisto quits.")),
             &AppPreferences::clearHistoryOnQuit),
            toggle(localized(QStringLiteral("Clear history after a restart")),
                localized(QStringLiteral("Delete unprotected items after a system restart.")),
                &AppPreferences::clearHistoryOnReboot)},
        this));
}

qint64 AppPreferences::*StorageSettingsView::retentionField(RetentionClipType type)
{
    switch (type) {
    case RetentionClipType::text:
        return &AppPreferences::textRetentionDays;
    case RetentionClipType::image:
        return &AppPreferences::imageRetentionDays;
    case RetentionClipType::file:
        return &AppPreferences::fileRetentionDays;
    case RetentionClipType::link:
        return &AppPreferences::linkRetentionDays;
    case RetentionClipType::email:
        return &AppPreferences::emailRetentionDays;
    case RetentionClipType::color:
        return &AppPreferences::colorRetentionDays;
    }
    return &AppPreferences::textRetentionDays;
}
