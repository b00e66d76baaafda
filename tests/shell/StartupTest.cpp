// What start-up settles before the history is opened: the settings file it may use, the one running copy per
// history, and how termination requests are answered.

#include "PreferencesStore.h"
#include "SQLiteHistoryStore.h"
#include "SingleInstance.h"
#include "TerminationSignals.h"
#include "UserSettingsFile.h"

#include "FilePermissions.h"
#include "TestSupport.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

namespace {

// A connection that is not connected: a session without a bus.
QDBusConnection noSessionBus()
{
    return QDBusConnection(QStringLiteral("varnisto-test-no-bus"));
}

bool makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

} // namespace

TEST(UserSettingsFile, TheStandardPathIsTheOneQSettingsUses)
{
    EXPECT_EQ(UserSettingsFile::standardPath(),
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Varnisto"), QStringLiteral("Varnisto"))
            .fileName());
}

// Only a regular file (or a link to one), or nothing yet, is the user's settings file; for anything else the program
// works on a stand-in, and what stands at the path stays untouched.
TEST(UserSettingsFile, AnythingButARegularFileGetsAStandIn)
{
    QTemporaryDir folder;
    const auto path = [&](const char *name) { return folder.filePath(QString::fromUtf8(name)); };
    QFile regular(path("regular.conf"));
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.close();
    ASSERT_TRUE(QFile::link(path("regular.conf"), path("link.conf")));
    ASSERT_TRUE(makeFifo(path("fifo.conf")));
    ASSERT_TRUE(QDir().mkpath(path("folder.conf")));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), path("device.conf")));

    struct Case
    {
        const char *name;
        bool usable;
    };
    const Case cases[] = {
        {"missing.conf", true},
        {"regular.conf", true},
        {"link.conf", true},
        {"fifo.conf", false},
        {"folder.conf", false},
        {"device.conf", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const UserSettingsFile settings(path(c.name));
        EXPECT_EQ(settings.isStandIn(), !c.usable);
        if (c.usable) {
            EXPECT_EQ(settings.filePath(), path(c.name));
            EXPECT_TRUE(settings.problem().isEmpty());
            continue;
        }
        EXPECT_NE(settings.filePath(), path(c.name));
        EXPECT_EQ(settings.problem(),
            path(c.name)
                + QStringLiteral(
                    " is not a regular file. Varnisto starts with the default settings and does not save them."));
        // The run keeps its settings in the stand-in: they start as the defaults and can be changed.
        const PreferencesStore store(settings.filePath());
        EXPECT_TRUE(store.load() == AppPreferences());
        AppPreferences changed;
        changed.maxHistoryItems = 42;
        store.save(changed);
        EXPECT_EQ(store.load().maxHistoryItems, 42);
    }
    struct stat status
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(path("fifo.conf")).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_TRUE(QFileInfo(path("folder.conf")).isDir());
}

// Without a session bus, the lock file in the support directory lets one copy run per history.
TEST(SingleInstance, WithoutABusTheLockAdmitsOneCopyPerHistory)
{
    QTemporaryDir root;
    const QString history = root.filePath(QStringLiteral("Varnisto2"));
    const QString otherHistory = root.filePath(QStringLiteral("Other"));
    QDir().mkpath(history);
    QDir().mkpath(otherHistory);

    auto first = std::make_unique<SingleInstance>(history);
    EXPECT_EQ(first->claim(noSessionBus()), SingleInstance::Role::primary);
    EXPECT_TRUE(first->refusal().isEmpty());
    EXPECT_TRUE(QFileInfo(first->lockFilePath()).isFile());

    SingleInstance second(history);
    EXPECT_EQ(second.claim(noSessionBus()), SingleInstance::Role::refused);
    EXPECT_EQ(second.refusal(), QStringLiteral("Varnisto is already running with the history in %1.").arg(history));

    SingleInstance elsewhere(otherHistory);
    EXPECT_EQ(elsewhere.claim(noSessionBus()), SingleInstance::Role::primary);

    // The lock goes with the copy that held it.
    first.reset();
    SingleInstance third(history);
    EXPECT_EQ(third.claim(noSessionBus()), SingleInstance::Role::primary);
}

// A lock whose holder has died is taken over; one that cannot be read safely keeps the copy out.
TEST(SingleInstance, ADeadCopysLockIsTakenOverAndAFifoIsNotRead)
{
    QTemporaryDir root;
    const QString history = root.filePath(QStringLiteral("Varnisto2"));
    QDir().mkpath(history);
    const QString lockPath = history + QLatin1Char('/') + SingleInstance::lockFileName;

    // A lock file written as this program writes it, by a process that has ended since.
    QProcess ended;
    ended.start(QStringLiteral("true"), {});
    ASSERT_TRUE(ended.waitForStarted(5000));
    const qint64 deadProcess = ended.processId();
    ASSERT_TRUE(ended.waitForFinished(5000));
    {
        QLockFile model(lockPath);
        ASSERT_TRUE(model.tryLock(0));
        QFile file(lockPath);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = file.readAll().split('\n');
        file.close();
        model.unlock();
        lines[0] = QByteArray::number(deadProcess);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(lines.join('\n'));
    }
    ASSERT_TRUE(QFileInfo::exists(lockPath));
    {
        SingleInstance instance(history);
        EXPECT_EQ(instance.claim(noSessionBus()), SingleInstance::Role::primary);
    }

    ASSERT_TRUE(makeFifo(lockPath));
    SingleInstance instance(history);
    EXPECT_EQ(instance.claim(noSessionBus()), SingleInstance::Role::refused);
    EXPECT_TRUE(instance.refusal().startsWith(lockPath + QStringLiteral(" is not a regular file.")))
        << qPrintable(instance.refusal());
}

namespace {

void writeLockFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(contents), contents.size());
}

QByteArray readLockFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The lines that name a computer, as the program and QLockFile write them.
QByteArray thisComputer()
{
    return QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() + '\n';
}

} // namespace

// Only a running copy's hold on the lock keeps others out. A file that nobody holds names nobody, whatever a crash,
// a power cut or another program left in it: the next start takes it over and names itself in it.
TEST(SingleInstance, ALockThatNoCopyHoldsIsTakenOverWhateverItSays)
{
    QTemporaryDir root;
    const QString history = root.filePath(QStringLiteral("Varnisto2"));
    QDir().mkpath(history);
    const QString lockPath = history + QLatin1Char('/') + SingleInstance::lockFileName;

    QProcess ended;
    ended.start(QStringLiteral("true"), {});
    ASSERT_TRUE(ended.waitForStarted(5000));
    const QByteArray deadProcess = QByteArray::number(ended.processId());
    ASSERT_TRUE(ended.waitForFinished(5000));
    QProcess otherProgram; // alive, and not Varnisto
    otherProgram.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(otherProgram.waitForStarted(5000));
    const QByteArray livePid = QByteArray::number(otherProgram.processId());
    const QByteArray self = QByteArray::number(QCoreApplication::applicationPid());
    const QByteArray selfName = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8();

    struct Case
    {
        const char *what;
        QByteArray contents;
    };
    const Case cases[] = {
        {"empty: created, never written", {}},
        {"garbage", QByteArray("\x00\xff\x13 no lock at all\n\n\n", 19)},
        {"cut short in the host name", self + '\n' + selfName + '\n' + QSysInfo::machineHostName().toUtf8().left(2)},
        {"a process that has ended", deadProcess + "\nvarnisto\n" + thisComputer() + QSysInfo::bootUniqueId() + '\n'},
        {"a process of another program", livePid + "\nvarnisto\n" + thisComputer() + QSysInfo::bootUniqueId() + '\n'},
        {"an earlier boot", self + '\n' + selfName + '\n' + thisComputer() + "0d1e2a3b-0000-4000-8000-000000000000\n"},
        {"a live process that does not hold it", self + '\n' + selfName + '\n' + thisComputer()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        writeLockFile(lockPath, c.contents);
        {
            SingleInstance instance(history);
            EXPECT_EQ(instance.claim(noSessionBus()), SingleInstance::Role::primary) << qPrintable(instance.refusal());
            const QList<QByteArray> lines = readLockFile(lockPath).split('\n');
            ASSERT_GE(lines.size(), 6);
            EXPECT_EQ(lines.at(0), self);
            EXPECT_EQ(lines.at(2), QSysInfo::machineHostName().toUtf8());
            EXPECT_EQ(lines.at(4), QSysInfo::bootUniqueId());

            // While it runs, the lock keeps the next start out.
            SingleInstance second(history);
            EXPECT_EQ(second.claim(noSessionBus()), SingleInstance::Role::refused);
        }
        EXPECT_FALSE(QFileInfo::exists(lockPath)) << "the lock goes with the copy that held it";
    }
    otherProgram.kill();
    otherProgram.waitForFinished(5000);
}

// A lock file written on another computer may belong to a copy that still uses the history there (a shared home
// folder): it is not taken over, and the refusal names that computer and the file to delete once it is sure.
TEST(SingleInstance, ALockFromAnotherComputerKeepsTheCopyOutAndSaysWhichAndWhere)
{
    QTemporaryDir root;
    const QString history = root.filePath(QStringLiteral("Varnisto2"));
    QDir().mkpath(history);
    const QString lockPath = history + QLatin1Char('/') + SingleInstance::lockFileName;
    const QByteArray elsewhere[] = {
        "4242\nvarnisto\nfaraway-laptop\n0123456789abcdef0123456789abcdef\n0d1e2a3b-0000-4000-8000-000000000000\n",
        "4242\nvarnisto\nfaraway-laptop\n", // an older lock file, without a machine id
    };
    for (const QByteArray &contents : elsewhere) {
        SCOPED_TRACE(contents.constData());
        writeLockFile(lockPath, contents);
        SingleInstance instance(history);
        EXPECT_EQ(instance.claim(noSessionBus()), SingleInstance::Role::refused);
        EXPECT_EQ(instance.refusal(),
            QStringLiteral("The history in %1 is in use by Varnisto on the computer faraway-laptop. If Varnisto no "
                           "longer runs there, delete %2 and start Varnisto again.")
                .arg(history, lockPath));
        EXPECT_EQ(readLockFile(lockPath), contents);
    }
}

// The lock is the one QLockFile takes: a copy of an older version that holds it keeps this one out, and the other
// way round.
TEST(SingleInstance, TheLockKeepsOutCopiesThatLockWithQLockFileAndTheyKeepItOut)
{
    QTemporaryDir root;
    const QString history = root.filePath(QStringLiteral("Varnisto2"));
    QDir().mkpath(history);
    const QString lockPath = history + QLatin1Char('/') + SingleInstance::lockFileName;
    {
        QLockFile older(lockPath);
        older.setStaleLockTime(0);
        ASSERT_TRUE(older.tryLock(0));
        SingleInstance instance(history);
        EXPECT_EQ(instance.claim(noSessionBus()), SingleInstance::Role::refused);
        EXPECT_EQ(
            instance.refusal(), QStringLiteral("Varnisto is already running with the history in %1.").arg(history));
    }
    SingleInstance instance(history);
    ASSERT_EQ(instance.claim(noSessionBus()), SingleInstance::Role::primary);
    QLockFile older(lockPath);
    older.setStaleLockTime(0);
    EXPECT_FALSE(older.tryLock(0));
    EXPECT_EQ(older.error(), QLockFile::LockFailedError);
}

// A lock path that is a symbolic link is never followed: the file it points to is not written, a dangling link
// makes no file, and the link stays as it was. The copy says why it does not start.
TEST(SingleInstance, ALockPathThatIsASymbolicLinkIsRefusedAndNotFollowed)
{
    QTemporaryDir root;
    const QString history = root.filePath(QStringLiteral("Varnisto2"));
    QDir().mkpath(history);
    const QString lockPath = history + QLatin1Char('/') + SingleInstance::lockFileName;
    const QString victim = root.filePath(QStringLiteral("notes.txt"));
    const QByteArray notes = "the user's own notes\n";
    writeLockFile(victim, notes);

    for (const QString &target : {victim, root.filePath(QStringLiteral("not-there"))}) {
        SCOPED_TRACE(qPrintable(target));
        QFile::remove(lockPath);
        ASSERT_TRUE(QFile::link(target, lockPath));
        SingleInstance instance(history);
        EXPECT_EQ(instance.claim(noSessionBus()), SingleInstance::Role::refused);
        EXPECT_TRUE(instance.refusal().startsWith(lockPath + QStringLiteral(" is not a regular file.")))
            << qPrintable(instance.refusal());
        EXPECT_EQ(QFileInfo(lockPath).symLinkTarget(), target);
    }
    EXPECT_EQ(readLockFile(victim), notes);
    EXPECT_FALSE(QFileInfo::exists(root.filePath(QStringLiteral("not-there"))));
}

namespace {

ClipboardItem textItem(const QString &text)
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.kind = ClipboardKind::text;
    item.text = text;
    item.copiedAt = item.firstCopiedAt = QDateTime::currentDateTimeUtc();
    item.byteSize = text.toUtf8().size();
    item.copyCount = 1;
    return item.refreshingSearchText({});
}

} // namespace

// Copies that started while the history's folder could not be written to hold no lock. Once it can be written, the
// first to write takes the lock before its write, and from then on keeps every other copy from writing or starting.
TEST(SingleInstance, AHistoryThatBecomesWritableIsLockedBeforeItsFirstWrite)
{
    FilePermissionsApply permissions;
    if (!permissions.apply())
        GTEST_SKIP() << "file permissions cannot be made to hold here";
    QTemporaryDir root;
    const QString history = root.filePath(QStringLiteral("Varnisto2"));
    QDir().mkpath(history);
    const QString lockPath = history + QLatin1Char('/') + SingleInstance::lockFileName;
    ASSERT_TRUE(SQLiteHistoryStore(history).insertOrMerge(textItem(QStringLiteral("made before")), false));
    const QByteArray folder = QFile::encodeName(history);
    ASSERT_EQ(::chmod(folder.constData(), 0555), 0);

    SingleInstance first(history);
    ASSERT_EQ(first.claim(noSessionBus()), SingleInstance::Role::primary);
    SingleInstance second(history);
    ASSERT_EQ(second.claim(noSessionBus()), SingleInstance::Role::primary);
    EXPECT_FALSE(QFileInfo::exists(lockPath));
    SQLiteHistoryStore firstStore(history, {}, [&first] { return first.holdLockForWriting(); });
    SQLiteHistoryStore secondStore(history, {}, [&second] { return second.holdLockForWriting(); });
    EXPECT_FALSE(firstStore.insertOrMerge(textItem(QStringLiteral("while read-only")), false));

    ASSERT_EQ(::chmod(folder.constData(), 0755), 0);
    ASSERT_TRUE(firstStore.insertOrMerge(textItem(QStringLiteral("first copy")), false));
    EXPECT_TRUE(QFileInfo::exists(lockPath));
    const auto refused = secondStore.insertOrMerge(textItem(QStringLiteral("second copy")), false);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().value(), HistoryStoreError::readOnly);
    SingleInstance third(history);
    EXPECT_EQ(third.claim(noSessionBus()), SingleInstance::Role::refused);

    const auto items = firstStore.loadRecentItems(10);
    ASSERT_TRUE(items);
    QStringList texts;
    for (const ClipboardItem &item : *items)
        texts.append(item.primaryText());
    texts.sort();
    EXPECT_EQ(texts, (QStringList {QStringLiteral("first copy"), QStringLiteral("made before")}));
}

// Installed, a termination request reaches the main thread, which quits in order.
TEST(TerminationSignals, ARequestReachesTheMainThread)
{
    TerminationSignals termination;
    termination.install();
    ASSERT_TRUE(termination.isInstalled());
    QSignalSpy requested(&termination, &TerminationSignals::terminationRequested);
    ::raise(SIGTERM);
    ASSERT_TRUE(waitUntil([&] { return requested.size() == 1; }));
    EXPECT_EQ(requested.first().first().toInt(), SIGTERM);
}

// A main thread that does not take the request up within the grace period, or a second request, ends the process
// by the signal's default action.
TEST(TerminationSignalsDeathTest, AStuckMainThreadOrASecondRequestEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto stuck = [](int requests, std::chrono::seconds gracePeriod) {
        TerminationSignals termination(gracePeriod);
        termination.install();
        for (int n = 0; n < requests; ++n)
            ::raise(SIGTERM);
        QThread::sleep(30); // never returns to the event loop
        std::exit(0);
    };
    EXPECT_EXIT(stuck(1, std::chrono::seconds(1)), ::testing::KilledBySignal(SIGTERM), "");
    EXPECT_EXIT(stuck(2, std::chrono::seconds(600)), ::testing::KilledBySignal(SIGTERM), "");
}
