#include "LinkPreviewMetadata.h"

#include "IcuRegex.h"

#include <gtest/gtest.h>

namespace {

const Url page = *Url::parse(QStringLiteral("https://example.com/articles/today.html?ref=feed"));

LinkPreviewMetadata parse(const char *html)
{
    return LinkPreviewMetadata::parse(QString::fromUtf8(html), page);
}

QStringList texts(const QList<Url> &urls)
{
    QStringList result;
    for (const Url &url : urls)
        result.append(url.toString());
    return result;
}

} // namespace

TEST(LinkPreviewMetadata, TitleComesFromTheFirstUsableKeyThenTheTitleElement)
{
    struct Case
    {
        const char *html;
        std::optional<QString> title;
    };
    const Case cases[] = {
        {R"(<META PROPERTY="OG:TITLE" CONTENT="   Northern    Lights ">)", QStringLiteral("Northern Lights")},
        {R"(<meta property="og:title" content="  "><meta name="twitter:title" content="Bird">)",
            QStringLiteral("Bird")},
        {R"(<meta property="og:title" content=""><title>Element</title>)", QStringLiteral("Element")},
        // Only the first element that carries a key counts for that key.
        {R"(<meta property="og:title"><meta property="og:title" content="Second"><title>T</title>)",
            QStringLiteral("T")},
        {"<title lang=\"en\">\n  Spread over\n\tlines  </title>", QStringLiteral("Spread over lines")},
        {"<TITLE>First</Title> <title>Second</title>", QStringLiteral("First")},
        {"<title>   </title>", std::nullopt},
        {"<!-- <title>Inside a comment</title> -->", QStringLiteral("Inside a comment")},
        {"<p>no metadata at all</p>", std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.html);
        EXPECT_EQ(parse(c.html).title, c.title);
    }
}

TEST(LinkPreviewMetadata, DescriptionPrefersOpenGraphThenTheNamedElementThenTwitter)
{
    EXPECT_EQ(parse(R"(<meta name="twitter:description" content="T"><meta name="description" content="N">
                       <meta property="og:description" content="O">)")
                  .description,
        QStringLiteral("O"));
    EXPECT_EQ(
        parse(R"(<meta name="twitter:description" content="T"><meta name="Description" content="N">)").description,
        QStringLiteral("N"));
    EXPECT_EQ(parse(R"(<meta name="twitter:description" content="T">)").description, QStringLiteral("T"));
    EXPECT_EQ(parse("<title>Only a title</title>").description, std::nullopt) << "no fallback to the page text";
}

TEST(LinkPreviewMetadata, PreviewImageResolvesAgainstThePageAddress)
{
    struct Case
    {
        const char *html;
        std::optional<QString> image;
    };
    const Case cases[] = {
        {R"(<meta property="og:image" content="cover.jpg">)", QStringLiteral("https://example.com/articles/cover.jpg")},
        {R"(<meta property="og:image" content="/img/a.png?w=2">)", QStringLiteral("https://example.com/img/a.png?w=2")},
        {R"(<meta property="og:image" content="//cdn.example.net/b.png">)",
            QStringLiteral("https://cdn.example.net/b.png")},
        {R"(<meta property="og:image" content="HTTP://Other.example/c.png">)",
            QStringLiteral("HTTP://Other.example/c.png")},
        {R"(<meta name="twitter:image:src" content="d.png"><meta property="og:image:url" content="e.png">)",
            QStringLiteral("https://example.com/articles/e.png")},
        // The first key found decides: an address that does not parse is not replaced by a later key.
        {R"(<meta property="og:image" content="a b.png"><meta name="twitter:image" content="ok.png">)", std::nullopt},
        {R"(<base href="https://elsewhere.example/"><meta property="og:image" content="f.png">)",
            QStringLiteral("https://example.com/articles/f.png")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.html);
        const auto image = parse(c.html).imageURL;
        EXPECT_EQ(image ? std::optional<QString>(image->toString()) : std::nullopt, c.image);
    }
}

TEST(LinkPreviewMetadata, ReadsAttributesAsWritten)
{
    using Attributes = LinkPreviewMetadata::Attributes;
    struct Case
    {
        const char *element;
        Attributes attributes;
    };
    const Case cases[] = {
        {R"(<meta NAME='single' content=unquoted>)", {{"name", "single"}, {"content", "unquoted"}}},
        {R"(<meta name="a" name="b">)", {{"name", "b"}}},
        {R"(<link rel = "icon" async href="/i.png">)", {{"rel", "icon"}, {"href", "/i.png"}}},
        {R"(<meta content="">)", {{"content", ""}}},
        {R"(<meta content="Tom &amp; Jerry &lt;3 &#65;&#x42; &eacute; &#xZZ;">)",
            {{"content", QStringLiteral("Tom & Jerry <3 AB &eacute; &#xZZ;")}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.element);
        EXPECT_EQ(LinkPreviewMetadata::tagAttributes(QString::fromUtf8(c.element)), c.attributes);
    }

    // A ">" inside a quoted value ends the element early: what follows is lost.
    const auto cut = parse(R"(<meta property="og:title" data-x="a>b" content="Lost">)");
    EXPECT_EQ(cut.title, std::nullopt);
}

TEST(LinkPreviewMetadata, IconsAreOrderedByKindThenPageOrderAndEndWithTheFallbacks)
{
    const auto metadata = parse(R"(
        <link rel="stylesheet" href="/style.css">
        <link rel="shortcut icon" type="image/x-icon" href="/a.ico">
        <link rel="icon" type="image/svg+xml" href="/b.svg">
        <link rel="icon" href="/c.png?v=3">
        <link rel="mask-icon" href="/d.svg">
        <link rel="apple-touch-icon" href="/e.png">
        <link rel="icon">
        <link rel="icon" type="image/png" href="/favicon.ico">
        <link rel="apple-touch-icon-precomposed" href="/e.png">)");
    EXPECT_EQ(texts(metadata.faviconURLs),
        (QStringList {
            QStringLiteral("https://example.com/e.png"), // apple-touch
            QStringLiteral("https://example.com/c.png?v=3"), // PNG by path
            QStringLiteral("https://example.com/favicon.ico"), // PNG by type
            QStringLiteral("https://example.com/b.svg"), // other
            QStringLiteral("https://example.com/d.svg"),
            QStringLiteral("https://example.com/a.ico"), // ICO
            QStringLiteral("https://example.com/favicon.png"), // fallback
        }));

    EXPECT_EQ(texts(parse("<p>plain</p>").faviconURLs),
        (QStringList {
            QStringLiteral("https://example.com/favicon.png"), QStringLiteral("https://example.com/favicon.ico")}));
}

TEST(LinkPreviewMetadata, FindsWhatThePatternsAsWrittenFind)
{
    // The straightforward reading: each pattern run over the whole text.
    const IcuRegex::Options options = IcuRegex::CaseInsensitive | IcuRegex::DotMatchesLineSeparators;
    const IcuRegex attribute(
        QStringLiteral(R"re(([^\s=/"'>]+)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'=<>]+)))re"), IcuRegex::CaseInsensitive);
    const IcuRegex meta(QStringLiteral(R"re(<meta\b[^>]*>)re"), options);
    const IcuRegex title(QStringLiteral(R"re(<title\b[^>]*>(.*?)</title>)re"), options);
    const auto straightforwardAttributes = [&](const QString &element) {
        LinkPreviewMetadata::Attributes attributes;
        const QList<IcuRegex::Match> matches = attribute.allMatches(element);
        for (const IcuRegex::Match &match : matches) {
            for (int group = 2; group <= 4; ++group) {
                if (match.groups.value(group).isValid()) {
                    attributes.insert(match.captured(element, 1).toString().toLower(),
                        LinkPreviewMetadata::cleanedText(match.captured(element, group).toString()));
                    break;
                }
            }
        }
        return attributes;
    };

    const char *pages[] = {
        R"(<meta a=b<c=d e="f"g=h i='j'k=l>)",
        R"(<meta name=x=y content = "v" ok>)",
        R"(<meta xyz abc=def/ghi =jkl <mno=pqr>)",
        R"(<meta content="unclosed name=n>)",
        R"(<meta a="1"b='2'c=3"d=4>)",
        R"(<meta property="og:title" content="T"><title>A</title >x</title><title>B</title>)",
        R"(<title <title>Weird</title>)",
        R"(<TITLE>Never closed <meta name="description" content="D"> <title>x)",
        "<meta\tname\n=\n'multi\nline'><title>\n</TITLE>",
        R"(text <metadata> <meta/> <meta>)",
    };
    for (const char *text : pages) {
        SCOPED_TRACE(text);
        const QString html = QString::fromUtf8(text);
        const QStringList found = LinkPreviewMetadata::tagMatches(meta.pattern(), html);
        QStringList expected;
        for (const IcuRegex::Match &match : meta.allMatches(html))
            expected.append(match.captured(html).toString());
        EXPECT_EQ(found, expected);
        for (const QString &element : expected)
            EXPECT_EQ(LinkPreviewMetadata::tagAttributes(element), straightforwardAttributes(element))
                << qPrintable(element);

        std::optional<QString> expectedTitle;
        if (const auto match = title.firstMatch(html)) {
            const QString cleaned = LinkPreviewMetadata::cleanedText(match->captured(html, 1).toString());
            if (!cleaned.isEmpty())
                expectedTitle = cleaned;
        }
        QList<LinkPreviewMetadata::Attributes> metaElements;
        for (const QString &element : expected)
            metaElements.append(straightforwardAttributes(element));
        std::optional<QString> expectedParsedTitle = LinkPreviewMetadata::firstMetaContent(
            {QStringLiteral("og:title"), QStringLiteral("twitter:title")}, metaElements);
        if (!expectedParsedTitle)
            expectedParsedTitle = expectedTitle;
        EXPECT_EQ(LinkPreviewMetadata::parse(html, page).title, expectedParsedTitle);
    }
}

TEST(LinkPreviewMetadata, HostilePagesAreReadInOnePass)
{
    // Each of these made the patterns, run naively, scan the rest of the page again from every position: minutes
    // of work on the interface thread for a page of the fetcher's 512 KiB.
    const qsizetype size = 524288;
    const QString unclosedTitles = QStringLiteral("<title ").repeated(size / 7);
    const QString titlesThenClose = unclosedTitles + QStringLiteral(">Found</title>");
    const QString metasWithoutEnd = QStringLiteral("<meta ").repeated(size / 6);
    const QString longName = QStringLiteral("<meta ") + QString(size, u'a') + QStringLiteral(">");
    const QString manyNames = QStringLiteral("<meta ") + QStringLiteral("name ").repeated(size / 5) + QLatin1Char('>');

    EXPECT_EQ(LinkPreviewMetadata::parse(unclosedTitles, page).title, std::nullopt);
    EXPECT_EQ(LinkPreviewMetadata::parse(titlesThenClose, page).title, QStringLiteral("Found"));
    EXPECT_EQ(LinkPreviewMetadata::parse(metasWithoutEnd, page).faviconURLs.size(), 2);
    EXPECT_TRUE(LinkPreviewMetadata::tagAttributes(longName).isEmpty());
    EXPECT_TRUE(LinkPreviewMetadata::tagAttributes(manyNames).isEmpty());
    const QString ampersands = QString(size, u'&');
    EXPECT_EQ(LinkPreviewMetadata::cleanedText(ampersands), ampersands);
}
