// Conversions between the companion's bottom-left screen space and Qt's.
#include "platform/DesktopCoordinates.h"
#include "platform/Screens.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

using namespace DesktopCoordinates;

TEST(DesktopCoordinates, FlipsAroundThePrimaryScreensBottomEdge)
{
    const QRectF primary(0, 0, 1440, 900);
    // A panel 10 points above the bottom edge, 24 in from the right.
    EXPECT_EQ(toQt(QRectF(1086, 10, 330, 190), primary), QRectF(1086, 700, 330, 190));
    EXPECT_EQ(fromQt(QRectF(1086, 700, 330, 190), primary), QRectF(1086, 10, 330, 190));
    EXPECT_EQ(pointFromQt(QPointF(0, 900), primary), QPointF(0, 0));
    EXPECT_EQ(pointFromQt(QPointF(1440, 0), primary), QPointF(1440, 900));
}

TEST(DesktopCoordinates, CountFromThePrimaryScreenWhereverItStands)
{
    // The primary monitor stands right of and below a taller one.
    const QRectF primary(1920, 300, 1440, 900);
    const QRectF leftMonitor(0, 0, 1920, 1200);
    const QRectF converted = fromQt(leftMonitor, primary);
    EXPECT_EQ(converted, QRectF(-1920, 0, 1920, 1200));
    EXPECT_EQ(fromQt(primary, primary), QRectF(0, 0, 1440, 900));
    EXPECT_EQ(windowPlacementPointToQt(QPointF(0, 0), primary), QPointF(1920, 300));
}

TEST(DesktopCoordinates, ConversionsAreInverses)
{
    const QRectF primary(200, 50, 1280, 1024);
    for (const QRectF& rect : {QRectF(0, 0, 10, 10), QRectF(-300.5, 2000.25, 516, 590), QRectF(1279, 1023, 1, 1)}) {
        EXPECT_EQ(fromQt(toQt(rect, primary), primary), rect);
        // A point converts as a rectangle without size does.
        EXPECT_EQ(pointFromQt(rect.topLeft(), primary),
                  fromQt(QRectF(rect.topLeft(), QSizeF(0, 0)), primary).topLeft());
    }
}

TEST(ScreenHolding, PicksTheScreenWithTheLargestShareOfTheWindow)
{
    const DesktopScreen left{QRectF(0, 0, 1000, 800), QRectF(0, 0, 1000, 780), 1};
    const DesktopScreen right{QRectF(1000, 0, 1000, 800), QRectF(1000, 0, 1000, 800), 2};
    EXPECT_EQ(screenHolding(QRectF(900, 100, 330, 190), {left, right}), right);
    EXPECT_EQ(screenHolding(QRectF(800, 100, 330, 190), {left, right}), left);
    // Equal shares: the earlier screen.
    EXPECT_EQ(screenHolding(QRectF(900, 100, 200, 190), {left, right}), left);
    EXPECT_EQ(screenHolding(QRectF(5000, 100, 330, 190), {left, right}), std::nullopt);
    EXPECT_EQ(screenHolding(QRectF(0, 0, 10, 10), {}), std::nullopt);
}

} // namespace
