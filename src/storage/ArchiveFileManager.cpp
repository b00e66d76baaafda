#include "ArchiveFileManager.h"

#include <QDir>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

ArchiveFileManager::Result failure(int error)
{
    return ArchiveFileManager::Result::failure(qt_error_string(error));
}

} // namespace

bool ArchiveFileManager::itemExists(const QString &path) const
{
    struct stat status;
    return ::lstat(nativePath(path).constData(), &status) == 0;
}

ArchiveFileManager::Result ArchiveFileManager::createDirectory(const QString &path) const
{
    const QString clean = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    QString current;
    for (const QString &part : clean.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        current += QLatin1Char('/') + part;
        const QByteArray native = nativePath(current);
        if (::mkdir(native.constData(), 0777) == 0)
            continue;
        const int error = errno;
        struct stat status;
        if (error == EEXIST && ::stat(native.constData(), &status) == 0) {
            if (S_ISDIR(status.st_mode))
                continue;
            return failure(ENOTDIR);
        }
        return failure(error);
    }
    return {};
}

ArchiveFileManager::Result ArchiveFileManager::removeItem(const QString &path) const
{
    const QByteArray native = nativePath(path);
    struct stat status;
    if (::lstat(native.constData(), &status) != 0)
        return errno == ENOENT ? Result() : failure(errno);
    if (S_ISDIR(status.st_mode)) {
        const QDir folder(path);
        const QStringList entries
            = folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        for (const QString &entry : entries) {
            if (auto removed = removeItem(folder.filePath(entry)); !removed)
                return removed;
        }
        if (::rmdir(native.constData()) != 0)
            return failure(errno);
        return {};
    }
    if (::unlink(native.constData()) != 0)
        return failure(errno);
    return {};
}

ArchiveFileManager::Result ArchiveFileManager::copyFile(QFile &source, const QString &destination) const
{
    QFile target(destination);
    if (!target.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return Result::failure(target.errorString());
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    while (true) {
        const qint64 count = source.read(buffer.data(), buffer.size());
        if (count < 0) {
            const QString reason = source.errorString();
            target.remove();
            return Result::failure(reason);
        }
        if (count == 0)
            break;
        if (target.write(buffer.constData(), count) != count) {
            const QString reason = target.errorString();
            target.remove();
            return Result::failure(reason);
        }
    }
    if (!target.flush()) {
        const QString reason = target.errorString();
        target.remove();
        return Result::failure(reason);
    }
    target.close();
    return {};
}
