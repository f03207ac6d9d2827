#pragma once

#include "NotificationStream.h"
#include "model/Scheduler.h"

#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class CompanionModel;

// Turns the user's own incoming mail, messages and calls, as the desktop's
// notifications announce them, into alerts. Observing and judging the
// notifications run elsewhere; every scan period the main thread hands what
// arrived to the model in arrival order. When the notifications cannot be
// observed it raises one setup alert per run and keeps trying quietly.
class InboundActivityWatcher {
public:
    static constexpr std::chrono::seconds scanPeriod{4};
    static inline const QString setupDetail =
        QStringLiteral("Vora can't listen for your desktop notifications on the session bus.");

    // Starts nothing. The model must outlive the watcher.
    InboundActivityWatcher(CompanionModel& model, Scheduler& scheduler, std::unique_ptr<NotificationStream> stream);
    ~InboundActivityWatcher();
    InboundActivityWatcher(const InboundActivityWatcher&) = delete;
    InboundActivityWatcher& operator=(const InboundActivityWatcher&) = delete;

    // Stops a running scan loop, begins observing, then scans on the next
    // turn of the main loop and every scan period after until stopped.
    void start();
    // Stops scanning and observing; harmless when nothing runs.
    void stop();

private:
    void scanAndWait();
    void scan();

    CompanionModel& m_model;
    Scheduler& m_scheduler;
    std::unique_ptr<NotificationStream> m_stream;
    std::optional<ScheduledWork> m_pollTask;
    bool m_setupAlertShown = false;
};
