#include "AppAppearance.h"

#include "Localization.h"

#include <QHashFunctions>

QString AppAppearance::rawValue() const
{
    switch (m_value) {
    case system:
        return QStringLiteral("system");
    case light:
        return QStringLiteral("light");
    case dark:
        return QStringLiteral("dark");
    }
    return QStringLiteral("system");
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
    for (const Value appearance : allCases) {
        if (AppAppearance(appearance).rawValue() == raw)
            return AppAppearance(appearance);
    }
    return std::nullopt;
}

size_t qHash(AppAppearance appearance, size_t seed)
{
    return ::qHash(int(AppAppearance::Value(appearance)), seed);
}
