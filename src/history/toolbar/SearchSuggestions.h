#pragma once

#include "HistorySourceApplication.h"
#include "SearchToken.h"
#include "Tag.h"

#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

// A token offered while the user types, with where the typed text was found in its title (UTF-16 units).
struct SearchSuggestion
{
    SearchToken token;
    std::optional<std::pair<qsizetype, qsizetype>> matchRange; // location, length

    bool operator==(const SearchSuggestion &other) const
    {
        return token == other.token && matchRange == other.matchRange;
    }
};

// Where the needle occurs in the text when case and accents are ignored (é matches e, TEXT matches Text), as a
// location and length in the text; nothing when it does not occur or the needle is empty.
std::optional<std::pair<qsizetype, qsizetype>> findIgnoringCaseAndDiacritics(
    const QString &text, const QString &needle);

// The suggestions for the typed query: the content types (but "All Types"), then the source applications, then
// the tags whose titles contain it, each group with the titles that begin with it first, leaving out kinds that
// are tokens already, at most `limit` in all. A blank query gives none. The application icon is asked for each
// application offered; without one the application gets a generic symbol.
QList<SearchSuggestion> buildSearchSuggestions(const QString &query, const QList<Tag> &tags,
    const QList<HistorySourceApplication> &sourceApplications, const QSet<SearchTokenKind> &excludedKinds, int limit,
    const std::function<QImage(const HistorySourceApplication &)> &applicationIcon = {});

// The suggestions whose title begins with the query first, each part in its order.
QList<SearchSuggestion> rankSearchSuggestions(QList<SearchSuggestion> suggestions);

// The token title of a content type: "All Types" and "Favorites", else the singular ("Text", "Image", "File",
// "Link", "Email", "Color"), in the interface language.
QString searchTokenTitle(HistoryFilterContentType type);
// The token's symbol in the accent colour.
QImage searchTokenImage(HistoryFilterContentType type);
