#pragma once

#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QStringView>

#include <functional>
#include <initializer_list>

class QPainter;

// The looks the opened menu's rows and panels share, and the small drawing
// helpers their labels are made with. Sizes are in points.

// Colours.
QColor menuText();      // the primary text: white
QColor menuSecondary(); // section labels and sub-labels: white at 0.95
QColor iconSurface();   // the dark square or circle behind icons: black at 0.96
QColor whiteAt(qreal opacity);
QColor withOpacity(QColor colour, qreal opacity);

// Gradients across rect.
QLinearGradient buttonGradient(const QRectF& rect);       // dark fill of tiles and buttons
QLinearGradient glassButtonRim(const QRectF& rect);       // their rim stroke
QLinearGradient primaryBrandGradient(const QRectF& rect); // violet, magenta, orange, leading to trailing
QLinearGradient voraIconGradient(const QRectF& rect);     // the same, bottom-leading to top-trailing

// The tile title font: 11.5 points, bold.
QFont actionTitleFont();
// The system font with letters spaced by tracking points.
QFont trackedFont(qreal size, QFont::Weight weight, qreal tracking);

// Shapes.
QPainterPath capsulePath(const QRectF& rect);
QPainterPath roundedPath(const QRectF& rect, qreal radius);

// A named symbol at a font size, centred at centre.
QPainterPath symbolAt(QStringView name, qreal fontSize, QPointF centre);

struct Shadow {
    QColor colour;
    qreal radius;
    QPointF offset;
};
// Paints what draw paints over the shadows it casts: each shadow is cast by
// the drawing and the shadows before it. area bounds the drawing.
void paintWithShadows(QPainter& painter, const QRectF& area, std::initializer_list<Shadow> shadows,
                      const std::function<void(QPainter&)>& draw);

// How far past its shape a shadow reaches.
qreal shadowReach(const Shadow& shadow);

// Text on one line within rect: shrunk down to minimumScale of its size when
// it does not fit, then cut with an ellipsis.
void drawLine(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font, qreal minimumScale,
              Qt::Alignment alignment, const QBrush& brush);
// The width text takes in font.
qreal textWidth(const QString& text, const QFont& font);
qreal lineHeight(const QFont& font);
