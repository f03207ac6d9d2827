#pragma once

#include "VoraDecorations.h"
#include "model/CompanionRecords.h"

#include <QImage>
#include <QPointF>

#include <array>
#include <memory>
#include <vector>

class QPainter;

// The mascot figure: a breathing magenta glow disc, a ring of five energy
// bursts and the brand swirl turning together, three twinkling sparkles,
// the whole floating, growing and tilting as the panel's behaviours animate
// it. It owns its decorations, which run from start() until it is destroyed.
class FloatingSwirl {
public:
    // The values the panel animates, as they stand at one moment.
    struct Pose {
        double bob = 0;          // 0 resting low, 1 raised
        double glow = 0;         // 0 weak, 1 strong
        double swirlPhase = 0;   // degrees
        double waveAngle = 0;    // degrees
        double scale = 1;
        double brightness = 0;
    };

    static constexpr qreal frameSize = 154;

    // The figure's scale: dragging wins over an excited face, which wins
    // over the pointer resting on it.
    static double scaleFor(bool isDragging, CompanionExpression expression, bool hovering);
    static double brightnessFor(bool hovering) { return hovering ? 0.06 : 0.0; }
    static double verticalOffset(double bob) { return 4 + (-9 - 4) * bob; }
    // The swirl's turn: the wave tilts it by 1.2 times the wave angle on top of its phase.
    static double swirlRotation(double swirlPhase, double waveAngle) { return swirlPhase + 1.2 * waveAngle; }

    struct BurstPlacement {
        double angle;
        double initialDelay;
    };
    static constexpr std::array<BurstPlacement, 5> bursts{{{8, 0.25}, {79, 1.1}, {151, 2.0}, {226, 0.8}, {304, 1.65}}};
    struct SparklePlacement {
        qreal size;
        double period;
        double delay;
        QPointF offset;
    };
    static const std::array<SparklePlacement, 3>& sparkles();

    FloatingSwirl(const ViewEnvironment& environment, std::function<void()> repaint);

    void start();
    const std::vector<std::unique_ptr<VoraEnergyBurst>>& energyBursts() const { return m_bursts; }
    const std::vector<std::unique_ptr<VoraSparkle>>& twinkles() const { return m_sparkles; }

    // Paints the figure with its 154-point frame centred at centre.
    void paint(QPainter& painter, QPointF centre, const Pose& pose);

    // The glow's breath is drawn in this many steps, each made once.
    static constexpr int glowSteps = 8;

private:
    void prepare(qreal dpr);
    const QImage& violetHalo(int step);
    const QImage& magentaHalo(int step);

    std::vector<std::unique_ptr<VoraEnergyBurst>> m_bursts;
    std::vector<std::unique_ptr<VoraSparkle>> m_sparkles;
    QImage m_artwork;
    qreal m_preparedRatio = 0;
    QImage m_disc;
    QImage m_swirl;
    QImage m_brightSwirl;
    // The swirl's shadows at the weak and strong ends of the breath: the
    // magenta one turns with the swirl; the wide violet one is evened out
    // round the centre so it need not turn, which saves a rotated draw.
    QImage m_magentaWeak;
    QImage m_magentaStrong;
    QImage m_violetWeak;
    QImage m_violetStrong;
    std::array<QImage, glowSteps> m_magentaSteps;
    std::array<QImage, glowSteps> m_violetSteps;
};
