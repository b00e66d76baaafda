#pragma once

#include "Expected.h"

#include <QFile>
#include <QString>

// The file-system access of the archive service: every existence test, folder creation, removal and copy of
// an export or import goes through it. Failures carry the system's message. Tests put a failing one in its
// place to show what a half-done export leaves behind.
class ArchiveFileManager
{
public:
    using Result = Expected<void, QString>;

    virtual ~ArchiveFileManager() = default;

    // Whether anything stands at the path: a file, a folder or a symbolic link, even one that leads nowhere.
    virtual bool itemExists(const QString &path) const;
    // The folder and any missing parents; an existing folder is no failure.
    virtual Result createDirectory(const QString &path) const;
    // A file, a link or a folder with everything in it. Links are removed, never followed.
    virtual Result removeItem(const QString &path) const;
    // Writes what the open source holds into a new file at the destination. An existing file is never
    // overwritten, and a copy that fails leaves nothing behind.
    virtual Result copyFile(QFile &source, const QString &destination) const;
};
