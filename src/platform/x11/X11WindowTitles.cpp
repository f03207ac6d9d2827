#include "platform/WindowTitles.h"

#include "platform/x11/XcbConnection.h"

#include <QGuiApplication>
#include <QWidget>

#include <cstring>

namespace {

xcb_atom_t atomOf(xcb_connection_t* connection, const char* name)
{
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

} // namespace

void showExactTitle(QWidget& window, const QString& title)
{
    window.setWindowTitle(title);
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !window.testAttribute(Qt::WA_WState_Created))
        return;
    // Written over the name Qt gave the window (WM_NAME already is the title alone).
    xcb_connection_t* connection = x11->connection();
    const xcb_atom_t name = atomOf(connection, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atomOf(connection, "UTF8_STRING");
    if (name == XCB_ATOM_NONE || utf8 == XCB_ATOM_NONE)
        return;
    const QByteArray text = title.toUtf8();
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window.winId()), name, utf8, 8,
                        uint32_t(text.size()), text.constData());
    xcb_flush(connection);
}
