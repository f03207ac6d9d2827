#pragma once

#include "AnimationDriver.h"
#include "Motion.h"

#include <functional>
#include <optional>

// A number a view draws, moving to each new target along a motion or jumping
// there when the change carries none. Its current value is worked out from
// the driver's clock whenever it is read; while it moves it asks for frames
// at its motion's rate and calls onFrame so its view repaints. Without an
// onFrame it asks for no frames at all.
class AnimatedValue final : private FrameListener {
public:
    AnimatedValue(AnimationDriver& driver, double initial, std::function<void()> onFrame = {});
    ~AnimatedValue() override;
    AnimatedValue(const AnimatedValue&) = delete;
    AnimatedValue& operator=(const AnimatedValue&) = delete;

    double value() const { return valueAt(m_driver.now()); }
    double target() const { return m_to; }
    bool isAnimating() const { return m_motion.has_value(); }
    const std::optional<Motion>& motion() const { return m_motion; }

    // Moves to target along motion; without one (an animation-free
    // transaction) the value is there at once and any motion stops. A spring
    // keeps the velocity the value has when it is retargeted.
    void set(double target, const std::optional<Motion>& motion);
    void jump(double target) { set(target, std::nullopt); }
    // Starts over from `from` without animation and moves to target along
    // motion, as one change: the first picture comes with the motion's
    // first frame.
    void restart(double from, double target, const Motion& motion);

    double valueAt(double now) const;
    double velocityAt(double now) const;

private:
    double framesPerSecond() const override;
    bool frame(double now) override;
    bool finishedAt(double now) const;

    AnimationDriver& m_driver;
    std::function<void()> m_onFrame;
    std::optional<Motion> m_motion;
    double m_from;
    double m_to;
    double m_start = 0;
    double m_initialVelocity = 0;
};

// The progress value of a Boolean state: 0 for false, 1 for true.
inline double progressOf(bool on) { return on ? 1.0 : 0.0; }

// Linear interpolation between the values a view shows for false and true.
inline double mix(double whenOff, double whenOn, double progress) { return whenOff + (whenOn - whenOff) * progress; }
