#pragma once

#include <QPointF>
#include <QRectF>

// The companion places windows in screen points with the origin at the
// bottom-left corner of the primary screen and y growing upwards. Qt (and
// X11) count from the top-left corner of the whole desktop with y growing
// downwards. Placing other applications' windows uses a third space: origin
// at the top-left corner of the primary screen, y growing downwards.
// These are the only conversions between them.
namespace DesktopCoordinates {

// The primary screen's geometry in Qt's coordinates: the origin of the
// companion's (empty without a screen).
QRectF primaryScreenGeometry();

// primary is the primary screen's geometry in Qt's coordinates.
QRectF fromQt(const QRectF& rect, const QRectF& primary);
QRectF toQt(const QRectF& rect, const QRectF& primary);
QPointF pointFromQt(const QPointF& point, const QRectF& primary);

// From the top-left, y-down space of the primary screen to Qt's.
QPointF windowPlacementPointToQt(const QPointF& point, const QRectF& primary);

} // namespace DesktopCoordinates
