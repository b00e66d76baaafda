#include "FileTypes.h"

#include <QFileInfo>
#include <QMimeDatabase>

namespace {

bool conformsToImage(const QMimeType &type)
{
    if (!type.isValid())
        return false;
    if (type.name().startsWith(QLatin1String("image/")))
        return true;
    const QStringList ancestors = type.allAncestors();
    for (const QString &ancestor : ancestors) {
        if (ancestor.startsWith(QLatin1String("image/")))
            return true;
    }
    return false;
}

} // namespace

bool isImageMimeTypeName(const QString &mimeTypeName)
{
    return conformsToImage(QMimeDatabase().mimeTypeForName(mimeTypeName));
}

bool isImageFilePath(const QString &path)
{
    const QMimeDatabase database;
    const QFileInfo info(path);
    const QString extension = info.suffix();
    if (!extension.isEmpty()) {
        // Only the extension counts, as the platform answers every extension with some type.
        const QList<QMimeType> types = database.mimeTypesForFileName(QLatin1String("file.") + extension);
        for (const QMimeType &type : types) {
            if (conformsToImage(type))
                return true;
        }
        return false;
    }
    if (!info.isFile() || !info.isReadable())
        return false;
    return conformsToImage(database.mimeTypeForFile(info, QMimeDatabase::MatchContent));
}
