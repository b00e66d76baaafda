// A first start of the real program as a new user meets it: the onboarding window, walked through with its
// buttons into the history window; the next start goes straight to the tray. The steps are photographed in the
// light and the dark look into the screenshot folder, to be looked at.

#include "PreferencesStore.h"

#include "DesktopQueries.h"
#include "KeyboardTestSupport.h"
#include "RunningVarnisto.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QThread>

#include <gtest/gtest.h>

namespace {

const QString onboardingTitle = QStringLiteral("Varnisto");
const QString historyTitle = QStringLiteral("Clipboard History");
const QStringList stepNames
    = {QStringLiteral("intro"), QStringLiteral("history-shortcut"), QStringLiteral("select-and-paste"),
        QStringLiteral("pasting"), QStringLiteral("organize"), QStringLiteral("finish")};

QString settingsFile()
{
    return QSettings(
        QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Varnisto"), QStringLiteral("Varnisto"))
        .fileName();
}

// The window's content as the display shows it now.
QImage capture(const QString &window)
{
    const QString file = QDir::temp().filePath(QStringLiteral("varnisto-onboarding-capture.png"));
    QFile::remove(file);
    if (runProgram(QStringLiteral("import"), {QStringLiteral("-window"), window, file}) != 0)
        return {};
    return QImage(file);
}

// The window's content once it differs from `previous` and has stopped changing (the progress capsules move for a
// moment after each step).
QImage settledCapture(const QString &window, const QImage &previous = {})
{
    QImage last;
    QImage settled;
    waitUntil(
        [&] {
            const QImage now = capture(window);
            if (!now.isNull() && now == last && now != previous) {
                settled = now;
                return true;
            }
            last = now;
            QThread::msleep(150);
            return false;
        },
        10000);
    return settled;
}

// A click at a point of the window, in its own coordinates.
void clickAt(const QString &window, int x, int y)
{
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(x), QString::number(y)});
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    // The pointer leaves the button, so that no hover look is in the next picture.
    xdotool(
        {QStringLiteral("mousemove"), QStringLiteral("--window"), window, QStringLiteral("350"), QStringLiteral("12")});
}

// The footer's buttons: Back at the left, the primary button at the right, both centred 32 points above the bottom.
void clickPrimary(const QString &window)
{
    clickAt(window, 700 - 15 - 40, 490 - 32);
}
void clickBack(const QString &window)
{
    clickAt(window, 15 + 40, 490 - 32);
}

QSize windowSize(const QString &window)
{
    const auto shell = commandOutput(
        QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    QSize size;
    for (const QString &line : shell.value_or(QString()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("WIDTH=")))
            size.setWidth(line.mid(6).toInt());
        else if (line.startsWith(QStringLiteral("HEIGHT=")))
            size.setHeight(line.mid(7).toInt());
    }
    return size;
}

// Walks from the first step to the last with Continue, one settled picture per step, saved under the look's name.
QList<QImage> photographSteps(const QString &window, const QString &look)
{
    QDir().mkpath(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY));
    QList<QImage> pictures;
    for (qsizetype index = 0; index < stepNames.size(); ++index) {
        const QImage picture = settledCapture(window, pictures.isEmpty() ? QImage() : pictures.last());
        if (picture.isNull())
            return pictures;
        picture.save(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY "/onboarding-%1-%2-%3.png")
                         .arg(look)
                         .arg(index + 1)
                         .arg(stepNames.at(index)));
        pictures.append(picture);
        if (index + 1 < stepNames.size())
            clickPrimary(window);
    }
    return pictures;
}

} // namespace

TEST(Onboarding, AFirstStartWalksIntoTheHistoryAndTheNextStartGoesToTheTray)
{
    ASSERT_FALSE(QFile::exists(settingsFile())); // an empty configuration
    {
        RunningVarnisto varnisto;
        ASSERT_TRUE(varnisto.waitForStarted());
        ASSERT_TRUE(varnisto.waitForLog(QStringLiteral("started with 0 items")));
        std::optional<QString> window;
        ASSERT_TRUE(waitUntil([&] { return (window = visibleWindowNamed(onboardingTitle)).has_value(); }));
        EXPECT_EQ(windowSize(*window), QSize(700, 490));
        EXPECT_TRUE(waitUntil([&] { return activeWindow() == window; }));

        const QList<QImage> steps = photographSteps(*window, QStringLiteral("light"));
        ASSERT_EQ(steps.size(), stepNames.size());
        for (qsizetype index = 1; index < steps.size(); ++index)
            EXPECT_NE(steps.at(index), steps.at(index - 1)) << index;
        // A light look: the corner of the window is bright.
        EXPECT_GT(qGray(steps.first().pixel(4, 4)), 160);

        // Back returns to the step before, drawn as it was.
        clickBack(*window);
        EXPECT_EQ(settledCapture(*window, steps.last()), steps.at(4));
        clickPrimary(*window);
        EXPECT_EQ(settledCapture(*window, steps.at(4)), steps.last());

        // Open History: the onboarding goes, the history comes.
        clickPrimary(*window);
        EXPECT_TRUE(waitUntil([&] { return visibleWindowNamed(historyTitle).has_value(); }));
        EXPECT_TRUE(waitUntil([&] { return !visibleWindowNamed(onboardingTitle).has_value(); }));
        EXPECT_TRUE(PreferencesStore(settingsFile()).load().hasCompletedOnboarding);

        varnisto.terminate();
        ASSERT_TRUE(varnisto.waitForFinished());
        EXPECT_TRUE(varnisto.exitedWith(0));
    }

    // The second start shows no window at all: the program waits in the tray.
    RunningVarnisto again;
    ASSERT_TRUE(again.waitForStarted());
    ASSERT_TRUE(again.waitForLog(QStringLiteral("started with 0 items")));
    EXPECT_FALSE(
        waitUntil([&] { return visibleWindowNamed(onboardingTitle) || visibleWindowNamed(historyTitle); }, 1500));
    again.terminate();
    ASSERT_TRUE(again.waitForFinished());
    EXPECT_TRUE(again.exitedWith(0));
}

// In the dark look, and closed by hand: onboarding is still to do at the next start.
TEST(Onboarding, ClosedByHandItComesBackAtTheNextStart)
{
    AppPreferences preferences;
    preferences.appearance = AppAppearance::dark;
    PreferencesStore(settingsFile()).save(preferences);

    for (int start = 0; start < 2; ++start) {
        SCOPED_TRACE(start);
        RunningVarnisto varnisto;
        ASSERT_TRUE(varnisto.waitForStarted());
        std::optional<QString> window;
        ASSERT_TRUE(waitUntil([&] { return (window = visibleWindowNamed(onboardingTitle)).has_value(); }));
        EXPECT_TRUE(waitUntil([&] { return activeWindow() == window; }));
        if (start == 0) {
            const QList<QImage> steps = photographSteps(*window, QStringLiteral("dark"));
            ASSERT_EQ(steps.size(), stepNames.size());
            EXPECT_LT(qGray(steps.first().pixel(4, 4)), 100);
        }

        // The window manager's close (Alt+F4 in openbox) closes it; the program stays, in the tray.
        xdotool({QStringLiteral("key"), QStringLiteral("alt+F4")});
        EXPECT_TRUE(waitUntil([&] { return !visibleWindowNamed(onboardingTitle).has_value(); }));
        EXPECT_FALSE(visibleWindowNamed(historyTitle));
        EXPECT_EQ(varnisto.process().state(), QProcess::Running);
        varnisto.terminate();
        ASSERT_TRUE(varnisto.waitForFinished());
        EXPECT_FALSE(PreferencesStore(settingsFile()).load().hasCompletedOnboarding);
    }
}
