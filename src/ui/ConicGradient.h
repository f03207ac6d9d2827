#pragma once

#include <QColor>
#include <QConicalGradient>
#include <QList>

class QPainter;
class QPainterPath;

// A conic gradient as the views describe one: colours evenly spaced all the
// way round, starting at three o'clock and running clockwise on screen, the
// whole turned clockwise by rotation degrees. Qt's conical gradient runs
// anticlockwise, so the stops are mirrored.
QConicalGradient clockwiseConicGradient(QPointF centre, const QList<QColor>& colours, qreal rotationDegrees);

// Fills path with brush, adding its light to what is beneath (plus-lighter).
void fillAdditive(QPainter& painter, const QPainterPath& path, const QBrush& brush);
