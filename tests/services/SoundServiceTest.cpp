#include "SoundService.h"
#include "Localization.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSoundEffect>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A copy of the program's sounds in a folder of the test's own, so that files can go missing.
class SoundFolder
{
public:
    SoundFolder()
    {
        for (const SoundEffect effect : SoundEffect::allCases)
            QFile::copy(QStringLiteral(":/sounds/") + fileName(effect), path(effect));
    }
    static QString fileName(SoundEffect effect) { return effect.resourceName() + QLatin1String(".wav"); }
    QString path(SoundEffect effect) const { return m_folder.filePath(fileName(effect)); }
    QString folder() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;
};

} // namespace

TEST(SoundEffect, RawValuesTitlesAndFileNames)
{
    struct Case
    {
        SoundEffect effect;
        const char *raw;
        const char *file;
        const char *germanTitle;
    };
    const Case cases[] = {
        {SoundEffect::copy, "copy", "copy", "Objekt kopieren"},
        {SoundEffect::paste, "paste", "paste", "Objekt in aktive App einsetzen"},
        {SoundEffect::delete_, "delete", "delete", "Objekt löschen"},
        {SoundEffect::selectionAdd, "selectionAdd", "selection-add", "Objekt zur Auswahl hinzufügen"},
        {SoundEffect::selectionRemove, "selectionRemove", "selection-remove", "Objekt aus Auswahl entfernen"},
    };
    setCurrentInterfaceLanguage(QStringLiteral("de"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.raw);
        EXPECT_EQ(c.effect.rawValue(), QString::fromUtf8(c.raw));
        EXPECT_EQ(SoundEffect::fromRawValue(QString::fromUtf8(c.raw)), c.effect);
        EXPECT_EQ(c.effect.resourceName(), QString::fromUtf8(c.file));
        EXPECT_EQ(c.effect.title(), QString::fromUtf8(c.germanTitle));
    }
    setCurrentInterfaceLanguage(QStringLiteral("en"));
    EXPECT_EQ(SoundEffect(SoundEffect::paste).title(), QStringLiteral("Paste item to active app"));
    for (const char *notRaw : {"selection-add", "Copy", "COPY", ""})
        EXPECT_FALSE(SoundEffect::fromRawValue(QString::fromUtf8(notRaw))) << notRaw;
}

TEST(SoundService, PlaysOnlyWhatTheSwitchesAllowWithoutAnAudioDevice)
{
    struct Case
    {
        const char *name;
        SoundSwitches switches;
        QList<SoundEffect::Value> heard;
    };
    const SoundSwitches allOn;
    SoundSwitches masterOff;
    masterOff.soundEffectsEnabled = false;
    SoundSwitches someOff;
    someOff.playSoundOnPaste = false;
    someOff.playSoundOnSelectionRemove = false;
    const Case cases[] = {
        {"all on", allOn,
            {SoundEffect::copy, SoundEffect::paste, SoundEffect::delete_, SoundEffect::selectionAdd,
                SoundEffect::selectionRemove}},
        {"master switch off", masterOff, {}},
        {"two effects off", someOff, {SoundEffect::copy, SoundEffect::delete_, SoundEffect::selectionAdd}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SoundService service; // the program's own sounds
        for (const SoundEffect effect : SoundEffect::allCases)
            service.playIfEnabled(effect, c.switches);
        for (const SoundEffect effect : SoundEffect::allCases) {
            SCOPED_TRACE(effect.rawValue().toStdString());
            const bool expected = c.heard.contains(effect);
            EXPECT_EQ(service.isLoaded(effect), expected) << "a switched-off sound is not even loaded";
            if (expected) {
                EXPECT_TRUE(service.sound(effect)->isPlaying());
            }
        }
    }

    // Trying a sound in the settings plays it whatever the master switch says.
    SoundService service;
    service.play(SoundEffect::delete_);
    ASSERT_TRUE(service.isLoaded(SoundEffect::delete_));
    EXPECT_TRUE(service.sound(SoundEffect::delete_)->isPlaying());
}

TEST(SoundService, ReplayingRestartsTheSamePlayer)
{
    SoundService service;
    service.play(SoundEffect::copy);
    QSoundEffect *player = service.sound(SoundEffect::copy);
    ASSERT_TRUE(player);
    // Without an audio device the player never finishes; a second play must not wait for it.
    service.play(SoundEffect::copy);
    EXPECT_EQ(service.sound(SoundEffect::copy), player) << "one player per effect, never two overlapping";
    EXPECT_TRUE(player->isPlaying());
}

TEST(SoundService, AMissingOrUnreadableFileSilencesOnlyItsEffectUntilItIsBack)
{
    SoundFolder folder;
    const auto replace = [&](SoundEffect effect, const QByteArray &bytes) {
        QFile::remove(folder.path(effect));
        QFile file(folder.path(effect));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    QFile::remove(folder.path(SoundEffect::paste));
    replace(SoundEffect::delete_, "ID3 this is not a wave file");
    replace(SoundEffect::selectionRemove, QByteArray("RIFF\x24\0\0\0WAVE", 12) + "but nothing a player can read");
    SoundService service(folder.folder());
    for (const SoundEffect effect : SoundEffect::allCases)
        service.play(effect);
    EXPECT_FALSE(service.sound(SoundEffect::paste));
    EXPECT_FALSE(service.sound(SoundEffect::delete_));
    for (const SoundEffect effect : {SoundEffect::copy, SoundEffect::selectionAdd})
        EXPECT_TRUE(service.isLoaded(effect)) << qPrintable(effect.rawValue());
    // A file that looks like a wave file but does not decode is dropped once the player finds out.
    EXPECT_TRUE(waitUntil([&] { return !service.isLoaded(SoundEffect::selectionRemove); }));
    EXPECT_TRUE(service.isLoaded(SoundEffect::copy));

    // Nothing was remembered about the failures: the file is read again on the next play.
    ASSERT_TRUE(QFile::copy(QStringLiteral(":/sounds/paste.wav"), folder.path(SoundEffect::paste)));
    service.play(SoundEffect::paste);
    ASSERT_TRUE(service.isLoaded(SoundEffect::paste));
    EXPECT_TRUE(service.sound(SoundEffect::paste)->isPlaying());
}

// A run without an audio output says so once on standard error, however many sounds it loads and plays; the
// players still report playing. Looked at in a run of its own, since the question is asked once a run.
TEST(SoundService, ARunWithoutAudioOutputSaysSoOnce)
{
    if (qEnvironmentVariableIsSet("VARNISTO_SOUNDS_RUN")) {
        SoundService service;
        for (int round = 0; round < 3; ++round) {
            for (const SoundEffect effect : SoundEffect::allCases) {
                service.play(effect);
                EXPECT_TRUE(service.sound(effect)->isPlaying());
            }
            QTest::qWait(200); // the players load their sounds meanwhile
        }
        qWarning("a warning of its own");
        return;
    }
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VARNISTO_SOUNDS_RUN"), QStringLiteral("1"));
    run.setProcessEnvironment(environment);
    run.start(QCoreApplication::applicationFilePath(),
        {QStringLiteral("--gtest_filter=SoundService.ARunWithoutAudioOutputSaysSoOnce")});
    ASSERT_TRUE(run.waitForFinished(30000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardOutput().toStdString();
    const QString errors = QString::fromUtf8(run.readAllStandardError());
    EXPECT_EQ(errors.count(u"No audio device detected"), 0) << qPrintable(errors);
    EXPECT_EQ(errors.count(u"pa_context_connect"), 0) << qPrintable(errors);
    EXPECT_LE(errors.count(u"No audio output device"), 1) << qPrintable(errors);
    EXPECT_EQ(errors.count(u"a warning of its own"), 1) << qPrintable(errors);
}
