#include "platform/desktop/LaunchesInFlight.h"

bool LaunchesInFlight::inFlight(const QString& application, Clock::time_point now) const
{
    const auto started = m_startedAt.constFind(application);
    return started != m_startedAt.constEnd() && now - *started < patience;
}
