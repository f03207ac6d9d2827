#include "FloatingSwirl.h"

#include "MascotArtwork.h"
#include "model/BrandColors.h"
#include "ui/GlowCache.h"
#include "ui/ImageEffects.h"

#include <QPainter>
#include <QRadialGradient>

namespace {

constexpr qreal discSize = 152;
constexpr qreal swirlSize = 116;
constexpr qreal haloMargin = 64;

QColor withOpacity(QColor colour, qreal opacity)
{
    colour.setAlphaF(opacity);
    return colour;
}

// The swirl's two shadows (magenta, then violet cast by the swirl and the
// magenta one) at one end of the glow's swing, beneath the swirl.
QImage haloPicture(const QImage& swirl, qreal magentaOpacity, qreal magentaRadius, qreal violetOpacity,
                   qreal violetRadius)
{
    const qreal dpr = swirl.devicePixelRatio();
    const QSizeF size(swirlSize + 2 * haloMargin, swirlSize + 2 * haloMargin);
    const QPointF at(haloMargin, haloMargin);
    QImage magentaLayer = transparentImage(size, dpr);
    {
        QPainter painter(&magentaLayer);
        const Glow magenta = GlowCache::make(swirl, magentaRadius, withOpacity(lumivoMagenta(), magentaOpacity));
        painter.drawImage(at + magenta.origin, magenta.image);
        painter.drawImage(at, swirl);
    }
    QImage halo = transparentImage(size, dpr);
    QPainter painter(&halo);
    const Glow violet = GlowCache::make(magentaLayer, violetRadius, withOpacity(lumivoViolet(), violetOpacity));
    painter.drawImage(violet.origin, violet.image);
    painter.drawImage(QPointF(0, 0), magentaLayer);
    // The swirl itself is drawn separately, sharp, over the halo.
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    painter.drawImage(at, swirl);
    return halo;
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

FloatingSwirl::FloatingSwirl(const ViewEnvironment& environment, std::function<void()> repaint)
    : m_artwork(voraSwirlImage(environment.resources))
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
        sparkle->start();
}

void FloatingSwirl::prepare(qreal dpr)
{
    if (m_preparedRatio == dpr)
        return;
    m_preparedRatio = dpr;

    // The disc at full strength; the glow's breath only changes its opacity.
    m_disc = transparentImage(QSizeF(discSize, discSize), dpr);
    {
        QPainter painter(&m_disc);
        QRadialGradient fill(QPointF(discSize / 2, discSize / 2), 78);
        fill.setColorAt(20.0 / 78, lumivoMagenta());
        fill.setColorAt(1, withOpacity(lumivoMagenta(), 0));
        painter.fillRect(QRectF(0, 0, discSize, discSize), fill);
    }

    m_swirl = transparentImage(QSizeF(swirlSize, swirlSize), dpr);
    {
        QPainter painter(&m_swirl);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setRenderHint(QPainter::Antialiasing);
        const QSizeF fitted = QSizeF(m_artwork.size()).scaled(QSizeF(swirlSize, swirlSize), Qt::KeepAspectRatio);
        painter.drawImage(QRectF(QPointF((swirlSize - fitted.width()) / 2, (swirlSize - fitted.height()) / 2), fitted),
                          m_artwork);
    }
    m_brightSwirl = brightened(m_swirl, 0.06);
    m_weakHalo = haloPicture(m_swirl, 0.38, 9, 0.16, 12);
    m_strongHalo = haloPicture(m_swirl, 0.66, 16, 0.35, 24);
}

void FloatingSwirl::paint(QPainter& painter, QPointF centre, const Pose& pose)
{
    prepare(painter.device() ? painter.device()->devicePixelRatioF() : 1.0);
    const double glow = std::clamp(pose.glow, 0.0, 1.0);

    painter.save();
    painter.translate(centre + QPointF(0, verticalOffset(pose.bob)));
    painter.scale(pose.scale, pose.scale);

    // 1. The glow disc.
    painter.save();
    painter.setOpacity(0.12 + (0.26 - 0.12) * glow);
    painter.drawImage(QPointF(-discSize / 2, -discSize / 2), m_disc);
    painter.restore();

    // 2. The burst ring, turning with the swirl.
    for (auto& burst : m_bursts)
        burst->paint(painter, QPointF(0, 0), pose.swirlPhase);

    // 3. The swirl and its halo, turned and tilted. The halo is soft, so it
    //    is sampled without smoothing, which costs a fraction.
    painter.save();
    painter.rotate(swirlRotation(pose.swirlPhase, pose.waveAngle));
    const QPointF haloCorner(-swirlSize / 2 - haloMargin, -swirlSize / 2 - haloMargin);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(haloCorner, m_weakHalo);
    painter.setOpacity(glow);
    painter.drawImage(haloCorner, m_strongHalo);
    painter.setOpacity(1);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const QPointF swirlCorner(-swirlSize / 2, -swirlSize / 2);
    painter.drawImage(swirlCorner, m_swirl);
    const double bright = std::clamp(pose.brightness / 0.06, 0.0, 1.0);
    if (bright > 0) {
        painter.setOpacity(bright);
        painter.drawImage(swirlCorner, m_brightSwirl);
    }
    painter.restore();

    // 4-6. The sparkles.
    for (std::size_t i = 0; i < m_sparkles.size(); ++i)
        m_sparkles[i]->paint(painter, sparkles()[i].offset);

    painter.restore();
}
