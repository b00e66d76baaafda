#include "SettingsSectionInfo.h"

#include "Localization.h"
#include "SettingsLook.h"

QString SettingsSectionInfo::title(SettingsSection section)
{
    switch (section) {
    case SettingsSection::general:
        return localized(QStringLiteral("General"));
    case SettingsSection::history:
        return localized(QStringLiteral("History"));
    case SettingsSection::sounds:
        return localized(QStringLiteral("Sounds"));
    case SettingsSection::tags:
        return localized(QStringLiteral("Tags"));
    case SettingsSection::storage:
        return localized(QStringLiteral("Storage"));
    case SettingsSection::shortcuts:
        return localized(QStringLiteral("Shortcuts"));
    case SettingsSection::privacy:
        return localized(QStringLiteral("Privacy"));
    case SettingsSection::importExport:
        return localized(QStringLiteral("Import"));
    case SettingsSection::about:
        return localized(QStringLiteral("About"));
    }
    return {};
}

QString SettingsSectionInfo::headerTitle(SettingsSection section)
{
    if (section == SettingsSection::sounds)
        return localized(QStringLiteral("Sound Effects"));
    return title(section);
}

QString SettingsSectionInfo::iconName(SettingsSection section)
{
    switch (section) {
    case SettingsSection::general:
        return QStringLiteral("preferences-system");
    case SettingsSection::history:
        return QStringLiteral("document-open-recent");
    case SettingsSection::sounds:
        return QStringLiteral("audio-volume-high");
    case SettingsSection::tags:
        return QStringLiteral("emblem-default");
    case SettingsSection::storage:
        return QStringLiteral("drive-harddisk");
    case SettingsSection::shortcuts:
        return QStringLiteral("input-keyboard");
    case SettingsSection::privacy:
        return QStringLiteral("security-high");
    case SettingsSection::importExport:
        return QStringLiteral("document-save");
    case SettingsSection::about:
        return QStringLiteral("help-about");
    }
    return {};
}

QIcon SettingsSectionInfo::icon(SettingsSection section)
{
    return settingsThemeIcon(iconName(section));
}
