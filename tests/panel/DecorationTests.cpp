#include "ViewTestKit.h"

#include "panel/IlluminatedVoraTitle.h"
#include "panel/VoraDecorations.h"
#include "ui/GlowCache.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

TEST(EnergyBurst, FiresAfterItsDelayFliesFadesAndWaitsARandomPause)
{
    for (double pause : {VoraEnergyBurst::shortestPause, VoraEnergyBurst::longestPause}) {
        ViewTestKit kit;
        kit.draws = {pause, pause};
        VoraEnergyBurst burst(kit.environment, 79, 1.1, [] {});
        burst.start();
        kit.advance(1.09);
        EXPECT_FALSE(burst.visible());
        kit.advance(0.01);
        EXPECT_TRUE(burst.visible());
        EXPECT_EQ(burst.progress(), 0);
        kit.advance(0.42);
        EXPECT_NEAR(burst.progress(), 1, 1e-6);
        kit.advance(0.04);
        EXPECT_TRUE(burst.visible());
        kit.advance(0.01); // 0.47 s after it fired
        EXPECT_FALSE(burst.visible());
        EXPECT_EQ(kit.drawnRanges.back(), (std::pair<double, double>(2.2, 5.4)));
        // The next burst starts 0.47 s plus the pause after this one.
        kit.advance(pause - 0.01);
        EXPECT_FALSE(burst.visible());
        kit.advance(0.01);
        EXPECT_TRUE(burst.visible());
        EXPECT_EQ(burst.progress(), 0);
    }
}

TEST(EnergyBurst, WithoutADelayFiresTheMomentItIsShownAndStopsWhenDestroyed)
{
    ViewTestKit kit;
    {
        VoraEnergyBurst burst(kit.environment, 8, 0, [] {});
        burst.start();
        kit.scheduler.advance(std::chrono::milliseconds(0));
        EXPECT_TRUE(burst.visible());
    }
    kit.advance(10); // the destroyed burst's pending work does nothing
}

TEST(EnergyBurst, UnseenItWaitsAndFiresWhenThePanelIsSeenAgain)
{
    ViewTestKit kit;
    VoraEnergyBurst burst(kit.environment, 151, 2.0, [] {});
    burst.start();
    kit.animations.setSeen(false);
    kit.advance(30);
    EXPECT_FALSE(burst.visible());
    EXPECT_TRUE(kit.drawnRanges.empty()) << "no pauses drawn: it waits without a timer";
    kit.animations.setSeen(true);
    kit.animations.tick();
    EXPECT_TRUE(burst.visible());
    EXPECT_EQ(burst.progress(), 0);
}

TEST(EnergyBurst, ItsBoundsHoldItsStreakAndSparkAtEveryMoment)
{
    EXPECT_TRUE(VoraEnergyBurst::bounds(0, 0, {false, 0}).isEmpty());
    for (double progress = 0; progress < 1; progress += 0.25) {
        const QRectF right = VoraEnergyBurst::bounds(0, 0, {true, progress});
        EXPECT_LT(right.left(), (53 + 22 * progress) * (0.88 + 0.2 * progress));
        EXPECT_GT(right.right(), (61 + 24 * progress) * (0.88 + 0.2 * progress));
        // Turned by a quarter, it stands below the centre (clockwise on screen).
        const QRectF down = VoraEnergyBurst::bounds(79, 11, {true, progress});
        EXPECT_NEAR(down.center().x(), 0, 1e-6);
        EXPECT_NEAR(down.center().y(), right.center().x(), 1e-6);
    }
}

TEST(EnergyBoltIcon, PulsesAfterARandomPauseAndRestsInTheBurstOutPose)
{
    ViewTestKit kit;
    kit.draws = {4.4, 2.0};
    EnergyBoltIcon bolt(kit.environment, [] {});
    bolt.start();
    EXPECT_EQ(kit.drawnRanges.back(), (std::pair<double, double>(2.0, 4.4)));
    kit.advance(4.39);
    EXPECT_EQ(bolt.radiating(), 0) << "gathered before the first pulse";
    kit.advance(0.01);
    kit.advance(0.26);
    EXPECT_GT(bolt.radiating(), 0.5);
    EXPECT_LT(bolt.radiating(), 1);
    kit.advance(0.26);
    EXPECT_NEAR(bolt.radiating(), 1, 1e-6);
    // Next pulse: 0.56 s after this one plus a 2.0 s pause, snapping back first.
    kit.advance(0.56 + 2.0 - 0.52 - 0.01);
    EXPECT_NEAR(bolt.radiating(), 1, 1e-6);
    kit.advance(0.01);
    EXPECT_EQ(bolt.radiating(), 0);
}

TEST(EnergyBoltIcon, ItsSixRaysFlyOutEverySixtyDegreesFromStraightUp)
{
    ViewTestKit kit;
    kit.draws = {2.0};
    EnergyBoltIcon bolt(kit.environment, [] {});
    bolt.start();
    kit.advance(2.0 + 0.2);
    const double r = bolt.radiating();
    ASSERT_GT(r, 0.2);
    ASSERT_LT(r, 0.8);
    QImage picture = transparentImage(QSizeF(60, 60), 2);
    {
        QPainter painter(&picture);
        bolt.paint(painter, QPointF(30, 30));
    }
    // Where a ray's middle stands now, and halfway between two rays.
    const qreal distance = 8 + (13 - 8) * r;
    auto alphaAt = [&](double degrees) {
        const QPointF point = QPointF(30, 30) + QTransform().rotate(degrees).map(QPointF(0, -distance));
        return qAlpha(picture.pixel((point * 2).toPoint()));
    };
    for (int ray = 0; ray < 6; ++ray) {
        EXPECT_GT(alphaAt(60 * ray), 2 * alphaAt(60 * ray + 30) + 40) << "ray " << ray;
    }
}

TEST(Sparkle, WaitsItsDelayUnlitThenSwingsOnePeriodEachWay)
{
    ViewTestKit kit;
    VoraSparkle sparkle(kit.environment, 8, 1.8, 0.2, [] {});
    sparkle.start();
    kit.advance(0.2);
    EXPECT_EQ(sparkle.lit(), 0);
    EXPECT_NEAR(VoraSparkle::opacityAt(sparkle.lit()), 0.06, 1e-6);
    EXPECT_NEAR(VoraSparkle::scaleAt(sparkle.lit()), 0.55, 1e-6);
    kit.advance(0.9);
    EXPECT_NEAR(sparkle.lit(), 0.5, 0.01);
    kit.advance(0.9);
    EXPECT_NEAR(sparkle.lit(), 1, 1e-6);
    kit.advance(1.8);
    EXPECT_NEAR(sparkle.lit(), 0, 1e-6);
}

TEST(IlluminatedTitle, FlickersTwiceAfterARandomPauseAndIsSteadyBetween)
{
    ViewTestKit kit;
    kit.draws = {2.4, 6.8};
    IlluminatedVoraTitle title(kit.environment, [] {});
    title.start();
    EXPECT_EQ(kit.drawnRanges.back(), (std::pair<double, double>(2.4, 6.8)));
    kit.advance(2.39);
    EXPECT_EQ(title.flicker(), 1);
    kit.advance(0.01 + 0.06); // the first dip has eased down by 60 ms
    EXPECT_NEAR(title.flicker(), 0.42, 1e-6);
    kit.advance(0.09); // 150 ms: recovered
    EXPECT_NEAR(title.flicker(), 1, 1e-5);
    kit.advance(0.06); // 210 ms: the second dip
    EXPECT_NEAR(title.flicker(), 0.68, 1e-6);
    kit.advance(0.10); // 310 ms: steady again
    EXPECT_NEAR(title.flicker(), 1, 1e-5);
    // The next pause started with the last recovery, 220 ms in.
    EXPECT_EQ(kit.drawnRanges.size(), 2u);
    kit.advance(6.8 - 0.09 - 0.01);
    EXPECT_EQ(title.flicker(), 1);
    kit.advance(0.06);
    EXPECT_LT(title.flicker(), 1);
    EXPECT_GT(title.glowing(), 0);
}

TEST(IlluminatedTitle, StoppingMidFlickerLeavesItSteady)
{
    ViewTestKit kit;
    IlluminatedVoraTitle title(kit.environment, [] {});
    title.start();
    kit.advance(2.45);
    ASSERT_LT(title.flicker(), 1);
    title.stop();
    EXPECT_EQ(title.flicker(), 1);
    kit.advance(10);
    EXPECT_EQ(title.flicker(), 1);
}

} // namespace
