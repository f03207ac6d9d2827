#include "ConicGradient.h"

#include <QPainter>
#include <QPainterPath>

QConicalGradient clockwiseConicGradient(QPointF centre, const QList<QColor>& colours, qreal rotationDegrees)
{
    // Qt measures anticlockwise from three o'clock; a clockwise turn is a
    // negative start angle.
    QConicalGradient gradient(centre, -rotationDegrees);
    const qsizetype last = colours.size() - 1;
    for (qsizetype i = 0; i <= last; ++i) {
        const qreal clockwise = last > 0 ? qreal(i) / last : 0;
        gradient.setColorAt(1 - clockwise, colours[i]);
    }
    return gradient;
}

void fillAdditive(QPainter& painter, const QPainterPath& path, const QBrush& brush)
{
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    painter.fillPath(path, brush);
    painter.restore();
}
