#pragma once

#include "platform/Desktop.h"
#include "platform/x11/X11Workspace.h"

#include <memory>

class ApplicationDirectory;
class ChromeDevTools;
class ClipboardPasteboard;
class DisplayBell;
class X11ApplicationWindows;
class X11MouseMonitoring;
class X11PanelFactory;
class X11Screens;
class X11VisibilityMonitoring;
class XcbConnection;
class SessionLockWatch;
class XdgApplications;

// The Linux desktop the companion runs on: the X11 window system, the XDG
// application entries, the clipboard, the bell and the browser's tabs. Without an X server the
// screens and panels fall back to what Qt knows, and other applications can
// be neither listed nor moved.
class LinuxDesktop final {
public:
    LinuxDesktop();
    ~LinuxDesktop();

    Desktop desktop();

    // Names the windows' applications after the directory's desktop entries.
    static X11Workspace::IdentifyWindow identifyingWindowsBy(const ApplicationDirectory& directory);

private:
    std::unique_ptr<XcbConnection> m_connection;
    std::unique_ptr<X11Screens> m_screens;
    std::unique_ptr<X11PanelFactory> m_panels;
    std::unique_ptr<X11MouseMonitoring> m_mouse;
    std::unique_ptr<ApplicationDirectory> m_directory;
    std::unique_ptr<Workspace> m_workspace;
    std::unique_ptr<XdgApplications> m_applications;
    std::unique_ptr<X11ApplicationWindows> m_windows;
    std::unique_ptr<ClipboardPasteboard> m_pasteboard;
    std::unique_ptr<DisplayBell> m_bell;
    std::unique_ptr<ChromeDevTools> m_browserTabs;
    std::unique_ptr<X11VisibilityMonitoring> m_visibility;
    std::unique_ptr<SessionLockWatch> m_sessionLock;
};
