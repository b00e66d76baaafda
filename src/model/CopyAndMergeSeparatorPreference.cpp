#include "CopyAndMergeSeparatorPreference.h"

#include "EnumKeys.h"
#include "Localization.h"

#include <QHashFunctions>

QString CopyAndMergeSeparatorPreference::rawValue() const
{
    return enumKey(m_value);
}

QString CopyAndMergeSeparatorPreference::englishTitle() const
{
    switch (m_value) {
    case newLine:
        return QStringLiteral("New line");
    case space:
        return QStringLiteral("Space");
    case comma:
        return QStringLiteral("Comma");
    case empty:
        return QStringLiteral("Empty");
    }
    return QStringLiteral("New line");
}

QString CopyAndMergeSeparatorPreference::title() const
{
    return localized(englishTitle());
}

QString CopyAndMergeSeparatorPreference::separatorText() const
{
    switch (m_value) {
    case newLine:
        return QStringLiteral("\n");
    case space:
        return QStringLiteral(" ");
    case comma:
        return QStringLiteral(", ");
    case empty:
        return QString();
    }
    return QStringLiteral("\n");
}

std::optional<CopyAndMergeSeparatorPreference> CopyAndMergeSeparatorPreference::fromRawValue(QStringView raw)
{
    if (const auto value = enumFromKey<Value>(raw))
        return CopyAndMergeSeparatorPreference(*value);
    return std::nullopt;
}

CopyAndMergeSeparatorPreference CopyAndMergeSeparatorPreference::resolved(QStringView stored)
{
    for (const Value value : allCases) {
        const CopyAndMergeSeparatorPreference separator(value);
        if (separator.rawValue() == stored || separator.englishTitle() == stored)
            return separator;
    }
    return newLine;
}

size_t qHash(CopyAndMergeSeparatorPreference separator, size_t seed)
{
    return ::qHash(int(CopyAndMergeSeparatorPreference::Value(separator)), seed);
}
