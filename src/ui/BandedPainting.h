#pragma once

#include <QPainter>
#include <QRect>
#include <QRegion>

#include <type_traits>
#include <vector>

// Qt's raster engine hands any blend of 96 rows or more to its thread pool.
// For the small pictures of an animation frame waking those threads costs
// more than the blending itself, so a frame is painted in bands of fewer
// device rows (a band at a fractional place touches one row more), each
// clipped to its band.
inline constexpr int bandDeviceRows = 90;

// The horizontal bands, in points, that together cover area exactly.
std::vector<QRectF> paintingBands(const QRectF& area, qreal devicePixelRatio);
// Those of each rectangle of region in turn: a band then lies within one
// rectangle of what is repainted, so its clip is a plain rectangle, where a
// band across rectangles would clip to a region, which Qt also hands to its
// thread pool.
std::vector<QRectF> paintingBands(const QRegion& region, qreal devicePixelRatio);

// Runs paint once per band of area (a QRectF or a QRegion) with the painter
// clipped to that band; paint may take the band, to leave out what lies
// outside it.
template <typename Area, typename Paint>
void paintInBands(QPainter& painter, const Area& area, Paint&& paint)
{
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    for (const QRectF& band : paintingBands(area, ratio)) {
        painter.save();
        painter.setClipRect(band, Qt::IntersectClip);
        if constexpr (std::is_invocable_v<Paint, const QRectF&>)
            paint(band);
        else
            paint();
        painter.restore();
    }
}
