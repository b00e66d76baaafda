#include "LinkPreviewRequests.h"
#include "CoordinatorTestSupport.h"

#include "../services/LoopbackHttpServer.h"

#include <QBuffer>
#include <QImage>

using namespace std::chrono_literals;

namespace {

QByteArray png(QColor color)
{
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

LoopbackHttpServer::Response pngResponse(QColor color)
{
    return {200, {{"Content-Type", "image/png"}}, png(color)};
}

// A page with a title, a description, a picture and an icon, at "/<name>".
void servePage(LoopbackHttpServer &server, const QByteArray &name, QColor pictureColor = Qt::red)
{
    server.answer("/" + name,
        LoopbackHttpServer::page("<html><head><title>Page " + name
            + "</title><meta property=\"og:description\" content=\"About " + name
            + "\"><meta property=\"og:image\" content=\"/" + name
            + ".png\"><link rel=\"icon\" href=\"/icon.png\">"
              "</head><body></body></html>"));
    server.answer("/" + name + ".png", pngResponse(pictureColor));
    server.answer("/icon.png", pngResponse(Qt::blue));
}

ClipboardItem link(int n, const QString &url)
{
    ClipboardItem item = testItem(n, url);
    item.kind = ClipboardKind::link;
    return item.refreshingSearchText({});
}

bool fetchesEnd(CoordinatorHarness &h)
{
    return waitUntil([&] { return h.probe().runningLinkPreviewFetchCount() == 0; }, 8000);
}

QString previewFile(CoordinatorHarness &h, int n, const char *role)
{
    return h.supportDirectory + QStringLiteral("/LinkPreviews/") + testId(n).toString(QUuid::WithoutBraces).toUpper()
        + QLatin1Char('-') + QLatin1String(role) + QStringLiteral(".png");
}

int pageRequests(const LoopbackHttpServer &server, const QByteArray &path)
{
    return int(server.requestedPaths().count(path));
}

} // namespace

// One fetch per item, however often its row asks; the store has the preview at once, the list 0.15 s later.
TEST(LinkPreviews, FetchesOnceStoresAtOnceAndUpdatesTheListAfterAPause)
{
    LoopbackHttpServer server;
    servePage(server, "a");
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems({link(1, server.address("/a"))});
    h.coordinator->start();

    h.coordinator->requestLinkPreviews(h.model.items().first());
    h.coordinator->requestLinkPreviews(h.model.items().first());
    ASSERT_TRUE(fetchesEnd(h));
    EXPECT_EQ(pageRequests(server, "/a"), 1);

    const auto stored = h.storedItem(testId(1));
    ASSERT_TRUE(stored && stored->linkPreviewDetails);
    const LinkPreviewDetails &details = *stored->linkPreviewDetails;
    EXPECT_EQ(details.url, server.address("/a"));
    EXPECT_EQ(details.title, QStringLiteral("Page a"));
    EXPECT_EQ(details.description, QStringLiteral("About a"));
    EXPECT_EQ(details.imagePath, previewFile(h, 1, "preview"));
    EXPECT_EQ(details.faviconPath, previewFile(h, 1, "favicon"));
    EXPECT_EQ(details.fetchedAt, h.clock.now());
    EXPECT_EQ(QImage(*details.imagePath).pixelColor(0, 0), QColor(Qt::red));
    EXPECT_TRUE(stored->searchText.contains(QStringLiteral("About a")));

    // Waiting in the batch: a row shown again asks for nothing.
    h.coordinator->requestLinkPreviews(h.model.items().first());
    EXPECT_EQ(h.probe().runningLinkPreviewFetchCount(), 0);
    EXPECT_FALSE(h.model.items().first().linkPreviewDetails);
    h.scheduler.advance(149ms);
    EXPECT_FALSE(h.model.items().first().linkPreviewDetails);
    h.scheduler.advance(1ms);
    EXPECT_EQ(h.model.items().first(), *stored);
}

// Previews that finish close together reach the list in one change, 0.15 s after the last of them.
TEST(LinkPreviews, ABurstOfFinishedFetchesIsOneModelUpdate)
{
    LoopbackHttpServer server;
    for (const QByteArray name : {"a", "b", "c"})
        servePage(server, name);
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems(
        {link(1, server.address("/a")), link(2, server.address("/b")), link(3, server.address("/c")), testItem(4)});
    h.coordinator->start();
    int changes = 0;
    QObject::connect(&h.model, &AppModel::itemsChanged, &h.model, [&] { ++changes; });

    for (const ClipboardItem &item : h.model.items())
        h.coordinator->requestLinkPreviews(item);
    ASSERT_TRUE(fetchesEnd(h));
    EXPECT_EQ(changes, 0);
    h.scheduler.advance(150ms);
    EXPECT_EQ(changes, 1);
    int withPreview = 0;
    for (const ClipboardItem &item : h.model.items())
        withPreview += item.linkPreviewDetails ? 1 : 0;
    EXPECT_EQ(withPreview, 3);
}

// Rows ask again after each reload of the list; an item whose fetch answered but could not be kept (here the
// pictures cannot be saved) is not fetched again for every reload, and its error is not reported again.
TEST(LinkPreviews, ReloadingTheListDoesNotAskAgain)
{
    LoopbackHttpServer server;
    servePage(server, "a");
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems({link(1, server.address("/a"))});
    QFile blocker(h.supportDirectory + QStringLiteral("/LinkPreviews"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    h.coordinator->start();

    int errors = 0;
    QObject::connect(&h.model, &AppModel::lastErrorChanged, &h.model, [&] { errors += h.model.lastError() ? 1 : 0; });
    for (int reload = 0; reload < 3; ++reload) {
        if (reload > 0)
            h.probe().loadHistory();
        ASSERT_FALSE(h.model.items().first().linkPreviewDetails);
        h.coordinator->requestLinkPreviews(h.model.items().first());
        ASSERT_TRUE(fetchesEnd(h));
        h.scheduler.advance(150ms);
    }
    EXPECT_EQ(pageRequests(server, "/a"), 1);
    EXPECT_EQ(errors, 1);

    // The user's own refresh still fetches.
    h.coordinator->refreshLinkPreview(h.model.items().first(), true);
    ASSERT_TRUE(fetchesEnd(h));
    EXPECT_EQ(pageRequests(server, "/a"), 2);
}

// A list full of links fetches four pages at a time; the others follow as those finish, and each page once.
TEST(LinkPreviews, AFewPagesAreFetchedAtOnce)
{
    LoopbackHttpServer server;
    QList<ClipboardItem> links;
    for (int n = 1; n <= 10; ++n) {
        const QByteArray name = "p" + QByteArray::number(n);
        servePage(server, name);
        links.append(link(n, server.address("/" + name)));
    }
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems(links);
    h.coordinator->start();

    for (const ClipboardItem &item : h.model.items()) {
        h.coordinator->requestLinkPreviews(item);
        h.coordinator->requestLinkPreviews(item);
    }
    EXPECT_EQ(h.probe().runningLinkPreviewFetchCount(), LinkPreviewRequests::maximumRunningFetches);
    int most = 0;
    ASSERT_TRUE(waitUntil(
        [&] {
            most = qMax(most, h.probe().runningLinkPreviewFetchCount());
            return h.probe().runningLinkPreviewFetchCount() == 0 && server.requestedPaths().count() >= 10;
        },
        8000));
    ASSERT_TRUE(fetchesEnd(h));
    EXPECT_LE(most, LinkPreviewRequests::maximumRunningFetches);
    for (int n = 1; n <= 10; ++n)
        EXPECT_EQ(pageRequests(server, "/p" + QByteArray::number(n)), 1) << n;
}

// A page that answers without a preview is recorded as such and not asked for again, except by a forced refresh;
// with previews switched off only the forced refresh fetches.
TEST(LinkPreviews, AnAnswerWithoutPreviewIsRecordedAndOnlyAForcedRefreshTriesAgain)
{
    LoopbackHttpServer server; // "/missing" answers 404
    CoordinatorHarness h;
    h.storeOnboardedPreferences([](AppPreferences &p) { p.showPreviewForLinks = false; });
    h.storeItems({link(1, server.address("/missing"))});
    h.coordinator->start();

    h.coordinator->requestLinkPreviews(h.model.items().first());
    EXPECT_EQ(h.probe().runningLinkPreviewFetchCount(), 0);
    h.coordinator->refreshLinkPreview(h.model.items().first(), true);
    ASSERT_TRUE(fetchesEnd(h));
    h.scheduler.advance(150ms);
    const ClipboardItem item = h.model.items().first();
    ASSERT_TRUE(item.linkPreviewDetails);
    EXPECT_EQ(item.linkPreviewDetails->url, server.address("/missing"));
    EXPECT_FALSE(item.linkPreviewDetails->title || item.linkPreviewDetails->imagePath);

    h.changePreferences([](AppPreferences &p) { p.showPreviewForLinks = true; });
    h.coordinator->requestLinkPreviews(item);
    h.coordinator->refreshLinkPreview(item, false);
    EXPECT_EQ(h.probe().runningLinkPreviewFetchCount(), 0);
    h.coordinator->refreshLinkPreview(item, true);
    EXPECT_EQ(h.probe().runningLinkPreviewFetchCount(), 1);
    ASSERT_TRUE(fetchesEnd(h));
    EXPECT_EQ(pageRequests(server, "/missing"), 2);
}

// A port on this machine that nobody listens on: every fetch of it fails without an answer.
QString refusedAddress(const QString &path = QStringLiteral("/gone"))
{
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const QString address = QStringLiteral("http://127.0.0.1:%1%2").arg(closed.serverPort()).arg(path);
    closed.close();
    return address;
}

// Asks for the item's preview as a shown row does; whether that started a fetch (which then runs to its end).
bool rowAsks(CoordinatorHarness &h, const ClipboardItem &item)
{
    const int before = h.probe().runningLinkPreviewFetchCount();
    h.coordinator->requestLinkPreviews(item);
    const bool started = h.probe().runningLinkPreviewFetchCount() > before;
    EXPECT_TRUE(fetchesEnd(h));
    return started;
}

// No answer at all is not "no preview": nothing is recorded, and the link is fetched again once a pause has passed
// that starts at 30 seconds and doubles with each failure in a row, up to an hour. A forced refresh does not wait.
TEST(LinkPreviews, ATransportFailureIsTriedAgainAfterAGrowingPause)
{
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems({link(1, refusedAddress())});
    h.coordinator->start();
    const ClipboardItem item = h.model.items().first();

    ASSERT_TRUE(rowAsks(h, item));
    h.scheduler.advance(150ms);
    EXPECT_FALSE(h.storedItem(testId(1))->linkPreviewDetails);
    EXPECT_FALSE(h.model.lastError());

    for (const int pause : {30, 60, 120, 240, 480, 960, 1920, 3600, 3600}) {
        EXPECT_FALSE(rowAsks(h, item)) << pause;
        h.clock.advanceSeconds(pause - 1);
        EXPECT_FALSE(rowAsks(h, item)) << pause;
        h.clock.advanceSeconds(1);
        EXPECT_TRUE(rowAsks(h, item)) << pause;
    }

    // The user's own refresh fetches at once, pause or not.
    h.coordinator->refreshLinkPreview(item, true);
    EXPECT_EQ(h.probe().runningLinkPreviewFetchCount(), 1);
    ASSERT_TRUE(fetchesEnd(h));
    EXPECT_FALSE(h.storedItem(testId(1))->linkPreviewDetails);
}

// Without a network, rows that ask every second for three minutes fetch nothing at all; with a network that
// gives no answer, each link is fetched three times (at 0, 30 and 90 seconds), not once per asking row.
TEST(LinkPreviews, RowsAskingWithoutANetworkFetchAlmostNothing)
{
    for (const bool reachable : {false, true}) {
        CoordinatorHarness h;
        bool online = reachable;
        h.linkPreviewFetcher.setReachability([&](const Url &) { return online; });
        h.storeOnboardedPreferences();
        QList<ClipboardItem> links;
        for (int n = 1; n <= 4; ++n)
            links.append(link(n, refusedAddress(QStringLiteral("/page%1").arg(n))));
        h.storeItems(links);
        h.coordinator->start();

        int fetches = 0;
        for (int second = 0; second < 180; ++second) {
            for (const ClipboardItem &item : h.model.items())
                fetches += rowAsks(h, item) ? 1 : 0;
            h.clock.advanceSeconds(1);
        }
        EXPECT_EQ(fetches, reachable ? 4 * 3 : 0) << reachable;

        // The network back: the links are fetched as their rows ask again.
        online = true;
        h.clock.advanceSeconds(3600);
        for (const ClipboardItem &item : h.model.items())
            EXPECT_TRUE(rowAsks(h, item)) << reachable;
    }
}

// The machine itself is reachable whatever the network is doing.
TEST(LinkPreviews, LoopbackAddressesAreAlwaysReachable)
{
    LinkPreviewFetcher fetcher;
    for (const char *address : {"http://127.0.0.1:8080/a", "http://localhost/a", "http://[::1]/a"})
        EXPECT_TRUE(fetcher.canReach(*Url::parse(QString::fromLatin1(address)))) << address;
}

// A fetch whose item was deleted meanwhile, or that was cancelled, writes no row and no file.
TEST(LinkPreviews, DeletedOrCancelledFetchesWriteNothing)
{
    for (const bool cancel : {false, true}) {
        LoopbackHttpServer server;
        servePage(server, "a");
        if (cancel) {
            // A page that never ends: the fetch is still running when it is cancelled.
            LoopbackHttpServer::Response slow = LoopbackHttpServer::page("<html><head><title>Slow</title>");
            slow.mode = LoopbackHttpServer::Response::Body::drip;
            server.answer("/a", slow);
        }
        CoordinatorHarness h;
        h.storeOnboardedPreferences();
        h.storeItems({link(1, server.address("/a")), testItem(2)});
        h.coordinator->start();

        h.coordinator->requestLinkPreviews(*h.storedItem(testId(1)));
        if (cancel) {
            ASSERT_TRUE(waitUntil([&] { return pageRequests(server, "/a") == 1; }));
            // Turning link previews off cancels the fetches that run.
            h.changePreferences([](AppPreferences &p) { p.showPreviewForLinks = false; });
            h.coordinator->applyPreferences();
            ASSERT_TRUE(waitUntil([&] { return server.closedConnections() == 1; }));
            QCoreApplication::processEvents();
        } else {
            h.coordinator->deleteItems({*h.storedItem(testId(1))});
            ASSERT_TRUE(fetchesEnd(h));
        }
        h.scheduler.advance(150ms);
        EXPECT_EQ(h.storedItem(testId(1)).has_value(), cancel);
        if (cancel) {
            EXPECT_FALSE(h.storedItem(testId(1))->linkPreviewDetails);
        }
        EXPECT_FALSE(QFile::exists(previewFile(h, 1, "preview")));
        EXPECT_EQ(h.model.items().size(), cancel ? 2 : 1);
        EXPECT_FALSE(h.model.lastError());
    }
}

// A forced refresh writes the new pictures under the same names.
TEST(LinkPreviews, AForcedRefreshReplacesThePicturesInPlace)
{
    LoopbackHttpServer server;
    servePage(server, "a", Qt::red);
    CoordinatorHarness h;
    h.storeOnboardedPreferences();
    h.storeItems({link(1, server.address("/a"))});
    h.coordinator->start();
    h.coordinator->refreshLinkPreview(h.model.items().first(), true);
    ASSERT_TRUE(fetchesEnd(h));
    h.scheduler.advance(150ms);
    const LinkPreviewDetails first = *h.model.items().first().linkPreviewDetails;

    server.answer("/a.png", pngResponse(Qt::green));
    h.clock.advance(1000);
    h.coordinator->refreshLinkPreview(h.model.items().first(), true);
    ASSERT_TRUE(fetchesEnd(h));
    h.scheduler.advance(150ms);
    const LinkPreviewDetails second = *h.model.items().first().linkPreviewDetails;
    EXPECT_EQ(second.imagePath, first.imagePath);
    EXPECT_EQ(second.faviconPath, first.faviconPath);
    EXPECT_GT(second.fetchedAt, first.fetchedAt);
    EXPECT_EQ(QImage(*second.imagePath).pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(QDir(h.supportDirectory + QStringLiteral("/LinkPreviews")).entryList(QDir::Files).size(), 2);
}
