#include "DesktopLauncher.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

DesktopEntry entryWithExec(const QString &exec)
{
    DesktopEntry entry;
    entry.id = QStringLiteral("org.example.Viewer");
    entry.path = QStringLiteral("/usr/share/applications/org.example.Viewer.desktop");
    entry.name = QStringLiteral("Viewer");
    entry.icon = QStringLiteral("viewer");
    entry.exec = exec;
    entry.workingDirectory = QStringLiteral("/tmp");
    return entry;
}

QString describe(const QList<DesktopLaunchCommand> &commands)
{
    QStringList starts;
    for (const DesktopLaunchCommand &command : commands)
        starts.append((QStringList(command.program) + command.arguments).join(QLatin1Char('|')));
    return starts.join(QStringLiteral(" ; "));
}

} // namespace

// Field codes become arguments, never text for a shell: a path with spaces and shell characters stays one argument.
TEST(DesktopLauncher, ExpandsTheFieldCodesOfTheExecLine)
{
    const QList<QUrl> two = {QUrl::fromLocalFile(QStringLiteral("/home/u/a b;rm -rf.txt")),
        QUrl::fromLocalFile(QStringLiteral("/home/u/c.txt"))};
    const QList<QUrl> link = {QUrl(QStringLiteral("https://example.com/a?b=c"))};
    const struct
    {
        const char *exec;
        QList<QUrl> urls;
        const char *expected;
    } cases[] = {
        {"viewer %F", two, "viewer|/home/u/a b;rm -rf.txt|/home/u/c.txt"},
        {"viewer --open %f", two, "viewer|--open|/home/u/a b;rm -rf.txt ; viewer|--open|/home/u/c.txt"},
        {"viewer %U", two, "viewer|file:///home/u/a%20b;rm%20-rf.txt|file:///home/u/c.txt"},
        {"browser %u", link, "browser|https://example.com/a?b=c"},
        {"viewer %f", {}, "viewer"},
        {"viewer %i --name=%c %k 100%% %d", two,
            "viewer|--icon|viewer|--name=Viewer|/usr/share/applications/org.example.Viewer.desktop|100%|/home/u/a "
            "b;rm -rf.txt|/home/u/c.txt"},
        {"\"/opt/My Viewer/bin\" --x", link, "/opt/My Viewer/bin|--x|https://example.com/a?b=c"},
        {"env LANG=C viewer %F", two, "env|LANG=C|viewer|/home/u/a b;rm -rf.txt|/home/u/c.txt"},
        {"", two, ""},
    };
    for (const auto &c : cases) {
        const auto commands = DesktopLauncher::launchCommands(entryWithExec(QString::fromUtf8(c.exec)), c.urls);
        EXPECT_EQ(describe(commands), QString::fromUtf8(c.expected)) << c.exec;
        for (const DesktopLaunchCommand &command : commands)
            EXPECT_EQ(command.workingDirectory, QStringLiteral("/tmp"));
    }
}

// A program that runs in a terminal gets a terminal window to run in.
TEST(DesktopLauncher, TerminalProgramsStartInATerminal)
{
    DesktopEntry entry = entryWithExec(QStringLiteral("vim %F"));
    entry.terminal = true;
    EXPECT_EQ(describe(DesktopLauncher::launchCommands(entry, {QUrl::fromLocalFile(QStringLiteral("/tmp/a b.txt"))})),
        QStringLiteral("x-terminal-emulator|-e|vim|/tmp/a b.txt"));
}

TEST(DesktopLauncher, StartsTheProgramOfTheEntryWithTheFiles)
{
    QTemporaryDir root;
    const QString script = root.filePath(QStringLiteral("record"));
    const QString output = root.filePath(QStringLiteral("arguments"));
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.tmp\" && mv \"$0.tmp\" \""
            + output.toUtf8() + "\"\n");
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    }
    const QString entry = root.filePath(QStringLiteral("recorder.desktop"));
    {
        QFile file(entry);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Desktop Entry]\nType=Application\nName=Recorder\nExec=" + script.toUtf8() + " --files %F\n");
    }

    SystemDesktopLauncher launcher;
    const QString odd = root.filePath(QStringLiteral("it's $HOME & `x`.txt"));
    ASSERT_TRUE(launcher.openURLs({QUrl::fromLocalFile(odd)}, entry));
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(output); }));
    QFile file(output);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), QStringLiteral("--files\n") + odd + QLatin1Char('\n'));

    const auto missing = launcher.openURLs({}, root.filePath(QStringLiteral("missing.desktop")));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error(), DesktopLauncher::Failure::unreadableEntry);
}
