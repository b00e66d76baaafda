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
// The section's symbol ("gearshape", "clock.arrow.circlepath", ...).
QString systemImage(SettingsSection section);
// The symbol's symbolic icon, in the text colour of light or dark like the other windows' symbols.
QIcon icon(SettingsSection section);
} // namespace SettingsSectionInfo
