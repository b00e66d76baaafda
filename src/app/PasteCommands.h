#pragma once

#include "AppCoordinator.h"
#include "ClipboardItem.h"
#include "Expected.h"
#include "PasteSeparator.h"
#include "PasteVariant.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QUuid>

#include <chrono>
#include <optional>

// The commands that paste history items into the application that was in front: one item, the selection, several
// items one after another, and the next item of the paste-next walk. Main thread only.
class PasteCommands final : public QObject
{
    Q_OBJECT

public:
    // Between the items of a multi-item paste: the separator key follows the previous paste after this long, and
    // the next paste follows the previous paste (or the separator) after `itemInterval`.
    static constexpr std::chrono::milliseconds separatorDelay {80};
    static constexpr std::chrono::milliseconds itemInterval {160};
    // Return or Tab follows Ctrl+V after this long in the paste-and-Return and paste-and-Tab variants.
    static constexpr std::chrono::milliseconds followingKeyDelay {60};

    explicit PasteCommands(AppCoordinator &coordinator);

    void paste(const ClipboardItem &item, PasteVariant variant);
    void pasteSelectedItems();
    void pasteItems(const QList<ClipboardItem> &items, const QHash<QUuid, PasteVariant> &variantsByID,
        std::optional<PasteSeparator> separator);
    void pasteNext(std::optional<PasteVariant> variant);

    PasteVariant defaultPasteVariant(const ClipboardItem &item) const;
    QList<ClipboardItem> pasteNextCandidates(const QList<ClipboardItem> &items) const;
    std::optional<ClipboardItem> pasteNextTarget(const QList<ClipboardItem> &candidates) const;
    std::optional<QUuid> itemIDAfter(const QUuid &id, const QList<ClipboardItem> &candidates) const;
    // The paste-next position goes back to the first candidate of the list as it is shown now, and paste-next
    // walks that order until the next reset.
    void resetPasteNextItem();
    const std::optional<QUuid> &pasteNextItemID() const { return m_pasteNextItemID; }

    // Everything of a paste after the window was hidden: the check for key input, the write, the keystroke, the
    // sound, the copy count and the paste time.
    Expected<void, AppCoordinator::CommandFailure> pasteWithoutHiding(const ClipboardItem &item, PasteVariant variant);

private:
    class MultiItemPaste;

    void hideForPaste();

    AppCoordinator &m_coordinator;
    std::optional<QUuid> m_pasteNextItemID;
    // The order of the paste-next candidates when the position was last reset; paste-next walks it, so that a
    // pasted item moving to the top does not change which item comes next.
    QList<QUuid> m_pasteNextOrder;
};
