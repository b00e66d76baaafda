#pragma once

#include "FloatingHistoryWindow.h"
#include "HistoryContentViewController.h"
#include "HistoryRowPictures.h"
#include "HistoryToolbarView.h"

#include <optional>

// What tests and benchmarks read of the history window's inner state, which the program itself never asks for: how
// often the list was rebuilt or given the selection, what waits to be searched, reset or decoded, and what the
// toolbar's copy item shows.
class WindowProbe
{
public:
    // How often the controller rebuilt the list.
    static int reloadCount(const HistoryContentViewController &controller) { return controller.m_reloadCount; }
    // How often the controller pushed the model's selection into the list.
    static int selectionPushCount(const HistoryContentViewController &controller)
    {
        return controller.m_selectionPushCount;
    }
    // The search text typed but not yet handed to the model; nothing when none waits.
    static std::optional<QString> pendingSearchQuery(const HistoryContentViewController &controller)
    {
        return controller.m_pendingSearchQuery;
    }

    // The count of selection writes made for the list whose published echo has not come back yet.
    static int selectionModelUpdatesOriginatingFromList(const HistoryContentViewController &controller)
    {
        return controller.m_selectionModelUpdatesOriginatingFromList;
    }

    // Whether the copy item shows that a copy succeeded.
    static bool isShowingCopySuccess(const HistoryToolbarView &toolbar) { return toolbar.m_isShowingCopySuccess; }
    // How often the copy item's picture changed (each step of its cross-fade counts).
    static int copyImageChangeCount(const HistoryToolbarView &toolbar) { return toolbar.m_copyImageChangeCount; }

    // Whether the search is reset when the window stays hidden a while longer.
    static bool isSearchResetPending(const FloatingHistoryWindow &window)
    {
        return window.m_searchResetTimer.isActive();
    }

    // Pictures being decoded for the rows.
    static int pendingPictureCount(const HistoryRowPictures &pictures) { return int(pictures.m_waiting.size()); }
};
