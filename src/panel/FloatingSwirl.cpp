#include "FloatingSwirl.h"

#include "MascotArtwork.h"
#include "model/BrandColors.h"
#include "ui/BandedPainting.h"
#include "ui/GlowCache.h"
#include "ui/ImageEffects.h"

#include <QPainter>
#include <QRadialGradient>

#include <cmath>

namespace {

constexpr qreal discSize = 152;
constexpr qreal magentaMargin = 40; // the strong magenta shadow's full reach
constexpr qreal violetMargin = 64;  // the strong violet shadow's reach
// The farthest a burst reaches from the centre: its spark and glow at the
// end of its flight, grown to 1.08.
constexpr qreal burstReach = 106;

struct Shadow {
    qreal weakOpacity;
    qreal weakRadius;
    qreal strongOpacity;
    qreal strongRadius;
};
constexpr Shadow magentaShadow{0.38, 9, 0.66, 16};
constexpr Shadow violetShadow{0.16, 12, 0.35, 24};

QColor withOpacity(QColor colour, qreal opacity)
{
    colour.setAlphaF(opacity);
    return colour;
}

// The glow of shape in colour, on a square canvas margin points wider on
// each side than the shape, which sits centred.
QImage glowCanvas(const QImage& shape, qreal radius, const QColor& colour, qreal margin)
{
    const QSizeF shapeSize = shape.deviceIndependentSize();
    QImage canvas = transparentImage(shapeSize + QSizeF(2 * margin, 2 * margin), shape.devicePixelRatio());
    QPainter painter(&canvas);
    const Glow glow = GlowCache::make(shape, radius, colour);
    painter.drawImage(QPointF(margin, margin) + glow.origin, glow.image);
    return canvas;
}

// The image averaged over turns round its centre: what is left of a glow of
// a three-bladed swirl once it no longer depends on the swirl's turn.
QImage evenedRound(const QImage& image)
{
    constexpr int turns = 24;
    const QSizeF size = image.deviceIndependentSize();
    const QPointF centre(size.width() / 2, size.height() / 2);
    QImage even = transparentImage(size, image.devicePixelRatio());
    QPainter painter(&even);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    painter.setOpacity(1.0 / turns);
    for (int turn = 0; turn < turns; ++turn) {
        painter.save();
        painter.translate(centre);
        painter.rotate(turn * 120.0 / turns);
        painter.translate(-centre);
        painter.drawImage(QPointF(0, 0), image);
        painter.restore();
    }
    return even;
}

// One step of the breath between a weak and a strong picture of one size.
// Made while the figure animates, it is drawn in bands like a frame.
QImage breathStep(const QImage& weak, qreal weakOpacity, const QImage& strong, qreal strongOpacity, double glow)
{
    QImage step = transparentImage(weak.deviceIndependentSize(), weak.devicePixelRatio());
    QPainter painter(&step);
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    paintInBands(painter, QRectF(QPointF(0, 0), step.deviceIndependentSize()), [&] {
        painter.setOpacity(weakOpacity * (1 - glow));
        painter.drawImage(QPointF(0, 0), weak);
        painter.setOpacity(strongOpacity * glow);
        painter.drawImage(QPointF(0, 0), strong);
    });
    return step;
}

// How far from the image's centre, in pixels, it is not all but clear
// (alpha above 2 in 255): what turning it about its centre can move.
int visibleRadius(const QImage& image)
{
    const double centreX = (image.width() - 1) / 2.0;
    const double centreY = (image.height() - 1) / 2.0;
    double farthest = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) > 2)
                farthest = std::max(farthest, std::hypot(x - centreX, y - centreY));
        }
    }
    return static_cast<int>(std::ceil(farthest)) + 1;
}

// The centred square of the image that holds the circle of radius pixels:
// a smaller picture costs less to draw and to turn, and stays whole when
// turned.
QImage croppedTo(const QImage& image, int radius)
{
    const int side = std::min({2 * radius, image.width(), image.height()});
    QImage cropped = image.copy((image.width() - side) / 2, (image.height() - side) / 2, side, side);
    cropped.setDevicePixelRatio(image.devicePixelRatio());
    return cropped;
}

void cropPair(QImage& weak, QImage& strong)
{
    const int radius = std::max(visibleRadius(weak), visibleRadius(strong));
    weak = croppedTo(weak, radius);
    strong = croppedTo(strong, radius);
}

// The image at half its resolution, each pixel the average of the four it
// replaces: the wide soft shadows lose nothing at it, and are made and
// turned at a quarter of the cost. Half pictures are kept in plain pixels
// (a ratio of 1): Qt turns pictures wrongly on a device whose ratio is
// below 1.
QImage halved(const QImage& image)
{
    QImage half = image.scaled(std::max(1, (image.width() + 1) / 2), std::max(1, (image.height() + 1) / 2),
                               Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    half.setDevicePixelRatio(1);
    return half;
}

void drawCentred(QPainter& painter, const QImage& image)
{
    const QSizeF size = image.deviceIndependentSize();
    painter.drawImage(QPointF(-size.width() / 2, -size.height() / 2), image);
}

QRectF squareAbout(qreal half) { return QRectF(-half, -half, 2 * half, 2 * half); }

// The whole points a rectangle touches, and one more all round.
QRect wholePoints(const QRectF& rect) { return rect.adjusted(-1, -1, 1, 1).toAlignedRect(); }

// Where figure coordinates land for frame, about the frame's centre.
QTransform placement(const FloatingSwirl::Frame& frame)
{
    QTransform transform;
    transform.translate(0, frame.lift);
    transform.scale(frame.scale, frame.scale);
    return transform;
}

} // namespace

double FloatingSwirl::scaleFor(bool isDragging, CompanionExpression expression, bool hovering)
{
    if (isDragging)
        return 1.08;
    if (expression == CompanionExpression::excited)
        return 1.09;
    return hovering ? 1.05 : 1.0;
}

const std::array<FloatingSwirl::SparklePlacement, 3>& FloatingSwirl::sparkles()
{
    static const std::array<SparklePlacement, 3> placements{{
        {8, 1.8, 0.2, QPointF(-58, -46)},
        {6, 2.3, 1.0, QPointF(56, -34)},
        {7, 2.0, 1.5, QPointF(48, 52)},
    }};
    return placements;
}

FloatingSwirl::Frame FloatingSwirl::snapped(const Pose& pose, qreal dpr)
{
    Frame frame;
    frame.lift = std::round(verticalOffset(pose.bob) * dpr) / dpr;
    frame.glowStep = static_cast<int>(std::lround(std::clamp(pose.glow, 0.0, 1.0) * (glowSteps - 1)));
    frame.turn = swirlRotation(pose.swirlPhase, pose.waveAngle);
    frame.shadowTurn = pose.shadowTurn;
    frame.ringTurn = pose.swirlPhase;
    frame.scale = pose.scale;
    frame.brightness = pose.brightness;
    return frame;
}

FloatingSwirl::FloatingSwirl(const ViewEnvironment& environment, std::function<void()> repaint)
    : m_resources(environment.resources)
{
    for (const BurstPlacement& burst : bursts)
        m_bursts.push_back(std::make_unique<VoraEnergyBurst>(environment, burst.angle, burst.initialDelay, repaint));
    for (const SparklePlacement& sparkle : sparkles())
        m_sparkles.push_back(
            std::make_unique<VoraSparkle>(environment, sparkle.size, sparkle.period, sparkle.delay, repaint));
}

void FloatingSwirl::start()
{
    for (auto& burst : m_bursts)
        burst->start();
    for (auto& sparkle : m_sparkles)
        sparkle->start(slowFramesPerSecond);
}

FloatingSwirl::Frame FloatingSwirl::frameAt(const Pose& pose, qreal dpr, double slowMoment) const
{
    Frame frame = snapped(pose, dpr);
    for (std::size_t i = 0; i < m_sparkles.size(); ++i)
        frame.sparkleLit[i] = m_sparkles[i]->litAt(slowMoment);
    for (std::size_t i = 0; i < m_bursts.size(); ++i)
        frame.burstStates[i] = m_bursts[i]->state();
    return frame;
}

QRectF FloatingSwirl::reach(const Frame& frame) const { return placement(frame).mapRect(squareAbout(m_reach)); }

QRectF FloatingSwirl::farthestReach() const
{
    // Past the largest scale, 1.09, by what the liveliest spring overshoots.
    const qreal half = m_reach * 1.12;
    const qreal raised = verticalOffset(1);
    return QRectF(-half, raised - half, 2 * half, 2 * half + verticalOffset(0) - raised);
}

QRect FloatingSwirl::changedGround(const Frame& previous, const Frame& next) const
{
    // A move, a new size or a new breath changes every layer.
    if (previous.lift != next.lift || previous.scale != next.scale || previous.glowStep != next.glowStep)
        return wholePoints(reach(previous)) | wholePoints(reach(next));
    const QTransform place = placement(next);
    QRect area;
    const auto add = [&](const QRectF& rect) {
        if (!rect.isEmpty())
            area |= wholePoints(place.mapRect(rect));
    };
    if (previous.shadowTurn != next.shadowTurn)
        add(squareAbout(m_magentaReach));
    for (std::size_t i = 0; i < m_bursts.size(); ++i) {
        if (previous.burstStates[i] == next.burstStates[i] && previous.ringTurn == next.ringTurn)
            continue;
        add(VoraEnergyBurst::bounds(bursts[i].angle, previous.ringTurn, previous.burstStates[i]));
        add(VoraEnergyBurst::bounds(bursts[i].angle, next.ringTurn, next.burstStates[i]));
    }
    return area;
}

QRect FloatingSwirl::changedArea(const Frame& previous, const Frame& next) const
{
    QRect area = changedGround(previous, next);
    if (previous.lift != next.lift || previous.scale != next.scale || previous.glowStep != next.glowStep)
        return area;
    const QTransform place = placement(next);
    const auto add = [&](const QRectF& rect) { area |= wholePoints(place.mapRect(rect)); };
    if (previous.turn != next.turn || previous.brightness != next.brightness)
        add(squareAbout(m_swirlReach));
    for (std::size_t i = 0; i < m_sparkles.size(); ++i) {
        if (previous.sparkleLit[i] != next.sparkleLit[i])
            add(m_sparkles[i]->bounds().translated(sparkles()[i].offset));
    }
    return area;
}

void FloatingSwirl::prepare(qreal dpr)
{
    if (m_preparedRatio == dpr)
        return;
    m_preparedRatio = dpr;
    m_shownStep = -1;

    // The disc at full strength; the glow's breath only changes its opacity.
    m_disc = transparentImage(QSizeF(discSize, discSize), dpr);
    {
        QPainter painter(&m_disc);
        QRadialGradient fill(QPointF(discSize / 2, discSize / 2), 78);
        fill.setColorAt(20.0 / 78, lumivoMagenta());
        fill.setColorAt(1, withOpacity(lumivoMagenta(), 0));
        painter.fillRect(QRectF(0, 0, discSize, discSize), fill);
    }

    // The artwork is read for this and let go: only the pictures made from
    // it are kept.
    const QImage swirl = shrunkToFit(voraSwirlImage(m_resources), swirlSize, dpr);
    QImage magentaWeak = glowCanvas(swirl, magentaShadow.weakRadius, lumivoMagenta(), magentaMargin);
    QImage magentaStrong = glowCanvas(swirl, magentaShadow.strongRadius, lumivoMagenta(), magentaMargin);
    // The violet shadow is cast by the swirl together with its magenta one.
    const auto violetOf = [&](const QImage& magenta, qreal opacity, qreal radius) {
        QImage caster = transparentImage(magenta.deviceIndependentSize(), dpr);
        QPainter painter(&caster);
        painter.setOpacity(opacity);
        painter.drawImage(QPointF(0, 0), magenta);
        painter.setOpacity(1);
        painter.drawImage(QPointF(magentaMargin, magentaMargin), swirl);
        painter.end();
        return evenedRound(glowCanvas(caster, radius, lumivoViolet(), violetMargin - magentaMargin));
    };
    QImage violetWeak = violetOf(magentaWeak, magentaShadow.weakOpacity, violetShadow.weakRadius);
    QImage violetStrong = violetOf(magentaStrong, magentaShadow.strongOpacity, violetShadow.strongRadius);
    cropPair(violetWeak, violetStrong);
    cropPair(magentaWeak, magentaStrong);
    m_magentaReach = magentaWeak.deviceIndependentSize().width() / 2;
    m_reach = std::max({violetWeak.deviceIndependentSize().width() / 2, m_magentaReach, burstReach});
    m_violetWeak = halved(violetWeak);
    m_violetStrong = halved(violetStrong);
    m_magentaWeak = halved(magentaWeak);
    m_magentaStrong = halved(magentaStrong);

    const int swirlRadius = visibleRadius(swirl);
    m_swirl = croppedTo(swirl, swirlRadius);
    m_brightSwirl = brightened(m_swirl, 0.06);
    m_swirlReach = swirlRadius / dpr;
}

void FloatingSwirl::prepareShadows(int glowStep, double shadowTurn)
{
    const bool newStep = glowStep != m_shownStep;
    if (newStep) {
        const double glow = double(glowStep) / (glowSteps - 1);
        m_discStep = transparentImage(m_disc.deviceIndependentSize(), m_disc.devicePixelRatio());
        QPainter disc(&m_discStep);
        disc.setOpacity(0.12 + (0.26 - 0.12) * glow);
        paintInBands(disc, QRectF(QPointF(0, 0), m_discStep.deviceIndependentSize()),
                     [&] { disc.drawImage(QPointF(0, 0), m_disc); });
        disc.end();
        m_magentaStep =
            breathStep(m_magentaWeak, magentaShadow.weakOpacity, m_magentaStrong, magentaShadow.strongOpacity, glow);
        drawDoubled(
            breathStep(m_violetWeak, violetShadow.weakOpacity, m_violetStrong, violetShadow.strongOpacity, glow),
            m_preparedRatio, m_violetStep);
    }
    if (!newStep && shadowTurn == m_shownShadowTurn && !m_turnedMagenta.isNull())
        return;
    m_shownStep = glowStep;
    m_shownShadowTurn = shadowTurn;
    if (m_turnedMagentaHalf.size() != m_magentaStep.size()) {
        m_turnedMagentaHalf = transparentImage(m_magentaStep.deviceIndependentSize(), m_magentaStep.devicePixelRatio());
    } else {
        m_turnedMagentaHalf.fill(Qt::transparent);
    }
    const QSizeF size = m_magentaStep.deviceIndependentSize();
    {
        QPainter painter(&m_turnedMagentaHalf);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        paintInBands(painter, QRectF(QPointF(0, 0), size), [&] {
            painter.translate(size.width() / 2, size.height() / 2);
            painter.rotate(shadowTurn);
            drawCentred(painter, m_magentaStep);
        });
    }
    drawDoubled(m_turnedMagentaHalf, m_preparedRatio, m_turnedMagenta);
}

namespace {

// A frame's layers as one painter draws them: placed about the figure's
// centre, and each drawn only where it meets the area (even a draw that the
// clip leaves empty costs a few microseconds).
class PlacedLayers {
public:
    PlacedLayers(QPainter& painter, QPointF centre, const FloatingSwirl::Frame& frame, const QRectF& area)
        : m_painter(painter), m_toPainter(placement(frame) * QTransform::fromTranslate(centre.x(), centre.y())),
          m_area(area)
    {
        painter.save();
        painter.setTransform(m_toPainter, true);
        // Soft pictures need no smoothing, which would make every draw at a
        // fractional place a costly filtered one; and every picture has clear
        // edges, so none needs its outline antialiased.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.setRenderHint(QPainter::Antialiasing, false);
    }
    ~PlacedLayers() { m_painter.restore(); }

    bool meets(const QRectF& rect) const { return !rect.isEmpty() && m_toPainter.mapRect(rect).intersects(m_area); }
    void drawCentredIfMeets(const QImage& image) const
    {
        if (meets(squareAbout(image.deviceIndependentSize().width() / 2)))
            drawCentred(m_painter, image);
    }

private:
    QPainter& m_painter;
    QTransform m_toPainter;
    QRectF m_area;
};

qreal ratioOf(const QPainter& painter) { return painter.device() ? painter.device()->devicePixelRatioF() : 1.0; }

} // namespace

void FloatingSwirl::paint(QPainter& painter, QPointF centre, const Frame& frame, const QRectF& area)
{
    paintGround(painter, centre, frame, area);
    paintOverGround(painter, centre, frame, area);
}

void FloatingSwirl::paintGround(QPainter& painter, QPointF centre, const Frame& frame, const QRectF& area)
{
    prepare(ratioOf(painter));
    prepareShadows(frame.glowStep, frame.shadowTurn);
    const PlacedLayers layers(painter, centre, frame, area);

    // 1. The glow disc.
    layers.drawCentredIfMeets(m_discStep);

    // 2. The burst ring, turning with the swirl.
    for (std::size_t i = 0; i < m_bursts.size(); ++i) {
        if (layers.meets(VoraEnergyBurst::bounds(bursts[i].angle, frame.ringTurn, frame.burstStates[i])))
            m_bursts[i]->paint(painter, QPointF(0, 0), frame.ringTurn, frame.burstStates[i]);
    }

    // 3. The swirl's shadows.
    layers.drawCentredIfMeets(m_violetStep);
    layers.drawCentredIfMeets(m_turnedMagenta);
}

void FloatingSwirl::paintOverGround(QPainter& painter, QPointF centre, const Frame& frame, const QRectF& area)
{
    prepare(ratioOf(painter));
    const PlacedLayers layers(painter, centre, frame, area);

    // 3. The swirl, turned and tilted.
    if (layers.meets(squareAbout(m_swirlReach))) {
        painter.save();
        painter.rotate(frame.turn);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        drawCentred(painter, m_swirl);
        const double bright = std::clamp(frame.brightness / 0.06, 0.0, 1.0);
        if (bright > 0) {
            painter.setOpacity(bright);
            drawCentred(painter, m_brightSwirl);
        }
        painter.restore();
    }

    // 4-6. The sparkles.
    for (std::size_t i = 0; i < m_sparkles.size(); ++i) {
        if (layers.meets(m_sparkles[i]->bounds().translated(sparkles()[i].offset)))
            m_sparkles[i]->paint(painter, sparkles()[i].offset, frame.sparkleLit[i]);
    }
}
