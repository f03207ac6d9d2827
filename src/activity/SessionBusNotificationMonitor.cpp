#include "SessionBusNotificationMonitor.h"

#include "model/BoundedQueue.h"
#include "model/LogCategories.h"

#include <QFileInfo>

#include <gio/gio.h>

#include <atomic>
#include <mutex>

using State = NotificationStream::State;

// One attempt to observe: shared by the main thread, the attempt's thread and
// the connection's message filter, which runs on GLib's D-Bus thread.
struct SessionBusNotificationMonitor::Observation {
    Observation() : cancellable(g_cancellable_new()) { }
    ~Observation() { g_object_unref(cancellable); }
    Observation(const Observation&) = delete;
    Observation& operator=(const Observation&) = delete;

    void arrive(InboundActivityRules::Finding finding)
    {
        const std::lock_guard lock(mutex);
        arrived.push(std::move(finding));
    }
    State currentState()
    {
        const std::lock_guard lock(mutex);
        return state;
    }
    void setState(State next)
    {
        const std::lock_guard lock(mutex);
        state = next;
    }
    Batch take()
    {
        const std::lock_guard lock(mutex);
        return {state, arrived.takeAll()};
    }

    GCancellable* const cancellable;
    std::atomic<bool> finished = false;

private:
    std::mutex mutex;
    State state = State::connecting;
    BoundedQueue<InboundActivityRules::Finding> arrived{waitingLimit};
};

namespace {

using Observation = SessionBusNotificationMonitor::Observation;

constexpr const char* notifyRule = "type='method_call',interface='org.freedesktop.Notifications',member='Notify'";
constexpr int becomeMonitorTimeoutMs = 10000;

// Only the start of a text is read: a notification may be as large as the
// bus lets a message be.
QString text(GVariant* value)
{
    if (!value)
        return {};
    gsize length = 0;
    const gchar* utf8 = g_variant_get_string(value, &length);
    return InboundActivityRules::arrivingText(QByteArrayView(utf8, qsizetype(length)));
}

DesktopNotification::Urgency urgencyOf(GVariant* hints)
{
    GVariant* value = g_variant_lookup_value(hints, "urgency", nullptr);
    if (!value)
        return DesktopNotification::Urgency::normal;
    // The standard sends a byte; some programs send an integer.
    gint64 level = 1;
    if (g_variant_is_of_type(value, G_VARIANT_TYPE_BYTE))
        level = g_variant_get_byte(value);
    else if (g_variant_is_of_type(value, G_VARIANT_TYPE_INT32))
        level = g_variant_get_int32(value);
    else if (g_variant_is_of_type(value, G_VARIANT_TYPE_UINT32))
        level = g_variant_get_uint32(value);
    g_variant_unref(value);
    switch (level) {
    case 0: return DesktopNotification::Urgency::low;
    case 2: return DesktopNotification::Urgency::critical;
    default: return DesktopNotification::Urgency::normal;
    }
}

// A hint of another type than text counts as absent.
QString stringHint(GVariant* hints, const char* name)
{
    GVariant* value = g_variant_lookup_value(hints, name, G_VARIANT_TYPE_STRING);
    const QString result = text(value);
    if (value)
        g_variant_unref(value);
    return result;
}

QString stringArgument(GVariant* body, gsize index)
{
    GVariant* value = g_variant_get_child_value(body, index);
    const QString result = text(value);
    g_variant_unref(value);
    return result;
}

// Notify(app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout)
std::optional<DesktopNotification> notificationIn(GDBusMessage* message)
{
    if (g_strcmp0(g_dbus_message_get_interface(message), "org.freedesktop.Notifications") != 0
        || g_strcmp0(g_dbus_message_get_member(message), "Notify") != 0)
        return std::nullopt;
    GVariant* body = g_dbus_message_get_body(message);
    if (!body || !g_variant_is_of_type(body, G_VARIANT_TYPE("(susssasa{sv}i)")))
        return std::nullopt;
    GVariant* hints = g_variant_get_child_value(body, 6);
    DesktopNotification notification{
        .appName = stringArgument(body, 0),
        .summary = stringArgument(body, 3),
        .body = stringArgument(body, 4),
        .category = stringHint(hints, "category"),
        .desktopEntry = stringHint(hints, "desktop-entry"),
        .urgency = urgencyOf(hints),
    };
    g_variant_unref(hints);
    return notification;
}

// Every method call that reaches a monitor belongs to other programs: the
// notifications among them are judged here, as they arrive, and none goes
// further, so the connection never answers anything and the message is
// freed at once. Replies and signals pass, so the connection's own call to
// become a monitor gets its answer.
GDBusMessage* filterMessage(GDBusConnection*, GDBusMessage* message, gboolean incoming, gpointer data)
{
    if (!incoming || g_dbus_message_get_message_type(message) != G_DBUS_MESSAGE_TYPE_METHOD_CALL)
        return message;
    if (const std::optional<DesktopNotification> notification = notificationIn(message)) {
        if (std::optional<InboundActivityRules::Finding> finding = InboundActivityRules::findingFor(*notification)) {
            qCDebug(lcActivity).noquote() << "a notification of" << notification->appName << "raises an alert";
            (*static_cast<std::shared_ptr<Observation>*>(data))->arrive(std::move(*finding));
        }
    }
    g_object_unref(message);
    return nullptr;
}

void releaseFilterData(gpointer data) { delete static_cast<std::shared_ptr<Observation>*>(data); }

bool becomeMonitor(GDBusConnection* connection, GCancellable* cancellable)
{
    const char* rules[] = {notifyRule, nullptr};
    GVariant* reply = g_dbus_connection_call_sync(connection, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus.Monitoring", "BecomeMonitor",
                                                  g_variant_new("(^asu)", rules, 0U), nullptr, G_DBUS_CALL_FLAGS_NONE,
                                                  becomeMonitorTimeoutMs, cancellable, nullptr);
    if (!reply)
        return false;
    g_variant_unref(reply);
    return true;
}

void wakeUp(GCancellable*, gpointer context) { g_main_context_wakeup(static_cast<GMainContext*>(context)); }

// Observes until the connection closes or the attempt is cancelled. The
// cancellation only wakes the context: GLib's own cancellable source can be
// left behind, never freed, when the cancel races with its destruction.
void watchUntilEnd(GMainContext* context, GDBusConnection* connection, GCancellable* cancellable)
{
    const gulong woken = g_cancellable_connect(cancellable, G_CALLBACK(wakeUp), context, nullptr);
    while (!g_cancellable_is_cancelled(cancellable) && !g_dbus_connection_is_closed(connection))
        g_main_context_iteration(context, TRUE);
    g_cancellable_disconnect(cancellable, woken);
}

// One attempt, on its own thread with its own main context, where the
// connection reports its closing and releases its filter.
void observe(std::shared_ptr<Observation> observation, QByteArray address)
{
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    GCancellable* cancellable = observation->cancellable;

    GDBusConnection* connection =
        g_dbus_connection_new_for_address_sync(address.constData(),
                                               GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
                                                                    | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                                               nullptr, cancellable, nullptr);
    if (connection) {
        // The filter is in place before monitoring begins, so no copied call
        // ever meets the connection's default answer.
        const guint filter = g_dbus_connection_add_filter(
            connection, filterMessage, new std::shared_ptr<Observation>(observation), releaseFilterData);
        if (becomeMonitor(connection, cancellable)) {
            observation->setState(State::watching);
            watchUntilEnd(context, connection, cancellable);
        }
        g_dbus_connection_close_sync(connection, nullptr, nullptr);
        g_dbus_connection_remove_filter(connection, filter);
        g_object_unref(connection);
    }
    // Runs what the connection left for this context, its filter's release among it.
    while (g_main_context_iteration(context, FALSE)) { }
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);

    observation->setState(g_cancellable_is_cancelled(cancellable) ? State::closed : State::failed);
    observation->finished = true;
}

} // namespace

SessionBusNotificationMonitor::SessionBusNotificationMonitor() = default;

SessionBusNotificationMonitor::~SessionBusNotificationMonitor()
{
    close();
    for (Attempt& attempt : m_attempts) {
        g_cancellable_cancel(attempt.observation->cancellable);
        attempt.thread.join();
    }
}

void SessionBusNotificationMonitor::open()
{
    if (m_current) {
        const State state = m_current->currentState();
        if (state == State::connecting || state == State::watching)
            return;
    }
    joinFinishedAttempts();
    m_current = std::make_shared<Observation>();
    const std::optional<QString> address =
        sessionBusAddress(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), qEnvironmentVariable("XDG_RUNTIME_DIR"));
    if (!address) {
        m_current->setState(State::failed);
        return;
    }
    m_attempts.push_back({m_current, std::thread(observe, m_current, address->toUtf8())});
}

void SessionBusNotificationMonitor::close()
{
    if (!m_current)
        return;
    g_cancellable_cancel(m_current->cancellable);
    m_current.reset();
}

NotificationStream::Batch SessionBusNotificationMonitor::take() { return m_current ? m_current->take() : Batch{}; }

void SessionBusNotificationMonitor::joinFinishedAttempts()
{
    std::erase_if(m_attempts, [](Attempt& attempt) {
        if (!attempt.observation->finished)
            return false;
        attempt.thread.join();
        return true;
    });
}

std::optional<QString> SessionBusNotificationMonitor::sessionBusAddress(const QString& variable,
                                                                        const QString& runtimeFolder)
{
    if (!variable.isEmpty())
        return variable;
    if (runtimeFolder.isEmpty())
        return std::nullopt;
    const QString socket = runtimeFolder + QStringLiteral("/bus");
    if (!QFileInfo::exists(socket))
        return std::nullopt;
    // Address values escape every byte but [-0-9A-Za-z_/.*].
    return QStringLiteral("unix:path=") + QString::fromLatin1(socket.toUtf8().toPercentEncoding("/*", "~"));
}
