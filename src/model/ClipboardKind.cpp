#include "ClipboardKind.h"

#include "ClipboardItem.h"
#include "EnumKeys.h"
#include "IcuRegex.h"
#include "Localization.h"
#include "TextUtilities.h"

#include <QHashFunctions>

QString ClipboardKind::rawValue() const
{
    return enumKey(m_value);
}

std::optional<ClipboardKind> ClipboardKind::fromRawValue(QStringView raw)
{
    if (const auto value = enumFromKey<Value>(raw))
        return ClipboardKind(*value);
    return std::nullopt;
}

QString ClipboardKind::englishTitle() const
{
    switch (m_value) {
    case text:
        return QStringLiteral("Text");
    case richText:
        return QStringLiteral("Rich Text");
    case link:
        return QStringLiteral("Link");
    case email:
        return QStringLiteral("Email");
    case color:
        return QStringLiteral("Color");
    case image:
        return QStringLiteral("Image");
    case file:
        return QStringLiteral("File");
    }
    return QStringLiteral("Text");
}

QString ClipboardKind::title() const
{
    return localized(englishTitle());
}

ClipboardKind ClipboardKind::detect(const QString &input, bool treatDigitNumbersAsColor)
{
    static const IcuRegex hexColorOptionalHash(QStringLiteral("^#?[0-9a-fA-F]{6}([0-9a-fA-F]{2})?$"));
    static const IcuRegex hexColorWithHash(QStringLiteral("^#[0-9a-fA-F]{6}([0-9a-fA-F]{2})?$"));
    static const IcuRegex rgbFunction(QStringLiteral("^rgba?\\("));
    static const IcuRegex emailAddress(QStringLiteral("^[^@\\s]+@[^@\\s]+\\.[^@\\s]+$"));

    const QString trimmed = TextUtilities::trimmedWhitespaceAndNewlines(input);
    const IcuRegex &hexColor = treatDigitNumbersAsColor ? hexColorOptionalHash : hexColorWithHash;
    if (hexColor.search(trimmed) || rgbFunction.search(trimmed))
        return color;
    // An address with a scheme, such as ssh://git@host/repo.git, is never an e-mail address.
    if (!trimmed.contains(QLatin1String("://")) && emailAddress.search(trimmed))
        return email;
    if (ClipboardItem::linkURL(trimmed))
        return link;
    return text;
}

size_t qHash(ClipboardKind kind, size_t seed)
{
    return ::qHash(int(ClipboardKind::Value(kind)), seed);
}
