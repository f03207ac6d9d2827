#include "MenuSection.h"

#include "MenuMetrics.h"
#include "ui/GlowCache.h"

#include <QPainter>

qreal MenuContext::columnLeft() { return MenuMetrics::menuPadding; }

qreal MenuContext::columnWidth() { return MenuMetrics::menuWidth - 2 * MenuMetrics::menuPadding; }

qreal MenuContext::roomBelow(qreal top) const { return canvas.maximumCardHeight() - MenuMetrics::menuPadding - top; }

MenuPicture::MenuPicture(Draw draw, QMarginsF overflow) : m_draw(std::move(draw)), m_overflow(overflow) { }

void MenuPicture::setDraw(Draw draw, QMarginsF overflow)
{
    m_draw = std::move(draw);
    m_overflow = overflow;
    m_image = {};
}

void MenuPicture::setRect(const QRectF& rect)
{
    if (rect.size() != m_rect.size())
        m_image = {};
    m_rect = rect;
}

void MenuPicture::paint(QPainter& painter)
{
    if (!m_draw || m_rect.isEmpty())
        return;
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    if (m_image.isNull() || m_image.devicePixelRatio() != dpr) {
        m_image = transparentImage((m_rect + m_overflow).size(), dpr);
        QPainter picture(&m_image);
        picture.setRenderHint(QPainter::Antialiasing);
        picture.setRenderHint(QPainter::TextAntialiasing);
        picture.setRenderHint(QPainter::SmoothPixmapTransform);
        picture.translate(m_overflow.left(), m_overflow.top());
        m_draw(picture, QRectF(QPointF(0, 0), m_rect.size()));
    }
    painter.drawImage(reach().topLeft(), m_image);
}

void MenuSection::paint(QPainter& painter, const QRectF& dirty)
{
    for (MenuPiece* piece : pieces()) {
        if (piece->reach().intersects(dirty))
            piece->paint(painter);
    }
}

qreal stackSections(const std::vector<MenuSection*>& sections, qreal top, qreal spacing)
{
    // A section that takes no room (a block not shown) takes no spacing either.
    qreal y = top;
    bool first = true;
    for (MenuSection* section : sections) {
        const qreal gap = first ? 0 : spacing;
        const qreal height = section->layout(y + gap);
        if (height > 0) {
            y += gap + height;
            first = false;
        }
    }
    return y - top;
}
