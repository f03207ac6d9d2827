#pragma once

#include "platform/desktop/UrlHandoff.h"
#include "shell/SingletonLock.h"

#include <chrono>

// What a copy does when another copy of its edition holds the lock: hand its
// request over. The running copy may still be starting (it listens only once
// its panel stands) or be busy with other hand-overs, so this tries again for
// a while, as long as that copy holds the lock; when the lock comes free,
// this copy takes it and runs instead.
namespace SecondCopy {

struct Result {
    bool handedOver = false;
    // Held when the running copy went away meanwhile.
    SingletonLock::Lock lock;
    // Why it was neither handed over nor taken over.
    QString problem;
};

constexpr std::chrono::milliseconds patience = std::chrono::seconds(10);

Result handOver(const UrlHandoff::Request& request, const QString& socketPath, const QString& lockPath,
                std::chrono::milliseconds patience = SecondCopy::patience);

} // namespace SecondCopy
