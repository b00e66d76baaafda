#include "SoundService.h"

#include "ServicesLogging.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace {

// Without an audio output the multimedia library complains once when it looks for a sound server and again for
// every sound it loads; after the first time that says nothing new.
bool isMissingAudioOutputMessage(QtMsgType type, const QString &message)
{
    return type == QtWarningMsg
        && (message == u"No audio device detected" || message.startsWith(u"PulseAudioService: pa_context_connect()"));
}

QtMessageHandler handlerBeforeSounds = nullptr;

void withoutMissingAudioOutputMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!isMissingAudioOutputMessage(type, message))
        handlerBeforeSounds(type, context, message);
}

// Asked once a run, before the first sound loads. Without an output the run says so once, and the library's own
// repeats of it stay off standard error; every other message passes as before.
void noteMissingAudioOutputOnce()
{
    static bool asked = false;
    if (asked)
        return;
    asked = true;
    handlerBeforeSounds = qInstallMessageHandler(withoutMissingAudioOutputMessages);
    if (!QMediaDevices::defaultAudioOutput().isNull()) {
        qInstallMessageHandler(handlerBeforeSounds);
        return;
    }
    qCWarning(lcServices) << "No audio output device: the sounds play silently";
}

// A RIFF file of the WAVE form: the only kind of file the player reads.
bool isWaveFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(12);
    return header.size() == 12 && header.startsWith("RIFF") && header.mid(8, 4) == "WAVE";
}

QUrl urlForPath(const QString &path)
{
    if (path.startsWith(QLatin1Char(':')))
        return QUrl(QLatin1String("qrc") + path);
    return QUrl::fromLocalFile(path);
}

} // namespace

SoundService::SoundService(QObject *parent) : SoundService(QStringLiteral(":/sounds"), parent) { }

SoundService::SoundService(QString soundFolder, QObject *parent)
    : QObject(parent), m_soundFolder(std::move(soundFolder))
{ }

SoundService::~SoundService() = default;

QString SoundService::filePath(SoundEffect effect) const
{
    return m_soundFolder + QLatin1Char('/') + effect.resourceName() + QLatin1String(".wav");
}

QSoundEffect *SoundService::sound(SoundEffect effect)
{
    if (QSoundEffect *player = m_soundsByEffect.value(effect))
        return player;

    const QString path = filePath(effect);
    if (!isWaveFile(path))
        return nullptr;

    noteMissingAudioOutputOnce();
    auto *player = new QSoundEffect(this);
    // The player reads the file in the background; a file it cannot decode is dropped, so that the next play
    // loads it again.
    connect(player, &QSoundEffect::statusChanged, this, [this, effect, player] {
        if (player->status() == QSoundEffect::Error)
            forget(effect, player);
    });
    player->setSource(urlForPath(path));
    m_soundsByEffect.insert(effect, player);
    return player;
}

void SoundService::forget(SoundEffect effect, QSoundEffect *player)
{
    if (m_soundsByEffect.value(effect) == player)
        m_soundsByEffect.remove(effect);
    player->deleteLater();
}

bool SoundService::isLoaded(SoundEffect effect) const
{
    return m_soundsByEffect.contains(effect);
}

void SoundService::playIfEnabled(SoundEffect effect, const SoundSwitches &switches)
{
    if (switches.isEnabled(effect))
        play(effect);
}

void SoundService::play(SoundEffect effect)
{
    QSoundEffect *player = sound(effect);
    if (!player)
        return;
    // Stopping rewinds: a quick second play starts the sound again instead of overlapping it.
    if (player->isPlaying())
        player->stop();
    player->play();
}
