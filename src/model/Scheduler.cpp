#include "Scheduler.h"

#include <QCoreApplication>
#include <QTimer>

void ScheduledWork::cancel()
{
    if (m_state)
        m_state->cancelled = true;
}

ScheduledWork Scheduler::schedule(Duration delay, std::function<void()> work)
{
    auto state = std::make_shared<ScheduledWork::State>();
    enqueue(delay, [state, work = std::move(work)] {
        if (!state->cancelled)
            work();
    });
    return ScheduledWork(state);
}

// One round of a repeating piece of work; each firing queues the next round
// unless the work was cancelled, so a cancelled loop simply ends.
struct Scheduler::Repetition : std::enable_shared_from_this<Repetition> {
    Repetition(Scheduler& scheduler, Duration interval, std::function<void()> work)
        : scheduler(scheduler), interval(interval), work(std::move(work))
    {
    }

    void queueNext()
    {
        scheduler.enqueue(interval, [self = shared_from_this()] {
            if (self->state->cancelled)
                return;
            self->work();
            if (!self->state->cancelled)
                self->queueNext();
        });
    }

    Scheduler& scheduler;
    Duration interval;
    std::function<void()> work;
    std::shared_ptr<ScheduledWork::State> state = std::make_shared<ScheduledWork::State>();
};

ScheduledWork Scheduler::repeat(Duration interval, std::function<void()> work)
{
    auto repetition = std::make_shared<Repetition>(*this, interval, std::move(work));
    repetition->queueNext();
    return ScheduledWork(repetition->state);
}

namespace {

class TimerScheduler final : public Scheduler {
protected:
    void enqueue(Duration delay, std::function<void()> fire) override
    {
        // Precise timers: the default coarse ones may fire 5% late, a second
        // or more on an alert's self-dismissal.
        QTimer::singleShot(delay, Qt::PreciseTimer, QCoreApplication::instance(), std::move(fire));
    }
};

} // namespace

Scheduler& Scheduler::main()
{
    static TimerScheduler scheduler;
    return scheduler;
}
