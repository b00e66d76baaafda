#include "PrivacySettingsView.h"

#include "AppCoordinator.h"
#include "AppModel.h"
#include "Localization.h"
#include "SettingsBlocks.h"
#include "SettingsLook.h"

#include <QLabel>
#include <QVBoxLayout>

PrivacySettingsView::PrivacySettingsView(
    AppModel &model, AppCoordinator &coordinator, IgnoredApplicationsList::ApplicationChooser chooser, QWidget *parent)
    : QWidget(parent), m_model(model), m_coordinator(coordinator), m_applied(exclusionsOf(model.preferences()))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(22);
    column->addWidget(new SettingsSectionGroup(std::nullopt,
        {
            new SettingsToggle(localized(QStringLiteral("Ignore confidential content")),
                localized(QStringLiteral("Skip password-manager and other concealed clipboard data.")),
                PreferenceBinding<bool>(model, &AppPreferences::ignoreConcealedContent)),
            new SettingsToggle(localized(QStringLiteral("Ignore transient content")),
                localized(QStringLiteral("Skip temporary clipboard values that apps do not intend to store.")),
                PreferenceBinding<bool>(model, &AppPreferences::ignoreTransientContent)),
        },
        this));

    auto *section = new QVBoxLayout;
    section->setSpacing(10);
    auto *heading = new QLabel(localized(QStringLiteral("Ignored applications")), this);
    heading->setFont(SettingsFonts::headline());
    heading->setContentsMargins(14, 0, 14, 0);
    section->addWidget(heading);
    auto *explanation
        = new QLabel(localized(QStringLiteral("Do not capture clipboard changes while these apps are active.")), this);
    explanation->setFont(SettingsFonts::sized(11));
    explanation->setWordWrap(true);
    explanation->setContentsMargins(14, 0, 14, 0);
    QPalette secondary = explanation->palette();
    secondary.setColor(QPalette::WindowText, SettingsColors::secondaryText(palette()));
    explanation->setPalette(secondary);
    section->addWidget(explanation);
    m_list = new IgnoredApplicationsList(
        PreferenceBinding<QString>(model, &AppPreferences::ignoredAppsText), std::move(chooser), this);
    section->addWidget(m_list);
    column->addLayout(section);
    connect(&m_model, &AppModel::preferencesChanged, this, &PrivacySettingsView::preferencesChanged);
}

PrivacySettingsView::Exclusions PrivacySettingsView::exclusionsOf(const AppPreferences &preferences)
{
    return {preferences.ignoreConcealedContent, preferences.ignoreTransientContent, preferences.ignoredAppsText};
}

void PrivacySettingsView::preferencesChanged()
{
    // Only a change of what capture keeps out is applied; the other fields of the record wait as before.
    const Exclusions current = exclusionsOf(m_model.preferences());
    if (current == m_applied)
        return;
    m_applied = current;
    m_coordinator.applyPreferences();
}
