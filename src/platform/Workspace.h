#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

// An application process as the desktop's window list shows it.
struct RunningApplication {
    qint32 processIdentifier = 0;
    // The name the desktop shows for it; empty when it has none.
    QString localizedName;
    // Identifies the installed application (see Applications); empty when
    // the process matches none.
    QString bundleIdentifier;
    std::optional<QIcon> icon;
    // Has a normal window managed by the window manager (not a dock, panel
    // or background helper).
    bool regular = false;
    // Every window of it is minimised (one on another desktop is not).
    bool hidden = false;
    // Owns the active window.
    bool active = false;
};

// The user's running applications and what can be done to them.
class Workspace : public QObject {
    Q_OBJECT
public:
    // In the window manager's order (oldest window first).
    virtual QList<RunningApplication> runningApplications() const = 0;
    virtual qint32 ownProcessIdentifier() const = 0;

    // Each returns whether the request could be made; false when no such
    // application runs.
    // Asks every window of the application to close, as its close button would.
    virtual bool terminate(qint32 processIdentifier) = 0;
    // Kills the process.
    virtual bool forceTerminate(qint32 processIdentifier) = 0;
    virtual bool hide(qint32 processIdentifier) = 0;
    virtual bool unhide(qint32 processIdentifier) = 0;
    // Brings the application in front with all its windows.
    virtual bool activateAllWindows(qint32 processIdentifier) = 0;

    // The first running application with that identifier, if any.
    std::optional<RunningApplication> firstWithBundleIdentifier(const QString& bundleIdentifier) const;
    // Every running process of the application with that identifier (a
    // browser runs one for each profile the user started).
    QList<RunningApplication> allWithBundleIdentifier(const QString& bundleIdentifier) const;
    std::optional<RunningApplication> withProcessIdentifier(qint32 processIdentifier) const;

Q_SIGNALS:
    void applicationLaunched();
    void applicationTerminated();
    void applicationActivated();
    // A managed window opened or closed.
    void windowsChanged();
};
