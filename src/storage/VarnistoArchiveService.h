#pragma once

#include "ArchiveFileManager.h"
#include "ClipboardItem.h"
#include "Expected.h"
#include "HistoryStore.h"
#include "Tag.h"
#include "VarnistoArchiveError.h"
#include "VarnistoArchiveRecords.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// Progress of an export or import: (steps done, steps in all). An export has a step for each item; an import
// one for each tag record and then one for each item record. Called on the thread that runs the operation.
using VarnistoArchiveProgress = std::function<void(qint64 completed, qint64 total)>;

struct VarnistoArchiveExportResult
{
    QString url; // the archive folder
    qint64 itemCount = 0;
    qint64 tagCount = 0;
};

struct VarnistoArchiveImportResult
{
    qint64 itemCount = 0; // item records in "history.json"
    qint64 tagCount = 0; // tag records in "tags.json"
};

// Writes the history and its tags into an archive folder and reads such a folder back into a history store.
// Both run synchronously on the calling thread, which is meant to be a worker: the service touches no user
// interface and takes no lock of its own (the store locks each of its operations). One service object serves
// one operation.
//
// An export is written into a hidden folder beside the destination and put in its place only when complete,
// so a failed export leaves whatever stood at the destination as it was. An archive comes from outside: import
// reads its files with size limits and copies an asset only when it is a regular file inside the archive,
// reached without symbolic links.
class VarnistoArchiveService
{
public:
    template<typename T> using Result = Expected<T, VarnistoArchiveError>;

    static constexpr qint64 supportedFormatVersion = 1;
    // No archive file larger than this is read.
    static constexpr qint64 maximumArchiveFileSize = qint64(1) << 30;

    VarnistoArchiveService(const ArchiveFileManager &fileManager, QString supportDirectory);

    // Exports the given items and tags, in their order.
    Result<VarnistoArchiveExportResult> exportArchive(const QList<ClipboardItem> &items, const QList<Tag> &tags,
        const QString &destination, const VarnistoArchiveProgress &progress = {}) const;
    // Exports every item the store holds (newest first) and every tag, reading the items a portion at a time.
    Result<VarnistoArchiveExportResult> exportArchive(
        HistoryStore &store, const QString &destination, const VarnistoArchiveProgress &progress = {}) const;

    // Adds the archive's tags and items to the store and copies their files into the support folder. The tags
    // are written together (in one transaction of the store), then the items a few at a time: what was stored
    // before a failure stays. A folder whose name cannot be found again from the path fails with
    // `unreadableFolderName`.
    Result<VarnistoArchiveImportResult> importArchive(
        const QString &archive, HistoryStore &store, const VarnistoArchiveProgress &progress = {}) const;
    // The path's bytes on the file system. A name whose bytes are not UTF-8 reaches a QString (from a file
    // dialog, say) only with U+FFFD in place of those bytes, and encoding it again does not lead back to it: such
    // a name is found again among the entries of its folder whose names read the same. Nothing when none or
    // several do. importArchive() takes its folder through this.
    static std::optional<QByteArray> nativePathOf(const QString &path);
    // The same for a folder named by its path as the file system has it. A path whose bytes are not UTF-8
    // (a folder name from another system) cannot be held by a QString without loss; this one reaches it.
    Result<VarnistoArchiveImportResult> importArchiveAtNativePath(
        const QByteArray &archive, HistoryStore &store, const VarnistoArchiveProgress &progress = {}) const;

    // The name in the folder, or, when something stands there, the first free one of "stem-1.ext",
    // "stem-2.ext", ...
    QString uniqueDestinationPath(const QString &directory, const QString &fileName) const;

private:
    class ItemSource;
    class ListSource;
    class StoreSource;

    Result<VarnistoArchiveExportResult> exportFrom(ItemSource &source, const QList<Tag> &tags,
        const QString &destination, const VarnistoArchiveProgress &progress) const;
    Result<VarnistoArchiveItem> makeArchiveItem(const ClipboardItem &item, const QHash<qint64, QString> &tagNames,
        const QString &imagesDirectory, const QString &previewsDirectory) const;
    Result<std::optional<QString>> exportAsset(const std::optional<QString> &path, const QString &directory) const;
    Result<void> putInPlace(const QString &staging, const QString &destination) const;
    bool overlapsSupportDirectory(const QString &path) const;

    struct ImportContext;
    Result<ClipboardItem> makeClipboardItem(const VarnistoArchiveItem &record, const ImportContext &context) const;
    Result<std::optional<QString>> importAsset(const std::optional<QString> &path, const ImportContext &context,
        const QString &directory, const QString &baseName) const;

    const ArchiveFileManager &m_fileManager;
    const QString m_supportDirectory;
};
