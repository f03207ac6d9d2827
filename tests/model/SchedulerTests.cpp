#include "model/Scheduler.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>

using namespace std::chrono_literals;

namespace {

// Schedules work due after delay and waits until it has run: Qt runs timers
// in the order they fall due, so whatever was due before has had its turn.
bool workDueAfterRan(Scheduler::Duration delay)
{
    bool ran = false;
    Scheduler::main().schedule(delay, [&] { ran = true; });
    return QTest::qWaitFor([&] { return ran; }, 2000);
}

} // namespace

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

    // The cancelled work fell due before the last one: had it run, it would be in the list by then.
    EXPECT_TRUE(QTest::qWaitFor([&] { return firstRanAt >= 0; }, 2000));
    EXPECT_EQ(ran, (std::vector<int>{3, 1}));
    EXPECT_GE(firstRanAt, 40);

    ScheduledWork().cancel(); // an empty handle refers to no work
}

TEST(Scheduler, RepeatsWorkEveryIntervalUntilCancelledEvenFromInside)
{
    int ticks = 0;
    ScheduledWork loop = Scheduler::main().repeat(10ms, [&] { ++ticks; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 2000));
    loop.cancel();
    const int atCancel = ticks;
    EXPECT_TRUE(workDueAfterRan(30ms));
    EXPECT_EQ(ticks, atCancel);

    int selfStopping = 0;
    ScheduledWork stopper;
    stopper = Scheduler::main().repeat(5ms, [&] {
        if (++selfStopping == 2)
            stopper.cancel();
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return selfStopping == 2; }, 2000));
    EXPECT_TRUE(workDueAfterRan(20ms));
    EXPECT_EQ(selfStopping, 2);
}
