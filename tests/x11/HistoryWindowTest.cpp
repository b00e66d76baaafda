// The history window of the real program on this display: the hot key shows it at the mouse pointer (and, in a
// second run, where the first one left it), it takes the keys at once, pastes the chosen item into the application
// the user was in and gives that one the focus back, and hides on Escape or on a click elsewhere. Pictures of it
// in light and dark go to the screenshot folder.

#include "AtSpiCaretLocator.h"
#include "PreferencesStore.h"
#include "SQLiteHistoryStore.h"

#include "DesktopQueries.h"
#include "HistoryWindowSession.h"
#include "KeyboardTestSupport.h"
#include "RunningVarnisto.h"
#include "Xclip.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const QString title = QStringLiteral("Clipboard History");

QString settingsFile()
{
    return QSettings(
        QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Varnisto"), QStringLiteral("Varnisto"))
        .fileName();
}

// The stored texts, latest copy first: the order the window lists them in.
QStringList storedTexts()
{
    SQLiteHistoryStore store(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Varnisto2"));
    QStringList texts;
    if (const auto items = store.loadRecentItems(100)) {
        for (const ClipboardItem &item : *items)
            texts.append(item.text.value_or(QString()));
    }
    return texts;
}

struct Desktop
{
    Desktop()
    {
        receiver.setWindowTitle(QStringLiteral("Receiver"));
        receiver.setGeometry(60, 60, 420, 40);
    }
    std::optional<QString> openHistory(RunningVarnisto &varnisto) { return openHistoryWindow(varnisto, receiver); }
    bool key(const QString &keys)
    {
        return xdotool({QStringLiteral("key"), QStringLiteral("--delay"), u"40"_qs, keys}) == 0;
    }
    // The paste reached the receiver, which has the focus back, and the history window is gone.
    bool receives(const QString &text)
    {
        return waitUntil([&] { return receiver.text() == text; }, 10000)
            && waitUntil([&] { return activeWindow() == QString::number(receiver.winId()); })
            && !visibleWindowNamed(title);
    }

    QLineEdit receiver;
};

void storePreferences(const std::function<void(AppPreferences &)> &change)
{
    PreferencesStore store(settingsFile());
    AppPreferences preferences = store.load();
    preferences.hasCompletedOnboarding = true;
    preferences.soundEffectsEnabled = false;
    change(preferences);
    store.save(preferences);
}

} // namespace

TEST(HistoryWindow, OpensWhereAskedTakesTheKeysAndPastesIntoTheApplicationInFront)
{
    storePreferences([](AppPreferences &p) {
        p.openWindowStrategy = QStringLiteral("mouseCursor");
        p.appearance = AppAppearance::light;
    });
    Desktop desktop;
    std::vector<std::unique_ptr<XclipCopy>> owners;
    QRect lastFrame;
    {
        RunningVarnisto varnisto;
        ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with 0 items")));
        const QStringList copies
            = {QStringLiteral("first copy"), QStringLiteral("second copy"), QStringLiteral("third copy")};
        for (int n = 0; n < copies.size(); ++n) {
            owners.push_back(std::make_unique<XclipCopy>(copies.at(n).toUtf8()));
            ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured text item"), n + 1)) << n;
        }

        // At the mouse pointer: the top left corner 12 pixels right of and below it.
        ASSERT_EQ(xdotool({QStringLiteral("mousemove"), QStringLiteral("300"), QStringLiteral("200")}), 0);
        auto window = desktop.openHistory(varnisto);
        ASSERT_TRUE(window);
        EXPECT_EQ(windowGeometry(*window).value_or(QRect()).topLeft(), QPoint(312, 212));
        saveScreenshot(*window, QStringLiteral("history-window-light.png"));

        // Down and Return paste the second item into the receiver, which gets the focus back.
        ASSERT_TRUE(desktop.key(QStringLiteral("Down")));
        ASSERT_TRUE(desktop.key(QStringLiteral("Return")));
        EXPECT_TRUE(desktop.receives(QStringLiteral("second copy"))) << desktop.receiver.text().toStdString();

        // Ctrl+2 pastes the second item of the list as it is now.
        desktop.receiver.clear();
        window = desktop.openHistory(varnisto);
        ASSERT_TRUE(window);
        const QString second = storedTexts().value(1);
        ASSERT_TRUE(desktop.key(QStringLiteral("ctrl+2")));
        EXPECT_TRUE(desktop.receives(second)) << desktop.receiver.text().toStdString();

        // Typing a letter searches; Return pastes what the search found.
        desktop.receiver.clear();
        window = desktop.openHistory(varnisto);
        ASSERT_TRUE(window);
        ASSERT_EQ(
            xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), QStringLiteral("fir")}),
            0);
        ASSERT_TRUE(desktop.key(QStringLiteral("Return")));
        EXPECT_TRUE(desktop.receives(QStringLiteral("first copy"))) << desktop.receiver.text().toStdString();

        // Escape clears the search, then hides the window.
        window = desktop.openHistory(varnisto);
        ASSERT_TRUE(window);
        ASSERT_TRUE(desktop.key(QStringLiteral("Escape")));
        EXPECT_TRUE(visibleWindowNamed(title));
        ASSERT_TRUE(desktop.key(QStringLiteral("Escape")));
        EXPECT_TRUE(waitUntil([&] { return !visibleWindowNamed(title); }));

        // A click into another window hides it too.
        window = desktop.openHistory(varnisto);
        ASSERT_TRUE(window);
        lastFrame = windowGeometry(*window).value_or(QRect());
        ASSERT_EQ(xdotool({QStringLiteral("mousemove"), QStringLiteral("100"), QStringLiteral("75"),
                      QStringLiteral("click"), QStringLiteral("1")}),
            0);
        EXPECT_TRUE(waitUntil([&] { return !visibleWindowNamed(title); }));

        varnisto.terminate();
        ASSERT_TRUE(varnisto.waitForFinished());
    }

    // The next run opens where the window was last, in the dark appearance.
    storePreferences([](AppPreferences &p) {
        p.openWindowStrategy = QStringLiteral("lastLocation");
        p.appearance = AppAppearance::dark;
    });
    RunningVarnisto varnisto;
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with 3 items")));
    ASSERT_EQ(xdotool({QStringLiteral("mousemove"), QStringLiteral("1500"), QStringLiteral("900")}), 0);
    const auto window = desktop.openHistory(varnisto);
    ASSERT_TRUE(window);
    EXPECT_EQ(windowGeometry(*window), lastFrame);
    saveScreenshot(*window, QStringLiteral("history-window-dark.png"));
    ASSERT_TRUE(desktop.key(QStringLiteral("Escape")));
    varnisto.terminate();
    ASSERT_TRUE(varnisto.waitForFinished());
}

namespace {

bool anyStoredFavorite()
{
    SQLiteHistoryStore store(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Varnisto2"));
    const auto items = store.loadRecentItems(100);
    return items
        && std::any_of(items->cbegin(), items->cend(), [](const ClipboardItem &item) { return item.isFavorite; });
}

bool typeText(const QString &text)
{
    return xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text}) == 0;
}

} // namespace

// A search that finds nothing hides the selected item: Return pastes nothing and Ctrl+S stars nothing. Shown again
// within the search memory, the kept search has the keyboard with its text selected: typing replaces it, and
// Ctrl+A with Backspace empties it, so that Escape hides the window at once.
TEST(HistoryWindow, ActsOnlyOnWhatTheSearchShowsAndAKeptSearchTakesTheTypingAgain)
{
    storePreferences([](AppPreferences &p) {
        p.openWindowStrategy = QStringLiteral("activeScreenCenter");
        p.appearance = AppAppearance::light;
    });
    Desktop desktop;
    RunningVarnisto varnisto;
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with")));
    std::vector<std::unique_ptr<XclipCopy>> owners;
    owners.push_back(std::make_unique<XclipCopy>(QByteArray("line of text")));
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured text item"), 1));
    owners.push_back(std::make_unique<XclipCopy>(QByteArray("quartz clock")));
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured text item"), 2));

    auto window = desktop.openHistory(varnisto);
    ASSERT_TRUE(window);
    ASSERT_TRUE(typeText(QStringLiteral("zzz")));
    QTest::qWait(800); // the search has applied
    ASSERT_TRUE(desktop.key(QStringLiteral("Return")));
    ASSERT_TRUE(desktop.key(QStringLiteral("ctrl+s")));
    QTest::qWait(800);
    EXPECT_TRUE(desktop.receiver.text().isEmpty()) << desktop.receiver.text().toStdString();
    EXPECT_TRUE(visibleWindowNamed(title));
    EXPECT_FALSE(anyStoredFavorite());

    // A search for "line", and a click into the receiver hides the window.
    ASSERT_TRUE(desktop.key(QStringLiteral("Escape")));
    ASSERT_TRUE(typeText(QStringLiteral("line")));
    QTest::qWait(800);
    ASSERT_EQ(xdotool({QStringLiteral("mousemove"), QStringLiteral("100"), QStringLiteral("75"),
                  QStringLiteral("click"), QStringLiteral("1")}),
        0);
    ASSERT_TRUE(waitUntil([&] { return !visibleWindowNamed(title); }));

    // Back within the search memory: "qua" replaces "line" and finds the clock.
    desktop.receiver.clear();
    window = desktop.openHistory(varnisto);
    ASSERT_TRUE(window);
    ASSERT_TRUE(typeText(QStringLiteral("qua")));
    QTest::qWait(800);
    ASSERT_TRUE(desktop.key(QStringLiteral("Return")));
    EXPECT_TRUE(desktop.receives(QStringLiteral("quartz clock"))) << desktop.receiver.text().toStdString();

    // And once more: Ctrl+A and Backspace empty the kept search, so the first Escape hides.
    window = desktop.openHistory(varnisto);
    ASSERT_TRUE(window);
    ASSERT_TRUE(desktop.key(QStringLiteral("ctrl+a")));
    ASSERT_TRUE(desktop.key(QStringLiteral("BackSpace")));
    QTest::qWait(300);
    ASSERT_TRUE(desktop.key(QStringLiteral("Escape")));
    EXPECT_TRUE(waitUntil([&] { return !visibleWindowNamed(title); }));
    varnisto.terminate();
    ASSERT_TRUE(varnisto.waitForFinished());
}

namespace {

// Whether the band under the toolbar, where the window says why a copy was not kept, shows its yellow tint: a
// picture of the window, read at a place the line's text never reaches.
std::optional<bool> showsRefusedCopyLine(const QString &window, const QString &name)
{
    saveScreenshot(window, name);
    const QImage picture(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY) + QLatin1Char('/') + name);
    if (picture.isNull() || picture.width() < 100 || picture.height() < 100)
        return std::nullopt;
    const QColor band = picture.pixelColor(picture.width() - 50, 60);
    return band.blue() < band.red() - 12;
}

} // namespace

// A copy too large to keep, on a desktop without a notification service: the next time the history window opens, one
// line above the list says why, until the line is dismissed or a later copy is kept.
TEST(HistoryWindow, SaysWhyALargeCopyWasNotKeptTheNextTimeItOpens)
{
    storePreferences([](AppPreferences &p) {
        p.openWindowStrategy = QStringLiteral("activeScreenCenter");
        p.appearance = AppAppearance::light;
    });
    Desktop desktop;
    RunningVarnisto varnisto;
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with")));
    std::vector<std::unique_ptr<XclipCopy>> owners;
    const auto copyALargeImage = [&](int n) {
        owners.push_back(std::make_unique<XclipCopy>(QByteArray(75 * 1024 * 1024, 'x'), QStringLiteral("image/png")));
        return varnisto.waitForLog(QStringLiteral("did not keep a copy"), n, 60000);
    };
    ASSERT_TRUE(copyALargeImage(1));

    auto window = desktop.openHistory(varnisto);
    ASSERT_TRUE(window);
    EXPECT_EQ(showsRefusedCopyLine(*window, QStringLiteral("history-window-refused-copy-x11.png")), true);

    // Its close button, at the end of the line, dismisses it; the window stays.
    const QRect frame = windowGeometry(*window).value_or(QRect());
    ASSERT_EQ(xdotool({QStringLiteral("mousemove"), QString::number(frame.right() - 17),
                  QString::number(frame.top() + 68), QStringLiteral("click"), QStringLiteral("1")}),
        0);
    EXPECT_TRUE(waitUntil([&] {
        return showsRefusedCopyLine(*window, QStringLiteral("history-window-refused-copy-dismissed.png")) == false;
    }));
    EXPECT_TRUE(visibleWindowNamed(title));
    ASSERT_TRUE(desktop.key(QStringLiteral("Escape")));
    ASSERT_TRUE(waitUntil([&] { return !visibleWindowNamed(title); }));

    // Refused again, then a copy that is kept: the line is gone when the window opens.
    ASSERT_TRUE(copyALargeImage(2));
    owners.push_back(std::make_unique<XclipCopy>(QByteArray("a small copy")));
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured text item"), 1));
    window = desktop.openHistory(varnisto);
    ASSERT_TRUE(window);
    EXPECT_EQ(showsRefusedCopyLine(*window, QStringLiteral("history-window-refused-copy-kept.png")), false);
    ASSERT_TRUE(desktop.key(QStringLiteral("Escape")));
    varnisto.terminate();
    ASSERT_TRUE(varnisto.waitForFinished());
}

// "Delete All" asks first. While it asks, the history window stays; Cancel gives the window the focus back with
// every item still there. Pictures of the question over the window, light and dark, go to the screenshot folder.
TEST(HistoryWindow, StaysWhileItsDeleteAllConfirmationAsks)
{
    for (const AppAppearance appearance : {AppAppearance::light, AppAppearance::dark}) {
        const QString suffix = appearance == AppAppearance::light ? u"light"_qs : u"dark"_qs;
        SCOPED_TRACE(suffix.toStdString());
        storePreferences([&](AppPreferences &p) {
            p.openWindowStrategy = QStringLiteral("activeScreenCenter");
            p.appearance = appearance;
            p.warnOnClearHistory = true;
        });
        Desktop desktop;
        RunningVarnisto varnisto;
        ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with")));
        XclipCopy owner(QByteArray("kept through the question ") + suffix.toUtf8());
        ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured text item"), 1));
        const qsizetype stored = storedTexts().size();
        ASSERT_GT(stored, 0);

        const auto window = desktop.openHistory(varnisto);
        ASSERT_TRUE(window);
        ASSERT_TRUE(desktop.key(QStringLiteral("ctrl+k")));
        QTest::qWait(400);
        ASSERT_TRUE(typeText(QStringLiteral("Delete All")));
        QTest::qWait(300);
        ASSERT_TRUE(desktop.key(QStringLiteral("Return")));
        std::optional<QString> question;
        ASSERT_TRUE(waitUntil([&] { return (question = visibleWindowNamed(QStringLiteral("Varnisto"))).has_value(); }));
        ASSERT_TRUE(waitUntil([&] { return activeWindow() == question; }));
        QTest::qWait(500);
        EXPECT_TRUE(visibleWindowNamed(title));
        const QRect frame = windowGeometry(*window).value_or(QRect());
        const QRect area = frame.united(windowGeometry(*question).value_or(QRect()));
        saveScreenshot(area, u"history-delete-all-question-"_qs + suffix + u".png"_qs);

        ASSERT_TRUE(desktop.key(QStringLiteral("Escape"))); // Cancel
        EXPECT_TRUE(waitUntil([&] { return !visibleWindowNamed(QStringLiteral("Varnisto")); }));
        EXPECT_TRUE(waitUntil([&] { return activeWindow() == window; }));
        QTest::qWait(500);
        EXPECT_TRUE(visibleWindowNamed(title));
        EXPECT_EQ(storedTexts().size(), stored);
        ASSERT_TRUE(desktop.key(QStringLiteral("Escape")));
        EXPECT_TRUE(waitUntil([&] { return !visibleWindowNamed(title); }));
        varnisto.terminate();
        ASSERT_TRUE(varnisto.waitForFinished());
    }
}

namespace {

// An accessible text on the accessibility bus, as a toolkit publishes one: it says that it has the focus, and
// answers for its caret offset and character extents, or never answers at all. It runs on a thread of its own,
// as another program would.
class AccessibleTextPeer final : public QDBusVirtualObject
{
public:
    AccessibleTextPeer(const QString &address, bool answers) : m_address(address), m_answers(answers)
    {
        moveToThread(&m_thread);
        m_thread.start();
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_connection = std::make_unique<QDBusConnection>(
                    QDBusConnection::connectToBus(m_address, QStringLiteral("accessible-text-peer")));
                m_connection->registerVirtualObject(QStringLiteral("/org/a11y/atspi/accessible/7"), this);
            },
            Qt::BlockingQueuedConnection);
    }
    ~AccessibleTextPeer() override
    {
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_connection->unregisterObject(QStringLiteral("/org/a11y/atspi/accessible/7"));
                m_connection.reset();
                QDBusConnection::disconnectFromBus(QStringLiteral("accessible-text-peer"));
            },
            Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    // The text takes the focus.
    void focus()
    {
        QMetaObject::invokeMethod(
            this,
            [this] {
                QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/a11y/atspi/accessible/7"),
                    QStringLiteral("org.a11y.atspi.Event.Object"), QStringLiteral("StateChanged"));
                signal << QStringLiteral("focused") << 1 << 0 << QVariant::fromValue(QDBusVariant(0));
                m_connection->send(signal);
            },
            Qt::BlockingQueuedConnection);
    }

    QString introspect(const QString &) const override { return QString(); }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (!m_answers)
            return true; // taken, and never answered
        if (message.member() == u"Get") {
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(5))));
            return true;
        }
        if (message.member() == u"GetCharacterExtents") {
            const int offset = message.arguments().value(0).toInt();
            // The caret stands at the end of the text: no character at it.
            if (offset == 5)
                connection.send(message.createReply(QList<QVariant> {0, 0, 0, 0}));
            else
                connection.send(message.createReply(QList<QVariant> {100 + 8 * offset, 300, 8, 18}));
            return true;
        }
        return false;
    }

private:
    QThread m_thread;
    QString m_address;
    bool m_answers;
    std::unique_ptr<QDBusConnection> m_connection;
};

} // namespace

// The caret through the accessibility service, against a text that answers and one that never does.
TEST(HistoryWindowCaret, FollowsTheFocusedTextAndNeverWaitsPastTheBudget)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.isRunning());
    const QString address = bus.environment().value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    for (const bool answers : {true, false}) {
        SCOPED_TRACE(answers);
        AtSpiCaretLocator locator(address, nullptr);
        ASSERT_TRUE(locator.isTrusted());
        EXPECT_EQ(locator.caretRect(QDeadlineTimer(200)), std::nullopt); // nothing has the focus yet

        AccessibleTextPeer peer(address, answers);
        peer.focus();
        std::optional<QRect> caret;
        QElapsedTimer timer;
        waitUntil(
            [&] {
                timer.start();
                caret = locator.caretRect(QDeadlineTimer(200));
                return caret.has_value() || !answers;
            },
            5000);
        if (answers) {
            // After the last character (offset 4 at x 132, 8 wide): x 140, zero wide.
            EXPECT_EQ(caret, QRect(140, 300, 0, 18));
        } else {
            QTest::qWait(300); // the focus event has arrived by now
            timer.start();
            EXPECT_EQ(locator.caretRect(QDeadlineTimer(200)), std::nullopt);
            EXPECT_LT(timer.elapsed(), 200 + 25);
        }
    }
}
