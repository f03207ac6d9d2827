#pragma once

#include <QObject>
#include <QRect>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <functional>
#include <memory>
#include <optional>

class QSocketNotifier;

// Frees a reply or event that xcb allocated.
struct XcbFree {
    void operator()(void* pointer) const { std::free(pointer); }
};
template <typename T>
using XcbReply = std::unique_ptr<T, XcbFree>;

// A connection of our own to the X server, separate from Qt's, so that
// watching the root window never competes with Qt's event handling. Events
// are read on the main thread when the connection's socket becomes readable.
class XcbConnection final : public QObject {
    Q_OBJECT
public:
    using EventHandler = std::function<void(const xcb_generic_event_t&)>;

    // Connects to the display named by DISPLAY; null when there is no X server.
    static std::unique_ptr<XcbConnection> open();
    ~XcbConnection() override;

    xcb_connection_t* raw() const { return m_connection; }
    xcb_ewmh_connection_t* ewmh() { return &m_ewmh; }
    xcb_window_t root() const { return m_root; }
    int screenNumber() const { return m_screenNumber; }

    xcb_atom_t atom(const char* name);
    // The window's area, without border or decoration, in root-window
    // pixels; none when it is gone.
    std::optional<QRect> geometryOnRoot(xcb_window_t window) const;
    void flush() { xcb_flush(m_connection); }
    // Returns once the server has handled every request sent so far.
    void sync();

    // Every event read from the connection is handed to handler, in order.
    void setEventHandler(EventHandler handler) { m_handler = std::move(handler); }
    // Reads whatever arrived without waiting for the socket (after a request
    // whose reply may have queued events behind it).
    void dispatchPending();

    // For callers that waited for a reply of their own: events read while
    // waiting are handed out on the next turn of the event loop.
    void dispatchQueuedSoon();

private:
    XcbConnection(xcb_connection_t* connection, int screenNumber);

    xcb_connection_t* m_connection;
    int m_screenNumber;
    xcb_window_t m_root = XCB_NONE;
    xcb_ewmh_connection_t m_ewmh{};
    std::unique_ptr<QSocketNotifier> m_notifier;
    EventHandler m_handler;
};
