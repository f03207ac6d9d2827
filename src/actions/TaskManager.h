#pragma once

#include "actions/Lifetime.h"
#include "model/CompanionRecords.h"

#include <QList>

#include <functional>
#include <vector>

class CompanionModel;
class Scheduler;
class Workspace;
struct RunningApplication;

// The task manager's side on the desktop: the list of the user's running
// applications, kept while the menu shows, and quitting them, politely or
// by force. Main thread only, except the quit request itself.
class TaskManager {
public:
    using BackgroundRunner = std::function<void(std::function<void()>)>;

    struct Environment {
        CompanionModel& model;
        Scheduler& scheduler;
        Workspace& workspace;
        // Runs a quit request away from the main thread.
        BackgroundRunner runDetached = onThreadPool;
    };

    explicit TaskManager(Environment environment);

    // Rebuilds the list, only while the menu or the task panel is open.
    void refreshRunningApps();
    // Asks the application to quit (or forces it); one that is still there
    // 2.5 s after a polite request is offered a force quit.
    void quitApp(qint32 processIdentifier, bool force);

    // The rows of the list: the user's ordinary applications other than the
    // companion, the front-most first, then by name regardless of case;
    // each name cut as other outside text.
    static std::vector<RunningAppInfo> listedApplications(const QList<RunningApplication>& running, qint32 ownProcess);

    static void onThreadPool(std::function<void()> work);

private:
    Environment m_environment;
    Lifetime m_lifetime;
};
