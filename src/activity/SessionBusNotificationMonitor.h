#pragma once

#include "NotificationStream.h"

#include <QString>

#include <cstddef>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

// Observes the notifications sent on the user's session bus as a bus
// monitor: a connection of its own asks the bus to copy every
// org.freedesktop.Notifications.Notify call to it, and never sends anything
// afterwards, so the notification server and its clients see no difference.
// Each attempt runs on a thread of its own; a new attempt starts only when
// open() is called again after a failure.
class SessionBusNotificationMonitor final : public NotificationStream {
public:
    // At most this many alerts wait for the next take; a flood beyond it
    // keeps the newest. Notifications that raise none are never held.
    static constexpr std::size_t waitingLimit = 32;

    SessionBusNotificationMonitor();
    // Ends observing and waits for the attempts' threads, which end promptly
    // once cancelled.
    ~SessionBusNotificationMonitor() override;

    void open() override;
    void close() override;
    Batch take() override;

    // The session bus as the desktop announces it: DBUS_SESSION_BUS_ADDRESS
    // (given here as variable), else the bus socket in the user's runtime
    // folder; none when neither exists. No bus is ever started for us.
    static std::optional<QString> sessionBusAddress(const QString& variable, const QString& runtimeFolder);

    struct Observation;

private:
    struct Attempt {
        std::shared_ptr<Observation> observation;
        std::thread thread;
    };
    void joinFinishedAttempts();

    std::shared_ptr<Observation> m_current;
    std::vector<Attempt> m_attempts;
};
