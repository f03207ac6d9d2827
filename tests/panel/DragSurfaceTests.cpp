#include "panel/WindowDragSurface.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(DragGesture, BecomesADragAtThreePointsFromThePressAndKeepsTheGrabOffset)
{
    struct Case {
        QPointF move;
        bool drags;
    };
    for (const Case& c : {Case{{2, 0}, false}, Case{{0, -2.9}, false}, Case{{2.1, 2.1}, false}, Case{{3, 0}, true},
                          Case{{0, -3}, true}, Case{{2.2, 2.2}, true}}) {
        DragGesture gesture;
        gesture.press(QPointF(100, 100), QPoint(500, 400));
        const DragGesture::Step step = gesture.move(QPointF(100, 100) + c.move);
        EXPECT_EQ(step.began, c.drags);
        EXPECT_EQ(step.windowOrigin.has_value(), c.drags);
        if (c.drags) {
            EXPECT_EQ(*step.windowOrigin, QPoint(500, 400) + c.move.toPoint());
        }
        EXPECT_EQ(gesture.release(), c.drags ? DragGesture::Outcome::dragEnded : DragGesture::Outcome::click);
    }
}

TEST(DragGesture, OnceDraggingEveryMoveCountsFromThePressEvenBackToTheStart)
{
    DragGesture gesture;
    gesture.press(QPointF(10, 10), QPoint(0, 0));
    EXPECT_TRUE(gesture.move(QPointF(40, 25)).began);
    const DragGesture::Step small = gesture.move(QPointF(40.4, 25));
    EXPECT_FALSE(small.began);
    EXPECT_EQ(small.windowOrigin, QPoint(30, 15));
    EXPECT_EQ(gesture.move(QPointF(11, 10)).windowOrigin, QPoint(1, 0));
    EXPECT_EQ(gesture.move(QPointF(10, 10)).windowOrigin, QPoint(0, 0));
    EXPECT_EQ(gesture.release(), DragGesture::Outcome::dragEnded);
}

// A drag surface in a shown window, driven with pointer events in screen coordinates.
class DragSurfaceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.setGeometry(300, 200, 200, 150);
        surface = WindowDragSurface{
            .onClick = [this] { calls.push_back("click"); },
            .onDragStart =
                [this] {
                    calls.push_back("dragStart");
                    cursorAtStart = QGuiApplication::overrideCursor() != nullptr;
                },
            .onDrag = [this](QSizeF) { calls.push_back("drag"); },
            .onDragEnd =
                [this] {
                    calls.push_back("dragEnd");
                    cursorAtEnd = QGuiApplication::overrideCursor() != nullptr;
                },
        }
                      .makeView(&window);
        surface->setGeometry(20, 20, 154, 154);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        origin = window.pos();
    }

    void send(QEvent::Type type, QPointF global)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, surface->mapFromGlobal(global), global, Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(surface, &event);
    }

    QWidget window;
    QPoint origin;
    NativeWindowDragView* surface = nullptr;
    std::vector<std::string> calls;
    bool cursorAtStart = true;
    bool cursorAtEnd = true;
};

TEST_F(DragSurfaceTest, APressWithoutMovingIsOneClickAndLeavesTheCursorAlone)
{
    send(QEvent::MouseButtonPress, QPointF(400, 300));
    send(QEvent::MouseMove, QPointF(402, 300));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    send(QEvent::MouseButtonRelease, QPointF(402, 300));
    EXPECT_EQ(calls, std::vector<std::string>{"click"});
    EXPECT_EQ(window.pos(), origin);
    EXPECT_EQ(surface->cursor().shape(), Qt::OpenHandCursor);
}

TEST_F(DragSurfaceTest, ADragMovesTheWindowWithAClosedHandAndReportsStartThenEnd)
{
    send(QEvent::MouseButtonPress, QPointF(400, 300));
    send(QEvent::MouseMove, QPointF(403, 300));
    EXPECT_EQ(window.pos(), origin + QPoint(3, 0));
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ClosedHandCursor);
    for (int step = 1; step <= 40; ++step)
        send(QEvent::MouseMove, QPointF(403 + step, 300 - step));
    EXPECT_EQ(window.pos(), origin + QPoint(43, -40));
    send(QEvent::MouseMove, QPointF(400, 300)); // back where it began: still a drag
    send(QEvent::MouseButtonRelease, QPointF(400, 300));
    EXPECT_EQ(window.pos(), origin);
    EXPECT_EQ(calls, (std::vector<std::string>{"dragStart", "dragEnd"}));
    EXPECT_FALSE(cursorAtStart) << "the closed hand is pushed right after the start is reported";
    EXPECT_FALSE(cursorAtEnd) << "the cursor is popped before the end is reported";
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(DragSurfaceTest, NewCallbacksServeTheNextGesture)
{
    std::vector<std::string> newer;
    WindowDragSurface{.onClick = [&] { newer.push_back("click"); }, .onDragStart = {}, .onDrag = {}, .onDragEnd = {}}
        .update(*surface);
    send(QEvent::MouseButtonPress, QPointF(400, 300));
    send(QEvent::MouseButtonRelease, QPointF(400, 300));
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(newer, std::vector<std::string>{"click"});
}

TEST_F(DragSurfaceTest, AGestureCutOffByHidingEndsAsIfReleased)
{
    send(QEvent::MouseButtonPress, QPointF(400, 300));
    send(QEvent::MouseMove, QPointF(410, 300));
    surface->hide();
    EXPECT_EQ(calls, (std::vector<std::string>{"dragStart", "dragEnd"}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
