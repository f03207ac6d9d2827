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

void copyPixels(const QImage& from, QImage& into, const QRect& pixels)
{
    for (int y = pixels.top(); y <= pixels.bottom(); ++y)
        std::memcpy(into.scanLine(y) + pixels.left() * 4, from.constScanLine(y) + pixels.left() * 4,
                    std::size_t(pixels.width()) * 4);
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
    for (QImage* layer : {&m_ground, &m_next}) {
        *layer = QImage(m_pixels.size(), QImage::Format_ARGB32_Premultiplied);
        layer->setDevicePixelRatio(place.dpr);
    }
    return last;
}

QRegion FigurePicture::compose(FloatingSwirl& figure, const FloatingSwirl::Frame& frame, const Place& place)
{
    const qreal dpr = place.dpr;
    const QPointF centre = place.centre;
    figure.prepare(dpr);
    const QRect needed = pixelsOf(figure.reach(frame).translated(centre), dpr)
                         & pixelsOf(QRectF(QPointF(0, 0), place.viewSize), dpr);
    QRegion changed;
    if (!m_frame || place != m_place || !m_pixels.contains(needed))
        changed = makePicture(figure, frame, place);
    // Where the two frames, and their grounds, may differ, in the picture's
    // pixels: one rectangle each, so the swirl is turned once per band.
    const auto inPicture = [&](const QRect& points) {
        return pixelsOf(QRectF(points.translated(centre.toPoint())), dpr).translated(-m_pixels.topLeft()) & m_next.rect();
    };
    const QRect area = m_frame ? inPicture(figure.changedArea(*m_frame, frame)) : m_next.rect();
    const QRect ground = m_frame ? inPicture(figure.changedGround(*m_frame, frame)) : m_next.rect();
    // Painted in the view's points, onto pictures that start at the picture's place.
    const QPointF origin = pointsOf(m_pixels, dpr).topLeft();
    using Layer = void (FloatingSwirl::*)(QPainter&, QPointF, const FloatingSwirl::Frame&, const QRectF&);
    const auto paintPart = [&](QImage& picture, const QRect& part, Layer layer) {
        if (part.isEmpty())
            return;
        QPainter painter(&picture);
        painter.translate(-origin);
        paintInBands(painter, pointsOf(part, dpr).translated(origin),
                     [&](const QRectF& band) { (figure.*layer)(painter, centre, frame, band); });
    };
    // The ground is painted again where it changed; the swirl and the
    // sparkles go over it wherever the frame may differ.
    clearPixels(m_ground, ground);
    paintPart(m_ground, ground, &FloatingSwirl::paintGround);
    copyPixels(m_ground, m_next, area);
    paintPart(m_next, area, &FloatingSwirl::paintOverGround);
    m_frame = frame;
    return changed + pointsOfPixels(carryChangedPixels(m_next, m_shown, area).translated(m_pixels.topLeft()), dpr);
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
    m_ground = {};
    m_next = {};
}
