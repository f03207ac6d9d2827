// The desktop actions on the real desktop: stand-in applications launched,
// hidden and brought back through the hooks, listed and quit by the task
// manager, Chrome stand-ins tiled on two monitors, and the Google links'
// tabs closed through a scripted remote-debugging endpoint, through those of
// two real Chromiums, or by closing the windows they opened.
#include "DesktopTestKit.h"
#include "StandInApplication.h"
#include "WindowGeometry.h"
#include "actions/DesktopActions.h"
#include "platform/desktop/ApplicationDirectory.h"
#include "platform/desktop/ChromeDevTools.h"
#include "platform/desktop/LinuxDesktop.h"
#include "platform/desktop/XdgApplications.h"
#include "platform/fake/FakeDesktop.h"
#include "platform/x11/X11ApplicationWindows.h"
#include "platform/x11/X11Screens.h"
#include "platform/x11/X11Workspace.h"
#include "server/TestServer.h"
#include "shell/PanelGeometry.h"
#include "support/ApplicationFolder.h"
#include "support/HeardMessages.h"
#include "support/ModelTestKit.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>

#include <algorithm>

#include <unistd.h>

namespace {

const QString chromeIdentifier = QStringLiteral("com.google.Chrome");

class DesktopActionsTest : public ::testing::Test {
protected:
    DesktopActionsTest() { actions.fillModelHooks(); }
    ~DesktopActionsTest() override
    {
        // What the hooks started lives on beyond the test otherwise.
        for (const RunningApplication& application : workspace->runningApplications()) {
            if (application.processIdentifier != workspace->ownProcessIdentifier())
                workspace->forceTerminate(application.processIdentifier);
        }
    }

    std::optional<RunningApplication> running(const QString& identifier) const
    {
        return workspace->firstWithBundleIdentifier(identifier);
    }
    QList<ApplicationWindows::WindowId> windowsOf(qint32 process) const
    {
        return windows.windows(process).value_or(QList<ApplicationWindows::WindowId>());
    }
    QSet<QRect> geometriesOf(qint32 process)
    {
        QSet<QRect> geometries;
        for (const ApplicationWindows::WindowId window : windowsOf(process))
            geometries.insert(outerGeometry(*connection, window));
        return geometries;
    }

    ApplicationFolder folder;
    ApplicationDirectory directory{{folder.path()}};
    std::unique_ptr<X11Workspace> workspace = X11Workspace::open(LinuxDesktop::identifyingWindowsBy(directory));
    XdgApplications applications{directory, *workspace};
    X11ApplicationWindows windows;
    std::unique_ptr<XcbConnection> connection = XcbConnection::open();
    X11Screens screens{connection.get()};
    ChromeDevTools browserTabs{*workspace, {}};
    FakeDesktop fake;
    ModelTestKit kit;
    std::unique_ptr<CompanionModel> model = kit.makeModel();
    DesktopActions actions{{
        .model = *model,
        .scheduler = Scheduler::main(),
        .desktop = {screens, fake.panels, fake.mouse, *workspace, applications, windows, fake.pasteboard, fake.bell,
                    browserTabs, fake.visibility},
        .screenUnderMouse =
            [this] { return PanelGeometry::screenUnderMouse(screens.mouseLocation(), screens.screens()); },
        .panelScreen = [] { return std::optional<DesktopScreen>(); },
    }};
};

TEST_F(DesktopActionsTest, ALauncherStartsItsApplicationHidesItAndBringsItBack)
{
    folder.addApplication(QStringLiteral("slack"), QStringLiteral("Slack"), {}, "--windows 2 --class slack");
    model->openSlack();
    qint32 process = 0;
    ASSERT_TRUE(eventually(
        [&] {
            const auto slack = running(QStringLiteral("slack"));
            process = slack ? slack->processIdentifier : 0;
            return slack && slack->active && windowsOf(process).size() == 2;
        },
        10000));

    model->openSlack();
    EXPECT_TRUE(eventually([&] { return workspace->withProcessIdentifier(process)->hidden; }))
        << "the second press hides it";

    model->openSlack();
    EXPECT_TRUE(eventually([&] {
        const auto slack = workspace->withProcessIdentifier(process);
        return slack && !slack->hidden && slack->active;
    })) << "the third brings it back";
    const QList<RunningApplication> all = workspace->runningApplications();
    EXPECT_EQ(std::count_if(all.begin(), all.end(),
                            [](const RunningApplication& application) {
                                return application.bundleIdentifier == QLatin1String("slack");
                            }),
              1)
        << "one copy all along";
}

TEST_F(DesktopActionsTest, ASecondPressWhileTheApplicationIsStillStartingStartsNoSecondCopy)
{
    const QString ready = folder.filePath(QStringLiteral("slack-may-show"));
    folder.addApplication(QStringLiteral("slack"), QStringLiteral("Slack"), {},
                          "--windows 1 --class slack --wait-for " + ready.toUtf8());
    // Started copies, found by the file they wait for.
    const auto copies = [&] {
        int found = 0;
        for (const QString& process : QDir(QStringLiteral("/proc")).entryList({QStringLiteral("[0-9]*")}, QDir::Dirs)) {
            QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(process));
            found += commandLine.open(QIODevice::ReadOnly) && commandLine.readAll().contains(ready.toUtf8());
        }
        return found;
    };
    model->openSlack();
    ASSERT_TRUE(eventually([&] { return copies() == 1; }));
    model->openSlack();
    EXPECT_EQ(copies(), 1);

    QFile(ready).open(QIODevice::WriteOnly);
    ASSERT_TRUE(eventually([&] {
        const auto slack = running(QStringLiteral("slack"));
        return slack && slack->active;
    }));
    EXPECT_EQ(copies(), 1);
}

QString xdotool(const QStringList& arguments) { return runTool(QStringLiteral("xdotool"), arguments).trimmed(); }

TEST_F(DesktopActionsTest, ALauncherBringsItsApplicationOverFromAnotherDesktop)
{
    folder.addApplication(QStringLiteral("slack"), QStringLiteral("Slack"));
    StandInApplication slack(
        {QStringLiteral("--windows"), QStringLiteral("1"), QStringLiteral("--class"), QStringLiteral("slack")});
    const qint32 process = slack.processIdentifier();
    ASSERT_TRUE(eventually([&] { return running(QStringLiteral("slack")) && windowsOf(process).size() == 1; }));
    const QString window = QString::number(windowsOf(process).first());
    xdotool({QStringLiteral("set_desktop_for_window"), window, QStringLiteral("1")});
    ASSERT_TRUE(eventually([&] {
        return xdotool({QStringLiteral("get_desktop_for_window"), window}) == QLatin1String("1");
    }));
    ASSERT_EQ(xdotool({QStringLiteral("get_desktop")}), QStringLiteral("0"));
    EXPECT_FALSE(workspace->withProcessIdentifier(process)->hidden) << "on another desktop is not minimised";

    model->openSlack();
    EXPECT_TRUE(eventually([&] {
        return xdotool({QStringLiteral("get_desktop")}) == QLatin1String("1")
            && workspace->withProcessIdentifier(process)->active;
    }));
}

TEST_F(DesktopActionsTest, TheTaskManagerListsQuitsAndForceQuits)
{
    // The companion's own window, which the list leaves out.
    QWidget own;
    own.setWindowTitle(QStringLiteral("Companion"));
    own.show();
    folder.addApplication(QStringLiteral("org.example.Notes"), QStringLiteral("Example Notes"),
                          "StartupWMClass=Notes-window\n");
    StandInApplication polite({QStringLiteral("--windows"), QStringLiteral("1"), QStringLiteral("--class"),
                               QStringLiteral("Notes-window"), QStringLiteral("--icon")});
    StandInApplication stubborn({QStringLiteral("--windows"), QStringLiteral("2"), QStringLiteral("--class"),
                                 QStringLiteral("Stubborn"), QStringLiteral("--refuse-close")});
    // A real program whose window does not say which process it is.
    QProcess xeyes;
    xeyes.start(QStringLiteral("xeyes"), {});
    ASSERT_TRUE(xeyes.waitForStarted());
    const qint32 eyes = qint32(xeyes.processId());
    const qint32 ownProcess = workspace->ownProcessIdentifier();
    ASSERT_TRUE(eventually([&] {
        const auto self = workspace->withProcessIdentifier(ownProcess);
        return self && self->regular && workspace->withProcessIdentifier(polite.processIdentifier())
            && windowsOf(stubborn.processIdentifier()).size() == 2 && workspace->withProcessIdentifier(eyes);
    }));

    model->menuOpen = true;
    model->refreshRunningApps();
    const auto row = [&](qint32 process) -> std::optional<RunningAppInfo> {
        for (const RunningAppInfo& application : model->runningApps.get()) {
            if (application.id == process)
                return application;
        }
        return std::nullopt;
    };
    ASSERT_TRUE(row(polite.processIdentifier()));
    EXPECT_EQ(row(polite.processIdentifier())->name, QStringLiteral("Example Notes"));
    ASSERT_TRUE(row(polite.processIdentifier())->icon);
    EXPECT_FALSE(row(polite.processIdentifier())->icon->pixmap(16).isNull());
    EXPECT_EQ(row(stubborn.processIdentifier())->name, QStringLiteral("Stubborn"));
    ASSERT_TRUE(row(eyes));
    EXPECT_EQ(row(eyes)->name, QStringLiteral("XEyes"));
    EXPECT_FALSE(row(ownProcess));
    EXPECT_EQ(model->runningApps->size(), 3u);

    model->quitApp(polite.processIdentifier());
    model->quitApp(stubborn.processIdentifier());
    model->quitApp(eyes);
    EXPECT_TRUE(polite.waitForExit());
    EXPECT_TRUE(xeyes.waitForFinished());
    EXPECT_TRUE(eventually([&] { return model->forceReadyApps->contains(stubborn.processIdentifier()); }, 5000));
    EXPECT_EQ(model->forceReadyApps.get(), QSet<std::int32_t>({stubborn.processIdentifier()}));
    EXPECT_EQ(model->runningApps->size(), 1u);

    model->forceQuitApp(stubborn.processIdentifier());
    EXPECT_TRUE(stubborn.waitForExit());
    EXPECT_TRUE(eventually([&] { return model->forceReadyApps->isEmpty() && model->runningApps->empty(); }));
}

TEST_F(DesktopActionsTest, TheScheduleLinkWithNoCalendarInstalledSaysSoOnceNamingTheEntriesLookedFor)
{
    QLoggingCategory::setFilterRules(QStringLiteral("lumivo.actions.debug=true"));
    const HeardMessages heard;
    const auto actionMessages = [&] {
        return heard.messages().filter(QRegularExpression(QStringLiteral("^lumivo\\.actions: ")));
    };
    model->openCalendar();
    const bool warned = eventually([&] { return actionMessages().size() == 2; });
    QLoggingCategory::setFilterRules(QStringLiteral("lumivo.actions.debug=false"));
    ASSERT_TRUE(warned) << actionMessages().join(u'\n').toStdString();
    const QString calendar = QStringLiteral(
        "calendar application (desktop entries org.gnome.Calendar, org.kde.korganizer, org.kde.merkuro.calendar)");
    EXPECT_EQ(actionMessages(),
              QStringList({QStringLiteral("lumivo.actions: desktop entry named Fantastical is not installed: opening ")
                               + calendar,
                           QStringLiteral("lumivo.actions: no ") + calendar + QStringLiteral(" is installed")}));
}

TEST_F(DesktopActionsTest, ChromeWindowsFillTheScreenUnderTheMouse)
{
    splitIntoTwoMonitors();
    ASSERT_TRUE(waitUntil([&] { return screens.screens().size() == 2; }));
    moveMouse(QPoint(2400, 600));

    auto two = std::make_unique<StandInApplication>(QStringList{
        QStringLiteral("--windows"), QStringLiteral("2"), QStringLiteral("--class"), QStringLiteral("google-chrome")});
    const qint32 first = two->processIdentifier();
    ASSERT_TRUE(eventually([&] { return running(chromeIdentifier) && windowsOf(first).size() == 2; }));
    model->layoutPanelOpen = true;
    model->tileWindowsLeftRight();
    EXPECT_FALSE(model->layoutPanelOpen);
    EXPECT_TRUE(eventually([&] {
        return geometriesOf(first) == QSet<QRect>({QRect(1600, 0, 800, 1200), QRect(2400, 0, 800, 1200)});
    }));

    // Another profile's browser process, maximised and in front: the halves go down.
    StandInApplication maximised({QStringLiteral("--windows"), QStringLiteral("2"), QStringLiteral("--class"),
                                  QStringLiteral("google-chrome"), QStringLiteral("--maximised")});
    ASSERT_TRUE(eventually([&] {
        const QList<QRect> shown = geometriesOf(maximised.processIdentifier()).values();
        return windowsOf(maximised.processIdentifier()).size() == 2 && shown.size() == 1
            && shown.first().size() == QSize(1600, 1200);
    }));
    const QList<ApplicationWindows::WindowId> inFront = windowsOf(maximised.processIdentifier());
    for (const ApplicationWindows::WindowId window : inFront)
        EwmhClients(*connection).activate(window);
    ASSERT_TRUE(eventually([&] {
        const auto all = windows.describedWindows({first, maximised.processIdentifier()});
        return all && all->size() == 4 && inFront.contains(all->at(0).id) && inFront.contains(all->at(1).id);
    }));
    model->tileWindowsToCorners();
    const auto stillMaximised = [](const ClientWindow& window) { return window.sizedByWindowManager; };
    ASSERT_TRUE(eventually(
        [&] { return std::ranges::none_of(EwmhClients(*connection).describe(inFront), stillMaximised); }, 5000))
        << "out of the maximised state first, then placed";
    EXPECT_TRUE(eventually([&] {
        return geometriesOf(maximised.processIdentifier())
            == QSet<QRect>({QRect(1600, 0, 800, 600), QRect(2400, 0, 800, 600)})
            && geometriesOf(first) == QSet<QRect>({QRect(1600, 600, 800, 600), QRect(2400, 600, 800, 600)});
    }));
    EXPECT_EQ(fake.bell.rings, 0);
}

TEST_F(DesktopActionsTest, ChromesWindowsOnTheDesktopInViewFillTheLayoutAndOneElsewhereStaysThere)
{
    moveMouse(QPoint(800, 300));
    StandInApplication chrome(
        {QStringLiteral("--windows"), QStringLiteral("4"), QStringLiteral("--class"), QStringLiteral("google-chrome")});
    const qint32 process = chrome.processIdentifier();
    ASSERT_TRUE(eventually([&] { return running(chromeIdentifier) && windowsOf(process).size() == 4; }));
    // The front-most one, which would otherwise take the first quarter.
    const ApplicationWindows::WindowId elsewhere = windowsOf(process).first();
    const QString elsewhereId = QString::number(elsewhere);
    xdotool({QStringLiteral("set_desktop_for_window"), elsewhereId, QStringLiteral("1")});
    ASSERT_TRUE(eventually([&] {
        return xdotool({QStringLiteral("get_desktop_for_window"), elsewhereId}) == QLatin1String("1");
    }));
    const QRect untouched = outerGeometry(*connection, elsewhere);

    model->tileWindowsToCorners();
    EXPECT_TRUE(eventually([&] {
        QSet<QRect> here;
        for (const ApplicationWindows::WindowId window : windowsOf(process))
            if (window != elsewhere)
                here.insert(outerGeometry(*connection, window));
        return here == QSet<QRect>({QRect(0, 0, 1600, 600), QRect(1600, 0, 1600, 600), QRect(0, 600, 1600, 600)});
    }));
    EXPECT_EQ(xdotool({QStringLiteral("get_desktop")}), QStringLiteral("0"));
    EXPECT_EQ(xdotool({QStringLiteral("get_desktop_for_window"), elsewhereId}), QStringLiteral("1"));
    EXPECT_EQ(outerGeometry(*connection, elsewhere), untouched);
    EXPECT_EQ(fake.bell.rings, 0);
}

TEST_F(DesktopActionsTest, TheCloserClosesTheMatchingTabsThroughChromesEndpoint)
{
    TestServer endpoint;
    endpoint.answer("GET", "/json/list", TestResponse::json(R"([
        {"id": "A", "type": "page", "url": "https://drive.google.com/drive/my-drive"},
        {"id": "B", "type": "page", "url": "https://www.youtube.com/"},
        {"id": "C", "type": "page", "url": "https://docs.google.com/spreadsheets/d/7"},
        {"id": "D", "type": "service_worker", "url": "https://drive.google.com/sw.js"},
        {"id": "E/F", "type": "page", "url": "https://drive.google.com/file/d/2"}
    ])"));
    for (const QByteArray& path :
         {QByteArray("/json/close/A"), QByteArray("/json/close/C"), QByteArray("/json/close/E%2FF")})
        endpoint.answer("GET", path, TestResponse::text("Target is closing"));
    // Chrome names its profile folder on its command line; the folder names the port.
    QTemporaryDir profile;
    QFile portFile(QDir(profile.path()).filePath(QStringLiteral("DevToolsActivePort")));
    ASSERT_TRUE(portFile.open(QIODevice::WriteOnly));
    portFile.write(QByteArray::number(endpoint.port()) + "\n/devtools/browser/0f1e\n");
    portFile.close();
    StandInApplication chrome({QStringLiteral("--windows"), QStringLiteral("1"), QStringLiteral("--class"),
                               QStringLiteral("google-chrome"), QStringLiteral("--user-data-dir=") + profile.path()});
    ASSERT_TRUE(eventually([&] { return running(chromeIdentifier).has_value(); }));

    actions.google.googleOpenedURLs = {QStringLiteral("https://drive.google.com/"),
                                       QStringLiteral("https://docs.google.com/document/u/0/")};
    model->googlePanelOpen = true;
    model->closeGoogleSearchWindows();
    ASSERT_TRUE(eventually([&] { return actions.google.googleOpenedURLs.isEmpty(); }));
    EXPECT_FALSE(model->googlePanelOpen);
    EXPECT_EQ(endpoint.countOf("/json/list"), 1);
    for (const QByteArray& path :
         {QByteArray("/json/close/A"), QByteArray("/json/close/C"), QByteArray("/json/close/E%2FF")})
        EXPECT_EQ(endpoint.countOf(path), 1) << path.constData();
    EXPECT_EQ(endpoint.requests().size(), 4u) << "B and D stay open";
    EXPECT_EQ(fake.bell.rings, 0);
}

// The addresses of the pages a browser's endpoint lists, in text order;
// none while it does not answer.
QStringList listedPages(quint16 port)
{
    QNetworkAccessManager network;
    network.setProxy(QNetworkProxy::NoProxy);
    const QUrl list(QStringLiteral("http://127.0.0.1:%1/json/list").arg(port));
    std::unique_ptr<QNetworkReply> reply(network.get(QNetworkRequest(list)));
    if (!waitUntil([&] { return reply->isFinished(); }) || reply->error() != QNetworkReply::NoError)
        return {};
    QStringList addresses;
    for (const QJsonValue target : QJsonDocument::fromJson(reply->readAll()).array()) {
        if (target[QStringLiteral("type")] == QStringLiteral("page"))
            addresses.append(target[QStringLiteral("url")].toString());
    }
    addresses.sort();
    return addresses;
}

// A Chromium of the user's: a profile folder of its own and the endpoint on
// a port it picks. No sandbox for root, and no network: the pages' sites are
// behind a proxy that never answers, so every tab keeps its address (a
// failed load would swap in an error page).
struct UsersChromium {
    UsersChromium(X11Workspace& workspace, const TestServer& proxy)
        : workspace(workspace), command("chromium --user-data-dir=" + profile.path().toUtf8()
                                        + " --remote-debugging-port=0 --no-first-run --disable-background-networking"
                                          " --disable-component-update --disable-sync --disable-gpu --proxy-server="
                                        + proxy.origin().toEncoded() + (geteuid() == 0 ? " --no-sandbox" : ""))
    {
    }
    // Gone before its profile folder is.
    ~UsersChromium()
    {
        if (process && workspace.forceTerminate(process))
            eventually([&] { return !workspace.withProcessIdentifier(process); });
    }

    // Started with these pages: whether it came up and named its port in time.
    bool start(const QStringList& pages)
    {
        QStringList arguments = QProcess::splitCommand(QString::fromUtf8(command));
        const QString program = arguments.takeFirst();
        qint64 started = 0;
        if (!QProcess::startDetached(program, arguments + pages, {}, &started))
            return false;
        process = qint32(started);
        QFile portFile(QDir(profile.path()).filePath(QStringLiteral("DevToolsActivePort")));
        if (!eventually(
                [&] {
                    const auto listed = workspace.withProcessIdentifier(process);
                    return listed && listed->bundleIdentifier == chromeIdentifier && portFile.size() > 0;
                },
                30000)
            || !portFile.open(QIODevice::ReadOnly))
            return false;
        port = portFile.readLine().trimmed().toUShort();
        return port != 0;
    }
    QStringList pages() const { return listedPages(port); }

    X11Workspace& workspace;
    QTemporaryDir profile;
    const QByteArray command;
    qint32 process = 0;
    quint16 port = 0;
};

TEST_F(DesktopActionsTest, ChromiumStartedAsTheReadmeSaysLosesTheLinksTabsAndKeepsTheOthers)
{
    if (ranAgainWithOwnXdgFolders())
        return;
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("chromium")).isEmpty())
        << "scripts/install-deps.sh --with-tests installs it";
    TestServer proxy;
    for (const QByteArray site :
         {"drive.google.com:443", "www.youtube.com:443", "docs.google.com:443", "example.org:443"})
        proxy.answer("CONNECT", site, TestResponse::held());
    // A frozen browser ahead of the others: its endpoints take requests and never answer; thousands more are named.
    TestServer frozen[3];
    QStringList switches = QStringLiteral("--windows 1 --class google-chrome").split(u' ');
    for (int port = 1; port <= 3000; ++port)
        switches.append(QStringLiteral("--remote-debugging-port=%1").arg(port));
    for (TestServer& endpoint : frozen) {
        endpoint.answer("GET", "/json/list", TestResponse::held());
        switches.append(QStringLiteral("--remote-debugging-port=%1").arg(endpoint.port()));
    }
    StandInApplication frozenBrowser(switches);
    ASSERT_TRUE(eventually([&] { return running(chromeIdentifier).has_value(); }));

    // The user's other Chromium, with a page of its own.
    UsersChromium other(*workspace, proxy);
    const QString othersPage = QStringLiteral("https://example.org/other");
    ASSERT_TRUE(other.start({othersPage}));

    // The one the desktop opens web addresses with, from a desktop entry of
    // the user's, started by the user with two pages of their own.
    UsersChromium browser(*workspace, proxy);
    const QByteArray entry = "[Desktop Entry]\nType=Application\nName=Chromium\nExec=" + browser.command
        + " %U\nMimeType=x-scheme-handler/http;x-scheme-handler/https;\n";
    // In the companion's folder of applications and in the desktop's.
    for (const QString& applications :
         {folder.path(), qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications")})
        folder.write(applications + QStringLiteral("/chromium.desktop"), entry);
    folder.write(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/mimeapps.list"),
                 "[Default Applications]\nx-scheme-handler/https=chromium.desktop\n");
    const QString usersDrive = QStringLiteral("https://drive.google.com/drive/folders/mine");
    const QString elsewhere = QStringLiteral("https://example.org/mine");
    ASSERT_TRUE(browser.start({usersDrive, elsewhere}));

    // One link in a window of its own, one in the browser as it stands.
    model->setGoogleOpensSeparately(true);
    model->openGoogleLink(CompanionCTA::drive);
    model->setGoogleOpensSeparately(false);
    model->openGoogleLink(CompanionCTA::youtube);
    const auto addressOf = [](CompanionCTA cta) { return cta.destination().fallbackURL().toString(); };
    const QString drive = addressOf(CompanionCTA::drive);
    ASSERT_TRUE(eventually(
        [&] {
            return browser.pages() == QStringList({drive, usersDrive, elsewhere, addressOf(CompanionCTA::youtube)});
        },
        30000))
        << browser.pages().join(u' ').toStdString();
    EXPECT_TRUE(eventually([&] { return windowsOf(browser.process).size() == 2; }, 10000));

    const HeardMessages heard;
    model->closeGoogleSearchWindows();
    EXPECT_TRUE(eventually([&] { return browser.pages() == QStringList({elsewhere}); }, 10000))
        << browser.pages().join(u' ').toStdString();
    EXPECT_EQ(heard.messages().filter(QStringLiteral("lumivo.actions: asking 32 of Chrome's")).size(), 1);
    EXPECT_TRUE(eventually([&] { return windowsOf(browser.process).size() == 1; }, 10000))
        << "the link's window went with its tab";
    // The tabs leave the browser's list before the last close is answered.
    EXPECT_TRUE(eventually([&] { return actions.google.googleOpenedURLs.isEmpty(); }));
    EXPECT_EQ(other.pages(), QStringList({othersPage}));
    EXPECT_EQ(fake.bell.rings, 0);

    // A link's window whose tab the user took to another page: nothing to close.
    const ApplicationWindows::WindowId usersWindow = windowsOf(browser.process).value(0);
    model->setGoogleOpensSeparately(true);
    model->openGoogleLink(CompanionCTA::googleDocs);
    const QString docs = addressOf(CompanionCTA::googleDocs);
    ASSERT_TRUE(eventually([&] { return windowsOf(browser.process).size() == 2; }, 30000));
    QList<ApplicationWindows::WindowId> linksWindow = windowsOf(browser.process);
    linksWindow.removeAll(usersWindow);
    const QString result = proxy.origin().toString() + QStringLiteral("/result");
    const QStringList navigated = {result, elsewhere};
    xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(linksWindow.value(0)),
             QStringLiteral("key"), QStringLiteral("ctrl+l"), QStringLiteral("type"), result + u'\n'});
    ASSERT_TRUE(eventually([&] { return browser.pages() == navigated; }, 10000))
        << browser.pages().join(u' ').toStdString();
    model->closeGoogleSearchWindows();
    EXPECT_TRUE(eventually([&] { return fake.bell.rings == 1; }));
    EXPECT_EQ(actions.google.googleOpenedURLs, QSet<QString>({docs}));
    // Opened again, its tab closes with the next press; the other page's window stays.
    model->openGoogleLink(CompanionCTA::googleDocs);
    ASSERT_TRUE(eventually(
        [&] {
            return browser.pages() == QStringList({result, docs, elsewhere});
        },
        30000))
        << browser.pages().join(u' ').toStdString();
    model->closeGoogleSearchWindows();
    EXPECT_TRUE(eventually([&] { return browser.pages() == navigated; }, 10000))
        << browser.pages().join(u' ').toStdString();
    EXPECT_TRUE(eventually([&] { return actions.google.googleOpenedURLs.isEmpty(); }));
    EXPECT_EQ(other.pages(), QStringList({othersPage}));
    EXPECT_EQ(fake.bell.rings, 1);
}

TEST_F(DesktopActionsTest, WithoutAnEndpointTheWindowsTheLinksOpenedAreClosed)
{
    folder.addApplication(QStringLiteral("google-chrome"), QStringLiteral("Google Chrome"), {},
                          "--windows 1 --class google-chrome %U");
    // The user's own Chrome window, open before.
    StandInApplication users(
        {QStringLiteral("--windows"), QStringLiteral("1"), QStringLiteral("--class"), QStringLiteral("google-chrome")});
    ASSERT_TRUE(eventually([&] { return running(chromeIdentifier).has_value(); }));

    model->setGoogleOpensSeparately(true);
    model->openGoogleLink(CompanionCTA::drive);
    const QString drive = CompanionCTA(CompanionCTA::drive).destination().fallbackURL().toString(QUrl::FullyEncoded);
    EXPECT_EQ(folder.waitForRecord(QStringLiteral("google-chrome")),
              QStringList({QStringLiteral("--windows"), QStringLiteral("1"), QStringLiteral("--class"),
                           QStringLiteral("google-chrome"), QStringLiteral("--new-window"), drive}));
    // The window of the copy the link started, not the user's.
    const auto openedCopy = [&]() -> qint32 {
        for (const RunningApplication& application : workspace->runningApplications()) {
            if (application.bundleIdentifier == chromeIdentifier
                && application.processIdentifier != users.processIdentifier())
                return application.processIdentifier;
        }
        return 0;
    };
    qint32 opened = 0;
    ASSERT_TRUE(eventually([&] { return (opened = openedCopy()) != 0 && windowsOf(opened).size() == 1; }));

    model->closeGoogleSearchWindows();
    EXPECT_TRUE(eventually([&] { return !workspace->withProcessIdentifier(opened); })) << "its window was closed";
    EXPECT_TRUE(actions.google.googleOpenedURLs.isEmpty());
    EXPECT_EQ(fake.bell.rings, 0);

    // The next link's window is closed by the user: nothing is left to
    // close, so the bell rings and the address stays.
    model->openGoogleLink(CompanionCTA::googleDocs);
    ASSERT_TRUE(eventually([&] { return (opened = openedCopy()) != 0 && windowsOf(opened).size() == 1; }));
    // A close sent to the user's window with the other's has long reached it by now.
    EXPECT_FALSE(users.hasExited()) << "the user's own window stays";
    workspace->terminate(opened);
    ASSERT_TRUE(eventually([&] { return openedCopy() == 0; }));
    model->closeGoogleSearchWindows();
    EXPECT_TRUE(eventually([&] { return fake.bell.rings == 1; }));
    EXPECT_EQ(actions.google.googleOpenedURLs.size(), 1);
    EXPECT_FALSE(users.hasExited());
}

} // namespace
