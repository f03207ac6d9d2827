#include "MenuScrolling.h"

#include <QWheelEvent>

qreal wheelPoints(QPoint pixelDelta, QPoint angleDelta, Qt::Orientation orientation)
{
    auto along = [orientation](QPoint delta) -> qreal {
        if (orientation == Qt::Vertical)
            return delta.y();
        return delta.x() != 0 ? delta.x() : delta.y();
    };
    // Turned towards the user (a negative delta) the content moves on.
    if (!pixelDelta.isNull())
        return -along(pixelDelta);
    return -along(angleDelta) / 120.0 * ScrollViewport::pointsPerNotch;
}

ScrollViewport::ScrollViewport(Qt::Orientation orientation, std::function<void(qreal)> scrollBy, QWidget* parent)
    : QWidget(parent), m_orientation(orientation), m_scrollBy(std::move(scrollBy))
{
    show();
}

void ScrollViewport::wheelEvent(QWheelEvent* event)
{
    const qreal points = wheelPoints(event->pixelDelta(), event->angleDelta(), m_orientation);
    if (points != 0)
        m_scrollBy(points);
    event->accept();
}
