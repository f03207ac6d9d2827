#pragma once

#include "AnswerLog.h"
#include "HttpClient.h"
#include "PollingLoop.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class CompanionModel;
class QSettings;
struct CompanionRemoteAlert;

// The three loops that keep the companion fresh without any action of the
// user: new alerts from the local server every 2 s, the AI-usage feed every
// 60 s, and the weather text every 20 minutes. What they fetch goes into the
// model; a failure simply waits for the next turn, and only the log hears of
// a server that stops answering.
//
// The shell starts each loop once at start-up and cancels them at shutdown
// (destroying this object cancels them as well). Main thread only.
class LocalServerPolling {
public:
    using Duration = Scheduler::Duration;
    using Done = std::function<void()>;

    // The highest alert id seen so far, saved as a 64-bit number. Whether
    // anything at all is stored under it decides the first-run rule.
    static inline const QString latestNotificationIDKey = QStringLiteral("lumivo-companion-latest-notification-id");

    static constexpr Duration notificationPeriod = std::chrono::seconds(2);
    static constexpr Duration usagePeriod = std::chrono::seconds(60);
    static constexpr Duration weatherPeriod = std::chrono::seconds(1200);
    static constexpr Duration weatherTimeout = std::chrono::seconds(8);
    // The alerts of one answer raised in one turn of the main loop.
    static constexpr size_t alertsPerTurn = 100;
    // A temperature text is a handful of bytes.
    static constexpr qint64 largestWeatherAnswer = 4 * 1024;

    struct Environment {
        CompanionModel& model;
        QSettings& settings;
        Scheduler& scheduler;
        HttpClient& http;
    };

    // Reads the saved alert id (0 when nothing usable is saved).
    explicit LocalServerPolling(Environment environment);

    // Each cancels its loop if it runs, then starts it afresh: the first
    // poll runs at once.
    void startNotificationPolling() { m_notificationLoop.start(); }
    void startAgentUsagePolling() { m_usageLoop.start(); }
    void startWeatherPolling() { m_weatherLoop.start(); }
    // Ends all three loops; a poll in flight ends without effect.
    void cancelAll();

    const PollingLoop& notificationLoop() const { return m_notificationLoop; }
    const PollingLoop& agentUsageLoop() const { return m_usageLoop; }
    const PollingLoop& weatherLoop() const { return m_weatherLoop; }

    // One turn of each loop; `done` runs once the turn has finished,
    // whatever its outcome. The returned call abandons the turn.
    HttpCall pollCompanionNotifications(Done done = {});
    HttpCall pollAgentUsage(Done done = {});
    HttpCall pollWeather(Done done = {});

    qint64 latestNotificationID() const { return m_latestNotificationID; }

    // The id stored under latestNotificationIDKey, read as an integer the
    // way saved settings are read where the companion began: a number is
    // cut to its whole part, a Boolean is 1 or 0, a text gives the integer
    // it starts with, and anything else (nothing saved included) is 0.
    static qint64 integerReading(const QVariant& stored);

private:
    // One turn of a loop: runs `poll`, which the loop may abandon.
    PollingLoop::Poll loopTurn(HttpCall (LocalServerPolling::*poll)(Done));
    void raiseAlertsFrom(const QByteArray& body, Done done);
    void raiseLater(std::shared_ptr<const std::vector<CompanionRemoteAlert>> alerts, size_t first, Done done);
    void raiseSlice(std::shared_ptr<const std::vector<CompanionRemoteAlert>> alerts, size_t first, Done done);
    void saveLatestNotificationID();

    Environment m_environment;
    // Answers arrive only while this object exists.
    QObject m_context;
    qint64 m_latestNotificationID;
    AnswerLog m_localServer{QStringLiteral("the local server")};
    AnswerLog m_weatherService{QStringLiteral("the weather service")};
    // Alive while the alerts of an answer are being raised.
    std::shared_ptr<bool> m_raising;
    PollingLoop m_notificationLoop;
    PollingLoop m_usageLoop;
    PollingLoop m_weatherLoop;
};
