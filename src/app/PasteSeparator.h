#pragma once

#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

// The key pressed between two items of a multi-item paste. The command palette offers the cases under their
// titles; none presses nothing.
class PasteSeparator
{
public:
    enum Value : int { none, returnKey, shiftReturn, keyUp, keyDown, tab, space };

    constexpr PasteSeparator(Value value = none) : m_value(value) { }
    constexpr operator Value() const { return m_value; }

    static constexpr std::array<Value, 7> allCases {none, returnKey, shiftReturn, keyUp, keyDown, tab, space};

    // 0 to 6, in the order of the cases.
    int rawValue() const { return int(m_value); }
    static std::optional<PasteSeparator> fromRawValue(int raw);

    // The key's name as this desktop writes it ("Enter", "Shift+Enter", "Up", ...), in the interface language.
    QString title() const;
    // Whether a key is pressed at all.
    bool pressesKey() const { return m_value != none; }
    // The virtual key and the modifier flags of the press.
    quint16 keyCode() const;
    quint64 flags() const;

private:
    Value m_value;
};
