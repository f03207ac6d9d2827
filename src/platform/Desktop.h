#pragma once

class ApplicationWindows;
class Applications;
class Bell;
class BrowserTabs;
class MouseMonitoring;
class PanelFactory;
class Pasteboard;
class Screens;
class VisibilityMonitoring;
class Workspace;

// Everything the companion asks of the desktop it runs on.
struct Desktop {
    Screens& screens;
    PanelFactory& panels;
    MouseMonitoring& mouse;
    Workspace& workspace;
    Applications& applications;
    ApplicationWindows& windows;
    Pasteboard& pasteboard;
    Bell& bell;
    BrowserTabs& browserTabs;
    VisibilityMonitoring& visibility;
};
