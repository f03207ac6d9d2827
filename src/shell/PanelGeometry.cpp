#include "shell/PanelGeometry.h"

#include <algorithm>

namespace PanelGeometry {

namespace {

// The mascot's centre line lies this far left of the collapsed panel's right edge.
constexpr qreal mascotCentreInset = collapsedBotRegionWidth / 2;
constexpr qreal alertGap = 6;
constexpr qreal alertTopInset = 10;
constexpr qreal sizeTolerance = 0.5;
// From the opened panel's origin to the collapsed one's, by the menu's side.
constexpr qreal collapsedOffsetMenuRight = -160;
constexpr qreal collapsedOffsetMenuLeft = 186;

qreal area(const QRectF& rect) { return rect.isEmpty() ? 0 : rect.width() * rect.height(); }

} // namespace

bool sameDisplay(const DesktopScreen& first, const DesktopScreen& second)
{
    return first.displayNumber == second.displayNumber;
}

QPointF clampedOrigin(const QRectF& rect, const QRectF& visibleFrame)
{
    return {std::max(visibleFrame.left(), std::min(visibleFrame.right() - rect.width(), rect.x())),
            std::max(visibleFrame.top(), std::min(visibleFrame.bottom() - rect.height(), rect.y()))};
}

qreal squaredDistance(const QPointF& first, const QPointF& second)
{
    const QPointF difference = first - second;
    return difference.x() * difference.x() + difference.y() * difference.y();
}

std::optional<DesktopScreen> bestScreen(const QRectF& rect, const QList<DesktopScreen>& screens)
{
    if (screens.isEmpty())
        return std::nullopt;
    const DesktopScreen* candidate = &screens.first();
    qreal candidateArea = area(candidate->visibleFrame.intersected(rect));
    for (const DesktopScreen& screen : screens) {
        const qreal shared = area(screen.visibleFrame.intersected(rect));
        if (shared > candidateArea) {
            candidate = &screen;
            candidateArea = shared;
        }
    }
    if (candidateArea > 0)
        return *candidate;

    const DesktopScreen* nearest = &screens.first();
    for (const DesktopScreen& screen : screens) {
        if (squaredDistance(screen.visibleFrame.center(), rect.center())
            < squaredDistance(nearest->visibleFrame.center(), rect.center()))
            nearest = &screen;
    }
    return *nearest;
}

std::optional<DesktopScreen> screenUnderMouse(const QPointF& mouse, const QList<DesktopScreen>& screens)
{
    for (const DesktopScreen& screen : screens) {
        // In y-up space the rectangle's "top()" is its bottom edge.
        const QRectF& frame = screen.frame;
        if (mouse.x() >= frame.left() && mouse.x() < frame.right() && mouse.y() > frame.top()
            && mouse.y() <= frame.bottom())
            return screen;
    }
    return std::nullopt;
}

QRectF cornerFrame(const QSizeF& size, const QRectF& visibleFrame)
{
    return {QPointF(visibleFrame.right() - size.width() - cornerInsetRight, visibleFrame.top() + cornerInsetBottom),
            size};
}

AlertPlacement alertPanelPlacement(const QRectF& panelFrame, const QSizeF& alertSize, const QRectF& visibleFrame)
{
    const qreal mascotCentre = panelFrame.right() - mascotCentreInset;
    const bool toRight = mascotCentre <= visibleFrame.center().x();
    const qreal x = toRight ? panelFrame.right() + alertGap
                            : panelFrame.right() - collapsedBotRegionWidth - alertSize.width() - alertGap;
    // In y-up space bottom() is the panel's top edge.
    const qreal y = panelFrame.bottom() - alertSize.height() - alertTopInset;
    return {clampedOrigin(QRectF(QPointF(x, y), alertSize), visibleFrame), toRight};
}

QSizeF panelSize(bool menuOpen, const QRectF& visibleFrame)
{
    if (!menuOpen)
        return collapsedPanelSize;
    return {expandedPanelWidth, std::min(largestMenuHeight, visibleFrame.height() - menuScreenMargin)};
}

bool isAlreadySized(const QSizeF& current, const QSizeF& target)
{
    return std::abs(current.height() - target.height()) <= sizeTolerance
        && std::abs(current.width() - target.width()) <= sizeTolerance;
}

bool menuOpensToRight(const QRectF& collapsedFrame, const QRectF& visibleFrame)
{
    const qreal anchor = collapsedFrame.right() - popupBotGap - (mascotCentreInset - popupBotGap);
    return anchor <= visibleFrame.center().x();
}

QPointF openedPanelOrigin(const QRectF& collapsedFrame, bool opensToRight)
{
    const qreal right = collapsedFrame.right();
    const qreal x =
        opensToRight ? right - collapsedBotRegionWidth - popupBotGap : right - expandedPanelWidth + popupBotGap;
    return {x, collapsedFrame.top()};
}

QPointF collapsedOriginForOpenedPanel(const QPointF& openedOrigin, bool opensToRight, const QRectF& visibleFrame)
{
    const qreal offset = opensToRight ? collapsedOffsetMenuRight : collapsedOffsetMenuLeft;
    return clampedOrigin(QRectF(openedOrigin + QPointF(offset, 0), collapsedPanelSize), visibleFrame);
}

QPointF draggedOrigin(const QPointF& dragStart, const QSizeF& translation, const QSizeF& panelSize,
                      const QRectF& visibleFrame)
{
    // The translation is measured downwards; screen y grows upwards.
    const QPointF proposed(dragStart.x() + translation.width(), dragStart.y() - translation.height());
    return clampedOrigin(QRectF(proposed, panelSize), visibleFrame);
}

WalkStep walkStep(const QRectF& frame, qreal direction, const QRectF& visibleFrame)
{
    const QRectF moved = frame.translated(direction * walkStepLength, 0);
    const QRectF bounds = visibleFrame.adjusted(walkInset, 0, -walkInset, 0);
    if (moved.right() >= bounds.right())
        return {bounds.right() - moved.width(), -1, false};
    if (moved.left() <= bounds.left())
        return {bounds.left(), 1, true};
    return {moved.left(), direction, std::nullopt};
}

} // namespace PanelGeometry
