#include "platform/x11/X11Visibility.h"

#include "platform/x11/XcbConnection.h"

#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <xcb/screensaver.h>

#include <algorithm>
#include <vector>

class X11VisibilityMonitoring::Token final : public MonitorToken {
public:
    explicit Token(X11VisibilityMonitoring& monitoring) : m_monitoring(monitoring) { }
    ~Token() override
    {
        m_monitoring.m_watchers.removeIf([this](const Watcher& watcher) { return watcher.token == this; });
    }

private:
    X11VisibilityMonitoring& m_monitoring;
};

X11VisibilityMonitoring::X11VisibilityMonitoring() = default;

X11VisibilityMonitoring::~X11VisibilityMonitoring() = default;

std::unique_ptr<MonitorToken> X11VisibilityMonitoring::addVisibilityMonitor(QList<QWidget*> windows,
                                                                            std::function<void(bool seen)> handler)
{
    auto token = std::make_unique<Token>(*this);
    Watcher watcher{token.get(), {}, std::move(handler), true};
    if (m_connection || startListening()) {
        for (QWidget* widget : windows) {
            watcher.windows.append(Window{widget});
            watch(watcher.windows.last());
        }
    }
    watcher.seen = seen(watcher);
    watcher.handler(watcher.seen);
    m_watchers.append(std::move(watcher));
    return token;
}

bool X11VisibilityMonitoring::startListening()
{
    std::unique_ptr<XcbConnection> connection = XcbConnection::open();
    if (!connection)
        return false;
    xcb_connection_t* raw = connection->raw();
    const xcb_query_extension_reply_t* saver = xcb_get_extension_data(raw, &xcb_screensaver_id);
    if (saver && saver->present) {
        XcbReply<xcb_screensaver_query_version_reply_t>(
            xcb_screensaver_query_version_reply(raw, xcb_screensaver_query_version(raw, 1, 1), nullptr));
        xcb_screensaver_select_input(raw, connection->root(), XCB_SCREENSAVER_EVENT_NOTIFY_MASK);
        const XcbReply<xcb_screensaver_query_info_reply_t> info(
            xcb_screensaver_query_info_reply(raw, xcb_screensaver_query_info(raw, connection->root()), nullptr));
        m_screenSaverOn =
            info && info->state != XCB_SCREENSAVER_STATE_OFF && info->state != XCB_SCREENSAVER_STATE_DISABLED;
        m_screenSaverEvent = saver->first_event + XCB_SCREENSAVER_NOTIFY;
    }
    // Top-level windows coming, going, moving and restacking.
    const uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(raw, connection->root(), XCB_CW_EVENT_MASK, &rootMask);
    connection->setEventHandler([this](const xcb_generic_event_t& event) { handle(event); });
    connection->flush();
    m_connection = std::move(connection);
    return true;
}

void X11VisibilityMonitoring::setSessionLocked(bool locked)
{
    m_sessionLocked = locked;
    report();
}

void X11VisibilityMonitoring::watch(Window& window)
{
    if (!window.widget || !window.widget->internalWinId())
        return;
    xcb_connection_t* raw = m_connection->raw();
    window.id = static_cast<uint32_t>(window.widget->internalWinId());
    // Our own selection on the program's window: the events come to this
    // connection, whatever Qt selects on its own.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(raw, window.id, XCB_CW_EVENT_MASK, &mask);
    const XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(raw, xcb_get_window_attributes(raw, window.id), nullptr));
    m_connection->dispatchQueuedSoon();
    window.viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    window.covered = false;
    recheckCoverSoon();
}

void X11VisibilityMonitoring::handle(const xcb_generic_event_t& event)
{
    const uint8_t type = event.response_type & ~0x80;
    if (m_screenSaverEvent && type == m_screenSaverEvent) {
        const auto& notify = reinterpret_cast<const xcb_screensaver_notify_event_t&>(event);
        m_screenSaverOn = notify.state != XCB_SCREENSAVER_STATE_OFF;
        report();
        return;
    }
    const auto forWindow = [&](xcb_window_t id, auto&& change) {
        for (Watcher& watcher : m_watchers) {
            for (Window& window : watcher.windows) {
                if (window.id == id)
                    change(window);
            }
        }
    };
    switch (type) {
    case XCB_MAP_NOTIFY:
        forWindow(reinterpret_cast<const xcb_map_notify_event_t&>(event).window,
                  [](Window& window) { window.viewable = true; });
        break;
    case XCB_UNMAP_NOTIFY:
        forWindow(reinterpret_cast<const xcb_unmap_notify_event_t&>(event).window,
                  [](Window& window) { window.viewable = false; });
        break;
    case XCB_DESTROY_NOTIFY:
        // Qt made the window anew (new flags, a new screen): watch the new one.
        forWindow(reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window,
                  [](Window& window) { window.id = 0; });
        QTimer::singleShot(0, m_connection.get(), [this] {
            for (Watcher& watcher : m_watchers) {
                for (Window& window : watcher.windows) {
                    if (!window.id)
                        watch(window);
                }
            }
            report();
        });
        break;
    case XCB_CONFIGURE_NOTIFY:
    case XCB_CIRCULATE_NOTIFY:
    case XCB_REPARENT_NOTIFY: break;
    default: return;
    }
    recheckCoverSoon();
    report();
}

void X11VisibilityMonitoring::recheckCoverSoon()
{
    if (m_coverCheckPending)
        return;
    m_coverCheckPending = true;
    QTimer::singleShot(0, m_connection.get(), [this] {
        m_coverCheckPending = false;
        recheckCover();
        report();
    });
}

xcb_window_t X11VisibilityMonitoring::topLevelOf(xcb_window_t window)
{
    xcb_connection_t* raw = m_connection->raw();
    for (int depth = 0; depth < 8; ++depth) {
        const XcbReply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(raw, xcb_query_tree(raw, window), nullptr));
        if (!tree || tree->parent == m_connection->root() || tree->parent == XCB_NONE)
            return window;
        window = tree->parent;
    }
    return window;
}

void X11VisibilityMonitoring::recheckCover()
{
    xcb_connection_t* raw = m_connection->raw();
    const xcb_window_t root = m_connection->root();
    const XcbReply<xcb_query_tree_reply_t> stack(xcb_query_tree_reply(raw, xcb_query_tree(raw, root), nullptr));
    if (!stack)
        return;
    // Bottom to top.
    const xcb_window_t* children = xcb_query_tree_children(stack.get());
    const int count = xcb_query_tree_children_length(stack.get());
    QList<xcb_window_t> ours;
    for (Watcher& watcher : m_watchers) {
        for (Window& window : watcher.windows) {
            if (window.id)
                ours.append(topLevelOf(window.id));
        }
    }
    for (Watcher& watcher : m_watchers) {
        for (Window& window : watcher.windows) {
            if (!window.id || !window.viewable)
                continue;
            const std::optional<QRect> area = m_connection->geometryOnRoot(window.id);
            if (!area)
                continue;
            QRegion uncovered(*area);
            const xcb_window_t topLevel = topLevelOf(window.id);
            const int index = int(std::find(children, children + count, topLevel) - children);
            // Everything stacked above it, asked for at once.
            std::vector<std::pair<xcb_get_window_attributes_cookie_t, xcb_get_geometry_cookie_t>> above;
            for (int i = index + 1; i < count; ++i) {
                if (!ours.contains(children[i]))
                    above.emplace_back(xcb_get_window_attributes(raw, children[i]), xcb_get_geometry(raw, children[i]));
            }
            for (const auto& [attributesCookie, geometryCookie] : above) {
                const XcbReply<xcb_get_window_attributes_reply_t> attributes(
                    xcb_get_window_attributes_reply(raw, attributesCookie, nullptr));
                const XcbReply<xcb_get_geometry_reply_t> other(xcb_get_geometry_reply(raw, geometryCookie, nullptr));
                if (attributes && other && attributes->map_state == XCB_MAP_STATE_VIEWABLE
                    && attributes->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT)
                    uncovered -= QRect(other->x, other->y, other->width + 2 * other->border_width,
                                       other->height + 2 * other->border_width);
            }
            window.covered = uncovered.isEmpty();
        }
    }
    m_connection->dispatchQueuedSoon();
}

bool X11VisibilityMonitoring::seen(const Watcher& watcher) const
{
    if (m_screenSaverOn || m_sessionLocked)
        return false;
    bool anyKnown = false;
    for (const Window& window : watcher.windows) {
        if (!window.id)
            continue;
        anyKnown = true;
        if (window.viewable && !window.covered)
            return true;
    }
    // Windows it cannot follow count as seen.
    return !anyKnown;
}

void X11VisibilityMonitoring::report()
{
    for (qsizetype index = 0; index < m_watchers.size(); ++index) {
        Watcher& watcher = m_watchers[index];
        const bool now = seen(watcher);
        if (now == watcher.seen)
            continue;
        watcher.seen = now;
        // The handler may end this watch.
        const std::function<void(bool)> handler = watcher.handler;
        handler(now);
    }
}
