// The command palette of the real program's history window on this display: its shortcut opens the actions for
// the selected item, "Transform..." opens the picker of every transform, and the one chosen there changes the
// stored item; a click elsewhere in the window closes the palette without reaching what was clicked. Pictures of
// the actions and the transform picker, light and dark, go to the screenshot folder.

#include "PreferencesStore.h"
#include "SQLiteHistoryStore.h"

#include "DesktopQueries.h"
#include "HistoryWindowPreferences.h"
#include "HistoryWindowSession.h"
#include "KeyboardTestSupport.h"
#include "RunningVarnisto.h"
#include "Xclip.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

const QString title = QStringLiteral("Clipboard History");

QString latestStoredText()
{
    SQLiteHistoryStore store(
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Varnisto2"));
    const auto items = store.loadRecentItems(10);
    return items && !items->isEmpty() ? items->first().text.value_or(QString()) : QString();
}

bool key(const QString &keys)
{
    return xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("40"), keys}) == 0;
}

bool type(const QString &text)
{
    return xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text}) == 0;
}

// Ctrl+K, the palette's default shortcut, opens the actions; the program says how many it lists.
bool openActions(RunningVarnisto &varnisto)
{
    const int shown = int(varnisto.log().count(QStringLiteral("command palette shown with")));
    return key(QStringLiteral("ctrl+k"))
        && varnisto.waitForLog(QStringLiteral("command palette shown with"), shown + 1);
}

} // namespace

TEST(HistoryCommandPalette, TransformsTheSelectedTextAndClosesOnAClickOutside)
{
    storeHistoryWindowPreferences(AppAppearance::light);
    QLineEdit receiver;
    receiver.setWindowTitle(QStringLiteral("Receiver"));
    receiver.setGeometry(60, 60, 420, 40);

    RunningVarnisto varnisto;
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with 0 items")));
    XclipCopy owner(QByteArrayLiteral("make this louder"));
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured text item")));

    auto window = openHistoryWindow(varnisto, receiver);
    ASSERT_TRUE(window);
    ASSERT_TRUE(openActions(varnisto));
    EXPECT_TRUE(varnisto.log().contains(QStringLiteral("command palette shown with 13 commands")));
    saveScreenshot(*window, QStringLiteral("history-palette-actions-light.png"));

    // "Transform..." opens the picker with every transform in place of the actions.
    ASSERT_TRUE(type(QStringLiteral("Transform")));
    ASSERT_TRUE(key(QStringLiteral("Return")));
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("command palette shown with 74 commands")));
    EXPECT_EQ(varnisto.log().count(QStringLiteral("command palette closed")), 1);
    saveScreenshot(*window, QStringLiteral("history-palette-transforms-light.png"));
    ASSERT_TRUE(type(QStringLiteral("upper")));
    ASSERT_TRUE(key(QStringLiteral("Return")));
    EXPECT_TRUE(waitUntil([] { return latestStoredText() == u"MAKE THIS LOUDER"; }, 5000))
        << latestStoredText().toStdString();
    EXPECT_TRUE(varnisto.waitForLog(QStringLiteral("command palette closed"), 2));
    EXPECT_TRUE(visibleWindowNamed(title));

    // A click on the list below the palette closes it and reaches nothing else: the window stays, and Escape
    // then hides it, as it does with no palette open.
    ASSERT_TRUE(openActions(varnisto));
    const QRect frame = windowGeometry(*window).value_or(QRect());
    ASSERT_FALSE(frame.isEmpty());
    ASSERT_EQ(xdotool({QStringLiteral("mousemove"), QString::number(frame.center().x()),
                  QString::number(frame.bottom() - 40), QStringLiteral("click"), QStringLiteral("1")}),
        0);
    EXPECT_TRUE(varnisto.waitForLog(QStringLiteral("command palette closed"), 3));
    EXPECT_TRUE(visibleWindowNamed(title));
    ASSERT_TRUE(key(QStringLiteral("Escape")));
    EXPECT_TRUE(waitUntil([&] { return !visibleWindowNamed(title); }));

    varnisto.terminate();
    ASSERT_TRUE(varnisto.waitForFinished());
}

TEST(HistoryCommandPalette, LooksRightInTheDarkToo)
{
    storeHistoryWindowPreferences(AppAppearance::dark);
    QLineEdit receiver;
    receiver.setWindowTitle(QStringLiteral("Receiver"));
    receiver.setGeometry(60, 60, 420, 40);

    RunningVarnisto varnisto;
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with")));
    XclipCopy owner(QByteArrayLiteral("quiet words in the dark"));
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured text item")));
    auto window = openHistoryWindow(varnisto, receiver);
    ASSERT_TRUE(window);
    ASSERT_TRUE(openActions(varnisto));
    saveScreenshot(*window, QStringLiteral("history-palette-actions-dark.png"));
    ASSERT_TRUE(type(QStringLiteral("Transform")));
    ASSERT_TRUE(key(QStringLiteral("Return")));
    ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("command palette shown with 74 commands")));
    saveScreenshot(*window, QStringLiteral("history-palette-transforms-dark.png"));
    ASSERT_TRUE(key(QStringLiteral("Escape")));
    EXPECT_TRUE(varnisto.waitForLog(QStringLiteral("command palette closed"), 2));
    varnisto.terminate();
    ASSERT_TRUE(varnisto.waitForFinished());
}
