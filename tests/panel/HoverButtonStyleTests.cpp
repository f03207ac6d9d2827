#include "panel/VaradiHoverButtonStyle.h"

#include <gtest/gtest.h>

namespace {

using Look = VaradiHoverButtonStyle::Look;

// Springs come to rest asymptotically.
void expectSettledAt(const Look& now, const Look& expected)
{
    EXPECT_NEAR(now.scale, expected.scale, 1e-4);
    EXPECT_NEAR(now.lift, expected.lift, 1e-3);
    EXPECT_NEAR(now.brightness, expected.brightness, 1e-4);
    EXPECT_NEAR(now.glow, expected.glow, 1e-3);
}

TEST(HoverButtonStyle, EachPointerAndPressStateHasItsLook)
{
    EXPECT_EQ(VaradiHoverButtonStyle::look(false, false), (Look{1.0, 0, 0, 0}));
    EXPECT_EQ(VaradiHoverButtonStyle::look(true, false), (Look{1.075, 3, 0.12, 1}));
    EXPECT_EQ(VaradiHoverButtonStyle::look(true, true), (Look{0.94, 0, 0.12, 1}));
    EXPECT_EQ(VaradiHoverButtonStyle::look(false, true), (Look{0.94, 0, 0, 0}));
}

class HoverStyleMotion : public ::testing::Test {
protected:
    void run(double seconds)
    {
        for (double passed = 0; passed < seconds; passed += 0.005)
            now += 0.005;
    }
    double now = 0;
    AnimationDriver driver{[this] { return now; }};
    VaradiHoverButtonStyle style{driver, [] {}};
};

TEST_F(HoverStyleMotion, AClickWhileHoveringDropsAndRestoresTheLiftKeepingTheGlow)
{
    style.setHovering(true);
    run(0.1);
    EXPECT_GT(style.current().scale, 1.0);
    run(1);
    EXPECT_NEAR(style.current().scale, 1.075, 1e-3);
    style.setPressed(true);
    // The press spring is the quicker one: the lift is gone within 0.3 s.
    run(0.3);
    EXPECT_NEAR(style.current().scale, 0.94, 0.005);
    EXPECT_NEAR(style.current().lift, 0, 0.05);
    EXPECT_NEAR(style.current().glow, 1, 1e-3);
    EXPECT_NEAR(style.current().brightness, 0.12, 1e-4);
    style.setPressed(false);
    run(1);
    expectSettledAt(style.current(), VaradiHoverButtonStyle::look(true, false));
}

TEST_F(HoverStyleMotion, LeavingWhilePressedFadesTheGlowButKeepsTheShrink)
{
    style.setHovering(true);
    style.setPressed(true);
    run(1);
    style.setHovering(false);
    run(0.05);
    EXPECT_LT(style.current().glow, 1);
    run(1);
    EXPECT_NEAR(style.current().glow, 0, 1e-3);
    EXPECT_NEAR(style.current().brightness, 0, 1e-4);
    EXPECT_NEAR(style.current().scale, 0.94, 1e-3);
    style.setPressed(false);
    run(1);
    expectSettledAt(style.current(), VaradiHoverButtonStyle::look(false, false));
}

TEST(HoverButtonItem, ActsOnlyWhenPressedAndReleasedOverIt)
{
    AnimationDriver driver([] { return 0.0; });
    int actions = 0;
    HoverButtonItem item(driver, [] {});
    item.rect = QRectF(10, 10, 20, 18);
    item.action = [&] { ++actions; };
    EXPECT_FALSE(item.press(QPointF(5, 5)));
    item.release(QPointF(15, 15));
    EXPECT_EQ(actions, 0);
    ASSERT_TRUE(item.press(QPointF(15, 15)));
    item.release(QPointF(50, 50)); // dragged off before letting go
    EXPECT_EQ(actions, 0);
    ASSERT_TRUE(item.press(QPointF(15, 15)));
    item.release(QPointF(29, 27));
    EXPECT_EQ(actions, 1);
    item.pointerMoved(QPointF(12, 12));
    EXPECT_TRUE(item.style().hovering());
    item.pointerMoved(QPointF(40, 12));
    EXPECT_FALSE(item.style().hovering());
}

TEST(HoverButtonStyle, ItsReachCoversTheLiftAndTheGlowsPastTheLabel)
{
    const QRectF label(0, 0, 20, 18);
    const QRectF reach = VaradiHoverButtonStyle::reach(label);
    EXPECT_TRUE(reach.contains(label.adjusted(-16, -16 - 3, 16, 16 + 6)));
}

} // namespace
