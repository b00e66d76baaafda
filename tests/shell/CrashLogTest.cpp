// What a fatal signal leaves behind: the crash log in the support directory, with the program's version and the
// stack, and the signal's own end of the process after it.

#include "CrashLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>

namespace {

// The folder the crashing child and the test share: the child runs this test again from its start (as a new
// process), and finds the folder the parent chose in its environment.
QString sharedSupportDirectory()
{
    const char *variable = "VARNISTO_CRASH_LOG_TEST_DIRECTORY";
    if (qEnvironmentVariableIsEmpty(variable))
        qputenv(variable,
            QFile::encodeName(QDir::tempPath() + QStringLiteral("/varnisto-crash-log-test-")
                + QString::number(QCoreApplication::applicationPid())));
    return qEnvironmentVariable(variable);
}

[[noreturn]] void crashWith(const QString &supportDirectory, int signalNumber)
{
    // No core file from the test; the default action is what kills the child all the same.
    const rlimit noCore {0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    CrashLog::install(supportDirectory, QStringLiteral("9.8.7-test"));
    if (signalNumber == SIGABRT)
        std::abort();
    ::raise(signalNumber);
    std::_Exit(0); // not reached: the handler ends the process by the signal
}

} // namespace

// Each fatal signal writes the log (replacing an earlier one), says where it is on the error output, and then ends
// the process by the signal itself.
TEST(CrashLogDeathTest, AFatalSignalWritesTheVersionAndTheStackThenEndsByTheSignal)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const QString directory = sharedSupportDirectory();
    ASSERT_TRUE(QDir().mkpath(directory));
    EXPECT_EQ(QFileInfo(CrashLog::filePath(directory)).fileName(), QStringLiteral("LastCrash.log"));
    const struct
    {
        int signalNumber;
        const char *name;
    } cases[]
        = {{SIGSEGV, "SIGSEGV"}, {SIGBUS, "SIGBUS"}, {SIGFPE, "SIGFPE"}, {SIGILL, "SIGILL"}, {SIGABRT, "SIGABRT"}};
    // Each in a folder of its own, which the child, running the loop up to its case, leaves alone.
    const auto caseDirectory = [&](const char *name) -> QString { return directory + u'/' + QLatin1String(name); };
    for (const auto &c : cases) {
        QDir().mkpath(caseDirectory(c.name));
        EXPECT_EXIT(crashWith(caseDirectory(c.name), c.signalNumber), ::testing::KilledBySignal(c.signalNumber),
            std::string("varnisto: ended on signal ") + c.name + "; the stack is in .*LastCrash\\.log")
            << c.name;
    }
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QFile file(CrashLog::filePath(caseDirectory(c.name)));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(text.startsWith(QStringLiteral("Varnisto 9.8.7-test ended on signal %1 (%2")
                                        .arg(c.signalNumber)
                                        .arg(QLatin1String(c.name))))
            << text.toStdString();
        EXPECT_TRUE(
            text.contains(QRegularExpression(QStringLiteral(" at \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d UTC"))));
        // The frames down from the handler: this test program's own among them.
        const QStringList frames = text.section(QStringLiteral("Stack:\n"), 1).split(u'\n', Qt::SkipEmptyParts);
        EXPECT_GE(frames.size(), 4) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("shell_tests("))) << text.toStdString();
    }
    QDir(directory).removeRecursively();
}

// The next start learns of the log once: a later one says nothing until another crash writes it anew.
TEST(CrashLog, TheNextStartLearnsOfTheLogOnce)
{
    QTemporaryDir directory;
    EXPECT_FALSE(CrashLog::takeUnreportedLog(directory.path()));
    const QString log = CrashLog::filePath(directory.path());
    const auto writeCrash = [&] {
        QFile file(log);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("Varnisto 2.0 ended on signal 11 (SIGSEGV) at 2026-12-11 15:40:02 UTC in process 7.\n\nStack:\n");
    };
    writeCrash();
    EXPECT_EQ(CrashLog::takeUnreportedLog(directory.path()), log);
    EXPECT_FALSE(CrashLog::takeUnreportedLog(directory.path()));
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("Varnisto 2.0 ended on signal 11")); // the report itself stays
    file.close();
    writeCrash();
    EXPECT_EQ(CrashLog::takeUnreportedLog(directory.path()), log);
}
