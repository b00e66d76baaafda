// The item preview of the real program's history window under a storm of keys on this display: Space opens the
// selected link's preview, the arrows move the selection while the preview follows it, and Escape twice closes the
// preview and then the window, however the keys, the copies arriving meanwhile and the window manager's focus
// changes interleave. Closing the preview gives the keys back to the history window, also while the settings
// window is open.

#include "DesktopQueries.h"
#include "HistoryWindowPreferences.h"
#include "HistoryWindowSession.h"
#include "KeyboardTestSupport.h"
#include "RunningVarnisto.h"
#include "Xclip.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// The preview is titled by what it shows: a link's address, or the kind of a text.
std::optional<QString> visiblePreview()
{
    return visibleWindowNamed(QStringLiteral("(Text|https://example\\.invalid/.*)"));
}

bool key(const QString &keys)
{
    return xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("40"), keys}) == 0;
}

struct Session
{
    Session()
    {
        receiver.setWindowTitle(QStringLiteral("Receiver"));
        receiver.setGeometry(60, 60, 420, 40);
    }

    // Links and texts by turns, so that the preview following the selection changes between a web page and a
    // text.
    bool copyStartingItems(const QString &suffix)
    {
        const QStringList texts
            = {QStringLiteral("https://example.invalid/first"), QStringLiteral("a plain text between the links"),
                QStringLiteral("https://example.invalid/second"), QStringLiteral("the latest plain text")};
        for (const QString &text : texts) {
            copy(text + suffix);
            if (!varnisto.waitForLog(QStringLiteral("captured"), ++captures))
                return false;
        }
        return true;
    }
    void copy(const QString &text)
    {
        // Each copy takes the clipboard from the one before, which then ends by itself.
        owners.push_back(std::make_unique<XclipCopy>(text.toUtf8()));
    }

    // The hot key from the receiver, for a pinned window that may be shown already: it comes to the front with the
    // keys.
    std::optional<QString> bringPinnedWindow()
    {
        if (!bringToFront(receiver) || !key(QStringLiteral("ctrl+alt+v")))
            return std::nullopt;
        std::optional<QString> window;
        if (!waitUntil([&] { return (window = visibleWindowNamed(historyWindowTitle())) && activeWindow() == window; }))
            return std::nullopt;
        return window;
    }

    QLineEdit receiver;
    RunningVarnisto varnisto;
    std::vector<std::unique_ptr<XclipCopy>> owners;
    int captures = 0;
};

} // namespace

TEST(HistoryPreviewKeys, EscapeClosesThePreviewThenTheWindowWhateverArrivesMeanwhile)
{
    storeHistoryWindowPreferences(AppAppearance::light);
    Session session;
    ASSERT_TRUE(session.varnisto.waitForLog(QStringLiteral("started with")));
    ASSERT_TRUE(session.copyStartingItems(QStringLiteral("/storm")));

    // The race is between the keys, the copies and the window manager: enough rounds to meet it.
    constexpr int rounds = 12;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(openHistoryWindow(session.varnisto, session.receiver));
        QProcess storm;
        storm.start(QStringLiteral("xdotool"),
            {QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("30"), QStringLiteral("Down"),
                QStringLiteral("space"), QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Up"),
                QStringLiteral("Down"), QStringLiteral("Escape"), QStringLiteral("Escape")});
        for (int n = 0; n < 3; ++n) {
            QTest::qWait(50);
            session.copy(QStringLiteral("copy %1 of round %2").arg(n).arg(round));
        }
        ASSERT_TRUE(storm.waitForFinished(10000));
        const bool closed = waitUntil([] { return !visibleWindowNamed(historyWindowTitle()) && !visiblePreview(); });
        ASSERT_TRUE(closed) << "history window " << visibleWindowNamed(historyWindowTitle()).has_value() << ", preview "
                            << visiblePreview().has_value();
    }

    // The hot key over an open preview brings the window back with the keys: Escape closes the preview, then the
    // window.
    ASSERT_TRUE(openHistoryWindow(session.varnisto, session.receiver));
    ASSERT_TRUE(key(QStringLiteral("space")));
    ASSERT_TRUE(waitUntil([] { return visiblePreview().has_value(); }));
    ASSERT_TRUE(bringToFront(session.receiver));
    ASSERT_TRUE(key(QStringLiteral("ctrl+alt+v")));
    ASSERT_TRUE(waitUntil([] { return activeWindow() == visiblePreview(); }))
        << activeWindow().value_or(QString()).toStdString();
    ASSERT_TRUE(key(QStringLiteral("Escape")));
    EXPECT_TRUE(waitUntil([] { return !visiblePreview(); }));
    EXPECT_TRUE(visibleWindowNamed(historyWindowTitle()));
    ASSERT_TRUE(key(QStringLiteral("Escape")));
    EXPECT_TRUE(waitUntil([] { return !visibleWindowNamed(historyWindowTitle()); }));

    session.varnisto.terminate();
    ASSERT_TRUE(session.varnisto.waitForFinished());
}

TEST(HistoryPreviewKeys, ClosingThePreviewGivesTheKeysBackToTheWindowWhileTheSettingsAreOpen)
{
    // Pinned, so that the window stays while the settings window has the focus.
    storeHistoryWindowPreferences(AppAppearance::light, [](AppPreferences &p) { p.hideOnFocusLoss = false; });
    Session session;
    ASSERT_TRUE(session.varnisto.waitForLog(QStringLiteral("started with")));
    ASSERT_TRUE(session.copyStartingItems(QStringLiteral("/settings")));

    auto window = openHistoryWindow(session.varnisto, session.receiver);
    ASSERT_TRUE(window);
    ASSERT_TRUE(key(QStringLiteral("ctrl+comma")));
    ASSERT_TRUE(waitUntil([] { return visibleWindowNamed(QStringLiteral("General")).has_value(); }));
    ASSERT_TRUE(waitUntil([] { return activeWindow() == visibleWindowNamed(QStringLiteral("General")); }));

    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape" : "Space");
        window = session.bringPinnedWindow();
        ASSERT_TRUE(window);
        ASSERT_TRUE(key(QStringLiteral("space")));
        ASSERT_TRUE(waitUntil([] { return visiblePreview().has_value() && activeWindow() == visiblePreview(); }));
        ASSERT_TRUE(key(escape ? QStringLiteral("Escape") : QStringLiteral("space")));
        ASSERT_TRUE(waitUntil([] { return !visiblePreview(); }));
        // The keys are the history window's again: typing searches there, and nothing reaches the receiver.
        EXPECT_TRUE(waitUntil([&] { return activeWindow() == window; }))
            << activeWindow().value_or(QString()).toStdString();
        ASSERT_EQ(
            xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), QStringLiteral("plain")}),
            0);
        QTest::qWait(300);
        EXPECT_EQ(session.receiver.text(), QString());
        ASSERT_TRUE(key(QStringLiteral("Escape")));
    }

    session.varnisto.terminate();
    ASSERT_TRUE(session.varnisto.waitForFinished());
}
