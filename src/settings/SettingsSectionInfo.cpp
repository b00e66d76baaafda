#include "SettingsSectionInfo.h"

#include "Localization.h"
#include "Symbols.h"

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

QString SettingsSectionInfo::systemImage(SettingsSection section)
{
    switch (section) {
    case SettingsSection::general:
        return QStringLiteral("gearshape");
    case SettingsSection::history:
        return QStringLiteral("clock.arrow.circlepath");
    case SettingsSection::sounds:
        return QStringLiteral("speaker.wave.2");
    case SettingsSection::tags:
        return QStringLiteral("circle");
    case SettingsSection::storage:
        return QStringLiteral("internaldrive");
    case SettingsSection::shortcuts:
        return QStringLiteral("keyboard");
    case SettingsSection::privacy:
        return QStringLiteral("hand.raised");
    case SettingsSection::importExport:
        return QStringLiteral("square.and.arrow.down");
    case SettingsSection::about:
        return QStringLiteral("info.circle");
    }
    return {};
}

QIcon SettingsSectionInfo::icon(SettingsSection section)
{
    return Symbols::icon(systemImage(section));
}
