#include "FeedSamples.h"

#include "model/CompanionFeeds.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using FeedSamples::describe;

namespace {

QByteArray alertFeedWith(const QByteArray& alertJson)
{
    return QByteArray(R"({"notifications": [)") + alertJson + "]}";
}

QByteArray fleetWith(const QByteArray& botJson) { return QByteArray(R"({"bots": [)") + botJson + "]}"; }

constexpr const char* minimalBot = R"({"id": "b", "name": "Bee", "enabled": true, "updatesAllowed": false})";

} // namespace

TEST(CompanionAlertFeed, DecodesEveryAlertInTheServersOrder)
{
    const auto feed = CompanionAlertFeed::decode(FeedSamples::alerts());
    ASSERT_TRUE(feed.has_value());
    const std::vector<CompanionRemoteAlert> expected{
        {101, QStringLiteral("email"), QStringLiteral("Invoice from Tessaro Ltd")},
        {9007199254740993, QStringLiteral("Slack"), QStringLiteral("Build finished")},
        {-3, QStringLiteral("calendar"), QString()},
    };
    EXPECT_EQ(feed->notifications, expected);

    const auto empty = CompanionAlertFeed::decode(R"({"notifications": []})");
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->notifications.empty());
}

TEST(CompanionAlertFeed, TheTypeIsPlainTextLeftForTheCallerToMatch)
{
    for (const char* type : {"Email", "fax", ""}) {
        const auto feed = CompanionAlertFeed::decode(
            alertFeedWith(QByteArray(R"({"id": 1, "detail": "d", "type": ")") + type + "\"}"));
        ASSERT_TRUE(feed.has_value()) << type;
        EXPECT_EQ(feed->notifications.at(0).type, QString::fromUtf8(type));
    }
}

TEST(CompanionAlertFeed, OneBadAlertOrAMissingListRefusesTheWholeFeed)
{
    for (const char* body : {"{}", R"({"notifications": null})", R"({"notifications": {}})", R"({"Notifications": []})",
                             R"({"notifications": [null]})"})
        EXPECT_FALSE(CompanionAlertFeed::decode(QByteArray(body)).has_value()) << body;

    // Each required member of an alert, missing or mistyped, in an otherwise good feed.
    for (const char* alert :
         {R"({"id": 7.5, "type": "email", "detail": "d"})", R"({"id": "7", "type": "email", "detail": "d"})",
          R"({"type": "email", "detail": "d"})", R"({"id": 7, "type": 3, "detail": "d"})",
          R"({"id": 7, "type": "email"})", R"({"id": 7, "type": "email", "detail": null})"}) {
        const QByteArray body = alertFeedWith(QByteArray(R"({"id": 1, "type": "call", "detail": "fine"}, )") + alert);
        EXPECT_FALSE(CompanionAlertFeed::decode(body).has_value()) << alert;
    }
}

TEST(FleetFeed, DecodesBotsWithAndWithoutTheirOptionalFields)
{
    const auto fleet = FleetFeed::decode(FeedSamples::fleet());
    ASSERT_TRUE(fleet.has_value());
    ASSERT_EQ(fleet->bots.size(), 2u);
    const FleetBot& first = fleet->bots[0];
    EXPECT_EQ(first.id, QStringLiteral("bot-1"));
    EXPECT_EQ(first.name, QStringLiteral("Front desk"));
    EXPECT_EQ(first.email, QStringLiteral("desk@example.com"));
    EXPECT_TRUE(first.enabled);
    EXPECT_FALSE(first.updatesAllowed);
    EXPECT_EQ(first.version, QStringLiteral("2.4.1"));
    EXPECT_EQ(first.lastSeenIso, QStringLiteral("2024-05-02T09:00:00Z"));
    const FleetBot& second = fleet->bots[1];
    EXPECT_EQ(second.id, QStringLiteral("bot-2"));
    EXPECT_FALSE(second.email.has_value());
    EXPECT_FALSE(second.enabled);
    EXPECT_TRUE(second.updatesAllowed);
    EXPECT_FALSE(second.version.has_value());
    EXPECT_FALSE(second.lastSeenIso.has_value());

    // Absent and null optional fields decode alike.
    const auto minimal = FleetFeed::decode(fleetWith(minimalBot));
    const auto nulls = FleetFeed::decode(fleetWith(
        R"({"id": "b", "name": "Bee", "email": null, "enabled": true, "updatesAllowed": false,
            "version": null, "lastSeenIso": null})"));
    ASSERT_TRUE(minimal.has_value());
    ASSERT_TRUE(nulls.has_value());
    EXPECT_EQ(describe(*minimal), describe(*nulls));
    EXPECT_EQ(describe(*minimal), R"(["b" "Bee" none on frozen none none;])");

    const auto empty = FleetFeed::decode(R"({"bots": []})");
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->bots.empty());
}

TEST(FleetFeed, OneBadBotOrAMissingListRefusesTheWholeFleet)
{
    for (const char* body : {"{}", R"({"bots": null})", R"({"bots": "b"})", R"({"bots": [[]]})"})
        EXPECT_FALSE(FleetFeed::decode(QByteArray(body)).has_value()) << body;

    // Each member of a bot, missing or mistyped, beside a good bot.
    for (const char* bot : {
             R"({"name": "Bee", "enabled": true, "updatesAllowed": false})",
             R"({"id": 4, "name": "Bee", "enabled": true, "updatesAllowed": false})",
             R"({"id": "b", "enabled": true, "updatesAllowed": false})",
             R"({"id": "b", "name": "Bee", "enabled": 1, "updatesAllowed": false})",
             R"({"id": "b", "name": "Bee", "enabled": true, "updatesAllowed": null})",
             R"({"id": "b", "name": "Bee", "enabled": true, "updatesAllowed": false, "email": false})",
             R"({"id": "b", "name": "Bee", "enabled": true, "updatesAllowed": false, "version": 3})",
             R"({"id": "b", "name": "Bee", "enabled": true, "updatesAllowed": false, "lastSeenIso": 1714640400})",
         }) {
        const QByteArray body = fleetWith(QByteArray(minimalBot) + ", " + bot);
        EXPECT_FALSE(FleetFeed::decode(body).has_value()) << bot;
    }
}

TEST(CompanionFeeds, UnknownKeysChangeNothing)
{
    const auto plainAlerts = CompanionAlertFeed::decode(alertFeedWith(R"({"id": 5, "type": "call", "detail": "Mum"})"));
    const auto richAlerts = CompanionAlertFeed::decode(
        R"({"v": 2, "notifications": [{"id": 5, "ID": "x", "type": "call", "detail": "Mum", "extra": {"a": [1, null]}}],
            "detail": 3})");
    ASSERT_TRUE(plainAlerts.has_value());
    EXPECT_EQ(richAlerts, plainAlerts);

    const auto plainFleet = FleetFeed::decode(fleetWith(minimalBot));
    const auto richFleet = FleetFeed::decode(
        R"({"bots": [{"id": "b", "name": "Bee", "Email": 4, "enabled": true, "updatesAllowed": false, "x": null}],
            "cursor": null})");
    ASSERT_TRUE(plainFleet.has_value());
    ASSERT_TRUE(richFleet.has_value());
    EXPECT_EQ(describe(*richFleet), describe(*plainFleet));
}

TEST(CompanionFeeds, BodiesThatAreNotOneJsonObjectAreRefused)
{
    for (const char* body :
         {"", "[]", R"("notifications")", R"({"notifications": [])", R"({"notifications": []} [])"}) {
        EXPECT_FALSE(CompanionAlertFeed::decode(QByteArray(body)).has_value()) << body;
        EXPECT_FALSE(FleetFeed::decode(QByteArray(body)).has_value()) << body;
    }
    // Each feed refuses the other's document.
    EXPECT_FALSE(CompanionAlertFeed::decode(FeedSamples::fleet()).has_value());
    EXPECT_FALSE(FleetFeed::decode(FeedSamples::alerts()).has_value());
}
