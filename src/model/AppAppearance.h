#pragma once

#include <QObject>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The interface appearance: following the desktop, or forced light or dark. Stored by its raw value.
class AppAppearance
{
    Q_GADGET

public:
    enum Value : int { system, light, dark };
    Q_ENUM(Value)

    constexpr AppAppearance(Value value = system) : m_value(value) { }
    constexpr operator Value() const { return m_value; }

    static constexpr std::array<Value, 3> allCases {system, light, dark};

    // "system", "light", "dark"; also the identifier.
    QString rawValue() const;
    QString id() const { return rawValue(); }
    // "System", "Light", "Dark".
    QString englishTitle() const;
    QString title() const;

    // Exactly one of the raw values, else nothing.
    static std::optional<AppAppearance> fromRawValue(QStringView raw);

private:
    Value m_value;
};

size_t qHash(AppAppearance appearance, size_t seed = 0);
