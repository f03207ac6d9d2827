#pragma once

#include <QPoint>
#include <QPointF>
#include <QWidget>

#include <functional>
#include <optional>

// Tells a click from a drag of the pointer: the press becomes a drag once the
// pointer is 3 points or more from where it went down, and the window then
// follows it, always measured from the press so the grab offset is kept.
class DragGesture {
public:
    enum class Outcome { click, dragEnded };

    void press(QPointF pointer, QPoint windowOrigin);
    // Where the window goes for this pointer position; none while the press
    // is still a click. began is set on the move that starts the drag.
    struct Step {
        bool began = false;
        std::optional<QPoint> windowOrigin;
    };
    Step move(QPointF pointer);
    Outcome release();

    bool isTracking() const { return m_tracking; }
    bool isDragging() const { return m_dragging; }

    static constexpr double thresholdSquared = 9;

private:
    QPointF m_start;
    QPoint m_startOrigin;
    bool m_tracking = false;
    bool m_dragging = false;
};

// The transparent surface laid over the mascot and the menu's margin. A
// click calls onClick; a drag moves the window that holds the surface itself
// and reports only its start and end. While dragging, the closed hand shows.
class NativeWindowDragView final : public QWidget {
    Q_OBJECT

public:
    NativeWindowDragView(std::function<void()> onClick, std::function<void()> onDragStart,
                         std::function<void(QSizeF)> onDrag, std::function<void()> onDragEnd,
                         QWidget* parent = nullptr);

    std::function<void()> onClick;
    std::function<void()> onDragStart;
    // Kept current, but never called: the surface moves the window itself.
    std::function<void(QSizeF)> onDrag;
    std::function<void()> onDragEnd;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void finishGesture();

    DragGesture m_gesture;
};

// The four callbacks a view places a drag surface with; applying them to an
// existing surface replaces its callbacks, so it always calls the latest.
struct WindowDragSurface {
    std::function<void()> onClick;
    std::function<void()> onDragStart;
    std::function<void(QSizeF)> onDrag;
    std::function<void()> onDragEnd;

    NativeWindowDragView* makeView(QWidget* parent) const;
    void update(NativeWindowDragView& view) const;
};
