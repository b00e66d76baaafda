#include "SoundEffect.h"

#include "Localization.h"

#include <QHashFunctions>

QString SoundEffect::rawValue() const
{
    switch (m_value) {
    case copy:
        return QStringLiteral("copy");
    case paste:
        return QStringLiteral("paste");
    case delete_:
        return QStringLiteral("delete");
    case selectionAdd:
        return QStringLiteral("selectionAdd");
    case selectionRemove:
        return QStringLiteral("selectionRemove");
    }
    return QStringLiteral("copy");
}

std::optional<SoundEffect> SoundEffect::fromRawValue(QStringView raw)
{
    for (const Value effect : allCases) {
        if (SoundEffect(effect).rawValue() == raw)
            return SoundEffect(effect);
    }
    return std::nullopt;
}

QString SoundEffect::englishTitle() const
{
    switch (m_value) {
    case copy:
        return QStringLiteral("Copy item");
    case paste:
        return QStringLiteral("Paste item to active app");
    case delete_:
        return QStringLiteral("Delete item");
    case selectionAdd:
        return QStringLiteral("Add item to selection");
    case selectionRemove:
        return QStringLiteral("Remove item from selection");
    }
    return QStringLiteral("Copy item");
}

QString SoundEffect::title() const
{
    return localized(englishTitle());
}

QString SoundEffect::resourceName() const
{
    switch (m_value) {
    case copy:
        return QStringLiteral("copy");
    case paste:
        return QStringLiteral("paste");
    case delete_:
        return QStringLiteral("delete");
    case selectionAdd:
        return QStringLiteral("selection-add");
    case selectionRemove:
        return QStringLiteral("selection-remove");
    }
    return QStringLiteral("copy");
}

size_t qHash(SoundEffect effect, size_t seed)
{
    return qHash(effect.rawValue(), seed);
}

bool SoundSwitches::isEnabled(SoundEffect effect) const
{
    if (!soundEffectsEnabled)
        return false;
    switch (effect) {
    case SoundEffect::copy:
        return playSoundOnCopy;
    case SoundEffect::paste:
        return playSoundOnPaste;
    case SoundEffect::delete_:
        return playSoundOnDelete;
    case SoundEffect::selectionAdd:
        return playSoundOnSelectionAdd;
    case SoundEffect::selectionRemove:
        return playSoundOnSelectionRemove;
    }
    return false;
}
