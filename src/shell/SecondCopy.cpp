#include "shell/SecondCopy.h"

#include <QDeadlineTimer>

#include <algorithm>

#include <unistd.h>

namespace SecondCopy {
namespace {

Result failed(const QString& problem)
{
    Result result;
    result.problem = problem;
    return result;
}

} // namespace

Result handOver(const UrlHandoff::Request& request, const QString& socketPath, const QString& lockPath,
                std::chrono::milliseconds patience)
{
    const QDeadlineTimer deadline(patience);
    for (;;) {
        const std::chrono::milliseconds left(std::max<qint64>(deadline.remainingTime(), 1));
        const UrlHandoff::Outcome outcome = UrlHandoff::send(socketPath, request, left);
        if (outcome.delivery == UrlHandoff::Delivery::delivered)
            return {true, {}, {}};
        if (outcome.delivery == UrlHandoff::Delivery::unsafe)
            return failed(outcome.problem);
        SingletonLock::Lock lock = SingletonLock::acquire(lockPath);
        if (lock.isHeld())
            return {false, lock, {}};
        if (!lock.problem.isEmpty())
            return failed(lock.problem);
        if (deadline.hasExpired())
            return failed(outcome.problem);
        ::usleep(50'000);
    }
}

} // namespace SecondCopy
