#include "ImageEffects.h"

#include <algorithm>

QImage brightened(const QImage& image, qreal amount)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int add = qRound(amount * 255);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const QRgb pixel = line[x];
            const int alpha = qAlpha(pixel);
            // Premultiplied: the added light is weighted by coverage.
            const int lift = add * alpha / 255;
            line[x] = qRgba(std::min(alpha, qRed(pixel) + lift), std::min(alpha, qGreen(pixel) + lift),
                            std::min(alpha, qBlue(pixel) + lift), alpha);
        }
    }
    return result;
}
