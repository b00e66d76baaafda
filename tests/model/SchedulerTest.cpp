#include "ManualScheduler.h"
#include "TestSupport.h"

#include <QObject>

#include <gtest/gtest.h>

#include <memory>

using namespace std::chrono_literals;

// Calls are made in the order they fall due, with the clock showing their moment; calls scheduled by a call are
// made in the same advance when they fall due in time; cancelled calls and calls of a dead context are not made.
TEST(ManualScheduler, MakesCallsInTimeOrderOnItsClock)
{
    ManualClock clock;
    const QDateTime start = clock.now();
    ManualScheduler scheduler(clock);
    QObject context;
    auto doomed = std::make_unique<QObject>();
    QStringList made;
    const auto record = [&](const char *name) {
        return [&, name] {
            made.append(QStringLiteral("%1@%2").arg(QLatin1String(name)).arg(start.msecsTo(clock.now())));
        };
    };

    scheduler.schedule(160ms, &context, record("b"));
    scheduler.schedule(80ms, &context, [&] {
        record("a")();
        scheduler.schedule(100ms, &context, record("c"));
    });
    ScheduledCall cancelled = scheduler.schedule(50ms, &context, record("cancelled"));
    scheduler.schedule(60ms, doomed.get(), record("dead"));
    cancelled.cancel();
    doomed.reset();
    EXPECT_EQ(scheduler.nextCallDueIn(), 80ms);

    scheduler.advance(170ms);
    EXPECT_EQ(made, QStringList({QStringLiteral("a@80"), QStringLiteral("b@160")}));
    EXPECT_EQ(start.msecsTo(clock.now()), 170);
    EXPECT_EQ(scheduler.pendingCount(), 1);
    scheduler.advance(10ms);
    EXPECT_EQ(made.last(), QStringLiteral("c@180"));
    EXPECT_EQ(scheduler.pendingCount(), 0);
    EXPECT_FALSE(cancelled.isPending());
}

TEST(EventLoopScheduler, MakesTheCallUnlessCancelled)
{
    EventLoopScheduler scheduler;
    QObject context;
    bool made = false;
    bool cancelledMade = false;
    ScheduledCall call = scheduler.schedule(1ms, &context, [&] { made = true; });
    scheduler.schedule(1ms, &context, [&] { cancelledMade = true; }).cancel();
    EXPECT_TRUE(call.isPending());
    ASSERT_TRUE(waitUntil([&] { return made; }));
    EXPECT_FALSE(call.isPending());
    QCoreApplication::processEvents();
    EXPECT_FALSE(cancelledMade);
}
