#include "shell/SecondCopy.h"

#include "model/LogCategories.h"

#include <QDeadlineTimer>
#include <QDir>

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

bool handOverToOtherEdition(const UrlHandoff::Request& request, CompanionEdition edition, const QString& folder,
                            std::chrono::milliseconds patience)
{
    const CompanionEdition other =
        edition.isCommandCenter() ? CompanionEdition::employee : CompanionEdition::commandCenter;
    const QString socketPath = UrlHandoff::socketPath(folder, other.rawValue());
    const QString lockPath = QDir(folder).filePath(SingletonLock::lockFileName(other.rawValue()));
    bool handedOver = false;
    if (edition.isCommandCenter()) {
        Result result = handOver(request, socketPath, lockPath, patience);
        // Its lock was free: no copy of the other edition runs.
        SingletonLock::release(result.lock);
        handedOver = result.handedOver;
    } else {
        handedOver = UrlHandoff::send(socketPath, request, patience).delivery == UrlHandoff::Delivery::delivered;
    }
    qCDebug(lcHandoff).noquote() << QString::fromLatin1(handedOver ? "the running %1 copy took the links"
                                                                   : "no %1 copy takes the links")
                                        .arg(other.rawValue());
    return handedOver;
}

} // namespace SecondCopy
