#include "FilePreviewCache.h"

#include "FileTypes.h"
#include "IconProvider.h"
#include "ImageDensity.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>
#include <QSaveFile>

#include <cmath>
#include <limits>

namespace {

// Sizes past this are nonsense from the caller; they are held here so that keys and renderings stay sane.
constexpr double largestTargetSize = 16384;
// The memory cache's budget in kilobytes (an image costs its size in memory).
constexpr int imageCacheBudgetKB = 128 * 1024;

// Rounded half away from zero, at least 1.
int roundedTargetSize(double value)
{
    if (!std::isfinite(value))
        return 1;
    return int(qBound(1.0, std::round(value), largestTargetSize));
}

// The path made absolute, with "." and ".." resolved and symbolic links left alone.
QString standardizedPath(const QString &path)
{
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
}

std::optional<QByteArray> pngData(const QImage &image)
{
    if (image.isNull())
        return std::nullopt;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        return std::nullopt;
    return bytes;
}

bool writeAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

int imageCost(const QImage &image)
{
    return int(qBound<qint64>(1, image.sizeInBytes() / 1024, qint64(imageCacheBudgetKB)));
}

} // namespace

// --- Metadata ------------------------------------------------------------------------------------------------

QByteArray FilePreviewCache::Metadata::toJson() const
{
    QJsonObject object;
    object.insert(QLatin1String("sourcePath"), sourcePath);
    object.insert(QLatin1String("modificationTime"), modificationTime);
    object.insert(QLatin1String("fileSize"), fileSize);
    object.insert(QLatin1String("targetWidth"), targetWidth);
    object.insert(QLatin1String("targetHeight"), targetHeight);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<FilePreviewCache::Metadata> FilePreviewCache::Metadata::fromJson(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const QJsonValue path = object.value(QLatin1String("sourcePath"));
    const QJsonValue time = object.value(QLatin1String("modificationTime"));
    const QJsonValue size = object.value(QLatin1String("fileSize"));
    const QJsonValue width = object.value(QLatin1String("targetWidth"));
    const QJsonValue height = object.value(QLatin1String("targetHeight"));
    if (!path.isString() || !time.isDouble() || !size.isDouble() || !width.isDouble() || !height.isDouble())
        return std::nullopt;
    const auto isIntegral = [](const QJsonValue &value) {
        const double number = value.toDouble();
        return std::isfinite(number) && std::trunc(number) == number;
    };
    if (!isIntegral(size) || !isIntegral(width) || !isIntegral(height))
        return std::nullopt;
    Metadata metadata;
    metadata.sourcePath = path.toString();
    metadata.modificationTime = time.toDouble();
    metadata.fileSize = size.toInteger();
    metadata.targetWidth = width.toInt();
    metadata.targetHeight = height.toInt();
    return metadata;
}

bool FilePreviewCache::Metadata::matches(
    const QString &path, const SourceSignature &signature, int width, int height) const
{
    return sourcePath == path && modificationTime == signature.modificationTime && fileSize == signature.fileSize
        && targetWidth == width && targetHeight == height;
}

// --- The cache -------------------------------------------------------------------------------------------------

FilePreviewCache::FilePreviewCache(QString directory, const IconProvider &iconProvider, QObject *parent)
    : QObject(parent), m_directory(std::move(directory)), m_iconProvider(iconProvider), m_imageCache(imageCacheBudgetKB)
{
    m_generationQueue.setMaxThreadCount(1);
    m_generationQueue.setThreadPriority(QThread::LowPriority);
    m_generationQueue.setObjectName(QStringLiteral("com.varnisto.file-preview-cache"));
}

FilePreviewCache::~FilePreviewCache()
{
    m_generationQueue.clear();
    m_generationQueue.waitForDone();
}

QString FilePreviewCache::cacheKey(const QString &path, int width, int height)
{
    const QString text = standardizedPath(path) + QLatin1Char('\n') + QString::number(width) + QLatin1Char('\n')
        + QString::number(height);
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
}

std::optional<FilePreviewCache::SourceSignature> FilePreviewCache::sourceSignature(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    const QDateTime modified = info.lastModified();
    if (!modified.isValid())
        return std::nullopt;
    return SourceSignature {double(modified.toMSecsSinceEpoch()) / 1000.0, info.size()};
}

QString FilePreviewCache::pngPath(const QString &key) const
{
    return m_directory + QLatin1Char('/') + key + QLatin1String(".png");
}

QString FilePreviewCache::jsonPath(const QString &key) const
{
    return m_directory + QLatin1Char('/') + key + QLatin1String(".json");
}

void FilePreviewCache::insertImage(const QString &key, const QImage &image)
{
    QMutexLocker locker(&m_imageCacheLock);
    m_imageCache.insert(key, new QImage(image), imageCost(image));
}

std::optional<QImage> FilePreviewCache::cachedPreview(const QString &path, const QString &key, int width, int height)
{
    const auto signature = sourceSignature(path);
    if (!signature)
        return std::nullopt;
    QFile json(jsonPath(key));
    if (!json.open(QIODevice::ReadOnly))
        return std::nullopt;
    const auto metadata = Metadata::fromJson(json.readAll());
    // The memory cache is asked only after the record on disk has been checked, so a changed file is never
    // answered from memory.
    if (!metadata || !metadata->matches(path, *signature, width, height))
        return std::nullopt;
    {
        QMutexLocker locker(&m_imageCacheLock);
        if (const QImage *image = m_imageCache.object(key))
            return *image;
    }
    const QImage image(pngPath(key), "PNG");
    if (image.isNull())
        return std::nullopt;
    insertImage(key, image);
    return image;
}

bool FilePreviewCache::writeEntry(const QString &key, const QByteArray &png, const Metadata &metadata) const
{
    if (!QDir().mkpath(m_directory))
        return false;
    if (!writeAtomically(pngPath(key), png))
        return false;
    return writeAtomically(jsonPath(key), metadata.toJson());
}

QImage FilePreviewCache::preview(
    const QString &path, double width, double height, const QObject *context, Completion completion)
{
    const int targetWidth = roundedTargetSize(width);
    const int targetHeight = roundedTargetSize(height);
    const QString key = cacheKey(path, targetWidth, targetHeight);
    if (auto cached = cachedPreview(path, key, targetWidth, targetHeight))
        return *cached;

    const int iconSize = qBound(16, qMax(targetWidth, targetHeight), 512);
    const QImage icon = m_iconProvider.fileIcon(path, iconSize);
    const auto signature = sourceSignature(path);
    if (!signature)
        return icon;

    const Metadata metadata {path, signature->modificationTime, signature->fileSize, targetWidth, targetHeight};

    if (isImageFilePath(path)) {
        {
            QMutexLocker locker(&m_pendingLock);
            if (m_pendingKeys.contains(key))
                return icon; // already rendering: only the first caller hears about it
            m_pendingKeys.insert(key);
            ++m_startedRenderings;
        }
        const int maximumPixelSize = qMax(targetWidth, targetHeight);
        QPointer<const QObject> receiver(context ? context : this);
        m_generationQueue.start([this, key, path, maximumPixelSize, targetWidth, targetHeight, signature = *signature,
                                    receiver, completion = std::move(completion)] {
            generatePreview(key, path, maximumPixelSize, targetWidth, targetHeight, signature, receiver, completion);
        });
        return icon;
    }

    // Any other file: its icon is the preview.
    const auto png = pngData(icon);
    if (!png)
        return icon;
    writeEntry(key, *png, metadata);
    insertImage(key, icon);
    return icon;
}

void FilePreviewCache::generatePreview(const QString &key, const QString &path, int maximumPixelSize, int width,
    int height, SourceSignature signature, QPointer<const QObject> context, Completion completion)
{
    const auto png = thumbnailPNGData(path, maximumPixelSize);
    if (png && writeEntry(key, *png, {path, signature.modificationTime, signature.fileSize, width, height})) {
        const QImage image = QImage::fromData(*png, "PNG");
        if (!image.isNull()) {
            insertImage(key, image);
            if (completion) {
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(),
                    [context, completion = std::move(completion), image] {
                        if (context)
                            completion(image);
                    },
                    Qt::QueuedConnection);
            }
        }
    }
    QMutexLocker locker(&m_pendingLock);
    m_pendingKeys.remove(key);
}

std::optional<QByteArray> FilePreviewCache::thumbnailPNGData(const QString &path, int maximumPixelSize)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const int limit = qMax(1, maximumPixelSize);
    const QSize sourceSize = reader.size();
    if (sourceSize.isValid() && qMax(sourceSize.width(), sourceSize.height()) > limit)
        reader.setScaledSize(sourceSize.scaled(limit, limit, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    // Formats that do not announce their size are decoded whole and scaled afterwards.
    if (qMax(image.width(), image.height()) > limit)
        image = image.scaled(limit, limit, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return pngData(image);
}

std::optional<QSizeF> FilePreviewCache::displaySize(const QString &path)
{
    if (!isImageFilePath(path))
        return std::nullopt;
    const auto signature = sourceSignature(path);
    if (!signature)
        return std::nullopt;
    const auto cached = m_displaySizeCache.constFind(path);
    if (cached != m_displaySizeCache.constEnd() && cached->signature == *signature)
        return cached->size;

    const QSize pixels = QImageReader(path).size();
    if (pixels.width() <= 0 || pixels.height() <= 0)
        return std::nullopt;
    const QSizeF size = imageSizeInPoints(pixels, path);
    m_displaySizeCache.insert(path, {*signature, size});
    return size;
}

void FilePreviewCache::removeAll()
{
    {
        QMutexLocker locker(&m_imageCacheLock);
        m_imageCache.clear();
    }
    m_displaySizeCache.clear();
    {
        QMutexLocker locker(&m_pendingLock);
        m_pendingKeys.clear();
    }
    QDir(m_directory).removeRecursively();
}

void FilePreviewCache::removeEntries(const std::function<bool(const QString &sourcePath)> &shouldRemove)
{
    const QDir directory(m_directory);
    if (!directory.exists())
        return;
    const QStringList records = directory.entryList({QStringLiteral("*.json")}, QDir::Files | QDir::Hidden);
    for (const QString &name : records) {
        QFile file(directory.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const auto metadata = Metadata::fromJson(file.readAll());
        file.close();
        if (!metadata || !shouldRemove(metadata->sourcePath))
            continue;
        const QString key = name.chopped(5);
        QFile::remove(jsonPath(key));
        QFile::remove(pngPath(key));
        {
            QMutexLocker locker(&m_imageCacheLock);
            m_imageCache.remove(key);
        }
        m_displaySizeCache.remove(metadata->sourcePath);
    }
}

void FilePreviewCache::removePreviewsExcept(const QSet<QString> &keptPaths)
{
    removeEntries([&](const QString &sourcePath) { return !keptPaths.contains(sourcePath); });
}

void FilePreviewCache::removePreviews(const QSet<QString> &paths)
{
    if (paths.isEmpty())
        return;
    removeEntries([&](const QString &sourcePath) { return paths.contains(sourcePath); });
}
