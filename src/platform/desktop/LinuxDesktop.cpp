#include "platform/desktop/LinuxDesktop.h"

#include "platform/desktop/ApplicationDirectory.h"
#include "platform/desktop/ChromeDevTools.h"
#include "platform/desktop/ClipboardPasteboard.h"
#include "platform/desktop/DisplayBell.h"
#include "platform/desktop/SessionLockWatch.h"
#include "platform/desktop/XdgApplications.h"
#include "platform/x11/X11ApplicationWindows.h"
#include "platform/x11/X11MouseMonitoring.h"
#include "platform/x11/X11Panels.h"
#include "platform/x11/X11Screens.h"
#include "platform/x11/X11Visibility.h"
#include "platform/x11/XcbConnection.h"

#include <unistd.h>

namespace {

// Without a window system there is no list of other applications to read
// and nothing to ask of them.
class WindowlessWorkspace final : public Workspace {
public:
    QList<RunningApplication> runningApplications() const override { return {}; }
    qint32 ownProcessIdentifier() const override { return static_cast<qint32>(::getpid()); }
    bool terminate(qint32) override { return false; }
    bool forceTerminate(qint32) override { return false; }
    bool hide(qint32) override { return false; }
    bool unhide(qint32) override { return false; }
    bool activateAllWindows(qint32) override { return false; }
};

} // namespace

LinuxDesktop::LinuxDesktop()
    : m_connection(XcbConnection::open()), m_screens(std::make_unique<X11Screens>(m_connection.get())),
      m_panels(std::make_unique<X11PanelFactory>(*m_screens)), m_mouse(std::make_unique<X11MouseMonitoring>()),
      m_directory(std::make_unique<ApplicationDirectory>()),
      m_workspace(X11Workspace::open(identifyingWindowsBy(*m_directory))),
      m_windows(std::make_unique<X11ApplicationWindows>()), m_pasteboard(std::make_unique<ClipboardPasteboard>()),
      m_bell(std::make_unique<DisplayBell>()), m_visibility(std::make_unique<X11VisibilityMonitoring>()),
      m_sessionLock(std::make_unique<SessionLockWatch>([this](bool locked) { m_visibility->setSessionLocked(locked); }))
{
    if (!m_workspace)
        m_workspace = std::make_unique<WindowlessWorkspace>();
    m_applications = std::make_unique<XdgApplications>(*m_directory, *m_workspace);
    m_browserTabs = std::make_unique<ChromeDevTools>(*m_workspace);
}

LinuxDesktop::~LinuxDesktop() = default;

X11Workspace::IdentifyWindow LinuxDesktop::identifyingWindowsBy(const ApplicationDirectory& directory)
{
    return [&directory](const QString& instance,
                        const QString& windowClass) -> std::optional<X11Workspace::InstalledApplication> {
        const std::optional<ResolvedApplication> resolved = directory.identifyWindow(instance, windowClass);
        if (!resolved)
            return std::nullopt;
        if (!resolved->entry)
            return X11Workspace::InstalledApplication{resolved->identifier, {}, {}};
        return X11Workspace::InstalledApplication{resolved->identifier, resolved->entry->name, resolved->entry->icon()};
    };
}

Desktop LinuxDesktop::desktop()
{
    return {*m_screens, *m_panels,     *m_mouse, *m_workspace,   *m_applications,
            *m_windows, *m_pasteboard, *m_bell,  *m_browserTabs, *m_visibility};
}
