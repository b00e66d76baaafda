#pragma once

#include "ClipboardItem.h"
#include "SoundEffect.h"

#include <QList>
#include <QtGlobal>

#include <optional>

class QKeyEvent;
class QMenu;

// The direction of a keyboard selection step in the history list.
enum class HistorySelectionDirection { up, down };

// What Right and Left do to the focused row in keyboard multiple-selection mode.
enum class HistoryKeyboardMultipleSelectionCommand { addCurrent, removeCurrent };

inline size_t qHash(HistorySelectionDirection direction, size_t seed = 0)
{
    return ::qHash(int(direction), seed);
}
inline size_t qHash(HistoryKeyboardMultipleSelectionCommand command, size_t seed = 0)
{
    return ::qHash(int(command), seed);
}

// How the history list reports to the window that owns it. The owner sets itself as the list's delegate and clears
// it (or outlives the list); the list never owns its delegate.
class HistoryDelegate
{
public:
    virtual ~HistoryDelegate() = default;

    // After every selection change the list accepts from the user: the ids of the selected items in the order of
    // selection, and the focused one's. Ids rather than items, so that selecting the whole history copies none.
    virtual void historySelectionDidChange(
        const QList<QUuid> &idsInSelectionOrder, const std::optional<QUuid> &primaryItemID)
        = 0;
    // A click or double click on an item row without modifier keys.
    virtual void historyDidClickItem(const ClipboardItem &item) = 0;
    virtual void historyDidDoubleClickItem(const ClipboardItem &item) = 0;
    // Fills the list's context menu (empty when asked) for the selected items; the clicked item is one of them.
    virtual void historyContextMenu(
        QMenu &menu, const QList<ClipboardItem> &items, const std::optional<ClipboardItem> &clickedItem)
        = 0;
    // A link row without stored preview details was shown while link previews are on.
    virtual void historyNeedsLinkPreview(const ClipboardItem &item) = 0;
    // Keyboard multiple selection added or removed a row.
    virtual void historyPlaySound(SoundEffect effect) = 0;
    // A typed character reached the list: it belongs in the search field.
    virtual void historyForwardSearchKeyDown(const QKeyEvent &event) = 0;
};
