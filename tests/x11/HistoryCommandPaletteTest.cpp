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
#include <QImage>
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

namespace {

// The share of a window's pixels that are black: a window the program has not painted yet shows black here.
std::optional<double> blackShare(const QString &window, const QString &path)
{
    QFile::remove(path);
    if (runProgram(QStringLiteral("import"), {QStringLiteral("-window"), window, path}) != 0)
        return std::nullopt;
    const QImage image(path);
    if (image.isNull())
        return std::nullopt;
    qint64 black = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            black += (image.pixel(x, y) & 0xffffff) == 0 ? 1 : 0;
    }
    return double(black) / double(qint64(image.width()) * image.height());
}

} // namespace

// "Delete All" chosen in the palette asks first, in a question that is painted as soon as it shows; Cancel keeps
// every item. Pictures of the question, light and dark, go to the screenshot folder.
TEST(HistoryCommandPalette, TheDeleteAllQuestionIsPaintedAsSoonAsItShows)
{
    for (const AppAppearance appearance : {AppAppearance::light, AppAppearance::dark}) {
        const QString suffix = appearance == AppAppearance::light ? u"light"_qs : u"dark"_qs;
        SCOPED_TRACE(suffix.toStdString());
        storeHistoryWindowPreferences(appearance, [](AppPreferences &p) { p.warnOnClearHistory = true; });
        QLineEdit receiver;
        receiver.setWindowTitle(QStringLiteral("Receiver"));
        receiver.setGeometry(60, 60, 420, 40);

        RunningVarnisto varnisto;
        ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with")));
        XclipCopy owner(QByteArray("asked about before it goes ") + suffix.toUtf8());
        ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("captured text item")));
        auto window = openHistoryWindow(varnisto, receiver);
        ASSERT_TRUE(window);
        ASSERT_TRUE(openActions(varnisto));
        ASSERT_TRUE(type(QStringLiteral("Delete All")));
        ASSERT_TRUE(key(QStringLiteral("Return")));
        std::optional<QString> question;
        ASSERT_TRUE(waitUntil([&] { return (question = visibleWindowNamed(QStringLiteral("Varnisto"))).has_value(); }));
        // Painted within a moment of showing, not seconds later.
        const QString path = freshScreenshotPath(u"history-palette-delete-all-question-"_qs + suffix + u".png"_qs);
        std::optional<double> black;
        EXPECT_TRUE(waitUntil([&] { return (black = blackShare(*question, path)) && *black < 0.2; }, 1500))
            << "black share " << black.value_or(-1);
        EXPECT_TRUE(visibleWindowNamed(title));

        ASSERT_TRUE(key(QStringLiteral("Escape"))); // Cancel
        EXPECT_TRUE(waitUntil([&] { return !visibleWindowNamed(QStringLiteral("Varnisto")); }));
        EXPECT_FALSE(latestStoredText().isEmpty());
        varnisto.terminate();
        ASSERT_TRUE(varnisto.waitForFinished());
    }
}
