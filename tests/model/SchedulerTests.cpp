#include "model/Scheduler.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

using namespace std::chrono_literals;

TEST(Scheduler, RunsWorkOnTheMainThreadAfterItsDelayUnlessCancelled)
{
    std::vector<int> ran;
    QElapsedTimer clock;
    clock.start();
    qint64 firstRanAt = -1;

    Scheduler::main().schedule(40ms, [&] {
        ran.push_back(1);
        firstRanAt = clock.elapsed();
    });
    ScheduledWork cancelled = Scheduler::main().schedule(10ms, [&] { ran.push_back(2); });
    Scheduler::main().schedule(0ms, [&] { ran.push_back(3); });
    cancelled.cancel();
    EXPECT_TRUE(ran.empty()) << "nothing runs before the event loop turns";

    EXPECT_TRUE(QTest::qWaitFor([&] { return ran.size() == 2; }, 2000));
    QTest::qWait(30);
    EXPECT_EQ(ran, (std::vector<int>{3, 1}));
    EXPECT_GE(firstRanAt, 40);

    ScheduledWork().cancel();  // an empty handle refers to no work
}

TEST(Scheduler, RepeatsWorkEveryIntervalUntilCancelledEvenFromInside)
{
    int ticks = 0;
    ScheduledWork loop = Scheduler::main().repeat(10ms, [&] { ++ticks; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 2000));
    loop.cancel();
    const int atCancel = ticks;
    QTest::qWait(50);
    EXPECT_EQ(ticks, atCancel);

    int selfStopping = 0;
    ScheduledWork stopper;
    stopper = Scheduler::main().repeat(5ms, [&] {
        if (++selfStopping == 2)
            stopper.cancel();
    });
    QTest::qWait(60);
    EXPECT_EQ(selfStopping, 2);
}
