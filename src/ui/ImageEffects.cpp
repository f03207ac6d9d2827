#include "ImageEffects.h"

#include <algorithm>
#include <cstdint>
#include <vector>

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

namespace {

// Three quarters of a and a quarter of b, each channel, rounded.
inline std::uint32_t threeToOne(std::uint32_t a, std::uint32_t b)
{
    constexpr std::uint32_t lanes = 0x00ff00ff;
    const std::uint32_t low = ((a & lanes) * 3 + (b & lanes) + 0x00020002) >> 2;
    const std::uint32_t high = (((a >> 8) & lanes) * 3 + ((b >> 8) & lanes) + 0x00020002) >> 2;
    return (low & lanes) | ((high & lanes) << 8);
}

} // namespace

void drawDoubled(const QImage& half, qreal dpr, QImage& target)
{
    const QImage source = half.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int width = source.width();
    const int height = source.height();
    if (target.size() != QSize(2 * width, 2 * height) || target.format() != QImage::Format_ARGB32_Premultiplied)
        target = QImage(2 * width, 2 * height, QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(dpr);
    if (width == 0 || height == 0)
        return;
    // One row blended down, with its edge pixels repeated on either side.
    std::vector<std::uint32_t> blended(std::size_t(width) + 2);
    std::uint32_t* down = blended.data() + 1;
    for (int y = 0; y < 2 * height; ++y) {
        const int nearest = y / 2;
        const int next = std::clamp(y % 2 ? nearest + 1 : nearest - 1, 0, height - 1);
        const auto* near = reinterpret_cast<const std::uint32_t*>(source.constScanLine(nearest));
        const auto* far = reinterpret_cast<const std::uint32_t*>(source.constScanLine(next));
        for (int x = 0; x < width; ++x)
            down[x] = threeToOne(near[x], far[x]);
        down[-1] = down[0];
        down[width] = down[width - 1];
        auto* out = reinterpret_cast<std::uint32_t*>(target.scanLine(y));
        for (int x = 0; x < width; ++x) {
            out[2 * x] = threeToOne(down[x], down[x - 1]);
            out[2 * x + 1] = threeToOne(down[x], down[x + 1]);
        }
    }
}
