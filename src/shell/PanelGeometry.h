#pragma once

// Where the companion's panels stand: the placement rules of the floating
// panel and the alert panel beside it, as plain functions of frames in the
// companion's screen points (origin bottom left, y up).

#include "platform/Screens.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

namespace PanelGeometry {

// The floating panel with the menu closed, and its width with the menu open.
inline constexpr qreal collapsedPanelWidth = 330;
inline constexpr qreal collapsedPanelHeight = 190;
inline constexpr qreal expandedPanelWidth = 516;
// The opened panel is at most this high, and 20 points lower than the screen.
inline constexpr qreal largestMenuHeight = 590;
inline constexpr qreal menuScreenMargin = 20;
// The mascot's region at the right end of the collapsed panel, and the gap
// between it and what opens beside it.
inline constexpr qreal collapsedBotRegionWidth = 170;
inline constexpr qreal popupBotGap = 8;
// The panel's home: 24 points in from the right edge, 10 up from the bottom.
inline constexpr qreal cornerInsetRight = 24;
inline constexpr qreal cornerInsetBottom = 10;

inline constexpr QSizeF collapsedPanelSize{collapsedPanelWidth, collapsedPanelHeight};
inline constexpr QSizeF alertPanelSize{226, 96};
// The screen assumed when the desktop reports none.
inline constexpr QRectF fallbackScreenFrame{0, 0, 1440, 900};

// Two screens are one display when their numbers match or both lack one.
bool sameDisplay(const DesktopScreen& first, const DesktopScreen& second);

// The origin nearest the rectangle's own that keeps it inside visibleFrame;
// a rectangle too wide (or tall) gets the frame's left (or bottom) edge.
QPointF clampedOrigin(const QRectF& rect, const QRectF& visibleFrame);

qreal squaredDistance(const QPointF& first, const QPointF& second);

// The screen whose visible frame shares the most area with rect (the earlier
// screen on a tie); when none meets it, the one whose visible frame's centre
// is nearest rect's centre.
std::optional<DesktopScreen> bestScreen(const QRectF& rect, const QList<DesktopScreen>& screens);

// The first screen whose full frame holds the mouse (left and bottom edges
// excluded, right and top included, as the desktop counts mouse points).
std::optional<DesktopScreen> screenUnderMouse(const QPointF& mouse, const QList<DesktopScreen>& screens);

// A rectangle of size in the bottom-right corner of visibleFrame.
QRectF cornerFrame(const QSizeF& size, const QRectF& visibleFrame);

// The alert panel beside the mascot: to its right when the mascot's centre
// line is at or left of the screen's centre, else to the left of the
// mascot's region; its top 10 points below the floating panel's, kept
// inside the visible frame.
struct AlertPlacement {
    QPointF origin;
    bool opensToRight = false;
};
AlertPlacement alertPanelPlacement(const QRectF& panelFrame, const QSizeF& alertSize, const QRectF& visibleFrame);

// The panel's size with the menu open or closed on a screen.
QSizeF panelSize(bool menuOpen, const QRectF& visibleFrame);
// Sizes within half a point of each other in both directions count as equal.
bool isAlreadySized(const QSizeF& current, const QSizeF& target);
// The menu opens to the mascot's right when the mascot stands at or left of
// the screen's centre.
bool menuOpensToRight(const QRectF& collapsedFrame, const QRectF& visibleFrame);
// The opened panel's origin before clamping: it grows upwards from the
// collapsed panel's bottom edge and sideways away from the mascot.
QPointF openedPanelOrigin(const QRectF& collapsedFrame, bool opensToRight);

// Where the collapsed panel belongs when the opened one stands at origin.
QPointF collapsedOriginForOpenedPanel(const QPointF& openedOrigin, bool opensToRight, const QRectF& visibleFrame);

// A drag: the panel's origin at the start moved by a translation measured
// rightwards and downwards, kept inside the visible frame.
QPointF draggedOrigin(const QPointF& dragStart, const QSizeF& translation, const QSizeF& panelSize,
                      const QRectF& visibleFrame);

// One step of walking: 0.36 points along direction, turning at 10 points
// from each side of the visible frame.
inline constexpr qreal walkStepLength = 0.36;
inline constexpr qreal walkInset = 10;
struct WalkStep {
    qreal x = 0;
    qreal direction = 1;
    // Set when the walk turned: the way the mascot now faces.
    std::optional<bool> facingRight;
};
WalkStep walkStep(const QRectF& frame, qreal direction, const QRectF& visibleFrame);

} // namespace PanelGeometry
