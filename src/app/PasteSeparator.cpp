#include "PasteSeparator.h"

#include "KeyboardCodes.h"
#include "Localization.h"

std::optional<PasteSeparator> PasteSeparator::fromRawValue(int raw)
{
    if (raw < 0 || raw >= int(allCases.size()))
        return std::nullopt;
    return PasteSeparator(allCases[std::size_t(raw)]);
}

QString PasteSeparator::title() const
{
    switch (m_value) {
    case none:
        return localized(QStringLiteral("None"));
    case returnKey:
        return localized(QStringLiteral("Key: Enter"));
    case shiftReturn:
        return localized(QStringLiteral("Key: Shift")) + QLatin1Char('+') + localized(QStringLiteral("Key: Enter"));
    case keyUp:
        return localized(QStringLiteral("Key Up"));
    case keyDown:
        return localized(QStringLiteral("Key Down"));
    case tab:
        return localized(QStringLiteral("Key: Tab"));
    case space:
        return localized(QStringLiteral("Key: Space"));
    }
    return {};
}

quint16 PasteSeparator::keyCode() const
{
    switch (m_value) {
    case none:
        return 0;
    case returnKey:
    case shiftReturn:
        return VirtualKey::returnKey;
    case keyUp:
        return VirtualKey::up;
    case keyDown:
        return VirtualKey::down;
    case tab:
        return VirtualKey::tab;
    case space:
        return VirtualKey::space;
    }
    return 0;
}

quint64 PasteSeparator::flags() const
{
    return m_value == shiftReturn ? KeyEventFlag::shift : 0;
}
