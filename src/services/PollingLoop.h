#pragma once

#include "model/Scheduler.h"

#include <functional>
#include <memory>

// A loop that polls, waits, and polls again until it is cancelled: the first
// poll runs as soon as the loop starts, and each next one a whole period
// after the previous poll finished, so the polls of one loop never overlap.
//
// A poll is handed a `done` callback to call when it has finished (once, at
// any later time); it may return a way to abandon its work, which the loop
// calls when it is cancelled meanwhile. A poll finishing after its loop was
// cancelled or restarted changes nothing about the loop.
class PollingLoop {
public:
    using Done = std::function<void()>;
    using Abandon = std::function<void()>;
    using Poll = std::function<Abandon(Done done)>;

    PollingLoop(Scheduler& scheduler, Scheduler::Duration period, Poll poll);
    ~PollingLoop();
    PollingLoop(const PollingLoop&) = delete;
    PollingLoop& operator=(const PollingLoop&) = delete;

    // Cancels a running loop, then starts a new one whose first poll runs now.
    void start();
    // Stops the loop: its wait ends and a poll in flight is abandoned.
    void cancel();
    bool isRunning() const { return m_run != nullptr; }
    // Running, and between a finished poll and the next one.
    bool isWaiting() const;

    Scheduler::Duration period() const { return m_period; }

private:
    struct Run;
    void turn(const std::shared_ptr<Run>& run);

    Scheduler& m_scheduler;
    Scheduler::Duration m_period;
    Poll m_poll;
    std::shared_ptr<Run> m_run;
};
