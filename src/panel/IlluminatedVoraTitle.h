#pragma once

#include "model/Scheduler.h"
#include "ui/AnimatedValue.h"
#include "ui/ViewEnvironment.h"

#include <QImage>
#include <QPointF>
#include <QSizeF>

#include <array>
#include <functional>

class QPainter;

// The mascot's name as a neon sign: "MY VORA" in small white heavy capitals
// whose white and magenta glow swells and fades, and now and then flickers
// like a faulty tube. Pure decoration, painted by its host.
class IlluminatedVoraTitle {
public:
    IlluminatedVoraTitle(const ViewEnvironment& environment, std::function<void()> repaint);
    ~IlluminatedVoraTitle();

    // Starts the glow pulse and the flicker loop.
    void start();
    // Ends the flicker loop; a flicker under way finishes at once, steady.
    void stop();

    double glowing() const { return m_glowing.value(); }
    double flicker() const { return m_flicker.value(); }

    // The glow swells and fades over more than a second: this many new
    // pictures a second carry it smoothly. A flicker's quick dips take more.
    static constexpr double glowFramesPerSecond = 12;

    static constexpr double shortestPause = 2.4;
    static constexpr double longestPause = 6.8;

    // One step of a flicker: the level it eases to and how long it waits
    // before the next step, both from the start of the step.
    struct FlickerStep {
        double level;
        Motion motion;
        double pause;
    };
    static const std::array<FlickerStep, 4>& flickerSteps();

    QSizeF textSize() const { return m_textSize; }
    void paint(QPainter& painter, QPointF centre);

private:
    void waitForFlicker();
    void runFlickerStep(std::size_t index);

    const ViewEnvironment m_environment;
    AnimatedValue m_glowing;
    AnimatedValue m_flicker;
    ScheduledWork m_next;
    bool m_running = false;
    // Measured once: text shaping is too slow to repeat on every frame.
    QSizeF m_textSize;
    QImage m_text;
};
