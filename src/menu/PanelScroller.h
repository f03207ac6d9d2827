#pragma once

#include "MenuSection.h"

#include <QPointer>
#include <QRectF>

#include <functional>
#include <memory>

// The height a panel's list is given: all of it when it fits in room, else
// room, but never less than minimum (the list's first row), so a panel in a
// panel too short for it still shows its beginning.
qreal listWindowHeight(qreal contentHeight, qreal room, qreal minimum);

// Where the scroll thumb of a list stands: on the window's right edge, as
// tall as the share of the list on show (at least minimumThumb), as far down
// as the list is scrolled. Empty while the whole list is on show.
QRectF scrollThumb(const QRectF& window, qreal contentHeight, qreal offset);

// The window through which a sub-panel shows a list, or the menu its
// standard sections, taller than the room it has: it clips the list's
// controls (they are its viewport's children), scrolls it with the wheel and
// shows a thumb while some of it is hidden. The list's owner lays the list
// out from top() and paints it through paintClipped().
class PanelScroller {
public:
    // relayout lays the list out again from top() after a scroll.
    PanelScroller(MenuContext& context, std::function<void()> relayout);
    ~PanelScroller();

    // The parent of the list's controls.
    QWidget* viewport() const;

    // Sets the window and the height of the whole list; keeps the scroll
    // within the list.
    void place(const QRectF& window, qreal contentHeight);
    const QRectF& window() const { return m_window; }
    // Where the list's first row goes as it is scrolled now.
    qreal top() const { return m_window.top() - m_offset; }
    qreal offset() const { return m_offset; }
    bool overflows() const { return m_contentHeight > m_window.height(); }
    // The width the rows may take: less a gutter for the thumb while it shows.
    qreal rowWidth() const;
    void scrollBy(qreal points);

    MenuPiece& thumb() { return m_thumb; }
    const QRectF& thumbRect() const { return m_thumb.rect(); }
    // Paints what of pieces shows through the window.
    void paintClipped(QPainter& painter, const QRectF& dirty, const std::vector<MenuPiece*>& pieces) const;

    static constexpr qreal gutter = 6;
    static constexpr qreal minimumThumb = 16;

private:
    MenuContext& m_context;
    std::function<void()> m_relayout;
    std::unique_ptr<QWidget> m_viewport;
    QRectF m_window;
    qreal m_contentHeight = 0;
    qreal m_offset = 0;
    MenuPicture m_thumb;
};
