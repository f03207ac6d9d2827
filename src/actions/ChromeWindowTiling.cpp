#include "actions/ChromeWindowTiling.h"

#include "actions/Chrome.h"
#include "actions/LauncherDispatch.h"
#include "platform/Bell.h"
#include "platform/Workspace.h"

#include <cmath>

namespace WindowTiling {

QList<QRectF> tileRectangles(WindowTileLayout layout, const QRectF& visibleFrame, const QList<DesktopScreen>& screens)
{
    // Frames here are y-up: a rectangle's bottom() is its top edge.
    const qreal primaryTop = screens.isEmpty() ? visibleFrame.bottom() : screens.first().frame.bottom();
    const qreal top = primaryTop - visibleFrame.bottom();
    const qreal left = visibleFrame.left();
    const qreal width = visibleFrame.width();
    const qreal height = visibleFrame.height();
    const qreal halfWidth = std::floor(width / 2);
    const qreal halfHeight = std::floor(height / 2);

    if (layout == WindowTileLayout::leftRight)
        return {QRectF(left, top, halfWidth, height), QRectF(left + halfWidth, top, width - halfWidth, height)};
    return {
        QRectF(left, top, halfWidth, halfHeight),
        QRectF(left + halfWidth, top, width - halfWidth, halfHeight),
        QRectF(left, top + halfHeight, halfWidth, height - halfHeight),
        QRectF(left + halfWidth, top + halfHeight, width - halfWidth, height - halfHeight),
    };
}

QList<ApplicationWindows::WindowId> windowsInView(const QList<ApplicationWindows::Window>& frontMostFirst,
                                                  std::optional<quint32> currentDesktop)
{
    QList<ApplicationWindows::WindowId> inView;
    for (const ApplicationWindows::Window& window : frontMostFirst) {
        const bool onThisDesktop = !currentDesktop || !window.desktop || *window.desktop == currentDesktop
            || *window.desktop == ApplicationWindows::allDesktops;
        if (onThisDesktop && !window.minimised)
            inView.append(window.id);
    }
    return inView;
}

} // namespace WindowTiling

ChromeWindowTiling::ChromeWindowTiling(Environment environment) : m_environment(std::move(environment)) { }

std::optional<DesktopScreen> ChromeWindowTiling::targetScreen() const
{
    if (auto screen = m_environment.screenUnderMouse())
        return screen;
    if (auto screen = m_environment.panelScreen())
        return screen;
    return m_environment.screens.mainScreen();
}

void ChromeWindowTiling::tileChromeWindows(WindowTileLayout layout)
{
    QList<qint32> instances;
    for (const RunningApplication& chrome : m_environment.workspace.allWithBundleIdentifier(Chrome::bundleIdentifier))
        instances.append(chrome.processIdentifier);
    if (instances.isEmpty()) {
        // Launched now; its windows are tiled on a later press.
        m_environment.launcher.openRecallPage();
        return;
    }
    // The order is read before Chrome comes forward: while its windows are
    // being raised one by one the stack is half old, half new, and the
    // front-most windows would not reliably take the first rectangles.
    ApplicationWindows& windows = m_environment.windows;
    const std::optional<QList<ApplicationWindows::Window>> described = windows.describedWindows(instances);
    const QList<ApplicationWindows::WindowId> chromeWindows = described
        ? WindowTiling::windowsInView(*described, windows.currentDesktop())
        : QList<ApplicationWindows::WindowId>();
    // Chrome comes to the front even when tiling is refused, but only here:
    // activating a window elsewhere would bring its desktop into view, and a
    // minimised one stays out of the way. Raised from the back, the
    // front-most ends up active.
    for (auto window = chromeWindows.crbegin(); window != chromeWindows.crend(); ++window)
        windows.activate(*window);

    Bell& bell = m_environment.bell;
    if (!windows.isTrusted()) {
        bell.ring();
        return;
    }
    if (chromeWindows.isEmpty()) {
        bell.ring();
        return;
    }
    const std::optional<DesktopScreen> screen = targetScreen();
    if (!screen) {
        bell.ring();
        return;
    }

    const QList<QRectF> rectangles =
        WindowTiling::tileRectangles(layout, screen->visibleFrame, m_environment.screens.screens());
    ApplicationWindows::Frames frames;
    for (qsizetype index = 0; index < std::min(chromeWindows.size(), rectangles.size()); ++index)
        frames.append({chromeWindows.at(index), rectangles.at(index)});
    windows.place(frames, m_lifetime.guard([this](int landed) {
        if (landed == 0)
            m_environment.bell.ring();
    }));
}
