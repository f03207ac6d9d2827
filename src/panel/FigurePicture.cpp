#include "FigurePicture.h"

#include "ui/BandedPainting.h"
#include "ui/ChangedPixels.h"

#include <QPainter>

#include <cstring>

namespace {

QRect pixelsOf(const QRectF& points, qreal dpr)
{
    return QRectF(points.topLeft() * dpr, points.size() * dpr).toAlignedRect();
}

QRectF pointsOf(const QRect& pixels, qreal dpr)
{
    return QRectF(QPointF(pixels.topLeft()) / dpr, QSizeF(pixels.size()) / dpr);
}

void clearPixels(QImage& image, const QRect& pixels)
{
    for (int y = pixels.top(); y <= pixels.bottom(); ++y)
        std::memset(image.scanLine(y) + pixels.left() * 4, 0, std::size_t(pixels.width()) * 4);
}

// Copies pixels of from, moved down by rows, into into; what comes from
// beyond from's edge is clear.
void copyPixels(const QImage& from, QImage& into, const QRect& pixels, int rows)
{
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        uchar* line = into.scanLine(y) + pixels.left() * 4;
        const int source = y - rows;
        if (source >= 0 && source < from.height())
            std::memcpy(line, from.constScanLine(source) + pixels.left() * 4, std::size_t(pixels.width()) * 4);
        else
            std::memset(line, 0, std::size_t(pixels.width()) * 4);
    }
}

FloatingSwirl::Frame unlifted(FloatingSwirl::Frame frame)
{
    frame.lift = 0;
    return frame;
}

} // namespace

QRegion FigurePicture::makePicture(const FloatingSwirl& figure, const FloatingSwirl::Frame& frame, const Place& place)
{
    const QRegion last = m_shown.isNull() ? QRegion() : QRegion(pointsOf(m_pixels, m_place.dpr).toAlignedRect());
    const QRect view = pixelsOf(QRectF(QPointF(0, 0), place.viewSize), place.dpr);
    m_pixels = (pixelsOf(figure.farthestReach().translated(place.centre), place.dpr)
                | pixelsOf(figure.reach(frame).translated(place.centre), place.dpr))
        & view;
    m_place = place;
    m_frame.reset();
    m_shown = QImage(m_pixels.size(), QImage::Format_ARGB32_Premultiplied);
    m_shown.fill(0);
    for (Canvas* canvas : {&m_ground, &m_next}) {
        canvas->painter.reset();
        canvas->image = QImage(m_pixels.size(), QImage::Format_ARGB32_Premultiplied);
        canvas->image.setDevicePixelRatio(place.dpr);
        canvas->painter = std::make_unique<QPainter>(&canvas->image);
        canvas->painter->translate(-pointsOf(m_pixels, place.dpr).topLeft());
    }
    return last;
}

QRegion FigurePicture::compose(FloatingSwirl& figure, const FloatingSwirl::Frame& frame, const Place& place)
{
    const qreal dpr = place.dpr;
    const QPointF centre = place.centre;
    figure.prepare(dpr);
    const QRect needed =
        pixelsOf(figure.reach(frame).translated(centre), dpr) & pixelsOf(QRectF(QPointF(0, 0), place.viewSize), dpr);
    QRegion changed;
    if (!m_frame || place != m_place || !m_pixels.contains(needed))
        changed = makePicture(figure, frame, place);
    // Where the two frames, and their grounds, may differ, in the picture's
    // pixels: one rectangle each, so the swirl is turned once per band.
    const auto inPicture = [&](const QRect& points) {
        return pixelsOf(QRectF(points.translated(centre.toPoint())), dpr).translated(-m_pixels.topLeft())
            & m_next.image.rect();
    };
    // The ground is kept as it stands unlifted: the float only moves it, by
    // whole device pixels, as it is copied under the swirl.
    const FloatingSwirl::Frame ground = unlifted(frame);
    const QRect area = m_frame ? inPicture(figure.changedArea(*m_frame, frame)) : m_next.image.rect();
    const QRect groundArea =
        m_frame ? inPicture(figure.changedGround(unlifted(*m_frame), ground)) : m_next.image.rect();
    // Painted in the view's points, onto pictures that start at the picture's place.
    const QPointF origin = pointsOf(m_pixels, dpr).topLeft();
    using Layer = void (FloatingSwirl::*)(QPainter&, QPointF, const FloatingSwirl::Frame&, const QRectF&);
    const auto paintPart = [&](Canvas& canvas, const QRect& part, Layer layer, const FloatingSwirl::Frame& shown) {
        QPainter& painter = *canvas.painter;
        paintInBands(painter, pointsOf(part, dpr).translated(origin),
                     [&](const QRectF& band) { (figure.*layer)(painter, centre, shown, band); });
    };
    // The ground is painted again where it changed; the swirl and the
    // sparkles go over it wherever the frame may differ.
    clearPixels(m_ground.image, groundArea);
    paintPart(m_ground, groundArea, &FloatingSwirl::paintGround, ground);
    copyPixels(m_ground.image, m_next.image, area, qRound(frame.lift * dpr));
    paintPart(m_next, area, &FloatingSwirl::paintOverGround, frame);
    m_frame = frame;
    return changed
        + pointsOfPixels(carryChangedPixels(m_next.image, m_shown, area).translated(m_pixels.topLeft()), dpr);
}

void FigurePicture::paint(QPainter& painter, const QRegion& area) const
{
    if (m_shown.isNull())
        return;
    for (const QRect& part : pixelsOfPoints(area, m_place.dpr) & m_pixels) {
        for (const QRectF& band : paintingBands(QRectF(part), 1)) {
            const QRect pixels = band.toRect();
            painter.drawImage(pointsOf(pixels, m_place.dpr), m_shown, QRectF(pixels.translated(-m_pixels.topLeft())));
        }
    }
}

void FigurePicture::clear()
{
    m_frame.reset();
    m_shown = {};
    for (Canvas* canvas : {&m_ground, &m_next}) {
        canvas->painter.reset();
        canvas->image = {};
    }
}
