#pragma once

#include <QColor>

// The three brand colours of the interface, in sRGB; each is made once on
// first use and shared by every view.
const QColor& lumivoViolet();
const QColor& lumivoMagenta();
const QColor& lumivoOrange();
