// Presses anywhere on the desktop reach the monitor; presses on our own
// windows and presses after the monitor is removed do not.
#include "DesktopTestKit.h"

#include "platform/fake/FakeMouseMonitoring.h"
#include "platform/x11/X11MouseMonitoring.h"
#include "platform/x11/X11Panels.h"
#include "platform/x11/X11Screens.h"
#include "platform/x11/XcbConnection.h"

#include <gtest/gtest.h>

#include <QTest>
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
    // A press reaches every monitor in one go: the first would have heard this one with the second.
    ASSERT_TRUE(waitUntil([&] { return second == 3; }));
    EXPECT_EQ(first, 2);
}

// A panel's content that counts the presses Qt hands it.
class PressCounter final : public QWidget {
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

TEST(X11MouseMonitor, IgnoresTheMiddleButtonAndPressesOnOurOwnWindows)
{
    std::unique_ptr<XcbConnection> connection = XcbConnection::open();
    X11Screens screens(connection.get());
    X11PanelFactory panels(screens);
    auto content = std::make_unique<PressCounter>();
    PressCounter* onPanel = content.get();
    auto panel = panels.makePanel(std::move(content), QRectF(2846, 10, 330, 190), PanelLevel::floating);
    panel->orderFront();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(onPanel));

    X11MouseMonitoring monitoring;
    int presses = 0;
    auto token = monitoring.addGlobalMouseDownMonitor([&] { ++presses; });
    ASSERT_TRUE(token);

    // Raw presses carry no position: the monitor asks where the pointer is,
    // so each press on the panel is looked at before the pointer moves. The
    // raw press reaches the monitor's connection with the one Qt hands the
    // panel, and the next turn of the event loop gives it to the monitor.
    const auto clickOnPanel = [&] {
        const int before = onPanel->presses;
        clickAt(QPoint(3011, 1095)); // the panel's middle
        const bool handed = waitUntil([&] { return onPanel->presses > before; });
        QCoreApplication::processEvents();
        return handed;
    };
    ASSERT_TRUE(clickOnPanel());
    clickAt(QPoint(40, 40), 2);
    // The monitor hears presses in order: once it has looked at the next one, it has at the middle button's.
    ASSERT_TRUE(clickOnPanel());
    EXPECT_EQ(presses, 0);

    clickAt(QPoint(40, 40));
    EXPECT_TRUE(waitUntil([&] { return presses == 1; }));
}

} // namespace
