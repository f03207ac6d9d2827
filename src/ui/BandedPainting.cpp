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
