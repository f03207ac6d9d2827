// Panels behave the same made by the fake and by the X11 layer, and the X11
// ones carry the window-manager states that keep them floating everywhere.
#include "DesktopTestKit.h"

#include "platform/fake/FakePanels.h"
#include "platform/fake/FakeScreens.h"
#include "platform/x11/X11Panels.h"
#include "platform/x11/X11Screens.h"
#include "platform/x11/XcbConnection.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace {

using namespace std::chrono_literals;

struct FakePanelWorld {
    FakePanelWorld() { screens.list = {{QRectF(0, 0, 3200, 1200), QRectF(0, 0, 3200, 1200), 1}}; }
    PanelFactory& factory() { return panels; }
    void finishAnimation(Panel& panel) { static_cast<FakePanel&>(panel).finishAnimation(); }

    FakeScreens screens;
    FakePanelFactory panels {screens};
};

struct X11PanelWorld {
    PanelFactory& factory() { return panels; }
    void finishAnimation(Panel&) { }

    std::unique_ptr<XcbConnection> connection = XcbConnection::open();
    X11Screens screens {connection.get()};
    X11PanelFactory panels {connection.get(), screens};
};

template <typename World>
class PanelContract : public ::testing::Test {
protected:
    std::unique_ptr<Panel> makePanel(const QRectF& frame)
    {
        return world.factory().makePanel(std::make_unique<QWidget>(), frame, PanelLevel::floating);
    }
    World world;
};

using Worlds = ::testing::Types<FakePanelWorld, X11PanelWorld>;
TYPED_TEST_SUITE(PanelContract, Worlds);

TYPED_TEST(PanelContract, GoesOnAndOffScreenOnlyWhenAsked)
{
    auto panel = this->makePanel(QRectF(2846, 10, 330, 190));
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(panel->frame(), QRectF(2846, 10, 330, 190));
    panel->orderFront();
    EXPECT_TRUE(panel->isVisible());
    panel->orderOut();
    EXPECT_FALSE(panel->isVisible());
    panel->orderFront();
    EXPECT_TRUE(panel->isVisible());
}

TYPED_TEST(PanelContract, TakesFramesInBottomLeftScreenPoints)
{
    auto panel = this->makePanel(QRectF(100, 100, 330, 190));
    panel->orderFront();
    panel->setFrame(QRectF(400, 20, 516, 590), FrameChange::immediate);
    EXPECT_EQ(panel->frame(), QRectF(400, 20, 516, 590));
    ASSERT_TRUE(panel->screen().has_value());
    EXPECT_EQ(panel->screen()->frame, QRectF(0, 0, 3200, 1200));

    panel->setFrame(QRectF(-5000, 20, 330, 190), FrameChange::immediate);
    EXPECT_EQ(panel->screen(), std::nullopt);
}

TYPED_TEST(PanelContract, AnimatedMovesEndAtTheirFrameAndCompleteOnce)
{
    auto panel = this->makePanel(QRectF(100, 100, 330, 190));
    panel->orderFront();
    int completions = 0;
    panel->animateFrame(QRectF(1500, 300, 330, 190), 120ms, [&] { ++completions; });
    this->world.finishAnimation(*panel);
    ASSERT_TRUE(waitUntil([&] { return completions > 0; }));
    EXPECT_EQ(panel->frame(), QRectF(1500, 300, 330, 190));
    settleDesktop(100);
    EXPECT_EQ(completions, 1);
}

TEST(X11Panel, AMoveCutShortStillCompletes)
{
    X11PanelWorld world;
    auto panel = world.factory().makePanel(std::make_unique<QWidget>(), QRectF(100, 100, 330, 190), PanelLevel::floating);
    panel->orderFront();
    int completions = 0;
    panel->animateFrame(QRectF(1500, 300, 330, 190), 5000ms, [&] { ++completions; });
    panel->setFrame(QRectF(200, 200, 330, 190), FrameChange::immediate);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(panel->frame(), QRectF(200, 200, 330, 190));
    settleDesktop(100);
    EXPECT_EQ(panel->frame(), QRectF(200, 200, 330, 190)) << "the cut-short animation must not move it further";
}

QString windowProperties(const Panel& panel, const QWidget& content)
{
    Q_UNUSED(panel);
    return runTool(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(content.winId()),
                                             QStringLiteral("_NET_WM_STATE"), QStringLiteral("_NET_WM_DESKTOP"),
                                             QStringLiteral("WM_HINTS"), QStringLiteral("_NET_WM_WINDOW_TYPE")});
}

bool isViewable(const QWidget& window)
{
    return runTool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window.winId())})
        .contains(QStringLiteral("IsViewable"));
}

TEST(X11Panel, FloatsOnEveryDesktopOutsideTaskbarAndPagerWithoutFocus)
{
    X11PanelWorld world;
    auto content = std::make_unique<QWidget>();
    QWidget* window = content.get();
    auto panel = world.factory().makePanel(std::move(content), QRectF(2846, 10, 330, 190), PanelLevel::floating);
    QWidget ordinary;
    ordinary.setGeometry(100, 100, 400, 300);
    ordinary.show();

    // The states must survive being taken off screen and put back. Openbox
    // keeps "all desktops" as desktop 0xFFFFFFFF rather than as a sticky state.
    for (int showing = 0; showing < 2; ++showing) {
        panel->orderFront();
        QString properties;
        const bool announced = waitUntil([&] {
            properties = windowProperties(*panel, *window);
            return properties.contains(QStringLiteral("_NET_WM_STATE_ABOVE")) && isViewable(*window);
        });
        EXPECT_TRUE(announced) << properties.toStdString();
        EXPECT_TRUE(properties.contains(QStringLiteral("_NET_WM_DESKTOP(CARDINAL) = 4294967295"))) << properties.toStdString();
        for (const char* state : {"_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"})
            EXPECT_TRUE(properties.contains(QLatin1String(state))) << state << "\n" << properties.toStdString();
        EXPECT_TRUE(properties.contains(QStringLiteral("Client accepts input or input focus: False"))) << properties.toStdString();

        // On another desktop the ordinary window goes, the panel stays.
        runTool(QStringLiteral("xdotool"), {QStringLiteral("set_desktop"), QString::number(1 + showing)});
        EXPECT_TRUE(waitUntil([&] { return !isViewable(ordinary); }));
        EXPECT_TRUE(isViewable(*window));
        runTool(QStringLiteral("xdotool"), {QStringLiteral("set_desktop"), QStringLiteral("0")});
        ASSERT_TRUE(waitUntil([&] { return isViewable(ordinary); }));

        panel->orderOut();
        EXPECT_TRUE(waitUntil([&] { return !isViewable(*window); }));
    }
}

TEST(X11Panel, ClickingItLeavesTheActiveWindowActive)
{
    X11PanelWorld world;
    QWidget ordinary;
    ordinary.setWindowTitle(QStringLiteral("ordinary"));
    ordinary.setGeometry(100, 100, 400, 300);
    ordinary.show();
    ordinary.activateWindow();
    const QString ordinaryId = QString::number(ordinary.winId());
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == ordinaryId; })) << activeWindow().toStdString();

    auto panel = world.factory().makePanel(std::make_unique<QWidget>(), QRectF(2846, 10, 330, 190), PanelLevel::floating);
    panel->orderFront();
    settleDesktop(300);
    EXPECT_EQ(activeWindow(), ordinaryId) << "showing the panel took focus: " << activeWindow().toStdString();

    // The panel's centre in X coordinates: 1200 - (10 + 95).
    clickAt(QPoint(3011, 1095));
    settleDesktop(300);
    EXPECT_EQ(activeWindow(), ordinaryId) << "clicking the panel took focus: " << activeWindow().toStdString();
}

} // namespace
