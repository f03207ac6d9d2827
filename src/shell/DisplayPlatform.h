#pragma once

#include <QByteArray>

#include <optional>

// The companion needs what only X11 lets a program do: place its panels
// anywhere, keep them above other windows and on every desktop, see other
// applications' windows and follow the pointer. So it runs on X11 whenever an
// X display is reachable (XWayland on a Wayland session), even where the
// session asks Qt programs for Wayland first; without one it takes what Qt
// offers. Decided before the application object exists: one process, one
// platform, the web windows included.
namespace DisplayPlatform {

// The platform to ask Qt for, given $DISPLAY and $QT_QPA_PLATFORM (Qt's
// list of platforms to try, separated by ";"); nothing leaves Qt's own
// choice. An explicit choice of another kind than Wayland (offscreen, say) is
// kept.
std::optional<QByteArray> choose(const QByteArray& display, const QByteArray& requestedPlatforms);

} // namespace DisplayPlatform
