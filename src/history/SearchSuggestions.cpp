#include "SearchSuggestions.h"

#include "HistorySymbols.h"
#include "Localization.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>

namespace {

// The text folded for matching, and for each folded character the position in the text it came from.
struct FoldedText
{
    QString text;
    QList<qsizetype> origins;
};

FoldedText fold(const QString &text)
{
    FoldedText folded;
    folded.text.reserve(text.size());
    folded.origins.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A surrogate pair stays together; anything else is decomposed and stripped of its marks.
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const QString character = text.mid(i, pair ? 2 : 1).normalized(QString::NormalizationForm_D);
        for (const QChar c : character) {
            if (c.category() == QChar::Mark_NonSpacing || c.category() == QChar::Mark_Enclosing)
                continue;
            for (const QChar f : QString(c).toCaseFolded()) {
                folded.text.append(f);
                folded.origins.append(i);
            }
        }
        if (pair)
            ++i;
    }
    return folded;
}

QColor accentColor()
{
    return QGuiApplication::palette().color(QPalette::Highlight);
}

QImage symbolImage(const QString &symbol, int size, const QColor &color)
{
    return HistorySymbols::tintedPixmap(symbol, size, color, 1.0).toImage();
}

} // namespace

std::optional<std::pair<qsizetype, qsizetype>> findIgnoringCaseAndDiacritics(const QString &text, const QString &needle)
{
    const FoldedText foldedNeedle = fold(needle);
    if (foldedNeedle.text.isEmpty())
        return std::nullopt;
    const FoldedText haystack = fold(text);
    const qsizetype at = haystack.text.indexOf(foldedNeedle.text);
    if (at < 0)
        return std::nullopt;
    const qsizetype start = haystack.origins.at(at);
    const qsizetype lastOrigin = haystack.origins.at(at + foldedNeedle.text.size() - 1);
    // The match ends after the whole character its last folded unit came from.
    qsizetype end = lastOrigin + 1;
    if (text.at(lastOrigin).isHighSurrogate() && end < text.size())
        ++end;
    while (end < text.size() && text.at(end).category() == QChar::Mark_NonSpacing)
        ++end;
    return std::pair(start, end - start);
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
    const auto matching = [&](SearchToken token, QList<SearchSuggestion> &group, const std::function<QImage()> &image) {
        if (const auto range = findIgnoringCaseAndDiacritics(token.title, trimmed)) {
            token.image = image();
            group.append(SearchSuggestion {std::move(token), range});
        }
    };

    QList<SearchSuggestion> types;
    for (const auto value : HistoryFilterContentType::allCases) {
        const HistoryFilterContentType type(value);
        if (type == HistoryFilterContentType::all || excludedKinds.contains(SearchTokenKind::contentType(type)))
            continue;
        matching(SearchToken {SearchTokenKind::contentType(type), searchTokenTitle(type), {}}, types,
            [type] { return searchTokenImage(type); });
    }

    QList<SearchSuggestion> applications;
    for (const HistorySourceApplication &application : sourceApplications) {
        const SearchTokenKind kind = SearchTokenKind::sourceApplication(application.id);
        if (excludedKinds.contains(kind))
            continue;
        matching(SearchToken {kind, application.name, {}}, applications, [&] {
            QImage icon = applicationIcon ? applicationIcon(application) : QImage();
            if (icon.isNull())
                icon = symbolImage(QStringLiteral("app.dashed"), 12, QGuiApplication::palette().color(QPalette::Text));
            return icon.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        });
    }

    QList<SearchSuggestion> tagSuggestions;
    for (const Tag &tag : tags) {
        const SearchTokenKind kind = SearchTokenKind::tag(tag.id);
        if (excludedKinds.contains(kind))
            continue;
        matching(SearchToken {kind, tag.name, {}}, tagSuggestions, [&] {
            const QColor color = QColor::fromString(tag.color);
            return symbolImage(QStringLiteral("circle.fill"), 12,
                color.isValid() ? color : QGuiApplication::palette().color(QPalette::Text));
        });
    }

    QList<SearchSuggestion> suggestions = rankSearchSuggestions(types);
    suggestions.append(rankSearchSuggestions(applications));
    suggestions.append(rankSearchSuggestions(tagSuggestions));
    return suggestions.mid(0, limit);
}
