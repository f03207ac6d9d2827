#include "GlowCache.h"

#include <QPainter>
#include <QtWidgets/qtwidgetsglobal.h>

#include <cmath>

// Qt's own fast blur, which its blur and drop-shadow effects are built on.
QT_BEGIN_NAMESPACE
Q_WIDGETS_EXPORT void qt_blurImage(QPainter* painter, QImage& image, qreal radius, bool quality, bool alphaOnly,
                                   int transposed);
QT_END_NAMESPACE

namespace {

// Qt's blur radius is where the exponential tail fades out; a shadow radius
// of r points reads alike at about twice that.
constexpr qreal blurPerRadius = 2.0;
// How far a glow spreads beyond its shape, in radii.
constexpr qreal spreadPerRadius = 2.5;
constexpr qsizetype maximumRememberedShapes = 256;

} // namespace

QImage transparentImage(QSizeF size, qreal dpr)
{
    QImage image(std::max(1, qCeil(size.width() * dpr)), std::max(1, qCeil(size.height() * dpr)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    return image;
}

GlowCache::GlowCache(qsizetype maximumBytes) : m_glows(maximumBytes / 1024) { }

GlowCache& GlowCache::shared()
{
    static GlowCache cache;
    return cache;
}

Glow GlowCache::make(const QImage& shape, qreal radius, const QColor& colour)
{
    const qreal dpr = shape.devicePixelRatio();
    const qreal pad = std::ceil(radius * spreadPerRadius);
    const QSizeF shapeSize = shape.deviceIndependentSize();
    QImage tinted = transparentImage(shapeSize + QSizeF(2 * pad, 2 * pad), dpr);
    {
        QPainter painter(&tinted);
        painter.drawImage(QPointF(pad, pad), shape);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(QRectF(QPointF(0, 0), tinted.deviceIndependentSize()), colour);
    }
    if (radius <= 0)
        return {tinted, QPointF(-pad, -pad)};
    QImage blurred = transparentImage(tinted.deviceIndependentSize(), dpr);
    {
        // The blur works in device pixels.
        tinted.setDevicePixelRatio(1);
        QPainter painter(&blurred);
        painter.scale(1 / dpr, 1 / dpr);
        qt_blurImage(&painter, tinted, radius * blurPerRadius * dpr, true, false, 0);
    }
    return {blurred, QPointF(-pad, -pad)};
}

std::size_t GlowCache::pixelsHash(const QImage& shape)
{
    const auto found = m_pixelsHashes.constFind(shape.cacheKey());
    if (found != m_pixelsHashes.cend())
        return *found;
    // Pictures come and go; the memo only has to outlive a few frames.
    if (m_pixelsHashes.size() >= maximumRememberedShapes)
        m_pixelsHashes.clear();
    const std::size_t hash = qHashBits(shape.constBits(), static_cast<size_t>(shape.sizeInBytes()));
    m_pixelsHashes.insert(shape.cacheKey(), hash);
    return hash;
}

const Glow& GlowCache::glow(const QImage& shape, qreal radius, const QColor& colour)
{
    const Key key{pixelsHash(shape), shape.size(), shape.devicePixelRatio(), radius, colour.rgba64()};
    if (Glow* found = m_glows.object(key))
        return *found;
    auto* made = new Glow(make(shape, radius, colour));
    const qsizetype cost = std::max<qsizetype>(1, made->image.sizeInBytes() / 1024);
    Glow copy = *made;
    if (m_glows.insert(key, made, cost))
        return *m_glows.object(key);
    // Larger than the whole cache: hand out a glow that lives until the next call.
    static Glow oversized;
    oversized = std::move(copy);
    return oversized;
}

void GlowCache::paint(QPainter& painter, const QImage& shape, QPointF topLeft, qreal radius, const QColor& colour,
                      qreal opacity, QPointF offset)
{
    if (opacity <= 0 || colour.alpha() == 0)
        return;
    const Glow& made = glow(shape, radius, colour);
    const qreal outer = painter.opacity();
    painter.setOpacity(outer * opacity);
    painter.drawImage(topLeft + made.origin + offset, made.image);
    painter.setOpacity(outer);
}
