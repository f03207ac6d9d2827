// Loading the fleet and changing a bot against a scripted server.

#include "ServicesTestKit.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

namespace {

const QByteArray fleetPath = "/api/fleet/bots";

QByteArray fleetWith(const char* firstName, bool enabled = true)
{
    return QStringLiteral(R"({"bots": [{"id": "bot-1", "name": "%1", "enabled": %2, "updatesAllowed": false},
                                       {"id": "bot-2", "name": "Night shift", "enabled": false, "updatesAllowed": true}]})")
        .arg(QString::fromUtf8(firstName), enabled ? QStringLiteral("true") : QStringLiteral("false"))
        .toUtf8();
}

bool load(ServicesTestKit& kit)
{
    return finishes([&](auto done) { kit.services->fleet.loadFleet(done); });
}

bool update(ServicesTestKit& kit, FleetClient::Setting setting, bool value)
{
    return finishes([&](auto done) { kit.services->fleet.updateBot(QStringLiteral("bot-1"), setting, value, done); });
}

QStringList namesOf(const std::vector<FleetBot>& bots)
{
    QStringList names;
    for (const FleetBot& bot : bots)
        names.append(bot.name);
    return names;
}

} // namespace

TEST(FleetClient, ALoadShowsTheServersBotsInItsOrder)
{
    ServicesTestKit kit;
    kit.model->fleetError = QStringLiteral("old failure");
    kit.server.answer("GET", fleetPath, TestResponse::json(fleetWith("Front desk")));
    ASSERT_TRUE(load(kit));
    EXPECT_EQ(kit.model->fleetError.get(), std::nullopt);
    EXPECT_EQ(namesOf(kit.model->fleetBots),
              (QStringList{QStringLiteral("Front desk"), QStringLiteral("Night shift")}));
}

TEST(FleetClient, AFailedLoadShowsTheOfflineTextAndKeepsTheList)
{
    const std::vector<std::pair<const char*, TestResponse>> failures{
        {"server down", TestResponse::hungUp()},
        {"server error", TestResponse::json(fleetWith("Changed"), 500)},
        {"no bots member", TestResponse::json(R"({"robots": []})")},
        {"a bot without a name",
         TestResponse::json(R"({"bots": [{"id": "x", "enabled": true, "updatesAllowed": true}]})")},
    };
    for (const auto& [name, failure] : failures) {
        ServicesTestKit kit;
        kit.server.answerInTurn("GET", fleetPath, {TestResponse::json(fleetWith("Front desk")), failure});
        ASSERT_TRUE(load(kit)) << name;
        ASSERT_TRUE(load(kit)) << name;
        EXPECT_EQ(kit.model->fleetError.get(),
                  QStringLiteral("Fleet service offline — start Varadi OS to manage bots."))
            << name;
        EXPECT_EQ(namesOf(kit.model->fleetBots).value(0), QStringLiteral("Front desk")) << name;
    }
}

TEST(FleetClient, TheServerBackAgainClearsTheOfflineText)
{
    ServicesTestKit kit;
    kit.server.answerInTurn("GET", fleetPath,
                            {TestResponse::withStatus(503), TestResponse::json(fleetWith("Front desk"))});
    ASSERT_TRUE(load(kit));
    EXPECT_TRUE(kit.model->fleetError.get().has_value());
    EXPECT_TRUE(kit.model->fleetBots->empty());
    ASSERT_TRUE(load(kit));
    EXPECT_FALSE(kit.model->fleetError.get().has_value());
    EXPECT_EQ(kit.model->fleetBots->size(), 2u);
}

TEST(FleetClient, AChangePostsTheBotAndOneSwitchThenReloads)
{
    ServicesTestKit kit;
    kit.server.answer("POST", fleetPath, TestResponse::json("{}"));
    kit.server.answer("GET", fleetPath, TestResponse::json(fleetWith("Front desk", false)));
    ASSERT_TRUE(update(kit, FleetClient::Setting::enabled, false));
    ASSERT_TRUE(update(kit, FleetClient::Setting::updatesAllowed, true));

    const std::vector<TestRequest>& requests = kit.server.requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].method, QByteArray("POST"));
    EXPECT_EQ(requests[0].headers.value("content-type"), QByteArray("application/json"));
    EXPECT_EQ(QJsonDocument::fromJson(requests[0].body).object(),
              (QJsonObject{{QStringLiteral("id"), QStringLiteral("bot-1")}, {QStringLiteral("enabled"), false}}));
    EXPECT_FALSE(requests[0].body.contains(' ')); // written compactly
    EXPECT_EQ(requests[1].method, QByteArray("GET"));
    EXPECT_EQ(QJsonDocument::fromJson(requests[2].body).object(),
              (QJsonObject{{QStringLiteral("id"), QStringLiteral("bot-1")}, {QStringLiteral("updatesAllowed"), true}}));
    EXPECT_EQ(requests[3].method, QByteArray("GET"));
    EXPECT_FALSE(kit.model->fleetBots->at(0).enabled);
}

TEST(FleetClient, TheReloadRunsWhateverBecameOfTheChange)
{
    // Refused by the server: the reload shows the server's unchanged values.
    ServicesTestKit refused;
    refused.server.answer("POST", fleetPath, TestResponse::withStatus(500));
    refused.server.answer("GET", fleetPath, TestResponse::json(fleetWith("Front desk", true)));
    ASSERT_TRUE(update(refused, FleetClient::Setting::enabled, false));
    EXPECT_EQ(refused.server.countOf(fleetPath), 2);
    EXPECT_TRUE(refused.model->fleetBots->at(0).enabled);
    EXPECT_FALSE(refused.model->fleetError.get().has_value());

    // Server down: the POST is tried, the reload fails, the list stays.
    ServicesTestKit down;
    down.server.answer("GET", fleetPath, TestResponse::json(fleetWith("Front desk", true)));
    ASSERT_TRUE(load(down));
    down.server.answer("POST", fleetPath, TestResponse::hungUp());
    down.server.answer("GET", fleetPath, TestResponse::hungUp());
    ASSERT_TRUE(update(down, FleetClient::Setting::enabled, false));
    EXPECT_TRUE(down.model->fleetError.get().has_value());
    EXPECT_TRUE(down.model->fleetBots->at(0).enabled);
}

TEST(FleetClient, TheEmployeeEditionSendsNothingAndChangesNothing)
{
    ServicesTestKit kit({.edition = CompanionEdition::employee});
    kit.server.answer("GET", fleetPath, TestResponse::json(fleetWith("Front desk")));
    int changes = 0;
    QObject::connect(kit.model.get(), &CompanionModel::willChange, [&] { ++changes; });

    ASSERT_TRUE(load(kit));
    ASSERT_TRUE(update(kit, FleetClient::Setting::enabled, true));
    ASSERT_TRUE(roundTrip(kit.services->http));
    EXPECT_TRUE(kit.server.requests().empty());
    EXPECT_EQ(changes, 0);
}

TEST(FleetClient, TheChangeBodyNamesTheBotAndOneSwitch)
{
    EXPECT_EQ(FleetClient::changeBody(QStringLiteral("a\"b"), FleetClient::Setting::updatesAllowed, false),
              QByteArray(R"({"id":"a\"b","updatesAllowed":false})"));
    EXPECT_EQ(FleetClient::memberName(FleetClient::Setting::enabled), QStringLiteral("enabled"));
}
