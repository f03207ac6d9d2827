#pragma once

#include "model/Scheduler.h"

#include <vector>

// A scheduler whose clock moves only when a test advances it. Work runs in
// the order it falls due; work due at the same moment runs in the order it
// was scheduled, and work scheduled while advancing runs in the same advance
// when it falls due within it.
class ManualScheduler final : public Scheduler {
public:
    void advance(Duration step);
    // Work not yet run, cancelled work included (it wakes and does nothing).
    std::size_t queuedCount() const { return m_queue.size(); }

protected:
    void enqueue(Duration delay, std::function<void()> fire) override;

private:
    struct Entry {
        Duration due;
        std::uint64_t order;
        std::function<void()> fire;
    };
    Duration m_now{0};
    std::uint64_t m_nextOrder = 0;
    std::vector<Entry> m_queue;
};
