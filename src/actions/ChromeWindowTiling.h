#pragma once

#include "actions/Lifetime.h"
#include "platform/ApplicationWindows.h"
#include "platform/Screens.h"

#include <QList>
#include <QRectF>

#include <functional>
#include <optional>

class Bell;
class LauncherDispatch;
class Workspace;

// The two layouts of the window-layout panel: two windows side by side, or
// four in the corners.
enum class WindowTileLayout { leftRight, corners };

namespace WindowTiling {

// The rectangles the layout fills on a screen's visible frame, in filling
// order, in the window-placement space (origin at the primary screen's
// top-left corner, y down). screens lists every screen, the primary first.
// The halves are whole points; an odd size gives the extra point to the
// right or lower rectangles.
QList<QRectF> tileRectangles(WindowTileLayout layout, const QRectF& visibleFrame, const QList<DesktopScreen>& screens);

// The windows a layout may take, front-most first: those the user sees on
// the desktop in view, so not minimised and on that desktop or on every
// desktop. Where the window manager does not say, a window counts as seen.
QList<ApplicationWindows::WindowId> windowsInView(const QList<ApplicationWindows::Window>& frontMostFirst,
                                                  std::optional<quint32> currentDesktop);

} // namespace WindowTiling

// Moves and sizes the front-most windows on the desktop in view, of every
// running Chrome, into the layout on the screen under the mouse; it never
// brings another desktop into view. A refused or useless attempt rings the
// bell.
class ChromeWindowTiling {
public:
    using ScreenQuery = std::function<std::optional<DesktopScreen>()>;

    struct Environment {
        Workspace& workspace;
        ApplicationWindows& windows;
        Screens& screens;
        Bell& bell;
        LauncherDispatch& launcher;
        ScreenQuery screenUnderMouse;
        // The screen of the companion's panel.
        ScreenQuery panelScreen;
    };

    explicit ChromeWindowTiling(Environment environment);

    void tileChromeWindows(WindowTileLayout layout);

private:
    std::optional<DesktopScreen> targetScreen() const;

    Environment m_environment;
    Lifetime m_lifetime;
};
