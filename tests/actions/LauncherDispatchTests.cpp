// Launch targets turned into desktop actions: launching, the second press
// that hides, the third that brings back, fallbacks, alerts and the hooks.
#include "ActionsTestKit.h"

#include <gtest/gtest.h>

namespace {

const QString slackPath = QStringLiteral("/Applications/Slack.app");
const QString monitorPath = QStringLiteral("/System/Applications/Utilities/Activity Monitor.app");
const QString chromePath = QStringLiteral("/Applications/Google Chrome.app");

QUrl fallbackOf(CompanionCTA cta) { return cta.destination().fallbackURL(); }

class Launchers : public ::testing::Test {
protected:
    // The application the launch started, as the desktop would then list it.
    void appearsRunning(qint32 process, const QString& identifier)
    {
        t.fake.applications.finishLaunches();
        t.fake.workspace.launch(runningApplication(process, identifier));
    }
    LauncherDispatch& launcher() { return t.actions->launcher; }

    ActionsTestKit t;
};

TEST_F(Launchers, ThePressesLaunchHideAndBringBackTheApplication)
{
    t.install(slackPath, QStringLiteral("slack"));
    t.model().openSlack();
    EXPECT_EQ(t.fake.applications.openedApplications, QStringList({slackPath}));
    EXPECT_EQ(launcher().activeCTA, CompanionCTA::slack);
    appearsRunning(51, QStringLiteral("slack"));

    t.model().openSlack();
    EXPECT_EQ(t.fake.workspace.requests, (QList<FakeWorkspace::Request>{{QStringLiteral("hide"), 51}}));
    EXPECT_EQ(t.fake.applications.openedApplications.size(), 1) << "the second press launches nothing";
    EXPECT_EQ(launcher().activeCTA, std::nullopt);

    t.model().openSlack();
    EXPECT_EQ(t.fake.applications.openedApplications, QStringList({slackPath, slackPath}));
    EXPECT_EQ(launcher().activeCTA, CompanionCTA::slack);

    // Still hidden (the stand-in launch does not restore it), as if hidden
    // by other means: the next press brings it back instead of hiding it.
    ASSERT_TRUE(t.fake.workspace.applications.first().hidden);
    t.model().openSlack();
    EXPECT_EQ(t.fake.applications.openedApplications.size(), 3);
    EXPECT_EQ(t.fake.workspace.requests.size(), 1);
}

TEST_F(Launchers, TheActivityMonitorIsNeverHidden)
{
    t.install(monitorPath, QStringLiteral("gnome-system-monitor"));
    t.model().openActivityMonitor();
    appearsRunning(52, QStringLiteral("gnome-system-monitor"));
    t.model().openActivityMonitor();
    EXPECT_EQ(t.fake.applications.openedApplications, QStringList({monitorPath, monitorPath}));
    EXPECT_TRUE(t.fake.workspace.requests.isEmpty());
    EXPECT_EQ(launcher().activeCTA, CompanionCTA::activityMonitor);
}

TEST_F(Launchers, AnAddressOnlyTargetOpensItsAddressAndForgetsTheLastLaunch)
{
    t.install(slackPath, QStringLiteral("slack"));
    t.model().openSlack();
    appearsRunning(51, QStringLiteral("slack"));
    t.model().openGoToMeeting();
    EXPECT_EQ(t.fake.applications.openedURLs, QList<QUrl>({fallbackOf(CompanionCTA::meet)}));
    EXPECT_EQ(launcher().activeCTA, std::nullopt);
    t.model().openSlack();
    EXPECT_TRUE(t.fake.workspace.requests.isEmpty()) << "Slack was no longer the last launch";
}

TEST_F(Launchers, FromTheOpenMenuALaunchWaitsForTheMenuButCountsAtOnce)
{
    t.install(slackPath, QStringLiteral("slack"));
    t.model().menuOpen = true;
    t.model().openSlack();
    EXPECT_TRUE(t.fake.applications.openedApplications.isEmpty());
    EXPECT_EQ(t.model().expression, CompanionExpression::excited);
    EXPECT_EQ(launcher().activeCTA, CompanionCTA::slack);
    t.advance(180ms);
    EXPECT_EQ(t.fake.applications.openedApplications, QStringList({slackPath}));
}

TEST_F(Launchers, WhatIsMissingOrFailsEndsAtTheFallbackAddress)
{
    // Chrome is not installed: the search page opens in the default browser.
    t.model().openWeb();
    EXPECT_TRUE(t.fake.applications.openedURLsWithApplication.isEmpty());
    EXPECT_EQ(t.fake.applications.openedURLs, QList<QUrl>({fallbackOf(CompanionCTA::web)}));

    t.install(chromePath, QStringLiteral("com.google.Chrome"));
    t.model().openWeb();
    EXPECT_EQ(t.fake.applications.openedURLsWithApplication,
              (QList<FakeApplications::URLsOpening>{{{fallbackOf(CompanionCTA::web)}, chromePath}}));

    t.install(slackPath, QStringLiteral("slack"));
    t.fake.applications.failingLaunches.insert(slackPath);
    t.model().openSlack();
    EXPECT_EQ(t.fake.applications.openedURLs.size(), 1) << "the fallback waits for the launch's outcome";
    t.fake.applications.finishLaunches();
    EXPECT_EQ(t.fake.applications.openedURLs.last(), fallbackOf(CompanionCTA::slack));

    // Installed but without an identifier: not an application to launch.
    t.install(QStringLiteral("/Applications/ClickUp.app"), QString());
    t.model().openPM();
    EXPECT_EQ(t.fake.applications.openedURLs.last(), fallbackOf(CompanionCTA::service));
}

TEST_F(Launchers, EachLauncherHookOpensItsTarget)
{
    const std::pair<Hook<> CompanionModel::*, CompanionCTA::Value> expected[] = {
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
    // Nothing is installed, so every target ends at its own address.
    for (const auto& [hook, cta] : expected) {
        (t.model().*hook)();
        ASSERT_FALSE(t.fake.applications.openedURLs.isEmpty());
        EXPECT_EQ(t.fake.applications.openedURLs.takeLast(), fallbackOf(cta))
            << CompanionCTA(cta).rawValue().toStdString();
    }
}

TEST_F(Launchers, AnAlertOpensItsSourcesTargetAndNeverHidesIt)
{
    const std::pair<CompanionAlertSource::Value, QUrl> expected[] = {
        {CompanionAlertSource::email, fallbackOf(CompanionCTA::email)},
        {CompanionAlertSource::slack, fallbackOf(CompanionCTA::slack)},
        {CompanionAlertSource::call, fallbackOf(CompanionCTA::phone)},
        {CompanionAlertSource::message, fallbackOf(CompanionCTA::messages)},
        {CompanionAlertSource::voicemail, fallbackOf(CompanionCTA::phone)},
        {CompanionAlertSource::calendar, fallbackOf(CompanionCTA::calendar)},
        {CompanionAlertSource::agent, fallbackOf(CompanionCTA::claude)},
        {CompanionAlertSource::setup,
         QUrl(QStringLiteral("x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles"))},
    };
    for (const auto& [source, address] : expected) {
        t.model().openAlert(CompanionAlert(source, QStringLiteral("detail")));
        ASSERT_FALSE(t.fake.applications.openedURLs.isEmpty());
        EXPECT_EQ(t.fake.applications.openedURLs.takeLast(), address)
            << CompanionAlertSource(source).rawValue().toStdString();
    }
    EXPECT_TRUE(t.fake.applications.openedApplications.isEmpty());

    // Slack launched and in front: its alert brings it up again, not away.
    t.install(slackPath, QStringLiteral("slack"));
    t.model().openSlack();
    appearsRunning(51, QStringLiteral("slack"));
    t.model().openAlert(CompanionAlert(CompanionAlertSource::slack, QStringLiteral("hello")));
    EXPECT_TRUE(t.fake.workspace.requests.isEmpty());
    EXPECT_EQ(t.fake.applications.openedApplications, QStringList({slackPath, slackPath}));
}

TEST_F(Launchers, ChromeIsBroughtForwardOrLaunched)
{
    t.model().openRecallPage();
    EXPECT_EQ(t.fake.applications.openedURLs, QList<QUrl>({fallbackOf(CompanionCTA::googleSearch)}))
        << "no Chrome at all";

    t.install(chromePath, QStringLiteral("com.google.Chrome"));
    t.model().openRecallPage();
    EXPECT_EQ(t.fake.applications.openedApplications, QStringList({chromePath}));

    RunningApplication chrome = runningApplication(60, QStringLiteral("com.google.Chrome"));
    chrome.hidden = true;
    t.fake.workspace.applications = {chrome};
    t.model().openRecallPage();
    EXPECT_EQ(
        t.fake.workspace.requests,
        (QList<FakeWorkspace::Request>{{QStringLiteral("unhide"), 60}, {QStringLiteral("activateAllWindows"), 60}}));
    EXPECT_EQ(t.fake.applications.openedApplications.size(), 1);
    EXPECT_EQ(launcher().activeCTA, std::nullopt);
}

TEST_F(Launchers, OnceTheActionsAreGoneTheHooksAndPendingLaunchesDoNothing)
{
    t.install(slackPath, QStringLiteral("slack"));
    t.model().menuOpen = true;
    t.model().openSlack();
    t.model().openGoToMeeting();
    t.actions.reset();
    t.advance(200ms);
    EXPECT_TRUE(t.fake.applications.openedApplications.isEmpty());
    // An address opening holds nothing of the actions and still happens.
    EXPECT_EQ(t.fake.applications.openedURLs, QList<QUrl>({fallbackOf(CompanionCTA::meet)}));

    t.model().openClaude();
    t.model().quitApp(51);
    t.model().openDashboard();
    EXPECT_EQ(t.fake.applications.openedURLs.size(), 2) << "only the dashboard, which needs nothing of them";
    EXPECT_TRUE(t.fake.workspace.requests.isEmpty());
}

} // namespace
