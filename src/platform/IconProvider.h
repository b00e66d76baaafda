#pragma once

#include <QImage>
#include <QString>

// Icons of files as the desktop shows them.
class IconProvider
{
public:
    virtual ~IconProvider() = default;

    // The icon of the file at the path (which need not exist), rendered to fit a square of the pixel size. Never
    // null.
    virtual QImage fileIcon(const QString &path, int pixelSize) const = 0;
};

// The desktop's icon theme: the icon named by the file's MIME type, else its generic icon, else the style's
// file or folder icon. Call on the GUI thread.
class DesktopIconProvider final : public IconProvider
{
public:
    QImage fileIcon(const QString &path, int pixelSize) const override;
};
