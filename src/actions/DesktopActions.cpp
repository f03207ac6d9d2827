#include "actions/DesktopActions.h"

#include "model/CompanionModel.h"

#include <utility>

DesktopActions::DesktopActions(Environment environment)
    : launcher(
        {environment.model, environment.scheduler, environment.desktop.applications, environment.desktop.workspace}),
      tasks({environment.model, environment.scheduler, environment.desktop.workspace,
             std::move(environment.runDetached)}),
      tiling({environment.desktop.workspace, environment.desktop.windows, environment.desktop.screens,
              environment.desktop.bell, launcher, std::move(environment.screenUnderMouse),
              std::move(environment.panelScreen)}),
      google({environment.model, environment.scheduler, environment.desktop.applications, environment.desktop.workspace,
              environment.desktop.windows, environment.desktop.browserTabs, environment.desktop.bell, launcher}),
      m_model(environment.model), m_applications(environment.desktop.applications)
{
}

void DesktopActions::tileThenCloseLayoutPanel(WindowTileLayout layout)
{
    tiling.tileChromeWindows(layout);
    m_model.layoutPanelOpen = false;
}

void DesktopActions::fillModelHooks()
{
    // The launchers that open one target each.
    static constexpr std::pair<Hook<> CompanionModel::*, CompanionCTA::Value> launchers[] = {
        {&CompanionModel::openApprovals, CompanionCTA::openDadi},
        {&CompanionModel::openActivityMonitor, CompanionCTA::activityMonitor},
        {&CompanionModel::openChatGPT, CompanionCTA::chatGPT},
        {&CompanionModel::openClaude, CompanionCTA::claude},
        {&CompanionModel::openSlack, CompanionCTA::slack},
        {&CompanionModel::openSuperhuman, CompanionCTA::email},
        {&CompanionModel::openCalendar, CompanionCTA::calendar},
        {&CompanionModel::openSchedule, CompanionCTA::calendar},
        {&CompanionModel::openGoToMeeting, CompanionCTA::meet},
        {&CompanionModel::openSuperhumanGo, CompanionCTA::writeWithAI},
        {&CompanionModel::openCRM, CompanionCTA::sales},
        {&CompanionModel::openPM, CompanionCTA::service},
        {&CompanionModel::openRozidari, CompanionCTA::rozidari},
        {&CompanionModel::openCardConnect, CompanionCTA::cardConnect},
        {&CompanionModel::openLumivoPay, CompanionCTA::lumivoIgnite},
        {&CompanionModel::openSupport, CompanionCTA::support},
        {&CompanionModel::openWeb, CompanionCTA::web},
        {&CompanionModel::openGoogleAds, CompanionCTA::googleAds},
        {&CompanionModel::openMetaAds, CompanionCTA::metaAds},
        {&CompanionModel::openSemrush, CompanionCTA::semrush},
        {&CompanionModel::openJoinLumivo, CompanionCTA::joinLumivo},
        {&CompanionModel::openMercury, CompanionCTA::bank},
        {&CompanionModel::openMessages, CompanionCTA::messages},
        {&CompanionModel::openPhone, CompanionCTA::phone},
    };
    for (const auto& [hook, cta] : launchers)
        m_model.*hook = m_lifetime.guard([this, cta = cta] { launcher.open(cta); });

    // The dashboard needs nothing but the desktop, which outlives everything.
    m_model.openDashboard = [&applications = m_applications] { LauncherDispatch::openDashboard(applications); };
    m_model.openRecallPage = m_lifetime.guard([this] { launcher.openRecallPage(); });
    m_model.openHalfScreen = m_lifetime.guard([this] { launcher.toggleLayoutPanel(); });
    m_model.openAlert = m_lifetime.guard([this](const CompanionAlert& alert) { launcher.openAlert(alert); });

    m_model.tileWindowsLeftRight = m_lifetime.guard([this] { tileThenCloseLayoutPanel(WindowTileLayout::leftRight); });
    m_model.tileWindowsToCorners = m_lifetime.guard([this] { tileThenCloseLayoutPanel(WindowTileLayout::corners); });

    m_model.openGoogleLink = m_lifetime.guard([this](CompanionCTA cta) { google.openGoogleDestination(cta); });
    m_model.closeGoogleSearchWindows = m_lifetime.guard([this] { google.closeGoogleSearchWindows(); });

    m_model.refreshRunningApps = m_lifetime.guard([this] { tasks.refreshRunningApps(); });
    m_model.quitApp = m_lifetime.guard([this](std::int32_t process) { tasks.quitApp(process, false); });
    m_model.forceQuitApp = m_lifetime.guard([this](std::int32_t process) { tasks.quitApp(process, true); });
}
