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

// The opened menu's background across rect, from its top-leading to its
// bottom-trailing corner, in the stops of the appearance.
QLinearGradient menuPanelGradient(CompanionAppearance appearance, const QRectF& rect);
