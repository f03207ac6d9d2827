#include "Motion.h"

#include <QEasingCurve>
#include <QPointF>

#include <cmath>
#include <numbers>

SpringParameters SpringParameters::fromResponse(double response, double dampingFraction)
{
    const double angular = 2 * std::numbers::pi / response;
    return {1, angular * angular, 2 * dampingFraction * angular};
}

SpringState springState(const SpringParameters& spring, double x0, double v0, double t)
{
    const double omega = std::sqrt(spring.stiffness / spring.mass);
    const double zeta = spring.damping / (2 * std::sqrt(spring.stiffness * spring.mass));
    if (zeta < 1) {
        const double omegaD = omega * std::sqrt(1 - zeta * zeta);
        const double decay = std::exp(-zeta * omega * t);
        const double a = x0;
        const double b = (v0 + zeta * omega * x0) / omegaD;
        const double c = std::cos(omegaD * t);
        const double s = std::sin(omegaD * t);
        const double x = decay * (a * c + b * s);
        const double v = decay * ((b * omegaD - zeta * omega * a) * c - (a * omegaD + zeta * omega * b) * s);
        return {x, v};
    }
    if (zeta == 1) {
        const double b = v0 + omega * x0;
        const double decay = std::exp(-omega * t);
        return {(x0 + b * t) * decay, (b - omega * (x0 + b * t)) * decay};
    }
    const double root = omega * std::sqrt(zeta * zeta - 1);
    const double r1 = -zeta * omega + root;
    const double r2 = -zeta * omega - root;
    const double c2 = (v0 - r1 * x0) / (r2 - r1);
    const double c1 = x0 - c2;
    return {c1 * std::exp(r1 * t) + c2 * std::exp(r2 * t), c1 * r1 * std::exp(r1 * t) + c2 * r2 * std::exp(r2 * t)};
}

namespace {

QEasingCurve bezier(double x1, double y1, double x2, double y2)
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(x1, y1), QPointF(x2, y2), QPointF(1, 1));
    return curve;
}

} // namespace

double eased(TimingCurve curve, double t)
{
    static const QEasingCurve easeIn = bezier(0.42, 0, 1, 1);
    static const QEasingCurve easeOut = bezier(0, 0, 0.58, 1);
    static const QEasingCurve easeInOut = bezier(0.42, 0, 0.58, 1);
    t = std::clamp(t, 0.0, 1.0);
    switch (curve) {
    case TimingCurve::linear: return t;
    case TimingCurve::easeIn: return easeIn.valueForProgress(t);
    case TimingCurve::easeOut: return easeOut.valueForProgress(t);
    case TimingCurve::easeInOut: return easeInOut.valueForProgress(t);
    }
    return t;
}

Motion Motion::timing(TimingCurve curve, double duration)
{
    Motion motion;
    motion.kind = Kind::timing;
    motion.curve = curve;
    motion.duration = duration;
    return motion;
}

Motion Motion::springMotion(double response, double dampingFraction)
{
    Motion motion;
    motion.kind = Kind::spring;
    motion.spring = SpringParameters::fromResponse(response, dampingFraction);
    return motion;
}

Motion Motion::interpolatingSpring(double mass, double stiffness, double damping, double initialVelocity)
{
    Motion motion;
    motion.kind = Kind::spring;
    motion.spring = {mass, stiffness, damping};
    motion.initialVelocity = initialVelocity;
    return motion;
}

Motion Motion::from(const Animation& animation)
{
    switch (animation.curve) {
    case Animation::Curve::spring: return springMotion(animation.response, animation.dampingFraction);
    case Animation::Curve::easeIn: return easeIn(animation.duration);
    case Animation::Curve::easeOut: return easeOut(animation.duration);
    case Animation::Curve::easeInOut: return easeInOut(animation.duration);
    case Animation::Curve::linear: return linear(animation.duration);
    }
    return easeInOut(animation.duration);
}

std::optional<Motion> Motion::from(const std::optional<Animation>& animation)
{
    if (!animation)
        return std::nullopt;
    return from(*animation);
}

Motion Motion::delayed(double seconds) const
{
    Motion motion = *this;
    motion.delay = seconds;
    return motion;
}

Motion Motion::repeatForever(bool reversing) const
{
    Motion motion = *this;
    motion.repeatsForever = true;
    motion.autoreverses = reversing;
    return motion;
}

Motion Motion::atFramesPerSecond(double rate) const
{
    Motion motion = *this;
    motion.framesPerSecond = rate;
    return motion;
}
