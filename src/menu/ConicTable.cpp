#include "ConicTable.h"

#include <algorithm>
#include <cmath>
#include <numbers>

ConicTable::ConicTable(const QList<QColor>& colours)
{
    struct Premultiplied {
        double r, g, b, a;
    };
    std::vector<Premultiplied> stops;
    for (const QColor& colour : colours) {
        const double a = colour.alphaF();
        stops.push_back({colour.redF() * a, colour.greenF() * a, colour.blueF() * a, a});
    }
    const int segments = std::max<int>(1, int(stops.size()) - 1);
    for (int step = 0; step < steps; ++step) {
        const double position = double(step) / steps * segments;
        const int index = std::min(segments - 1, int(position));
        const double fraction = position - index;
        const Premultiplied& from = stops[index];
        const Premultiplied& to = stops[std::min<std::size_t>(index + 1, stops.size() - 1)];
        auto channel = [&](double a, double b) {
            return std::clamp(int(std::lround((a + (b - a) * fraction) * 255)), 0, 255);
        };
        const int alpha = channel(from.a, to.a);
        m_colours[step] = qRgba(std::min(alpha, channel(from.r, to.r)), std::min(alpha, channel(from.g, to.g)),
                                std::min(alpha, channel(from.b, to.b)), alpha);
    }
}

int ConicTable::stepOf(double degrees)
{
    const long long step = std::llround(degrees / 360.0 * steps);
    return int(((step % steps) + steps) % steps);
}

int ConicTable::stepToward(QPointF centre, QPointF point)
{
    return stepOf(std::atan2(point.y() - centre.y(), point.x() - centre.x()) * 180 / std::numbers::pi);
}

ConicBand::ConicBand(const QImage& coverage, QPointF centre)
{
    const QImage shape = coverage.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const qreal dpr = coverage.devicePixelRatio();
    m_image = QImage(shape.size(), QImage::Format_ARGB32_Premultiplied);
    m_image.fill(Qt::transparent);
    m_image.setDevicePixelRatio(dpr);
    const QPointF centrePixels = centre * dpr;
    for (int y = 0; y < shape.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(shape.constScanLine(y));
        for (int x = 0; x < shape.width(); ++x) {
            if (const int alpha = qAlpha(row[x]))
                m_pixels.push_back({std::uint32_t(y * shape.width() + x),
                                    std::uint16_t(ConicTable::stepToward(centrePixels, QPointF(x + 0.5, y + 0.5))),
                                    std::uint8_t(alpha)});
        }
    }
}

const QImage& ConicBand::turned(const ConicTable& table, double degrees)
{
    const int rotation = ConicTable::stepOf(degrees);
    if (m_shows == std::pair(&table, rotation))
        return m_image;
    auto* pixels = reinterpret_cast<std::uint32_t*>(m_image.bits());
    for (const Pixel& pixel : m_pixels)
        pixels[pixel.offset] = PixelMath::scaled(table.at(pixel.step, rotation), pixel.coverage);
    m_shows = std::pair(&table, rotation);
    return m_image;
}
