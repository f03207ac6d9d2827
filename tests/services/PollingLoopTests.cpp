#include "services/PollingLoop.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// A poll that finishes only when the test says so, remembering each start
// and each abandonment.
struct ScriptedPoll {
    int starts = 0;
    int abandoned = 0;
    std::vector<PollingLoop::Done> pending;

    PollingLoop::Poll poll()
    {
        return [this](PollingLoop::Done done) -> PollingLoop::Abandon {
            ++starts;
            pending.push_back(std::move(done));
            return [this] { ++abandoned; };
        };
    }
    void finish(size_t which = 0) { pending.at(which)(); }
};

} // namespace

TEST(PollingLoop, PollsAtOnceThenAPeriodAfterEachPollHasFinished)
{
    ManualScheduler scheduler;
    ScriptedPoll polls;
    PollingLoop loop(scheduler, 2s, polls.poll());

    loop.start();
    EXPECT_EQ(polls.starts, 1);
    // A poll that takes long delays the next: polls never overlap.
    scheduler.advance(10s);
    EXPECT_EQ(polls.starts, 1);
    polls.finish(0);
    scheduler.advance(1999ms);
    EXPECT_EQ(polls.starts, 1);
    scheduler.advance(1ms);
    EXPECT_EQ(polls.starts, 2);
}

TEST(PollingLoop, APollThatFinishesAtOnceStillWaitsThePeriod)
{
    ManualScheduler scheduler;
    int starts = 0;
    PollingLoop loop(scheduler, 60s, [&](PollingLoop::Done done) {
        ++starts;
        done();
        done(); // a second call changes nothing
        return PollingLoop::Abandon();
    });
    loop.start();
    EXPECT_EQ(starts, 1);
    scheduler.advance(59s);
    EXPECT_EQ(starts, 1);
    scheduler.advance(1s);
    EXPECT_EQ(starts, 2);
    scheduler.advance(120s);
    EXPECT_EQ(starts, 4);
    EXPECT_EQ(scheduler.queuedCount(), 1u);
}

TEST(PollingLoop, CancellingAbandonsThePollInFlightAndEndsTheLoop)
{
    ManualScheduler scheduler;
    ScriptedPoll polls;
    PollingLoop loop(scheduler, 2s, polls.poll());
    loop.start();
    loop.cancel();
    EXPECT_FALSE(loop.isRunning());
    EXPECT_EQ(polls.abandoned, 1);
    // Its completion arriving anyway starts nothing.
    polls.finish(0);
    scheduler.advance(1h);
    EXPECT_EQ(polls.starts, 1);
}

TEST(PollingLoop, CancellingWhileWaitingEndsTheWait)
{
    ManualScheduler scheduler;
    ScriptedPoll polls;
    PollingLoop loop(scheduler, 2s, polls.poll());
    loop.start();
    polls.finish(0);
    loop.cancel();
    EXPECT_EQ(polls.abandoned, 0);
    scheduler.advance(1h);
    EXPECT_EQ(polls.starts, 1);
}

TEST(PollingLoop, StartingAgainReplacesTheRunningLoop)
{
    ManualScheduler scheduler;
    ScriptedPoll polls;
    PollingLoop loop(scheduler, 2s, polls.poll());
    loop.start();
    loop.start();
    EXPECT_EQ(polls.starts, 2);
    EXPECT_EQ(polls.abandoned, 1);
    // The first run's late completion does not start a second chain of polls.
    polls.finish(0);
    polls.finish(1);
    scheduler.advance(2s);
    EXPECT_EQ(polls.starts, 3);
}

TEST(PollingLoop, ALoopThatIsGoneIgnoresItsPoll)
{
    ManualScheduler scheduler;
    ScriptedPoll polls;
    {
        PollingLoop loop(scheduler, 2s, polls.poll());
        loop.start();
    }
    EXPECT_EQ(polls.abandoned, 1);
    polls.finish(0);
    scheduler.advance(1h);
    EXPECT_EQ(polls.starts, 1);
}
