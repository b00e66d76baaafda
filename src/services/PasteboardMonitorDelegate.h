#pragma once

#include "ClipboardItem.h"
#include "HistoryStore.h"
#include "Pasteboard.h"

#include <QList>

// What the pasteboard monitor tells its owner. Every call comes on the GUI thread, from the event loop after the
// monitor's tick has returned, and never once the monitor is gone.
class PasteboardMonitorDelegate
{
public:
    virtual ~PasteboardMonitorDelegate() = default;

    // A capture was stored. `item` is the item as it now stands in the store: the new item, the older item of
    // the same content that the copy was merged into, or the item that copy-and-merge appended the copy to.
    // `updatedItems` are other stored items whose copy-sequence data the capture changed (none or one).
    virtual void pasteboardMonitorDidCapture(const ClipboardItem &item, const QList<ClipboardItem> &updatedItems) = 0;

    // The retention prune that followed a capture removed these items from the store; they are to leave memory.
    // The files listed (image assets, link-preview pictures) are already deleted where they lie in the support
    // directory. Comes before the capture's own pasteboardMonitorDidCapture.
    virtual void pasteboardMonitorDidPrune(const HistoryRemoval &removal) = 0;

    // Text or QR codes recognised in a stored item's image arrived after its capture and are stored now. The
    // item as it stands in the store replaces the one in memory.
    virtual void pasteboardMonitorDidUpdate(const ClipboardItem &item) = 0;

    // A copy was not kept: its content is larger than the clipboard is read for (`leftOut` says which
    // representation and its limit). Nothing else comes of that copy.
    virtual void pasteboardMonitorDidRefuse(const OversizedContent &leftOut) { Q_UNUSED(leftOut); }
};
