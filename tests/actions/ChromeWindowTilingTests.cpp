// Chrome's windows tiled into halves or quarters of the screen under the
// mouse, on a desktop in memory.
#include "ActionsTestKit.h"

#include <gtest/gtest.h>

namespace {

using Placement = FakeApplicationWindows::Placement;

DesktopScreen screen(const QRectF& frame, const QRectF& visible, quint32 number) { return {frame, visible, number}; }

// A primary screen 1511 x 982 with a 25-point bar at the top, y up.
const DesktopScreen primary = screen(QRectF(0, 0, 1511, 982), QRectF(0, 0, 1511, 957), 1);

TEST(TileRectangles, HalvesAndQuartersOfTheVisibleFrame)
{
    EXPECT_EQ(WindowTiling::tileRectangles(WindowTileLayout::leftRight, primary.visibleFrame, {primary}),
              (QList<QRectF>{QRectF(0, 25, 755, 957), QRectF(755, 25, 756, 957)}));
    EXPECT_EQ(WindowTiling::tileRectangles(WindowTileLayout::corners, primary.visibleFrame, {primary}),
              (QList<QRectF>{QRectF(0, 25, 755, 478), QRectF(755, 25, 756, 478), QRectF(0, 503, 755, 479),
                             QRectF(755, 503, 756, 479)}));
}

TEST(TileRectangles, AScreenAboveThePrimaryOneHasANegativeTop)
{
    const DesktopScreen above = screen(QRectF(200, 982, 1920, 1080), QRectF(200, 982, 1920, 1050), 2);
    EXPECT_EQ(WindowTiling::tileRectangles(WindowTileLayout::leftRight, above.visibleFrame, {primary, above}),
              (QList<QRectF>{QRectF(200, -1050, 960, 1050), QRectF(1160, -1050, 960, 1050)}));
}

TEST(WindowsInView, OnlyWhatTheUserSeesOnTheDesktopInViewFrontMostFirst)
{
    using Window = ApplicationWindows::Window;
    constexpr quint32 sticky = ApplicationWindows::allDesktops;
    const struct {
        const char* name;
        std::optional<quint32> currentDesktop;
        QList<Window> windows;
        QList<ApplicationWindows::WindowId> expected;
    } cases[] = {
        {"on this desktop, in stacking order", 0, {{3, 0, false}, {1, 0, false}, {2, 0, false}}, {3, 1, 2}},
        {"on another desktop", 0, {{1, 1, false}, {2, 0, false}}, {2}},
        {"on every desktop", 1, {{1, sticky, false}, {2, 0, false}, {3, 1, false}}, {1, 3}},
        {"minimised, here or everywhere", 0, {{1, 0, true}, {2, sticky, true}, {3, 0, false}}, {3}},
        {"a window of no known desktop", 0, {{1, std::nullopt, false}, {2, 1, false}}, {1}},
        {"a window manager without desktops", std::nullopt, {{1, 4, false}, {2, 0, true}}, {1}},
    };
    for (const auto& test : cases)
        EXPECT_EQ(WindowTiling::windowsInView(test.windows, test.currentDesktop), test.expected) << test.name;
}

class Tiling : public ::testing::Test {
protected:
    Tiling()
    {
        t.fake.screens.list = {primary, external};
        t.fake.screens.mouse = QPointF(2000, 500);
        t.fake.workspace.applications = {runningApplication(60, QStringLiteral("com.google.Chrome"))};
    }

    void chromeWindows(const QList<ApplicationWindows::WindowId>& windows)
    {
        t.fake.windows.windowsOfProcess.insert(60, windows);
    }
    QList<Placement> placed(const QList<std::pair<ApplicationWindows::WindowId, QRectF>>& expected)
    {
        QList<Placement> placements;
        for (const auto& [window, rectangle] : expected)
            placements.append({window, rectangle});
        return placements;
    }

    const DesktopScreen external = screen(QRectF(1511, 0, 1920, 1080), QRectF(1511, 0, 1920, 1080), 2);
    ActionsTestKit t;
};

TEST_F(Tiling, TheFrontMostWindowsFillTheScreenUnderTheMouseAndThePanelCloses)
{
    chromeWindows({11, 12, 13});
    t.model().layoutPanelOpen = true;
    t.model().tileWindowsLeftRight();
    EXPECT_EQ(t.fake.windows.placements,
              placed({{11, QRectF(1511, -98, 960, 1080)}, {12, QRectF(2471, -98, 960, 1080)}}));
    // All of them come forward, the front-most last so that it stays active.
    EXPECT_EQ(t.fake.windows.activations, QList<ApplicationWindows::WindowId>({13, 12, 11}));
    t.fake.windows.finishPlacements();
    EXPECT_EQ(t.fake.bell.rings, 0);
    EXPECT_FALSE(t.model().layoutPanelOpen);
}

TEST_F(Tiling, WindowsElsewhereOrMinimisedAreNeitherRaisedNorMoved)
{
    chromeWindows({11, 12, 13, 14, 15});
    t.fake.windows.desktopOf = {{12, 1}, {15, ApplicationWindows::allDesktops}};
    t.fake.windows.minimised = {13};
    t.model().tileWindowsToCorners();
    EXPECT_EQ(
        t.fake.windows.placements,
        placed(
            {{11, QRectF(1511, -98, 960, 540)}, {14, QRectF(2471, -98, 960, 540)}, {15, QRectF(1511, 442, 960, 540)}}));
    EXPECT_EQ(t.fake.windows.activations, QList<ApplicationWindows::WindowId>({15, 14, 11}));
    // No desktop comes into view and nothing is restored.
    EXPECT_TRUE(t.fake.workspace.requests.isEmpty());
}

TEST_F(Tiling, OneWindowTakesTheTopLeftQuarterAndAFifthStaysWhereItIs)
{
    chromeWindows({11});
    t.model().tileWindowsToCorners();
    EXPECT_EQ(t.fake.windows.placements, placed({{11, QRectF(1511, -98, 960, 540)}}));
    t.fake.windows.finishPlacements();
    EXPECT_EQ(t.fake.bell.rings, 0);

    t.fake.windows.placements.clear();
    chromeWindows({11, 12, 13, 14, 15});
    t.model().tileWindowsToCorners();
    EXPECT_EQ(t.fake.windows.placements.size(), 4);
    EXPECT_EQ(t.fake.windows.placements.last().window, 14u);
}

TEST_F(Tiling, EveryRunningChromeOffersItsWindowsInViewFrontMostFirst)
{
    // Another profile's browser process, listed after another application.
    t.fake.workspace.applications +=
        {runningApplication(80, QStringLiteral("slack")), runningApplication(70, QStringLiteral("com.google.Chrome"))};
    chromeWindows({11, 12});
    t.fake.windows.windowsOfProcess.insert(70, {21});
    t.fake.windows.windowsOfProcess.insert(80, {31});
    t.fake.windows.stacking = {31, 11, 21, 12};
    t.fake.windows.desktopOf = {{11, 1}};
    t.model().tileWindowsLeftRight();
    EXPECT_EQ(t.fake.windows.placements,
              placed({{21, QRectF(1511, -98, 960, 1080)}, {12, QRectF(2471, -98, 960, 1080)}}));
    t.fake.windows.finishPlacements();
    EXPECT_EQ(t.fake.bell.rings, 0);
}

TEST_F(Tiling, WithoutAScreenUnderTheMouseThePanelsScreenServes)
{
    chromeWindows({11});
    t.fake.screens.mouse = QPointF(-500, -500);
    t.panelScreen = primary;
    t.model().tileWindowsToCorners();
    EXPECT_EQ(t.fake.windows.placements, placed({{11, QRectF(0, 25, 755, 478)}}));
}

TEST_F(Tiling, ARefusedOrUselessAttemptRingsTheBell)
{
    // No windows at all, and a list that cannot be read.
    chromeWindows({});
    t.model().tileWindowsLeftRight();
    EXPECT_EQ(t.fake.bell.rings, 1);
    t.fake.windows.windowsOfProcess.clear();
    t.model().tileWindowsLeftRight();
    EXPECT_EQ(t.fake.bell.rings, 2);

    // Not allowed: Chrome still comes to the front.
    chromeWindows({11});
    t.fake.windows.trusted = false;
    t.model().tileWindowsLeftRight();
    EXPECT_EQ(t.fake.bell.rings, 3);
    EXPECT_EQ(t.fake.windows.activations, QList<ApplicationWindows::WindowId>({11}));
    EXPECT_TRUE(t.fake.windows.placements.isEmpty());

    // No window lands where it was put: each is still asked, and the bell
    // rings once the window manager has answered.
    t.fake.windows.trusted = true;
    chromeWindows({11, 12});
    t.fake.windows.fixedWindows = {11, 12};
    t.model().tileWindowsLeftRight();
    EXPECT_EQ(t.fake.windows.placements.size(), 2);
    EXPECT_EQ(t.fake.bell.rings, 3);
    t.fake.windows.finishPlacements();
    EXPECT_EQ(t.fake.bell.rings, 4);

    // No screen anywhere.
    t.fake.windows.fixedWindows.clear();
    t.fake.windows.placements.clear();
    t.fake.screens.list.clear();
    t.model().tileWindowsLeftRight();
    EXPECT_EQ(t.fake.bell.rings, 5);
    EXPECT_TRUE(t.fake.windows.placements.isEmpty());
}

TEST_F(Tiling, AnAnswerAfterTheActionsAreGoneRingsNothing)
{
    chromeWindows({11});
    t.fake.windows.fixedWindows = {11};
    t.model().tileWindowsLeftRight();
    t.actions.reset();
    t.fake.windows.finishPlacements();
    EXPECT_EQ(t.fake.bell.rings, 0);
}

TEST_F(Tiling, WithChromeNotRunningTheFirstPressLaunchesItAndMovesNothing)
{
    t.fake.workspace.applications.clear();
    t.install(QStringLiteral("/Applications/Google Chrome.app"), QStringLiteral("com.google.Chrome"));
    t.model().layoutPanelOpen = true;
    t.model().tileWindowsToCorners();
    EXPECT_EQ(t.fake.applications.openedApplications, QStringList({QStringLiteral("/Applications/Google Chrome.app")}));
    EXPECT_TRUE(t.fake.windows.placements.isEmpty());
    EXPECT_EQ(t.fake.bell.rings, 0);
    EXPECT_FALSE(t.model().layoutPanelOpen);
}

} // namespace
