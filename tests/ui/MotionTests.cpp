#include "ui/AnimatedValue.h"
#include "ui/AnimationDriver.h"

#include "ui/Motion.h"
#include <set>
#include <string>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

TEST(Spring, ResponseAndDampingFractionGiveStiffnessAndDamping)
{
    const SpringParameters spring = SpringParameters::fromResponse(0.5, 0.8);
    const double angular = 2 * std::numbers::pi / 0.5;
    EXPECT_DOUBLE_EQ(spring.mass, 1);
    EXPECT_NEAR(spring.stiffness, angular * angular, 1e-9);
    EXPECT_NEAR(spring.damping, 2 * 0.8 * angular, 1e-9);
}

TEST(Spring, UnderdampedOvershootsCriticalAndOverdampedDoNot)
{
    const auto lowest = [](const SpringParameters& spring) {
        double lowest = 1;
        for (double t = 0; t < 3; t += 0.002)
            lowest = std::min(lowest, springState(spring, 1, 0, t).displacement);
        return lowest;
    };
    // Released one unit away: an underdamped spring swings past its target.
    EXPECT_LT(lowest(SpringParameters::fromResponse(0.3, 0.5)), -0.05);
    EXPECT_GE(lowest(SpringParameters::fromResponse(0.3, 1.0)), -1e-9);
    EXPECT_GE(lowest({1, 100, 40}), -1e-9);
    for (const SpringParameters& spring : {SpringParameters::fromResponse(0.3, 0.5), SpringParameters{1, 140, 9},
                                           SpringParameters::fromResponse(0.3, 1.0), SpringParameters{1, 100, 40}}) {
        EXPECT_DOUBLE_EQ(springState(spring, 1, 0, 0).displacement, 1);
        EXPECT_NEAR(springState(spring, 1, 0, 0).velocity, 0, 1e-9);
        EXPECT_NEAR(springState(spring, 1, 0, 10).displacement, 0, 1e-4);
    }
}

TEST(Spring, VelocityIsTheRateOfChangeOfDisplacement)
{
    for (const SpringParameters& spring :
         {SpringParameters{1, 140, 9}, SpringParameters::fromResponse(0.3, 1.0), SpringParameters{1, 100, 40}}) {
        for (double t : {0.05, 0.2, 0.5}) {
            const double h = 1e-6;
            const double numeric =
                (springState(spring, 14, 3, t + h).displacement - springState(spring, 14, 3, t - h).displacement)
                / (2 * h);
            EXPECT_NEAR(springState(spring, 14, 3, t).velocity, numeric, 1e-3);
        }
    }
}

TEST(TimingCurves, StartAndEndInPlaceAndBendTheirOwnWay)
{
    for (TimingCurve curve : {TimingCurve::linear, TimingCurve::easeIn, TimingCurve::easeOut, TimingCurve::easeInOut}) {
        EXPECT_NEAR(eased(curve, 0), 0, 1e-6);
        EXPECT_NEAR(eased(curve, 1), 1, 1e-6);
    }
    EXPECT_LT(eased(TimingCurve::easeIn, 0.25), 0.25);
    EXPECT_GT(eased(TimingCurve::easeOut, 0.25), 0.25);
    EXPECT_NEAR(eased(TimingCurve::easeInOut, 0.5), 0.5, 1e-3);
    EXPECT_LT(eased(TimingCurve::easeInOut, 0.2), 0.2);
}

TEST(TimingCurves, ModelTransactionsBecomeTheSameMotion)
{
    const Motion spring = Motion::from(Animation::spring(0.34, 0.86));
    EXPECT_EQ(spring.kind, Motion::Kind::spring);
    EXPECT_NEAR(spring.spring.stiffness, SpringParameters::fromResponse(0.34, 0.86).stiffness, 1e-9);
    const Motion easeOut = Motion::from(Animation::easeOut(0.18));
    EXPECT_EQ(easeOut.curve, TimingCurve::easeOut);
    EXPECT_DOUBLE_EQ(easeOut.duration, 0.18);
    EXPECT_FALSE(Motion::from(std::optional<Animation>()).has_value());
}

// An animated value on a clock the test moves.
class AnimatedValueTest : public ::testing::Test {
protected:
    double now = 100;
    AnimationDriver driver{[this] { return now; }};
    int frames = 0;
    AnimatedValue value{driver, 0, [this] { ++frames; }};

    // Moves the clock in steps, letting the driver deliver frames as its timer would.
    void run(double seconds, double step = 0.001)
    {
        for (double passed = 0; passed < seconds - 1e-9; passed += step) {
            now += step;
            driver.tick();
        }
    }
};

TEST_F(AnimatedValueTest, AChangeWithoutMotionJumpsAndAsksForNoFrames)
{
    value.set(5, std::nullopt);
    EXPECT_DOUBLE_EQ(value.value(), 5);
    EXPECT_FALSE(value.isAnimating());
    EXPECT_FALSE(driver.isRunning());
}

TEST_F(AnimatedValueTest, TimingMotionFollowsItsCurveAfterItsDelayAndThenStops)
{
    value.set(10, Motion::linear(1).delayed(0.5));
    run(0.25);
    EXPECT_DOUBLE_EQ(value.value(), 0);
    run(0.75);
    EXPECT_NEAR(value.value(), 5, 0.02);
    run(0.6);
    EXPECT_DOUBLE_EQ(value.value(), 10);
    EXPECT_FALSE(value.isAnimating());
    EXPECT_FALSE(driver.isRunning());
}

TEST_F(AnimatedValueTest, RepeatingMotionsReverseOrStartOverForEver)
{
    value.set(1, Motion::linear(2).repeatForever(true));
    EXPECT_NEAR(value.valueAt(now + 1), 0.5, 1e-9);
    EXPECT_NEAR(value.valueAt(now + 3), 0.5, 1e-9);
    EXPECT_NEAR(value.valueAt(now + 3.5), 0.25, 1e-9); // on its way back
    EXPECT_NEAR(value.valueAt(now + 4), 0, 1e-9);
    AnimatedValue turn(driver, 0, [] {});
    turn.set(-360, Motion::linear(14).repeatForever(false));
    EXPECT_NEAR(turn.valueAt(now + 7), -180, 1e-9);
    EXPECT_NEAR(turn.valueAt(now + 14 + 3.5), -90, 1e-9); // starts over, never back
    run(30, 0.01);
    EXPECT_TRUE(value.isAnimating());
}

TEST_F(AnimatedValueTest, SpringRetargetedMidFlightKeepsItsPlaceAndVelocity)
{
    value.set(10, Motion::springMotion(0.3, 0.7));
    run(0.05);
    const double place = value.value();
    const double velocity = value.velocityAt(now);
    ASSERT_GT(velocity, 0);
    value.set(-10, Motion::springMotion(0.3, 0.7));
    EXPECT_NEAR(value.value(), place, 1e-9);
    EXPECT_NEAR(value.velocityAt(now), velocity, 1e-6);
    run(3);
    EXPECT_DOUBLE_EQ(value.value(), -10);
    EXPECT_FALSE(driver.isRunning());
}

TEST_F(AnimatedValueTest, FramesComeAtTheMotionsRateAndValuesOfTheSameRateRepaintTogether)
{
    int otherFrames = 0;
    AnimatedValue other(driver, 0, [&] { ++otherFrames; });
    value.set(1, Motion::linear(10).repeatForever(true).atFramesPerSecond(20));
    other.set(1, Motion::linear(7).repeatForever(true).atFramesPerSecond(20));
    frames = otherFrames = 0;
    run(1);
    EXPECT_NEAR(frames, 20, 1);
    EXPECT_EQ(frames, otherFrames);
}

TEST(AnimationDriver, FramesOfEveryRateFallOnTheFastestRatesGrid)
{
    // Alone, a rate wakes at its own next slot.
    EXPECT_NEAR(AnimationDriver::nextFrameTime(1.01, {24}), 25.0 / 24, 1e-9);
    // Beside a faster one it takes the first frame of that grid at or after
    // its slot, so the two never wake the timer apart.
    EXPECT_NEAR(AnimationDriver::nextFrameTime(1.035, {24, 30}), 32.0 / 30, 1e-9);
    EXPECT_NEAR(AnimationDriver::nextFrameTime(1.01, {24, 30}), 31.0 / 30, 1e-9);
    // Over a second, 24 and 30 frames a second together need 30 wake-ups, not 48.
    std::set<long long> wakeUps;
    for (double now = 2; now < 3;) {
        now = AnimationDriver::nextFrameTime(now, {24, 30});
        wakeUps.insert(std::llround(now * 3000));
    }
    EXPECT_NEAR(static_cast<double>(wakeUps.size()), 30, 1);
}

TEST_F(AnimatedValueTest, UnseenNoFramesComeAndSeenAgainTheMotionIsWhereItShouldBe)
{
    value.set(10, Motion::linear(10).atFramesPerSecond(24));
    run(1);
    EXPECT_GT(frames, 20);
    driver.setSeen(false);
    frames = 0;
    run(4);
    EXPECT_EQ(frames, 0);
    EXPECT_TRUE(driver.isRunning()) << "the motion goes on, unseen";
    driver.setSeen(true);
    run(0.001);
    EXPECT_EQ(frames, 1) << "the first frame comes at once";
    EXPECT_NEAR(value.value(), 5.001, 1e-9) << "it resumes where the clock says, not where it stopped";
}

TEST_F(AnimatedValueTest, WorkAskedForDuringAFrameWaitsUntilEveryValueHasMoved)
{
    std::vector<std::string> order;
    AnimatedValue first(driver, 0, [&] {
        order.emplace_back("first");
        driver.atFrameEnd([&] { order.emplace_back("end"); });
    });
    AnimatedValue second(driver, 0, [&] { order.emplace_back("second"); });
    first.set(1, Motion::linear(1));
    second.set(1, Motion::linear(1));
    order.clear();
    now += 0.05;
    driver.tick();
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second", "end"}));
    // Outside a frame it runs at once.
    driver.atFrameEnd([&] { order.emplace_back("at once"); });
    EXPECT_EQ(order.back(), "at once");
}

TEST_F(AnimatedValueTest, ValuesNobodyRepaintsForCostNoFrames)
{
    AnimatedValue unseen(driver, 0);
    unseen.set(360, Motion::linear(2.1).repeatForever(false));
    EXPECT_FALSE(driver.isRunning());
    EXPECT_NEAR(unseen.valueAt(now + 1.05), 180, 1e-9);
}

TEST_F(AnimatedValueTest, ARestartSnapsBackAndMovesAgainWithItsFirstPictureOnItsFirstFrame)
{
    value.set(1, Motion::linear(0.1));
    run(0.2);
    frames = 0;
    value.restart(0, 1, Motion::easeOut(0.42).atFramesPerSecond(12));
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(value.value(), 0);
    run(0.09);
    EXPECT_EQ(frames, 1);
    EXPECT_GT(value.value(), 0);
}

TEST_F(AnimatedValueTest, DestroyingAMovingValueLeavesTheDriver)
{
    {
        AnimatedValue moving(driver, 0, [] {});
        moving.set(1, Motion::linear(1));
        EXPECT_EQ(driver.listenerCount(), 1u);
    }
    EXPECT_EQ(driver.listenerCount(), 0u);
    run(0.1);
}

} // namespace
