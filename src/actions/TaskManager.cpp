#include "actions/TaskManager.h"

#include "model/CompanionModel.h"
#include "model/OutsideText.h"
#include "platform/Workspace.h"

#include <QCollator>
#include <QThreadPool>

#include <algorithm>

using namespace std::chrono_literals;

namespace {

constexpr auto forceQuitOfferDelay = 2500ms;
constexpr auto refreshAfterQuitDelay = 450ms;

} // namespace

TaskManager::TaskManager(Environment environment) : m_environment(std::move(environment)) { }

void TaskManager::onThreadPool(std::function<void()> work) { QThreadPool::globalInstance()->start(std::move(work)); }

std::vector<RunningAppInfo> TaskManager::listedApplications(const QList<RunningApplication>& running, qint32 ownProcess)
{
    std::vector<RunningAppInfo> listed;
    for (const RunningApplication& application : running) {
        if (!application.regular || application.processIdentifier == ownProcess)
            continue;
        // Any program names itself (its entry's Name, its window's class):
        // cut before the list sorts or lays it out.
        const QString name = application.localizedName.isEmpty() ? QStringLiteral("App")
                                                                 : OutsideText::boundedLabel(application.localizedName);
        listed.push_back({application.processIdentifier, name, application.icon, application.active});
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(listed.begin(), listed.end(), [&](const RunningAppInfo& first, const RunningAppInfo& second) {
        if (first.isFrontmost != second.isFrontmost)
            return first.isFrontmost;
        return collator.compare(first.name, second.name) < 0;
    });
    return listed;
}

void TaskManager::refreshRunningApps()
{
    CompanionModel& model = m_environment.model;
    if (!model.menuOpen && !model.taskPanelOpen)
        return;
    const Workspace& workspace = m_environment.workspace;
    std::vector<RunningAppInfo> listed =
        listedApplications(workspace.runningApplications(), workspace.ownProcessIdentifier());

    QSet<std::int32_t> stillListed;
    for (const RunningAppInfo& application : listed)
        stillListed.insert(application.id);
    model.runningApps = std::move(listed);
    model.forceReadyApps.modify([&](QSet<std::int32_t>& ready) { ready.intersect(stillListed); });
}

void TaskManager::quitApp(qint32 processIdentifier, bool force)
{
    Workspace& workspace = m_environment.workspace;
    m_environment.runDetached([&workspace, processIdentifier, force] {
        if (force)
            workspace.forceTerminate(processIdentifier);
        else
            workspace.terminate(processIdentifier);
    });

    Scheduler& scheduler = m_environment.scheduler;
    if (!force) {
        scheduler.schedule(forceQuitOfferDelay, m_lifetime.guard([this, processIdentifier] {
            if (m_environment.workspace.withProcessIdentifier(processIdentifier))
                m_environment.model.forceReadyApps.modify(
                    [&](QSet<std::int32_t>& ready) { ready.insert(processIdentifier); });
            refreshRunningApps();
        }));
    }
    scheduler.schedule(refreshAfterQuitDelay, m_lifetime.guard([this] { refreshRunningApps(); }));
}
