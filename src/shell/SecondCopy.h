#pragma once

#include "model/CompanionEdition.h"
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

// What a copy of edition that found none of its own running does with links
// before it starts itself: it hands them to the other edition's running copy
// in folder, if there is one; true when that copy took them. A link opened
// through the desktop starts the command center, so the command center waits
// for an employee copy that is still starting; the employee edition hands
// over only to a copy that listens already, so two copies of both editions
// that decide at the same moment never wait for each other.
bool handOverToOtherEdition(const UrlHandoff::Request& request, CompanionEdition edition, const QString& folder,
                            std::chrono::milliseconds patience = SecondCopy::patience);

} // namespace SecondCopy
