#include "SettingsSection.h"

QString SettingsSection::rawValue() const
{
    switch (m_value) {
    case general:
        return QStringLiteral("general");
    case history:
        return QStringLiteral("history");
    case sounds:
        return QStringLiteral("sounds");
    case tags:
        return QStringLiteral("tags");
    case storage:
        return QStringLiteral("storage");
    case shortcuts:
        return QStringLiteral("shortcuts");
    case privacy:
        return QStringLiteral("privacy");
    case importExport:
        return QStringLiteral("importExport");
    case about:
        return QStringLiteral("about");
    }
    return QStringLiteral("general");
}

std::optional<SettingsSection> SettingsSection::fromRawValue(QStringView raw)
{
    for (const Value section : allCases) {
        if (SettingsSection(section).rawValue() == raw)
            return SettingsSection(section);
    }
    return std::nullopt;
}
