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

// The id of the visible window with exactly this title. A search that fails on the way (a window it was reading
// went away meanwhile, and the search says so) is made again, so that a window that is there is not missed.
inline std::optional<QString> visibleWindowNamed(const QString &title)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        QProcess search;
        search.start(QStringLiteral("xdotool"),
            {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                QLatin1Char('^') + title + QLatin1Char('$')});
        if (!search.waitForFinished(5000) || search.exitStatus() != QProcess::NormalExit)
            continue;
        const QString found = QString::fromUtf8(search.readAllStandardOutput()).trimmed();
        if (search.exitCode() == 0 && !found.isEmpty())
            return found.split(QLatin1Char('\n')).first();
        // None found: the search ends quietly.
        if (search.readAllStandardError().trimmed().isEmpty())
            return std::nullopt;
    }
    return std::nullopt;
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
