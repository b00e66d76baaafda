#pragma once

#include <QString>

// Why an item could not be pasted or copied.
class PasteServiceError
{
public:
    enum Value : int {
        accessibilityPermissionRequired, // the display does not take synthetic key input
        unsupportedItem, // the item has nothing that can be written in the asked form
    };

    constexpr PasteServiceError(Value value) : m_value(value) { }
    constexpr operator Value() const { return m_value; }

    // The message for the user, in the interface language.
    QString errorDescription() const;
    // The English message, which is also the catalogue key.
    QString englishDescription() const;

private:
    Value m_value;
};
