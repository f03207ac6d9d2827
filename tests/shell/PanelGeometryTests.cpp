// The placement rules, with the numbers the panel's behaviour is known by.
#include "shell/PanelGeometry.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

using namespace PanelGeometry;

const QRectF laptop(0, 0, 1440, 900);

DesktopScreen screen(const QRectF& frame, std::optional<quint32> number, const QRectF& visible = {})
{
    return {frame, visible.isNull() ? frame : visible, number};
}

TEST(PanelGeometry, ClampingKeepsTheWholeRectangleInsideWithoutMargin)
{
    EXPECT_EQ(clampedOrigin(QRectF(1300, -40, 330, 190), laptop), QPointF(1110, 0));
    EXPECT_EQ(clampedOrigin(QRectF(-10, 800, 330, 190), laptop), QPointF(0, 710));
    EXPECT_EQ(clampedOrigin(QRectF(500, 300, 330, 190), laptop), QPointF(500, 300));
    // Wider or taller than the frame: the left or bottom edge wins.
    EXPECT_EQ(clampedOrigin(QRectF(50, 50, 2000, 1000), laptop), QPointF(0, 0));
}

TEST(PanelGeometry, TheBestScreenHoldsMostOfTheRectangleElseIsNearest)
{
    const DesktopScreen left = screen(QRectF(0, 0, 1440, 900), 1);
    const DesktopScreen right = screen(QRectF(1440, 0, 1920, 1080), 2);
    EXPECT_EQ(bestScreen(QRectF(1300, 10, 330, 190), {left, right}), right);
    EXPECT_EQ(bestScreen(QRectF(1200, 10, 330, 190), {left, right}), left);
    // On neither: the screen whose centre is nearest.
    EXPECT_EQ(bestScreen(QRectF(5000, 500, 330, 190), {left, right}), right);
    EXPECT_EQ(bestScreen(QRectF(-900, 300, 330, 190), {left, right}), left);
    // Equally distant: the earlier screen.
    const DesktopScreen twin = screen(QRectF(0, 1000, 1440, 900), 3);
    EXPECT_EQ(bestScreen(QRectF(555, 875, 330, 50), {left, twin}).value().displayNumber, 1u);
    EXPECT_EQ(bestScreen(QRectF(0, 0, 10, 10), {}), std::nullopt);
}

TEST(PanelGeometry, TheMouseCountsOnTheScreenWhoseFullFrameHoldsIt)
{
    const DesktopScreen left = screen(QRectF(0, 0, 1440, 900), 1, QRectF(0, 70, 1440, 805));
    const DesktopScreen right = screen(QRectF(1440, 0, 1920, 1080), 2);
    // Over the dock area of the left screen: still the left screen.
    EXPECT_EQ(screenUnderMouse(QPointF(700, 30), {left, right}), left);
    // The left edge belongs to a screen, its bottom edge does not, its top does.
    EXPECT_EQ(screenUnderMouse(QPointF(1440, 500), {left, right}), right);
    EXPECT_EQ(screenUnderMouse(QPointF(100, 0), {left, right}), std::nullopt);
    EXPECT_EQ(screenUnderMouse(QPointF(100, 900), {left, right}), left);
    EXPECT_EQ(screenUnderMouse(QPointF(-1, 500), {left, right}), std::nullopt);
}

TEST(PanelGeometry, ScreensWithoutNumbersAreTheSameDisplay)
{
    EXPECT_TRUE(sameDisplay(screen(laptop, std::nullopt), screen(QRectF(1440, 0, 800, 600), std::nullopt)));
    EXPECT_FALSE(sameDisplay(screen(laptop, 1), screen(laptop, std::nullopt)));
    EXPECT_TRUE(sameDisplay(screen(laptop, 7), screen(QRectF(1440, 0, 800, 600), 7)));
    EXPECT_FALSE(sameDisplay(screen(laptop, 7), screen(laptop, 8)));
}

TEST(PanelGeometry, TheAlertPanelOpensTowardsTheRoomierSide)
{
    // Mascot centre line at 1000 - 85 = 915, right of the centre 720: left.
    const AlertPlacement left = alertPanelPlacement(QRectF(670, 100, 330, 190), alertPanelSize, laptop);
    EXPECT_FALSE(left.opensToRight);
    EXPECT_EQ(left.origin, QPointF(1000 - 170 - 226 - 6, 290 - 96 - 10));
    // In the left half: 6 points right of the panel.
    const AlertPlacement right = alertPanelPlacement(QRectF(70, 100, 330, 190), alertPanelSize, laptop);
    EXPECT_TRUE(right.opensToRight);
    EXPECT_EQ(right.origin, QPointF(406, 184));
    // Exactly on the centre line: to the right.
    EXPECT_TRUE(alertPanelPlacement(QRectF(475, 100, 330, 190), alertPanelSize, laptop).opensToRight);
    // Pushed back inside at the top, and at the right edge.
    EXPECT_EQ(alertPanelPlacement(QRectF(380, 800, 330, 190), alertPanelSize, QRectF(0, 0, 800, 900)).origin,
              QPointF(308, 804));
    EXPECT_EQ(alertPanelPlacement(QRectF(1450, 100, 330, 190), alertPanelSize, laptop).origin, QPointF(1214, 184));
}

TEST(PanelGeometry, TheMenuGrowsAwayFromTheMascotUpToTheScreensHeight)
{
    EXPECT_EQ(panelSize(true, QRectF(0, 0, 1440, 500)), QSizeF(516, 480));
    EXPECT_EQ(panelSize(true, QRectF(0, 0, 1440, 610)), QSizeF(516, 590));
    EXPECT_EQ(panelSize(true, QRectF(0, 0, 1440, 2000)), QSizeF(516, 590));
    EXPECT_EQ(panelSize(false, QRectF(0, 0, 1440, 500)), QSizeF(330, 190));

    const QRectF atThousand(670, 40, 330, 190);
    EXPECT_FALSE(menuOpensToRight(atThousand, laptop));
    EXPECT_EQ(openedPanelOrigin(atThousand, false), QPointF(492, 40));
    const QRectF atFourHundred(70, 40, 330, 190);
    EXPECT_TRUE(menuOpensToRight(atFourHundred, laptop));
    EXPECT_EQ(openedPanelOrigin(atFourHundred, true), QPointF(222, 40));
    // Anchor exactly on the midline: to the right.
    EXPECT_TRUE(menuOpensToRight(QRectF(475, 40, 330, 190), laptop));

    EXPECT_TRUE(isAlreadySized(QSizeF(516.4, 589.6), QSizeF(516, 590)));
    EXPECT_FALSE(isAlreadySized(QSizeF(516.6, 590), QSizeF(516, 590)));
    EXPECT_FALSE(isAlreadySized(QSizeF(516, 589.4), QSizeF(516, 590)));
}

TEST(PanelGeometry, ADraggedOpenMenuRemembersWhereTheCollapsedPanelBelongs)
{
    const QRectF large(0, 0, 2560, 1440);
    EXPECT_EQ(collapsedOriginForOpenedPanel(QPointF(600, 100), true, large), QPointF(440, 100));
    EXPECT_EQ(collapsedOriginForOpenedPanel(QPointF(600, 100), false, large), QPointF(786, 100));
    // Still kept on the screen.
    EXPECT_EQ(collapsedOriginForOpenedPanel(QPointF(100, 100), true, large), QPointF(0, 100));
}

TEST(PanelGeometry, DragsMoveDownwardsTranslationsUpTheScreenAndStayInside)
{
    EXPECT_EQ(draggedOrigin(QPointF(500, 300), QSizeF(40, 25), QSizeF(330, 190), laptop), QPointF(540, 275));
    EXPECT_EQ(draggedOrigin(QPointF(500, 300), QSizeF(4000, -4000), QSizeF(330, 190), laptop), QPointF(1110, 710));
    EXPECT_EQ(draggedOrigin(QPointF(500, 300), QSizeF(-4000, 4000), QSizeF(2000, 190), laptop), QPointF(0, 0));
}

TEST(PanelGeometry, WalkingTurnsTenPointsFromEitherSide)
{
    // Rightwards: the right edge reaching 1430 turns the walk, left edge at 1100.
    WalkStep step = walkStep(QRectF(1099.7, 10, 330, 190), 1, laptop);
    EXPECT_DOUBLE_EQ(step.x, 1100);
    EXPECT_EQ(step.direction, -1);
    EXPECT_EQ(step.facingRight, false);

    step = walkStep(QRectF(500, 10, 330, 190), 1, laptop);
    EXPECT_DOUBLE_EQ(step.x, 500.36);
    EXPECT_EQ(step.direction, 1);
    EXPECT_EQ(step.facingRight, std::nullopt);

    step = walkStep(QRectF(10.2, 10, 330, 190), -1, laptop);
    EXPECT_DOUBLE_EQ(step.x, 10);
    EXPECT_EQ(step.direction, 1);
    EXPECT_EQ(step.facingRight, true);

    // Wider than the walking bounds: it turns on every step.
    const QRectF narrow(0, 0, 300, 900);
    EXPECT_EQ(walkStep(QRectF(0, 0, 330, 190), 1, narrow).direction, -1);
    EXPECT_EQ(walkStep(QRectF(0, 0, 330, 190), -1, narrow).direction, -1);
}

TEST(PanelGeometry, TheHomeCornerIsTwentyFourInAndTenUp)
{
    EXPECT_EQ(cornerFrame(QSizeF(330, 190), QRectF(0, 70, 1440, 805)), QRectF(1086, 80, 330, 190));
    EXPECT_EQ(cornerFrame(QSizeF(516, 590), QRectF(1440, 0, 1920, 1080)), QRectF(2820, 10, 516, 590));
}

} // namespace
