#pragma once

#include <chrono>
#include <functional>
#include <memory>

// A handle to delayed work. Cancelling it keeps the work from running; like a
// cancelled task that wakes early, it then does nothing. An empty handle
// refers to no work.
class ScheduledWork {
public:
    ScheduledWork() = default;

    void cancel();

private:
    friend class Scheduler;
    struct State {
        bool cancelled = false;
    };
    explicit ScheduledWork(std::shared_ptr<State> state) : m_state(std::move(state)) { }

    std::shared_ptr<State> m_state;
};

// Where the companion asks for delayed work on the main thread. The real one
// runs on Qt timers; tests use a scheduler whose time advances on command.
class Scheduler {
public:
    using Duration = std::chrono::milliseconds;

    virtual ~Scheduler() = default;

    // Runs work on the main thread once delay has passed, unless the returned
    // handle was cancelled by then.
    ScheduledWork schedule(Duration delay, std::function<void()> work);
    // Runs work every interval, the first time one interval from now, until
    // the returned handle is cancelled.
    ScheduledWork repeat(Duration interval, std::function<void()> work);

    // The scheduler of the running program, backed by precise Qt timers.
    static Scheduler& main();

protected:
    // Calls fire once, on the main thread, after delay.
    virtual void enqueue(Duration delay, std::function<void()> fire) = 0;

private:
    struct Repetition;
};
