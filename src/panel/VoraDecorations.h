#pragma once

#include "model/Scheduler.h"
#include "ui/AnimatedValue.h"
#include "ui/ViewEnvironment.h"

#include <QImage>
#include <QPointF>

#include <array>
#include <functional>

class QPainter;

// Small self-running decorations that a host view places and paints. They
// take no input (the host lets clicks through) and run their own timing
// from start() until they are destroyed. Each calls repaint when it needs a
// new picture.

// A white four-pointed sparkle with a magenta halo that twinkles for ever.
class VoraSparkle {
public:
    VoraSparkle(const ViewEnvironment& environment, qreal size, double period, double delay,
                std::function<void()> repaint);

    // Starts the twinkle: after delay, an endless ease-in-out swing of period
    // seconds each way between unlit and lit, with framesPerSecond new
    // pictures a second.
    void start(double framesPerSecond = ambientFramesPerSecond);
    double lit() const { return m_lit.value(); }
    double litAt(double moment) const { return m_lit.valueAt(moment); }
    static double opacityAt(double lit) { return mix(0.06, 0.95, lit); }
    static double scaleAt(double lit) { return mix(0.55, 1.0, lit); }

    // Paints it about centre as it looks at lit.
    void paint(QPainter& painter, QPointF centre, double lit);
    // Where it paints about its centre, halo included, at any moment.
    QRectF bounds() const;

private:
    qreal m_size;
    double m_period;
    double m_delay;
    AnimatedValue m_lit;
    QImage m_sprite;
};

// A streak of light with a spark at its tip that shoots outward along one
// direction, fades, and fires again after a random pause. While nobody can
// see the panel it waits, and fires as soon as it is seen again.
class VoraEnergyBurst final : private FrameListener {
public:
    VoraEnergyBurst(const ViewEnvironment& environment, double angle, double initialDelay,
                    std::function<void()> repaint);
    ~VoraEnergyBurst() override;

    void start();
    double progress() const { return m_progress.value(); }
    bool visible() const { return m_visible; }
    double angle() const { return m_angle; }

    // What one picture of it shows.
    struct State {
        bool visible = false;
        double progress = 0;
        friend bool operator==(const State&, const State&) = default;
    };
    State state() const { return {m_visible, m_visible ? progress() : 0.0}; }

    static constexpr double flightSeconds = 0.42;
    static constexpr double showSeconds = 0.47;
    static constexpr double shortestPause = 2.2;
    static constexpr double longestPause = 5.4;
    static constexpr qreal frameSize = 154;

    // Paints the burst in state about centre, turned by its angle plus ringRotation.
    void paint(QPainter& painter, QPointF centre, qreal ringRotation, const State& state) const;
    // Where a burst at angle, turned by ringRotation, paints in state about its centre.
    static QRectF bounds(double angle, qreal ringRotation, const State& state);

private:
    void fire();
    double framesPerSecond() const override;
    bool frame(double now) override;

    const ViewEnvironment m_environment;
    double m_angle;
    double m_initialDelay;
    AnimatedValue m_progress;
    bool m_visible = false;
    ScheduledWork m_next;
};

// A bolt in the brand gradient, ringed by a circle and six rays that now and
// then burst outward while the bolt flares. Drawn in a 24-point square; the
// burst reaches past it.
class EnergyBoltIcon {
public:
    EnergyBoltIcon(const ViewEnvironment& environment, std::function<void()> repaint);
    ~EnergyBoltIcon();

    void start();
    double radiating() const { return m_radiating.value(); }

    static constexpr double burstSeconds = 0.52;
    static constexpr double pulseSeconds = 0.56;
    static constexpr double shortestPause = 2.0;
    static constexpr double longestPause = 4.4;
    static constexpr qreal size = 24;

    void paint(QPainter& painter, QPointF centre);

private:
    void waitForPulse();
    void pulse();

    const ViewEnvironment m_environment;
    AnimatedValue m_radiating;
    ScheduledWork m_next;
    QImage m_bolt;
    QImage m_brightBolt;
    // The six rays, each turned its way about the bolt.
    std::array<QImage, 6> m_rays;
    static double rayAngle(std::size_t index) { return 60.0 * double(index); }
};

// Frames per second of the short decorative flights (bursts, flares): the
// ambient rate, so they repaint together with the mascot's own motion.
inline constexpr double decorationFramesPerSecond = ambientFramesPerSecond;
