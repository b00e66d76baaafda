// The real program's life from the outside: one running copy per history, with a session bus and without one; a
// settings file that is no regular file; termination requests at every moment of start-up.

#include "PreferencesStore.h"
#include "SQLiteHistoryStore.h"
#include "SingleInstance.h"
#include "UserSettingsFile.h"

#include "DesktopQueries.h"
#include "RunningVarnisto.h"
#include "Xclip.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

namespace {

QString supportDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Varnisto2");
}

// A fresh start for each test: no history, no lock, and the given preferences (or no settings file at all).
void resetFolders(const std::optional<AppPreferences> &preferences)
{
    QDir(supportDirectory()).removeRecursively();
    const QString settings = UserSettingsFile::standardPath();
    QDir(QFileInfo(settings).path()).removeRecursively();
    if (preferences)
        PreferencesStore(settings).save(*preferences);
}

AppPreferences quietPreferences()
{
    AppPreferences preferences;
    preferences.hasCompletedOnboarding = true;
    preferences.showMainWindowAtStartup = false;
    preferences.soundEffectsEnabled = false;
    return preferences;
}

QStringList storedTexts()
{
    SQLiteHistoryStore store(supportDirectory());
    QStringList texts;
    if (const auto items = store.loadRecentItems(100)) {
        for (const ClipboardItem &item : *items)
            texts.append(item.text.value_or(QString()));
    }
    return texts;
}

// Copies the text and waits until the running copy has taken it in.
void copyAndWaitForCapture(RunningVarnisto &varnisto, const QByteArray &text, std::unique_ptr<XclipCopy> &owner)
{
    owner = std::make_unique<XclipCopy>(text);
    EXPECT_TRUE(varnisto.waitForLog(QStringLiteral("captured text item")));
}

} // namespace

TEST(ApplicationInstance, ASecondStartShowsTheRunningCopysHistoryWindowAndEnds)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning()) << "dbus-daemon did not start";
    resetFolders(quietPreferences());

    RunningVarnisto first(bus.environment());
    ASSERT_TRUE(first.waitForLog(QStringLiteral("started with 0 items")));
    EXPECT_FALSE(visibleWindowNamed(QStringLiteral("Clipboard History")).has_value());

    RunningVarnisto second(bus.environment());
    ASSERT_TRUE(second.waitForFinished());
    EXPECT_TRUE(second.exitedWith(0)) << second.process().exitCode();
    EXPECT_FALSE(second.log().contains(QStringLiteral("started with"))) << "the second copy never starts up";
    EXPECT_TRUE(waitUntil([] { return visibleWindowNamed(QStringLiteral("Clipboard History")).has_value(); }));

    // One copy captures: one copy, one row.
    std::unique_ptr<XclipCopy> owner;
    copyAndWaitForCapture(first, "copied once", owner);
    EXPECT_EQ(storedTexts(), QStringList({QStringLiteral("copied once")}));

    first.terminate();
    ASSERT_TRUE(first.waitForFinished());
    EXPECT_TRUE(first.exitedWith(0));
}

TEST(ApplicationInstance, WithoutASessionBusTheLockKeepsASecondCopyOutAndADeadCopysLockIsTakenOver)
{
    AppPreferences preferences = quietPreferences();
    preferences.language = QStringLiteral("de");
    resetFolders(preferences);

    auto first = std::make_unique<RunningVarnisto>();
    ASSERT_TRUE(first->waitForLog(QStringLiteral("started with 0 items")));
    EXPECT_TRUE(QFileInfo(supportDirectory() + QLatin1Char('/') + SingleInstance::lockFileName).isFile());

    // The second says why it does not run, in the user's language, and fails.
    RunningVarnisto second;
    ASSERT_TRUE(second.waitForFinished());
    EXPECT_EQ(second.process().exitStatus(), QProcess::NormalExit);
    EXPECT_NE(second.process().exitCode(), 0);
    EXPECT_TRUE(second.log().contains(
        QStringLiteral("Varnisto läuft bereits mit dem Verlauf in ") + QDir::toNativeSeparators(supportDirectory())))
        << qPrintable(second.log());
    EXPECT_FALSE(second.log().contains(QStringLiteral("started with")));

    std::unique_ptr<XclipCopy> owner;
    copyAndWaitForCapture(*first, "copied once", owner);
    EXPECT_EQ(storedTexts(), QStringList({QStringLiteral("copied once")}));

    // A copy that dies leaves its lock behind; the next start takes it over.
    first->signal(SIGKILL);
    ASSERT_TRUE(first->waitForFinished());
    first.reset();
    ASSERT_TRUE(QFileInfo::exists(supportDirectory() + QLatin1Char('/') + SingleInstance::lockFileName));
    RunningVarnisto third;
    ASSERT_TRUE(third.waitForLog(QStringLiteral("started with 1 items")));
    third.terminate();
    ASSERT_TRUE(third.waitForFinished());
    EXPECT_TRUE(third.exitedWith(0));
}

TEST(ApplicationInstance, ASettingsFileThatIsAFifoIsNeitherReadNorReplaced)
{
    resetFolders(std::nullopt);
    const QString settings = UserSettingsFile::standardPath();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(settings).path()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(settings).constData(), 0600), 0);

    RunningVarnisto varnisto;
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with 0 items")));
    EXPECT_TRUE(varnisto.log().contains(QDir::toNativeSeparators(settings)
        + QStringLiteral(" is not a regular file. Varnisto starts with the default settings and does not save them.")))
        << qPrintable(varnisto.log());
    // The defaults: a first start, which welcomes the user.
    EXPECT_TRUE(waitUntil([] { return visibleWindowNamed(QStringLiteral("Varnisto")).has_value(); }));

    varnisto.terminate();
    ASSERT_TRUE(varnisto.waitForFinished());
    EXPECT_TRUE(varnisto.exitedWith(0)) << varnisto.process().exitCode();
    struct stat status
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(settings).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode)) << "the settings were saved over the FIFO";
}

// Whenever the request comes, the program ends within moments: in order once the event loop runs (exit code 0),
// by the signal's default action before.
TEST(ApplicationInstance, ATerminationRequestEndsItAtAnyMomentOfStartUp)
{
    resetFolders(quietPreferences());
    for (const int delayMs : {0, 5, 20, 50, 100, 200, 400, 800}) {
        SCOPED_TRACE(delayMs);
        RunningVarnisto varnisto;
        ASSERT_TRUE(varnisto.waitForStarted());
        if (delayMs > 0)
            waitUntil([] { return false; }, delayMs);
        varnisto.terminate();
        ASSERT_TRUE(varnisto.waitForFinished(5000)) << "still running after the termination request";
        const bool inOrder = varnisto.exitedWith(0);
        const bool byTheSignal
            = varnisto.process().exitStatus() == QProcess::CrashExit && varnisto.process().exitCode() == SIGTERM;
        EXPECT_TRUE(inOrder || byTheSignal) << varnisto.process().exitStatus() << " " << varnisto.process().exitCode();
    }
}
