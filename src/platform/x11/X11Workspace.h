#pragma once

#include "platform/Workspace.h"

#include <QHash>
#include <QIcon>

#include <functional>
#include <memory>
#include <optional>

class EwmhClients;
struct ClientWindow;
class XcbConnection;

// The running applications as the window manager's client list shows them,
// one per process that owns a managed window, named and identified by what
// the desktop's installed applications say of its window class. Launches, terminations, activations and
// windows opening or closing are read from the root window's client list
// and active window.
// A window's process is the one the X server names for it (see
// WindowOwnership). Quits go only to a process that owns a managed window at
// that moment and runs as the same user.
// Main thread only, except terminate and forceTerminate, which touch no
// state of their own and may be asked from a background task.
class X11Workspace final : public Workspace {
    Q_OBJECT
public:
    // An installed application, as it is known by a window's class.
    struct InstalledApplication {
        // The identifier Applications and Workspace agree on.
        QString identifier;
        QString name;
        QIcon icon;
    };
    // The installed application a window's WM_CLASS instance and class
    // belong to; none when nothing installed matches.
    using IdentifyWindow =
        std::function<std::optional<InstalledApplication>(const QString& instance, const QString& windowClass)>;

    // None without an X server.
    static std::unique_ptr<X11Workspace> open(IdentifyWindow identifyWindow);
    ~X11Workspace() override;

    QList<RunningApplication> runningApplications() const override;
    qint32 ownProcessIdentifier() const override;
    bool terminate(qint32 processIdentifier) override;
    bool forceTerminate(qint32 processIdentifier) override;
    bool hide(qint32 processIdentifier) override;
    bool unhide(qint32 processIdentifier) override;
    bool activateAllWindows(qint32 processIdentifier) override;

private:
    X11Workspace(std::unique_ptr<XcbConnection> connection, IdentifyWindow identifyWindow);

    // The managed windows as they are now, oldest first, and a process's.
    QList<ClientWindow> managedWindows() const;
    QList<ClientWindow> windowsOf(qint32 processIdentifier) const;
    // The windows a quit of the process may close, read afresh: none when
    // it may not be quit (see WindowOwnership::mayQuit).
    QList<ClientWindow> windowsToQuit(qint32 processIdentifier) const;
    QList<ClientWindow> frontMostFirst(const QList<ClientWindow>& windows) const;
    void clientsChanged();
    void activeWindowChanged();

    std::unique_ptr<XcbConnection> m_connection;
    std::unique_ptr<EwmhClients> m_clients;
    IdentifyWindow m_identifyWindow;
    // What the last change showed: the process of every managed window and
    // the process of the active one.
    QHash<quint32, qint32> m_processOfWindow;
    qint32 m_activeProcess = 0;
};
