// The menu's panels in the built program on a real X11 desktop, against the
// scripted local server: each panel opens from its control and shows what
// the server and the desktop hold (compared with a replica of the menu built
// in this process from the same readings), its controls act on the server
// and the desktop, and its Back chip brings the standard sections back.
#include "menu-desktop/ProgramMenuKit.h"
#include "menu-panels/PanelFixtures.h"

#include "actions/TaskManager.h"
#include "desktop/StandInApplication.h"
#include "desktop/WindowGeometry.h"
#include "platform/desktop/ApplicationDirectory.h"
#include "platform/desktop/LinuxDesktop.h"
#include "platform/x11/X11ApplicationWindows.h"
#include "platform/x11/X11Workspace.h"
#include "server/FixtureServer.h"
#include "services/FleetClient.h"
#include "support/ApplicationFolder.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;

class PanelProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        server = localServerStandIn<FixtureServer>();
        ASSERT_TRUE(server->isListening()) << "port " << localServerPort << " stays taken";
        const QDateTime now = QDateTime::currentDateTime();
        usage = usageFeed(now);
        bots = fleetFeed(now);
        server->setFixture({{u"agentUsage"_s, usage}, {u"bots"_s, bots}});
        const QByteArray dataRoot = QFileInfo(folder.path()).path().toUtf8();
        session.useDataFolder(QString::fromUtf8(dataRoot));
    }

    // Starts the companion and opens its menu.
    void start()
    {
        companion = std::make_unique<RunningCompanion>(session);
        ASSERT_TRUE(companion->waitForMascot().has_value());
        openAgain();
        map = std::make_unique<MenuMap>(CompanionEdition::commandCenter, QStringList(), panel->geometry.size());
        // The program read the server's usage as it started.
        map->state().agentUsage = usageOf(usage);
    }
    void openAgain()
    {
        panel = openMenu(*companion);
        ASSERT_TRUE(panel.has_value());
    }
    // Clicks a control and takes the pointer off the panel, so nothing stays lifted under it.
    void click(const QString& control)
    {
        clickAt(map->centreOf(control, *panel));
        moveMouse(QPoint(40, 40));
    }

    // Waits until the program's card, below the agents, looks as the replica's
    // does once dress has set the replica's readings; saves the program's
    // card as screenshots/menu-program-<name>.png.
    bool shows(const QString& name, const std::function<void(CompanionModel&)>& dress)
    {
        // A switch turned or a figure changed makes some hundreds of pixels differ.
        constexpr int alike = 60;
        int differing = -1;
        const bool matched = waitUntil(
            [&] {
                dress(map->state());
                MenuMap::settle();
                const QRect card = map->card(*panel);
                const QImage program = captureScreen(card, name);
                const QImage replica = map->picture().copy(card.translated(-panel->geometry.topLeft()));
                if (program.size() != replica.size() || card.height() < 290)
                    return false;
                const QRect body(12, 262, card.width() - 24, card.height() - 274);
                differing = differingPixels(program.copy(body), replica.copy(body));
                return differing <= alike;
            },
            8000);
        EXPECT_TRUE(matched) << name.toStdString() << ": " << differing << " pixels differ from the replica's";
        return matched;
    }

    // The change requests the server received, as JSON objects.
    std::vector<QJsonObject> changes() const
    {
        std::vector<QJsonObject> posted;
        for (const TestRequest& request : server->server().requestsTo("/api/fleet/bots")) {
            if (request.method == "POST") {
                EXPECT_EQ(request.headers.value("content-type"), "application/json");
                posted.push_back(QJsonDocument::fromJson(request.body).object());
            }
        }
        return posted;
    }

    ApplicationFolder folder;
    CompanionSession session;
    std::unique_ptr<FixtureServer> server;
    QJsonObject usage;
    QJsonArray bots;
    std::unique_ptr<RunningCompanion> companion;
    std::optional<ShownWindow> panel;
    std::unique_ptr<MenuMap> map;
};

TEST_F(PanelProgram, TheFleetShowsTheServersBotsAndItsSwitchesSendChanges)
{
    start();
    click(u"Fleet"_s);
    EXPECT_TRUE(shows(u"panel-fleet"_s, [&](CompanionModel& replica) {
        replica.fleetBots = botsOf(bots);
        replica.fleetPanelOpen = true;
    }));

    // Switching a bot on goes at once; the list then shows the server's state.
    click(u"Switch Night shift on"_s);
    ASSERT_TRUE(waitUntil([&] { return changes().size() == 1; }));
    EXPECT_EQ(changes().back(), (QJsonObject{{u"id"_s, u"bot-2"_s}, {u"enabled"_s, true}}));
    EXPECT_TRUE(
        shows(u"panel-fleet-switched"_s, [&](CompanionModel& replica) { replica.fleetBots = botsOf(server->bots()); }));

    // Switching one off asks first.
    click(u"Switch Front desk off"_s);
    EXPECT_TRUE(
        shows(u"panel-fleet-confirm"_s, [&](CompanionModel& replica) { replica.confirmKillBotID = u"bot-1"_s; }));
    EXPECT_EQ(changes().size(), 1u);
    click(u"Confirm switching Front desk off"_s);
    ASSERT_TRUE(waitUntil([&] { return changes().size() == 2; }));
    EXPECT_EQ(changes().back(), (QJsonObject{{u"id"_s, u"bot-1"_s}, {u"enabled"_s, false}}));
    EXPECT_TRUE(shows(u"panel-fleet-off"_s, [&](CompanionModel& replica) {
        replica.confirmKillBotID = std::nullopt;
        replica.fleetBots = botsOf(server->bots());
    }));
    click(u"Allow updates for Front desk"_s);
    ASSERT_TRUE(waitUntil([&] { return changes().size() == 3; }));
    EXPECT_EQ(changes().back(), (QJsonObject{{u"id"_s, u"bot-1"_s}, {u"updatesAllowed"_s, true}}));
    EXPECT_TRUE(
        shows(u"panel-fleet-updates"_s, [&](CompanionModel& replica) { replica.fleetBots = botsOf(server->bots()); }));

    // The server goes away: the tile's next opening reloads, and the offline
    // text stands over the last list.
    const QJsonArray lastList = server->bots();
    server->setFixture({{u"statuses"_s, QJsonObject{{u"/api/fleet/bots"_s, 503}}}});
    click(u"Fleet"_s);
    ASSERT_TRUE(runningCopyCaughtUp(session));
    click(u"Fleet"_s);
    EXPECT_TRUE(shows(u"panel-fleet-offline"_s, [&](CompanionModel& replica) {
        replica.fleetBots = botsOf(lastList);
        replica.fleetError = FleetClient::offlineText;
    }));

    click(u"Close Varadi controls"_s);
    EXPECT_TRUE(shows(u"panel-fleet-back"_s, [&](CompanionModel& replica) { replica.fleetPanelOpen = false; }));
}

TEST_F(PanelProgram, TheUsagePillAndPanelShowTheServersFigures)
{
    start();
    EXPECT_TRUE(shows(u"usage-pill"_s, [](CompanionModel&) {}));
    click(u"AI usage"_s);
    EXPECT_TRUE(shows(u"panel-usage"_s, [&](CompanionModel& replica) { replica.usagePanelOpen = true; }));
    click(u"Close Varadi controls"_s);
    EXPECT_TRUE(shows(u"panel-usage-back"_s, [&](CompanionModel& replica) { replica.usagePanelOpen = false; }));
    EXPECT_TRUE(isOpen(*companion));
}

TEST_F(PanelProgram, TheTaskManagerListsTheDesktopsApplicationsAndQuitsThem)
{
    ApplicationDirectory directory{{folder.path()}};
    const std::unique_ptr<X11Workspace> workspace = X11Workspace::open(LinuxDesktop::identifyingWindowsBy(directory));
    StandInApplication alder({u"--windows"_s, u"1"_s, u"--class"_s, u"Alder"_s, u"--icon"_s});
    StandInApplication birch({u"--windows"_s, u"1"_s, u"--class"_s, u"Birch"_s, u"--icon"_s, u"--refuse-close"_s});
    ASSERT_TRUE(waitUntil([&] { return workspace->runningApplications().size() >= 2; }));
    start();
    // What the program lists, worked out here the same way.
    const auto listed = [&] {
        return TaskManager::listedApplications(workspace->runningApplications(), qint32(companion->pid()));
    };
    ASSERT_EQ(listed().size(), 2u);

    click(u"Task Manager"_s);
    EXPECT_TRUE(shows(u"panel-task"_s, [&](CompanionModel& replica) {
        replica.runningApps = listed();
        replica.taskPanelOpen = true;
    }));

    // One that quits goes from the list.
    click(u"Quit Alder"_s);
    EXPECT_TRUE(alder.waitForExit(5000));
    EXPECT_TRUE(shows(u"panel-task-quit"_s, [&](CompanionModel& replica) { replica.runningApps = listed(); }));
    // One that refuses is offered a force quit, which ends it.
    click(u"Quit Birch"_s);
    EXPECT_TRUE(shows(u"panel-task-force"_s, [&](CompanionModel& replica) {
        replica.runningApps = listed();
        replica.forceReadyApps = QSet<std::int32_t>{birch.processIdentifier()};
    }));
    click(u"Force Quit Birch"_s);
    EXPECT_TRUE(birch.waitForExit(5000));
    EXPECT_TRUE(shows(u"panel-task-empty"_s, [&](CompanionModel& replica) {
        replica.runningApps = listed();
        replica.forceReadyApps = {};
    }));

    click(u"Close Varadi controls"_s);
    EXPECT_TRUE(shows(u"panel-task-back"_s, [&](CompanionModel& replica) { replica.taskPanelOpen = false; }));
}

TEST_F(PanelProgram, TheLayoutAndGoogleLinksPanelsActOnTheDesktop)
{
    folder.addApplication(u"browser"_s, u"Browser"_s, "MimeType=x-scheme-handler/http;x-scheme-handler/https;\n", "%u");
    QDir().mkpath(QFileInfo(session.configFolder()).path());
    QFile mimeApps(QFileInfo(session.configFolder()).path() + u"/mimeapps.list"_s);
    ASSERT_TRUE(mimeApps.open(QIODevice::WriteOnly));
    mimeApps.write(
        "[Default Applications]\nx-scheme-handler/http=browser.desktop\nx-scheme-handler/https=browser.desktop\n");
    mimeApps.close();
    StandInApplication chrome({u"--windows"_s, u"2"_s, u"--class"_s, u"google-chrome"_s});
    X11ApplicationWindows windows;
    ASSERT_TRUE(waitUntil([&] {
        return windows.windows(chrome.processIdentifier()).value_or(QList<ApplicationWindows::WindowId>()).size() == 2;
    }));
    start();

    // "Screen" opens the layout panel; "Side by Side" lays Chrome's windows
    // out over the screen under the mouse and closes the menu.
    click(u"Screen"_s);
    EXPECT_TRUE(shows(u"panel-layout"_s, [&](CompanionModel& replica) { replica.layoutPanelOpen = true; }));
    click(u"Close Varadi controls"_s);
    EXPECT_TRUE(shows(u"panel-layout-back"_s, [&](CompanionModel& replica) { replica.layoutPanelOpen = false; }));
    click(u"Screen"_s);
    EXPECT_TRUE(shows(u"panel-layout-again"_s, [&](CompanionModel& replica) { replica.layoutPanelOpen = true; }));
    click(u"Side by Side"_s);
    EXPECT_TRUE(waitUntil([&] { return !isOpen(*companion); }));
    const std::unique_ptr<XcbConnection> connection = XcbConnection::open();
    EXPECT_TRUE(waitUntil([&] {
        QSet<QRect> placed;
        for (const ApplicationWindows::WindowId window :
             windows.windows(chrome.processIdentifier()).value_or(QList<ApplicationWindows::WindowId>()))
            placed.insert(outerGeometry(*connection, window));
        return placed == QSet<QRect>({QRect(0, 0, 1600, 1200), QRect(1600, 0, 1600, 1200)});
    }));

    // "Search" opens the Google links; the separate-windows switch is saved,
    // and a link then opens in the default browser and closes the menu.
    openAgain();
    click(u"Search"_s);
    EXPECT_TRUE(shows(u"panel-google"_s, [&](CompanionModel& replica) {
        replica.layoutPanelOpen = false;
        replica.googlePanelOpen = true;
    }));
    click(u"New Windows"_s);
    EXPECT_TRUE(waitUntil(
        [&] { return session.settings().value(u"lumivo-companion-google-separate"_s) == QJsonValue(false); }));
    EXPECT_TRUE(
        shows(u"panel-google-switched"_s, [&](CompanionModel& replica) { replica.setGoogleOpensSeparately(false); }));
    click(u"Close Varadi controls"_s);
    EXPECT_TRUE(shows(u"panel-google-back"_s, [&](CompanionModel& replica) { replica.googlePanelOpen = false; }));
    click(u"Search"_s);
    EXPECT_TRUE(shows(u"panel-google-again"_s, [&](CompanionModel& replica) { replica.googlePanelOpen = true; }));
    click(u"Docs"_s);
    EXPECT_EQ(folder.waitForRecord(u"browser"_s), QStringList({u"https://docs.google.com/document/u/0/"_s}));
    EXPECT_TRUE(waitUntil([&] { return !isOpen(*companion); }));
}

} // namespace
