#include "CopyAndMergeSeparatorPreference.h"

#include "Localization.h"

#include <QHashFunctions>

QString CopyAndMergeSeparatorPreference::rawValue() const
{
    switch (m_value) {
    case newLine:
        return QStringLiteral("newLine");
    case space:
        return QStringLiteral("space");
    case comma:
        return QStringLiteral("comma");
    case empty:
        return QStringLiteral("empty");
    }
    return QStringLiteral("newLine");
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
    for (const Value separator : allCases) {
        if (CopyAndMergeSeparatorPreference(separator).rawValue() == raw)
            return CopyAndMergeSeparatorPreference(separator);
    }
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
