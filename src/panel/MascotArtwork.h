#pragma once

#include "model/CompanionRecords.h"

#include <QImage>
#include <QLinearGradient>
#include <QRectF>

class ResourceBundle;

// The mascot's pictures and the opened menu's background, shared by the
// panel and the menus.

// The swirl mark "vora-logo-light-canonical"; the mascot logo when the mark
// is missing or does not load. Never empty.
QImage voraSwirlImage(const ResourceBundle& bundle);

// The mascot logo "vora-agent-logo"; the application's icon when the logo is
// missing or does not load. Never empty.
QImage voraLogoImage(const ResourceBundle& bundle);

// picture fitted, its proportions kept, into a centred square of points at
// device pixel ratio dpr, each new pixel the average of the picture's pixels
// it covers: shrinking a large picture in one filtered draw samples only a
// few of them and leaves stair steps along its edges.
QImage shrunkToFit(const QImage& picture, qreal points, qreal dpr);

// The opened menu's background across rect, from its top-leading to its
// bottom-trailing corner, in the stops of the appearance.
QLinearGradient menuPanelGradient(CompanionAppearance appearance, const QRectF& rect);
