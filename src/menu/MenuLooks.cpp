#include "MenuLooks.h"

#include "model/BrandColors.h"
#include "ui/FittedText.h"
#include "ui/GlowCache.h"
#include "ui/Symbols.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

// A symbol's box is a fifth larger than the font size it is set in.
constexpr qreal symbolBoxPerFontSize = 1.2;

QColor grey(qreal level, qreal opacity) { return QColor::fromRgbF(level, level, level, opacity); }

QLinearGradient brandStops(QLinearGradient gradient)
{
    gradient.setColorAt(0, lumivoViolet());
    gradient.setColorAt(0.5, lumivoMagenta());
    gradient.setColorAt(1, lumivoOrange());
    return gradient;
}

} // namespace

QColor menuText() { return Qt::white; }

QColor menuSecondary() { return whiteAt(0.95); }

QColor iconSurface() { return QColor::fromRgbF(0, 0, 0, 0.96); }

QColor whiteAt(qreal opacity) { return QColor::fromRgbF(1, 1, 1, opacity); }

QColor withOpacity(QColor colour, qreal opacity)
{
    colour.setAlphaF(colour.alphaF() * opacity);
    return colour;
}

QLinearGradient buttonGradient(const QRectF& rect)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    gradient.setColorAt(0, grey(0.105, 0.98));
    gradient.setColorAt(1, grey(0.025, 0.96));
    return gradient;
}

QLinearGradient glassButtonRim(const QRectF& rect)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    gradient.setColorAt(0, whiteAt(0.24));
    gradient.setColorAt(0.5, whiteAt(0.1));
    gradient.setColorAt(1, withOpacity(lumivoMagenta(), 0.18));
    return gradient;
}

QLinearGradient primaryBrandGradient(const QRectF& rect)
{
    return brandStops(
        QLinearGradient(QPointF(rect.left(), rect.center().y()), QPointF(rect.right(), rect.center().y())));
}

QLinearGradient voraIconGradient(const QRectF& rect)
{
    return brandStops(QLinearGradient(rect.bottomLeft(), rect.topRight()));
}

QFont actionTitleFont() { return systemFont(11.5, QFont::Bold); }

QFont trackedFont(qreal size, QFont::Weight weight, qreal tracking)
{
    QFont font = systemFont(size, weight);
    font.setLetterSpacing(QFont::AbsoluteSpacing, tracking);
    return font;
}

QPainterPath capsulePath(const QRectF& rect)
{
    const qreal radius = std::min(rect.width(), rect.height()) / 2;
    return roundedPath(rect, radius);
}

QPainterPath roundedPath(const QRectF& rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QPainterPath symbolAt(QStringView name, qreal fontSize, QPointF centre)
{
    QPainterPath glyph = Symbols::path(name, fontSize * symbolBoxPerFontSize);
    glyph.translate(centre);
    return glyph;
}

qreal shadowReach(const Shadow& shadow)
{
    // As far as a glow of the shared cache spreads, plus its offset.
    return std::ceil(shadow.radius * 2.5) + std::max(std::abs(shadow.offset.x()), std::abs(shadow.offset.y()));
}

void paintWithShadows(QPainter& painter, const QRectF& area, std::initializer_list<Shadow> shadows,
                      const std::function<void(QPainter&)>& draw)
{
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    qreal margin = 0;
    for (const Shadow& shadow : shadows)
        margin += shadowReach(shadow);
    const QRectF canvas = area.adjusted(-margin, -margin, margin, margin);
    QImage layered = transparentImage(canvas.size(), dpr);
    {
        QPainter inner(&layered);
        inner.setRenderHints(painter.renderHints());
        inner.translate(-canvas.topLeft());
        draw(inner);
    }
    for (const Shadow& shadow : shadows) {
        if (shadow.colour.alpha() == 0)
            continue;
        const Glow glow = GlowCache::make(layered, shadow.radius, shadow.colour);
        QImage next = transparentImage(canvas.size(), dpr);
        QPainter inner(&next);
        inner.drawImage(glow.origin + shadow.offset, glow.image);
        inner.drawImage(QPointF(0, 0), layered);
        inner.end();
        layered = next;
    }
    painter.drawImage(canvas.topLeft(), layered);
}

qreal textWidth(const QString& text, const QFont& font) { return QFontMetricsF(font).horizontalAdvance(text); }

qreal lineHeight(const QFont& font) { return QFontMetricsF(font).height(); }

void drawLine(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font, qreal minimumScale,
              Qt::Alignment alignment, const QBrush& brush)
{
    const QFont fitted = shrunkToFit(font, text, rect.width(), minimumScale);
    const QString shown = QFontMetricsF(fitted).elidedText(text, Qt::ElideRight, rect.width());
    painter.save();
    painter.setFont(fitted);
    painter.setPen(QPen(brush, 0));
    painter.drawText(rect, int(alignment | Qt::AlignVCenter) | Qt::TextSingleLine, shown);
    painter.restore();
}
