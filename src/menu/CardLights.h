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
    // The card with its margins, in points; the card's place in it.
    QSizeF size() const;
    QRectF cardRect() const;

    // The drop shadow and the card filled in the appearance's gradient, the
    // aurora turned by auroraPhase degrees added to it.
    const QImage& backdrop(CompanionAppearance appearance, double auroraPhase);

    struct RingPhases {
        double border = 0;
        double pulse = 0;
        double counterPulse = 0;
    };
    // The rings at these phases: the brand ring in its normal blend, and the
    // two spark rings to be added to what lies beneath (plus-lighter).
    void turnRings(const RingPhases& phases);
    const QImage& normalRings() const { return m_normalRings; }
    const QImage& addedRings() const { return m_addedRings; }

    // Where the rings paint, in points of the picture.
    const QRegion& rimRegion() const { return m_rimRegion; }
    // How many pixels the rings are worked out for.
    std::size_t rimPixelCount() const { return m_rim.size(); }

private:
    struct RimPixel {
        std::uint32_t offset;   // index into the pictures' pixels
        std::uint16_t step;     // its angle about the card's centre
        std::array<std::uint8_t, 3> band;
        std::array<std::uint8_t, 3> glow;
    };
    struct Span {
        int row;
        int from;
        int to;   // past the last
    };

    void prepareGeometry();
    void prepareRim(const std::vector<std::uint16_t>& steps);
    void prepareBase(CompanionAppearance appearance);

    QSizeF m_cardSize;
    qreal m_dpr;
    QSize m_pixels;
    // The card's coverage and its pixels' angles, for the aurora.
    QImage m_coverage;
    std::vector<Span> m_cardSpans;
    std::vector<std::uint16_t> m_cardSteps;   // along m_cardSpans, in order
    std::vector<RimPixel> m_rim;
    QRegion m_rimRegion;

    std::optional<CompanionAppearance> m_baseAppearance;
    QImage m_base;
    QImage m_backdrop;
    std::optional<std::pair<CompanionAppearance, int>> m_backdropShows;

    QImage m_normalRings;
    QImage m_addedRings;
    std::optional<std::array<int, 3>> m_ringSteps;
};
