#include "platform/x11/X11Workspace.h"

#include "platform/x11/EwmhClients.h"
#include "platform/x11/WindowOwnership.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>
#include <csignal>

#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// The user a process runs as: the owner of its /proc folder.
std::optional<uid_t> userOf(qint32 processIdentifier)
{
    const QByteArray folder = "/proc/" + QByteArray::number(processIdentifier);
    struct stat status { };
    if (processIdentifier <= 0 || ::stat(folder.constData(), &status) != 0)
        return std::nullopt;
    return status.st_uid;
}

// A process held through a pidfd: a signal sent through it reaches that
// process or none, never a later one that was given the same number. Where
// the kernel has no pidfds, the number itself serves. (The system calls are
// made directly: Debian 12's C library declares their wrappers for C only.)
class PinnedProcess {
public:
    explicit PinnedProcess(qint32 processIdentifier)
        : m_process(pid_t(processIdentifier)),
          m_handle(processIdentifier > 0 ? int(::syscall(SYS_pidfd_open, m_process, 0u)) : -1),
          m_running(processIdentifier > 0 && (m_handle >= 0 || errno != ESRCH))
    {
    }
    ~PinnedProcess()
    {
        if (m_handle >= 0)
            ::close(m_handle);
    }
    PinnedProcess(const PinnedProcess&) = delete;
    PinnedProcess& operator=(const PinnedProcess&) = delete;

    bool running() const { return m_running; }
    bool kill() const
    {
        if (m_handle >= 0)
            return ::syscall(SYS_pidfd_send_signal, m_handle, SIGKILL, nullptr, 0u) == 0;
        return ::kill(m_process, SIGKILL) == 0;
    }

private:
    pid_t m_process;
    int m_handle;
    bool m_running;
};

QList<ClientWindow> ownedBy(const QList<ClientWindow>& windows, qint32 processIdentifier)
{
    QList<ClientWindow> own;
    if (processIdentifier > 0)
        std::copy_if(windows.begin(), windows.end(), std::back_inserter(own),
                     [&](const ClientWindow& window) { return window.processIdentifier == processIdentifier; });
    return own;
}

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

std::unique_ptr<X11Workspace> X11Workspace::open(IdentifyWindow identifyWindow)
{
    auto connection = XcbConnection::open();
    if (!connection)
        return nullptr;
    return std::unique_ptr<X11Workspace>(new X11Workspace(std::move(connection), std::move(identifyWindow)));
}

X11Workspace::X11Workspace(std::unique_ptr<XcbConnection> connection, IdentifyWindow identifyWindow)
    : m_connection(std::move(connection)), m_clients(std::make_unique<EwmhClients>(*m_connection)),
      m_identifyWindow(std::move(identifyWindow))
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
        const std::optional<InstalledApplication> installed = m_identifyWindow(named.instance, named.windowClass);

        RunningApplication application;
        application.processIdentifier = process;
        if (installed)
            application.bundleIdentifier = installed->identifier;
        // The installed application's name, else the window's class; the
        // window's own icon, else the installed application's.
        application.localizedName = installed ? installed->name : QString();
        if (application.localizedName.isEmpty())
            application.localizedName = named.windowClass;
        QIcon icon = m_clients->icon(named.id);
        if (icon.isNull() && installed)
            icon = installed->icon;
        if (!icon.isNull())
            application.icon = icon;
        application.regular = main != own.end();
        application.hidden =
            std::all_of(own.begin(), own.end(), [](const ClientWindow& window) { return window.minimised; });
        application.active =
            std::any_of(own.begin(), own.end(), [&](const ClientWindow& window) { return window.id == active; });
        applications.append(application);
    }
    m_connection->dispatchQueuedSoon();
    return applications;
}

qint32 X11Workspace::ownProcessIdentifier() const { return qint32(QCoreApplication::applicationPid()); }

QList<ClientWindow> X11Workspace::managedWindows() const
{
    const QList<ClientWindow> windows = m_clients->describe(m_clients->clientList().value_or(QList<xcb_window_t>()));
    m_connection->dispatchQueuedSoon();
    return windows;
}

QList<ClientWindow> X11Workspace::windowsOf(qint32 processIdentifier) const
{
    return ownedBy(managedWindows(), processIdentifier);
}

QList<ClientWindow> X11Workspace::windowsToQuit(qint32 processIdentifier) const
{
    const QList<ClientWindow> windows = managedWindows();
    QList<qint32> owners;
    for (const ClientWindow& window : windows)
        owners.append(window.processIdentifier);
    const std::optional<uid_t> user = userOf(processIdentifier);
    if (!WindowOwnership::mayQuit(processIdentifier, owners, ownProcessIdentifier(), user, ::getuid()))
        return {};
    return ownedBy(windows, processIdentifier);
}

QList<ClientWindow> X11Workspace::frontMostFirst(const QList<ClientWindow>& windows) const
{
    QList<ClientWindow> ordered;
    const QList<xcb_window_t> stacking = m_clients->stackingOrder().value_or(QList<xcb_window_t>());
    const auto byId = [&](xcb_window_t id) {
        return std::find_if(windows.begin(), windows.end(),
                            [&](const ClientWindow& window) { return window.id == id; });
    };
    for (auto id = stacking.crbegin(); id != stacking.crend(); ++id)
        if (const auto window = byId(*id); window != windows.end())
            ordered.append(*window);
    for (const ClientWindow& window : windows)
        if (!stacking.contains(window.id))
            ordered.append(window);
    m_connection->dispatchQueuedSoon();
    return ordered;
}

bool X11Workspace::terminate(qint32 processIdentifier)
{
    const QList<ClientWindow> windows = windowsToQuit(processIdentifier);
    for (const ClientWindow& window : windows)
        m_clients->close(window.id);
    return !windows.isEmpty();
}

bool X11Workspace::forceTerminate(qint32 processIdentifier)
{
    // Held from before the check, so the signal reaches the process that was
    // checked even if it ends meanwhile and its number goes to another.
    const PinnedProcess process(processIdentifier);
    return process.running() && !windowsToQuit(processIdentifier).isEmpty() && process.kill();
}

bool X11Workspace::hide(qint32 processIdentifier)
{
    const QList<ClientWindow> windows = windowsOf(processIdentifier);
    for (const ClientWindow& window : windows)
        m_clients->minimise(window.id);
    return !windows.isEmpty();
}

bool X11Workspace::unhide(qint32 processIdentifier)
{
    const QList<ClientWindow> windows = windowsOf(processIdentifier);
    for (const ClientWindow& window : windows)
        if (window.minimised)
            m_clients->restore(window.id);
    return !windows.isEmpty();
}

bool X11Workspace::activateAllWindows(qint32 processIdentifier)
{
    const QList<ClientWindow> own = windowsOf(processIdentifier);
    if (own.isEmpty())
        return false;
    const QList<ClientWindow> windows = frontMostFirst(own);
    // As a taskbar does: the window manager activates only windows on the
    // desktop in view (elsewhere it merely marks them as wanting attention),
    // so the front-most window's desktop comes into view first.
    const std::optional<uint32_t> desktop = windows.first().desktop;
    const bool everywhere = !desktop || *desktop == ClientWindow::allDesktops;
    if (!everywhere && desktop != m_clients->currentDesktop())
        m_clients->showDesktop(*desktop);
    // Activating each window there from the bottom of the stack up raises
    // them all and leaves the front-most one active.
    for (auto window = windows.crbegin(); window != windows.crend(); ++window)
        if (everywhere || window->desktop == desktop || window->desktop == ClientWindow::allDesktops)
            m_clients->activate(window->id);
    m_connection->dispatchQueuedSoon();
    return true;
}
