#pragma once

#include <QImage>

// The image with amount (0 to 1) added to each colour channel where it is
// drawn, as a brightness effect does; transparent pixels stay transparent.
QImage brightened(const QImage& image, qreal amount);
