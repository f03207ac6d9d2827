#pragma once

// A notification server on the session bus, as a desktop has one: it owns
// org.freedesktop.Notifications and answers every Notify with a fresh id. It
// answers on the main thread, so tests wait with the event loop running.

#include "support/WaitUntil.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QVariantMap>

class StandInNotificationServer final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    StandInNotificationServer()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        m_registered =
            bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this, QDBusConnection::ExportAllSlots)
            && bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }
    ~StandInNotificationServer() override
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    }

    bool isRegistered() const { return m_registered; }
    std::size_t received = 0;

public Q_SLOTS:
    // notify-send asks these before it sends.
    QStringList GetCapabilities() { return {QStringLiteral("body"), QStringLiteral("body-markup")}; }
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion)
    {
        vendor = QStringLiteral("Lumivo tests");
        version = QStringLiteral("1");
        specVersion = QStringLiteral("1.2");
        return QStringLiteral("stand-in");
    }
    uint Notify(const QString&, uint, const QString&, const QString&, const QString&, const QStringList&,
                const QVariantMap&, int)
    {
        return uint(++received);
    }

private:
    bool m_registered = false;
};

// Sends a notification as a shell script does; notify-send's exit code, or
// -1 when it did not finish (it waits for the server's answer).
inline int notifySend(const QStringList& arguments)
{
    QProcess sender;
    sender.start(QStringLiteral("notify-send"), arguments);
    if (!waitUntil([&] { return sender.state() == QProcess::NotRunning; }, 10000)) {
        sender.kill();
        sender.waitForFinished();
        return -1;
    }
    return sender.exitStatus() == QProcess::NormalExit ? sender.exitCode() : -1;
}

// Sends a notification as a program does, over a connection of its own:
// unlike notify-send, whose command line the system limits to 128 KiB an
// argument, it can carry a body as large as the bus allows. True once the
// server has answered.
inline bool notifyOverTheBus(const QString& summary, const QString& body, const QString& category)
{
    QDBusConnection sender =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("notification sender"));
    const QString notifications = QStringLiteral("org.freedesktop.Notifications");
    QDBusMessage notify = QDBusMessage::createMethodCall(
        notifications, QStringLiteral("/org/freedesktop/Notifications"), notifications, QStringLiteral("Notify"));
    notify << QStringLiteral("tests") << 0U << QString() << summary << body << QStringList()
           << QVariantMap{{QStringLiteral("category"), category}} << -1;
    // The watcher's signal wakes the event loop as soon as the answer is in.
    QDBusPendingCallWatcher answer(sender.asyncCall(notify));
    bool answered = false;
    QObject::connect(&answer, &QDBusPendingCallWatcher::finished, [&answered] { answered = true; });
    return waitUntil([&] { return answered; }, 10000) && !answer.isError();
}
