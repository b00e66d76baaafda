#pragma once

#include <QByteArray>
#include <QCache>
#include <QHash>
#include <QImage>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSizeF>
#include <QString>
#include <QThreadPool>

#include <functional>
#include <optional>

class IconProvider;

// Pictures of files for the history rows: a thumbnail of an image file, the icon of any other file. Thumbnails
// are rendered on a private low-priority worker and kept on disk (a PNG and a JSON record per preview, named by
// the key) and in memory; they stay valid while the source file keeps its modification time and size.
//
// Entry points are called on the GUI thread.
class FilePreviewCache final : public QObject
{
    Q_OBJECT

public:
    // When and how large the source file was; a preview is valid only for the signature it was made from.
    struct SourceSignature
    {
        double modificationTime = 0; // seconds since 1970
        qint64 fileSize = 0;
        bool operator==(const SourceSignature &) const = default;
    };

    // The JSON record beside each stored preview.
    struct Metadata
    {
        QString sourcePath; // the path exactly as the caller gave it
        double modificationTime = 0;
        qint64 fileSize = 0;
        int targetWidth = 0;
        int targetHeight = 0;

        QByteArray toJson() const;
        // All five members are required, with their types.
        static std::optional<Metadata> fromJson(const QByteArray &json);
        bool matches(const QString &path, const SourceSignature &signature, int width, int height) const;
    };

    using Completion = std::function<void(const QImage &)>;

    // The cache keeps its files in the directory, created on the first write. The icon provider must outlive it.
    FilePreviewCache(QString directory, const IconProvider &iconProvider, QObject *parent = nullptr);
    // Drops renderings that have not started and waits for the one that runs.
    ~FilePreviewCache() override;

    // The best picture available now for the file at the target size (in points). When a thumbnail has to be
    // rendered, the file's icon comes back at once and the completion is called later on the GUI thread with
    // the thumbnail, unless the context object (the cache itself when none is given) has been destroyed by then.
    // A rendering that fails calls nothing.
    QImage preview(
        const QString &path, double width, double height, const QObject *context = nullptr, Completion completion = {});

    // The size of an image file in points: its pixel size at 72 dots per inch when the file states its density.
    std::optional<QSizeF> displaySize(const QString &path);

    // Forgets every preview and deletes the directory.
    void removeAll();
    // Deletes every stored preview whose source path is not in the set (all of them for an empty set).
    void removePreviewsExcept(const QSet<QString> &keptPaths);
    // Deletes the stored previews whose source path is in the set.
    void removePreviews(const QSet<QString> &paths);

    const QString &directory() const { return m_directory; }

    // Lower-case hexadecimal SHA-256 of the standardised path, the width and the height, one a line.
    static QString cacheKey(const QString &path, int width, int height);
    // Nothing when the file cannot be examined.
    static std::optional<SourceSignature> sourceSignature(const QString &path);
    // PNG bytes of the image file decoded at most at the pixel size (longer side), its orientation applied.
    static std::optional<QByteArray> thumbnailPNGData(const QString &path, int maximumPixelSize);

private:
    // What the tests and benchmarks look into.
    friend class ServicesProbe;

    struct CachedDisplaySize
    {
        SourceSignature signature;
        QSizeF size;
    };

    QString pngPath(const QString &key) const;
    QString jsonPath(const QString &key) const;
    std::optional<QImage> cachedPreview(const QString &path, const QString &key, int width, int height);
    bool writeEntry(const QString &key, const QByteArray &png, const Metadata &metadata) const;
    void insertImage(const QString &key, const QImage &image);
    void generatePreview(const QString &key, const QString &path, int maximumPixelSize, int width, int height,
        SourceSignature signature, QPointer<const QObject> context, Completion completion);
    void removeEntries(const std::function<bool(const QString &sourcePath)> &shouldRemove);

    const QString m_directory;
    const IconProvider &m_iconProvider;

    mutable QMutex m_imageCacheLock; // the memory cache is filled from the worker as well
    QCache<QString, QImage> m_imageCache;

    mutable QMutex m_pendingLock;
    QSet<QString> m_pendingKeys;
    int m_startedRenderings = 0; // under m_pendingLock

    QHash<QString, CachedDisplaySize> m_displaySizeCache; // GUI thread only

    QThreadPool m_generationQueue; // one low-priority thread: renderings run one after another
};
