#include "actions/LauncherDispatch.h"

#include "actions/Chrome.h"
#include "model/CompanionModel.h"
#include "model/LogCategories.h"
#include "model/MenuSettling.h"
#include "platform/Applications.h"
#include "platform/Workspace.h"

#include <QUrlQuery>

namespace {

// An address for a log line: an application's file as this desktop looks
// for it.
QString described(const Applications& applications, const QUrl& address)
{
    return address.isLocalFile() ? applications.lookedFor(address.toLocalFile()) : address.toString();
}

} // namespace

LauncherDispatch::LauncherDispatch(Environment environment) : m_environment(environment) { }

void LauncherDispatch::open(CompanionCTA cta)
{
    const CompanionDestination destination = cta.destination();
    Applications& applications = m_environment.applications;
    const QUrl fallback = destination.fallbackURL();
    const auto settled = [this](std::function<void()> opening) {
        openAfterMenuSettles(m_environment.model, m_environment.scheduler, std::move(opening));
    };

    if (!destination.applicationPath()) {
        settled([&applications, fallback] { applications.openURL(fallback); });
        activeCTA.reset();
        return;
    }
    const QString path = *destination.applicationPath();
    if (cta != CompanionCTA::activityMonitor && hideIfLaunchedAndShown(cta, path))
        return;

    if (destination.opensURLInApplication() && applications.exists(path))
        settled([&applications, fallback, path] { applications.openURLs({fallback}, path); });
    else
        settled(m_lifetime.guard([this, path, fallback] { openApplication(path, fallback); }));
    // Set before a deferred launch runs, so a second press meanwhile sees it.
    activeCTA = cta;
}

bool LauncherDispatch::hideIfLaunchedAndShown(CompanionCTA cta, const QString& applicationPath)
{
    const std::optional<QString> identifier = m_environment.applications.bundleIdentifier(applicationPath);
    if (!identifier || activeCTA != cta)
        return false;
    Workspace& workspace = m_environment.workspace;
    const std::optional<RunningApplication> running = workspace.firstWithBundleIdentifier(*identifier);
    if (!running || running->hidden)
        return false;
    workspace.hide(running->processIdentifier);
    activeCTA.reset();
    return true;
}

void LauncherDispatch::openApplication(const QString& applicationPath, const QUrl& fallback)
{
    Applications& applications = m_environment.applications;
    if (!applications.exists(applicationPath) || !applications.bundleIdentifier(applicationPath)) {
        qCDebug(lcActions).noquote() << applications.lookedFor(applicationPath) << "is not installed: opening"
                                     << described(applications, fallback);
        applications.openURL(fallback);
        return;
    }
    applications.openApplication(applicationPath, [&applications, applicationPath, fallback](bool opened) {
        if (!opened) {
            qCInfo(lcActions).noquote() << applications.lookedFor(applicationPath) << "did not start: opening"
                                        << described(applications, fallback);
            applications.openURL(fallback);
        }
    });
}

void LauncherDispatch::openRecallPage()
{
    Workspace& workspace = m_environment.workspace;
    if (const std::optional<RunningApplication> chrome =
            workspace.firstWithBundleIdentifier(Chrome::bundleIdentifier)) {
        workspace.unhide(chrome->processIdentifier);
        workspace.activateAllWindows(chrome->processIdentifier);
        return;
    }
    openApplication(Chrome::applicationPath, CompanionCTA(CompanionCTA::googleSearch).destination().fallbackURL());
}

void LauncherDispatch::openDashboard(Applications& applications)
{
    QUrl dashboard = CompanionRoute::lumivoOS();
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("companion"), QStringLiteral("1"));
    query.addQueryItem(QStringLiteral("expanded"), QStringLiteral("1"));
    dashboard.setQuery(query);
    applications.openURL(dashboard);
}

void LauncherDispatch::toggleLayoutPanel()
{
    CompanionModel& model = m_environment.model;
    model.layoutPanelOpen = !model.layoutPanelOpen;
    model.googlePanelOpen = false;
    model.usagePanelOpen = false;
    model.taskPanelOpen = false;
    model.fleetPanelOpen = false;
}

std::variant<CompanionCTA, QUrl> LauncherDispatch::alertTarget(CompanionAlertSource source)
{
    switch (source) {
    case CompanionAlertSource::email: return CompanionCTA::email;
    case CompanionAlertSource::slack: return CompanionCTA::slack;
    case CompanionAlertSource::call:
    case CompanionAlertSource::voicemail: return CompanionCTA::phone;
    case CompanionAlertSource::message: return CompanionCTA::messages;
    case CompanionAlertSource::calendar: return CompanionCTA::calendar;
    case CompanionAlertSource::agent: return CompanionCTA::claude;
    case CompanionAlertSource::setup: break;
    }
    // The privacy settings that grant reading the activity databases.
    return CompanionRoute::requiredURL(
        QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles"));
}

void LauncherDispatch::openAlert(const CompanionAlert& alert)
{
    activeCTA.reset();
    const std::variant<CompanionCTA, QUrl> target = alertTarget(alert.source());
    if (const auto* cta = std::get_if<CompanionCTA>(&target))
        open(*cta);
    else
        m_environment.applications.openURL(std::get<QUrl>(target));
}
