#pragma once

#include "model/Animation.h"

#include <optional>

// How a value moves to a new target: along a timing curve over a duration, or
// along a spring. A motion may start after a delay and may repeat forever,
// reversing on every repeat or starting over.
struct SpringParameters {
    double mass = 1;
    double stiffness = 0;
    double damping = 0;

    // The spring that settles in about `response` seconds with the given share
    // of critical damping (1 is critically damped, below 1 overshoots).
    static SpringParameters fromResponse(double response, double dampingFraction);
};

// Where a spring released at displacement x0 from its target with velocity v0
// stands after t seconds: displacement from the target and velocity.
struct SpringState {
    double displacement;
    double velocity;
};
SpringState springState(const SpringParameters& spring, double x0, double v0, double t);

enum class TimingCurve { linear, easeIn, easeOut, easeInOut };

// The eased progress at linear progress t in [0, 1], with the cubic Bézier
// control points the platform's standard curves use.
double eased(TimingCurve curve, double t);

struct Motion {
    enum class Kind { timing, spring };

    Kind kind = Kind::timing;
    TimingCurve curve = TimingCurve::easeInOut;
    double duration = 0;
    SpringParameters spring;
    double initialVelocity = 0;
    double delay = 0;
    bool repeatsForever = false;
    bool autoreverses = false;
    // How many new pictures per second this motion needs at most: by default
    // the rate of springs and short transitions, which the eye sees as
    // fluid at it.
    double framesPerSecond = 30;

    static Motion timing(TimingCurve curve, double duration);
    static Motion linear(double duration) { return timing(TimingCurve::linear, duration); }
    static Motion easeIn(double duration) { return timing(TimingCurve::easeIn, duration); }
    static Motion easeOut(double duration) { return timing(TimingCurve::easeOut, duration); }
    static Motion easeInOut(double duration) { return timing(TimingCurve::easeInOut, duration); }
    static Motion springMotion(double response, double dampingFraction);
    static Motion interpolatingSpring(double mass, double stiffness, double damping, double initialVelocity = 0);
    // The motion a model transaction asks for.
    static Motion from(const Animation& animation);
    static std::optional<Motion> from(const std::optional<Animation>& animation);

    Motion delayed(double seconds) const;
    Motion repeatForever(bool reversing) const;
    Motion atFramesPerSecond(double rate) const;
};

// Endless decorative motions run at this rate: the mascot's slow swings and
// its turn (about a degree a frame) read as smooth at it. Faster motions
// running beside them (springs, at 30) take their frames on the same grid.
inline constexpr double ambientFramesPerSecond = 24;
