#pragma once

#include "FloatingSwirl.h"

#include <QImage>
#include <QRegion>

#include <QPainter>

#include <memory>
#include <optional>

// The mascot figure as the panel shows it: composed off screen, each frame
// only where it may differ from the one before, and copied to the screen
// from there. A new frame answers where its pixels really changed, so the
// panel repaints (and sends to the X server) only those.
class FigurePicture {
public:
    // Where the figure stands: its centre in a view of viewSize points at ratio dpr.
    struct Place {
        QPointF centre;
        QSizeF viewSize;
        qreal dpr = 1;
        friend bool operator==(const Place&, const Place&) = default;
    };

    // Brings the picture to frame of figure at place; answers the view's
    // points that changed.
    QRegion compose(FloatingSwirl& figure, const FloatingSwirl::Frame& frame, const Place& place);
    // The frame the picture shows, if any.
    const std::optional<FloatingSwirl::Frame>& frame() const { return m_frame; }
    bool shows(const FloatingSwirl::Frame& frame, const Place& place) const
    {
        return m_frame == frame && m_place == place;
    }

    // Paints the picture where it meets area, in the view's points.
    void paint(QPainter& painter, const QRegion& area) const;

    // Lets go of the pictures.
    void clear();

private:
    // Makes a new picture for the figure at place, big enough for every
    // frame the figure takes and for frame; answers where the last one lay.
    QRegion makePicture(const FloatingSwirl& figure, const FloatingSwirl::Frame& frame, const Place& place);

    Place m_place;
    // Where the picture lies in the view, in the view's pixels.
    QRect m_pixels;
    std::optional<FloatingSwirl::Frame> m_frame;
    QImage m_shown;
    // A picture with the painter that stays on it, set to the view's points:
    // beginning a painter costs as much as composing a small frame.
    struct Canvas {
        QImage image;
        std::unique_ptr<QPainter> painter;
    };
    // What lies beneath the swirl, as the frame shows it, unlifted.
    Canvas m_ground;
    // Where a frame is composed before its changes are carried over.
    Canvas m_next;
};
