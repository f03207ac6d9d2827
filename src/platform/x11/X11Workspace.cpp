#include "platform/x11/X11Workspace.h"

#include "platform/desktop/ApplicationDirectory.h"
#include "platform/x11/EwmhClients.h"

#include <QCoreApplication>

#include <algorithm>
#include <csignal>

namespace {

QSet<qint32> processesOf(const QHash<quint32, qint32>& processOfWindow)
{
    QSet<qint32> processes;
    for (const qint32 process : processOfWindow)
        if (process != 0)
            processes.insert(process);
    return processes;
}

QSet<quint32> windowSet(const QHash<quint32, qint32>& processOfWindow)
{
    const QList<quint32> windows = processOfWindow.keys();
    return QSet<quint32>(windows.begin(), windows.end());
}

} // namespace

std::unique_ptr<X11Workspace> X11Workspace::open(const ApplicationDirectory& directory)
{
    auto connection = XcbConnection::open();
    if (!connection)
        return nullptr;
    return std::unique_ptr<X11Workspace>(new X11Workspace(std::move(connection), directory));
}

X11Workspace::X11Workspace(std::unique_ptr<XcbConnection> connection, const ApplicationDirectory& directory)
    : m_connection(std::move(connection))
    , m_clients(std::make_unique<EwmhClients>(*m_connection))
    , m_directory(directory)
{
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_connection->raw(), m_connection->root(), XCB_CW_EVENT_MASK, &mask);
    m_connection->flush();
    const xcb_atom_t clientList = m_connection->ewmh()->_NET_CLIENT_LIST;
    const xcb_atom_t activeWindow = m_connection->ewmh()->_NET_ACTIVE_WINDOW;
    m_connection->setEventHandler([this, clientList, activeWindow](const xcb_generic_event_t& event) {
        if ((event.response_type & ~0x80) != XCB_PROPERTY_NOTIFY)
            return;
        const auto& change = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (change.window != m_connection->root())
            return;
        if (change.atom == clientList)
            clientsChanged();
        else if (change.atom == activeWindow)
            activeWindowChanged();
    });
    // Start from what is there, so only later changes are announced.
    const QSignalBlocker quiet(this);
    clientsChanged();
    activeWindowChanged();
}

X11Workspace::~X11Workspace() = default;

void X11Workspace::clientsChanged()
{
    const QList<xcb_window_t> clients = m_clients->clientList().value_or(QList<xcb_window_t>());
    QHash<quint32, qint32> processOfWindow;
    QList<xcb_window_t> unknown;
    for (const xcb_window_t window : clients) {
        // A window may name its process only after it was first seen.
        const auto known = m_processOfWindow.constFind(window);
        if (known != m_processOfWindow.constEnd() && *known != 0)
            processOfWindow.insert(window, *known);
        else
            unknown.append(window);
    }
    for (const ClientWindow& window : m_clients->describe(unknown))
        processOfWindow.insert(window.id, window.processIdentifier);

    const QSet<qint32> before = processesOf(m_processOfWindow);
    const QSet<qint32> after = processesOf(processOfWindow);
    const bool windowsDiffer = windowSet(processOfWindow) != windowSet(m_processOfWindow);
    m_processOfWindow = processOfWindow;
    if (!(after - before).isEmpty())
        Q_EMIT applicationLaunched();
    if (!(before - after).isEmpty())
        Q_EMIT applicationTerminated();
    if (windowsDiffer)
        Q_EMIT windowsChanged();
    m_connection->dispatchQueuedSoon();
}

void X11Workspace::activeWindowChanged()
{
    const xcb_window_t active = m_clients->activeWindow(m_processOfWindow.keys());
    const qint32 process = m_processOfWindow.value(active, 0);
    m_connection->dispatchQueuedSoon();
    // Focus passes through no window at all between two; that is no change.
    if (process == 0 || process == m_activeProcess)
        return;
    m_activeProcess = process;
    Q_EMIT applicationActivated();
}

QList<RunningApplication> X11Workspace::runningApplications() const
{
    const QList<xcb_window_t> clients = m_clients->clientList().value_or(QList<xcb_window_t>());
    const QList<ClientWindow> windows = m_clients->describe(clients);
    const xcb_window_t active = m_clients->activeWindow(clients);

    QList<qint32> order;
    QHash<qint32, QList<ClientWindow>> windowsOfProcess;
    for (const ClientWindow& window : windows) {
        if (window.processIdentifier == 0)
            continue;
        if (!windowsOfProcess.contains(window.processIdentifier))
            order.append(window.processIdentifier);
        windowsOfProcess[window.processIdentifier].append(window);
    }

    QList<RunningApplication> applications;
    for (const qint32 process : order) {
        const QList<ClientWindow>& own = windowsOfProcess[process];
        const auto isRegular = [](const ClientWindow& window) { return window.normalType && !window.skipsTaskbar; };
        const auto main = std::find_if(own.begin(), own.end(), isRegular);
        const ClientWindow& named = main != own.end() ? *main : own.first();
        const auto resolved = m_directory.identifyWindow(named.instance, named.windowClass);

        RunningApplication application;
        application.processIdentifier = process;
        const std::optional<DesktopEntry> entry = resolved ? resolved->entry : std::nullopt;
        if (resolved)
            application.bundleIdentifier = resolved->identifier;
        // The entry's name, else the window's class; the window's own icon,
        // else the entry's from the icon theme.
        application.localizedName = entry ? entry->name : QString();
        if (application.localizedName.isEmpty())
            application.localizedName = named.windowClass;
        QIcon icon = m_clients->icon(named.id);
        if (icon.isNull() && entry)
            icon = entry->icon();
        if (!icon.isNull())
            application.icon = icon;
        application.regular = main != own.end();
        application.hidden = std::all_of(own.begin(), own.end(), [](const ClientWindow& window) { return window.minimised; });
        application.active = std::any_of(own.begin(), own.end(), [&](const ClientWindow& window) { return window.id == active; });
        applications.append(application);
    }
    m_connection->dispatchQueuedSoon();
    return applications;
}

qint32 X11Workspace::ownProcessIdentifier() const
{
    return qint32(QCoreApplication::applicationPid());
}

QList<quint32> X11Workspace::windowsOf(qint32 processIdentifier) const
{
    QList<quint32> own;
    if (processIdentifier <= 0)
        return own;
    const QList<xcb_window_t> clients = m_clients->clientList().value_or(QList<xcb_window_t>());
    for (const ClientWindow& window : m_clients->describe(clients))
        if (window.processIdentifier == processIdentifier)
            own.append(window.id);
    m_connection->dispatchQueuedSoon();
    return own;
}

QList<quint32> X11Workspace::frontMostFirst(const QList<quint32>& windows) const
{
    QList<quint32> ordered;
    const QList<xcb_window_t> stacking = m_clients->stackingOrder().value_or(QList<xcb_window_t>());
    for (auto window = stacking.crbegin(); window != stacking.crend(); ++window)
        if (windows.contains(*window))
            ordered.append(*window);
    for (const quint32 window : windows)
        if (!ordered.contains(window))
            ordered.append(window);
    m_connection->dispatchQueuedSoon();
    return ordered;
}

bool X11Workspace::terminate(qint32 processIdentifier)
{
    const QList<quint32> windows = windowsOf(processIdentifier);
    for (const quint32 window : windows)
        m_clients->close(window);
    return !windows.isEmpty();
}

bool X11Workspace::forceTerminate(qint32 processIdentifier)
{
    // Only a process that shows windows here: the number is never taken on trust.
    if (windowsOf(processIdentifier).isEmpty())
        return false;
    return ::kill(processIdentifier, SIGKILL) == 0;
}

bool X11Workspace::hide(qint32 processIdentifier)
{
    const QList<quint32> windows = windowsOf(processIdentifier);
    for (const quint32 window : windows)
        m_clients->minimise(window);
    return !windows.isEmpty();
}

bool X11Workspace::unhide(qint32 processIdentifier)
{
    if (processIdentifier <= 0)
        return false;
    const QList<xcb_window_t> clients = m_clients->clientList().value_or(QList<xcb_window_t>());
    bool found = false;
    for (const ClientWindow& window : m_clients->describe(clients)) {
        if (window.processIdentifier != processIdentifier)
            continue;
        found = true;
        if (window.minimised)
            m_clients->restore(window.id);
    }
    m_connection->dispatchQueuedSoon();
    return found;
}

bool X11Workspace::activateAllWindows(qint32 processIdentifier)
{
    const QList<quint32> own = windowsOf(processIdentifier);
    if (own.isEmpty())
        return false;
    // Activating each window from the bottom of the stack up raises them all
    // and leaves the front-most one active.
    const QList<quint32> windows = frontMostFirst(own);
    for (auto window = windows.crbegin(); window != windows.crend(); ++window)
        m_clients->activate(*window);
    return true;
}
