#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPointF>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// Turning conic gradients drawn cheaply: the gradient is a table of colours
// round the circle, and the pixels it shows through keep their angles, so a
// turn is one lookup per pixel instead of an angle worked out per pixel.

// A conic gradient as a table of premultiplied colours, one per step of a
// turn: the colours evenly spaced round the circle, clockwise from three
// o'clock, blended between neighbours.
class ConicTable {
public:
    static constexpr int steps = 1024;

    explicit ConicTable(const QList<QColor>& colours);
    // The colour at step, of a gradient turned clockwise by rotation steps.
    std::uint32_t at(int step, int rotation) const { return m_colours[(step - rotation) & (steps - 1)]; }
    // Replaces the colour at step, for tables derived from another.
    void set(int step, std::uint32_t colour) { m_colours[step & (steps - 1)] = colour; }

    // The step of a clockwise angle in degrees, any number of turns.
    static int stepOf(double degrees);
    // The step of the direction from centre to point, clockwise from three
    // o'clock on a screen whose y grows downward.
    static int stepToward(QPointF centre, QPointF point);

private:
    std::array<std::uint32_t, steps> m_colours;
};

// A conic gradient seen through a shape: the shape's covered pixels and
// their angles about centre are found once.
class ConicBand {
public:
    // coverage: the shape as an image (its alpha is the coverage), with its
    // device pixel ratio; centre in its points.
    ConicBand(const QImage& coverage, QPointF centre);

    // The shape filled with table turned by degrees.
    const QImage& turned(const ConicTable& table, double degrees);
    qreal devicePixelRatio() const { return m_image.devicePixelRatio(); }

private:
    struct Pixel {
        std::uint32_t offset;
        std::uint16_t step;
        std::uint8_t coverage;
    };
    std::vector<Pixel> m_pixels;
    QImage m_image;
    std::optional<std::pair<const ConicTable*, int>> m_shows;
};

// Premultiplied pixel arithmetic, channel by channel.
namespace PixelMath {

// The pixel's channels times a / 255 (Qt's byte multiply).
inline std::uint32_t scaled(std::uint32_t pixel, std::uint32_t a)
{
    std::uint32_t t = (pixel & 0xff00ff) * a;
    t = ((t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    std::uint32_t x = ((pixel >> 8) & 0xff00ff) * a;
    x = (x + ((x >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return x | t;
}

// The two pixels' sum, each channel capped at full: light added to light.
inline std::uint32_t addedSaturating(std::uint32_t a, std::uint32_t b)
{
    std::uint32_t low = (a & 0xff00ff) + (b & 0xff00ff);
    std::uint32_t high = ((a >> 8) & 0xff00ff) + ((b >> 8) & 0xff00ff);
    low = (low | (0x1000100 - ((low >> 8) & 0x10001))) & 0xff00ff;
    high = (high | (0x1000100 - ((high >> 8) & 0x10001))) & 0xff00ff;
    return low | (high << 8);
}

} // namespace PixelMath
