#pragma once

#include <QRect>
#include <QTimer>

#include <xcb/xcb.h>

#include <functional>

class EwmhClients;

// One managed window on its way to a rectangle: taken out of its maximised
// and full-screen states, then moved and sized in one request. It follows the
// window manager's answers as the connection hands them in, and gives up on a
// step the window manager leaves unanswered for too long.
class WindowPlacement {
public:
    // frame is the whole window, decoration included, in root-window pixels.
    // finished runs once, when the window is there or patience ran out.
    WindowPlacement(EwmhClients& clients, xcb_window_t window, const QRect& frame, bool sizedByWindowManager,
                    std::function<void()> finished);

    xcb_window_t window() const { return m_window; }
    bool isFinished() const { return m_step == Step::finished; }
    bool landed() const { return m_landed; }

    // Any event read from the connection; the caller selects structure and
    // property changes on the window.
    void handle(const xcb_generic_event_t& event);

private:
    enum class Step { leavingState, landing, finished };

    void moveResize();
    void checkLanded();
    void finish();
    void patienceRanOut();

    EwmhClients& m_clients;
    xcb_window_t m_window;
    QRect m_frame;
    std::function<void()> m_finished;
    Step m_step = Step::landing;
    bool m_landed = false;
    QTimer m_patience;
};
