#pragma once

#include "platform/MouseMonitor.h"

#include <QList>

#include <functional>
#include <memory>

class QWidget;

// Whether anybody can see the companion's windows: nobody can while the
// screen saver runs or the display is blanked, while the session is locked,
// or while every one of the windows is hidden or wholly covered by others.
class VisibilityMonitoring {
public:
    virtual ~VisibilityMonitoring() = default;
    // Calls handler at once with whether any of windows can be seen, then
    // with every change of that answer. Watching stops when the token is
    // destroyed. Where the desktop cannot tell, the windows count as seen.
    virtual std::unique_ptr<MonitorToken> addVisibilityMonitor(QList<QWidget*> windows,
                                                               std::function<void(bool seen)> handler) = 0;
};
