#pragma once

#include <QHashFunctions>
#include <QString>

// Why an item cannot be saved as an image file.
class ClipboardImageExportError
{
public:
    enum Value : int {
        unsupportedItem, // not an image item, or one without an image file
        missingImageFile, // its image file is gone
    };

    constexpr ClipboardImageExportError(Value value) : m_value(value) { }
    constexpr operator Value() const { return m_value; }

    // The message for the user, in the interface language.
    QString errorDescription() const;

private:
    Value m_value;
};

inline size_t qHash(ClipboardImageExportError error, size_t seed = 0)
{
    return qHash(int(ClipboardImageExportError::Value(error)), seed);
}
