#pragma once

#include <QHash>
#include <QString>

#include <chrono>

// Applications started a moment ago whose first window has not shown yet.
// A second press meanwhile must not start a second copy; an application
// that never shows a window is given up on after a while.
class LaunchesInFlight {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds patience{10};

    void started(const QString& application, Clock::time_point now) { m_startedAt.insert(application, now); }
    // Its window has shown: the launch is over.
    void arrived(const QString& application) { m_startedAt.remove(application); }
    // Started less than the patience ago, and not yet arrived.
    bool inFlight(const QString& application, Clock::time_point now) const;

private:
    QHash<QString, Clock::time_point> m_startedAt;
};
