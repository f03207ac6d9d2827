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
