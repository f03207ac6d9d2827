#include "platform/Screens.h"

std::optional<DesktopScreen> screenHolding(const QRectF& windowFrame, const QList<DesktopScreen>& screens)
{
    std::optional<DesktopScreen> holder;
    qreal largestArea = 0;
    for (const DesktopScreen& screen : screens) {
        const QRectF shared = screen.frame.intersected(windowFrame);
        const qreal area = shared.width() * shared.height();
        if (area > largestArea) {
            largestArea = area;
            holder = screen;
        }
    }
    return holder;
}
