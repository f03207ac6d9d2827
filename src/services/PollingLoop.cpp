#include "PollingLoop.h"

// One started loop. Everything it hands out refers to it weakly, so a
// cancelled run (or a loop that is gone) ignores late completions.
struct PollingLoop::Run {
    explicit Run(PollingLoop* owner) : loop(owner) { }

    PollingLoop* loop;
    bool polling = false;
    ScheduledWork wait;
    Abandon abandon;
};

PollingLoop::PollingLoop(Scheduler& scheduler, Scheduler::Duration period, Poll poll)
    : m_scheduler(scheduler), m_period(period), m_poll(std::move(poll))
{
}

PollingLoop::~PollingLoop() { cancel(); }

void PollingLoop::start()
{
    cancel();
    m_run = std::make_shared<Run>(this);
    turn(m_run);
}

void PollingLoop::cancel()
{
    const std::shared_ptr<Run> run = std::move(m_run);
    if (!run)
        return;
    run->loop = nullptr;
    run->wait.cancel();
    if (Abandon abandon = std::move(run->abandon))
        abandon();
}

bool PollingLoop::isWaiting() const { return m_run && !m_run->polling; }

void PollingLoop::turn(const std::shared_ptr<Run>& run)
{
    const std::weak_ptr<Run> weakRun = run;
    auto finished = std::make_shared<bool>(false);
    Done done = [this, weakRun, finished] {
        const std::shared_ptr<Run> current = weakRun.lock();
        if (*finished || !current || !current->loop)
            return;
        *finished = true;
        current->polling = false;
        current->abandon = nullptr;
        current->wait = m_scheduler.schedule(m_period, [this, weakRun] {
            const std::shared_ptr<Run> waking = weakRun.lock();
            if (waking && waking->loop)
                turn(waking);
        });
    };
    run->polling = true;
    Abandon abandon = m_poll(std::move(done));
    // A poll that finished at once has already scheduled the next turn.
    if (!*finished)
        run->abandon = std::move(abandon);
}
