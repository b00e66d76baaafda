#include "ClipboardItem.h"

#include <gtest/gtest.h>

namespace {

ClipboardItem item(ClipboardKind kind, const QString &text)
{
    ClipboardItem result;
    result.id = QUuid::createUuid();
    result.kind = kind;
    result.text = text;
    return result.refreshingSearchText({});
}

} // namespace

TEST(ClipboardKind, RawValuesAndTitles)
{
    for (const auto kind : ClipboardKind::allCases)
        EXPECT_EQ(ClipboardKind::fromRawValue(ClipboardKind(kind).rawValue()), ClipboardKind(kind));
    EXPECT_EQ(ClipboardKind(ClipboardKind::richText).rawValue(), QStringLiteral("richText"));
    EXPECT_EQ(ClipboardKind(ClipboardKind::richText).title(), QStringLiteral("Rich Text"));
    EXPECT_FALSE(ClipboardKind::fromRawValue(u"Text"));
    EXPECT_FALSE(ClipboardKind::fromRawValue(u"richtext"));
}

TEST(ClipboardKind, Detection)
{
    const struct
    {
        const char *text;
        bool digitsAsColor;
        ClipboardKind::Value expected;
    } cases[] = {
        {"#3B85ED", false, ClipboardKind::color},
        {"#3b85ed", true, ClipboardKind::color},
        {"3B85ED", false, ClipboardKind::text},
        {"3B85ED", true, ClipboardKind::color},
        {"123456", false, ClipboardKind::text},
        {"123456", true, ClipboardKind::color},
        {"#3B85ED80", false, ClipboardKind::color},
        {"#3B85E", false, ClipboardKind::text},
        {"#3B85ED8", false, ClipboardKind::text},
        {"  #3B85ED\n", false, ClipboardKind::color},
        {"rgb(1, 2, 3)", false, ClipboardKind::color},
        {"rgba(anything at all", false, ClipboardKind::color},
        {"RGB(1, 2, 3)", false, ClipboardKind::text},
        {"name@example.com", false, ClipboardKind::email},
        {"  name@example.com\n", false, ClipboardKind::email},
        {"a@b@example.com", false, ClipboardKind::text},
        {"name @example.com", false, ClipboardKind::text},
        {"name@example", false, ClipboardKind::text},
        {"ssh://git@host.example/repo.git", false, ClipboardKind::link},
        {"https://example.com/path?q=1#top", false, ClipboardKind::link},
        {"\nhttps://example.com\n", false, ClipboardKind::link},
        {"https://example.com/a b", false, ClipboardKind::text},
        {"example.com", false, ClipboardKind::text},
        {"mailto:name@example.com", false, ClipboardKind::email},
        {"localhost:8080", false, ClipboardKind::text},
        {"ftp://files.example.org", false, ClipboardKind::link},
        {"", false, ClipboardKind::text},
        {"Just some words.", false, ClipboardKind::text},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ClipboardKind::detect(QString::fromUtf8(c.text), c.digitsAsColor), c.expected) << c.text;
}

TEST(ContentKey, LinksFilesAndRichText)
{
    const ClipboardItem lower = item(ClipboardKind::link, QStringLiteral("https://example.com/Path?q=1"));
    const ClipboardItem upper = item(ClipboardKind::link, QStringLiteral("HTTPS://EXAMPLE.COM/Path?q=1#section"));
    EXPECT_EQ(lower.contentKey(), QStringLiteral("https://example.com/Path?q=1"));
    EXPECT_EQ(upper.contentKey(), lower.contentKey());
    // Path, query and trailing slash are not normalised.
    EXPECT_NE(item(ClipboardKind::link, QStringLiteral("https://example.com/path/")).contentKey(),
        item(ClipboardKind::link, QStringLiteral("https://example.com/path")).contentKey());

    ClipboardItem files = item(ClipboardKind::file, QString());
    files.text.reset();
    files.filePaths = {QStringLiteral("/home/a/./x.txt"), QStringLiteral("/home/a/b/../y.txt")};
    EXPECT_EQ(files.contentKey(), QStringLiteral("/home/a/x.txt\n/home/a/y.txt"));
    ClipboardItem reversed = files;
    std::reverse(reversed.filePaths.begin(), reversed.filePaths.end());
    EXPECT_NE(reversed.contentKey(), files.contentKey());

    ClipboardItem rich = item(ClipboardKind::richText, QStringLiteral("same"));
    rich.html = QStringLiteral("<b>same</b>");
    ClipboardItem otherHtml = rich;
    otherHtml.html = QStringLiteral("<i>same</i>");
    EXPECT_EQ(rich.contentKey(), rich.searchText + QStringLiteral("\n<b>same</b>"));
    EXPECT_NE(rich.contentKey(), otherHtml.contentKey());

    // A text item's key is its search text, so the source application takes part.
    ClipboardItem fromNotes = item(ClipboardKind::text, QStringLiteral("hello"));
    fromNotes.sourceAppName = QStringLiteral("Notes");
    EXPECT_NE(fromNotes.refreshingSearchText({}).contentKey(),
        item(ClipboardKind::text, QStringLiteral("hello")).contentKey());
}

TEST(SearchText, PartsInOrderWithEmptyPartsKept)
{
    ClipboardItem plain = item(ClipboardKind::text, QStringLiteral("hello"));
    plain.sourceAppName = QStringLiteral("Notes");
    EXPECT_EQ(plain.refreshingSearchText({}).searchText, QStringLiteral("hello   Notes"));
    plain.sourceAppName.reset();
    EXPECT_EQ(plain.refreshingSearchText({}).searchText, QStringLiteral("hello  "));

    ClipboardItem full = plain;
    full.title = QStringLiteral("T");
    full.qrCodeText = QStringLiteral("Q");
    full.linkPreviewDetails = LinkPreviewDetails {QStringLiteral("https://x.y"), QStringLiteral("PT"),
        QStringLiteral("PD"), std::nullopt, std::nullopt, QDateTime()};
    full.filePaths = {QStringLiteral("/a"), QStringLiteral("/b")};
    full.sourceAppName = QStringLiteral("App");
    full.html = QStringLiteral("<not searched>");
    EXPECT_EQ(full.refreshingSearchText({QStringLiteral("work"), QStringLiteral("home")}).searchText,
        QStringLiteral("T hello Q PT PD /a /b work home App"));
}

TEST(Url, SplitsWithoutNormalising)
{
    const auto url = Url::parse(QStringLiteral("HTTPS://user:pw@Example.COM:8443/a/../b?x=1&y=2#frag"));
    ASSERT_TRUE(url);
    EXPECT_EQ(url->scheme, QStringLiteral("HTTPS"));
    EXPECT_EQ(url->userInfo, QStringLiteral("user:pw"));
    EXPECT_EQ(url->host, QStringLiteral("Example.COM"));
    EXPECT_EQ(url->port, QStringLiteral("8443"));
    EXPECT_EQ(url->path, QStringLiteral("/a/../b"));
    EXPECT_EQ(url->query, QStringLiteral("x=1&y=2"));
    EXPECT_EQ(url->fragment, QStringLiteral("frag"));
    EXPECT_EQ(url->toString(), QStringLiteral("HTTPS://user:pw@Example.COM:8443/a/../b?x=1&y=2#frag"));
    EXPECT_EQ(ClipboardItem::normalizedURLKey(*url), QStringLiteral("https://user:pw@example.com:8443/a/../b?x=1&y=2"));

    EXPECT_EQ(Url::parse(QStringLiteral("http://[::1]:80/"))->host, QStringLiteral("[::1]"));
    for (const char *bad : {"http://exa mple.com", "http://example.com/<x>", "http://example.com/%zz",
             "http://host:port/", "http://exa{mple}.com"})
        EXPECT_FALSE(Url::parse(QString::fromUtf8(bad))) << bad;
    EXPECT_FALSE(ClipboardItem::linkURL(QStringLiteral("http://")));
    EXPECT_FALSE(ClipboardItem::linkURL(QStringLiteral("mailto:name@example.com")));
    EXPECT_TRUE(ClipboardItem::linkURL(QString::fromUtf8("https://例え.jp/パス")));
}

TEST(SearchText, RichTextWithoutAPlainStringIsSearchedByWhatItShows)
{
    const QString html
        = QStringLiteral("<p>Hello <b>bold</b> and <i>italic</i> <a href=\"https://example.com/\">link</a></p>");
    const QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Quarterly {\\b figures}\\par}";
    struct Case
    {
        const char *name;
        std::optional<QString> text;
        std::optional<QString> html;
        std::optional<QByteArray> rtf;
        QString searchText;
    };
    const QList<Case> cases = {
        {"HTML alone", std::nullopt, html, std::nullopt, QStringLiteral("T Hello bold and italic link  work Browser")},
        {"RTF alone", std::nullopt, std::nullopt, rtf, QStringLiteral("T Quarterly figures  work Browser")},
        {"HTML before RTF", std::nullopt, html, rtf, QStringLiteral("T Hello bold and italic link  work Browser")},
        {"an empty plain string", QString(), html, std::nullopt,
            QStringLiteral("T Hello bold and italic link  work Browser")},
        {"the plain string before the markup", QStringLiteral("plain words"), html, rtf,
            QStringLiteral("T plain words  work Browser")},
        {"markup without text", std::nullopt, QStringLiteral("<img src=\"a.png\">"), std::nullopt,
            QStringLiteral("T  work Browser")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ClipboardItem rich;
        rich.kind = ClipboardKind::richText;
        rich.title = QStringLiteral("T");
        rich.text = c.text;
        rich.html = c.html;
        rich.rtfData = c.rtf;
        rich.sourceAppName = QStringLiteral("Browser");
        const ClipboardItem refreshed = rich.refreshingSearchText({QStringLiteral("work")});
        EXPECT_EQ(refreshed.searchText, c.searchText);
        EXPECT_EQ(refreshed.text, c.text) << "the text itself is not changed";
    }
}
