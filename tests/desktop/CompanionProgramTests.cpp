// The built companion on a real X11 desktop: where it appears, one copy per
// edition, links handed to the running copy, following the mouse across
// monitors, and the saved position across runs.
#include "RunningCompanion.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QWidget>

#include "shell/SingletonLock.h"

namespace {

// The desktop is one 3200 x 1200 screen; the panel's home corner in X
// coordinates is (3200 - 24 - 330, 1200 - 10 - 190).
const QRect homeCorner(2846, 1000, 330, 190);

void splitIntoTwoMonitors()
{
    // The left one is primary.
    runTool(QStringLiteral("xrandr"), {QStringLiteral("--setmonitor"), QStringLiteral("*left"), QStringLiteral("1600/423x1200/317+0+0"), QStringLiteral("screen")});
    runTool(QStringLiteral("xrandr"), {QStringLiteral("--setmonitor"), QStringLiteral("right"), QStringLiteral("1600/423x1200/317+1600+0"), QStringLiteral("none")});
}

void moveMouse(int x, int y)
{
    runTool(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(x), QString::number(y)});
}

QString activeWindow()
{
    return runTool(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}).trimmed();
}

TEST(CompanionProgram, StartsInTheCornerAboveOtherWindowsWithoutTakingFocus)
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
    settleDesktop(500);
    EXPECT_EQ(activeWindow(), ordinaryId) << "the companion took the focus";

    const QString states = runTool(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(panel->id), QStringLiteral("_NET_WM_STATE"), QStringLiteral("_NET_WM_DESKTOP")});
    EXPECT_TRUE(states.contains(QStringLiteral("_NET_WM_STATE_ABOVE"))) << states.toStdString();
    EXPECT_TRUE(states.contains(QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR"))) << states.toStdString();
    EXPECT_TRUE(states.contains(QStringLiteral("4294967295"))) << states.toStdString();
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

    QProcess second;
    second.setProcessEnvironment(session.environment());
    second.start(programPath(QStringLiteral("lumivo-companion")), {});
    ASSERT_TRUE(second.waitForFinished(5000)) << "a second copy must leave at once";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
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

    QProcess fax;
    fax.setProcessEnvironment(session.environment());
    fax.start(programPath(QStringLiteral("lumivo-companion")), {QStringLiteral("lumivo://notify?type=fax&detail=Paper")});
    ASSERT_TRUE(fax.waitForFinished(5000));
    EXPECT_EQ(fax.exitCode(), 0);
    settleDesktop(500);
    EXPECT_FALSE(running.alertPanel().has_value()) << "a fax is no alert";

    QProcess call;
    call.setProcessEnvironment(session.environment());
    call.start(programPath(QStringLiteral("lumivo-companion")), {QStringLiteral("LUMIVO://NOTIFY?type=CALL&detail=Front%20desk")});
    ASSERT_TRUE(call.waitForFinished(5000));
    EXPECT_EQ(call.exitCode(), 0);

    std::optional<ShownWindow> alert;
    ASSERT_TRUE(waitUntil([&] { return (alert = running.alertPanel()).has_value(); }));
    // Beside the mascot, on its left (the mascot stands in the right half):
    // 6 points left of the mascot's region, its top 10 below the panel's.
    EXPECT_EQ(alert->geometry, QRect(3176 - 170 - 226 - 6, 1000 + 10, 226, 96));
}

TEST(CompanionProgram, FollowsTheMouseToTheOtherMonitor)
{
    splitIntoTwoMonitors();
    moveMouse(800, 600);
    CompanionSession session;
    RunningCompanion companion(session);
    std::optional<ShownWindow> panel = companion.waitForPanel();
    ASSERT_TRUE(panel.has_value());
    ASSERT_TRUE(waitUntil([&] { return companion.panel()->geometry == QRect(1600 - 354, 1000, 330, 190); }))
        << "starts in the primary monitor's corner";

    moveMouse(2400, 600);
    QList<int> seen;
    const bool arrived = waitUntil([&] {
        const int x = RunningCompanion::geometryOf(panel->id).x();
        if (seen.isEmpty() || seen.last() != x)
            seen.append(x);
        return x == 2846;
    }, 8000);
    EXPECT_TRUE(arrived) << "never reached the right monitor's corner";
    EXPECT_GT(seen.size(), 2) << "the move should pass through places between the corners";
}

TEST(CompanionProgram, SavesItsPlaceWhenTerminatedAndRestoresItClampedNextTime)
{
    splitIntoTwoMonitors();
    moveMouse(2400, 600);
    CompanionSession session;
    session.writeSettings({{QStringLiteral("lumivo-companion-panel-x"), 100}, {QStringLiteral("lumivo-companion-panel-y"), 200}});

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
    session.writeSettings({{QStringLiteral("lumivo-companion-panel-x"), 3000}, {QStringLiteral("lumivo-companion-panel-y"), 500}});
    runTool(QStringLiteral("xrandr"), {QStringLiteral("--delmonitor"), QStringLiteral("right")});
    moveMouse(800, 600);
    RunningCompanion again(session);
    ASSERT_TRUE(again.waitForPanel().has_value());
    EXPECT_TRUE(waitUntil([&] { return again.panel()->geometry == QRect(1600 - 330, 1200 - 500 - 190, 330, 190); }))
        << again.panel()->geometry.x() << "," << again.panel()->geometry.y();
}

} // namespace
