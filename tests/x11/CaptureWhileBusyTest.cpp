// The real program and the capture road while it is busy with a large copy: a quit ends it at once, and copies
// made meanwhile are kept.

#include "PreferencesStore.h"
#include "SQLiteHistoryStore.h"

#include "PacedClipboardOwner.h"
#include "RunningVarnisto.h"
#include "Xclip.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSettings>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

QString supportDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Varnisto2");
}

QStringList storedTexts()
{
    SQLiteHistoryStore store(supportDirectory());
    QStringList texts;
    if (const auto items = store.loadRecentItems(0)) {
        for (const ClipboardItem &item : *items)
            texts.append(item.text.value_or(QString()));
    }
    return texts;
}

QByteArray largeText(qsizetype size)
{
    QByteArray text;
    text.reserve(size);
    for (int line = 0; text.size() < size; ++line)
        text += "Line " + QByteArray::number(line) + " of a large copy that arrives in parts.\n";
    text.truncate(size);
    return text;
}

class CaptureWhileBusyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir(supportDirectory()).removeRecursively();
        AppPreferences preferences;
        preferences.hasCompletedOnboarding = true;
        preferences.soundEffectsEnabled = false;
        const QString settingsFile = QSettings(
            QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Varnisto"), QStringLiteral("Varnisto"))
                                         .fileName();
        PreferencesStore(settingsFile).save(preferences);
    }
};

} // namespace

// Lets the event loop run (the owners here answer from it) until the time has passed.
void letTimePass(const QElapsedTimer &since, qint64 ms)
{
    waitUntil([&] { return since.elapsed() >= ms; }, int(ms + 1000));
}

TEST_F(CaptureWhileBusyTest, AQuitDuringALargeCopyEndsAtOnceAndKeepsNothingHalfRead)
{
    RunningVarnisto varnisto;
    ASSERT_TRUE(varnisto.waitForStarted());
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with 0 items")));

    // 20 MiB in parts of 64 KiB, one every 10 ms once the one before was taken: some four seconds.
    const QByteArray text = largeText(20 * 1024 * 1024);
    QElapsedTimer sinceCopy;
    sinceCopy.start();
    PacedClipboardOwner owner(text, 64 * 1024, 10);
    ASSERT_TRUE(waitUntil([&] { return owner.bytesSent() > 0; }, 5000));
    letTimePass(sinceCopy, 1500);
    ASSERT_TRUE(owner.isTransferring());
    ASSERT_LT(owner.bytesSent(), text.size());

    QElapsedTimer sinceQuit;
    sinceQuit.start();
    varnisto.terminate();
    ASSERT_TRUE(varnisto.waitForFinished(3000)) << "still running " << sinceQuit.elapsed() << " ms after the quit";
    EXPECT_TRUE(varnisto.exitedWith(0));
    // The transfer was ended for the owner, which is free for the next program that pastes.
    EXPECT_TRUE(waitUntil([&] { return !owner.isTransferring(); }, 2000));
    EXPECT_EQ(owner.abandonedTransfers() + owner.finishedTransfers(), owner.startedTransfers());
    for (const QString &stored : storedTexts())
        EXPECT_FALSE(stored.startsWith(QStringLiteral("Line 0 ")) && stored.size() != text.size())
            << "a part of the large copy was stored: " << stored.size() << " characters";
}

TEST_F(CaptureWhileBusyTest, CopiesMadeWhileALargeCopyIsReadAndStoredAreKept)
{
    RunningVarnisto varnisto;
    ASSERT_TRUE(varnisto.waitForStarted());
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with 0 items")));

    // A 60 MiB text, handed over as fast as the reader takes it; 1.5 s later a plain copy, replaced 1.2 s after.
    const QByteArray text = largeText(60 * 1024 * 1024);
    QElapsedTimer sinceCopy;
    sinceCopy.start();
    auto large = std::make_unique<PacedClipboardOwner>(text, 256 * 1024, 0);
    letTimePass(sinceCopy, 1500);
    auto first = std::make_unique<XclipCopy>(QByteArray("a plain copy made during the large one"));
    letTimePass(sinceCopy, 2700);
    XclipCopy second(QByteArray("the copy that replaced it"));

    const QStringList plain
        = {QStringLiteral("the copy that replaced it"), QStringLiteral("a plain copy made during the large one")};
    QStringList texts;
    const bool bothKept = waitUntil(
        [&] {
            if (!varnisto.log().contains(QStringLiteral("captured")))
                return false;
            texts = storedTexts();
            return texts.contains(plain.at(0)) && texts.contains(plain.at(1));
        },
        60000);
    ASSERT_TRUE(bothKept) << texts.size() << " items stored";
    // In the order they were made; the large copy, when it was read to its end before the next one came, before
    // them, whole.
    texts.removeIf([](const QString &stored) { return stored.startsWith(QStringLiteral("Line 0 ")); });
    EXPECT_EQ(texts, plain);
    for (const QString &stored : storedTexts()) {
        if (stored.startsWith(QStringLiteral("Line 0 ")))
            EXPECT_EQ(stored.size(), text.size());
    }
    varnisto.terminate();
    EXPECT_TRUE(varnisto.waitForFinished());
}
