#include "ImageAssetCleanup.h"

#include "SupportFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace {

constexpr qsizetype readPortion = 500;

void forgetReferencedFiles(QHash<QString, QString> &candidates, const QList<ClipboardItem> &items)
{
    for (const ClipboardItem &item : items) {
        if (item.assetPath)
            candidates.remove(QFileInfo(*item.assetPath).fileName());
    }
}

} // namespace

QStringList ImageAssetCleanup::removeUnreferencedImages(
    const SupportFolder &support, const QList<ClipboardItem> &loadedItems, HistoryStore &store)
{
    // File name -> path of every regular file in the folder that nothing known refers to yet.
    QHash<QString, QString> candidates;
    const QFileInfoList files
        = QDir(support.imagesDirectory()).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo &file : files)
        candidates.insert(file.fileName(), file.absoluteFilePath());
    forgetReferencedFiles(candidates, loadedItems);
    if (candidates.isEmpty())
        return {};

    const auto storedIDs = store.loadItemIDs();
    if (!storedIDs)
        return {};
    QSet<QUuid> loadedIDs;
    for (const ClipboardItem &item : loadedItems)
        loadedIDs.insert(item.id);
    QList<QUuid> unread;
    for (const QUuid &id : *storedIDs) {
        if (!loadedIDs.contains(id))
            unread.append(id);
    }
    for (qsizetype start = 0; start < unread.size() && !candidates.isEmpty(); start += readPortion) {
        const QList<QUuid> portion = unread.mid(start, readPortion);
        const auto items = store.loadItems(portion);
        // A row that cannot be read may refer to any of the files.
        if (!items || items->size() != portion.size())
            return {};
        forgetReferencedFiles(candidates, *items);
    }

    QStringList removed;
    for (const QString &path : std::as_const(candidates)) {
        if (support.removeFile(path))
            removed.append(path);
    }
    removed.sort();
    return removed;
}
