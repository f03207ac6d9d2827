// Every answer is capped at a size fitting its route: an answer as large as
// the cap is taken, one byte more is a failed turn like any other failure,
// and an answer without end is cut off without filling the memory.

#include "ServicesTestKit.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr qint64 feedCap = HttpClient::largestFeedAnswer;

// body followed by blanks up to size bytes: the same document, longer.
TestResponse paddedTo(QByteArray body, qint64 size)
{
    body.append(QByteArray(size - body.size(), ' '));
    return TestResponse::json(std::move(body));
}

// Scripts path to answer over the cap first, then exactly at it.
void overThenAtTheCap(ServicesTestKit& kit, const QByteArray& path, const QByteArray& body, qint64 cap)
{
    kit.server.answerInTurn("GET", path, {paddedTo(body, cap + 1), paddedTo(body, cap)});
}

} // namespace

TEST(AnswerCaps, EachRouteTakesAnAnswerAsLargeAsItsCapAndNotOneByteMore)
{
    ServicesTestKit kit({.storedSettings = QJsonObject{{LocalServerPolling::latestNotificationIDKey, 1}}});
    overThenAtTheCap(kit, "/api/companion/notifications",
                     R"({"notifications": [{"id": 5, "type": "email", "detail": "Invoice"}]})", feedCap);
    overThenAtTheCap(kit, "/api/companion/agent-usage",
                     R"({"claude": {"today": {"tokens": 5, "sessions": 1}, "week": {"tokens": 10, "sessions": 2}},
                         "codex": {"today": {"tokens": 0, "sessions": 0}, "week": {"tokens": 0, "sessions": 0}}})",
                     feedCap);
    overThenAtTheCap(kit, "/api/fleet/bots",
                     R"({"bots": [{"id": "bot-1", "name": "Front desk", "enabled": true, "updatesAllowed": false}]})",
                     feedCap);
    overThenAtTheCap(kit, "/api/codex/mobile-link", R"({"url": "https://m.example.com/s/abc"})", feedCap);
    overThenAtTheCap(kit, "/", " +72°F", LocalServerPolling::largestWeatherAnswer);

    const auto everyRoute = [&] {
        return finishes([&](auto done) { kit.polling().pollCompanionNotifications(done); })
            && finishes([&](auto done) { kit.polling().pollAgentUsage(done); })
            && finishes([&](auto done) { kit.services->fleet.loadFleet(done); })
            && finishes([&](auto done) { kit.services->mobileLink.copyPhoneLink(done); })
            && finishes([&](auto done) { kit.polling().pollWeather(done); });
    };

    ASSERT_TRUE(everyRoute());
    EXPECT_EQ(kit.polling().latestNotificationID(), 1);
    EXPECT_FALSE(kit.model->activeAlert.get().has_value());
    EXPECT_FALSE(kit.model->agentUsage.get().has_value());
    EXPECT_EQ(kit.model->fleetError.get(), FleetClient::offlineText);
    EXPECT_EQ(kit.bell.rings, 1) << "a failed mobile link rings";
    EXPECT_TRUE(kit.pasteboard.replacements.isEmpty());
    EXPECT_TRUE(kit.model->weatherText.get().isEmpty());

    ASSERT_TRUE(everyRoute());
    EXPECT_EQ(kit.polling().latestNotificationID(), 5);
    EXPECT_TRUE(kit.model->activeAlert.get().has_value());
    EXPECT_TRUE(kit.model->agentUsage.get().has_value());
    EXPECT_EQ(kit.model->fleetError.get(), std::nullopt);
    EXPECT_EQ(kit.model->fleetBots.get().size(), 1u);
    EXPECT_EQ(kit.pasteboard.replacements, QStringList{QStringLiteral("https://m.example.com/s/abc")});
    EXPECT_EQ(kit.model->weatherText.get(), QStringLiteral("72°F"));
}

TEST(AnswerCaps, AnAnswerWithoutEndIsCutOffAtTheCap)
{
    ServicesTestKit kit;
    kit.server.answer("GET", "/api/companion/agent-usage", TestResponse::withoutEnd());
    ASSERT_TRUE(finishes([&](auto done) { kit.polling().pollAgentUsage(done); }))
        << kit.server.endlessBytesSent() << " bytes sent";
    EXPECT_FALSE(kit.model->agentUsage.get().has_value());
    // What the sockets' buffers hold beyond the cap is all that was sent.
    EXPECT_LT(kit.server.endlessBytesSent(), feedCap + (16 << 20));
    EXPECT_TRUE(waitUntil([&] { return kit.server.endlessCount() == 0; })) << "the connection stayed open";
}
