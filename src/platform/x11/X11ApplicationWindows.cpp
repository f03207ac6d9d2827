#include "platform/x11/X11ApplicationWindows.h"

#include "platform/DesktopCoordinates.h"
#include "platform/x11/EwmhClients.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {

// X counts device pixels; Qt's coordinates are scaled by the screen's ratio.
qreal devicePixelRatio()
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? primary->devicePixelRatio() : 1.0;
}

} // namespace

X11ApplicationWindows::X11ApplicationWindows()
    : m_connection(XcbConnection::open()),
      m_clients(m_connection ? std::make_unique<EwmhClients>(*m_connection) : nullptr)
{
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

bool X11ApplicationWindows::setPosition(WindowId window, const QPointF& topLeft)
{
    if (!isManaged(window))
        return false;
    const QPointF inQt =
        DesktopCoordinates::windowPlacementPointToQt(topLeft, DesktopCoordinates::primaryScreenGeometry())
        * devicePixelRatio();
    const QMargins frame = m_clients->frameExtents(window);
    const QPoint client(int(std::lround(inQt.x())) + frame.left(), int(std::lround(inQt.y())) + frame.top());
    m_clients->moveResize(window, client, std::nullopt);
    return true;
}

bool X11ApplicationWindows::setSize(WindowId window, const QSizeF& size)
{
    if (!isManaged(window))
        return false;
    const QSizeF inPixels = size * devicePixelRatio();
    const QMargins frame = m_clients->frameExtents(window);
    const QSize client(int(std::lround(inPixels.width())) - frame.left() - frame.right(),
                       int(std::lround(inPixels.height())) - frame.top() - frame.bottom());
    m_clients->moveResize(window, std::nullopt, client);
    return true;
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
