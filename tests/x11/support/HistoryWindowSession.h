#pragma once

// What the suites of the real program's history window do on the desktop: bring the window up from another one
// with the hot key, and keep pictures of what it shows.

#include "DesktopQueries.h"
#include "KeyboardTestSupport.h"
#include "RunningVarnisto.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRect>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include <optional>

inline QString historyWindowTitle()
{
    return QStringLiteral("Clipboard History");
}

// The user works in the receiver, then presses the hot key: the history window comes up with the focus (the
// program says when it has it). Right after a paste the program may still be posting its keystroke, with its hot
// keys lifted: a press it could not see is pressed again.
inline std::optional<QString> openHistoryWindow(RunningVarnisto &varnisto, QWidget &receiver)
{
    const int focused = int(varnisto.log().count(QStringLiteral("history window has the focus")));
    if (!bringToFront(receiver))
        return std::nullopt;
    std::optional<QString> window;
    for (int attempt = 0; attempt < 3 && !window; ++attempt) {
        if (xdotool({QStringLiteral("key"), QStringLiteral("ctrl+alt+v")}) != 0)
            return std::nullopt;
        waitUntil([&] { return (window = visibleWindowNamed(historyWindowTitle())).has_value(); }, 3000);
    }
    if (!window || !waitUntil([&] { return activeWindow() == window; })
        || !varnisto.waitForLog(QStringLiteral("history window has the focus"), focused + 1))
        return std::nullopt;
    return window;
}

// Where a picture of that name goes; an older one is removed.
inline QString freshScreenshotPath(const QString &name)
{
    QDir().mkpath(QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY));
    const QString path = QStringLiteral(VARNISTO_SCREENSHOT_DIRECTORY) + QLatin1Char('/') + name;
    QFile::remove(path);
    return path;
}

// A picture of one window.
inline void saveScreenshot(const QString &window, const QString &name)
{
    const QString path = freshScreenshotPath(name);
    EXPECT_EQ(runProgram(QStringLiteral("import"), {QStringLiteral("-window"), window, path}), 0);
    EXPECT_GT(QFileInfo(path).size(), 0) << path.toStdString();
}

// A picture of a part of the screen, for what stands beside a window (menus, popups).
inline void saveScreenshot(const QRect &area, const QString &name)
{
    const QString path = freshScreenshotPath(name);
    const QString crop = QStringLiteral("%1x%2+%3+%4").arg(area.width()).arg(area.height()).arg(area.x()).arg(area.y());
    EXPECT_EQ(runProgram(QStringLiteral("import"),
                  {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-crop"), crop, path}),
        0);
    EXPECT_GT(QFileInfo(path).size(), 0) << path.toStdString();
}
