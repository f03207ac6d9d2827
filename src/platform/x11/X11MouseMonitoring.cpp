#include "platform/x11/X11MouseMonitoring.h"

#include "platform/x11/XcbConnection.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xinput.h>

namespace {

constexpr uint32_t leftButton = 1;
constexpr uint32_t rightButton = 3;

} // namespace

class X11MouseMonitoring::Token final : public MonitorToken {
public:
    explicit Token(X11MouseMonitoring& monitoring) : m_monitoring(monitoring) { }
    ~Token() override
    {
        m_monitoring.m_listeners.removeIf([this](const Listener& listener) { return listener.token == this; });
    }

private:
    X11MouseMonitoring& m_monitoring;
};

X11MouseMonitoring::X11MouseMonitoring() = default;

X11MouseMonitoring::~X11MouseMonitoring() = default;

std::unique_ptr<MonitorToken> X11MouseMonitoring::addGlobalMouseDownMonitor(std::function<void()> handler)
{
    if (!m_connection && !startListening())
        return nullptr;
    auto token = std::make_unique<Token>(*this);
    m_listeners.append({token.get(), std::move(handler)});
    return token;
}

bool X11MouseMonitoring::startListening()
{
    std::unique_ptr<XcbConnection> connection = XcbConnection::open();
    if (!connection)
        return false;
    xcb_connection_t* raw = connection->raw();
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(raw, &xcb_input_id);
    if (!extension || !extension->present)
        return false;
    const XcbReply<xcb_input_xi_query_version_reply_t> version(
        xcb_input_xi_query_version_reply(raw, xcb_input_xi_query_version(raw, 2, 2), nullptr));
    if (!version || version->major_version < 2)
        return false;

    struct {
        xcb_input_event_mask_t header;
        uint32_t mask;
    } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS};
    xcb_input_xi_select_events(raw, connection->root(), 1, &selection.header);
    connection->flush();

    m_inputExtension = extension->major_opcode;
    connection->setEventHandler([this](const xcb_generic_event_t& event) {
        if ((event.response_type & ~0x80) != XCB_GE_GENERIC)
            return;
        const auto& press = reinterpret_cast<const xcb_input_raw_button_press_event_t&>(event);
        if (press.extension != m_inputExtension || press.event_type != XCB_INPUT_RAW_BUTTON_PRESS)
            return;
        if (press.detail == leftButton || press.detail == rightButton)
            handlePress();
    });
    m_connection = std::move(connection);
    return true;
}

void X11MouseMonitoring::handlePress()
{
    if (m_listeners.isEmpty() || pointerIsOverOwnWindow())
        return;
    // A handler may remove its own monitor.
    const QList<Listener> listeners = m_listeners;
    for (const Listener& listener : listeners)
        listener.handler();
}

// Raw events carry no position and no window: ask where the pointer is and
// compare the top-level window under it (the window manager's frame) with
// the frames around this program's visible windows.
bool X11MouseMonitoring::pointerIsOverOwnWindow()
{
    xcb_connection_t* raw = m_connection->raw();
    const XcbReply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(raw, xcb_query_pointer(raw, m_connection->root()), nullptr));
    if (!pointer || pointer->child == XCB_NONE)
        return false;

    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (!window->isVisible())
            continue;
        auto candidate = static_cast<xcb_window_t>(window->winId());
        // Walk up to the child of the root that holds this window.
        while (candidate != XCB_NONE && candidate != pointer->child) {
            const XcbReply<xcb_query_tree_reply_t> tree(
                xcb_query_tree_reply(raw, xcb_query_tree(raw, candidate), nullptr));
            if (!tree || tree->parent == tree->root)
                break;
            candidate = tree->parent;
        }
        if (candidate == pointer->child)
            return true;
    }
    return false;
}
