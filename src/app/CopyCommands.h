#pragma once

#include "ClipboardItem.h"
#include "Expected.h"
#include "HistoryStoreError.h"
#include "PasteVariant.h"

#include <QList>
#include <QString>

#include <optional>

class AppCoordinator;
class PasteboardContent;

// The commands that put history items on the clipboard without pasting them, and the one that merges several items
// into a new history item. Main thread only.
class CopyCommands final
{
public:
    explicit CopyCommands(AppCoordinator &coordinator);

    bool copyItem(const ClipboardItem &item, PasteVariant variant);
    bool copyItemAsPlainText(const ClipboardItem &item);
    bool copyText(const QString &text);
    bool copyMergedItems(const QList<ClipboardItem> &items);
    void mergeSelectedItems(const QList<ClipboardItem> &items);
    static std::optional<QString> mergedText(const QList<ClipboardItem> &items);
    Expected<void, HistoryStoreError> removeDuplicatesOfItem(const ClipboardItem &item);

private:
    // The clipboard was written: the paste time and the copy sound.
    bool succeeded();
    bool failed(const QString &description);
    bool writePlainText(const QString &text, bool marked);

    AppCoordinator &m_coordinator;
};
