#include "platform/x11/WindowPlacement.h"

#include "platform/x11/EwmhClients.h"

#include <chrono>

namespace {

// How long the window manager may take over one step before the window
// counts as not placed.
constexpr std::chrono::milliseconds windowManagerPatience{500};

} // namespace

WindowPlacement::WindowPlacement(EwmhClients& clients, xcb_window_t window, const QRect& frame,
                                 bool sizedByWindowManager, std::function<void()> finished)
    : m_clients(clients), m_window(window), m_frame(frame), m_finished(std::move(finished))
{
    m_patience.setSingleShot(true);
    m_patience.setInterval(windowManagerPatience);
    QObject::connect(&m_patience, &QTimer::timeout, [this] { patienceRanOut(); });
    // A maximised or full-screen window stays put. The window manager writes
    // the decoration of the normal window last (sometimes after its state
    // and geometry), and the size asked for depends on it.
    if (sizedByWindowManager) {
        m_step = Step::leavingState;
        m_clients.leaveMaximisedAndFullScreen(window);
        m_patience.start();
    } else {
        moveResize();
    }
}

void WindowPlacement::handle(const xcb_generic_event_t& event)
{
    const auto type = event.response_type & ~0x80;
    if (type == XCB_PROPERTY_NOTIFY) {
        const auto& change = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (change.window != m_window)
            return;
        if (m_step == Step::leavingState && change.atom == m_clients.connection().ewmh()->_NET_FRAME_EXTENTS)
            moveResize();
        else if (m_step == Step::landing)
            checkLanded();
    } else if (type == XCB_CONFIGURE_NOTIFY && m_step == Step::landing) {
        // The window manager tells of a move with a made-up event of this kind.
        if (reinterpret_cast<const xcb_configure_notify_event_t&>(event).window == m_window)
            checkLanded();
    }
}

void WindowPlacement::moveResize()
{
    // Position and size in one request: a window manager may keep a window
    // that was only moved on screen at its old size.
    m_step = Step::landing;
    m_clients.moveResize(m_window, m_frame.marginsRemoved(m_clients.frameExtents(m_window)));
    m_patience.start();
    // A window that is there already may get no answer at all.
    checkLanded();
}

void WindowPlacement::checkLanded()
{
    if (m_clients.frameGeometry(m_window) != m_frame)
        return;
    m_landed = true;
    finish();
}

void WindowPlacement::finish()
{
    m_step = Step::finished;
    m_patience.stop();
    m_finished();
}

void WindowPlacement::patienceRanOut()
{
    if (m_step != Step::leavingState) {
        finish();
        return;
    }
    // Placed with the decoration it has now.
    moveResize();
    // The replies read here may have queued answers behind them.
    m_clients.connection().dispatchQueuedSoon();
}
