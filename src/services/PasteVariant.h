#pragma once

#include "ClipboardKind.h"

#include <QHashFunctions>

#include <array>

// The form in which an item is pasted or copied. The four rich variants write the same content and differ only in
// the key that the paste command presses after Ctrl+V.
class PasteVariant
{
public:
    enum Value : int { standard, plainText, rich, filePath, pasteAndReturn, pasteAndTab };

    constexpr PasteVariant(Value value = standard) : m_value(value) { }
    constexpr operator Value() const { return m_value; }

    static constexpr std::array<Value, 6> allCases {standard, plainText, rich, filePath, pasteAndReturn, pasteAndTab};

    // The form of a plain paste or copy: the text alone for a text-like item when the user prefers plain text,
    // else the item as it was copied.
    static PasteVariant defaultFor(ClipboardKind kind, bool preferPastingAsPlainText)
    {
        return kind.isTextLike() && preferPastingAsPlainText ? plainText : standard;
    }

private:
    Value m_value;
};

inline size_t qHash(PasteVariant variant, size_t seed = 0)
{
    return qHash(int(PasteVariant::Value(variant)), seed);
}
