#include "activity/InboundActivityWatcher.h"
#include "support/FakeNotificationStream.h"
#include "support/ModelTestKit.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace std::chrono_literals;

namespace {

DesktopNotification mail(const QString& subject)
{
    return {.appName = QStringLiteral("Thunderbird"), .summary = QStringLiteral("Dana"), .body = subject};
}

class InboundWatcher : public ::testing::Test {
protected:
    // Every alert on show and waiting, oldest first, as "source: detail";
    // dismisses each in turn.
    std::vector<std::string> drainAlerts()
    {
        std::vector<std::string> shown;
        while (model->activeAlert->has_value()) {
            const CompanionAlert& alert = model->activeAlert->value();
            shown.push_back((alert.source().rawValue() + QStringLiteral(": ") + alert.detail()).toStdString());
            model->dismissAlert();
            kit.scheduler.advance(280ms);
        }
        return shown;
    }

    ModelTestKit kit;
    std::unique_ptr<CompanionModel> model = kit.makeModel();
    FakeNotificationStream* stream = new FakeNotificationStream;
    InboundActivityWatcher watcher{*model, kit.scheduler, std::unique_ptr<NotificationStream>(stream)};
};

TEST_F(InboundWatcher, HandsOverWhatArrivedEveryFourSecondsInArrivalOrderUntilStopped)
{
    stream->send(mail(QStringLiteral("Before the start")));
    watcher.start();
    EXPECT_FALSE(model->activeAlert->has_value()) << "start-up itself shows nothing";
    kit.scheduler.advance(0ms);
    EXPECT_EQ(drainAlerts(), std::vector<std::string>{"email: Dana: Before the start"});

    stream->send(mail(QStringLiteral("First")));
    stream->send({.appName = QStringLiteral("notify-send"), .summary = QStringLiteral("Disk full")});
    stream->send(
        {.appName = QStringLiteral("Slack"), .summary = QStringLiteral("#general"), .body = QStringLiteral("Second")});
    stream->send({.summary = QStringLiteral("Cy"), .category = QStringLiteral("call.incoming")});
    kit.scheduler.advance(3500ms); // 280 ms have passed since the last scan
    EXPECT_FALSE(model->activeAlert->has_value()) << "handed over before the scan period";
    kit.scheduler.advance(220ms);
    EXPECT_EQ(drainAlerts(), (std::vector<std::string>{"email: Dana: First", "slack: #general: Second", "call: Cy"}));

    watcher.stop();
    EXPECT_EQ(stream->closes, 1);
    stream->send(mail(QStringLiteral("After the end")));
    kit.scheduler.advance(12s);
    EXPECT_EQ(stream->arrived.size(), 1U) << "taken after stop";
}

TEST_F(InboundWatcher, RaisesOneSetupAlertPerRunAndKeepsTryingQuietly)
{
    stream->nextState = NotificationStream::State::failed;
    watcher.start();
    kit.scheduler.advance(0ms);
    ASSERT_TRUE(model->activeAlert->has_value());
    EXPECT_EQ(model->activeAlert->value().source(), CompanionAlertSource::setup);

    // A minute of failures and a restart: the setup alert leaves after its
    // 8 s and never comes back, while every scan tries again.
    QSet<QUuid> setupAlerts{model->activeAlert->value().id()};
    for (int scan = 1; scan <= 15; ++scan) {
        if (scan == 8) {
            watcher.stop();
            watcher.start();
        }
        kit.scheduler.advance(4s);
        if (model->activeAlert->has_value())
            setupAlerts.insert(model->activeAlert->value().id());
    }
    EXPECT_EQ(setupAlerts.size(), 1);
    const int opens = stream->opens;
    kit.scheduler.advance(8s);
    EXPECT_EQ(stream->opens, opens + 2) << "one new attempt per scan";

    stream->nextState = NotificationStream::State::watching;
    kit.scheduler.advance(4s);
    stream->send(mail(QStringLiteral("Back")));
    kit.scheduler.advance(4s);
    EXPECT_EQ(drainAlerts(), std::vector<std::string>{"email: Dana: Back"});
}

} // namespace
