#include "BandedPainting.h"

#include <cmath>

std::vector<QRectF> paintingBands(const QRectF& area, qreal devicePixelRatio)
{
    std::vector<QRectF> bands;
    const qreal height = bandDeviceRows / devicePixelRatio;
    for (qreal top = area.top(); top < area.bottom(); top += height)
        bands.emplace_back(area.left(), top, area.width(), std::min(height, area.bottom() - top));
    return bands;
}

std::vector<QRectF> paintingBands(const QRegion& region, qreal devicePixelRatio)
{
    std::vector<QRectF> bands;
    for (const QRect& part : region) {
        const std::vector<QRectF> ofPart = paintingBands(QRectF(part), devicePixelRatio);
        bands.insert(bands.end(), ofPart.begin(), ofPart.end());
    }
    return bands;
}
