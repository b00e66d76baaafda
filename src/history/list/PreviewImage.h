#pragma once

#include <QImage>
#include <QRectF>
#include <QSizeF>

class QPainter;

// A thumbnail inside a history row: the picture of an image item, or the rendered preview of a single file. The
// image keeps its aspect ratio, sits at the left of its box and in the middle of its height, is never drawn larger
// than its own size or its box, and has rounded corners. The image can be replaced, for example when a file's
// rendered preview arrives; the ratio follows the new one.
class PreviewImage
{
public:
    static constexpr qreal cornerRadius = 8;

    explicit PreviewImage(QImage image = QImage()) { setImage(std::move(image)); }

    void setImage(QImage image);
    const QImage &image() const { return m_image; }
    // Width over height of the image; a side of no length counts as 1, so an empty image is square.
    qreal aspectRatio() const { return m_aspectRatio; }

    // Where the image goes in the box.
    QRectF imageRect(const QRectF &box) const { return fittedRect(box, m_aspectRatio, imageSizeInPoints()); }
    void paint(QPainter &painter, const QRectF &box) const;

    // The rectangle of the given aspect ratio as large as fits in the box and the natural size (when it has one),
    // at the box's left edge, centred vertically.
    static QRectF fittedRect(const QRectF &box, qreal aspectRatio, QSizeF naturalSize = QSizeF());
    // The ratio of a size, with sides below 1 counted as 1.
    static qreal aspectRatioOf(QSizeF size);

private:
    QSizeF imageSizeInPoints() const;

    QImage m_image;
    qreal m_aspectRatio = 1;
};
