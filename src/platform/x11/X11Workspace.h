#pragma once

#include "platform/Workspace.h"

#include <QHash>

#include <memory>

class ApplicationDirectory;
class EwmhClients;
class XcbConnection;

// The running applications as the window manager's client list shows them,
// one per process that owns a managed window, named and identified through
// the application directory. Launches, terminations, activations and
// windows opening or closing are read from the root window's client list
// and active window.
// Main thread only, except terminate and forceTerminate, which touch no
// state of their own and may be asked from a background task.
class X11Workspace final : public Workspace {
    Q_OBJECT
public:
    // None without an X server.
    static std::unique_ptr<X11Workspace> open(const ApplicationDirectory& directory);
    ~X11Workspace() override;

    QList<RunningApplication> runningApplications() const override;
    qint32 ownProcessIdentifier() const override;
    bool terminate(qint32 processIdentifier) override;
    bool forceTerminate(qint32 processIdentifier) override;
    bool hide(qint32 processIdentifier) override;
    bool unhide(qint32 processIdentifier) override;
    bool activateAllWindows(qint32 processIdentifier) override;

private:
    X11Workspace(std::unique_ptr<XcbConnection> connection, const ApplicationDirectory& directory);

    // The process's managed windows, oldest first.
    QList<quint32> windowsOf(qint32 processIdentifier) const;
    QList<quint32> frontMostFirst(const QList<quint32>& windows) const;
    void clientsChanged();
    void activeWindowChanged();

    std::unique_ptr<XcbConnection> m_connection;
    std::unique_ptr<EwmhClients> m_clients;
    const ApplicationDirectory& m_directory;
    // What the last change showed: the process of every managed window and
    // the process of the active one.
    QHash<quint32, qint32> m_processOfWindow;
    qint32 m_activeProcess = 0;
};
