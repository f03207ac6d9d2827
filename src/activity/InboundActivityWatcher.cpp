#include "InboundActivityWatcher.h"

#include "model/CompanionModel.h"
#include "model/LogCategories.h"

InboundActivityWatcher::InboundActivityWatcher(CompanionModel& model, Scheduler& scheduler,
                                               std::unique_ptr<NotificationStream> stream)
    : m_model(model), m_scheduler(scheduler), m_stream(std::move(stream))
{
}

InboundActivityWatcher::~InboundActivityWatcher() { stop(); }

// The first scan waits for the next turn of the main loop: start-up has
// then put in place the hooks that show an alert.
void InboundActivityWatcher::start()
{
    if (m_pollTask)
        m_pollTask->cancel();
    m_stream->open();
    m_pollTask = m_scheduler.schedule(Scheduler::Duration::zero(), [this] { scanAndWait(); });
}

void InboundActivityWatcher::stop()
{
    if (!m_pollTask)
        return;
    m_pollTask->cancel();
    m_pollTask.reset();
    m_stream->close();
}

void InboundActivityWatcher::scanAndWait()
{
    scan();
    m_pollTask = m_scheduler.schedule(scanPeriod, [this] { scanAndWait(); });
}

void InboundActivityWatcher::scan()
{
    const NotificationStream::Batch batch = m_stream->take();
    for (const InboundActivityRules::Finding& finding : batch.findings)
        m_model.enqueueAlert(finding.source, finding.detail);
    if (batch.state != NotificationStream::State::failed)
        return;
    if (!m_setupAlertShown) {
        qCWarning(lcActivity) << "cannot watch the desktop notifications on the session bus; trying again every"
                              << scanPeriod.count() << "s";
        m_setupAlertShown = true;
        m_model.enqueueAlert(CompanionAlertSource::setup, setupDetail);
    }
    m_stream->open();
}
