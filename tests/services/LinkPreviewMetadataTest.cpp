#include "LinkPreviewMetadata.h"

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
