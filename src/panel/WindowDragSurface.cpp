#include "WindowDragSurface.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QWindow>

void DragGesture::press(QPointF pointer, QPoint windowOrigin)
{
    m_start = pointer;
    m_startOrigin = windowOrigin;
    m_tracking = true;
    m_dragging = false;
}

DragGesture::Step DragGesture::move(QPointF pointer)
{
    Step step;
    if (!m_tracking)
        return step;
    const QPointF translation = pointer - m_start;
    if (!m_dragging) {
        const double squared = translation.x() * translation.x() + translation.y() * translation.y();
        if (squared < thresholdSquared)
            return step;
        m_dragging = true;
        step.began = true;
    }
    step.windowOrigin = m_startOrigin + translation.toPoint();
    return step;
}

DragGesture::Outcome DragGesture::release()
{
    const bool dragged = m_dragging;
    m_tracking = false;
    m_dragging = false;
    return dragged ? Outcome::dragEnded : Outcome::click;
}

NativeWindowDragView::NativeWindowDragView(std::function<void()> onClick, std::function<void()> onDragStart,
                                           std::function<void(QSizeF)> onDrag, std::function<void()> onDragEnd,
                                           QWidget* parent)
    : QWidget(parent), onClick(std::move(onClick)), onDragStart(std::move(onDragStart)), onDrag(std::move(onDrag)),
      onDragEnd(std::move(onDragEnd))
{
    setAttribute(Qt::WA_NoSystemBackground);
    setCursor(Qt::OpenHandCursor);
}

void NativeWindowDragView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    // A surface outside any shown window has nothing to move: a click.
    if (!window()->windowHandle()) {
        if (onClick)
            onClick();
        return;
    }
    m_gesture.press(event->globalPosition(), window()->pos());
}

void NativeWindowDragView::mouseMoveEvent(QMouseEvent* event)
{
    const DragGesture::Step step = m_gesture.move(event->globalPosition());
    if (step.began) {
        if (onDragStart)
            onDragStart();
        QGuiApplication::setOverrideCursor(Qt::ClosedHandCursor);
    }
    if (step.windowOrigin)
        window()->move(*step.windowOrigin);
}

void NativeWindowDragView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        finishGesture();
}

void NativeWindowDragView::hideEvent(QHideEvent* event)
{
    // A gesture cut off (the surface went away under the pointer) ends as if
    // the button had been released.
    finishGesture();
    QWidget::hideEvent(event);
}

void NativeWindowDragView::finishGesture()
{
    if (!m_gesture.isTracking())
        return;
    if (m_gesture.release() == DragGesture::Outcome::click) {
        if (onClick)
            onClick();
        return;
    }
    QGuiApplication::restoreOverrideCursor();
    if (onDragEnd)
        onDragEnd();
}

NativeWindowDragView* WindowDragSurface::makeView(QWidget* parent) const
{
    return new NativeWindowDragView(onClick, onDragStart, onDrag, onDragEnd, parent);
}

void WindowDragSurface::update(NativeWindowDragView& view) const
{
    view.onClick = onClick;
    view.onDragStart = onDragStart;
    view.onDrag = onDrag;
    view.onDragEnd = onDragEnd;
}
