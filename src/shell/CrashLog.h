#pragma once

#include <QString>

#include <optional>

// What the process leaves behind when it dies of a fault (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT): the handler
// writes the signal, the program's version and the stack into one file in the support directory, replacing the one
// of an earlier crash, says on the error output where it is, and then lets the signal end the process with its
// default action, so that a core file is still made where the system makes them. The handler only opens and writes
// (the path and the version are prepared when it is installed); it runs on a stack of its own, so that a stack that
// overflowed is reported too.
//
// The next start finds the file and tells the user once where it is; the file stays for the user to send.
namespace CrashLog {

// "LastCrash.log" in the support directory.
QString filePath(const QString &supportDirectory);

// Catches the fatal signals from now on, for the life of the process. Installing again replaces the path.
void install(const QString &supportDirectory, const QString &version);

// The crash log that no start has told of yet, if there is one; reported once: the file is marked as told, and the
// next call returns nothing until another crash writes it anew.
std::optional<QString> takeUnreportedLog(const QString &supportDirectory);

} // namespace CrashLog
