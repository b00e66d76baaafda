#include "PreviewImage.h"

#include <QPainter>
#include <QPainterPath>

void PreviewImage::setImage(QImage image)
{
    m_image = std::move(image);
    m_aspectRatio = aspectRatioOf(imageSizeInPoints());
}

qreal PreviewImage::aspectRatioOf(QSizeF size)
{
    return qMax(size.width(), 1.0) / qMax(size.height(), 1.0);
}

QSizeF PreviewImage::imageSizeInPoints() const
{
    if (m_image.isNull())
        return QSizeF();
    return QSizeF(m_image.size()) / m_image.devicePixelRatio();
}

QRectF PreviewImage::fittedRect(const QRectF &box, qreal aspectRatio, QSizeF naturalSize)
{
    if (box.width() <= 0 || box.height() <= 0 || aspectRatio <= 0)
        return QRectF(box.topLeft(), QSizeF(0, 0));
    qreal width = box.width();
    qreal height = width / aspectRatio;
    if (height > box.height()) {
        height = box.height();
        width = height * aspectRatio;
    }
    // Scaled down only, never up.
    if (naturalSize.width() > 0 && naturalSize.height() > 0 && width > naturalSize.width()) {
        width = naturalSize.width();
        height = width / aspectRatio;
    }
    return QRectF(box.left(), box.top() + (box.height() - height) / 2, width, height);
}

void PreviewImage::paint(QPainter &painter, const QRectF &box) const
{
    if (m_image.isNull())
        return;
    const QRectF target = imageRect(box);
    if (target.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addRoundedRect(target, cornerRadius, cornerRadius);
    painter.setClipPath(clip, Qt::IntersectClip);
    painter.drawImage(target, m_image);
    painter.restore();
}
