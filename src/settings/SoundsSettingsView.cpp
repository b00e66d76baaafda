#include "SoundsSettingsView.h"

#include "AppCoordinator.h"
#include "AppModel.h"
#include "SettingsBlocks.h"

#include <QVBoxLayout>

SoundsSettingsView::SoundsSettingsView(AppModel &model, AppCoordinator &coordinator, QWidget *parent)
    : QWidget(parent), m_model(model)
{
    QList<QWidget *> rows;
    for (SoundEffect::Value effect : SoundEffect::allCases) {
        auto *toggle = new SettingsToggle(
            SoundEffect(effect).title(), std::nullopt, PreferenceBinding<bool>(model, preferenceField(effect)));
        // The binding has written the record by now: the sound plays as it will from now on.
        connect(&toggle->toggle(), &QAbstractButton::toggled, this, [&coordinator, effect](bool on) {
            if (on)
                coordinator.playSound(effect);
        });
        m_toggles.append(toggle);
        rows.append(toggle);
    }
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    m_group = new SettingsSectionGroup(std::nullopt, rows, this);
    column->addWidget(m_group);
    refresh();
    connect(&m_model, &AppModel::preferencesChanged, this, &SoundsSettingsView::refresh);
}

bool AppPreferences::*SoundsSettingsView::preferenceField(SoundEffect effect)
{
    switch (effect) {
    case SoundEffect::copy:
        return &AppPreferences::playSoundOnCopy;
    case SoundEffect::paste:
        return &AppPreferences::playSoundOnPaste;
    case SoundEffect::delete_:
        return &AppPreferences::playSoundOnDelete;
    case SoundEffect::selectionAdd:
        return &AppPreferences::playSoundOnSelectionAdd;
    case SoundEffect::selectionRemove:
        return &AppPreferences::playSoundOnSelectionRemove;
    }
    return &AppPreferences::playSoundOnCopy;
}

void SoundsSettingsView::refresh()
{
    m_group->setEnabled(m_model.preferences().soundEffectsEnabled);
}
