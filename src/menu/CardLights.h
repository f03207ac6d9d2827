#pragma once

#include "ConicTable.h"
#include "model/CompanionRecords.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QMarginsF>
#include <QRegion>
#include <QSizeF>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// The opened menu card's ground and its turning light, prepared once per
// card size: the drop shadow and the fill, the aurora turning over the fill,
// and the three rings running round the edge. A conic gradient turned by a
// phase is then one table lookup per pixel, so a frame of turning light
// costs little; only the strips along the edge change with the rings.
class CardLights {
public:
    // Room around the card for its drop shadow and the rings' glow.
    static constexpr QMarginsF margins{28, 24, 28, 36};
    static constexpr qreal cornerRadius = 17;

    CardLights(QSizeF cardSize, qreal devicePixelRatio);

    QSizeF cardSize() const { return m_cardSize; }
    qreal devicePixelRatio() const { return m_dpr; }
    // The card with its margins, in points and in pixels; the card's place in it.
    QSizeF size() const;
    QSize pixelSize() const { return m_pixels; }
    QRectF cardRect() const;

    // The card's still picture: the drop shadow and the card filled in the
    // appearance's gradient, the aurora turned by auroraPhase degrees added
    // to it, and content (a picture of this size) over them. It is worked
    // out again within changed (in points), or everywhere when the aurora
    // or the appearance is not what it showed; answers whether anything was.
    bool composeStill(const QImage& content, const QRegion& changed, CompanionAppearance appearance,
                      double auroraPhase);
    const QImage& still() const { return m_still; }

    struct RingPhases {
        double border = 0;
        double pulse = 0;
        double counterPulse = 0;
    };
    // The card as it shows: the still picture with the rings at these
    // phases over its rim, the brand ring in its normal blend, the two
    // spark rings added to what lies beneath (plus-lighter). The slow brand
    // ring is drawn again once it has turned brandRedrawDegrees; a pixel no
    // spark lights, now or before, is left as it was.
    const QImage& lightUp(const RingPhases& phases);
    static constexpr double brandRedrawDegrees = 3.5;
    // Where the lit picture changed in the last lightUp(), in points.
    const QRegion& litChanged() const { return m_litChanged; }

    // Where the rings paint, in points of the picture.
    const QRegion& rimRegion() const { return m_rimRegion; }

private:
    struct RimPixel {
        std::uint32_t offset; // index into the pictures' pixels
        std::uint16_t x;
        std::uint16_t y;
        std::uint16_t step; // its angle about the card's centre
        std::uint8_t strip; // the rectangle of the rim's region it lies in
        std::array<std::uint8_t, 3> band;
        std::array<std::uint8_t, 3> glow;
    };
    struct Span {
        int from = 0;
        int to = 0; // past the last
    };

    void prepareGeometry();
    void prepareRim();
    void prepareBase(CompanionAppearance appearance);
    // Composes the still picture within pixels; given the aurora's turn it
    // showed, only where its light differs.
    void composeRows(const QImage& content, const QRect& pixels, int auroraRotation,
                     std::optional<int> shownRotation = std::nullopt);

    QSizeF m_cardSize;
    qreal m_dpr;
    QSize m_pixels;
    // The card's coverage, the span of each row it covers, and every pixel's
    // angle about its centre.
    QImage m_coverage;
    std::vector<Span> m_cardRows;
    std::vector<std::uint16_t> m_steps;
    // The rim's pixels in the order of their angles, those of one step
    // together: a turn of the sparks changes the light only at the steps
    // where their colours moved, and a frame visits only those.
    std::vector<RimPixel> m_rimPixels;
    // Where each step's pixels begin, and one past the last.
    std::vector<std::uint32_t> m_stepStart;
    // The rim's pixels row by row, to find those beneath a change of the still picture.
    std::vector<std::uint32_t> m_rowOrder;
    QRegion m_rimRegion;

    std::optional<CompanionAppearance> m_baseAppearance;
    QImage m_base;
    QImage m_still;
    std::optional<std::pair<CompanionAppearance, int>> m_stillShows;
    // Where the still picture changed since the lit one last followed it, in pixels.
    std::vector<QRect> m_stillChanged;

    QImage m_lit;
    QRegion m_litChanged;
    // The rim region's rectangles, in pixels.
    std::vector<QRect> m_strips;
    // Per rim pixel, side by side so that a frame reads them in one sweep
    // (the picture's own pixels lie far apart): the still picture beneath
    // it, the brand ring over that, and what the lit picture shows; and the
    // turns the rings show.
    std::vector<std::uint32_t> m_under;
    std::vector<std::uint32_t> m_brandOver;
    std::vector<std::uint32_t> m_shown;
    std::optional<int> m_brandRotation;
    std::array<int, 2> m_sparkRotations{};
};
