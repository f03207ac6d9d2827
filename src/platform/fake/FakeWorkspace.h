#pragma once

#include "platform/Workspace.h"

#include <QSet>

#include <algorithm>

// Scripted running applications that react to requests as a well-behaved
// desktop would, and remember every request.
class FakeWorkspace final : public Workspace {
public:
    struct Request {
        QString action;
        qint32 processIdentifier = 0;
        bool operator==(const Request&) const = default;
    };

    QList<RunningApplication> applications;
    qint32 ownProcess = 1;
    // Processes that stay when asked politely to quit.
    QSet<qint32> refusingToQuit;
    QList<Request> requests;

    // A new application appears, as if the user had started it.
    void launch(const RunningApplication& application)
    {
        applications.append(application);
        Q_EMIT applicationLaunched();
    }

    QList<RunningApplication> runningApplications() const override { return applications; }
    qint32 ownProcessIdentifier() const override { return ownProcess; }

    bool terminate(qint32 processIdentifier) override
    {
        requests.append({QStringLiteral("terminate"), processIdentifier});
        if (!find(processIdentifier))
            return false;
        if (!refusingToQuit.contains(processIdentifier))
            remove(processIdentifier);
        return true;
    }

    bool forceTerminate(qint32 processIdentifier) override
    {
        requests.append({QStringLiteral("forceTerminate"), processIdentifier});
        if (!find(processIdentifier))
            return false;
        remove(processIdentifier);
        return true;
    }

    bool hide(qint32 processIdentifier) override
    {
        requests.append({QStringLiteral("hide"), processIdentifier});
        RunningApplication* application = find(processIdentifier);
        if (application)
            application->hidden = true;
        return application != nullptr;
    }

    bool unhide(qint32 processIdentifier) override
    {
        requests.append({QStringLiteral("unhide"), processIdentifier});
        RunningApplication* application = find(processIdentifier);
        if (application)
            application->hidden = false;
        return application != nullptr;
    }

    bool activateAllWindows(qint32 processIdentifier) override
    {
        requests.append({QStringLiteral("activateAllWindows"), processIdentifier});
        if (!find(processIdentifier))
            return false;
        for (RunningApplication& application : applications) {
            application.active = application.processIdentifier == processIdentifier;
            if (application.active)
                application.hidden = false;
        }
        Q_EMIT applicationActivated();
        return true;
    }

private:
    RunningApplication* find(qint32 processIdentifier)
    {
        const auto found =
            std::find_if(applications.begin(), applications.end(), [&](const RunningApplication& application) {
                return application.processIdentifier == processIdentifier;
            });
        return found == applications.end() ? nullptr : &*found;
    }

    void remove(qint32 processIdentifier)
    {
        applications.removeIf(
            [&](const RunningApplication& application) { return application.processIdentifier == processIdentifier; });
        Q_EMIT applicationTerminated();
    }
};
