#pragma once

#include <QPoint>
#include <QWidget>

#include <functional>

// How far a wheel event asks a strip along orientation to move, in points:
// a touchpad's swipe as it is, a wheel by notches. A sideways strip also
// moves on for a wheel turned down; an upright one only for swipes and
// turns up and down.
qreal wheelPoints(QPoint pixelDelta, QPoint angleDelta, Qt::Orientation orientation);

// The window onto a row or list of the menu's controls that do not all fit:
// the controls are its children, so it clips them, and it hands on how far
// the wheel asks to move them.
class ScrollViewport final : public QWidget {
public:
    ScrollViewport(Qt::Orientation orientation, std::function<void(qreal points)> scrollBy, QWidget* parent);

    // How far one notch of a mouse wheel moves the controls.
    static constexpr qreal pointsPerNotch = 24;

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    Qt::Orientation m_orientation;
    std::function<void(qreal)> m_scrollBy;
};
