#pragma once

// Questions to the test display through the desktop's own tools (xdotool), for the suites and benchmarks that run
// the real program and look at its windows from outside.

#include <QHash>
#include <QLatin1Char>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

// What the program printed, trimmed; nothing when it failed or took longer than five seconds.
inline std::optional<QString> commandOutput(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(5000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// The id of the visible window with exactly this title.
inline std::optional<QString> visibleWindowNamed(const QString &title)
{
    const auto found = commandOutput(QStringLiteral("xdotool"),
        {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
            QLatin1Char('^') + title + QLatin1Char('$')});
    if (!found || found->isEmpty())
        return std::nullopt;
    return found->split(QLatin1Char('\n')).first();
}

// The id of the active window.
inline std::optional<QString> activeWindow()
{
    return commandOutput(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")});
}

// The window's frame on the display.
inline std::optional<QRect> windowGeometry(const QString &window)
{
    const auto output = commandOutput(
        QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    if (!output)
        return std::nullopt;
    QHash<QString, int> values;
    for (const QString &line : output->split(QLatin1Char('\n'))) {
        const QStringList pair = line.split(QLatin1Char('='));
        if (pair.size() == 2)
            values.insert(pair.at(0), pair.at(1).toInt());
    }
    return QRect(values.value(QStringLiteral("X")), values.value(QStringLiteral("Y")),
        values.value(QStringLiteral("WIDTH")), values.value(QStringLiteral("HEIGHT")));
}
