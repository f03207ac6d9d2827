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
    m_finishing.setSingleShot(true);
    QObject::connect(&m_finishing, &QTimer::timeout, [this] { finishBatches(); });
    if (!m_connection)
        return;
    m_connection->setEventHandler([this](const xcb_generic_event_t& event) {
        for (Batch& batch : m_batches)
            for (const auto& placement : batch.windows)
                placement->handle(event);
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

bool X11ApplicationWindows::isPlacing(xcb_window_t window) const
{
    return std::any_of(m_batches.cbegin(), m_batches.cend(), [window](const Batch& batch) {
        return std::any_of(batch.windows.cbegin(), batch.windows.cend(),
                           [window](const auto& placement) { return placement->window() == window; });
    });
}

void X11ApplicationWindows::watch(xcb_window_t window, bool watched)
{
    // The window manager answers a placement by moving the window, changing
    // its state or its decoration.
    const uint32_t mask =
        watched ? XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE : XCB_EVENT_MASK_NO_EVENT;
    xcb_change_window_attributes(m_connection->raw(), window, XCB_CW_EVENT_MASK, &mask);
    m_connection->flush();
}

void X11ApplicationWindows::place(Frames frames, std::function<void(int landed)> done)
{
    Batch& batch = m_batches.emplace_back(Batch{{}, std::move(done)});
    // Even a batch with nothing to wait for is answered later, not here.
    m_finishing.start();
    if (!m_clients)
        return;
    const QList<xcb_window_t> managed = m_clients->stackingOrder().value_or(QList<xcb_window_t>());
    QList<xcb_window_t> windows;
    QList<QRect> targets;
    for (const auto& [window, frame] : frames) {
        if (!managed.contains(window))
            continue;
        windows.append(window);
        targets.append(inDevicePixels(frame));
        watch(window, true);
    }
    const QList<ClientWindow> described = m_clients->describe(windows);
    for (qsizetype index = 0; index < described.size(); ++index)
        batch.windows.push_back(std::make_unique<WindowPlacement>(*m_clients, described[index].id, targets[index],
                                                                  described[index].sizedByWindowManager,
                                                                  [this] { m_finishing.start(); }));
    m_connection->dispatchQueuedSoon();
}

void X11ApplicationWindows::finishBatches()
{
    std::list<Batch> finished;
    for (auto batch = m_batches.begin(); batch != m_batches.end();) {
        const auto next = std::next(batch);
        if (std::all_of(batch->windows.cbegin(), batch->windows.cend(),
                        [](const auto& placement) { return placement->isFinished(); }))
            finished.splice(finished.end(), m_batches, batch);
        batch = next;
    }
    for (const Batch& batch : finished)
        for (const auto& placement : batch.windows)
            if (!isPlacing(placement->window()))
                watch(placement->window(), false);
    // Last: a caller may place again from here.
    for (const Batch& batch : finished)
        batch.done(int(std::count_if(batch.windows.cbegin(), batch.windows.cend(),
                                     [](const auto& placement) { return placement->landed(); })));
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
