#include "Xclip.h"

#include "TestSupport.h"

XclipCopy::XclipCopy(const QByteArray &data, const QString &target)
{
    // -quiet keeps xclip in the foreground, so the process is the owner.
    QStringList arguments = {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-quiet")};
    if (!target.isEmpty())
        arguments << QStringLiteral("-t") << target;
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(QStringLiteral("xclip"), arguments);
    m_process.waitForStarted();
    m_process.write(data);
    m_process.closeWriteChannel();
}

XclipCopy::~XclipCopy()
{
    kill();
}

void XclipCopy::kill()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished();
}

std::optional<QByteArray> xclipPaste(const QString &target)
{
    QProcess process;
    QStringList arguments = {QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o")};
    if (!target.isEmpty())
        arguments << QStringLiteral("-t") << target;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QStringLiteral("xclip"), arguments);
    if (!waitUntil([&] { return process.state() == QProcess::NotRunning; }, 10000)) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}
