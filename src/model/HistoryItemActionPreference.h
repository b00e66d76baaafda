#pragma once

#include <QObject>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// What a double click on a row, or a number key, does with the item.
class HistoryItemActionPreference
{
    Q_GADGET

public:
    enum Value : int { paste, copy };
    Q_ENUM(Value)

    constexpr HistoryItemActionPreference(Value value = paste) : m_value(value) { }
    constexpr operator Value() const { return m_value; }

    static constexpr std::array<Value, 2> allCases {paste, copy};

    // "paste", "copy"; also the identifier.
    QString rawValue() const;
    QString id() const { return rawValue(); }
    // "Paste", "Copy".
    QString englishTitle() const;
    QString title() const;

    static std::optional<HistoryItemActionPreference> fromRawValue(QStringView raw);
    // A raw value or an English title (exact comparison); anything else gives paste.
    static HistoryItemActionPreference resolved(QStringView stored);

private:
    Value m_value;
};

size_t qHash(HistoryItemActionPreference action, size_t seed = 0);
