#pragma once

#include <QObject>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The text put between two texts that copy-and-merge joins, and between items pasted or copied as one text.
class CopyAndMergeSeparatorPreference
{
    Q_GADGET

public:
    enum Value : int { newLine, space, comma, empty };
    Q_ENUM(Value)

    constexpr CopyAndMergeSeparatorPreference(Value value = newLine) : m_value(value) { }
    constexpr operator Value() const { return m_value; }

    static constexpr std::array<Value, 4> allCases {newLine, space, comma, empty};

    // "newLine", "space", "comma", "empty"; also the identifier.
    QString rawValue() const;
    QString id() const { return rawValue(); }
    // "New line", "Space", "Comma", "Empty".
    QString englishTitle() const;
    QString title() const;
    // "\n", " ", ", " or nothing.
    QString separatorText() const;

    static std::optional<CopyAndMergeSeparatorPreference> fromRawValue(QStringView raw);
    // A raw value or an English title (exact comparison); anything else gives newLine.
    static CopyAndMergeSeparatorPreference resolved(QStringView stored);

private:
    Value m_value;
};

size_t qHash(CopyAndMergeSeparatorPreference separator, size_t seed = 0);
