#include "PanelScroller.h"

#include "MenuLayout.h"
#include "MenuLooks.h"
#include "MenuScrolling.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr qreal thumbWidth = 3;
// How far the lifts and glows of the rows may show past the window's sides.
constexpr qreal sideSpill = 40;

} // namespace

qreal listWindowHeight(qreal contentHeight, qreal room, qreal minimum)
{
    if (contentHeight <= room)
        return contentHeight;
    return std::min(contentHeight, std::max(room, minimum));
}

QRectF scrollThumb(const QRectF& window, qreal contentHeight, qreal offset)
{
    if (contentHeight <= window.height() || window.height() <= 0)
        return {};
    const qreal height = std::min(
        window.height(), std::max(PanelScroller::minimumThumb, window.height() * window.height() / contentHeight));
    const qreal travel = window.height() - height;
    const qreal share =
        clampedScroll(offset, contentHeight, window.height()) / scrollLimit(contentHeight, window.height());
    return QRectF(window.right() - thumbWidth, window.top() + travel * share, thumbWidth, height);
}

PanelScroller::PanelScroller(MenuContext& context, std::function<void()> relayout)
    : m_context(context), m_relayout(std::move(relayout)),
      m_viewport(std::make_unique<ScrollViewport>(
          Qt::Vertical, [this](qreal points) { scrollBy(points); }, &context.canvas.controlParent()))
{
    m_thumb.setDraw([](QPainter& painter, const QRectF& rect) { painter.fillPath(capsulePath(rect), whiteAt(0.34)); });
}

PanelScroller::~PanelScroller() = default;

QWidget* PanelScroller::viewport() const { return m_viewport.get(); }

void PanelScroller::place(const QRectF& window, qreal contentHeight)
{
    m_window = window;
    m_contentHeight = contentHeight;
    m_offset = clampedScroll(m_offset, contentHeight, window.height());
    // The viewport takes the pointer over the window only; the thumb's
    // gutter stays in it, so a wheel turned there still scrolls.
    m_viewport->setGeometry(window.translated(m_context.canvas.cardOrigin()).toAlignedRect());
    m_thumb.setRect(scrollThumb(window, contentHeight, m_offset));
}

qreal PanelScroller::rowWidth() const { return overflows() ? m_window.width() - gutter : m_window.width(); }

void PanelScroller::scrollBy(qreal points)
{
    const qreal offset = clampedScroll(m_offset + points, m_contentHeight, m_window.height());
    if (offset == m_offset)
        return;
    m_offset = offset;
    m_thumb.setRect(scrollThumb(m_window, m_contentHeight, m_offset));
    m_relayout();
    m_context.canvas.repaintCard(m_window.adjusted(-sideSpill, -sideSpill, sideSpill, sideSpill));
}

void PanelScroller::paintClipped(QPainter& painter, const QRectF& dirty, const std::vector<MenuPiece*>& pieces) const
{
    const QRectF clip = m_window.adjusted(-sideSpill, 0, sideSpill, 0);
    const QRectF shown = dirty & clip;
    if (shown.isEmpty())
        return;
    painter.save();
    painter.setClipRect(clip, Qt::IntersectClip);
    for (MenuPiece* piece : pieces) {
        if (piece->reach().intersects(shown))
            piece->paint(painter);
    }
    painter.restore();
}
