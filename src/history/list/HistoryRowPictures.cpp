#include "HistoryRowPictures.h"

#include "FilePreviewCache.h"
#include "FileTypes.h"
#include "HistoryRowMetrics.h"
#include "HistoryRowParts.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>

namespace {

QImage decode(const QString &path, QSize pixelSize, bool cover, qreal cornerRadius)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QSize full = reader.size();
    if (full.isValid() && (reader.transformation() & QImageIOHandler::TransformationRotate90))
        full.transpose();
    if (full.isValid() && pixelSize.isValid()) {
        const QSize wanted = full.scaled(pixelSize, cover ? Qt::KeepAspectRatioByExpanding : Qt::KeepAspectRatio);
        if (wanted.width() < full.width() && wanted.height() < full.height()) {
            // The reader scales before the orientation is applied.
            reader.setScaledSize(
                reader.transformation() & QImageIOHandler::TransformationRotate90 ? wanted.transposed() : wanted);
        }
    }
    QImage image = reader.read();
    if (!image.isNull() && pixelSize.isValid()) {
        const QSize wanted
            = image.size().scaled(pixelSize, cover ? Qt::KeepAspectRatioByExpanding : Qt::KeepAspectRatio);
        if (wanted.width() < image.width() && wanted.height() < image.height())
            image = image.scaled(wanted, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    if (!cover || image.isNull() || !pixelSize.isValid())
        return image;
    // Cover: the middle of the picture, exactly the size, its corners rounded.
    QImage shaped(pixelSize, QImage::Format_ARGB32_Premultiplied);
    shaped.fill(Qt::transparent);
    QPainter painter(&shaped);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF box(QPointF(0, 0), QSizeF(pixelSize));
    if (cornerRadius > 0) {
        QPainterPath clip;
        clip.addRoundedRect(box, cornerRadius, cornerRadius);
        painter.setClipPath(clip);
    }
    painter.drawImage(box, image, aspectFillSourceRect(image.size(), box.size()));
    painter.end();
    return shaped;
}

} // namespace

HistoryRowPictures &HistoryRowPictures::shared()
{
    static HistoryRowPictures pictures;
    return pictures;
}

HistoryRowPictures::HistoryRowPictures() : m_pictures(48 * 1024)
{
    m_clock.start();
    m_workers.setMaxThreadCount(2);
}

HistoryRowPictures::~HistoryRowPictures()
{
    m_workers.clear();
    m_workers.waitForDone();
}

HistoryRowPictures::Picture HistoryRowPictures::picture(
    const QString &path, QSize pixelSize, bool cover, QWidget *repaintTarget, qreal cornerRadius)
{
    // Keyed with the file's signature, as the file previews are: a file rewritten in place (a refreshed link
    // preview) is decoded again, and one that could not be read is tried again once it changed.
    const std::optional<FilePreviewCache::SourceSignature> signature = FilePreviewCache::sourceSignature(path);
    const QString key = QString::number(pixelSize.width()) + QLatin1Char('x') + QString::number(pixelSize.height())
        + (cover ? QLatin1Char('c') + QString::number(cornerRadius) : QStringLiteral("f")) + QLatin1Char('|')
        + (signature ? QString::number(signature->modificationTime, 'f', 3) + QLatin1Char('/')
                    + QString::number(signature->fileSize)
                     : QStringLiteral("-"))
        + QLatin1Char('|') + path;
    if (const QImage *found = m_pictures.object(key))
        return {State::ready, *found};
    if (m_failed.contains(key))
        return {State::failed, {}};
    auto waiting = m_waiting.find(key);
    if (waiting == m_waiting.end()) {
        waiting = m_waiting.insert(key, {});
        m_workers.start([this, key, path, pixelSize, cover, cornerRadius] {
            const QImage image = decode(path, pixelSize, cover, cornerRadius);
            {
                QMutexLocker locker(&m_deliveredLock);
                m_delivered.append({key, image});
            }
            QMetaObject::invokeMethod(
                this,
                [this, key] {
                    QImage image;
                    bool found = false;
                    {
                        QMutexLocker locker(&m_deliveredLock);
                        for (qsizetype i = 0; i < m_delivered.size(); ++i) {
                            if (m_delivered.at(i).key == key) {
                                image = m_delivered.takeAt(i).image;
                                found = true;
                                break;
                            }
                        }
                    }
                    if (found)
                        deliver(key, image);
                },
                Qt::QueuedConnection);
        });
    }
    if (repaintTarget && !waiting->contains(repaintTarget))
        waiting->append(repaintTarget);
    return {State::pending, {}};
}

void HistoryRowPictures::deliver(const QString &key, const QImage &image)
{
    if (image.isNull())
        m_failed.insert(key);
    else
        m_pictures.insert(key, new QImage(image), qMax<qsizetype>(1, image.sizeInBytes() / 1024));
    repaint(key);
}

void HistoryRowPictures::repaint(const QString &key)
{
    for (const QPointer<QWidget> &widget : m_waiting.take(key)) {
        if (widget)
            widget->update();
    }
}

QImage HistoryRowPictures::filePreview(
    FilePreviewCache &cache, const QString &path, QSizeF size, QWidget *repaintTarget)
{
    const QString key
        = QString::number(size.width()) + QLatin1Char('x') + QString::number(size.height()) + QLatin1Char('|') + path;
    auto found = m_filePreviews.find(key);
    if (found != m_filePreviews.end() && now() - found->checkedAt < factLifetimeMilliseconds)
        return found->value;
    const QPointer<QWidget> target(repaintTarget);
    const QImage image
        = cache.preview(path, size.width(), size.height(), this, [this, key, target](const QImage &rendered) {
              m_filePreviews.insert(key, {rendered, now()});
              if (target)
                  target->update();
          });
    m_filePreviews.insert(key, {image, now()});
    return image;
}

HistoryRowPictures::FileFacts HistoryRowPictures::fileFacts(const QString &path)
{
    auto found = m_facts.find(path);
    if (found != m_facts.end() && now() - found->checkedAt < factLifetimeMilliseconds)
        return found->value;
    const QFileInfo info(path);
    const FileFacts facts {info.exists(), info.isDir(), isImageFilePath(path)};
    m_facts.insert(path, {facts, now()});
    return facts;
}

std::optional<QSize> HistoryRowPictures::imagePixelSize(const QString &path)
{
    auto found = m_pixelSizes.find(path);
    if (found != m_pixelSizes.end() && now() - found->checkedAt < factLifetimeMilliseconds)
        return found->value;
    // From the header, as the file states it, like the item's own pixel size.
    const QSize size = QImageReader(path).size();
    const std::optional<QSize> result = size.isValid() && !size.isEmpty() ? std::optional(size) : std::nullopt;
    m_pixelSizes.insert(path, {result, now()});
    return result;
}

QSizeF HistoryRowPictures::filePreviewSize(
    const HistoryRowMetrics &metrics, const ClipboardItem &item, qreal tableWidth, FilePreviewCache *cache)
{
    if (item.filePaths.isEmpty())
        return metrics.filePreviewSize(item, tableWidth, cache);
    const QString key = QString::number(tableWidth) + QLatin1Char('|') + item.filePaths.first();
    auto found = m_previewSizes.find(key);
    if (found != m_previewSizes.end() && now() - found->checkedAt < factLifetimeMilliseconds)
        return found->value;
    const QSizeF size = metrics.filePreviewSize(item, tableWidth, cache);
    m_previewSizes.insert(key, {size, now()});
    return size;
}

void HistoryRowPictures::finishPending()
{
    m_workers.waitForDone();
    QList<Decoded> delivered;
    {
        QMutexLocker locker(&m_deliveredLock);
        delivered = std::exchange(m_delivered, {});
    }
    for (const Decoded &each : std::as_const(delivered))
        deliver(each.key, each.image);
}

void HistoryRowPictures::clear()
{
    finishPending();
    m_pictures.clear();
    m_failed.clear();
    m_filePreviews.clear();
    m_facts.clear();
    m_pixelSizes.clear();
    m_previewSizes.clear();
}
