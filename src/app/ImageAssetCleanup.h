#pragma once

#include "ClipboardItem.h"
#include "HistoryStore.h"

#include <QList>
#include <QStringList>

class SupportFolder;

// Image files that outlived their items (a crash between writing an image and storing its item, or an older
// version that did not delete them) are removed at start-up.
namespace ImageAssetCleanup {

// Removes the files in the support folder's images directory that no stored item refers to, and answers their paths. An
// item refers to a file by its asset path; the file name decides, so that a history whose folder was moved keeps its
// images. `loadedItems` are items known to be stored; the store is read only for files that none of them refers to.
// When the stored items cannot all be read, nothing is removed.
QStringList removeUnreferencedImages(
    const SupportFolder &support, const QList<ClipboardItem> &loadedItems, HistoryStore &store);

} // namespace ImageAssetCleanup
