#include "GlobalShortcutService.h"
#include "KeyboardCodes.h"
#include "PasteService.h"
#include "Scheduler.h"
#include "x11/X11HotKeyBackend.h"
#include "x11/X11KeyPoster.h"
#include "x11/X11Pasteboard.h"

#include "DesktopQueries.h"
#include "KeyboardTestSupport.h"
#include "ServicesProbe.h"
#include "Xclip.h"
#include "Xterm.h"

#include <QClipboard>
#include <QDeadlineTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtGui/qguiapplication_platform.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

using namespace std::chrono_literals;

namespace {

constexpr quint16 shiftMask = 1 << 0;
constexpr quint16 controlMask = 1 << 2;
constexpr xcb_keysym_t keysymV = 'v';

ClipboardItem textItem(const QString &text)
{
    ClipboardItem item;
    item.id = QUuid::createUuid();
    item.kind = ClipboardKind::text;
    item.text = text;
    return item;
}

// A text field of "another application" that the user was typing in, and our own window that took the focus.
class PasteKeystrokeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        receiver.setWindowTitle(QStringLiteral("Receiver"));
        receiver.setGeometry(100, 100, 400, 40);
        ourWindow.setWindowTitle(QStringLiteral("History"));
        ourWindow.setGeometry(600, 100, 300, 300);
        ASSERT_TRUE(bringToFront(receiver));
    }

    // The user opens our window from the receiver.
    void openOurWindow(KeyPoster &poster)
    {
        poster.rememberTargetWindow();
        ASSERT_TRUE(bringToFront(ourWindow));
    }

    QLineEdit receiver;
    QWidget ourWindow;
    QClipboardTestPasteboard pasteboard;
    EventLoopScheduler scheduler; // the program's: Return and Tab follow Ctrl+V on the event loop's timers
};

} // namespace

TEST_F(PasteKeystrokeTest, PasteLandsInTheWindowThatWasActiveBeforeOurs)
{
    X11KeyPoster poster;
    ASSERT_TRUE(poster.isTrusted());
    PasteService service(pasteboard, poster, scheduler);
    openOurWindow(poster);

    QString textAtReturn;
    QObject::connect(&receiver, &QLineEdit::returnPressed, &receiver, [&] { textAtReturn = receiver.text(); });
    ASSERT_TRUE(service.paste(textItem(QStringLiteral("Hello from Varnisto")), PasteVariant::pasteAndReturn));

    // Return comes after the pasted text has arrived.
    ASSERT_TRUE(waitUntil([&] { return !textAtReturn.isEmpty(); }));
    EXPECT_EQ(textAtReturn, QStringLiteral("Hello from Varnisto"));
    EXPECT_EQ(QGuiApplication::focusWindow(), receiver.windowHandle());
}

// When our window goes, the window manager may park the focus on a window of its own before it hands it on (openbox
// does). That is no application the user works in: the keys go to the window that was active before ours.
TEST_F(PasteKeystrokeTest, APasteWhileTheWindowManagerHoldsTheFocusGoesToTheRememberedWindow)
{
    const auto supportWindow = commandOutput(QStringLiteral("sh"),
        {QStringLiteral("-c"), QStringLiteral("xprop -root -notype _NET_SUPPORTING_WM_CHECK | grep -o '0x[0-9a-f]*'")});
    ASSERT_TRUE(supportWindow && !supportWindow->isEmpty());
    X11KeyPoster poster;
    PasteService service(pasteboard, poster, scheduler);
    openOurWindow(poster);
    ourWindow.hide();
    ASSERT_EQ(xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), *supportWindow}), 0);

    ASSERT_TRUE(service.paste(textItem(QStringLiteral("arrived")), PasteVariant::standard));
    EXPECT_TRUE(waitUntil([&] { return receiver.text() == QStringLiteral("arrived"); })) << qPrintable(receiver.text());
}

// A pinned window stays open after a paste: when the user clicks it again and pastes once more, the keys still go
// to the window the user works in, not to ours.
TEST_F(PasteKeystrokeTest, ASecondPasteFromAWindowThatStayedOpenGoesToTheSameTarget)
{
    X11KeyPoster poster;
    ASSERT_TRUE(poster.isTrusted());
    PasteService service(pasteboard, poster, scheduler);
    openOurWindow(poster);

    ASSERT_TRUE(service.paste(textItem(QStringLiteral("one ")), PasteVariant::standard));
    ASSERT_TRUE(waitUntil([&] { return receiver.text() == QStringLiteral("one "); }));

    ASSERT_TRUE(bringToFront(ourWindow)); // a click on the pinned window; it is not opened again
    ASSERT_TRUE(service.paste(textItem(QStringLiteral("two")), PasteVariant::standard));
    EXPECT_TRUE(waitUntil([&] { return receiver.text() == QStringLiteral("one two"); })) << qPrintable(receiver.text());
}

// The user may still hold Shift of the hot key: Ctrl+V must not turn into our own Ctrl+Shift+V.
TEST_F(PasteKeystrokeTest, AHeldHotKeyModifierDoesNotMixIntoThePostedKeys)
{
    X11HotKeyBackend grabs;
    GlobalShortcutService shortcuts(grabs);
    int hotKeyRuns = 0;
    shortcuts.registerShortcut(0, QStringLiteral("cmd+shift+v"), &receiver, [&] { ++hotKeyRuns; });
    ASSERT_EQ(ServicesProbe::hotKeyCount(shortcuts), 1);
    X11KeyPoster poster(&grabs, 300ms);
    PasteService service(pasteboard, poster, scheduler);

    for (const bool userReleasesShift : {true, false}) {
        SCOPED_TRACE(userReleasesShift ? "Shift released by the user" : "Shift held past the wait");
        receiver.clear();
        openOurWindow(poster);
        ASSERT_EQ(xdotool({QStringLiteral("keydown"), QStringLiteral("shift")}), 0);
        const QString text = userReleasesShift ? QStringLiteral("released") : QStringLiteral("held");
        ASSERT_TRUE(service.paste(textItem(text), PasteVariant::standard));
        if (userReleasesShift)
            QTimer::singleShot(50, &receiver, [] { xdotool({QStringLiteral("keyup"), QStringLiteral("shift")}); });
        EXPECT_TRUE(waitUntil([&] { return receiver.text() == text; }));
        xdotool({QStringLiteral("keyup"), QStringLiteral("shift")});
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(hotKeyRuns, 0);
}

TEST_F(PasteKeystrokeTest, ATerminalWithAClipboardPasteKeyGetsCtrlShiftVPastOurOwnGrabOfIt)
{
    X11HotKeyBackend grabs;
    GlobalShortcutService shortcuts(grabs);
    int hotKeyRuns = 0;
    shortcuts.registerShortcut(0, QStringLiteral("cmd+shift+v"), &receiver, [&] { ++hotKeyRuns; });
    ASSERT_EQ(ServicesProbe::hotKeyCount(shortcuts), 1);

    ForeignClient terminal;
    const xcb_window_t window = terminal.createWindow(QByteArray("gnome-terminal-server\0Gnome-terminal\0", 37));
    ASSERT_EQ(xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(window)}), 0);

    X11KeyPoster poster(&grabs);
    PasteService service(pasteboard, poster, scheduler);
    openOurWindow(poster);
    service.postPasteKeystroke(PasteVariant::standard);

    // The modifier keys come first.
    std::optional<xcb_key_press_event_t> press;
    ASSERT_TRUE(waitUntil([&] {
        press = terminal.takeKeyPress();
        return press && press->detail == terminal.keycode(keysymV);
    }));
    EXPECT_EQ(press->state & (shiftMask | controlMask), shiftMask | controlMask);
    QCoreApplication::processEvents();
    EXPECT_EQ(hotKeyRuns, 0);

    // Our grab is back in place.
    ASSERT_EQ(xdotool({QStringLiteral("key"), QStringLiteral("ctrl+shift+v")}), 0);
    EXPECT_TRUE(waitUntil([&] { return hotKeyRuns == 1; }));
}

// Another application held the primary selection before: xterm still gets the item.
TEST_F(PasteKeystrokeTest, XtermGetsTheItemThroughThePrimarySelection)
{
    Xterm xterm;
    ASSERT_TRUE(xterm.activate());
    XclipSelection otherSelection(QStringLiteral("primary"), "an older selection");
    ASSERT_TRUE(waitUntil([] {
        return QGuiApplication::clipboard()->text(QClipboard::Selection) == QStringLiteral("an older selection");
    }));

    X11KeyPoster poster;
    PasteService service(pasteboard, poster, scheduler);
    openOurWindow(poster);
    ASSERT_TRUE(service.paste(textItem(QStringLiteral("echo pasted")), PasteVariant::pasteAndReturn));

    EXPECT_TRUE(waitUntil([&] { return xterm.received() == "echo pasted\r"; })) << xterm.received().toStdString();
    EXPECT_TRUE(QGuiApplication::clipboard()->ownsSelection());
}

// Through the program's own clipboard: after another application took both selections from us, the terminal
// receives exactly the chosen item, also when our write comes before the GUI thread has heard that it lost them.
TEST_F(PasteKeystrokeTest, XtermGetsExactlyTheChosenItemWhateverOwnedTheSelectionsBefore)
{
    Xterm xterm;
    ASSERT_TRUE(xterm.activate());
    X11Pasteboard clipboard;
    ASSERT_TRUE(clipboard.isAvailable());
    X11KeyPoster poster;
    PasteService service(clipboard, poster, scheduler);

    openOurWindow(poster);
    ASSERT_TRUE(service.paste(textItem(QStringLiteral("first")), PasteVariant::pasteAndReturn));
    ASSERT_TRUE(waitUntil([&] { return xterm.received() == "first\r"; })) << xterm.received().toStdString();
    QByteArray expected = "first\r";

    auto *connection = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    const auto ownerOf = [connection](xcb_atom_t selection) {
        auto *reply
            = xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
        const xcb_window_t owner = reply ? reply->owner : XCB_NONE;
        std::free(reply);
        return owner;
    };
    auto *clipboardAtomReply
        = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, 9, "CLIPBOARD"), nullptr);
    const xcb_atom_t clipboardAtom = clipboardAtomReply->atom;
    std::free(clipboardAtomReply);

    for (const bool heardOfIt : {true, false}) {
        SCOPED_TRACE(heardOfIt ? "the loss already handled" : "the loss not handled yet");
        const xcb_window_t ours = ownerOf(clipboardAtom);
        ASSERT_NE(ours, XCB_NONE);
        ASSERT_EQ(ownerOf(XCB_ATOM_PRIMARY), ours);
        XclipSelection otherClipboard(QStringLiteral("clipboard"), "the clipboard of another program");
        XclipSelection otherSelection(QStringLiteral("primary"), "the selection of another program");
        const auto taken = [&] { return ownerOf(clipboardAtom) != ours && ownerOf(XCB_ATOM_PRIMARY) != ours; };
        if (heardOfIt) {
            ASSERT_TRUE(waitUntil(taken));
            ASSERT_TRUE(waitUntil([] { return !QGuiApplication::clipboard()->ownsClipboard(); }));
        } else {
            // Without running the event loop: the notices of the loss wait in the queue.
            QDeadlineTimer deadline(5000);
            while (!taken() && !deadline.hasExpired())
                QThread::yieldCurrentThread();
            ASSERT_TRUE(taken());
        }
        const QString text = heardOfIt ? QStringLiteral("second") : QStringLiteral("third");
        ASSERT_TRUE(service.paste(textItem(text), PasteVariant::pasteAndReturn));
        expected += text.toUtf8() + '\r';
        EXPECT_TRUE(waitUntil([&] { return xterm.received() == expected; })) << xterm.received().toStdString();
        // Another application pastes the same.
        EXPECT_EQ(xclipPaste(), text.toUtf8());
    }
}
