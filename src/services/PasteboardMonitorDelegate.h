#pragma once

#include "ClipboardItem.h"
#include "HistoryStore.h"

#include <QList>

// What the pasteboard monitor tells its owner. Every call comes on the GUI thread, from the event loop after the
// monitor's tick has returned, and never once the monitor is gone.
class PasteboardMonitorDelegate
{
public:
    virtual ~PasteboardMonitorDelegate() = default;

    // A capture was stored. `item` is the item as it now stands in the store; `updatedItems` are other stored items
    // whose copy-sequence data the capture changed.
    virtual void pasteboardMonitorDidCapture(const ClipboardItem &item, const QList<ClipboardItem> &updatedItems) = 0;

    // The retention prune that followed a capture removed these items from the store; their files are deleted.
    virtual void pasteboardMonitorDidPrune(const HistoryRemoval &removal) = 0;

    // Text recognised in a stored item's image arrived after its capture and is stored now.
    virtual void pasteboardMonitorDidUpdate(const ClipboardItem &item) = 0;
};
