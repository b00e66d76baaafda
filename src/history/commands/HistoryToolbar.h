#pragma once

#include "HistoryDelegate.h"
#include "HistoryFilterContentType.h"
#include "HistoryKeyEvent.h"
#include "HistorySortOption.h"
#include "HistorySourceApplication.h"
#include "Tag.h"

#include <QList>
#include <QSet>
#include <QString>

#include <optional>

class QKeyEvent;
class QWidget;

// The selection-dependent state the window's controller pushes into its toolbar.
struct HistoryToolbarState
{
    bool isPinned = false;
    bool isCopySequenceModeEnabled = false;
    HistorySortOption sortOption = HistorySortOption::lastCopyTime;
    bool isSortReversed = false;
    bool canPaste = false;
    bool canCopy = false;
    std::optional<int> pasteItemCount; // the files of one file item with two or more
    std::optional<int> copyItemCount;
    // Which action items show; a fresh toolbar shows Copy.
    bool showsCopy = true;
    bool showsCopyTextFromImage = false;
    bool showsCopyTextFromQRCode = false;
    bool showsOpenInBrowser = false;
    bool showsMerge = false;

    bool operator==(const HistoryToolbarState &) const = default;
    bool sameVisibility(const HistoryToolbarState &other) const
    {
        return showsCopy == other.showsCopy && showsCopyTextFromImage == other.showsCopyTextFromImage
            && showsCopyTextFromQRCode == other.showsCopyTextFromQRCode
            && showsOpenInBrowser == other.showsOpenInBrowser && showsMerge == other.showsMerge;
    }
};

// The filter tokens the toolbar shows, and what it offers to filter by.
struct HistoryToolbarFilters
{
    QSet<HistoryFilterContentType> contentTypes;
    QList<Tag> tags; // sorted by name
    QSet<qint64> tagIDs;
    QList<HistorySourceApplication> sourceApplications;
    QSet<QString> sourceApplicationIDs;

    bool operator==(const HistoryToolbarFilters &) const = default;
};

// What the toolbar reports to the window's controller: the search text, filter and sort choices, and the clicks on
// its items. The toolbar changes none of this itself; the controller pushes the new state back.
class HistoryToolbarDelegate
{
public:
    virtual ~HistoryToolbarDelegate() = default;

    // The search text changed (typed, cleared, or emptied by accepting a suggestion).
    virtual void searchQueryDidChange(const QString &query) = 0;
    // A filter value switched on or off by the menu or a token; the content type "all" empties that filter.
    virtual void setContentTypeFilter(HistoryFilterContentType type, bool isSelected) = 0;
    virtual void setTagFilter(qint64 tagID, bool isSelected) = 0;
    virtual void setSourceApplicationFilter(const QString &applicationID, bool isSelected) = 0;
    virtual void clearTagFilter() = 0;
    virtual void clearSourceApplicationFilter() = 0;
    virtual void clearFilters() = 0;
    virtual void selectSortOption(HistorySortOption option) = 0;
    virtual void toggleSortOrder() = 0;
    // The action items.
    virtual void pasteSelectedItems() = 0;
    virtual void copySelectedItems() = 0;
    virtual void openSelectedItemInBrowser() = 0;
    virtual void copyTextFromSelectedImage() = 0;
    virtual void copyTextFromSelectedQRCode() = 0;
    virtual void mergeSelectedItems() = 0;
    virtual void togglePin() = 0;
    virtual void toggleCopySequenceMode() = 0;
    virtual void showCommandPalette() = 0;
    // Up or Down from the search field while no suggestions show.
    virtual void moveListSelection(HistorySelectionDirection direction) = 0;
};

// The history window's toolbar as its controller uses it: the search field with its filter tokens, the sort, the
// action items and the pin. The controller holds it without owning it.
class HistoryToolbar
{
public:
    virtual ~HistoryToolbar() = default;

    virtual QWidget &widget() = 0;
    // Not owned; cleared before the delegate goes.
    virtual void setDelegate(HistoryToolbarDelegate *delegate) = 0;

    // Every text again in the interface language (search item and placeholder, sort, actions, pin, copy
    // sequence, command item).
    virtual void relabel() = 0;

    virtual const HistoryToolbarState &state() const = 0;
    // Takes the state; the action items are laid out again only when their visibility changed.
    virtual void setState(const HistoryToolbarState &state) = 0;
    // Whether it shows filter tokens at all; without them the filters are not worked out for it.
    virtual bool showsFilterTokens() const = 0;
    virtual const HistoryToolbarFilters &filters() const = 0;
    // Takes the filters and shows them as tokens in the search field.
    virtual void setFilters(const HistoryToolbarFilters &filters) = 0;

    // The search field.
    virtual QString searchText() const = 0;
    // Sets the field's text without reporting it as typed.
    virtual void setSearchText(const QString &text) = 0;
    virtual bool hasSearchTokens() const = 0;
    virtual bool hasSelectedSearchText() const = 0;
    virtual bool isSearchFieldFocused() const = 0;
    virtual void focusSearchField() = 0;
    // The search field takes the keyboard with its whole text selected, so that typing replaces it.
    virtual void selectSearchText() = 0;
    // Empties the text and the tokens, reporting the change.
    virtual void clearSearch() = 0;
    // Types the key into the field, which takes the focus.
    virtual void insertKeyEvent(const QKeyEvent &event) = 0;

    // The search suggestions' share of a key; true when they took it.
    virtual bool handleKeyDown(const HistoryKeyEvent &event) = 0;
    // The copy action's check mark after a copy.
    virtual void showCopySuccess() = 0;
    virtual void updateAppearanceColors() = 0;
};
