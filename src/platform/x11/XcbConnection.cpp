#include "platform/x11/XcbConnection.h"

#include <QSocketNotifier>

#include <cstring>

std::unique_ptr<XcbConnection> XcbConnection::open()
{
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::unique_ptr<XcbConnection>(new XcbConnection(connection, screenNumber));
}

XcbConnection::XcbConnection(xcb_connection_t* connection, int screenNumber)
    : m_connection(connection), m_screenNumber(screenNumber)
{
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int index = 0; screens.rem && index < screenNumber; ++index)
        xcb_screen_next(&screens);
    if (screens.rem)
        m_root = screens.data->root;

    xcb_ewmh_init_atoms_replies(&m_ewmh, xcb_ewmh_init_atoms(connection, &m_ewmh), nullptr);

    m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &XcbConnection::dispatchPending);
}

XcbConnection::~XcbConnection()
{
    m_notifier.reset();
    xcb_ewmh_connection_wipe(&m_ewmh);
    xcb_disconnect(m_connection);
}

xcb_atom_t XcbConnection::atom(const char* name)
{
    const auto cookie = xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(m_connection, cookie, nullptr));
    dispatchQueuedSoon();
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

void XcbConnection::sync()
{
    XcbReply<xcb_get_input_focus_reply_t>(
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    dispatchQueuedSoon();
}

// Waiting for a reply reads whatever events came before it into xcb's queue,
// where the socket notifier no longer sees them: hand them out on the next
// turn of the event loop.
void XcbConnection::dispatchQueuedSoon()
{
    QMetaObject::invokeMethod(this, &XcbConnection::dispatchPending, Qt::QueuedConnection);
}

void XcbConnection::dispatchPending()
{
    while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(m_connection)}) {
        if (m_handler)
            m_handler(*event);
    }
}

std::optional<QRect> XcbConnection::geometryOnRoot(xcb_window_t window) const
{
    const auto originCookie = xcb_translate_coordinates(m_connection, window, m_root, 0, 0);
    const auto sizeCookie = xcb_get_geometry(m_connection, window);
    const XcbReply<xcb_translate_coordinates_reply_t> origin(
        xcb_translate_coordinates_reply(m_connection, originCookie, nullptr));
    const XcbReply<xcb_get_geometry_reply_t> size(xcb_get_geometry_reply(m_connection, sizeCookie, nullptr));
    if (!origin || !size)
        return std::nullopt;
    return QRect(origin->dst_x, origin->dst_y, size->width, size->height);
}
