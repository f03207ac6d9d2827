// Presses anywhere on the desktop reach the monitor; presses on our own
// windows and presses after the monitor is removed do not.
#include "DesktopTestKit.h"

#include "platform/fake/FakeMouseMonitoring.h"
#include "platform/x11/X11MouseMonitoring.h"
#include "platform/x11/X11Panels.h"
#include "platform/x11/X11Screens.h"
#include "platform/x11/XcbConnection.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace {

struct FakeMouseWorld {
    MouseMonitoring& monitoring() { return mouse; }
    void pressElsewhere(int) { mouse.pressElsewhere(); }
    FakeMouseMonitoring mouse;
};

struct X11MouseWorld {
    MouseMonitoring& monitoring() { return mouse; }
    // Over the bare root window, far from anything of ours. Each press lands
    // somewhere new, so it never picks an item of a menu the last one opened.
    void pressElsewhere(int button)
    {
        clickAt(QPoint(40 + 300 * m_presses, 40), button);
        ++m_presses;
    }
    int m_presses = 0;
    X11MouseMonitoring mouse;
};

template <typename World>
class MouseMonitorContract : public ::testing::Test {
protected:
    World world;
};

using Worlds = ::testing::Types<FakeMouseWorld, X11MouseWorld>;
TYPED_TEST_SUITE(MouseMonitorContract, Worlds);

TYPED_TEST(MouseMonitorContract, EveryMonitorHearsEachPressUntilRemoved)
{
    int first = 0;
    int second = 0;
    auto firstToken = this->world.monitoring().addGlobalMouseDownMonitor([&] { ++first; });
    auto secondToken = this->world.monitoring().addGlobalMouseDownMonitor([&] { ++second; });
    ASSERT_TRUE(firstToken && secondToken);

    this->world.pressElsewhere(1);
    ASSERT_TRUE(waitUntil([&] { return first == 1 && second == 1; })) << first << " " << second;
    this->world.pressElsewhere(3);
    ASSERT_TRUE(waitUntil([&] { return first == 2 && second == 2; })) << first << " " << second;

    firstToken.reset();
    this->world.pressElsewhere(1);
    ASSERT_TRUE(waitUntil([&] { return second == 3; }));
    settleDesktop(100);
    EXPECT_EQ(first, 2);
}

TEST(X11MouseMonitor, IgnoresTheMiddleButtonAndPressesOnOurOwnWindows)
{
    std::unique_ptr<XcbConnection> connection = XcbConnection::open();
    X11Screens screens(connection.get());
    X11PanelFactory panels(screens);
    auto panel = panels.makePanel(std::make_unique<QWidget>(), QRectF(2846, 10, 330, 190), PanelLevel::floating);
    panel->orderFront();
    settleDesktop(300);

    X11MouseMonitoring monitoring;
    int presses = 0;
    auto token = monitoring.addGlobalMouseDownMonitor([&] { ++presses; });
    ASSERT_TRUE(token);

    // Raw presses carry no position: the monitor asks where the pointer is,
    // so each click is given time to be looked at before the pointer moves.
    clickAt(QPoint(3011, 1095)); // the panel's middle
    settleDesktop(300);
    clickAt(QPoint(40, 40), 2);
    settleDesktop(300);
    EXPECT_EQ(presses, 0);

    clickAt(QPoint(40, 40));
    EXPECT_TRUE(waitUntil([&] { return presses == 1; }));
}

} // namespace
