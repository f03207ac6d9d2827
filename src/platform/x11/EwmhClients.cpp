#include "platform/x11/EwmhClients.h"

#include "platform/x11/NetWmIcon.h"
#include "platform/x11/WindowOwnership.h"

#include <QSysInfo>

#include <xcb/res.h>
#include <xcb/xcb_icccm.h>

#include <algorithm>
#include <vector>

namespace {

constexpr uint32_t iconicState = XCB_ICCCM_WM_STATE_ICONIC;
// The request comes from a pager-like tool acting for the user, which
// window managers honour without focus-stealing checks.
constexpr auto sourceIndication = XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER;
// Longest _NET_WM_ICON read, in 32-bit values (a few sizes up to 256 x 256).
constexpr uint32_t iconReadLimit = 512 * 1024;

template <typename Atoms>
bool holds(const Atoms& atoms, uint32_t count, xcb_atom_t atom)
{
    return std::find(atoms, atoms + count, atom) != atoms + count;
}

QString localHostName()
{
    static const QString name = QSysInfo::machineHostName();
    return name;
}

// Client ids with their processes came with X-Resource 1.2.
bool serverNamesProcesses(xcb_connection_t* connection)
{
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_res_id);
    if (!extension || !extension->present)
        return false;
    const XcbReply<xcb_res_query_version_reply_t> version(
        xcb_res_query_version_reply(connection, xcb_res_query_version(connection, 1, 2), nullptr));
    return version && (version->server_major > 1 || (version->server_major == 1 && version->server_minor >= 2));
}

// The process of the client that made the window, as the server knows it.
xcb_res_query_client_ids_cookie_t askForOwner(xcb_connection_t* connection, xcb_window_t window)
{
    const xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    return xcb_res_query_client_ids(connection, 1, &spec);
}

std::optional<quint32> ownerFrom(xcb_connection_t* connection, xcb_res_query_client_ids_cookie_t cookie)
{
    const XcbReply<xcb_res_query_client_ids_reply_t> reply(xcb_res_query_client_ids_reply(connection, cookie, nullptr));
    if (!reply)
        return std::nullopt;
    for (auto id = xcb_res_query_client_ids_ids_iterator(reply.get()); id.rem; xcb_res_client_id_value_next(&id)) {
        const bool isProcess = id.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID;
        if (isProcess && xcb_res_client_id_value_value_length(id.data) >= 1)
            return *xcb_res_client_id_value_value(id.data);
    }
    return std::nullopt;
}

} // namespace

EwmhClients::EwmhClients(XcbConnection& connection)
    : m_connection(connection), m_wmChangeState(connection.atom("WM_CHANGE_STATE")),
      m_serverNamesProcesses(serverNamesProcesses(connection.raw()))
{
}

std::optional<QList<xcb_window_t>> EwmhClients::windowList(xcb_get_property_cookie_t cookie) const
{
    xcb_ewmh_get_windows_reply_t reply;
    if (!xcb_ewmh_get_windows_reply(m_connection.ewmh(), cookie, &reply, nullptr))
        return std::nullopt;
    QList<xcb_window_t> windows(reply.windows, reply.windows + reply.windows_len);
    xcb_ewmh_get_windows_reply_wipe(&reply);
    return windows;
}

std::optional<QList<xcb_window_t>> EwmhClients::clientList() const
{
    return windowList(xcb_ewmh_get_client_list(m_connection.ewmh(), m_connection.screenNumber()));
}

std::optional<QList<xcb_window_t>> EwmhClients::stackingOrder() const
{
    if (auto stacking = windowList(xcb_ewmh_get_client_list_stacking(m_connection.ewmh(), m_connection.screenNumber())))
        return stacking;
    // xfwm4 publishes no stacking list while it manages a single window.
    return clientList();
}

xcb_window_t EwmhClients::activeWindow(const QList<xcb_window_t>& clients) const
{
    auto* ewmh = m_connection.ewmh();
    xcb_window_t active = XCB_NONE;
    if (!xcb_ewmh_get_active_window_reply(ewmh, xcb_ewmh_get_active_window(ewmh, m_connection.screenNumber()), &active,
                                          nullptr))
        return XCB_NONE;
    // The property can still name a window that has gone.
    return clients.contains(active) ? active : XCB_NONE;
}

QList<ClientWindow> EwmhClients::describe(const QList<xcb_window_t>& windows) const
{
    auto* ewmh = m_connection.ewmh();
    auto* raw = m_connection.raw();
    struct Requests {
        xcb_get_property_cookie_t pid, wmClass, type, state, desktop, transientFor, machine;
        std::optional<xcb_res_query_client_ids_cookie_t> owner;
    };
    std::vector<Requests> requests;
    requests.reserve(size_t(windows.size()));
    for (const xcb_window_t window : windows) {
        requests.push_back({
            xcb_ewmh_get_wm_pid(ewmh, window),
            xcb_icccm_get_wm_class(raw, window),
            xcb_ewmh_get_wm_window_type(ewmh, window),
            xcb_ewmh_get_wm_state(ewmh, window),
            xcb_ewmh_get_wm_desktop(ewmh, window),
            xcb_icccm_get_wm_transient_for(raw, window),
            xcb_icccm_get_wm_client_machine(raw, window),
            m_serverNamesProcesses ? std::optional(askForOwner(raw, window)) : std::nullopt,
        });
    }

    QList<ClientWindow> described;
    for (qsizetype index = 0; index < windows.size(); ++index) {
        const Requests& request = requests[size_t(index)];
        ClientWindow window;
        window.id = windows[index];
        WindowOwnership::Evidence owner;
        owner.serverNamesProcesses = m_serverNamesProcesses;
        if (request.owner)
            owner.serverProcess = ownerFrom(raw, *request.owner);

        uint32_t pid = 0;
        if (xcb_ewmh_get_wm_pid_reply(ewmh, request.pid, &pid, nullptr))
            owner.claimedProcess = pid;

        xcb_icccm_get_wm_class_reply_t wmClass;
        if (xcb_icccm_get_wm_class_reply(raw, request.wmClass, &wmClass, nullptr)) {
            window.instance = QString::fromLocal8Bit(wmClass.instance_name);
            window.windowClass = QString::fromLocal8Bit(wmClass.class_name);
            xcb_icccm_get_wm_class_reply_wipe(&wmClass);
        }

        xcb_ewmh_get_atoms_reply_t types;
        const bool hasType = xcb_ewmh_get_wm_window_type_reply(ewmh, request.type, &types, nullptr);
        bool normal = false;
        bool dialog = false;
        if (hasType) {
            normal = holds(types.atoms, types.atoms_len, ewmh->_NET_WM_WINDOW_TYPE_NORMAL);
            dialog = holds(types.atoms, types.atoms_len, ewmh->_NET_WM_WINDOW_TYPE_DIALOG);
            xcb_ewmh_get_atoms_reply_wipe(&types);
        }

        xcb_ewmh_get_atoms_reply_t states;
        if (xcb_ewmh_get_wm_state_reply(ewmh, request.state, &states, nullptr)) {
            window.skipsTaskbar = holds(states.atoms, states.atoms_len, ewmh->_NET_WM_STATE_SKIP_TASKBAR);
            window.minimised = holds(states.atoms, states.atoms_len, ewmh->_NET_WM_STATE_HIDDEN);
            window.sizedByWindowManager = holds(states.atoms, states.atoms_len, ewmh->_NET_WM_STATE_MAXIMIZED_VERT)
                || holds(states.atoms, states.atoms_len, ewmh->_NET_WM_STATE_MAXIMIZED_HORZ)
                || holds(states.atoms, states.atoms_len, ewmh->_NET_WM_STATE_FULLSCREEN);
            xcb_ewmh_get_atoms_reply_wipe(&states);
        }

        uint32_t desktop = 0;
        if (xcb_ewmh_get_wm_desktop_reply(ewmh, request.desktop, &desktop, nullptr))
            window.desktop = desktop;

        xcb_window_t transientFor = XCB_NONE;
        const bool transient = xcb_icccm_get_wm_transient_for_reply(raw, request.transientFor, &transientFor, nullptr)
            && transientFor != XCB_NONE;
        window.normalType = hasType ? normal || (dialog && !transient) : !transient;

        xcb_icccm_get_text_property_reply_t machine;
        if (xcb_icccm_get_wm_client_machine_reply(raw, request.machine, &machine, nullptr)) {
            owner.claimedOnThisMachine = QString::fromLocal8Bit(machine.name, int(machine.name_len)) == localHostName();
            xcb_icccm_get_text_property_reply_wipe(&machine);
        }
        window.processIdentifier = WindowOwnership::processOf(owner);
        described.append(window);
    }
    return described;
}

std::optional<uint32_t> EwmhClients::currentDesktop() const
{
    auto* ewmh = m_connection.ewmh();
    const auto cookie = xcb_ewmh_get_current_desktop(ewmh, m_connection.screenNumber());
    uint32_t desktop = 0;
    if (!xcb_ewmh_get_current_desktop_reply(ewmh, cookie, &desktop, nullptr))
        return std::nullopt;
    return desktop;
}

QIcon EwmhClients::icon(xcb_window_t window) const
{
    auto* raw = m_connection.raw();
    const auto cookie =
        xcb_get_property(raw, 0, window, m_connection.ewmh()->_NET_WM_ICON, XCB_ATOM_CARDINAL, 0, iconReadLimit);
    const XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(raw, cookie, nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto* values = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
    const auto count = size_t(xcb_get_property_value_length(reply.get())) / sizeof(quint32);
    return iconFromNetWmIcon({values, count});
}

QMargins EwmhClients::frameExtents(xcb_window_t window) const
{
    auto* ewmh = m_connection.ewmh();
    xcb_ewmh_get_extents_reply_t extents;
    if (!xcb_ewmh_get_frame_extents_reply(ewmh, xcb_ewmh_get_frame_extents(ewmh, window), &extents, nullptr))
        return {};
    return QMargins(int(extents.left), int(extents.top), int(extents.right), int(extents.bottom));
}

QRect EwmhClients::frameGeometry(xcb_window_t window) const
{
    const std::optional<QRect> client = m_connection.geometryOnRoot(window);
    return client ? client->marginsAdded(frameExtents(window)) : QRect();
}

void EwmhClients::sendToRoot(const xcb_client_message_event_t& message)
{
    xcb_send_event(m_connection.raw(), 0, m_connection.root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
}

void EwmhClients::close(xcb_window_t window)
{
    xcb_ewmh_request_close_window(m_connection.ewmh(), m_connection.screenNumber(), window, XCB_CURRENT_TIME,
                                  sourceIndication);
    m_connection.flush();
}

void EwmhClients::minimise(xcb_window_t window)
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = m_wmChangeState;
    message.data.data32[0] = iconicState;
    sendToRoot(message);
    m_connection.flush();
}

void EwmhClients::restore(xcb_window_t window)
{
    xcb_map_window(m_connection.raw(), window);
    m_connection.flush();
}

void EwmhClients::activate(xcb_window_t window)
{
    xcb_ewmh_request_change_active_window(m_connection.ewmh(), m_connection.screenNumber(), window, sourceIndication,
                                          XCB_CURRENT_TIME, XCB_NONE);
    m_connection.flush();
}

void EwmhClients::showDesktop(uint32_t desktop)
{
    xcb_ewmh_request_change_current_desktop(m_connection.ewmh(), m_connection.screenNumber(), desktop,
                                            XCB_CURRENT_TIME);
    m_connection.flush();
}

void EwmhClients::leaveMaximisedAndFullScreen(xcb_window_t window)
{
    auto* ewmh = m_connection.ewmh();
    xcb_ewmh_request_change_wm_state(ewmh, m_connection.screenNumber(), window, XCB_EWMH_WM_STATE_REMOVE,
                                     ewmh->_NET_WM_STATE_MAXIMIZED_VERT, ewmh->_NET_WM_STATE_MAXIMIZED_HORZ,
                                     sourceIndication);
    xcb_ewmh_request_change_wm_state(ewmh, m_connection.screenNumber(), window, XCB_EWMH_WM_STATE_REMOVE,
                                     ewmh->_NET_WM_STATE_FULLSCREEN, XCB_NONE, sourceIndication);
    m_connection.flush();
}

void EwmhClients::moveResize(xcb_window_t window, const QRect& client)
{
    const auto flags = XCB_EWMH_MOVERESIZE_WINDOW_X | XCB_EWMH_MOVERESIZE_WINDOW_Y | XCB_EWMH_MOVERESIZE_WINDOW_WIDTH
        | XCB_EWMH_MOVERESIZE_WINDOW_HEIGHT;
    xcb_ewmh_request_moveresize_window(m_connection.ewmh(), m_connection.screenNumber(), window, XCB_GRAVITY_STATIC,
                                       sourceIndication, xcb_ewmh_moveresize_window_opt_flags_t(flags),
                                       uint32_t(client.x()), uint32_t(client.y()),
                                       uint32_t(std::max(client.width(), 1)), uint32_t(std::max(client.height(), 1)));
    m_connection.flush();
}
