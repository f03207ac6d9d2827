// X11 whenever a display is reachable, Wayland sessions included.
#include "shell/DisplayPlatform.h"

#include <gtest/gtest.h>

namespace {

TEST(DisplayPlatform, RunsOnX11WheneverAnXDisplayIsReachable)
{
    struct Case {
        const char* display;
        const char* requested;
        std::optional<QByteArray> chosen;
    };
    const Case cases[] = {
        // Wayland with XWayland: X11, whatever the session asks Qt programs for.
        {":1", "wayland;xcb", "xcb"},
        {":1", "wayland", "xcb"},
        {":1", "wayland-egl", "xcb"},
        {":1", "", "xcb"},
        // Wayland without XWayland: what Qt offers.
        {"", "wayland;xcb", std::nullopt},
        {"", "", std::nullopt},
        {" ", "wayland", std::nullopt},
        // X11: X11.
        {":0", "xcb", std::nullopt},
        {":0", "xcb;wayland", std::nullopt},
        // A platform of another kind chosen on purpose stays.
        {":0", "offscreen", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DisplayPlatform::choose(c.display, c.requested), c.chosen) << c.display << " / " << c.requested;
}

} // namespace
