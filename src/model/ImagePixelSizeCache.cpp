#include "ImagePixelSizeCache.h"

#include <QFile>
#include <QImageReader>

#include <sys/stat.h>

#include <utility>

ImagePixelSizeCache::ImagePixelSizeCache(qsizetype capacity, HeaderReader reader)
    : m_entries(capacity), m_reader(std::move(reader))
{ }

std::optional<QSize> ImagePixelSizeCache::readImageHeader(const QString &path)
{
    QImageReader reader(path);
    const QSize size = reader.size(); // from the header; the image is not decoded
    if (!size.isValid())
        return std::nullopt;
    return size;
}

std::optional<ImagePixelSizeCache::Stamp> ImagePixelSizeCache::stampOf(const QString &path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    constexpr qint64 nanosecondsPerSecond = 1000000000;
    Stamp stamp;
    stamp.size = qint64(status.st_size);
    stamp.modifiedNs = qint64(status.st_mtim.tv_sec) * nanosecondsPerSecond + status.st_mtim.tv_nsec;
    stamp.changedNs = qint64(status.st_ctim.tv_sec) * nanosecondsPerSecond + status.st_ctim.tv_nsec;
    stamp.inode = quint64(status.st_ino);
    stamp.device = quint64(status.st_dev);
    return stamp;
}

std::optional<QSize> ImagePixelSizeCache::pixelSize(const QString &path)
{
    // The status is taken before the header is read: a file that changes in between is stored with the older
    // status, so the next request reads it again.
    const std::optional<Stamp> stamp = stampOf(path);
    {
        QMutexLocker locker(&m_mutex);
        if (!stamp) {
            m_entries.remove(path);
            return std::nullopt;
        }
        if (const Entry *entry = m_entries.object(path); entry && entry->stamp == *stamp)
            return entry->pixelSize;
    }
    // Read without holding the lock, so that other paths are answered meanwhile.
    const std::optional<QSize> size = m_reader(path);
    QMutexLocker locker(&m_mutex);
    m_entries.insert(path, new Entry {*stamp, size});
    return size;
}
