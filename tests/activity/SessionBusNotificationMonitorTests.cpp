// The monitor against buses of its own that are missing, appear, vanish or
// refuse; its work beside a notification server is in the desktop tests.
#include "activity/SessionBusNotificationMonitor.h"
#include "support/QtPrinters.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using State = NotificationStream::State;

namespace {

// A session bus listening on socketPath; one that refuses monitoring denies
// the call that asks for it.
class PrivateBus {
public:
    PrivateBus(const QString& socketPath, bool refusesMonitoring)
    {
        QFile config(m_folder.filePath(QStringLiteral("bus.conf")));
        config.open(QIODevice::WriteOnly);
        config.write("<busconfig><type>session</type><listen>unix:path=" + socketPath.toUtf8()
                     + "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                       "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                     + (refusesMonitoring ? "<deny send_destination=\"org.freedesktop.DBus\" "
                                            "send_interface=\"org.freedesktop.DBus.Monitoring\"/>"
                                          : "")
                     + "</policy></busconfig>");
        config.close();
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--nofork"), QStringLiteral("--config-file=") + config.fileName()});
        m_ready = waitUntil([&] { return QFile::exists(socketPath); });
    }
    ~PrivateBus() { stop(); }
    bool isReady() const { return m_ready; }
    void stop()
    {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

private:
    QTemporaryDir m_folder;
    QProcess m_daemon;
    bool m_ready = false;
};

TEST(SessionBusAddress, TheAnnouncedAddressElseTheRuntimeFoldersBusNeverAnAutolaunch)
{
    QTemporaryDir runtime(QDir::tempPath() + QStringLiteral("/run time~XXXXXX"));
    const QString announced = QStringLiteral("unix:path=/run/user/1000/bus,guid=1234");
    EXPECT_EQ(SessionBusNotificationMonitor::sessionBusAddress(announced, runtime.path()), announced);
    EXPECT_EQ(SessionBusNotificationMonitor::sessionBusAddress({}, runtime.path()), std::nullopt)
        << "no bus socket there";
    EXPECT_EQ(SessionBusNotificationMonitor::sessionBusAddress({}, {}), std::nullopt);

    QFile socket(runtime.filePath(QStringLiteral("bus")));
    ASSERT_TRUE(socket.open(QIODevice::WriteOnly));
    QString expected = QStringLiteral("unix:path=") + socket.fileName();
    expected.replace(QStringLiteral(" "), QStringLiteral("%20")).replace(QStringLiteral("~"), QStringLiteral("%7E"));
    EXPECT_EQ(SessionBusNotificationMonitor::sessionBusAddress({}, runtime.path()), expected);

    // The monitor reaches a bus found that way.
    QTemporaryDir plainRuntime;
    PrivateBus bus(plainRuntime.filePath(QStringLiteral("bus")), false);
    ASSERT_TRUE(bus.isReady());
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("XDG_RUNTIME_DIR", plainRuntime.path().toUtf8());
    SessionBusNotificationMonitor monitor;
    monitor.open();
    EXPECT_TRUE(waitUntil([&] { return monitor.take().state == State::watching; }));
}

TEST(SessionBusNotificationMonitor, FailsWithoutABusAndTriesAgainOnlyWhenOpenedAgain)
{
    QTemporaryDir runtime;
    const QString socket = runtime.filePath(QStringLiteral("bus"));
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + socket.toUtf8());
    SessionBusNotificationMonitor monitor;
    EXPECT_EQ(monitor.take().state, State::closed);
    monitor.open();
    ASSERT_TRUE(waitUntil([&] { return monitor.take().state == State::failed; }));

    PrivateBus bus(socket, false);
    ASSERT_TRUE(bus.isReady());
    // Time is the point: no new attempt may start by itself, however long the bus has been there.
    QTest::qWait(300);
    EXPECT_EQ(monitor.take().state, State::failed) << "tried again by itself";
    monitor.open();
    EXPECT_TRUE(waitUntil([&] { return monitor.take().state == State::watching; }));

    // The bus going away is a failure again; closing is not.
    bus.stop();
    EXPECT_TRUE(waitUntil([&] { return monitor.take().state == State::failed; }));
    monitor.close();
    EXPECT_EQ(monitor.take().state, State::closed);
}

TEST(SessionBusNotificationMonitor, FailsWhenTheBusRefusesToLetItMonitor)
{
    QTemporaryDir runtime;
    PrivateBus bus(runtime.filePath(QStringLiteral("bus")), true);
    ASSERT_TRUE(bus.isReady());
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + runtime.filePath(QStringLiteral("bus")).toUtf8());
    SessionBusNotificationMonitor monitor;
    monitor.open();
    EXPECT_TRUE(waitUntil([&] { return monitor.take().state == State::failed; }));
}

} // namespace
