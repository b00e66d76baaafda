#include "SearchSuggestions.h"

#include <gtest/gtest.h>

namespace {

HistorySourceApplication application(const QString &name)
{
    return HistorySourceApplication {HistorySourceApplication::idForName(name), name, std::nullopt};
}

QStringList titles(const QList<SearchSuggestion> &suggestions)
{
    QStringList list;
    for (const SearchSuggestion &suggestion : suggestions)
        list.append(suggestion.token.title);
    return list;
}

} // namespace

TEST(SearchSuggestions, FindsTitlesIgnoringCaseAndAccents)
{
    using Range = std::optional<std::pair<qsizetype, qsizetype>>;
    const QList<std::tuple<QString, QString, Range>> cases = {
        {u"Text"_qs, u"TEXT"_qs, Range({0, 4})},
        {u"Favorites"_qs, u"te"_qs, Range({6, 2})},
        {u"Café Noir"_qs, u"e n"_qs, Range({3, 3})},
        {u"Cafe\u0301 Noir"_qs, u"é"_qs, Range({3, 2})}, // the accent stays with its letter
        {u"Éditeur"_qs, u"edit"_qs, Range({0, 4})},
        {u"Notes"_qs, u"x"_qs, std::nullopt},
        {u"Notes"_qs, u""_qs, std::nullopt},
    };
    for (const auto &[text, needle, range] : cases)
        EXPECT_EQ(findIgnoringCaseAndDiacritics(text, needle), range)
            << text.toStdString() << " / " << needle.toStdString();
}

TEST(SearchSuggestions, TypesThenApplicationsThenTagsBeginningsFirst)
{
    const QList<HistorySourceApplication> applications = {application(u"Notes"_qs), application(u"Terminal"_qs)};
    const QList<Tag> tags = {Tag {1, u"Later"_qs, u"#FF0000"_qs}, Tag {2, u"Temp"_qs, u"nonsense"_qs}};

    EXPECT_EQ(titles(buildSearchSuggestions(u"te"_qs, tags, applications, {}, 8)),
        QStringList({u"Text"_qs, u"Favorites"_qs, u"Terminal"_qs, u"Notes"_qs, u"Temp"_qs, u"Later"_qs}));
    EXPECT_EQ(titles(buildSearchSuggestions(u"e"_qs, tags, applications, {}, 8)),
        QStringList({u"Email"_qs, u"Favorites"_qs, u"Text"_qs, u"Image"_qs, u"File"_qs, u"Notes"_qs, u"Terminal"_qs,
            u"Later"_qs}));
    EXPECT_EQ(titles(buildSearchSuggestions(u"fav"_qs, {}, {}, {}, 8)), QStringList({u"Favorites"_qs}));
    EXPECT_TRUE(buildSearchSuggestions(u"all"_qs, {}, {}, {}, 8).isEmpty()); // "All Types" is never offered
    EXPECT_TRUE(buildSearchSuggestions(u"  \n"_qs, tags, applications, {}, 8).isEmpty());

    // Tokens already in the field are not offered again.
    const QSet<SearchTokenKind> present = {SearchTokenKind::contentType(HistoryFilterContentType::text),
        SearchTokenKind::sourceApplication(application(u"Terminal"_qs).id), SearchTokenKind::tag(2)};
    EXPECT_EQ(titles(buildSearchSuggestions(u"te"_qs, tags, applications, present, 8)),
        QStringList({u"Favorites"_qs, u"Notes"_qs, u"Later"_qs}));

    // Every suggestion has its picture; a tag with a colour that is no colour still has one.
    for (const SearchSuggestion &suggestion : buildSearchSuggestions(u"te"_qs, tags, applications, {}, 8))
        EXPECT_FALSE(suggestion.token.image.isNull()) << suggestion.token.title.toStdString();
}

TEST(SearchSuggestions, TagsAreCutFirst)
{
    QList<Tag> tags;
    for (int n = 0; n < 10; ++n)
        tags.append(Tag {n, (n % 2 ? u"zq"_qs : u"qz"_qs) + QString::number(n), u"#00FF00"_qs});
    const QStringList shown = titles(buildSearchSuggestions(u"q"_qs, tags, {}, {}, 8));
    EXPECT_EQ(
        shown, QStringList({u"qz0"_qs, u"qz2"_qs, u"qz4"_qs, u"qz6"_qs, u"qz8"_qs, u"zq1"_qs, u"zq3"_qs, u"zq5"_qs}));
}
