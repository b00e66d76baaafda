#include "SearchSuggestions.h"

#include "HistoryPasteTarget.h"
#include "HistoryRowParts.h"
#include "Localization.h"
#include "Symbols.h"

#include <QGuiApplication>
#include <QHash>
#include <QPalette>

#include <algorithm>

namespace {

QColor accentColor()
{
    return QGuiApplication::palette().color(QPalette::Highlight);
}

QImage symbolImage(const QString &symbol, int size, const QColor &color)
{
    return Symbols::tintedPixmap(symbol, size, color, 1.0).toImage();
}

} // namespace

std::optional<std::pair<qsizetype, qsizetype>> findIgnoringCaseAndDiacritics(const QString &text, const QString &needle)
{
    // The first of the matches the rows colour, found the same way.
    const QList<HistoryTextRange> matches = historySearchMatches(text, needle);
    if (matches.isEmpty())
        return std::nullopt;
    return std::pair(matches.first().start, matches.first().length);
}

QList<SearchSuggestion> rankSearchSuggestions(QList<SearchSuggestion> suggestions)
{
    std::stable_partition(suggestions.begin(), suggestions.end(),
        [](const SearchSuggestion &suggestion) { return suggestion.matchRange && suggestion.matchRange->first == 0; });
    return suggestions;
}

QString searchTokenTitle(HistoryFilterContentType type)
{
    switch (type) {
    case HistoryFilterContentType::all:
    case HistoryFilterContentType::favorites:
        return type.title();
    case HistoryFilterContentType::text:
        return localized(QStringLiteral("Text"));
    case HistoryFilterContentType::images:
        return localized(QStringLiteral("Image"));
    case HistoryFilterContentType::files:
        return localized(QStringLiteral("File"));
    case HistoryFilterContentType::links:
        return localized(QStringLiteral("Link"));
    case HistoryFilterContentType::emails:
        return localized(QStringLiteral("Email"));
    case HistoryFilterContentType::colors:
        return localized(QStringLiteral("Color"));
    }
    return type.title();
}

QImage searchTokenImage(HistoryFilterContentType type)
{
    static const char *const symbols[]
        = {"list.bullet", "star.fill", "text.page", "photo", "document", "link", "envelope", "paintpalette"};
    return symbolImage(QString::fromLatin1(symbols[int(type)]), 13, accentColor());
}

QList<SearchSuggestion> buildSearchSuggestions(const QString &query, const QList<Tag> &tags,
    const QList<HistorySourceApplication> &sourceApplications, const QSet<SearchTokenKind> &excludedKinds, int limit,
    const std::function<QImage(const HistorySourceApplication &)> &applicationIcon)
{
    const QString trimmed = query.trimmed();
    if (trimmed.isEmpty() || limit <= 0)
        return {};
    // Pictures are made only for the suggestions that are offered in the end.
    const auto matching = [&](SearchToken token, QList<SearchSuggestion> &group) {
        if (const auto range = findIgnoringCaseAndDiacritics(token.title, trimmed))
            group.append(SearchSuggestion {std::move(token), range});
    };

    QList<SearchSuggestion> types;
    for (const auto value : HistoryFilterContentType::allCases) {
        const HistoryFilterContentType type(value);
        if (type == HistoryFilterContentType::all || excludedKinds.contains(SearchTokenKind::contentType(type)))
            continue;
        matching(SearchToken {SearchTokenKind::contentType(type), searchTokenTitle(type), {}}, types);
    }

    QList<SearchSuggestion> applications;
    QHash<QString, const HistorySourceApplication *> applicationsByID;
    for (const HistorySourceApplication &application : sourceApplications) {
        const SearchTokenKind kind = SearchTokenKind::sourceApplication(application.id);
        if (excludedKinds.contains(kind))
            continue;
        const qsizetype before = applications.size();
        matching(SearchToken {kind, application.name, {}}, applications);
        if (applications.size() > before)
            applicationsByID.insert(application.id, &application);
    }

    QList<SearchSuggestion> tagSuggestions;
    QHash<qint64, const Tag *> tagsByID;
    for (const Tag &tag : tags) {
        const SearchTokenKind kind = SearchTokenKind::tag(tag.id);
        if (excludedKinds.contains(kind))
            continue;
        const qsizetype before = tagSuggestions.size();
        matching(SearchToken {kind, tag.name, {}}, tagSuggestions);
        if (tagSuggestions.size() > before)
            tagsByID.insert(tag.id, &tag);
    }

    QList<SearchSuggestion> suggestions = rankSearchSuggestions(types);
    suggestions.append(rankSearchSuggestions(applications));
    suggestions.append(rankSearchSuggestions(tagSuggestions));
    suggestions = suggestions.mid(0, limit);
    for (SearchSuggestion &suggestion : suggestions) {
        const SearchTokenKind &kind = suggestion.token.kind;
        if (kind.isContentType()) {
            suggestion.token.image = searchTokenImage(kind.contentTypeValue());
        } else if (kind.isSourceApplication()) {
            const HistorySourceApplication &application = *applicationsByID.value(kind.sourceApplicationID());
            QImage icon = applicationIcon ? applicationIcon(application) : QImage();
            if (icon.isNull())
                icon = symbolImage(QStringLiteral("app.dashed"), 12, QGuiApplication::palette().color(QPalette::Text));
            suggestion.token.image = icon.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        } else {
            suggestion.token.image
                = HistoryPasteTarget::tagColorDotImage(tagsByID.value(kind.tagID())->color).pixmap(12).toImage();
        }
    }
    return suggestions;
}
