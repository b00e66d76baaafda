#pragma once

#include "SoundEffect.h"

#include <QHash>
#include <QObject>
#include <QString>

class QSoundEffect;

// Loads the interface sounds on first use and keeps one player per effect. Main thread only.
//
// Without an audio device a player stays "playing" for ever; nothing here waits for a sound to end.
class SoundService final : public QObject
{
    Q_OBJECT

public:
    // The sounds built into the program (":/sounds").
    explicit SoundService(QObject *parent = nullptr);
    // The sounds of a folder holding "<resource name>.wav" files; a resource path (":/...") or a directory.
    explicit SoundService(QString soundFolder, QObject *parent = nullptr);
    ~SoundService() override;

    // The effect's player, loaded and kept on first use. Nothing when the file is missing or is not a WAV
    // file; then nothing is kept and the next call tries again.
    QSoundEffect *sound(SoundEffect effect);
    // Whether the effect's player has been loaded and is kept.
    bool isLoaded(SoundEffect effect) const;

    // Plays the effect when the switches allow it; otherwise nothing is loaded or played.
    void playIfEnabled(SoundEffect effect, const SoundSwitches &switches);
    // Plays the effect from its start, stopping it first when it is still playing (used when the user turns an
    // effect's switch on in the settings, whatever the master switch says). A missing sound plays nothing.
    void play(SoundEffect effect);

private:
    QString filePath(SoundEffect effect) const;
    void forget(SoundEffect effect, QSoundEffect *player);

    QString m_soundFolder;
    QHash<SoundEffect, QSoundEffect *> m_soundsByEffect;
};
