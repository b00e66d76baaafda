#pragma once

#include "ClipboardItem.h"
#include "CommandFailure.h"
#include "Expected.h"
#include "PasteSeparator.h"
#include "PasteVariant.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QUuid>

#include <chrono>
#include <functional>
#include <optional>

class AppModel;
class Clock;
class CommandFeedback;
class HistoryWindow;
class HistoryWrites;
class PasteService;
class PasteboardMonitor;
class Scheduler;

// The commands that paste history items into the application that was in front: one item, the selection, several
// items one after another, and the next item of the paste-next walk. Each paste goes through the paste service
// (write, Ctrl+V, the key that follows), then plays the paste sound and counts the copy. Main thread only.
class PasteCommands final : public QObject
{
    Q_OBJECT

public:
    // Between the items of a multi-item paste: the separator key follows the previous paste after this long, and
    // the next paste follows the previous paste (or the separator) after `itemInterval`.
    static constexpr std::chrono::milliseconds separatorDelay {80};
    static constexpr std::chrono::milliseconds itemInterval {160};

    // The history window, when it has been built.
    using HistoryWindowLookup = std::function<HistoryWindow *()>;

    PasteCommands(AppModel &model, PasteService &pasteService, PasteboardMonitor &clipboardMonitor,
        HistoryWrites &writes, CommandFeedback &feedback, const Clock &clock, Scheduler &scheduler,
        HistoryWindowLookup historyWindow);

    void paste(const ClipboardItem &item, PasteVariant variant);
    void pasteSelectedItems();
    void pasteItems(const QList<ClipboardItem> &items, const QHash<QUuid, PasteVariant> &variantsByID,
        std::optional<PasteSeparator> separator);
    void pasteNext(std::optional<PasteVariant> variant);

    // The paste-next position goes back to the first candidate of the list as it is shown now, and paste-next
    // walks that order until the next reset.
    void resetPasteNextItem();
    // Makes the item the whole selection of the model (nothing: no selection).
    static void selectSingleItem(AppModel &model, const std::optional<QUuid> &id);

private:
    class MultiItemPaste;
    // What the tests look into.
    friend class AppCoordinatorProbe;

    // plainText for the five text-like kinds when preferPastingAsPlainText is on, else standard.
    PasteVariant defaultPasteVariant(const ClipboardItem &item) const;
    // The items paste-next may paste: without the favourites while favourites are pinned to the top.
    QList<ClipboardItem> pasteNextCandidates(const QList<ClipboardItem> &items) const;
    // The candidate paste-next pastes: the one at the paste-next position, else the focused one, else the first.
    std::optional<ClipboardItem> pasteNextTarget(const QList<ClipboardItem> &candidates) const;
    // The candidate after the one with this id, in the order of the last reset, wrapping at the end.
    std::optional<QUuid> itemIDAfter(const QUuid &id, const QList<ClipboardItem> &candidates) const;

    void hideForPaste();
    // Everything of a paste after the window was hidden: the paste service's paste (the check for key input, the
    // write, the keystroke and the key that follows), the sound, the copy count and the paste time.
    Expected<void, CommandFailure> pasteWithoutHiding(const ClipboardItem &item, PasteVariant variant);

    AppModel &m_model;
    PasteService &m_pasteService;
    PasteboardMonitor &m_clipboardMonitor;
    HistoryWrites &m_writes;
    CommandFeedback &m_feedback;
    const Clock &m_clock;
    Scheduler &m_scheduler;
    const HistoryWindowLookup m_historyWindow;
    std::optional<QUuid> m_pasteNextItemID;
    // The order of the paste-next candidates when the position was last reset; paste-next walks it, so that a
    // pasted item moving to the top does not change which item comes next.
    QList<QUuid> m_pasteNextOrder;
};
