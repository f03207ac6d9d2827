#include "platform/Workspace.h"

#include <algorithm>

namespace {

template <typename Predicate>
std::optional<RunningApplication> firstMatching(const QList<RunningApplication>& applications, Predicate matches)
{
    const auto found = std::find_if(applications.begin(), applications.end(), matches);
    if (found == applications.end())
        return std::nullopt;
    return *found;
}

} // namespace

std::optional<RunningApplication> Workspace::firstWithBundleIdentifier(const QString& bundleIdentifier) const
{
    return firstMatching(runningApplications(), [&](const RunningApplication& application) {
        return !bundleIdentifier.isEmpty() && application.bundleIdentifier == bundleIdentifier;
    });
}

QList<RunningApplication> Workspace::allWithBundleIdentifier(const QString& bundleIdentifier) const
{
    QList<RunningApplication> found = runningApplications();
    found.removeIf([&](const RunningApplication& application) {
        return bundleIdentifier.isEmpty() || application.bundleIdentifier != bundleIdentifier;
    });
    return found;
}

std::optional<RunningApplication> Workspace::withProcessIdentifier(qint32 processIdentifier) const
{
    return firstMatching(runningApplications(), [&](const RunningApplication& application) {
        return application.processIdentifier == processIdentifier;
    });
}
