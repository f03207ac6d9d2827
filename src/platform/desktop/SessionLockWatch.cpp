#include "platform/desktop/SessionLockWatch.h"

#include <QDBusConnection>

SessionLockWatch::SessionLockWatch(std::function<void(bool locked)> changed, QObject* parent)
    : QObject(parent), m_changed(std::move(changed))
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    // From any sender and any path: each locker names itself differently.
    for (const QString& interface :
         {QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("org.gnome.ScreenSaver")})
        bus.connect(QString(), QString(), interface, QStringLiteral("ActiveChanged"), this,
                    SLOT(lockerActiveChanged(bool)));
}

void SessionLockWatch::lockerActiveChanged(bool active)
{
    if (active == m_locked)
        return;
    m_locked = active;
    m_changed(active);
}
