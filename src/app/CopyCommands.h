#pragma once

#include "ClipboardItem.h"
#include "PasteVariant.h"

#include <QList>
#include <QString>

#include <optional>

class AppModel;
class Clock;
class CommandFeedback;
class HistoryWrites;
class PasteService;
class PasteTarget;
class PasteboardMonitor;

// The commands that put history items on the clipboard without pasting them, and the one that merges several items
// into a new history item. Main thread only.
class CopyCommands final
{
public:
    CopyCommands(AppModel &model, HistoryWrites &writes, PasteService &pasteService,
        PasteboardMonitor &clipboardMonitor, CommandFeedback &feedback, const PasteTarget &pasteTarget,
        const Clock &clock);

    bool copyItem(const ClipboardItem &item, PasteVariant variant);
    bool copyItemAsPlainText(const ClipboardItem &item);
    bool copyText(const QString &text);
    bool copyMergedItems(const QList<ClipboardItem> &items);
    // The merged item's source is the application the user works in: while our window is in front, the one that
    // was in front before it.
    void mergeSelectedItems(const QList<ClipboardItem> &items);

private:
    // The items' texts (file items: their paths) one a line; nothing when an item gives none (an image).
    static std::optional<QString> mergedText(const QList<ClipboardItem> &items);
    // The clipboard was written: the paste time and the copy sound.
    bool succeeded();
    bool failed(const QString &description);

    AppModel &m_model;
    HistoryWrites &m_writes;
    PasteService &m_pasteService;
    PasteboardMonitor &m_clipboardMonitor;
    CommandFeedback &m_feedback;
    const PasteTarget &m_pasteTarget;
    const Clock &m_clock;
};
