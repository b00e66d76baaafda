#include "SupportFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

SupportFolder::SupportFolder(QString path) : m_path(std::move(path)) { }

QString SupportFolder::imagesDirectory() const
{
    return m_path + QStringLiteral("/Images");
}

QString SupportFolder::linkPreviewsDirectory() const
{
    return m_path + QStringLiteral("/LinkPreviews");
}

QString SupportFolder::filePreviewsDirectory() const
{
    return m_path + QStringLiteral("/FilePreviews");
}

bool SupportFolder::contains(const QString &path) const
{
    if (path.isEmpty() || QDir::isRelativePath(path))
        return false;
    // Both sides resolved on the disk as it is now: the folder may itself sit behind a link (a data folder on
    // another disk), and the path must still lie below it once its own links and ".." are followed.
    const QString root = QFileInfo(m_path).canonicalFilePath();
    const QString resolved = QFileInfo(path).canonicalFilePath();
    if (root.isEmpty() || resolved.isEmpty())
        return false;
    return resolved.startsWith(root + QLatin1Char('/'));
}

bool SupportFolder::removeFile(const QString &path) const
{
    if (!contains(path))
        return false;
    const QFileInfo entry(path);
    if (entry.isDir() && !entry.isSymLink())
        return false;
    // The entry as named, in its folder as resolved: a link goes, not what it points to.
    const QString folder = entry.absoluteDir().canonicalPath();
    if (folder.isEmpty())
        return false;
    return QFile::remove(folder + QLatin1Char('/') + entry.fileName());
}

bool SupportFolder::removeDirectory(const QString &path) const
{
    if (!contains(path))
        return false;
    const QFileInfo entry(path);
    if (entry.isSymLink() || !entry.isDir())
        return false;
    return QDir(entry.canonicalFilePath()).removeRecursively();
}
