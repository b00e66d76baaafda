#pragma once

#include <QObject>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// Where the history window opens. Stored in the preferences by its raw value (the case name).
class HistoryWindowOpenStrategy
{
    Q_GADGET

public:
    enum Value : int {
        lastLocation,
        activeScreenCenter,
        activeWindowCenter,
        screenWithCursor,
        mouseCursor,
        inputCursor
    };
    Q_ENUM(Value)

    constexpr HistoryWindowOpenStrategy(Value value = activeScreenCenter) : m_value(value) { }
    constexpr operator Value() const { return m_value; }

    static constexpr std::array<Value, 6> allCases {
        lastLocation, activeScreenCenter, activeWindowCenter, screenWithCursor, mouseCursor, inputCursor};

    // "lastLocation", "activeScreenCenter", ...
    QString rawValue() const;
    // "Last location", "Active screen center", ...: the English title, also the catalogue key.
    QString englishTitle() const;
    // The title in the interface language.
    QString title() const;

    // Exactly one of the raw values, else nothing.
    static std::optional<HistoryWindowOpenStrategy> fromRawValue(QStringView raw);
    // A raw value or an English title (exact comparison); anything else gives activeScreenCenter.
    static HistoryWindowOpenStrategy fromStoredString(QStringView stored);

private:
    Value m_value;
};

size_t qHash(HistoryWindowOpenStrategy strategy, size_t seed = 0);
