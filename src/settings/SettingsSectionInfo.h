#pragma once

#include "SettingsSection.h"

#include <QIcon>
#include <QString>

// What the sidebar shows of a section.
namespace SettingsSectionInfo {
// The section's title in the interface language: "General", ..., "Import" for import and export, "About".
QString title(SettingsSection section);
// The title in the header above the pane: the sidebar's, except "Sound Effects" for the sounds.
QString headerTitle(SettingsSection section);
// The icon from the desktop's icon theme.
QIcon icon(SettingsSection section);
// The theme icon's name.
QString iconName(SettingsSection section);
} // namespace SettingsSectionInfo
