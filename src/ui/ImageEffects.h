#pragma once

#include <QImage>

// The image with amount (0 to 1) added to each colour channel where it is
// drawn, as a brightness effect does; transparent pixels stay transparent.
QImage brightened(const QImage& image, qreal amount);

// Draws half, a premultiplied picture, at twice its size into target,
// filtered as Qt's smooth scaling does it (each new pixel three quarters of
// its nearest source pixel and a quarter of the next, across and down), to a
// few levels, several times faster. target takes the ratio dpr and keeps
// its pixels when it already has the size.
void drawDoubled(const QImage& half, qreal dpr, QImage& target);
