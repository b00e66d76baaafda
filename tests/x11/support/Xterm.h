#pragma once

// A real xterm to paste into, and xclip holding either selection, for the suites that paste into a terminal.

#include "DesktopQueries.h"
#include "KeyboardTestSupport.h"
#include "TestSupport.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <optional>

// A real xterm, which pastes only the primary selection (Shift+Insert), running a program that writes what it reads
// to a file: what the file holds is what the user sees arrive. In raw mode every byte typed or pasted reaches the
// program as it is, a ^V too.
class Xterm
{
public:
    Xterm()
    {
        if (!m_directory.isValid())
            return;
        m_arrived = m_directory.filePath(QStringLiteral("arrived"));
        m_process.start(QStringLiteral("xterm"),
            {QStringLiteral("-fa"), QStringLiteral("Monospace"), QStringLiteral("-e"), QStringLiteral("sh"),
                QStringLiteral("-c"), QStringLiteral("stty raw -echo; exec cat > \"$0\""), m_arrived});
        if (!m_process.waitForStarted() || !waitUntil([&] { return QFile::exists(m_arrived); }, 10000))
            return;
        // The shell may run before the window manager has mapped the window.
        waitUntil([&] {
            m_window = commandOutput(QStringLiteral("xdotool"),
                {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--class"),
                    QStringLiteral("^XTerm$")});
            return m_window && !m_window->isEmpty();
        });
    }
    ~Xterm()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

    // Started, and its window in front.
    bool activate()
    {
        return m_window && !m_window->isEmpty()
            && xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), *m_window}) == 0;
    }
    QByteArray received() const
    {
        QFile file(m_arrived);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_directory;
    QString m_arrived;
    QProcess m_process;
    std::optional<QString> m_window;
};

// An xclip that owns a selection with a text until it is killed or another client takes the selection.
class XclipSelection
{
public:
    XclipSelection(const QString &selection, const QByteArray &text)
    {
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.start(QStringLiteral("xclip"), {QStringLiteral("-selection"), selection, QStringLiteral("-quiet")});
        m_process.waitForStarted();
        // Handed over at once, not when the event loop runs next.
        m_process.write(text);
        m_process.waitForBytesWritten();
        m_process.closeWriteChannel();
    }
    ~XclipSelection()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

// What a paste of the primary selection gives, or nothing when xclip fails. Runs the event loop while it waits.
inline std::optional<QByteArray> xclipPrimary()
{
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(
        QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("primary"), QStringLiteral("-o")});
    if (!waitUntil([&] { return process.state() == QProcess::NotRunning; }, 10000)) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}
