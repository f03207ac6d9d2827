#include "CardLights.h"

#include "model/BrandColors.h"
#include "panel/MascotArtwork.h"
#include "ui/GlowCache.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <numeric>

using PixelMath::addedSaturating;
using PixelMath::scaled;

namespace {

QColor colourAt(const QColor& colour, qreal opacity)
{
    QColor result = colour;
    result.setAlphaF(colour.alphaF() * opacity);
    return result;
}

QColor white(qreal opacity) { return QColor::fromRgbF(1, 1, 1, opacity); }

const QColor clear = Qt::transparent;

// The aurora and the three rings: their colours round the circle and the
// glow each ring casts.
struct Ring {
    Ring(const QList<QColor>& colours, qreal bandWidth, const QColor& glow)
        : colours(colours), glows(colours), bandWidth(bandWidth)
    {
        // The glow a ring casts where it is as opaque as at each step.
        const std::uint32_t glowColour = qPremultiply(glow.rgba());
        for (int step = 0; step < ConicTable::steps; ++step)
            glows.set(step, scaled(glowColour, this->colours.at(step, 0) >> 24));
    }
    ConicTable colours;
    ConicTable glows;
    qreal bandWidth;
};

const ConicTable& auroraTable()
{
    static const ConicTable table({clear, colourAt(lumivoViolet(), 0.15), colourAt(lumivoMagenta(), 0.2),
                                   colourAt(lumivoOrange(), 0.12), clear, clear});
    return table;
}

const std::array<Ring, 3>& rings()
{
    static const std::array<Ring, 3> all{{
        {{colourAt(lumivoViolet(), 0.94), colourAt(lumivoMagenta(), 0.88), colourAt(lumivoOrange(), 0.78),
          colourAt(lumivoMagenta(), 0.88), colourAt(lumivoViolet(), 0.94)},
         2,
         colourAt(lumivoMagenta(), 0.42)},
        {{clear, clear, clear, clear, white(1), clear, clear, clear, clear, clear, colourAt(lumivoOrange(), 0.95),
          clear, clear},
         2.8,
         white(0.6)},
        {{clear, clear, colourAt(lumivoViolet(), 0.95), clear, clear, clear, clear, white(0.85), clear, clear, clear},
         2.2,
         colourAt(lumivoViolet(), 0.55)},
    }};
    return all;
}

constexpr qreal ringGlowRadius = 5;
// Glow coverage below this (of 255) is too faint to work out.
constexpr int faintestGlow = 10;

// The rounded card in a picture's device pixels.
QPainterPath cardShape(const QRectF& card, qreal dpr)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(card.topLeft() * dpr, card.size() * dpr), CardLights::cornerRadius * dpr,
                        CardLights::cornerRadius * dpr);
    return path;
}

QImage deviceImage(QSize pixels, QImage::Format format)
{
    QImage image(pixels, format);
    image.fill(0);
    return image;
}

// The band inside the card's edge, width points wide, as white coverage.
QImage bandImage(QSize pixels, const QRectF& card, qreal width, qreal dpr)
{
    QImage band = deviceImage(pixels, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&band);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath ring = cardShape(card, dpr);
    QPainterPath inner;
    const QRectF inset = card.adjusted(width, width, -width, -width);
    const qreal radius = std::max<qreal>(0, CardLights::cornerRadius - width) * dpr;
    inner.addRoundedRect(QRectF(inset.topLeft() * dpr, inset.size() * dpr), radius, radius);
    ring.addPath(inner);
    ring.setFillRule(Qt::OddEvenFill);
    painter.fillPath(ring, Qt::white);
    return band;
}

// The blurred coverage of band, aligned with it.
QImage glowOf(const QImage& band, qreal dpr)
{
    QImage shape = band;
    shape.setDevicePixelRatio(dpr);
    const Glow glow = GlowCache::make(shape, ringGlowRadius, Qt::white);
    QImage aligned = deviceImage(band.size(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&aligned);
    QImage source = glow.image;
    source.setDevicePixelRatio(1);
    painter.drawImage(glow.origin * dpr, source);
    return aligned;
}

} // namespace

CardLights::CardLights(QSizeF cardSize, qreal devicePixelRatio) : m_cardSize(cardSize), m_dpr(devicePixelRatio)
{
    const QSizeF points = size();
    m_pixels = QSize(int(std::ceil(points.width() * m_dpr)), int(std::ceil(points.height() * m_dpr)));
    m_lit = deviceImage(m_pixels, QImage::Format_ARGB32_Premultiplied);
    m_lit.setDevicePixelRatio(m_dpr);
    prepareGeometry();
}

QSizeF CardLights::size() const { return m_cardSize.grownBy(margins); }

QRectF CardLights::cardRect() const { return QRectF(QPointF(margins.left(), margins.top()), m_cardSize); }

void CardLights::prepareGeometry()
{
    const QRectF card = cardRect();
    m_coverage = deviceImage(m_pixels, QImage::Format_Alpha8);
    {
        QPainter painter(&m_coverage);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(cardShape(card, m_dpr), Qt::white);
    }
    // Every pixel's angle about the card's centre, clockwise from three o'clock.
    const QPointF centre = card.center() * m_dpr;
    m_steps.resize(std::size_t(m_pixels.width()) * m_pixels.height());
    for (int y = 0; y < m_pixels.height(); ++y) {
        for (int x = 0; x < m_pixels.width(); ++x)
            m_steps[std::size_t(y) * m_pixels.width() + x] =
                std::uint16_t(ConicTable::stepToward(centre, QPointF(x + 0.5, y + 0.5)));
    }
    m_cardRows.resize(std::size_t(m_pixels.height()));
    for (int y = 0; y < m_pixels.height(); ++y) {
        const uchar* row = m_coverage.constScanLine(y);
        int from = 0;
        while (from < m_pixels.width() && !row[from])
            ++from;
        int to = m_pixels.width();
        while (to > from && !row[to - 1])
            --to;
        m_cardRows[std::size_t(y)] = {from, std::max(from, to)};
    }
    prepareRim();
}

void CardLights::prepareRim()
{
    const QRectF card = cardRect();
    std::array<QImage, 3> bands;
    std::array<QImage, 3> glows;
    for (std::size_t ring = 0; ring < 3; ++ring) {
        bands[ring] = bandImage(m_pixels, card, rings()[ring].bandWidth, m_dpr);
        glows[ring] = glowOf(bands[ring], m_dpr);
    }
    const QRectF cardPixels(card.topLeft() * m_dpr, card.size() * m_dpr);
    const qreal corner = cornerRadius * m_dpr;
    QRect outer;
    int inward = 0;
    for (int y = 0; y < m_pixels.height(); ++y) {
        std::array<const QRgb*, 3> bandRows;
        std::array<const QRgb*, 3> glowRows;
        for (std::size_t ring = 0; ring < 3; ++ring) {
            bandRows[ring] = reinterpret_cast<const QRgb*>(bands[ring].constScanLine(y));
            glowRows[ring] = reinterpret_cast<const QRgb*>(glows[ring].constScanLine(y));
        }
        for (int x = 0; x < m_pixels.width(); ++x) {
            RimPixel pixel{};
            bool lit = false;
            for (std::size_t ring = 0; ring < 3; ++ring) {
                pixel.band[ring] = std::uint8_t(qAlpha(bandRows[ring][x]));
                const int glow = qAlpha(glowRows[ring][x]);
                pixel.glow[ring] = std::uint8_t(glow >= faintestGlow ? glow : 0);
                lit = lit || pixel.band[ring] || pixel.glow[ring];
            }
            if (!lit)
                continue;
            const std::size_t offset = std::size_t(y) * m_pixels.width() + x;
            pixel.offset = std::uint32_t(offset);
            pixel.x = std::uint16_t(x);
            pixel.y = std::uint16_t(y);
            pixel.step = m_steps[offset];
            m_rimPixels.push_back(pixel);
            outer |= QRect(x, y, 1, 1);
            // How far inside the card the rings reach along its straight edges.
            const bool alongEdge = (x >= cardPixels.left() + corner && x < cardPixels.right() - corner)
                || (y >= cardPixels.top() + corner && y < cardPixels.bottom() - corner);
            if (alongEdge) {
                const qreal depth = std::min(
                    {x - cardPixels.left(), cardPixels.right() - x, y - cardPixels.top(), cardPixels.bottom() - y});
                inward = std::max(inward, int(std::ceil(depth)));
            }
        }
    }
    // The strips along the edges, with the corners' squares, in points.
    const int reach = int(std::ceil(inward / m_dpr)) + 1;
    const QRect outerPoints = QRectF(QPointF(outer.topLeft()) / m_dpr, QSizeF(outer.size()) / m_dpr).toAlignedRect();
    const QRect cardPoints = card.toAlignedRect();
    const int cornerSide = int(std::ceil(cornerRadius)) + reach;
    QRegion region = QRegion(outerPoints) - QRegion(cardPoints.adjusted(reach, reach, -reach, -reach));
    for (const QPoint& corner : {cardPoints.topLeft(), QPoint(cardPoints.right() + 1 - cornerSide, cardPoints.top()),
                                 QPoint(cardPoints.left(), cardPoints.bottom() + 1 - cornerSide),
                                 QPoint(cardPoints.right() + 1 - cornerSide, cardPoints.bottom() + 1 - cornerSide)})
        region += QRect(corner, QSize(cornerSide, cornerSide));
    m_rimRegion = region;
    // Each lit pixel's rectangle of the region, so that its changes gather by rectangle.
    m_strips.clear();
    for (const QRect& strip : region)
        m_strips.push_back(QRectF(QPointF(strip.topLeft()) * m_dpr, QSizeF(strip.size()) * m_dpr).toAlignedRect());
    for (RimPixel& pixel : m_rimPixels) {
        const QPoint at(pixel.x, pixel.y);
        const auto strip =
            std::find_if(m_strips.begin(), m_strips.end(), [&](const QRect& rect) { return rect.contains(at); });
        pixel.strip = std::uint8_t(std::min<std::ptrdiff_t>(strip - m_strips.begin(), 255));
    }
    // By angle, each step's pixels still row by row; and the row order kept as an index.
    std::stable_sort(m_rimPixels.begin(), m_rimPixels.end(),
                     [](const RimPixel& a, const RimPixel& b) { return a.step < b.step; });
    m_stepStart.assign(ConicTable::steps + 1, 0);
    for (const RimPixel& pixel : m_rimPixels)
        ++m_stepStart[pixel.step + 1];
    std::partial_sum(m_stepStart.begin(), m_stepStart.end(), m_stepStart.begin());
    m_rowOrder.resize(m_rimPixels.size());
    std::iota(m_rowOrder.begin(), m_rowOrder.end(), 0);
    std::sort(m_rowOrder.begin(), m_rowOrder.end(),
              [&](std::uint32_t a, std::uint32_t b) { return m_rimPixels[a].offset < m_rimPixels[b].offset; });
}

void CardLights::prepareBase(CompanionAppearance appearance)
{
    QPainterPath card;
    card.addRoundedRect(cardRect(), cornerRadius, cornerRadius);
    // The card casts its shadow as translucent as it is, and the shadow shows through it.
    QImage fill = transparentImage(size(), m_dpr);
    {
        QPainter painter(&fill);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(card, menuPanelGradient(appearance, cardRect()));
    }
    m_base = transparentImage(size(), m_dpr);
    QPainter painter(&m_base);
    const Glow shadow = GlowCache::make(fill, 16, QColor::fromRgbF(0, 0, 0, 0.18));
    painter.drawImage(shadow.origin + QPointF(0, 7), shadow.image);
    painter.drawImage(QPointF(0, 0), fill);
    painter.end();
    m_baseAppearance = appearance;
}

bool CardLights::composeStill(const QImage& content, const QRegion& changed, CompanionAppearance appearance,
                              double auroraPhase)
{
    const int rotation = ConicTable::stepOf(auroraPhase);
    const QRect picture(QPoint(0, 0), m_pixels);
    if (m_still.isNull())
        m_still = transparentImage(size(), m_dpr);
    if (m_baseAppearance != appearance)
        prepareBase(appearance);
    const bool turned = m_stillShows != std::pair(appearance, rotation);
    if (turned) {
        // The aurora reaches no further than the card; the margins change
        // only where the content does.
        const bool newGround = !m_stillShows || m_stillShows->first != appearance;
        const std::optional<int> shownRotation = newGround ? std::nullopt : std::optional(m_stillShows->second);
        m_stillShows = std::pair(appearance, rotation);
        const QRect card = QRectF(cardRect().topLeft() * m_dpr, cardRect().size() * m_dpr).toAlignedRect() & picture;
        composeRows(content, newGround ? picture : card, rotation, shownRotation);
        m_stillChanged.push_back(newGround ? picture : card);
    }
    for (const QRect& part : changed) {
        const QRect pixels =
            QRectF(QPointF(part.topLeft()) * m_dpr, QSizeF(part.size()) * m_dpr).toAlignedRect() & picture;
        composeRows(content, pixels, rotation);
        m_stillChanged.push_back(pixels);
    }
    return turned || !changed.isEmpty();
}

void CardLights::composeRows(const QImage& content, const QRect& pixels, int auroraRotation,
                             std::optional<int> shownRotation)
{
    const ConicTable& aurora = auroraTable();
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        const auto* ground = reinterpret_cast<const std::uint32_t*>(m_base.constScanLine(y));
        const auto* over = reinterpret_cast<const std::uint32_t*>(content.constScanLine(y));
        const uchar* coverage = m_coverage.constScanLine(y);
        const std::uint16_t* steps = m_steps.data() + std::size_t(y) * m_pixels.width();
        auto* out = reinterpret_cast<std::uint32_t*>(m_still.scanLine(y));
        const Span card = m_cardRows[std::size_t(y)];
        // When only the aurora turned, what lies outside the card, and where
        // its light is what it was, stays as it is.
        const int left = shownRotation ? std::max(pixels.left(), card.from) : pixels.left();
        const int right = shownRotation ? std::min(pixels.right(), card.to - 1) : pixels.right();
        for (int x = left; x <= right; ++x) {
            if (shownRotation && aurora.at(steps[x], auroraRotation) == aurora.at(steps[x], *shownRotation))
                continue;
            std::uint32_t under = ground[x];
            if (x >= card.from && x < card.to) {
                // The aurora adds its light to the card's fill, within the card.
                if (std::uint32_t light = aurora.at(steps[x], auroraRotation)) {
                    if (coverage[x] != 255)
                        light = scaled(light, coverage[x]);
                    under = addedSaturating(under, light);
                }
            }
            // Most of the card has no content over it.
            const std::uint32_t top = over[x];
            out[x] = top ? top + scaled(under, 255 - (top >> 24)) : under;
        }
    }
}

const QImage& CardLights::lightUp(const RingPhases& phases)
{
    const auto& all = rings();
    // The brand ring keeps the turn it shows until it has moved far enough.
    const int brandRotation = ConicTable::stepOf(phases.border);
    const int turned = m_brandRotation ? std::abs(brandRotation - *m_brandRotation) : 0;
    const bool brandMoved =
        !m_brandRotation || std::min(turned, ConicTable::steps - turned) >= ConicTable::stepOf(brandRedrawDegrees);
    if (brandMoved)
        m_brandRotation = brandRotation;
    const std::array<int, 3> rotations{*m_brandRotation, ConicTable::stepOf(phases.pulse),
                                       ConicTable::stepOf(phases.counterPulse)};
    // One ring at one pixel: its band, over the glow it casts. Most rim
    // pixels lie in the glow alone.
    auto lightOf = [&](std::size_t ring, const RimPixel& pixel) -> std::uint32_t {
        const Ring& turning = all[ring];
        const std::uint32_t colour = turning.colours.at(pixel.step, rotations[ring]);
        if (!colour)
            return 0;
        const std::uint32_t glow = scaled(turning.glows.at(pixel.step, rotations[ring]), pixel.glow[ring]);
        if (!pixel.band[ring])
            return glow;
        const std::uint32_t band = scaled(colour, pixel.band[ring]);
        return band + scaled(glow, 255 - (band >> 24));
    };
    const auto brandOver = [&](std::size_t index) {
        const std::uint32_t brand = lightOf(0, m_rimPixels[index]);
        return brand + scaled(m_under[index], 255 - (brand >> 24));
    };

    const auto shownAt = [&](std::size_t index) {
        const RimPixel& pixel = m_rimPixels[index];
        const std::uint32_t sparks = addedSaturating(lightOf(1, pixel), lightOf(2, pixel));
        return sparks ? addedSaturating(m_brandOver[index], sparks) : m_brandOver[index];
    };
    auto* out = reinterpret_cast<std::uint32_t*>(m_lit.bits());
    const auto toPoints = [&](const QRect& pixels) {
        return QRectF(QPointF(pixels.topLeft()) / m_dpr, QSizeF(pixels.size()) / m_dpr).toAlignedRect();
    };

    // The still picture's changes, with the rings put back over them.
    m_litChanged = QRegion();
    m_under.resize(m_rimPixels.size());
    m_brandOver.resize(m_rimPixels.size());
    m_shown.resize(m_rimPixels.size());
    const auto* still = reinterpret_cast<const std::uint32_t*>(m_still.constBits());
    for (const QRect& pixels : std::exchange(m_stillChanged, {})) {
        for (int y = pixels.top(); y <= pixels.bottom(); ++y)
            std::memcpy(m_lit.scanLine(y) + pixels.left() * 4, m_still.constScanLine(y) + pixels.left() * 4,
                        std::size_t(pixels.width()) * 4);
        m_litChanged += toPoints(pixels);
        const auto first = std::lower_bound(m_rowOrder.begin(), m_rowOrder.end(), pixels.top(),
                                            [&](std::uint32_t index, int y) { return m_rimPixels[index].y < y; });
        for (auto index = first; index != m_rowOrder.end() && m_rimPixels[*index].y <= pixels.bottom(); ++index) {
            const RimPixel& pixel = m_rimPixels[*index];
            if (pixel.x < pixels.left() || pixel.x > pixels.right())
                continue;
            m_under[*index] = still[pixel.offset];
            m_brandOver[*index] = brandOver(*index);
            m_shown[*index] = out[pixel.offset] = shownAt(*index);
        }
    }

    // The rings' turns: every step when the brand ring moved, else only the
    // steps where a spark's colour moved. The pixels that changed gather
    // into one rectangle per strip of the rim for each run of steps.
    const auto sparksMoved = [&](int step) {
        return all[1].colours.at(step, rotations[1]) != all[1].colours.at(step, m_sparkRotations[0])
            || all[2].colours.at(step, rotations[2]) != all[2].colours.at(step, m_sparkRotations[1]);
    };
    struct Bounds {
        int left = INT_MAX;
        int top = INT_MAX;
        int right = -1;
        int bottom = -1;
    };
    std::vector<Bounds> run(m_strips.size());
    bool runChanged = false;
    bool outsideStrips = false;
    const auto closeRun = [&] {
        if (!std::exchange(runChanged, false))
            return;
        for (Bounds& bounds : run) {
            if (bounds.right >= 0)
                m_litChanged += toPoints(QRect(QPoint(bounds.left, bounds.top), QPoint(bounds.right, bounds.bottom)));
            bounds = {};
        }
    };
    for (int step = 0; step < ConicTable::steps; ++step) {
        if (!brandMoved && !sparksMoved(step)) {
            closeRun();
            continue;
        }
        for (std::uint32_t index = m_stepStart[step]; index < m_stepStart[step + 1]; ++index) {
            if (brandMoved)
                m_brandOver[index] = brandOver(index);
            const std::uint32_t shown = shownAt(index);
            if (shown == m_shown[index])
                continue;
            const RimPixel& pixel = m_rimPixels[index];
            m_shown[index] = out[pixel.offset] = shown;
            if (pixel.strip >= run.size()) {
                outsideStrips = true;
                continue;
            }
            Bounds& bounds = run[pixel.strip];
            bounds = {std::min<int>(bounds.left, pixel.x), std::min<int>(bounds.top, pixel.y),
                      std::max<int>(bounds.right, pixel.x), std::max<int>(bounds.bottom, pixel.y)};
            runChanged = true;
        }
    }
    closeRun();
    m_sparkRotations = {rotations[1], rotations[2]};
    if (outsideStrips)
        m_litChanged += m_rimRegion;
    return m_lit;
}
