#include "platform/DesktopCoordinates.h"

#include <QGuiApplication>
#include <QScreen>

namespace DesktopCoordinates {

QRectF primaryScreenGeometry()
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? QRectF(primary->geometry()) : QRectF();
}

QRectF fromQt(const QRectF& rect, const QRectF& primary)
{
    return {rect.x() - primary.x(), primary.bottom() - rect.bottom(), rect.width(), rect.height()};
}

QRectF toQt(const QRectF& rect, const QRectF& primary)
{
    // QRectF::bottom() is y + height, so the flip is its own inverse.
    return {rect.x() + primary.x(), primary.bottom() - rect.y() - rect.height(), rect.width(), rect.height()};
}

QPointF pointFromQt(const QPointF& point, const QRectF& primary)
{
    return {point.x() - primary.x(), primary.bottom() - point.y()};
}

QPointF windowPlacementPointToQt(const QPointF& point, const QRectF& primary) { return point + primary.topLeft(); }

} // namespace DesktopCoordinates
