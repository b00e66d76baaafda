#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The five interface sounds. Stored and identified by the raw value (the case name).
class SoundEffect
{
public:
    // `delete` is a C++ keyword, so that case is spelt `delete_`; its raw value is "delete".
    enum Value : int { copy, paste, delete_, selectionAdd, selectionRemove };

    constexpr SoundEffect(Value value = copy) : m_value(value) { }
    constexpr operator Value() const { return m_value; }

    static constexpr std::array<Value, 5> allCases {copy, paste, delete_, selectionAdd, selectionRemove};

    // "copy", "paste", "delete", "selectionAdd", "selectionRemove".
    QString rawValue() const;
    // Exactly one of the raw values, else nothing ("selection-add", the file name, is not one).
    static std::optional<SoundEffect> fromRawValue(QStringView raw);
    // The title in the Sounds settings, in the interface language.
    QString title() const;
    // The English title, which is also the catalogue key.
    QString englishTitle() const;
    // The sound file's name without its extension: "copy", "paste", "delete", "selection-add", "selection-remove".
    QString resourceName() const;

private:
    Value m_value;
};

size_t qHash(SoundEffect effect, size_t seed = 0);

// The master switch and the per-effect switches of the preferences that decide whether a sound plays.
struct SoundSwitches
{
    bool soundEffectsEnabled = true;
    bool playSoundOnCopy = true;
    bool playSoundOnPaste = true;
    bool playSoundOnDelete = true;
    bool playSoundOnSelectionAdd = true;
    bool playSoundOnSelectionRemove = true;

    // The master switch and the effect's own switch are both on.
    bool isEnabled(SoundEffect effect) const;

    // The switches of a preference record (any type with the members named as above).
    template<typename Preferences> static SoundSwitches from(const Preferences &preferences)
    {
        return {preferences.soundEffectsEnabled, preferences.playSoundOnCopy, preferences.playSoundOnPaste,
            preferences.playSoundOnDelete, preferences.playSoundOnSelectionAdd, preferences.playSoundOnSelectionRemove};
    }
};
