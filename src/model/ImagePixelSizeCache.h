#pragma once

#include <QCache>
#include <QMutex>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

// The pixel sizes of image files, remembered per path together with what identifies the file's content on disk
// (its size, modification and status-change times, inode and device). Asking again costs one status call while
// the file stays as it was; a file that was written, replaced or touched since has its header read again.
// Safe to use from several threads at once.
class ImagePixelSizeCache
{
public:
    // Reads the pixel size from an image file's header, without decoding the image.
    using HeaderReader = std::function<std::optional<QSize>(const QString &path)>;

    explicit ImagePixelSizeCache(qsizetype capacity = 4096, HeaderReader reader = readImageHeader);

    // The pixel size of the image file at this path; none when there is no such file or it is not an image.
    std::optional<QSize> pixelSize(const QString &path);

    static std::optional<QSize> readImageHeader(const QString &path);

private:
    struct Stamp
    {
        qint64 size = 0;
        qint64 modifiedNs = 0;
        qint64 changedNs = 0;
        quint64 inode = 0;
        quint64 device = 0;

        bool operator==(const Stamp &) const = default;
    };
    struct Entry
    {
        Stamp stamp;
        std::optional<QSize> pixelSize;
    };

    static std::optional<Stamp> stampOf(const QString &path);

    QMutex m_mutex;
    QCache<QString, Entry> m_entries; // the paths asked for last
    HeaderReader m_reader;
};
