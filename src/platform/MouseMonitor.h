#pragma once

#include <functional>
#include <memory>

// Watching stops when the token is destroyed.
class MonitorToken {
public:
    virtual ~MonitorToken() = default;
};

// Presses of the left or right mouse button anywhere on the desktop, in any
// application other than this one.
class MouseMonitoring {
public:
    virtual ~MouseMonitoring() = default;
    // Null when the desktop cannot report other applications' presses.
    virtual std::unique_ptr<MonitorToken> addGlobalMouseDownMonitor(std::function<void()> handler) = 0;
};
