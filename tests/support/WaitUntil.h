#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>

#include <functional>

// Runs the event loop until `condition` holds; false when the time runs out
// first. Unlike QTest::qWaitFor it sleeps only until the next event, so each
// step of a loopback exchange costs no fixed 10 ms; it still checks every
// 20 ms for conditions that no event announces (another process's doing).
// The default limit is generous for a loaded machine: a wait that succeeds
// ends as soon as its condition holds.
inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 15000)
{
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer wakeUp;
    wakeUp.start(20);
    while (!condition()) {
        if (elapsed.hasExpired(timeoutMs))
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}
