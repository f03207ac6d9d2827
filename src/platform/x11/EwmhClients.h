#pragma once

// Private to the X11 implementation: the window manager's view of the
// managed top-level windows (EWMH and ICCCM), read and asked through one
// xcb connection.

#include "platform/x11/XcbConnection.h"

#include <QIcon>
#include <QList>
#include <QMargins>
#include <QRect>
#include <QString>

#include <optional>

struct ClientWindow {
    // _NET_WM_DESKTOP of a window shown on every desktop.
    static constexpr uint32_t allDesktops = 0xFFFFFFFF;

    xcb_window_t id = XCB_NONE;
    // The process that owns it (see WindowOwnership); 0 when none is known.
    qint32 processIdentifier = 0;
    QString instance;
    QString windowClass;
    // An ordinary application window: of the normal type, a dialog that is
    // nobody's transient (a program that shows only a dialog), or of no
    // type without being another window's transient.
    bool normalType = false;
    bool skipsTaskbar = false;
    // Minimised (_NET_WM_STATE_HIDDEN). A window on another desktop is not:
    // the window manager unmaps it too, but it is not hidden from the user.
    bool minimised = false;
    // Maximised in either direction, or full-screen: the window manager
    // keeps such a window where it is.
    bool sizedByWindowManager = false;
    // The desktop it is on; none when the window manager did not say.
    std::optional<uint32_t> desktop;
};

class EwmhClients {
public:
    explicit EwmhClients(XcbConnection& connection);

    XcbConnection& connection() const { return m_connection; }

    // Managed windows, oldest first; none when the window manager publishes
    // no list.
    std::optional<QList<xcb_window_t>> clientList() const;
    // Managed windows, bottom-most first; the client list when the window
    // manager publishes no stacking list.
    std::optional<QList<xcb_window_t>> stackingOrder() const;
    // The active window, only when it is still managed.
    xcb_window_t activeWindow(const QList<xcb_window_t>& clients) const;
    // Reads all windows' properties, and asks the server for their owners,
    // in one round of requests.
    QList<ClientWindow> describe(const QList<xcb_window_t>& windows) const;
    // The desktop in view; none when the window manager does not say.
    std::optional<uint32_t> currentDesktop() const;
    QIcon icon(xcb_window_t window) const;
    // The window manager's decoration around the window.
    QMargins frameExtents(xcb_window_t window) const;
    // The window as the user sees it, decoration included, in root-window
    // pixels; empty when it cannot be read.
    QRect frameGeometry(xcb_window_t window) const;

    void close(xcb_window_t window);
    void minimise(xcb_window_t window);
    // Asks for the normal state again, as the application itself would.
    void restore(xcb_window_t window);
    void activate(xcb_window_t window);
    // Brings the desktop into view, as a pager does.
    void showDesktop(uint32_t desktop);
    // Takes the window out of its maximised and full-screen states.
    void leaveMaximisedAndFullScreen(xcb_window_t window);
    // Places the client area (static gravity) in one request.
    void moveResize(xcb_window_t window, const QRect& client);

private:
    std::optional<QList<xcb_window_t>> windowList(xcb_get_property_cookie_t cookie) const;
    void sendToRoot(const xcb_client_message_event_t& message);

    XcbConnection& m_connection;
    xcb_atom_t m_wmChangeState;
    // The server names its clients' processes (X-Resource 1.2).
    bool m_serverNamesProcesses;
};
