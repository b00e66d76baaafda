#include "AppAppearance.h"

#include "EnumKeys.h"
#include "Localization.h"

#include <QHashFunctions>

QString AppAppearance::rawValue() const
{
    return enumKey(m_value);
}

QString AppAppearance::englishTitle() const
{
    switch (m_value) {
    case system:
        return QStringLiteral("System");
    case light:
        return QStringLiteral("Light");
    case dark:
        return QStringLiteral("Dark");
    }
    return QStringLiteral("System");
}

QString AppAppearance::title() const
{
    return localized(englishTitle());
}

std::optional<AppAppearance> AppAppearance::fromRawValue(QStringView raw)
{
    if (const auto value = enumFromKey<Value>(raw))
        return AppAppearance(*value);
    return std::nullopt;
}

size_t qHash(AppAppearance appearance, size_t seed)
{
    return ::qHash(int(AppAppearance::Value(appearance)), seed);
}
