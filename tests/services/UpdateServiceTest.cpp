#include "UpdateService.h"
#include "LoopbackHttpServer.h"
#include "ManualScheduler.h"
#include "ServicesProbe.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray appcast(const QList<std::pair<const char *, const char *>> &releases)
{
    QByteArray items;
    for (const auto &[version, url] : releases) {
        items += QByteArray("<item><title>Version ") + version + "</title>" + "<sparkle:shortVersionString>" + version
            + "</sparkle:shortVersionString>" + "<pubDate>Mon, 01 Jan 2024 10:00:00 +0000</pubDate>"
            + "<enclosure url=\"" + url
            + "\" sparkle:version=\"1234\" length=\"1000\" type=\"application/octet-stream\"/></item>";
    }
    return R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel><title>Varnisto</title>)"
        + items + "</channel></rss>";
}

// Runs one check and waits for its answer.
std::optional<UpdateCheckResult> check(UpdateService &service)
{
    std::optional<UpdateCheckResult> result;
    QObject context;
    QObject::connect(
        &service, &UpdateService::updateCheckFinished, &context, [&](const UpdateCheckResult &r) { result = r; });
    service.checkForUpdates();
    EXPECT_TRUE(waitUntil([&] { return result.has_value(); }));
    return result;
}

} // namespace

TEST(AppcastUpdateService, SaysSoWhenTheBuildHasNoFeedAndSchedulesNothing)
{
    ManualClock clock;
    ManualScheduler scheduler(clock);
    AppcastUpdateService service(clock, scheduler, QString()); // this build's settings: no feed address
    ASSERT_TRUE(AppcastUpdateService::configuredFeedURL().isEmpty());
    const auto result = check(service);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, UpdateCheckResult::Status::noFeedConfigured);
    EXPECT_TRUE(result->userInitiated);
    EXPECT_EQ(result->title(), QStringLiteral("No update feed is configured"));

    service.setAutomaticChecksEnabled(true);
    EXPECT_TRUE(ServicesProbe::automaticChecksEnabled(service));
    EXPECT_EQ(scheduler.pendingCount(), 0) << "automatic checks without a feed never wake the program";
    EXPECT_FALSE(ServicesProbe::nextAutomaticCheckTime(service));
}

TEST(AppcastUpdateService, ComparesTheNewestReleaseOfALocalAppcastWithThisVersion)
{
    QTemporaryDir folder;
    const QString feed = folder.filePath(QStringLiteral("appcast.xml"));
    QFile file(feed);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ManualClock clock;
    ManualScheduler scheduler(clock);
    file.write(appcast(
        {{"1.9.0", "https://example.org/varnisto-1.9.0.tar.gz"}, {"2.1.0", "https://example.org/varnisto-2.1.0.tar.gz"},
            {"2.0.5", "https://example.org/varnisto-2.0.5.tar.gz"}, {"9.0", "ftp://example.org/not-a-download-link"}}));
    file.close();

    struct Case
    {
        const char *current;
        UpdateCheckResult::Status status;
    };
    const Case cases[] = {
        {"2.0.0", UpdateCheckResult::Status::updateAvailable},
        {"2.1", UpdateCheckResult::Status::upToDate},
        {"2.10.0", UpdateCheckResult::Status::upToDate},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.current);
        AppcastUpdateService service(QUrl::fromLocalFile(feed), QString::fromUtf8(c.current), clock, scheduler);
        const auto result = check(service);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, c.status);
        ASSERT_TRUE(result->newestItem);
        EXPECT_EQ(result->newestItem->version, QStringLiteral("2.1.0"));
        EXPECT_EQ(result->newestItem->downloadURL, QUrl(QStringLiteral("https://example.org/varnisto-2.1.0.tar.gz")));
    }

    AppcastUpdateService older(QUrl::fromLocalFile(feed), QStringLiteral("2.0.0"), clock, scheduler);
    EXPECT_EQ(check(older)->message(), QStringLiteral("Varnisto 2.1.0 is available; you have version 2.0.0."));
}

TEST(AppcastUpdateService, ReportsFeedsThatCannotBeReachedOrRead)
{
    LoopbackHttpServer server;
    server.answer("/appcast.xml",
        {200, {{"Content-Type", "application/rss+xml"}},
            appcast({{"3.0.0", "https://example.org/varnisto-3.0.0.tar.gz"}})});
    server.answer("/page.html", LoopbackHttpServer::page("<html><body>not a feed</body></html>"));
    server.answer("/empty.xml", {200, {}, appcast({})});
    QTemporaryDir folder;
    ManualClock clock;
    ManualScheduler scheduler(clock);

    struct Case
    {
        const char *name;
        QUrl feed;
        UpdateCheckResult::Status status;
    };
    const Case cases[] = {
        {"served appcast", QUrl(server.address("/appcast.xml")), UpdateCheckResult::Status::updateAvailable},
        {"not found", QUrl(server.address("/gone.xml")), UpdateCheckResult::Status::feedUnreachable},
        {"a web page", QUrl(server.address("/page.html")), UpdateCheckResult::Status::feedInvalid},
        {"no releases", QUrl(server.address("/empty.xml")), UpdateCheckResult::Status::feedInvalid},
        {"missing file", QUrl::fromLocalFile(folder.filePath(QStringLiteral("none.xml"))),
            UpdateCheckResult::Status::feedUnreachable},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        AppcastUpdateService service(c.feed, QStringLiteral("2.0.0"), clock, scheduler);
        const auto result = check(service);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, c.status);
        EXPECT_FALSE(result->title().isEmpty());
        EXPECT_FALSE(result->message().isEmpty());
    }
}

// One waiting call at a time, due a day after the last check, which the settings keep across starts.
TEST(AppcastUpdateService, ChecksOnceADayWhileSwitchedOnAndRemembersTheLastCheckAcrossStarts)
{
    using std::chrono::hours;
    using std::chrono::milliseconds;
    LoopbackHttpServer server;
    server.answer("/appcast.xml", {200, {}, appcast({{"2.0.0", "https://example.org/varnisto-2.0.0.tar.gz"}})});
    const QUrl feed(server.address("/appcast.xml"));
    QTemporaryDir folder;
    const QString settings = folder.filePath(QStringLiteral("Varnisto.conf"));
    ManualClock clock;
    ManualScheduler scheduler(clock);
    QList<UpdateCheckResult> results;
    QObject receiver;
    const auto start = [&] {
        auto service
            = std::make_unique<AppcastUpdateService>(feed, QStringLiteral("2.0.0"), clock, scheduler, settings);
        QObject::connect(service.get(), &UpdateService::updateCheckFinished, &receiver,
            [&](const UpdateCheckResult &r) { results.append(r); });
        return service;
    };

    // Never checked before: the first check is due at once.
    auto service = start();
    EXPECT_EQ(scheduler.pendingCount(), 0) << "nothing before the switch is on";
    service->setAutomaticChecksEnabled(true);
    service->setAutomaticChecksEnabled(true); // applying the preferences again changes nothing
    EXPECT_EQ(scheduler.pendingCount(), 1);
    EXPECT_EQ(scheduler.nextCallDueIn(), milliseconds(0));
    scheduler.advance(milliseconds(0));
    // The user asks while it runs: one request, and its answer is the user's.
    service->checkForUpdates();
    ASSERT_TRUE(waitUntil([&] { return results.size() == 1; }));
    EXPECT_TRUE(results.last().userInitiated);
    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_EQ(ServicesProbe::lastCheckTime(*service), clock.now());
    EXPECT_EQ(scheduler.pendingCount(), 1);
    EXPECT_EQ(scheduler.nextCallDueIn(), hours(24));
    EXPECT_EQ(ServicesProbe::nextAutomaticCheckTime(*service), clock.now().addDays(1));

    // Nothing more within the day; then the next check, which is not the user's.
    scheduler.advance(hours(23));
    waitUntil([] { return false; }, 50);
    EXPECT_EQ(server.requests().size(), 1);
    scheduler.advance(hours(1));
    ASSERT_TRUE(waitUntil([&] { return results.size() == 2; }));
    EXPECT_FALSE(results.last().userInitiated);
    EXPECT_EQ(results.last().status, UpdateCheckResult::Status::upToDate);
    EXPECT_EQ(scheduler.nextCallDueIn(), hours(24));

    // A new start ten hours later waits for the rest of the day.
    service.reset();
    clock.advance(milliseconds(hours(10)).count());
    service = start();
    service->setAutomaticChecksEnabled(true);
    EXPECT_EQ(scheduler.pendingCount(), 1);
    EXPECT_EQ(scheduler.nextCallDueIn(), hours(14));

    // Turned off, nothing waits and nothing is asked.
    service->setAutomaticChecksEnabled(false);
    EXPECT_EQ(scheduler.pendingCount(), 0);
    scheduler.advance(hours(72));
    waitUntil([] { return false; }, 50);
    EXPECT_EQ(server.requests().size(), 2);

    // A last check that lies ahead, after the clock was set back, still waits no more than a day.
    service.reset();
    clock.setNow(clock.now().addDays(-10));
    service = start();
    service->setAutomaticChecksEnabled(true);
    EXPECT_EQ(scheduler.nextCallDueIn(), hours(24));
}

TEST(AppcastUpdateService, ComparesVersionsPartByPart)
{
    struct Case
    {
        const char *a;
        const char *b;
        int order;
    };
    const Case cases[] = {
        {"2.0.0", "2.0.0", 0},
        {"2.0", "2.0.0", 0},
        {"2.0.1", "2.0.0", 1},
        {"2.10", "2.9", 1},
        {"10.0", "9.9.9", 1},
        {"2.0b1", "2.0", -1},
        {"2.0b2", "2.0b1", 1},
        {"2.0.1", "2.0b9", 1},
        {"v2.1", "2.1", 0},
        {"2.01", "2.1", 0},
        {"1.0-rc1", "1.0", -1},
        {"3", "2.99", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        EXPECT_EQ(AppcastUpdateService::compareVersions(QString::fromUtf8(c.a), QString::fromUtf8(c.b)), c.order);
        EXPECT_EQ(AppcastUpdateService::compareVersions(QString::fromUtf8(c.b), QString::fromUtf8(c.a)), -c.order);
    }
}
