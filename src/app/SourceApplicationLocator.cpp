#include "SourceApplicationLocator.h"

std::optional<QString> DesktopEntryLocator::pathForIdentifier(const QString &identifier) const
{
    if (const std::optional<DesktopEntry> entry = m_entries.entry(identifier))
        return entry->path;
    return std::nullopt;
}

std::optional<QString> DesktopEntryLocator::pathForName(const QString &name) const
{
    if (const std::optional<DesktopEntry> entry = m_entries.entryNamed(name))
        return entry->path;
    return std::nullopt;
}
