// The built companion on a real X11 desktop: where it appears, one copy per
// edition, links handed to the running copy, following the mouse across
// monitors, the saved position across runs, and a panel that keeps answering
// whatever an alert brings.
#include "RunningCompanion.h"
#include "platform/desktop/UrlHandoff.h"
#include "platform/x11/XcbConnection.h"
#include "server/FixtureServer.h"
#include "services/LocalServerPolling.h"
#include "shell/SingletonLock.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QLocalSocket>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

namespace {

// The desktop is one 3200 x 1200 screen; the panel's home corner in X
// coordinates is (3200 - 24 - 330, 1200 - 10 - 190).
const QRect homeCorner(2846, 1000, 330, 190);

// The mascot stands in the right-hand 170 points of the panel, its centre
// 85 points from the right edge and about halfway up.
QPoint mascotCentre(const ShownWindow& panel) { return {panel.geometry.right() - 85, panel.geometry.bottom() - 95}; }

// Moves the held pointer in small steps, as a hand does.
void dragThrough(const QPoint& from, const QPoint& to)
{
    constexpr int steps = 8;
    for (int step = 1; step <= steps; ++step)
        moveMouse(from + (to - from) * step / steps);
}

// Pings a window as the window manager does (_NET_WM_PING). Qt answers from
// its main loop to whoever watches the root window's structure: only a
// program that is not frozen answers.
class Pinger {
public:
    explicit Pinger(quint64 window) : m_window(xcb_window_t(window))
    {
        const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_x->raw(), m_x->root(), XCB_CW_EVENT_MASK, &mask);
        m_x->setEventHandler([this](const xcb_generic_event_t& event) {
            const auto& message = reinterpret_cast<const xcb_client_message_event_t&>(event);
            m_answered |= (event.response_type & 0x7f) == XCB_CLIENT_MESSAGE && message.data.data32[0] == m_ping
                && message.data.data32[1] == m_stamp;
        });
    }

    // Whether the answer comes within the time; the test's event loop runs meanwhile.
    bool answersWithin(int milliseconds)
    {
        m_answered = false;
        const xcb_client_message_event_t ping{
            XCB_CLIENT_MESSAGE, 32, 0, m_window, m_protocols, {.data32 = {m_ping, ++m_stamp, m_window, 0, 0}}};
        xcb_send_event(m_x->raw(), false, m_window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&ping));
        m_x->flush();
        return waitUntil([&] { return m_answered; }, milliseconds);
    }

private:
    std::unique_ptr<XcbConnection> m_x = XcbConnection::open();
    xcb_window_t m_window;
    xcb_atom_t m_protocols = m_x->atom("WM_PROTOCOLS");
    xcb_atom_t m_ping = m_x->atom("_NET_WM_PING");
    uint32_t m_stamp = 0;
    bool m_answered = false;
};

TEST(CompanionProgram, StartsInTheCornerWithoutTakingFocusOutOfTheTaskbarAndOnEveryDesktop)
{
    QWidget ordinary;
    ordinary.setGeometry(100, 100, 400, 300);
    ordinary.show();
    ordinary.activateWindow();
    const QString ordinaryId = QString::number(ordinary.winId());
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == ordinaryId; }));

    CompanionSession session;
    RunningCompanion companion(session);
    const std::optional<ShownWindow> panel = companion.waitForPanel();
    ASSERT_TRUE(panel.has_value());
    EXPECT_EQ(panel->geometry, homeCorner);
    ASSERT_TRUE(runningCopyCaughtUp(session));
    EXPECT_EQ(activeWindow(), ordinaryId) << "the companion took the focus";

    // Out of the taskbar, and still there on another desktop.
    const QString clients =
        runTool(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST")});
    EXPECT_FALSE(clients.contains(QStringLiteral("0x%1").arg(panel->id, 0, 16))) << clients.toStdString();
    runTool(QStringLiteral("xdotool"), {QStringLiteral("set_desktop"), QStringLiteral("1")});
    const auto desktop = [] { return runTool(QStringLiteral("xdotool"), {QStringLiteral("get_desktop")}).trimmed(); };
    ASSERT_TRUE(waitUntil([&] { return desktop() == QStringLiteral("1"); }));
    ASSERT_TRUE(runningCopyCaughtUp(session));
    EXPECT_TRUE(companion.panel().has_value()) << "gone on another desktop";
    EXPECT_FALSE(companion.alertPanel().has_value());
}

TEST(CompanionProgram, OneCopyPerEditionAndAStaleLockIsNoObstacle)
{
    CompanionSession session;
    // A lock file left behind by a copy that crashed.
    QFile stale(QDir(session.runtimeFolder()).filePath(SingletonLock::lockFileName(QStringLiteral("commandCenter"))));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();

    RunningCompanion first(session);
    ASSERT_TRUE(first.waitForPanel().has_value());

    EXPECT_EQ(startAnotherCopy(session, {}), 0) << "a second copy must leave at once";
    EXPECT_TRUE(first.isRunning());

    RunningCompanion employee(session, QStringLiteral("lumivo-companion-employee"));
    EXPECT_TRUE(employee.waitForPanel().has_value()) << "the other edition runs beside it";
    EXPECT_TRUE(first.isRunning());
    EXPECT_TRUE(employee.isRunning()) << employee.describeState().toStdString();
    EXPECT_EQ(employee.terminate(), 0) << employee.describeState().toStdString();
    EXPECT_EQ(first.terminate(), 0);
}

TEST(CompanionProgram, ALinkGivenToASecondCopyRaisesTheAlertInTheRunningOne)
{
    CompanionSession session;
    RunningCompanion running(session);
    ASSERT_TRUE(running.waitForPanel().has_value());

    EXPECT_EQ(startAnotherCopy(session, {QStringLiteral("lumivo://notify?type=fax&detail=Paper")}), 0);
    ASSERT_TRUE(runningCopyCaughtUp(session));
    EXPECT_FALSE(running.alertPanel().has_value()) << "a fax is no alert";

    // Senders that never finished: one killed in its end line, one gone before the answer.
    const QByteArray whole =
        UrlHandoff::encode({.reopen = false, .urls = {QUrl(QStringLiteral("lumivo://notify?type=call&detail=Cut"))}});
    for (const QByteArray& sent : {whole.chopped(2), whole}) {
        QLocalSocket sender;
        sender.connectToServer(UrlHandoff::socketPath(session.runtimeFolder(), QStringLiteral("commandCenter")));
        ASSERT_TRUE(sender.waitForConnected(5000) && sender.write(sent) == sent.size()
                    && sender.waitForBytesWritten(5000));
        sender.abort();
    }
    ASSERT_TRUE(runningCopyCaughtUp(session));
    EXPECT_FALSE(running.alertPanel().has_value()) << "a hand-over that never finished raised its alert";

    EXPECT_EQ(startAnotherCopy(session, {QStringLiteral("LUMIVO://NOTIFY?type=CALL&detail=Front%20desk")}), 0);

    std::optional<ShownWindow> alert;
    ASSERT_TRUE(waitUntil([&] { return (alert = running.alertPanel()).has_value(); }));
    // Beside the mascot, on its left (the mascot stands in the right half):
    // 6 points left of the mascot's region, its top 10 below the panel's.
    EXPECT_EQ(alert->geometry, QRect(3176 - 170 - 226 - 6, 1000 + 10, 226, 96));
}

TEST(CompanionProgram, TheDesktopHandsLumivoLinksToTheRunningCopy)
{
    CompanionSession session;
    // The desktop entry the build writes, chosen as the handler of the scheme.
    QProcessEnvironment environment = session.environment();
    QTemporaryDir data;
    QDir().mkpath(data.filePath(QStringLiteral("applications")));
    ASSERT_TRUE(QFile::copy(programPath(QStringLiteral("lumivo-companion.desktop")),
                            data.filePath(QStringLiteral("applications/lumivo-companion.desktop"))));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
    QProcess choose;
    choose.setProcessEnvironment(environment);
    choose.start(QStringLiteral("gio"),
                 {QStringLiteral("mime"), QStringLiteral("x-scheme-handler/lumivo"),
                  QStringLiteral("lumivo-companion.desktop")});
    ASSERT_TRUE(choose.waitForFinished(5000));
    ASSERT_EQ(choose.exitCode(), 0) << choose.readAllStandardError().toStdString();

    RunningCompanion running(session);
    ASSERT_TRUE(running.waitForPanel().has_value());
    QProcess open;
    open.setProcessEnvironment(environment);
    open.start(QStringLiteral("gio"),
               {QStringLiteral("open"), QStringLiteral("lumivo://notify?type=message&detail=Hello")});
    ASSERT_TRUE(open.waitForFinished(10000));
    EXPECT_EQ(open.exitCode(), 0) << open.readAllStandardError().toStdString();
    EXPECT_TRUE(waitUntil([&] { return running.alertPanel().has_value(); }, 10000));
}

TEST(CompanionProgram, FollowsTheMouseToTheOtherMonitor)
{
    splitIntoTwoMonitors();
    moveMouse(QPoint(800, 600));
    CompanionSession session;
    RunningCompanion companion(session);
    std::optional<ShownWindow> panel = companion.waitForPanel();
    ASSERT_TRUE(panel.has_value());
    ASSERT_TRUE(waitUntil([&] { return companion.panel()->geometry == QRect(1600 - 354, 1000, 330, 190); }))
        << "starts in the primary monitor's corner";

    moveMouse(QPoint(2400, 600));
    QList<int> seen;
    const bool arrived = waitUntil(
        [&] {
            const int x = RunningCompanion::geometryOf(panel->id).x();
            if (seen.isEmpty() || seen.last() != x)
                seen.append(x);
            return x == 2846;
        },
        8000);
    EXPECT_TRUE(arrived) << "never reached the right monitor's corner";
    EXPECT_GT(seen.size(), 2) << "the move should pass through places between the corners";
}

TEST(CompanionProgram, SavesItsPlaceWhenTerminatedAndRestoresItClampedNextTime)
{
    splitIntoTwoMonitors();
    moveMouse(QPoint(2400, 600));
    CompanionSession session;
    session.writeSettings(
        {{QStringLiteral("lumivo-companion-panel-x"), 100}, {QStringLiteral("lumivo-companion-panel-y"), 200}});

    {
        RunningCompanion companion(session);
        ASSERT_TRUE(companion.waitForPanel().has_value());
        // Restored on the left monitor, then summoned to the mouse's monitor.
        ASSERT_TRUE(waitUntil([&] { return companion.panel()->geometry == homeCorner; }));
        EXPECT_EQ(companion.terminate(), 0);
    }
    EXPECT_EQ(session.settings().value(QStringLiteral("lumivo-companion-panel-x")).toDouble(), 2846);
    EXPECT_EQ(session.settings().value(QStringLiteral("lumivo-companion-panel-y")).toDouble(), 10);

    // The right monitor is gone; the saved place lay on it.
    session.writeSettings(
        {{QStringLiteral("lumivo-companion-panel-x"), 3000}, {QStringLiteral("lumivo-companion-panel-y"), 500}});
    runTool(QStringLiteral("xrandr"), {QStringLiteral("--delmonitor"), QStringLiteral("right")});
    moveMouse(QPoint(800, 600));
    RunningCompanion again(session);
    ASSERT_TRUE(again.waitForPanel().has_value());
    EXPECT_TRUE(waitUntil([&] { return again.panel()->geometry == QRect(1600 - 330, 1200 - 500 - 190, 330, 190); }))
        << again.panel()->geometry.x() << "," << again.panel()->geometry.y();
}

TEST(CompanionProgram, ADragOffTheScreenSnapsBackInsideAndIsSaved)
{
    CompanionSession session;
    RunningCompanion companion(session);
    const std::optional<ShownWindow> panel = companion.waitForMascot();
    ASSERT_TRUE(panel.has_value());

    // Grab the mascot and carry the panel half off the right edge and down.
    const QPoint grab = mascotCentre(*panel);
    pressAt(grab);
    dragThrough(grab, grab + QPoint(-400, -300));
    dragThrough(grab + QPoint(-400, -300), grab + QPoint(150, -300));
    releaseAt(grab + QPoint(150, -300));

    // Back inside the right edge, at the height it was dropped.
    const QRect expected(3200 - 330, 1000 - 300, 330, 190);
    EXPECT_TRUE(waitUntil([&] { return companion.panel()->geometry == expected; }))
        << companion.panel()->geometry.x() << "," << companion.panel()->geometry.y();
    EXPECT_TRUE(waitUntil(
        [&] { return session.settings().value(QStringLiteral("lumivo-companion-panel-x")).toDouble() == 2870; }));
    EXPECT_EQ(session.settings().value(QStringLiteral("lumivo-companion-panel-y")).toDouble(), 1200 - 700 - 190);
}

TEST(CompanionProgram, StaysPutWhileTheMenuIsOpenOrADragIsUnderWay)
{
    splitIntoTwoMonitors();
    moveMouse(QPoint(800, 600));
    CompanionSession session;
    RunningCompanion companion(session);
    ASSERT_TRUE(companion.waitForPanel().has_value());
    const QRect leftCorner(1600 - 354, 1000, 330, 190);
    ASSERT_TRUE(waitUntil([&] { return companion.panel()->geometry == leftCorner; }));
    ASSERT_TRUE(runningCopyCaughtUp(session));

    // With the menu open the mouse may wander to the other monitor.
    clickAt(mascotCentre(*companion.panel()));
    ASSERT_TRUE(waitUntil([&] { return companion.panel()->geometry.width() == 516; }));
    const QRect opened = companion.panel()->geometry;
    moveMouse(QPoint(2400, 600));
    // Time is the point: the panel looks for the mouse's monitor every second and follows after two looks.
    QTest::qWait(3000);
    EXPECT_EQ(companion.panel()->geometry, opened) << "moved while the menu was open";
    moveMouse(QPoint(opened.right() - 85, opened.bottom() - 95));
    ASSERT_TRUE(runningCopyCaughtUp(session));
    clickAt(QPoint(opened.right() - 85, opened.bottom() - 95));
    ASSERT_TRUE(waitUntil([&] { return companion.panel()->geometry == leftCorner; }));

    // Held on the other monitor in the middle of a drag, it stays in the hand.
    const QPoint grab = mascotCentre(*companion.panel());
    pressAt(grab);
    dragThrough(grab, QPoint(2000, 500));
    ASSERT_TRUE(runningCopyCaughtUp(session));
    const QRect held = companion.panel()->geometry;
    ASSERT_GT(held.x(), 1600 - 330) << "the drag did not carry the panel";
    // Time is the point: the panel looks for the mouse's monitor every second and follows after two looks.
    QTest::qWait(3000);
    EXPECT_EQ(companion.panel()->geometry, held) << "hopped to the corner during the drag";
    releaseAt(QPoint(2000, 500));
}

TEST(CompanionProgram, ShowsTheMascotTheAlertBubbleAndTheOpenedPanel)
{
    CompanionSession session;
    RunningCompanion companion(session);
    const std::optional<ShownWindow> panel = companion.waitForMascot();
    ASSERT_TRUE(panel.has_value());
    const QImage rest = captureDesktop(panel->geometry, QStringLiteral("companion-rest"));
    // The mascot stands in the right-hand 170 points; the rest stays bare.
    EXPECT_GT(drawnPixels(rest.copy(160, 0, 170, 190)), 2000);
    EXPECT_LT(drawnPixels(rest.copy(0, 0, 120, 190)), 50);

    ASSERT_EQ(startAnotherCopy(session, {QStringLiteral("lumivo://notify?type=call&detail=Front%20desk")}), 0);
    std::optional<ShownWindow> alert;
    ASSERT_TRUE(waitUntil([&] { return (alert = companion.alertPanel()).has_value(); }));
    EXPECT_TRUE(waitForStillPicture(alert->geometry, 4000));
    const QImage bubble = captureDesktop(alert->geometry.united(panel->geometry), QStringLiteral("companion-alert"));
    EXPECT_GT(drawnPixels(captureDesktop(alert->geometry, QStringLiteral("companion-alert-bubble"))), 4000);
    Q_UNUSED(bubble);

    // A click on the mascot opens the menu: the panel grows upwards and
    // sideways away from the mascot, and the bubble steps aside.
    clickAt(mascotCentre(*panel));
    std::optional<ShownWindow> opened;
    ASSERT_TRUE(waitUntil([&] { return (opened = companion.panel()) && opened->geometry.width() == 516; }));
    EXPECT_EQ(opened->geometry, QRect(3176 + 8 - 516, 1190 - 590, 516, 590));
    EXPECT_TRUE(waitUntil([&] { return !companion.alertPanel().has_value(); }));
    // The card comes in beside the mascot.
    EXPECT_TRUE(waitUntil([&] { return drawnPixels(grabDesktop(opened->geometry)) > 5000; }));
    EXPECT_GT(drawnPixels(captureDesktop(opened->geometry, QStringLiteral("companion-menu-open"))), 5000);

    // A second click closes it; the panel returns to its corner and the bubble comes back.
    clickAt(mascotCentre(*companion.panel()));
    EXPECT_TRUE(waitUntil([&] { return companion.panel()->geometry == homeCorner; }));
    EXPECT_TRUE(waitUntil([&] { return companion.alertPanel().has_value(); }));
}

TEST(CompanionProgram, HearsALocalServerThatCompressesUnaskedAndWantsItsCookieBack)
{
    const auto server = localServerStandIn<FixtureServer>();
    ASSERT_TRUE(server->isListening()) << "another program holds the local server's port";
    server->setFixture(QJsonDocument::fromJson(R"({"compressed": true, "cookie": "id=7",
        "notifications": [{"id": 2, "type": "email", "detail": "x"}]})")
                           .object());
    CompanionSession session;
    session.writeSettings({{LocalServerPolling::latestNotificationIDKey, 1}});
    RunningCompanion companion(session);
    EXPECT_TRUE(waitUntil([&] { return companion.alertPanel().has_value(); }));
}

// A detail of a million combining accents from the local server: the panel
// answers every ping within a quarter of a second while the alert arrives and
// shows. (Unoptimised builds, the sanitizer build among them, get two seconds.)
TEST(CompanionProgram, AMillionAccentAlertDetailNeverKeepsThePanelFromAnswering)
{
#ifdef NDEBUG
    constexpr int answerMs = 250;
#else
    constexpr int answerMs = 2000;
#endif
    const auto server = localServerStandIn<TestServer>();
    ASSERT_TRUE(server->isListening()) << "another program holds the local server's port";
    server->answer("GET", "/api/companion/notifications", TestResponse::json(R"({"notifications": []})"));
    CompanionSession session;
    session.writeSettings({{LocalServerPolling::latestNotificationIDKey, 1}});
    RunningCompanion companion(session);
    const std::optional<ShownWindow> panel = companion.waitForMascot();
    ASSERT_TRUE(panel && waitUntil([&] { return server->countOf("/api/companion/notifications") > 0; }));
    Pinger pinger(panel->id);
    ASSERT_TRUE(pinger.answersWithin(10000)) << "the panel never answers pings";

    const QJsonObject alert{{QStringLiteral("id"), 2},
                            {QStringLiteral("type"), QStringLiteral("call")},
                            {QStringLiteral("detail"), u'a' + QString(1'000'000, QChar(0x0301))}};
    server->answer("GET", "/api/companion/notifications",
                   TestResponse::json(QJsonDocument(QJsonObject{{QStringLiteral("notifications"), QJsonArray{alert}}})
                                          .toJson(QJsonDocument::Compact)));
    // From the answer until the bubble has shown for ten seconds.
    QElapsedTimer waited;
    waited.start();
    QElapsedTimer shown;
    while (!shown.isValid() || !shown.hasExpired(10000)) {
        ASSERT_TRUE(pinger.answersWithin(answerMs)) << "no answer " << waited.elapsed() << " ms after the alert";
        if (!shown.isValid() && companion.alertPanel())
            shown.start();
        ASSERT_TRUE(shown.isValid() || !waited.hasExpired(30000)) << "the alert never showed";
    }
}

} // namespace
