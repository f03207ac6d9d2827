#pragma once

// Where the window manager shows another client's window.

#include "platform/x11/EwmhClients.h"

#include <QRect>

// The window as the user sees it: the client area with the window manager's
// decoration around it, in root-window pixels.
inline QRect outerGeometry(XcbConnection& connection, xcb_window_t window)
{
    return EwmhClients(connection).frameGeometry(window);
}
