#include "IconProvider.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QMimeDatabase>
#include <QPixmap>

QImage DesktopIconProvider::fileIcon(const QString &path, int pixelSize) const
{
    const QSize size(qMax(1, pixelSize), qMax(1, pixelSize));
    const QFileInfo info(path);

    QIcon icon;
    if (!info.isDir()) {
        const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
        icon = QIcon::fromTheme(type.iconName());
        if (icon.isNull())
            icon = QIcon::fromTheme(type.genericIconName());
    }
    if (icon.isNull())
        icon = QFileIconProvider().icon(info);

    QImage image;
    if (!icon.isNull())
        image = icon.pixmap(size, 1.0).toImage();
    if (image.isNull()) {
        // No theme and no style icon: a plain sheet keeps the caller's layout intact.
        image = QImage(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(QColor(0xE0, 0xE0, 0xE0));
    }
    if (image.size() != size)
        image = image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}
