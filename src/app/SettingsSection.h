#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The sections of the settings window. The coordinator opens `general` from the Settings commands and `about`
// from the about command.
class SettingsSection
{
public:
    enum Value : int { general, history, sounds, tags, storage, shortcuts, privacy, importExport, about };

    constexpr SettingsSection(Value value = general) : m_value(value) { }
    constexpr operator Value() const { return m_value; }

    static constexpr std::array<Value, 9> allCases {
        general, history, sounds, tags, storage, shortcuts, privacy, importExport, about};

    // The case name: "general", "history", ..., "importExport", "about".
    QString rawValue() const;
    // Exactly one of the raw values, else nothing.
    static std::optional<SettingsSection> fromRawValue(QStringView raw);

private:
    Value m_value;
};
