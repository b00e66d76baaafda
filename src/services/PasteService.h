#pragma once

#include "ClipboardItem.h"
#include "Expected.h"
#include "KeyPoster.h"
#include "PasteServiceError.h"
#include "PasteVariant.h"
#include "Pasteboard.h"
#include "Scheduler.h"

#include <QObject>

#include <chrono>

// Puts one history item back on the clipboard in the form a paste variant asks for, and posts the key presses
// that paste it into the application the user works in. Every write carries our marker type, so the capture does
// not take the item in a second time. A write replaces the clipboard in one step: a write that cannot be made
// fails and leaves the clipboard as it was. Used on the main thread.
class PasteService : public QObject
{
    Q_OBJECT

public:
    // The pause between Ctrl+V and the Return or Tab of pasteAndReturn and pasteAndTab.
    static constexpr std::chrono::milliseconds followingKeyDelay {60};

    // The scheduler times the key that follows a paste.
    PasteService(Pasteboard &pasteboard, KeyPoster &keyPoster, Scheduler &scheduler, QObject *parent = nullptr);

    // Replaces the clipboard's content with the item in the variant's form: filePath writes the item's file paths,
    // one a line, as text; plainText the item's plain-text rendering; the other variants writeRich().
    Expected<void, PasteServiceError> write(const ClipboardItem &item, PasteVariant variant);
    // The item in its own form: rich text as RTF, HTML and text; files as file URLs; an image as PNG; every other
    // kind as its text.
    Expected<void, PasteServiceError> writeRich(const ClipboardItem &item);
    // Replaces the clipboard's content with a plain text. With our marker the capture skips it; as a new copy it is
    // captured like any copy, with this program as its source application.
    enum class Marker { ours, newCopy };
    Expected<void, PasteServiceError> writeText(const QString &text, Marker marker);

    // One key press of a virtual key (VirtualKey) with modifier flags (KeyEventFlag).
    void postKeyPress(quint16 keyCode, quint64 flags);
    // The same after a delay on the scheduler; nothing is posted when the service is gone by then.
    void postKeyPressAfterDelay(quint16 keyCode, quint64 flags, std::chrono::milliseconds delay);
    // The paste keystroke: Command-V (Ctrl+V here) at once, then Return for pasteAndReturn or Tab for pasteAndTab
    // after followingKeyDelay.
    void postPasteKeystroke(PasteVariant variant);

    // The whole paste: refuses with accessibilityPermissionRequired before touching the clipboard when key presses
    // cannot be posted, writes the item and posts the paste keystroke.
    Expected<void, PasteServiceError> paste(const ClipboardItem &item, PasteVariant variant);

    // What write() puts on the clipboard, or the reason it cannot.
    static Expected<PasteboardContent, PasteServiceError> content(const ClipboardItem &item, PasteVariant variant);

private:
    Expected<void, PasteServiceError> writeContent(const Expected<PasteboardContent, PasteServiceError> &content);

    Pasteboard &m_pasteboard;
    KeyPoster &m_keyPoster;
    Scheduler &m_scheduler;
};
