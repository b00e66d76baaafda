#include "x11/X11Workspace.h"
#include "DesktopQueries.h"
#include "ForeignXClient.h"
#include "Localization.h"
#include "TestSupport.h"
#include "x11/X11KeyPoster.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QString applicationsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/applications");
}

void writeEntry(const QString &fileName, const QByteArray &text)
{
    QDir().mkpath(applicationsFolder());
    QFile file(applicationsFolder() + u'/' + fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

TEST(X11Workspace, TheFrontApplicationIsTheActiveWindowsDesktopEntry)
{
    writeEntry(QStringLiteral("org.example.Editor.desktop"),
        "[Desktop Entry]\nType=Application\nName=Example Editor\nName[de]=Beispieleditor\nExec=example-editor\n"
        "Icon=accessories-text-editor\nStartupWMClass=ExampleEditor\n");
    writeEntry(QStringLiteral("org.example.Notes.desktop"),
        "[Desktop Entry]\nType=Application\nName=Notes\nExec=notes-binary\n");
    writeEntry(QStringLiteral("sleeper.desktop"), "[Desktop Entry]\nType=Application\nName=Sleeper\nExec=sleep 1000\n");

    // A process whose executable names its application.
    QProcess sleeper;
    sleeper.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(sleeper.waitForStarted());

    X11Workspace workspace;
    ASSERT_TRUE(workspace.isAvailable());
    ForeignXClient client;
    const QString entries = applicationsFolder();
    const struct
    {
        const char *what;
        ForeignXClient::WindowProperties window;
        RunningApplication expected;
    } cases[] = {
        {"by its class", {"editor", "ExampleEditor", 1, {}},
            {QStringLiteral("Example Editor"), QStringLiteral("org.example.Editor"),
                entries + QStringLiteral("/org.example.Editor.desktop"), 1, QStringLiteral("accessories-text-editor")}},
        {"by its application id", {"notes-binary", "Notes-binary", 0, "org.example.Notes"},
            {QStringLiteral("Notes"), QStringLiteral("org.example.Notes"),
                entries + QStringLiteral("/org.example.Notes.desktop"), 0, {}}},
        {"by its process's executable", {"zz", "Zz", sleeper.processId(), {}},
            {QStringLiteral("Sleeper"), QStringLiteral("sleeper"), entries + QStringLiteral("/sleeper.desktop"),
                sleeper.processId(), {}}},
        {"without an entry", {"tool", "SomeTool", 0, {}},
            {QStringLiteral("SomeTool"), QStringLiteral("SomeTool"), {}, 0, {}}},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(client.activate(client.createWindow(row.window)));
        EXPECT_EQ(workspace.frontApplication(), std::optional<RunningApplication>(row.expected));
    }

    // The name follows the interface language.
    ASSERT_TRUE(client.activate(client.createWindow({"editor", "ExampleEditor"})));
    setCurrentInterfaceLanguage(QStringLiteral("de"));
    EXPECT_EQ(workspace.frontApplication()->name, QStringLiteral("Beispieleditor"));
    setCurrentInterfaceLanguage(QStringLiteral("en"));

    // Our own window in front is no other application.
    QWidget ownWindow;
    ownWindow.show();
    ownWindow.activateWindow();
    EXPECT_TRUE(waitUntil([&] { return ownWindow.isActiveWindow() && !workspace.frontApplication(); }));

    sleeper.kill();
    sleeper.waitForFinished();
}

// While our own window is in front, the window that was active before it stays the paste target, and the workspace
// names its application: what the history window pastes into and what a merge made there records as its source.
TEST(X11Workspace, ThePasteTargetBehindOurWindowIsNamed)
{
    writeEntry(QStringLiteral("org.example.Editor.desktop"),
        "[Desktop Entry]\nType=Application\nName=Example Editor\nExec=example-editor\nStartupWMClass=ExampleEditor\n");
    X11Workspace workspace;
    ASSERT_TRUE(workspace.isAvailable());
    X11KeyPoster poster;
    ForeignXClient client;
    ASSERT_TRUE(client.activate(client.createWindow({"editor", "ExampleEditor"})));
    const auto inFront = workspace.applicationOfWindow(poster.pasteTargetWindow());
    ASSERT_TRUE(inFront);
    EXPECT_EQ(inFront->bundleIdentifier, QStringLiteral("org.example.Editor"));

    poster.rememberTargetWindow();
    QWidget ownWindow;
    ownWindow.show();
    ownWindow.activateWindow();
    // Until the window manager names our window active, the active window can be none at all for a moment.
    ASSERT_TRUE(waitUntil([&] {
        return ownWindow.isActiveWindow() && activeWindow() == QString::number(ownWindow.winId())
            && !workspace.frontApplication();
    }));
    const auto behindOurs = workspace.applicationOfWindow(poster.pasteTargetWindow());
    ASSERT_TRUE(behindOurs);
    EXPECT_EQ(behindOurs->name, QStringLiteral("Example Editor"));
    EXPECT_EQ(workspace.applicationOfWindow(quint32(ownWindow.winId())), std::nullopt);

    // Knowing the paste target, the workspace gives it as the front application while our window is active: a
    // copy made there is recorded as coming from the application behind.
    workspace.setPasteTargets(&poster);
    const auto front = workspace.frontApplication();
    ASSERT_TRUE(front);
    EXPECT_EQ(front->name, QStringLiteral("Example Editor"));
}
