#include "FileTypes.h"

#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>

#include <algorithm>

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
        // Only the extension counts, as the platform answers every extension with some type; the answer for an
        // extension is looked up once per thread.
        thread_local QHash<QString, bool> isImageExtension;
        const auto known = isImageExtension.constFind(extension);
        if (known != isImageExtension.constEnd())
            return *known;
        const QList<QMimeType> types = database.mimeTypesForFileName(QLatin1String("file.") + extension);
        const bool isImage = std::any_of(types.cbegin(), types.cend(), conformsToImage);
        isImageExtension.insert(extension, isImage);
        return isImage;
    }
    if (!info.isFile() || !info.isReadable())
        return false;
    return conformsToImage(database.mimeTypeForFile(info, QMimeDatabase::MatchContent));
}
