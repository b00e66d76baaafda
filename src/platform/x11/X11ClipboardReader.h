#pragma once

#include "Pasteboard.h"

#include <QByteArray>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>

// Watches the X11 CLIPBOARD selection and reads every new owner's content, on an X connection and a thread of
// its own, so that an owner that answers slowly or never costs the GUI thread nothing. XFixes reports each new
// owner; the reader then asks for the targets and fetches only those the history reads, each request bounded in
// time and size. A newer owner abandons the read in progress.
//
// A transfer in parts that is not read to its end is still ended, so that its owner is free again at once: one
// that is too large is taken part by part without the parts being fetched (each is only deleted, as the owner
// expects), and one abandoned for any other reason loses its window, which ends it for the owner.
//
// Owners whose windows belong to the application's own X connection (given by its resource id base and mask)
// are reported but not read: the application knows its own content.
class X11ClipboardReader final
{
public:
    struct Limits
    {
        int answerTimeoutMs = 1000; // the owner must answer a request, and send each part of a long one, within this
        int transferTimeoutMs = 5000; // one target's data must be complete within this
        qint64 maximumBytes = 64 * 1024 * 1024; // a larger target is skipped

        // How long the content of a change may take to arrive when one target is slow: the list of targets and
        // the answer to the request for the data each within the answer limit, then the data within the
        // transfer limit.
        qint64 contentArrivalLimitMs() const { return 2 * qint64(answerTimeoutMs) + transferTimeoutMs; }
    };

    enum class OwnerEvent {
        newOwner, // a client took the selection
        ownerLeft, // the owner's window or connection went away; the selection is empty
        cleared, // the owner gave the selection up; the selection is empty
    };

    struct OwnerChange
    {
        quint64 serial = 0; // rises with every change; a content read carries the serial of its change
        OwnerEvent event = OwnerEvent::newOwner;
        bool ownedByApplication = false;
        bool initial = false; // the owner found at start, not a change
    };

    // Called on the reader's thread, in the order the X server reported the changes.
    struct Handlers
    {
        std::function<void(const OwnerChange &)> ownerChanged;
        // `oversized`: the first wanted target that was left out for its size.
        std::function<void(quint64 serial, const PasteboardContent &, const std::optional<OversizedContent> &oversized)>
            contentRead;
    };

    X11ClipboardReader(const QByteArray &displayName, quint32 applicationResourceBase, quint32 applicationResourceMask,
        const Limits &limits, Handlers handlers);
    // Stops the thread and closes the connection.
    ~X11ClipboardReader();

    // False when the display could not be opened or lacks XFixes.
    bool isRunning() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
