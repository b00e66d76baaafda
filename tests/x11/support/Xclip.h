#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

#include <memory>
#include <optional>

// xclip as the other application in clipboard tests.

// An xclip that copied: it owns the clipboard until another client takes it (then it ends by itself) or it is
// killed. Ends the process when it goes.
class XclipCopy
{
public:
    // Copies the data under the target (xclip's default, UTF8_STRING, when none is given).
    XclipCopy(const QByteArray &data, const QString &target = QString());
    ~XclipCopy();

    // Ends the process as a crash would; its connection to the X server closes.
    void kill();

private:
    QProcess m_process;
};

// What a paste of the target gives, or nothing when xclip fails. Runs the event loop while it waits, so this
// process can answer when it owns the clipboard.
std::optional<QByteArray> xclipPaste(const QString &target = QString());
