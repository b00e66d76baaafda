#pragma once

#include "DesktopEntries.h"

#include <QString>

#include <optional>

// Finds the installed application behind a source application: its desktop entry, by desktop-file id or by name.
class SourceApplicationLocator
{
public:
    virtual ~SourceApplicationLocator() = default;
    // The path of the desktop entry with this id ("org.gnome.TextEditor"), when one is installed.
    virtual std::optional<QString> pathForIdentifier(const QString &identifier) const = 0;
    // The path of a desktop entry whose name (in any language it gives) is exactly this one.
    virtual std::optional<QString> pathForName(const QString &name) const = 0;
};

// The desktop entries of the XDG applications folders, as the platform layer reads them.
class DesktopEntryLocator final : public SourceApplicationLocator
{
public:
    std::optional<QString> pathForIdentifier(const QString &identifier) const override;
    std::optional<QString> pathForName(const QString &name) const override;

private:
    mutable DesktopEntries m_entries;
};
