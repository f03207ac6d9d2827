#pragma once

#include "VoraDecorations.h"
#include "model/CompanionRecords.h"

#include <QImage>
#include <QPointF>
#include <QRegion>

#include <array>
#include <memory>
#include <vector>

class QPainter;
class ResourceBundle;

// The mascot figure: a breathing magenta glow disc, a ring of five energy
// bursts and the brand swirl turning together, three twinkling sparkles,
// the whole floating, growing and tilting as the panel's behaviours animate
// it. It owns its decorations, which run from start() until it is destroyed.
//
// A picture is made in two steps: frameAt() takes everything the figure
// shows at one moment, as it will be drawn; paint() draws such a frame, and
// changedArea() tells where two frames differ, so a host repaints only that.
class FloatingSwirl {
public:
    // The values the panel animates, as they stand at one moment. The slow
    // ones (the float, the breath and the turn of the swirl's shadows, like
    // the twinkles) may be taken at a moment of their own: see
    // slowFramesPerSecond.
    struct Pose {
        double bob = 0;        // 0 resting low, 1 raised
        double glow = 0;       // 0 weak, 1 strong
        double swirlPhase = 0; // degrees
        double waveAngle = 0;  // degrees
        double scale = 1;
        double brightness = 0;
        double shadowTurn = 0; // degrees: the swirl's turn when the shadows were last turned
    };

    static constexpr qreal frameSize = 154;
    static constexpr qreal swirlSize = 116;

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

    // The glow's breath is drawn in this many steps.
    static constexpr int glowSteps = 8;
    // The float (a point or two a second), the breath, the turn of the
    // swirl's wide soft shadow (three degrees between two of these frames)
    // and the twinkles (a swing of two seconds) need no more new pictures a
    // second than this, while the swirl itself turns on every frame; a host
    // takes them at this rate, all in the same frames, so most frames
    // repaint the swirl alone.
    static constexpr double slowFramesPerSecond = 8;

    // Everything one picture shows, as it is drawn: the pose snapped to
    // whole device pixels and steps, and each decoration's state.
    struct Frame {
        double lift = 0; // points upward-negative, whole device pixels
        int glowStep = 0;
        double turn = 0;       // the swirl's, degrees
        double shadowTurn = 0; // the magenta shadow's
        double ringTurn = 0;   // the burst ring's
        double scale = 1;
        double brightness = 0;
        std::array<double, 3> sparkleLit{};
        std::array<VoraEnergyBurst::State, 5> burstStates{};
        friend bool operator==(const Frame&, const Frame&) = default;
    };
    // The pose's part of a frame at device pixel ratio dpr.
    static Frame snapped(const Pose& pose, qreal dpr);

    FloatingSwirl(const ViewEnvironment& environment, std::function<void()> repaint);

    void start();

    // The frame of pose with the bursts as they are now and the twinkles as
    // they were at slowMoment.
    Frame frameAt(const Pose& pose, qreal dpr, double slowMoment) const;
    // The rectangle, about the frame's centre and in points, where next
    // looks different from previous; and where its ground (what lies beneath
    // the swirl: the glow disc, the bursts and the swirl's shadows) does.
    QRect changedArea(const Frame& previous, const Frame& next) const;
    QRect changedGround(const Frame& previous, const Frame& next) const;
    // Everything frame can paint on, about the frame's centre.
    QRectF reach(const Frame& frame) const;
    // Everything any frame paints on, at either end of the float and grown
    // as far as any spring carries it, about the frame's centre.
    QRectF farthestReach() const;

    // Makes the pictures the figure is drawn from, for ratio dpr, unless they
    // are made; until then the reaches are the largest they can be.
    void prepare(qreal dpr);

    // Paints frame with its 154-point frame centred at centre, where it
    // meets area (in the painter's coordinates).
    void paint(QPainter& painter, QPointF centre, const Frame& frame, const QRectF& area);
    // The same in two layers: the ground, then the swirl and the sparkles
    // over it. A host that keeps the ground paints it again only where it
    // changed.
    void paintGround(QPainter& painter, QPointF centre, const Frame& frame, const QRectF& area);
    void paintOverGround(QPainter& painter, QPointF centre, const Frame& frame, const QRectF& area);

private:
    void prepareShadows(int glowStep, double shadowTurn);

    const ResourceBundle& m_resources;
    std::vector<std::unique_ptr<VoraEnergyBurst>> m_bursts;
    std::vector<std::unique_ptr<VoraSparkle>> m_sparkles;
    qreal m_preparedRatio = 0;
    // How far from the centre the swirl has ink, and how far anything
    // reaches, in points.
    qreal m_swirlReach = swirlSize / 2 * 1.415;
    qreal m_magentaReach = swirlSize / 2 + 40;
    qreal m_reach = 134;
    QImage m_disc; // at full strength
    QImage m_swirl;
    QImage m_brightSwirl;
    // The swirl's shadows at the weak and strong ends of the breath, at half
    // resolution: the magenta one turns with the swirl; the wide violet one
    // is evened out round the centre so it need not turn.
    QImage m_magentaWeak;
    QImage m_magentaStrong;
    QImage m_violetWeak;
    QImage m_violetStrong;
    // The shadows of the step being shown (the magenta one at half
    // resolution, then turned), drawn at full resolution.
    int m_shownStep = -1;
    double m_shownShadowTurn = 0;
    QImage m_discStep;
    QImage m_magentaStep;
    QImage m_violetStep;
    QImage m_turnedMagentaHalf;
    QImage m_turnedMagenta;
};
