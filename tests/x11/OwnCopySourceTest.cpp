#include "Clock.h"
#include "ForeignXClient.h"
#include "KeyboardTestSupport.h"
#include "MemoryKeyPoster.h"
#include "PasteService.h"
#include "PasteboardMonitor.h"
#include "SQLiteHistoryStore.h"
#include "Scheduler.h"
#include "TestSupport.h"
#include "Xclip.h"
#include "x11/X11KeyPoster.h"
#include "x11/X11Pasteboard.h"
#include "x11/X11Workspace.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class CapturingDelegate final : public PasteboardMonitorDelegate
{
public:
    void pasteboardMonitorDidCapture(const ClipboardItem &item, const QList<ClipboardItem> &) override
    {
        captures.append(item);
    }
    void pasteboardMonitorDidPrune(const HistoryRemoval &) override { }
    void pasteboardMonitorDidUpdate(const ClipboardItem &) override { }

    QList<ClipboardItem> captures;
};

// The capture road on the real clipboard while a terminal of another client is the window in front.
class OwnCopySourceTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        const QString folder
            = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/applications");
        QDir().mkpath(folder);
        QFile entry(folder + QStringLiteral("/org.example.Terminal.desktop"));
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=Terminal\nExec=terminal\nStartupWMClass=VarnistoTerm\n");
    }

    void SetUp() override
    {
        ASSERT_TRUE(pasteboard.isAvailable());
        const quint32 window = m_terminal.createWindow({"term", "VarnistoTerm"});
        ASSERT_TRUE(m_terminal.activate(window));
        ASSERT_EQ(workspace.frontApplication().value_or(RunningApplication()).name, QStringLiteral("Terminal"));
        monitor.setDelegate(&delegate);
        monitor.start(AppPreferences());
    }

    // The capture that follows, once it has reached the delegate.
    std::optional<ClipboardItem> nextCapture(const std::function<void()> &copy)
    {
        const qsizetype before = delegate.captures.size();
        copy();
        if (!waitUntil([&] { return delegate.captures.size() > before; }, 10000))
            return std::nullopt;
        return delegate.captures.last();
    }

    QTemporaryDir support;
    SQLiteHistoryStore store {support.path()};
    X11Pasteboard pasteboard;
    X11Workspace workspace;
    MemoryTextRecognizer recognizer;
    SystemClock clock;
    CapturingDelegate delegate;
    PasteboardMonitor monitor {store, pasteboard, workspace, recognizer, support.path(), clock};
    MemoryKeyPoster keyPoster;
    EventLoopScheduler scheduler;
    PasteService pasteService {pasteboard, keyPoster, scheduler};

private:
    ForeignXClient m_terminal;
};

} // namespace

// What the program puts on the clipboard as a new copy (a text recognised in a picture) and what is copied in one of
// its text fields are its own copies: their source is Varnisto, not the terminal the user works in. A copy of the
// terminal's stays the terminal's.
TEST_F(OwnCopySourceTest, CopiesTheProgramMakesAreRecordedAsItsOwn)
{
    const auto expectSource = [&](const std::optional<ClipboardItem> &captured, const QString &text,
                                  const QString &name, const QString &bundleIdentifier) {
        ASSERT_TRUE(captured.has_value());
        EXPECT_EQ(captured->text, text);
        EXPECT_EQ(captured->sourceAppName, name);
        EXPECT_EQ(captured->sourceBundleIdentifier, bundleIdentifier);
        const auto stored = store.loadItems({captured->id});
        ASSERT_TRUE(stored && stored->size() == 1);
        EXPECT_EQ(stored->first().sourceAppName, name);
    };

    std::unique_ptr<XclipCopy> terminalCopy;
    expectSource(nextCapture([&] { terminalCopy = std::make_unique<XclipCopy>("ls -l"); }), QStringLiteral("ls -l"),
        QStringLiteral("Terminal"), QStringLiteral("org.example.Terminal"));

    expectSource(nextCapture([&] {
        ASSERT_TRUE(pasteService.writeText(QStringLiteral("Quarterly report"), PasteService::Marker::newCopy));
    }),
        QStringLiteral("Quarterly report"), QStringLiteral("Varnisto"), QStringLiteral("varnisto"));

    // Our window in front of the terminal, which stays the application the user works in.
    X11KeyPoster poster;
    workspace.setPasteTargets(&poster);
    poster.rememberTargetWindow();
    QLineEdit field;
    field.setText(QStringLiteral("typed in the preview"));
    ASSERT_TRUE(bringToFront(field));
    ASSERT_EQ(workspace.frontApplication().value_or(RunningApplication()).name, QStringLiteral("Terminal"));
    field.selectAll();
    expectSource(nextCapture([] {
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+c")});
    }),
        QStringLiteral("typed in the preview"), QStringLiteral("Varnisto"), QStringLiteral("varnisto"));
    workspace.setPasteTargets(nullptr);
}
