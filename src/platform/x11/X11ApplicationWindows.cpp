#include "platform/x11/X11ApplicationWindows.h"

#include "platform/DesktopCoordinates.h"
#include "platform/x11/EwmhClients.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {

// How long the window manager may take over one request before the window
// counts as not placed.
constexpr std::chrono::milliseconds windowManagerPatience{500};

// X counts device pixels; Qt's coordinates are scaled by the screen's ratio.
qreal devicePixelRatio()
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? primary->devicePixelRatio() : 1.0;
}

QRect inDevicePixels(const QRectF& frame)
{
    const qreal ratio = devicePixelRatio();
    const QPointF topLeft =
        DesktopCoordinates::windowPlacementPointToQt(frame.topLeft(), DesktopCoordinates::primaryScreenGeometry())
        * ratio;
    return QRect(int(std::lround(topLeft.x())), int(std::lround(topLeft.y())), int(std::lround(frame.width() * ratio)),
                 int(std::lround(frame.height() * ratio)));
}

} // namespace

X11ApplicationWindows::X11ApplicationWindows()
    : m_connection(XcbConnection::open()),
      m_clients(m_connection ? std::make_unique<EwmhClients>(*m_connection) : nullptr)
{
    if (!m_connection)
        return;
    const xcb_atom_t decoration = m_connection->ewmh()->_NET_FRAME_EXTENTS;
    m_connection->setEventHandler([this, decoration](const xcb_generic_event_t& event) {
        const auto& change = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if ((event.response_type & ~0x80) == XCB_PROPERTY_NOTIFY && change.atom == decoration)
            m_redecorated = change.window;
    });
}

X11ApplicationWindows::~X11ApplicationWindows() = default;

bool X11ApplicationWindows::isTrusted() const
{
    // X11 lets any client ask the window manager to move any window.
    return m_clients != nullptr;
}

std::optional<QList<ApplicationWindows::Window>>
X11ApplicationWindows::describedWindows(const QList<qint32>& processIdentifiers) const
{
    static_assert(allDesktops == ClientWindow::allDesktops);
    if (!m_clients)
        return std::nullopt;
    auto stacking = m_clients->stackingOrder();
    if (!stacking)
        return std::nullopt;
    std::reverse(stacking->begin(), stacking->end());
    QList<Window> own;
    for (const ClientWindow& window : m_clients->describe(*stacking))
        if (window.processIdentifier > 0 && processIdentifiers.contains(window.processIdentifier) && window.normalType)
            own.append({window.id, window.desktop, window.minimised});
    return own;
}

std::optional<quint32> X11ApplicationWindows::currentDesktop() const
{
    return m_clients ? m_clients->currentDesktop() : std::nullopt;
}

bool X11ApplicationWindows::isManaged(WindowId window) const
{
    // The list describedWindows() reads: the window manager may publish it a moment
    // before the client list.
    return m_clients && m_clients->stackingOrder().value_or(QList<xcb_window_t>()).contains(window);
}

bool X11ApplicationWindows::sizedByWindowManager(WindowId window) const
{
    const QList<ClientWindow> described = m_clients->describe({window});
    return !described.isEmpty() && described.first().sizedByWindowManager;
}

bool X11ApplicationWindows::place(WindowId window, const QRectF& frame)
{
    if (!isManaged(window))
        return false;
    const QRect target = inDevicePixels(frame);
    XcbConnection& connection = *m_connection;
    // The window manager answers the requests below by moving the window,
    // changing its state or its decoration.
    const uint32_t watched = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection.raw(), window, XCB_CW_EVENT_MASK, &watched);
    // A maximised or full-screen window stays put. The window manager writes
    // the decoration of the normal window last (sometimes after its state
    // and geometry), and the size asked for depends on it.
    if (sizedByWindowManager(window)) {
        m_redecorated = 0;
        m_clients->leaveMaximisedAndFullScreen(window);
        connection.waitUntil([&] { return m_redecorated == window; }, windowManagerPatience);
    }
    // Position and size in one request: a window manager may keep a window
    // that was only moved on screen at its old size.
    m_clients->moveResize(window, target.marginsRemoved(m_clients->frameExtents(window)));
    const bool landed =
        connection.waitUntil([&] { return m_clients->frameGeometry(window) == target; }, windowManagerPatience);
    const uint32_t none = XCB_EVENT_MASK_NO_EVENT;
    xcb_change_window_attributes(connection.raw(), window, XCB_CW_EVENT_MASK, &none);
    connection.flush();
    return landed;
}

bool X11ApplicationWindows::activate(WindowId window)
{
    if (!isManaged(window))
        return false;
    m_clients->activate(window);
    return true;
}

bool X11ApplicationWindows::close(WindowId window)
{
    if (!isManaged(window))
        return false;
    m_clients->close(window);
    return true;
}
