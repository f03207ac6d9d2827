#pragma once

#include "actions/Lifetime.h"
#include "model/Scheduler.h"
#include "platform/ApplicationWindows.h"

#include <QObject>

#include <list>

class Workspace;

// The Chrome windows that launches of a new Chrome window opened: the first
// Chrome window to appear after each launch, within a few seconds, is taken
// as that launch's. Main thread only.
class SeparateChromeWindows {
public:
    SeparateChromeWindows(Workspace& workspace, ApplicationWindows& windows, Scheduler& scheduler);

    // A new Chrome window was asked for just now.
    void expectNewWindow();
    // Asks those of the windows that are still open to close; how many.
    int closeRemaining();
    // Their tabs were closed otherwise; the windows are no longer ours.
    void forget() { m_opened.clear(); }

private:
    using WindowId = ApplicationWindows::WindowId;
    struct Expectation {
        QList<WindowId> before;
        ScheduledWork expiry;
    };

    QList<WindowId> chromeWindows() const;
    void windowsChanged();

    Workspace& m_workspace;
    ApplicationWindows& m_windows;
    Scheduler& m_scheduler;
    std::list<Expectation> m_expected;
    QList<WindowId> m_opened;
    QObject m_context;
    Lifetime m_lifetime;
};
