#include "LinkPreviewFetcher.h"
#include "LoopbackHttpServer.h"
#include "ServicesProbe.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray pngBytes(QSize size, QColor color, qsizetype paddedTo = 0)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    // Bytes after the end of a PNG stream are ignored by decoders: a way to make a picture of an exact size.
    if (paddedTo > bytes.size())
        bytes.append(QByteArray(paddedTo - bytes.size(), '\0'));
    return bytes;
}

LoopbackHttpServer::Response imageResponse(const QByteArray &bytes, bool announceLength = true)
{
    LoopbackHttpServer::Response response {200, {{"Content-Type", "image/png"}}, bytes};
    response.announceLength = announceLength;
    return response;
}

struct Outcome
{
    bool finished = false;
    std::optional<LinkPreview> preview;
    LinkPreviewFetch::Failure failure = LinkPreviewFetch::Failure::none;
};

// Starts a fetch and waits until it reports.
Outcome fetchPreview(LinkPreviewFetcher &fetcher, const QString &address,
    const std::function<void(LinkPreviewFetch *)> &whileRunning = {})
{
    Outcome outcome;
    const auto url = Url::parse(address);
    EXPECT_TRUE(url.has_value()) << qPrintable(address);
    if (!url)
        return outcome;
    QPointer<LinkPreviewFetch> fetch = fetcher.fetch(*url);
    QObject::connect(
        fetch, &LinkPreviewFetch::finished, &fetcher, [&outcome, fetch](const std::optional<LinkPreview> &p) {
            outcome.finished = true;
            outcome.preview = p;
            outcome.failure = fetch->failure();
        });
    if (whileRunning)
        whileRunning(fetch);
    EXPECT_TRUE(waitUntil([&] { return outcome.finished; }, 8000)) << qPrintable(address);
    EXPECT_TRUE(waitUntil([&] { return fetch.isNull(); })) << "a finished fetch deletes itself";
    return outcome;
}

} // namespace

TEST(LinkPreviewFetcher, ReadsThePageAndLoadsItsPictureAndFirstWorkingIcon)
{
    LoopbackHttpServer server;
    server.answer("/article", LoopbackHttpServer::page(R"(<html><head>
        <meta property="og:title" content="Fjords &amp; Glaciers">
        <meta name="description" content="A trip north.">
        <meta property="og:image" content="/media/cover.png">
        <link rel="icon" href="/broken.ico">
        <link rel="apple-touch-icon" href="/touch.png">
        <link rel="icon" type="image/png" href="/small.png">
        </head><body>text</body></html>)"));
    server.answer("/media/cover.png", imageResponse(pngBytes({40, 20}, Qt::blue)));
    server.answer("/touch.png", {200, {{"Content-Type", "image/png"}}, "not a picture"});
    server.answer("/small.png", imageResponse(pngBytes({16, 16}, Qt::red)));

    LinkPreviewFetcher fetcher;
    const Outcome outcome = fetchPreview(fetcher, server.address("/article"));
    ASSERT_TRUE(outcome.preview);
    const LinkPreview &preview = *outcome.preview;
    EXPECT_EQ(preview.url.toString(), server.address("/article"));
    EXPECT_EQ(preview.title, QStringLiteral("Fjords & Glaciers"));
    EXPECT_EQ(preview.description, QStringLiteral("A trip north."));
    EXPECT_EQ(preview.image.size(), QSize(40, 20));
    EXPECT_EQ(preview.favicon.size(), QSize(16, 16));

    // Icons are tried one after the other (apple-touch, PNG, other, ICO, then the fallbacks), and the first
    // that gives a picture ends the search; the preview picture loads alongside.
    QList<QByteArray> iconPaths = server.requestedPaths();
    EXPECT_EQ(iconPaths.removeAll("/article"), 1);
    EXPECT_EQ(iconPaths.removeAll("/media/cover.png"), 1);
    EXPECT_EQ(iconPaths, (QList<QByteArray> {"/touch.png", "/small.png"}));

    // The headers of the page and of the pictures, exactly.
    for (const LoopbackHttpServer::Request &request : server.requests()) {
        SCOPED_TRACE(request.path.toStdString());
        EXPECT_EQ(request.method, "GET");
        EXPECT_EQ(request.headers.value("user-agent"), "Varnisto/1.0");
        if (request.path == "/article") {
            EXPECT_EQ(request.headers.value("accept"), "text/html,application/xhtml+xml");
            EXPECT_EQ(request.headers.value("range"), "bytes=0-524287");
        } else {
            EXPECT_EQ(request.headers.value("accept"), "image/avif,image/webp,image/png,image/jpeg,image/*;q=0.8");
            EXPECT_FALSE(request.headers.contains("range"));
        }
    }
}

TEST(LinkPreviewFetcher, ResolvesRelativeAddressesAgainstTheAddressRedirectsReached)
{
    LoopbackHttpServer server;
    server.answer("/short", LoopbackHttpServer::redirect("/blog/2024/post.html", 301));
    server.answer("/blog/2024/post.html", LoopbackHttpServer::page(R"(<title>Moved post</title>
        <meta property="og:image" content="images/cover.png"><link rel="icon" href="icon.png">)"));
    server.answer("/blog/2024/images/cover.png", imageResponse(pngBytes({8, 8}, Qt::green)));
    server.answer("/blog/2024/icon.png", imageResponse(pngBytes({4, 4}, Qt::green)));

    LinkPreviewFetcher fetcher;
    const Outcome outcome = fetchPreview(fetcher, server.address("/short"));
    ASSERT_TRUE(outcome.preview);
    EXPECT_EQ(outcome.preview->url.toString(), server.address("/short")) << "the address asked for is kept";
    EXPECT_EQ(outcome.preview->title, QStringLiteral("Moved post"));
    EXPECT_EQ(outcome.preview->image.size(), QSize(8, 8));
    EXPECT_EQ(outcome.preview->favicon.size(), QSize(4, 4));
}

TEST(LinkPreviewFetcher, AcceptsStatusesFrom200To399)
{
    struct Case
    {
        int status;
        bool givesPreview;
        std::optional<QString> title; // a 304 answer has no body
    };
    const QString title = QStringLiteral("Status page");
    const Case cases[] = {{200, true, title}, {203, true, title}, {206, true, title}, {300, true, title},
        {304, true, {}}, {399, true, title}, {404, false, {}}, {410, false, {}}, {500, false, {}}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.status);
        LoopbackHttpServer server;
        server.answer("/page", LoopbackHttpServer::page("<title>Status page</title>", c.status));
        LinkPreviewFetcher fetcher;
        const Outcome outcome = fetchPreview(fetcher, server.address("/page"));
        EXPECT_EQ(outcome.preview.has_value(), c.givesPreview);
        EXPECT_EQ(
            outcome.failure, c.givesPreview ? LinkPreviewFetch::Failure::none : LinkPreviewFetch::Failure::refused);
        if (outcome.preview) {
            EXPECT_EQ(outcome.preview->title, c.title);
        }
    }
}

TEST(LinkPreviewFetcher, FetchesOnlyHttpAndHttpsAsWritten)
{
    LoopbackHttpServer server;
    server.answer("/", LoopbackHttpServer::page("<title>Never</title>"));
    const QString hostAndPort = server.address("/").mid(QStringLiteral("http://").size());
    const QStringList addresses = {
        QStringLiteral("HTTP://") + hostAndPort,
        QStringLiteral("Https://") + hostAndPort,
        QStringLiteral("ftp://") + hostAndPort,
        QStringLiteral("file:///etc/hostname"),
        QStringLiteral("//") + hostAndPort,
    };
    LinkPreviewFetcher fetcher;
    for (const QString &address : addresses) {
        SCOPED_TRACE(address.toStdString());
        const Outcome outcome = fetchPreview(fetcher, address);
        EXPECT_TRUE(outcome.finished);
        EXPECT_FALSE(outcome.preview);
        EXPECT_EQ(outcome.failure, LinkPreviewFetch::Failure::unsupportedAddress);
    }
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST(LinkPreviewFetcher, StopsReadingAnEndlessPageAtItsCap)
{
    // The server ignores the range and never stops; the fetch keeps the first 512 KiB and ends.
    LoopbackHttpServer server;
    LoopbackHttpServer::Response endless = LoopbackHttpServer::page("<title>Endless</title>");
    endless.mode = LoopbackHttpServer::Response::Body::endless;
    server.answer("/endless", endless);

    LinkPreviewFetcher fetcher;
    const Outcome outcome = fetchPreview(fetcher, server.address("/endless"));
    ASSERT_TRUE(outcome.preview);
    EXPECT_EQ(outcome.preview->title, QStringLiteral("Endless"));
    EXPECT_TRUE(waitUntil([&] { return server.closedConnections() >= 1; })) << "the page connection is closed";
    // What the server managed to write is the cap plus what socket buffers hold, not an ever-growing amount.
    const qint64 sentAtClose = server.bytesSent();
    EXPECT_LT(sentAtClose, 64 * 1024 * 1024);
}

TEST(LinkPreviewFetcher, GivesUpOnADrippingServerAtTheDeadline)
{
    LoopbackHttpServer server;
    LoopbackHttpServer::Response drip = LoopbackHttpServer::page("<title>Slow</title>");
    drip.mode = LoopbackHttpServer::Response::Body::drip;
    server.answer("/slow", drip);

    LinkPreviewFetcher fetcher;
    EXPECT_EQ(ServicesProbe::requestDeadline(fetcher), std::chrono::milliseconds(10000))
        << "the product waits ten seconds";
    fetcher.setRequestDeadline(std::chrono::milliseconds(400));
    QElapsedTimer clock;
    clock.start();
    const Outcome outcome = fetchPreview(fetcher, server.address("/slow"));
    EXPECT_TRUE(outcome.finished);
    EXPECT_FALSE(outcome.preview) << "a page that does not finish in time is a failed request";
    EXPECT_EQ(outcome.failure, LinkPreviewFetch::Failure::noAnswer) << "to be tried again later";
    EXPECT_GE(clock.elapsed(), 400);

    // Nobody listening at all is no answer either.
    QString closedPort;
    {
        LoopbackHttpServer gone;
        closedPort = gone.address("/");
    }
    const Outcome refusedConnection = fetchPreview(fetcher, closedPort);
    EXPECT_FALSE(refusedConnection.preview);
    EXPECT_EQ(refusedConnection.failure, LinkPreviewFetch::Failure::noAnswer);
}

TEST(LinkPreviewFetcher, ImageAndIconCapsAreExact)
{
    // A picture of exactly the cap is taken, one byte more is refused, whether or not the size is announced.
    struct Case
    {
        qsizetype imageSize;
        qsizetype firstIconSize;
        bool announceLength;
        bool expectImage;
        QSize expectedIcon; // the first icon when it fits, else the second
    };
    const qsizetype imageCap = LinkPreviewFetcher::imageByteLimit;
    const qsizetype iconCap = LinkPreviewFetcher::faviconByteLimit;
    const Case cases[] = {
        {imageCap, iconCap, true, true, QSize(16, 16)},
        {imageCap + 1, iconCap + 1, true, false, QSize(32, 32)},
        {imageCap, iconCap, false, true, QSize(16, 16)},
        {imageCap + 1, iconCap + 1, false, false, QSize(32, 32)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.imageSize << " " << c.firstIconSize << " " << c.announceLength);
        LoopbackHttpServer server;
        server.answer("/p", LoopbackHttpServer::page(R"(<meta property="og:image" content="/big.png">
            <link rel="icon" type="image/png" href="/first.png"><link rel="icon" href="/second.ico">)"));
        server.answer("/big.png", imageResponse(pngBytes({64, 64}, Qt::gray, c.imageSize), c.announceLength));
        server.answer("/first.png", imageResponse(pngBytes({16, 16}, Qt::gray, c.firstIconSize), c.announceLength));
        server.answer("/second.ico", imageResponse(pngBytes({32, 32}, Qt::gray)));

        LinkPreviewFetcher fetcher;
        const Outcome outcome = fetchPreview(fetcher, server.address("/p"));
        ASSERT_TRUE(outcome.preview);
        EXPECT_EQ(!outcome.preview->image.isNull(), c.expectImage);
        EXPECT_EQ(outcome.preview->favicon.size(), c.expectedIcon);
    }
}

TEST(LinkPreviewFetcher, APictureThatIsNotAnImageStillGivesThePreview)
{
    LoopbackHttpServer server;
    server.answer(
        "/p", LoopbackHttpServer::page(R"(<title>Text only</title><meta name="twitter:image" content="/i">)"));
    server.answer("/i", LoopbackHttpServer::page("<html>an error page</html>"));

    LinkPreviewFetcher fetcher;
    const Outcome outcome = fetchPreview(fetcher, server.address("/p"));
    ASSERT_TRUE(outcome.preview);
    EXPECT_EQ(outcome.preview->title, QStringLiteral("Text only"));
    EXPECT_TRUE(outcome.preview->image.isNull());
    EXPECT_TRUE(outcome.preview->favicon.isNull()) << "/favicon.png and /favicon.ico are not there";
    QList<QByteArray> paths = server.requestedPaths();
    paths.removeAll("/p");
    paths.removeAll("/i");
    EXPECT_EQ(paths, (QList<QByteArray> {"/favicon.png", "/favicon.ico"}));
}

TEST(LinkPreviewFetcher, CancellingEndsThePendingRequests)
{
    LoopbackHttpServer server;
    LoopbackHttpServer::Response slowPage = LoopbackHttpServer::page("<title>Slow</title>");
    slowPage.mode = LoopbackHttpServer::Response::Body::drip;
    server.answer("/slow", slowPage);
    server.answer(
        "/fast", LoopbackHttpServer::page(R"(<title>Fast</title><meta property="og:image" content="/slow">)"));

    LinkPreviewFetcher fetcher;
    // While the page loads: nothing.
    Outcome outcome = fetchPreview(fetcher, server.address("/slow"), [&](LinkPreviewFetch *fetch) {
        EXPECT_TRUE(waitUntil([&] { return server.requests().size() == 1; }));
        fetch->cancel();
        EXPECT_TRUE(fetch->isCancelled());
    });
    EXPECT_TRUE(outcome.finished);
    EXPECT_FALSE(outcome.preview);
    EXPECT_EQ(outcome.failure, LinkPreviewFetch::Failure::noAnswer);

    // While the picture loads: the page's text without the picture.
    outcome = fetchPreview(fetcher, server.address("/fast"), [&](LinkPreviewFetch *fetch) {
        EXPECT_TRUE(
            waitUntil([&] { return server.requestedPaths().contains("/slow") && server.requests().size() >= 3; }));
        fetch->cancel();
    });
    ASSERT_TRUE(outcome.preview);
    EXPECT_EQ(outcome.preview->title, QStringLiteral("Fast"));
    EXPECT_TRUE(outcome.preview->image.isNull());
}

TEST(LinkPreviewFetcher, DecodesThePageAsUtf8WithOneReplacementPerMaximalSubpart)
{
    struct Case
    {
        QByteArray bytes;
        QString text;
    };
    const QChar r = QChar::ReplacementCharacter;
    const Case cases[] = {
        {"plain ASCII", QStringLiteral("plain ASCII")},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", QStringLiteral("café € 😀")},
        {"caf\xE9 ok", QStringLiteral("caf") + r + QStringLiteral(" ok")}, // Latin-1 byte
        {"a\xE2\x82"
         "b",
            QStringLiteral("a") + r + QStringLiteral("b")}, // truncated 3-byte sequence: one
        {"a\xF0\x9F\x98"
         "b",
            QStringLiteral("a") + r + QStringLiteral("b")}, // truncated 4-byte sequence: one
        {"\xC0\xAF", QString(2, r)}, // overlong: never valid, each byte alone
        {"\xED\xA0\x80", QString(3, r)}, // a surrogate: the second byte is out of range
        {"\xF4\x90\x80\x80", QString(4, r)}, // beyond U+10FFFF
        {"\x80\xBF", QString(2, r)}, // stray continuation bytes
        {"end\xE2\x82", QStringLiteral("end") + r}, // cut off at the end of the bytes
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.bytes.toHex(' ').toStdString());
        EXPECT_EQ(LinkPreviewFetcher::decodedPageText(c.bytes), c.text);
    }
}

TEST(StoredLinkPreview, RebuildsThePreviewFromTheStoredDetails)
{
    QTemporaryDir folder;
    const QString imagePath = folder.filePath(QStringLiteral("item-preview.png"));
    const QString iconPath = folder.filePath(QStringLiteral("item-favicon.png"));
    QImage(12, 6, QImage::Format_RGB32).save(imagePath);

    ClipboardItem item;
    item.kind = ClipboardKind::link;
    item.text = QStringLiteral("https://example.org/from-text");
    item.linkPreviewDetails = LinkPreviewDetails {QStringLiteral("https://example.org/stored"), QStringLiteral("Title"),
        QStringLiteral("Description"), imagePath,
        iconPath, // never written: no icon
        QDateTime::currentDateTimeUtc()};

    auto preview = storedLinkPreview(item);
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->url.toString(), QStringLiteral("https://example.org/stored"));
    EXPECT_EQ(preview->title, QStringLiteral("Title"));
    EXPECT_EQ(preview->description, QStringLiteral("Description"));
    EXPECT_EQ(preview->image.size(), QSize(12, 6));
    EXPECT_TRUE(preview->favicon.isNull());

    // An address that does not parse falls back to the item's text.
    item.linkPreviewDetails->url = QStringLiteral("not an address");
    preview = storedLinkPreview(item);
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->url.toString(), QStringLiteral("https://example.org/from-text"));

    item.text = QStringLiteral("no link here");
    EXPECT_FALSE(storedLinkPreview(item));

    item.text = QStringLiteral("https://example.org/");
    item.kind = ClipboardKind::text;
    EXPECT_FALSE(storedLinkPreview(item)) << "only link items have previews";
    item.kind = ClipboardKind::link;
    item.linkPreviewDetails.reset();
    EXPECT_FALSE(storedLinkPreview(item));
}
