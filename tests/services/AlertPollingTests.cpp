// The alert loop against a scripted local server: which alerts it raises,
// which "after" it asks with, and what it saves.

#include "ServicesTestKit.h"

#include <QJsonArray>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

const QString key = LocalServerPolling::latestNotificationIDKey;

QByteArray feedOf(std::initializer_list<std::tuple<qint64, const char*, const char*>> alerts)
{
    QJsonArray list;
    for (const auto& [id, type, detail] : alerts)
        list.append(QJsonObject{{QStringLiteral("id"), id},
                                {QStringLiteral("type"), QString::fromUtf8(type)},
                                {QStringLiteral("detail"), QString::fromUtf8(detail)}});
    return QJsonDocument(QJsonObject{{QStringLiteral("notifications"), list}}).toJson(QJsonDocument::Compact);
}

ServicesTestKit::Setup savedID(qint64 id) { return {.storedSettings = QJsonObject{{key, id}}}; }

// Runs one alert poll to its end.
bool pollAlerts(ServicesTestKit& kit)
{
    return finishes([&](auto done) { kit.polling().pollCompanionNotifications(done); });
}

// The sources and details the model was handed: the one on show, then the queue
// in order (the queue shows each after the one before is dismissed).
std::vector<std::pair<CompanionAlertSource, QString>> raised(ServicesTestKit& kit)
{
    std::vector<std::pair<CompanionAlertSource, QString>> alerts;
    while (const auto& alert = kit.model->activeAlert.get()) {
        alerts.emplace_back(alert->source(), alert->detail());
        kit.model->dismissAlert();
        kit.scheduler().advance(280ms);
    }
    return alerts;
}

} // namespace

TEST(AlertPolling, TheFirstAnswerEverOnlyMarksWhereToStart)
{
    ServicesTestKit kit;
    kit.server.answer("GET", "/api/companion/notifications",
                      TestResponse::json(feedOf({{5, "email", "a"}, {9, "call", "b"}, {7, "slack", "c"}})));

    ASSERT_TRUE(pollAlerts(kit));
    EXPECT_FALSE(kit.model->activeAlert.get().has_value());
    EXPECT_EQ(kit.polling().latestNotificationID(), 9);
    EXPECT_EQ(kit.storedSettings().value(key).toInteger(), 9);

    ASSERT_TRUE(pollAlerts(kit));
    EXPECT_EQ(kit.server.requestsTo("/api/companion/notifications").at(0).queryValue(QStringLiteral("after")),
              QStringLiteral("0"));
    EXPECT_EQ(kit.server.requestsTo("/api/companion/notifications").at(1).queryValue(QStringLiteral("after")),
              QStringLiteral("9"));
    // From the second answer on, alerts are raised.
    EXPECT_TRUE(kit.model->activeAlert.get().has_value());
}

TEST(AlertPolling, AnEmptyFirstAnswerSavesZeroAndTheNextTurnRaises)
{
    ServicesTestKit kit;
    kit.server.answerInTurn("GET", "/api/companion/notifications",
                            {TestResponse::json(feedOf({})), TestResponse::json(feedOf({{3, "message", "hi"}}))});
    ASSERT_TRUE(pollAlerts(kit));
    EXPECT_TRUE(kit.storedSettings().contains(key));
    EXPECT_EQ(kit.storedSettings().value(key).toInteger(), 0);

    ASSERT_TRUE(pollAlerts(kit));
    EXPECT_EQ(
        raised(kit),
        (std::vector<std::pair<CompanionAlertSource, QString>>{{CompanionAlertSource::message, QStringLiteral("hi")}}));
    EXPECT_EQ(kit.polling().latestNotificationID(), 3);
}

TEST(AlertPolling, RaisesAlertsInIdOrderAndSavesTheHighest)
{
    ServicesTestKit kit(savedID(9));
    kit.server.answer("GET", "/api/companion/notifications",
                      TestResponse::json(feedOf({{12, "email", "second"}, {10, "slack", "first"}})));
    ASSERT_TRUE(pollAlerts(kit));

    EXPECT_EQ(kit.server.requests().at(0).queryValue(QStringLiteral("after")), QStringLiteral("9"));
    EXPECT_EQ(raised(kit),
              (std::vector<std::pair<CompanionAlertSource, QString>>{
                  {CompanionAlertSource::slack, QStringLiteral("first")},
                  {CompanionAlertSource::email, QStringLiteral("second")}}));
    EXPECT_EQ(kit.polling().latestNotificationID(), 12);
    EXPECT_EQ(kit.storedSettings().value(key).toInteger(), 12);
}

TEST(AlertPolling, TypesMatchInAnyCaseAndUnknownTypesStillAdvanceTheMark)
{
    ServicesTestKit kit(savedID(1));
    kit.server.answer(
        "GET", "/api/companion/notifications",
        TestResponse::json(feedOf({{2, "EMAIL", "Invoice"}, {3, "fax", "ignored"}, {4, "VoiceMail", ""}})));
    ASSERT_TRUE(pollAlerts(kit));
    EXPECT_EQ(
        raised(kit),
        (std::vector<std::pair<CompanionAlertSource, QString>>{{CompanionAlertSource::email, QStringLiteral("Invoice")},
                                                               {CompanionAlertSource::voicemail, QString()}}));
    EXPECT_EQ(kit.polling().latestNotificationID(), 4);

    // A feed of unknown types only raises the mark.
    kit.server.answer("GET", "/api/companion/notifications", TestResponse::json(feedOf({{8, "fax", "x"}})));
    ASSERT_TRUE(pollAlerts(kit));
    EXPECT_TRUE(raised(kit).empty());
    EXPECT_EQ(kit.storedSettings().value(key).toInteger(), 8);
}

TEST(AlertPolling, AnAlertAtOrBelowTheMarkIsRaisedButNeverLowersIt)
{
    ServicesTestKit kit(savedID(50));
    kit.server.answer("GET", "/api/companion/notifications", TestResponse::json(feedOf({{40, "agent", "old"}})));
    ASSERT_TRUE(pollAlerts(kit));
    EXPECT_EQ(raised(kit).size(), 1u);
    EXPECT_EQ(kit.polling().latestNotificationID(), 50);
}

TEST(AlertPolling, AFailedAnswerChangesNothing)
{
    const std::vector<std::pair<const char*, TestResponse>> failures{
        {"no content", TestResponse::withStatus(204)},
        {"server error with a feed", TestResponse::json(feedOf({{20, "email", "x"}}), 500)},
        {"malformed JSON", TestResponse::json("{\"notifications\": [")},
        {"one alert without an id", TestResponse::json(R"({"notifications": [{"id": 20, "type": "email", "detail": "x"},
                                                                             {"type": "call", "detail": "y"}]})")},
        {"cut off", TestResponse::cutOff(feedOf({{20, "email", "x"}}))},
        {"hung up", TestResponse::hungUp()},
    };
    for (const auto& [name, failure] : failures) {
        ServicesTestKit kit(savedID(9));
        kit.server.answer("GET", "/api/companion/notifications", failure);
        ASSERT_TRUE(pollAlerts(kit)) << name;
        ASSERT_TRUE(pollAlerts(kit)) << name;
        EXPECT_FALSE(kit.model->activeAlert.get().has_value()) << name;
        EXPECT_EQ(kit.polling().latestNotificationID(), 9) << name;
        EXPECT_EQ(kit.storedSettings().value(key).toInteger(), 9) << name;
        for (const TestRequest& request : kit.server.requestsTo("/api/companion/notifications"))
            EXPECT_EQ(request.queryValue(QStringLiteral("after")), QStringLiteral("9")) << name;
    }
}

TEST(AlertPolling, AFailedFirstAnswerLeavesTheFirstRunRuleForLater)
{
    ServicesTestKit kit;
    kit.server.answerInTurn("GET", "/api/companion/notifications",
                            {TestResponse::withStatus(500), TestResponse::json(feedOf({{4, "call", "x"}}))});
    ASSERT_TRUE(pollAlerts(kit));
    EXPECT_FALSE(kit.storedSettings().contains(key));
    ASSERT_TRUE(pollAlerts(kit));
    EXPECT_FALSE(kit.model->activeAlert.get().has_value());
    EXPECT_EQ(kit.storedSettings().value(key).toInteger(), 4);
}

TEST(AlertPolling, IdsBeyondDoublePrecisionSurviveTheRoundTrip)
{
    const qint64 big = 9007199254740993; // 2^53 + 1
    {
        ServicesTestKit kit(savedID(big - 2));
        kit.server.answer("GET", "/api/companion/notifications", TestResponse::json(feedOf({{big, "email", "x"}})));
        ASSERT_TRUE(pollAlerts(kit));
        EXPECT_EQ(kit.polling().latestNotificationID(), big);
        EXPECT_EQ(kit.storedSettings().value(key).toInteger(), big);

        // The next run of the companion starts from it.
        ServicesTestKit next(ServicesTestKit::Setup{.storedSettings = kit.storedSettings()});
        EXPECT_EQ(next.polling().latestNotificationID(), big);
        ASSERT_TRUE(pollAlerts(next));
        EXPECT_EQ(next.server.requests().at(0).queryValue(QStringLiteral("after")), QStringLiteral("9007199254740993"));
    }
}

TEST(AlertPolling, TheSavedMarkIsReadAsAnInteger)
{
    const std::vector<std::pair<QVariant, qint64>> cases{
        {QVariant(), 0},
        {QVariant(qint64(42)), 42},
        {QVariant(-5), -5},
        {QVariant(12.9), 12},
        {QVariant(-12.9), -12},
        {QVariant(1e300), std::numeric_limits<qint64>::max()},
        {QVariant(true), 1},
        {QVariant(false), 0},
        {QVariant(QStringLiteral("  77abc")), 77},
        {QVariant(QStringLiteral("-3")), -3},
        {QVariant(QStringLiteral("99999999999999999999")), std::numeric_limits<qint64>::max()},
        {QVariant(QStringLiteral("abc")), 0},
        {QVariant(QStringList{QStringLiteral("5")}), 0},
    };
    for (const auto& [stored, id] : cases)
        EXPECT_EQ(LocalServerPolling::integerReading(stored), id) << stored.toString().toStdString();

    // A text saved by hand still counts as saved: no first-run turn.
    ServicesTestKit kit({.storedSettings = QJsonObject{{key, QStringLiteral("30")}}});
    EXPECT_EQ(kit.polling().latestNotificationID(), 30);
    kit.server.answer("GET", "/api/companion/notifications", TestResponse::json(feedOf({{31, "calendar", "Standup"}})));
    ASSERT_TRUE(pollAlerts(kit));
    EXPECT_EQ(raised(kit).size(), 1u);
}

TEST(AlertPolling, TheLoopAsksEveryTwoSecondsAfterTheLastAnswer)
{
    ServicesTestKit kit(savedID(1));
    kit.server.answer("GET", "/api/companion/notifications", TestResponse::json(feedOf({})));
    const auto asked = [&] { return kit.server.countOf("/api/companion/notifications"); };

    const PollingLoop& loop = kit.polling().notificationLoop();
    kit.polling().startNotificationPolling();
    ASSERT_TRUE(waitUntil([&] { return loop.isWaiting(); }));
    EXPECT_EQ(asked(), 1);
    kit.scheduler().advance(1999ms);
    ASSERT_TRUE(roundTrip(kit.services->http));
    EXPECT_EQ(asked(), 1);
    kit.scheduler().advance(1ms);
    ASSERT_TRUE(waitUntil([&] { return asked() == 2; }));

    // Restarting polls again at once; cancelling ends the loop.
    kit.polling().startNotificationPolling();
    ASSERT_TRUE(waitUntil([&] { return asked() == 3; }));
    kit.polling().cancelAll();
    EXPECT_FALSE(loop.isRunning());
    kit.scheduler().advance(1h);
    ASSERT_TRUE(roundTrip(kit.services->http));
    EXPECT_EQ(asked(), 3);
}

TEST(AlertPolling, WhileTheServerIsDownTheLoopKeepsAskingWithTheSameMark)
{
    ServicesTestKit kit(savedID(9));
    kit.server.answer("GET", "/api/companion/notifications", TestResponse::hungUp());
    kit.polling().startNotificationPolling();
    for (int turn = 1; turn <= 3; ++turn) {
        ASSERT_TRUE(waitUntil([&] { return kit.polling().notificationLoop().isWaiting(); }));
        kit.scheduler().advance(2s);
    }
    // One request a turn: a connection the server cuts is not asked again.
    ASSERT_TRUE(waitUntil([&] { return kit.server.countOf("/api/companion/notifications") == 4; }));
    ASSERT_TRUE(roundTrip(kit.services->http));
    EXPECT_EQ(kit.server.countOf("/api/companion/notifications"), 4);
    for (const TestRequest& request : kit.server.requestsTo("/api/companion/notifications"))
        EXPECT_EQ(request.queryValue(QStringLiteral("after")), QStringLiteral("9"));
}

TEST(AlertPolling, UsageAnswersStuckInTheirHeadsHoldBackNoAlert)
{
    ServicesTestKit kit(savedID(1));
    kit.server.answer("GET", "/api/companion/agent-usage", TestResponse::headWithoutEnd(20));
    kit.server.answer("GET", "/api/companion/notifications", TestResponse::json(feedOf({{2, "email", "Invoice"}})));
    kit.polling().startAgentUsagePolling();
    // Six, as many connections as HTTP stacks commonly keep to one server.
    QObject context;
    for (int more = 0; more < 5; ++more)
        kit.services->http.get(&context, CompanionRoute::agentUsage(), {});
    ASSERT_TRUE(waitUntil([&] { return kit.server.endlessCount() == 6; }));
    ASSERT_TRUE(finishes([&](auto done) { kit.polling().pollCompanionNotifications(done); }));
    EXPECT_TRUE(kit.model->activeAlert.get().has_value());
    EXPECT_EQ(kit.server.endlessCount(), 6) << "a usage answer ended meanwhile";
}

TEST(AlertPolling, ACancelledPollInFlightRaisesNothing)
{
    ServicesTestKit kit(savedID(1));
    kit.server.answer("GET", "/api/companion/notifications", TestResponse::held());
    kit.polling().startNotificationPolling();
    ASSERT_TRUE(waitUntil([&] { return kit.server.heldCount() == 1; }));
    kit.polling().cancelAll();
    kit.server.releaseHeld(TestResponse::json(feedOf({{2, "email", "late"}})));
    ASSERT_TRUE(roundTrip(kit.services->http));
    EXPECT_FALSE(kit.model->activeAlert.get().has_value());
    EXPECT_EQ(kit.polling().latestNotificationID(), 1);
}

namespace {

TEST(AlertPolling, AServerThatNeverAnswersLeavesTheMainThreadFree)
{
    ServicesTestKit kit;
    kit.server.answer("GET", "/api/companion/notifications", TestResponse::held());
    bool finished = false;
    kit.polling().pollCompanionNotifications([&] { finished = true; });
    ASSERT_TRUE(waitUntil([&] { return kit.server.heldCount() == 1; }));

    // While the poll waits, the event loop goes on: real timers fire and
    // other work on the main thread runs.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    EXPECT_TRUE(waitUntil([&] { return ticks >= 5; }));
    EXPECT_FALSE(finished);
    kit.model->enqueueAlert(CompanionAlertSource::email, QStringLiteral("meanwhile"));
    EXPECT_TRUE(kit.model->activeAlert.get().has_value());

    // The client's own time-out ends the wait.
    kit.scheduler().advance(60s);
    EXPECT_TRUE(waitUntil([&] { return finished; }));
}

} // namespace
