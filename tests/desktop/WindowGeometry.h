#pragma once

// Where the window manager shows another client's window.

#include "platform/x11/EwmhClients.h"

#include <QRect>

// The window as the user sees it: the client area with the window manager's
// decoration around it, in root-window pixels.
inline QRect outerGeometry(XcbConnection& connection, xcb_window_t window)
{
    auto* raw = connection.raw();
    const XcbReply<xcb_get_geometry_reply_t> size(xcb_get_geometry_reply(raw, xcb_get_geometry(raw, window), nullptr));
    const XcbReply<xcb_translate_coordinates_reply_t> origin(
        xcb_translate_coordinates_reply(raw, xcb_translate_coordinates(raw, window, connection.root(), 0, 0), nullptr));
    if (!size || !origin)
        return {};
    const QMargins frame = EwmhClients(connection).frameExtents(window);
    return QRect(origin->dst_x, origin->dst_y, size->width, size->height).marginsAdded(frame);
}
