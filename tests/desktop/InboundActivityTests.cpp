// The inbound watcher on the private desktop's session bus, beside a
// stand-in notification server: the alerts the watcher raises from what its
// bus monitor sees, and the same in the built companion.
#include "RunningCompanion.h"
#include "StandInNotificationServer.h"
#include "activity/InboundActivityWatcher.h"
#include "activity/SessionBusNotificationMonitor.h"
#include "support/ModelTestKit.h"

#include <gtest/gtest.h>

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <iterator>

using namespace std::chrono_literals;

namespace {

// The companion's alert bubble once it shows, kept as a picture for people
// to look at once it has settled.
std::optional<ShownWindow> waitForAlert(const RunningCompanion& companion, const QString& pictureName)
{
    std::optional<ShownWindow> alert;
    if (!waitUntil([&] { return (alert = companion.alertPanel()).has_value(); }, 5000)
        || !waitForStillPicture(alert->geometry))
        return std::nullopt;
    const QRect area = alert->geometry;
    QDir().mkpath(QStringLiteral(LUMIVO_BINARY_DIR "/screenshots"));
    QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .save(QStringLiteral(LUMIVO_BINARY_DIR "/screenshots/inbound-%1.png").arg(pictureName));
    return alert;
}

// How many connections watch the session bus as monitors: the bus counts
// them among its connections, but lists no name of theirs.
int sessionBusMonitors()
{
    const QDBusMessage stats = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus.Debug.Stats"), QStringLiteral("GetStats")));
    const QVariantMap counts = qdbus_cast<QVariantMap>(stats.arguments().value(0));
    const int connections = counts.value(QStringLiteral("ActiveConnections")).toInt();
    const QStringList names = QDBusConnection::sessionBus().interface()->registeredServiceNames();
    return connections - int(std::ranges::count_if(names, [](const QString& name) { return name.startsWith(u':'); }));
}

// Through the real bus: the server still gets and answers every
// notification, and the monitor reads what the rules need.
TEST(InboundActivity, TheWatcherRaisesAnAlertOfEachNotificationsSourceFromTheBus)
{
    StandInNotificationServer server;
    ASSERT_TRUE(server.isRegistered());
    ModelTestKit kit;
    const std::unique_ptr<CompanionModel> model = kit.makeModel();
    auto monitor = std::make_unique<SessionBusNotificationMonitor>();
    monitor->open();
    ASSERT_TRUE(waitUntil([&] { return monitor->take().state == NotificationStream::State::watching; }));
    InboundActivityWatcher watcher(*model, kit.scheduler, std::move(monitor));
    watcher.start();

    const QStringList sent[] = {
        {QStringLiteral("--category=email.arrived"), QStringLiteral("Dana"), QStringLiteral("<b>Quarterly</b> report")},
        {QStringLiteral("--category=im.received"), QStringLiteral("--urgency=low"), QStringLiteral("Bo"),
         QStringLiteral("hi")},
        {QStringLiteral("--category=device.added"), QStringLiteral("USB stick")},
        {QStringLiteral("--app-name=Chromium"), QStringLiteral("--hint=string:desktop-entry:com.slack.Slack"),
         QStringLiteral("--urgency=critical"), QStringLiteral("#sales"), QStringLiteral("Deal closed")},
    };
    for (const QStringList& arguments : sent)
        EXPECT_EQ(notifySend(arguments), 0) << arguments.join(u' ').toStdString();
    EXPECT_EQ(server.received, std::size(sent)) << "the server must get every notification";

    // Scan after scan, every alert on show is noted and dismissed.
    std::vector<std::string> shown;
    const auto scan = [&] {
        kit.scheduler.advance(InboundActivityWatcher::scanPeriod);
        while (model->activeAlert->has_value()) {
            const CompanionAlert& alert = model->activeAlert->value();
            shown.push_back((alert.source().rawValue() + QStringLiteral(": ") + alert.detail()).toStdString());
            model->dismissAlert();
            kit.scheduler.advance(280ms);
        }
        return !shown.empty() && shown.back().starts_with("slack");
    };
    // The monitor reads the notifications in order, the Slack one last: once
    // its alert has shown, so has every alert before it.
    EXPECT_TRUE(waitUntil(scan));
    EXPECT_EQ(shown, (std::vector<std::string>{"email: Dana: Quarterly report", "slack: #sales: Deal closed"}));
}

// Hostile notifications through the real bus: the monitor reads each one's
// start, judges it on arrival and holds only the alerts, the newest of a flood.
TEST(InboundActivity, TheMonitorHoldsOnlyTheNewestAlertsHoweverManyOrLargeTheNotifications)
{
    StandInNotificationServer server;
    ASSERT_TRUE(server.isRegistered());
    SessionBusNotificationMonitor monitor;
    monitor.open();
    ASSERT_TRUE(waitUntil([&] { return monitor.take().state == NotificationStream::State::watching; }));

    // Hundreds that raise nothing push out no mail.
    for (int index = 0; index < 300; ++index)
        ASSERT_TRUE(notifyOverTheBus(QStringLiteral("USB stick"), QString(), QStringLiteral("device.added")));
    const QString mail = QStringLiteral("email.arrived");
    ASSERT_TRUE(notifyOverTheBus(QStringLiteral("Dana"), QStringLiteral("Quarterly report"), mail));
    std::vector<InboundActivityRules::Finding> taken;
    EXPECT_TRUE(waitUntil([&] {
        std::ranges::move(monitor.take().findings, std::back_inserter(taken));
        return !taken.empty();
    }));
    ASSERT_EQ(taken.size(), 1U);
    EXPECT_EQ(taken[0].source, CompanionAlertSource::email);
    EXPECT_EQ(taken[0].detail, QStringLiteral("Dana: Quarterly report"));

    // A flood of mails of a megabyte each: every take holds at most the
    // newest few, each cut to the longest detail.
    const int mails = int(SessionBusNotificationMonitor::waitingLimit) + 8;
    const QString megabyte = QStringLiteral("<a").repeated(512 * 1024);
    for (int index = 1; index <= mails; ++index)
        ASSERT_TRUE(notifyOverTheBus(QString::number(index), megabyte, mail));
    taken.clear();
    std::size_t largestTake = 0;
    EXPECT_TRUE(waitUntil([&] {
        NotificationStream::Batch batch = monitor.take();
        largestTake = std::max(largestTake, batch.findings.size());
        std::ranges::move(batch.findings, std::back_inserter(taken));
        return !taken.empty() && taken.back().detail.startsWith(QString::number(mails) + u':');
    }));
    EXPECT_LE(largestTake, SessionBusNotificationMonitor::waitingLimit);
    for (const InboundActivityRules::Finding& finding : taken)
        EXPECT_EQ(finding.detail.size(), InboundActivityRules::longestDetail) << finding.detail.left(8).toStdString();
}

// The built companion on the session bus, beside the stand-in server.
class InboundActivityInTheCompanion : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.isRegistered());
        ASSERT_TRUE(companion.waitForPanel().has_value());
        // The companion's bus monitor is the bus's only one.
        ASSERT_TRUE(waitUntil([] { return sessionBusMonitors() == 1; }, 10000));
    }

    StandInNotificationServer server;
    CompanionSession session;
    RunningCompanion companion{session};
};

TEST_F(InboundActivityInTheCompanion, IncomingMailRaisesAnAlertAndOtherNotificationsDoNot)
{
    EXPECT_EQ(notifySend({QStringLiteral("--category=device.added"), QStringLiteral("USB stick"),
                          QStringLiteral("Plugged in")}),
              0);
    EXPECT_FALSE(waitUntil([&] { return companion.alertPanel().has_value(); }, 5000))
        << "a device is no inbound activity";

    EXPECT_EQ(notifySend({QStringLiteral("--category=email.arrived"), QStringLiteral("Dana"),
                          QStringLiteral("Quarterly report")}),
              0);
    EXPECT_TRUE(waitForAlert(companion, QStringLiteral("email")).has_value());
    EXPECT_EQ(server.received, 2U) << "the server must get every notification";
    EXPECT_EQ(companion.terminate(), 0);
}

TEST_F(InboundActivityInTheCompanion, ASlackNotificationRaisesAnAlert)
{
    EXPECT_EQ(notifySend({QStringLiteral("--app-name=Slack"), QStringLiteral("#sales"), QStringLiteral("Deal closed")}),
              0);
    EXPECT_TRUE(waitForAlert(companion, QStringLiteral("slack")).has_value());
}

TEST_F(InboundActivityInTheCompanion, AMegabyteOfUnclosedTagsLeavesThePanelAnswering)
{
    const QString megabyte = QStringLiteral("<a").repeated(512 * 1024);
    ASSERT_TRUE(notifyOverTheBus(QStringLiteral("Dana"), megabyte, QStringLiteral("email.arrived")));
    EXPECT_TRUE(waitForAlert(companion, QStringLiteral("megabyte")).has_value());
    EXPECT_EQ(startAnotherCopy(session, {QStringLiteral("lumivo://notify?type=call&detail=Front%20desk")}), 0)
        << "the link was not taken at once";
    EXPECT_TRUE(companion.isRunning());
}

TEST(InboundActivity, WithoutASessionBusOneSetupAlertShowsAndTheCompanionRunsOn)
{
    CompanionSession session;
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    RunningCompanion companion(session);
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    ASSERT_TRUE(companion.waitForPanel().has_value());

    ASSERT_TRUE(waitForAlert(companion, QStringLiteral("setup")).has_value());
    // It leaves by itself after 8 s; the quiet retries every 4 s raise no other.
    EXPECT_TRUE(waitUntil([&] { return !companion.alertPanel().has_value(); }, 10000));
    EXPECT_FALSE(waitUntil([&] { return companion.alertPanel().has_value(); }, 9000)) << "a second setup alert";
    EXPECT_TRUE(companion.isRunning());
    EXPECT_EQ(companion.terminate(), 0);
}

} // namespace
