#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The sort key of the history list. The raw values are the English titles, and the preferences store them.
class HistorySortOption
{
public:
    enum Value : int { lastCopyTime, firstCopyTime, numberOfCopies, size };

    constexpr HistorySortOption(Value value = lastCopyTime) : m_value(value) { }
    constexpr operator Value() const { return m_value; }

    static constexpr std::array<Value, 4> allCases {lastCopyTime, firstCopyTime, numberOfCopies, size};

    // "Last Copy Time", "First Copy Time", "Number of Copies", "Size".
    QString rawValue() const;
    // The raw value in the interface language.
    QString title() const;

    // Exactly one of the raw values (letter case included), else nothing: "size" and "Copy Sequence" name no case.
    static std::optional<HistorySortOption> fromRawValue(QStringView raw);

private:
    Value m_value;
};

size_t qHash(HistorySortOption option, size_t seed = 0);
