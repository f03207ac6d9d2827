#include "VoraDecorations.h"

#include "model/BrandColors.h"
#include "ui/GlowCache.h"
#include "ui/ImageEffects.h"
#include "ui/Symbols.h"
#include "ui/Timing.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <map>

namespace {

QColor withOpacity(QColor colour, qreal opacity)
{
    colour.setAlphaF(colour.alphaF() * opacity);
    return colour;
}

// A picture of size points drawn by draw about the picture's centre.
template <typename Draw>
QImage sprite(QSizeF size, qreal dpr, Draw&& draw)
{
    QImage image = transparentImage(size, dpr);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(size.width() / 2, size.height() / 2);
    draw(painter);
    return image;
}

// A picture of shape with glows cast by it (and by the glows before each),
// each a colour and radius, the glows beneath.
QImage withGlows(const QImage& shape, std::initializer_list<std::pair<QColor, qreal>> glows, qreal margin)
{
    const qreal dpr = shape.devicePixelRatio();
    const QSizeF size = shape.deviceIndependentSize() + QSizeF(2 * margin, 2 * margin);
    QImage layered = transparentImage(size, dpr);
    {
        QPainter painter(&layered);
        painter.drawImage(QPointF(margin, margin), shape);
    }
    for (const auto& [colour, radius] : glows) {
        QImage next = transparentImage(size, dpr);
        QPainter painter(&next);
        const Glow glow = GlowCache::make(layered, radius, colour);
        painter.drawImage(glow.origin, glow.image);
        painter.drawImage(QPointF(0, 0), layered);
        painter.end();
        layered = next;
    }
    return layered;
}

void drawCentred(QPainter& painter, QPointF centre, const QImage& image)
{
    const QSizeF size = image.deviceIndependentSize();
    painter.drawImage(centre - QPointF(size.width() / 2, size.height() / 2), image);
}

qreal deviceRatio(const QPainter& painter) { return painter.device() ? painter.device()->devicePixelRatioF() : 1.0; }

} // namespace

// Sparkle ---------------------------------------------------------------------

VoraSparkle::VoraSparkle(const ViewEnvironment& environment, qreal size, double period, double delay,
                         std::function<void()> repaint)
    : m_size(size), m_period(period), m_delay(delay), m_lit(environment.animations, 0, std::move(repaint))
{
}

void VoraSparkle::start(double framesPerSecond)
{
    m_lit.set(1, Motion::easeInOut(m_period).repeatForever(true).delayed(m_delay).atFramesPerSecond(framesPerSecond));
}

namespace {

constexpr qreal sparkleHaloMargin = 10;

} // namespace

QRectF VoraSparkle::bounds() const
{
    const qreal side = m_size + 2 * sparkleHaloMargin;
    return QRectF(-side / 2, -side / 2, side, side);
}

void VoraSparkle::paint(QPainter& painter, QPointF centre, double lit)
{
    const qreal dpr = deviceRatio(painter);
    if (m_sprite.isNull() || m_sprite.devicePixelRatio() != dpr) {
        const QImage glyph = sprite(QSizeF(m_size, m_size), dpr,
                                    [&](QPainter& p) { p.fillPath(Symbols::path(u"sparkle", m_size), Qt::white); });
        m_sprite = withGlows(glyph, {{withOpacity(lumivoMagenta(), 0.85), 4}}, sparkleHaloMargin);
    }
    painter.save();
    painter.setOpacity(painter.opacity() * std::clamp(opacityAt(lit), 0.0, 1.0));
    painter.translate(centre);
    painter.scale(scaleAt(lit), scaleAt(lit));
    drawCentred(painter, QPointF(0, 0), m_sprite);
    painter.restore();
}

// Energy burst ----------------------------------------------------------------

namespace {

constexpr qreal streakHeight = 2.2;
constexpr qreal shortestStreak = 7;
constexpr qreal streakGrowth = 16;
constexpr int streakSteps = 9;
constexpr qreal streakMargin = 18;
constexpr qreal sparkSize = 3.2;
constexpr qreal sparkMargin = 10;

qreal streakLength(double progress) { return shortestStreak + streakGrowth * progress; }
qreal streakCentre(double progress) { return 53 + 22 * progress; }
qreal sparkCentre(double progress) { return 61 + 24 * progress; }
qreal burstScale(double progress) { return 0.88 + 0.2 * progress; }

QImage streakPicture(qreal length, qreal dpr)
{
    const QImage streak = sprite(QSizeF(length, streakHeight), dpr, [&](QPainter& p) {
        QLinearGradient fill(-length / 2, 0, length / 2, 0);
        fill.setColorAt(0, Qt::white);
        fill.setColorAt(1.0 / 3, withOpacity(Qt::white, 0.92));
        fill.setColorAt(2.0 / 3, withOpacity(lumivoMagenta(), 0.72));
        fill.setColorAt(1, Qt::transparent);
        QPainterPath capsule;
        capsule.addRoundedRect(QRectF(-length / 2, -streakHeight / 2, length, streakHeight), streakHeight / 2,
                               streakHeight / 2);
        p.fillPath(capsule, fill);
    });
    return withGlows(streak, {{withOpacity(Qt::white, 0.88), 3}, {withOpacity(lumivoMagenta(), 0.72), 7}},
                     streakMargin);
}

// The pictures every burst draws from, made once per device pixel ratio and
// shared: one streak per length step and the spark.
struct BurstSprites {
    std::vector<QImage> streaks;
    QImage spark;
};

const BurstSprites& burstSprites(qreal dpr)
{
    static std::map<qreal, BurstSprites> made;
    BurstSprites& sprites = made[dpr];
    if (sprites.streaks.empty()) {
        for (int step = 0; step < streakSteps; ++step)
            sprites.streaks.push_back(streakPicture(streakLength(double(step) / (streakSteps - 1)), dpr));
        const QImage dot = sprite(QSizeF(sparkSize, sparkSize), dpr, [](QPainter& p) {
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(0, 0), sparkSize / 2, sparkSize / 2);
        });
        sprites.spark = withGlows(dot, {{Qt::white, 4}}, sparkMargin);
    }
    return sprites;
}

} // namespace

VoraEnergyBurst::VoraEnergyBurst(const ViewEnvironment& environment, double angle, double initialDelay,
                                 std::function<void()> repaint)
    : m_environment(environment), m_angle(angle), m_initialDelay(initialDelay),
      m_progress(environment.animations, 0, std::move(repaint))
{
}

VoraEnergyBurst::~VoraEnergyBurst()
{
    m_next.cancel();
    m_environment.animations.remove(this);
}

void VoraEnergyBurst::start()
{
    m_next.cancel();
    m_next = after(m_environment.scheduler, m_initialDelay, [this] { fire(); });
}

void VoraEnergyBurst::fire()
{
    // Unseen, it waits for the first frame after the panel is seen again.
    if (!m_environment.animations.isSeen()) {
        m_environment.animations.add(this);
        return;
    }
    m_visible = true;
    m_progress.restart(0, 1, Motion::easeOut(flightSeconds).atFramesPerSecond(decorationFramesPerSecond));
    m_next = after(m_environment.scheduler, showSeconds, [this] {
        // Faded out by now: hiding it changes no pixel, so nothing repaints.
        m_visible = false;
        m_next = after(m_environment.scheduler, m_environment.uniform(shortestPause, longestPause), [this] { fire(); });
    });
}

double VoraEnergyBurst::framesPerSecond() const { return decorationFramesPerSecond; }

bool VoraEnergyBurst::frame(double)
{
    fire();
    return false;
}

QRectF VoraEnergyBurst::bounds(double angle, qreal ringRotation, const State& state)
{
    if (!state.visible || state.progress >= 1)
        return {};
    const double p = state.progress;
    const qreal streakHalf = streakLength(p) / 2 + streakMargin;
    const qreal sparkHalf = sparkSize / 2 + sparkMargin;
    const qreal left = std::min(streakCentre(p) - streakHalf, sparkCentre(p) - sparkHalf);
    const qreal right = std::max(streakCentre(p) + streakHalf, sparkCentre(p) + sparkHalf);
    const qreal half = std::max(streakHeight / 2 + streakMargin, sparkHalf);
    QTransform placement;
    placement.rotate(angle + ringRotation);
    placement.scale(burstScale(p), burstScale(p));
    return placement.mapRect(QRectF(left, -half, right - left, 2 * half));
}

void VoraEnergyBurst::paint(QPainter& painter, QPointF centre, qreal ringRotation, const State& state) const
{
    const double opacity = 1 - state.progress;
    if (!state.visible || opacity <= 0)
        return;
    const BurstSprites& sprites = burstSprites(deviceRatio(painter));
    const int step = std::clamp(static_cast<int>(std::lround(state.progress * (streakSteps - 1))), 0, streakSteps - 1);
    const qreal scale = burstScale(state.progress);
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    painter.translate(centre);
    painter.rotate(m_angle + ringRotation);
    painter.scale(scale, scale);
    drawCentred(painter, QPointF(streakCentre(state.progress), 0), sprites.streaks[step]);
    drawCentred(painter, QPointF(sparkCentre(state.progress), 0), sprites.spark);
    painter.restore();
}

// Bolt icon -------------------------------------------------------------------

EnergyBoltIcon::EnergyBoltIcon(const ViewEnvironment& environment, std::function<void()> repaint)
    : m_environment(environment), m_radiating(environment.animations, 0, std::move(repaint))
{
    Symbols::loadFont(environment.resources);
}

EnergyBoltIcon::~EnergyBoltIcon() { m_next.cancel(); }

void EnergyBoltIcon::start() { waitForPulse(); }

void EnergyBoltIcon::waitForPulse()
{
    m_next = after(m_environment.scheduler, m_environment.uniform(shortestPause, longestPause), [this] { pulse(); });
}

void EnergyBoltIcon::pulse()
{
    m_radiating.restart(0, 1, Motion::easeOut(burstSeconds).atFramesPerSecond(decorationFramesPerSecond));
    m_next = after(m_environment.scheduler, pulseSeconds, [this] { waitForPulse(); });
}

void EnergyBoltIcon::paint(QPainter& painter, QPointF centre)
{
    const qreal dpr = deviceRatio(painter);
    if (m_bolt.isNull() || m_bolt.devicePixelRatio() != dpr) {
        const QImage bolt = sprite(QSizeF(size, size), dpr, [](QPainter& p) {
            constexpr qreal glyph = 13 * 1.15;
            QLinearGradient fill(-glyph / 2, glyph / 2, glyph / 2, -glyph / 2);
            fill.setColorAt(0, lumivoViolet());
            fill.setColorAt(0.5, lumivoMagenta());
            fill.setColorAt(1, lumivoOrange());
            p.fillPath(Symbols::path(u"bolt.fill", glyph), fill);
        });
        m_bolt = bolt;
        m_brightBolt = brightened(bolt, 0.28);
        const QImage ray = sprite(QSizeF(1.4, 4.5), dpr, [](QPainter& p) {
            QPainterPath capsule;
            capsule.addRoundedRect(QRectF(-0.7, -2.25, 1.4, 4.5), 0.7, 0.7);
            p.fillPath(capsule, Qt::white);
        });
        // Each ray keeps its direction while it flies out, so each is turned
        // once here and then only moved.
        const QImage glowing = withGlows(ray, {{Qt::white, 2.5}}, 8);
        const QSizeF rayed = glowing.deviceIndependentSize();
        const qreal side = std::ceil(std::hypot(rayed.width(), rayed.height()));
        for (std::size_t index = 0; index < m_rays.size(); ++index) {
            m_rays[index] = sprite(QSizeF(side, side), dpr, [&](QPainter& p) {
                p.setRenderHint(QPainter::SmoothPixmapTransform);
                p.rotate(rayAngle(index));
                drawCentred(p, QPointF(0, 0), glowing);
            });
        }
    }
    const double r = m_radiating.value();
    painter.save();
    painter.translate(centre);
    painter.setRenderHint(QPainter::Antialiasing);

    const double ringOpacity = std::clamp(mix(0.78, 0.0, r), 0.0, 1.0);
    if (ringOpacity > 0) {
        painter.save();
        const double ringScale = mix(0.56, 1.55, r);
        painter.scale(ringScale, ringScale);
        painter.setPen(QPen(withOpacity(Qt::white, 0.9 * ringOpacity), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(0, 0), 7.5, 7.5);
        painter.restore();
    }
    const double rayOpacity = std::clamp(mix(0.92, 0.0, r), 0.0, 1.0);
    if (rayOpacity > 0) {
        painter.save();
        painter.setOpacity(rayOpacity);
        const QPointF outward(0, mix(-8, -13, r));
        for (std::size_t index = 0; index < m_rays.size(); ++index)
            drawCentred(painter, QTransform().rotate(rayAngle(index)).map(outward), m_rays[index]);
        painter.restore();
    }
    // The bolt's white glow swings between 0.32 at radius 2 and 0.95 at 5;
    // its magenta glow stays at 0.72, radius 4.
    const QPointF corner(-size / 2, -size / 2);
    GlowCache& glows = GlowCache::shared();
    glows.paint(painter, m_bolt, corner, 4, lumivoMagenta(), 0.72);
    const double flare = std::clamp(r, 0.0, 1.0);
    glows.paint(painter, m_bolt, corner, 2, Qt::white, 0.32 * (1 - flare));
    glows.paint(painter, m_bolt, corner, 5, Qt::white, 0.95 * flare);
    painter.drawImage(corner, m_bolt);
    painter.setOpacity(flare);
    painter.drawImage(corner, m_brightBolt);
    painter.restore();
}
