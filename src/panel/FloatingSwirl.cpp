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
constexpr qreal magentaMargin = 40;   // the strong magenta shadow's full reach
constexpr qreal violetMargin = 64;    // the strong violet shadow's reach

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

// One step of the breath between a weak and a strong picture.
QImage breathStep(const QImage& weak, qreal weakOpacity, const QImage& strong, qreal strongOpacity, double glow)
{
    QImage step = transparentImage(weak.deviceIndependentSize(), weak.devicePixelRatio());
    QPainter painter(&step);
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    painter.setOpacity(weakOpacity * (1 - glow));
    painter.drawImage(QPointF(0, 0), weak);
    painter.setOpacity(strongOpacity * glow);
    painter.drawImage(QPointF(0, 0), strong);
    return step;
}

// The image cut to the centred square outside which it is all but clear
// (alpha of 2 in 255 or less): turning a smaller picture costs less.
QImage croppedToVisible(const QImage& image)
{
    int reach = 0;
    const int centreX = image.width() / 2;
    const int centreY = image.height() / 2;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) > 2)
                reach = std::max({reach, std::abs(x - centreX), std::abs(y - centreY)});
        }
    }
    const int side = std::min(2 * (reach + 1), std::min(image.width(), image.height()));
    QImage cropped = image.copy(centreX - side / 2, centreY - side / 2, side, side);
    cropped.setDevicePixelRatio(image.devicePixelRatio());
    return cropped;
}

void drawCentred(QPainter& painter, const QImage& image)
{
    const QSizeF size = image.deviceIndependentSize();
    painter.drawImage(QPointF(-size.width() / 2, -size.height() / 2), image);
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
    m_magentaSteps = {};
    m_violetSteps = {};

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

    m_magentaWeak = glowCanvas(m_swirl, magentaShadow.weakRadius, lumivoMagenta(), magentaMargin);
    m_magentaStrong = glowCanvas(m_swirl, magentaShadow.strongRadius, lumivoMagenta(), magentaMargin);
    // The violet shadow is cast by the swirl together with its magenta one.
    const auto violetOf = [&](const QImage& magenta, qreal opacity, qreal radius) {
        QImage caster = transparentImage(magenta.deviceIndependentSize(), dpr);
        QPainter painter(&caster);
        painter.setOpacity(opacity);
        painter.drawImage(QPointF(0, 0), magenta);
        painter.setOpacity(1);
        painter.drawImage(QPointF(magentaMargin, magentaMargin), m_swirl);
        painter.end();
        return evenedRound(glowCanvas(caster, radius, lumivoViolet(), violetMargin - magentaMargin));
    };
    m_violetWeak = violetOf(m_magentaWeak, magentaShadow.weakOpacity, violetShadow.weakRadius);
    m_violetStrong = violetOf(m_magentaStrong, magentaShadow.strongOpacity, violetShadow.strongRadius);
}

const QImage& FloatingSwirl::magentaHalo(int step)
{
    QImage& made = m_magentaSteps[step];
    if (made.isNull())
        made = croppedToVisible(breathStep(m_magentaWeak, magentaShadow.weakOpacity, m_magentaStrong,
                                           magentaShadow.strongOpacity, double(step) / (glowSteps - 1)));
    return made;
}

const QImage& FloatingSwirl::violetHalo(int step)
{
    QImage& made = m_violetSteps[step];
    if (made.isNull())
        made = breathStep(m_violetWeak, violetShadow.weakOpacity, m_violetStrong, violetShadow.strongOpacity,
                          double(step) / (glowSteps - 1));
    return made;
}

void FloatingSwirl::paint(QPainter& painter, QPointF centre, const Pose& pose)
{
    prepare(painter.device() ? painter.device()->devicePixelRatioF() : 1.0);
    const double glow = std::clamp(pose.glow, 0.0, 1.0);
    const int step = static_cast<int>(std::lround(glow * (glowSteps - 1)));

    painter.save();
    painter.translate(centre + QPointF(0, verticalOffset(pose.bob)));
    painter.scale(pose.scale, pose.scale);
    // Soft pictures need no smoothing, which would make every draw at a
    // fractional place a costly filtered one; and every picture has clear
    // edges, so none needs its outline antialiased.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::Antialiasing, false);

    // 1. The glow disc.
    painter.save();
    painter.setOpacity(0.12 + (0.26 - 0.12) * glow);
    drawCentred(painter, m_disc);
    painter.restore();

    // 2. The burst ring, turning with the swirl.
    for (auto& burst : m_bursts)
        burst->paint(painter, QPointF(0, 0), pose.swirlPhase);

    // 3. The swirl with its shadows, turned and tilted.
    drawCentred(painter, violetHalo(step));
    painter.save();
    painter.rotate(swirlRotation(pose.swirlPhase, pose.waveAngle));
    drawCentred(painter, magentaHalo(step));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    drawCentred(painter, m_swirl);
    const double bright = std::clamp(pose.brightness / 0.06, 0.0, 1.0);
    if (bright > 0) {
        painter.setOpacity(bright);
        drawCentred(painter, m_brightSwirl);
    }
    painter.restore();

    // 4-6. The sparkles.
    for (std::size_t i = 0; i < m_sparkles.size(); ++i)
        m_sparkles[i]->paint(painter, sparkles()[i].offset);

    painter.restore();
}
