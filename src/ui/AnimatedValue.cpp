#include "AnimatedValue.h"

#include <algorithm>
#include <cmath>

AnimatedValue::AnimatedValue(AnimationDriver& driver, double initial, std::function<void()> onFrame)
    : m_driver(driver), m_onFrame(std::move(onFrame)), m_from(initial), m_to(initial)
{
}

AnimatedValue::~AnimatedValue() { m_driver.remove(this); }

void AnimatedValue::set(double target, const std::optional<Motion>& motion)
{
    const double now = m_driver.now();
    const double current = valueAt(now);
    const double velocity = isAnimating() ? velocityAt(now) : 0;
    m_to = target;
    if (!motion) {
        m_motion.reset();
        m_from = target;
        m_driver.remove(this);
    } else {
        m_motion = motion;
        m_from = current;
        m_start = now;
        m_initialVelocity = motion->kind == Motion::Kind::spring ? velocity + motion->initialVelocity : 0;
        // A value nobody repaints for is only worked out when read: no frames.
        if (m_onFrame)
            m_driver.add(this);
    }
    if (m_onFrame)
        m_onFrame();
}

void AnimatedValue::restart(double from, double target, const Motion& motion)
{
    m_motion = motion;
    m_from = from;
    m_to = target;
    m_start = m_driver.now();
    m_initialVelocity = motion.kind == Motion::Kind::spring ? motion.initialVelocity : 0;
    if (m_onFrame)
        m_driver.add(this);
}

double AnimatedValue::valueAt(double now) const
{
    if (!m_motion)
        return m_to;
    const Motion& motion = *m_motion;
    const double local = now - m_start - motion.delay;
    if (local <= 0)
        return m_from;
    if (motion.kind == Motion::Kind::spring)
        return m_to + springState(motion.spring, m_from - m_to, m_initialVelocity, local).displacement;
    if (motion.duration <= 0)
        return m_to;
    double progress = local / motion.duration;
    if (motion.repeatsForever) {
        const double cycle = std::floor(progress);
        progress -= cycle;
        if (motion.autoreverses && static_cast<long long>(cycle) % 2 == 1)
            progress = 1 - progress;
    } else if (progress >= 1) {
        return m_to;
    }
    return m_from + (m_to - m_from) * eased(motion.curve, progress);
}

double AnimatedValue::velocityAt(double now) const
{
    if (!m_motion)
        return 0;
    const Motion& motion = *m_motion;
    const double local = now - m_start - motion.delay;
    if (motion.kind == Motion::Kind::spring)
        return local <= 0 ? m_initialVelocity
                          : springState(motion.spring, m_from - m_to, m_initialVelocity, local).velocity;
    constexpr double step = 0.001;
    return (valueAt(now + step) - valueAt(now - step)) / (2 * step);
}

bool AnimatedValue::finishedAt(double now) const
{
    const Motion& motion = *m_motion;
    if (motion.repeatsForever)
        return false;
    const double local = now - m_start - motion.delay;
    if (motion.kind == Motion::Kind::timing)
        return local >= motion.duration;
    if (local <= 0)
        return false;
    // Settled once it is within a thousandth of its travel and nearly still.
    const double scale = std::max({std::abs(m_from - m_to), std::abs(m_initialVelocity) * 0.1, 0.01});
    const SpringState state = springState(motion.spring, m_from - m_to, m_initialVelocity, local);
    return std::abs(state.displacement) < scale * 1e-3 && std::abs(state.velocity) < scale * 1e-2;
}

double AnimatedValue::framesPerSecond() const { return m_motion ? m_motion->framesPerSecond : 60; }

bool AnimatedValue::frame(double now)
{
    if (!m_motion)
        return false;
    if (finishedAt(now)) {
        m_motion.reset();
        m_from = m_to;
    }
    if (m_onFrame)
        m_onFrame();
    // The repaint may have started a new motion.
    return m_motion.has_value();
}
