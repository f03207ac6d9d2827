// The AI-usage and weather loops against a scripted server.

#include "ServicesTestKit.h"

#include "model/CompanionAgentUsage.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

QByteArray usageWithClaudeTokensToday(int tokens)
{
    return QStringLiteral(R"({"claude": {"today": {"tokens": %1, "sessions": 1}, "week": {"tokens": 10, "sessions": 2}},
                              "codex": {"today": {"tokens": 0, "sessions": 0}, "week": {"tokens": 0, "sessions": 0}}})")
        .arg(tokens)
        .toUtf8();
}

bool pollUsage(ServicesTestKit& kit)
{
    return finishes([&](auto done) { kit.polling().pollAgentUsage(done); });
}

bool pollWeather(ServicesTestKit& kit)
{
    return finishes([&](auto done) { kit.polling().pollWeather(done); });
}

} // namespace

TEST(UsagePolling, ReplacesTheUsageWithEachGoodAnswer)
{
    ServicesTestKit kit;
    kit.server.answerInTurn(
        "GET", "/api/companion/agent-usage",
        {TestResponse::json(usageWithClaudeTokensToday(5)), TestResponse::json(usageWithClaudeTokensToday(7))});
    ASSERT_TRUE(pollUsage(kit));
    ASSERT_TRUE(kit.model->agentUsage.get().has_value());
    EXPECT_EQ(kit.model->agentUsage.get()->claude.today.tokens, 5);
    ASSERT_TRUE(pollUsage(kit));
    EXPECT_EQ(kit.model->agentUsage.get()->claude.today.tokens, 7);
    EXPECT_EQ(kit.model->agentUsage.get(), CompanionAgentUsage::decode(usageWithClaudeTokensToday(7)));
}

TEST(UsagePolling, AFailedAnswerKeepsTheUsageOnShow)
{
    const std::vector<std::pair<const char*, TestResponse>> failures{
        {"a required key missing", TestResponse::json(R"({"claude": {"today": {"tokens": 1, "sessions": 1}}})")},
        {"not JSON", TestResponse::text("<html>starting</html>")},
        {"another status", TestResponse::json(usageWithClaudeTokensToday(9), 503)},
        {"cut off", TestResponse::cutOff(usageWithClaudeTokensToday(9))},
    };
    for (const auto& [name, failure] : failures) {
        ServicesTestKit kit;
        kit.server.answerInTurn("GET", "/api/companion/agent-usage",
                                {TestResponse::json(usageWithClaudeTokensToday(5)), failure});
        ASSERT_TRUE(pollUsage(kit)) << name;
        ASSERT_TRUE(pollUsage(kit)) << name;
        ASSERT_TRUE(kit.model->agentUsage.get().has_value()) << name;
        EXPECT_EQ(kit.model->agentUsage.get()->claude.today.tokens, 5) << name;
    }
}

TEST(UsagePolling, TheLoopReadsTheFeedEveryMinute)
{
    ServicesTestKit kit;
    kit.server.answer("GET", "/api/companion/agent-usage", TestResponse::json(usageWithClaudeTokensToday(1)));
    const PollingLoop& loop = kit.polling().agentUsageLoop();
    kit.polling().startAgentUsagePolling();
    ASSERT_TRUE(waitUntil([&] { return loop.isWaiting(); }));
    kit.scheduler().advance(59s);
    ASSERT_TRUE(roundTrip(kit.services->http));
    EXPECT_EQ(kit.server.countOf("/api/companion/agent-usage"), 1);
    kit.scheduler().advance(1s);
    EXPECT_TRUE(waitUntil([&] { return kit.server.countOf("/api/companion/agent-usage") == 2; }));
}

TEST(WeatherPolling, ShowsTheServicesTemperature)
{
    ServicesTestKit kit;
    kit.server.answer("GET", "/", TestResponse::text(" +72°F\n"));
    ASSERT_TRUE(pollWeather(kit));
    EXPECT_EQ(kit.model->weatherText.get(), QStringLiteral("72°F"));

    const TestRequest& request = kit.server.requests().at(0);
    EXPECT_EQ(request.queryValue(QStringLiteral("format")), QStringLiteral("%t"));
    EXPECT_TRUE(request.queryItems().hasQueryItem(QStringLiteral("u")));
}

TEST(WeatherPolling, ARefusedAnswerKeepsTheTextOnShow)
{
    const std::vector<std::pair<const char*, TestResponse>> failures{
        {"no degree sign", TestResponse::text("Unknown location")},
        {"too long", TestResponse::text("+1000.25°F")},
        {"not UTF-8",
         TestResponse::text("72\xB0"
                            "F")},
        {"another status", TestResponse::text("-3°C", 500)},
        {"hung up", TestResponse::hungUp()},
    };
    for (const auto& [name, failure] : failures) {
        ServicesTestKit kit;
        kit.server.answerInTurn("GET", "/", {TestResponse::text("-3°C"), failure});
        ASSERT_TRUE(pollWeather(kit)) << name;
        ASSERT_TRUE(pollWeather(kit)) << name;
        EXPECT_EQ(kit.model->weatherText.get(), QStringLiteral("-3°C")) << name;
    }
}

TEST(WeatherPolling, AnAnswerSlowerThanEightSecondsIsAbandoned)
{
    ServicesTestKit kit;
    kit.server.answer("GET", "/", TestResponse::held());
    bool done = false;
    kit.polling().pollWeather([&] { done = true; });
    ASSERT_TRUE(waitUntil([&] { return kit.server.heldCount() == 1; }));
    kit.scheduler().advance(7900ms);
    ASSERT_TRUE(roundTrip(kit.services->http));
    EXPECT_FALSE(done);
    kit.scheduler().advance(100ms);
    ASSERT_TRUE(waitUntil([&] { return done; }));
    // Whatever the server says afterwards is not heard.
    kit.server.releaseHeld(TestResponse::text("5°C"));
    ASSERT_TRUE(roundTrip(kit.services->http));
    EXPECT_EQ(kit.model->weatherText.get(), QString());
}

TEST(WeatherPolling, TheLoopAsksEveryTwentyMinutes)
{
    ServicesTestKit kit;
    kit.server.answer("GET", "/", TestResponse::text("1°C"));
    const PollingLoop& loop = kit.polling().weatherLoop();
    kit.polling().startWeatherPolling();
    ASSERT_TRUE(waitUntil([&] { return loop.isWaiting(); }));
    kit.scheduler().advance(1199s);
    ASSERT_TRUE(roundTrip(kit.services->http));
    EXPECT_EQ(kit.server.countOf("/"), 1);
    kit.scheduler().advance(1s);
    EXPECT_TRUE(waitUntil([&] { return kit.server.countOf("/") == 2; }));
    EXPECT_EQ(kit.model->weatherText.get(), QStringLiteral("1°C"));
}
