#pragma once

#include "HistoryDelegate.h"
#include "SearchSuggestions.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class SearchSuggestionsPanel;

// The suggestions under the search field: a small borderless panel that never takes the keyboard focus, one row
// per suggestion with the matched part in bold. Up and Down move the highlight round, the pointer highlights the
// row it enters, a click accepts a row. Owned by the toolbar for its whole life.
class SearchSuggestionsPopup final : public QObject
{
    Q_OBJECT

public:
    static constexpr int rowHeight = 30;
    static constexpr int verticalPadding = 3;

    explicit SearchSuggestionsPopup(QObject *parent = nullptr);
    ~SearchSuggestionsPopup() override;

    // Called with the clicked suggestion.
    std::function<void(const SearchSuggestion &)> onSelect;

    // Shows the list under the anchor (a rectangle in global coordinates: the search text); an empty list hides
    // the popup. The highlight stays on the same token when it is still offered, else goes to the first row.
    void show(const QList<SearchSuggestion> &suggestions, const QRect &anchorRect, QWidget *parentWindow);
    void hide();
    bool isVisible() const;
    const QList<SearchSuggestion> &suggestions() const { return m_suggestions; }
    int selectedIndex() const { return m_selectedIndex; }
    std::optional<SearchSuggestion> highlightedSuggestion() const;
    void moveHighlight(HistorySelectionDirection direction);
    void highlight(int index);
    QWidget *panel() const;

    // The panel's frame for the suggestions under the anchor, kept 4 pixels inside the available area of the
    // screen that holds the anchor (none: as computed).
    static QRect frame(const QList<SearchSuggestion> &suggestions, const QRect &anchorRect,
        const std::optional<QRect> &availableScreenArea);

private:
    QList<SearchSuggestion> m_suggestions;
    int m_selectedIndex = 0;
    std::unique_ptr<SearchSuggestionsPanel> m_panel;
};
